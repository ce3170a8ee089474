#pragma once
// Shared helpers of the image-library tests: fixture paths, reference pixels, comparisons.

#include "format_registry.h"
#include "pixel_graphic.h"

#include <filesystem>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

inline std::filesystem::path TestData(const std::string& relative) {
    return std::filesystem::path(GLIMMET_TEST_DATA) / relative;
}

// Reference pixels as an independent tool decoded them (binary PPM, P6, maxval 255).
struct TRefImage {
    int Width = 0;
    int Height = 0;
    std::vector<uint32_t> Pixels; // packed colours, row by row from the top
    uint32_t At(int x, int y) const { return Pixels[static_cast<size_t>(y) * Width + x]; }
};
TRefImage LoadReferencePPM(const std::filesystem::path& path);
TRefImage ToReference(const TPixelGraphic& image);
void WriteReferencePPM(const std::filesystem::path& path, const TRefImage& image);

// The message of the E an action raises, "" when it succeeds. Any other exception escapes, so a
// wrong error class fails the test.
template <class E = EPixelGraphic, class Action>
std::string ErrorOf(Action&& action) {
    try {
        std::forward<Action>(action)();
    } catch (const E& e) {
        return e.what();
    }
    return "";
}

// What GetImageInfo tells of a file; a refused file fails the test and answers an empty info.
TPGImageInfo InfoOf(const std::filesystem::path& file, int index = 0);
void PrintTo(const TPGImageInfo& info, std::ostream* out);

// Compares every pixel colour; reports the first differences and their count.
::testing::AssertionResult SamePixels(const TPixelGraphic& image, const TRefImage& expected);

// A file in a fresh temporary folder that is removed with the object.
class TTempDir {
public:
    TTempDir();
    ~TTempDir();
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;
    std::filesystem::path Path() const { return FPath; }
    std::filesystem::path operator/(const std::string& name) const { return FPath / name; }

private:
    std::filesystem::path FPath;
};

std::vector<uint8_t> ReadFileBytes(const std::filesystem::path& path);
void WriteFileBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes);
// Runs a shell command; answers its exit status (-1 when it could not run).
int RunCommand(const std::string& command);
bool ToolAvailable(const std::string& tool);

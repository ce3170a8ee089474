#pragma once
// The program side of red-eye removal: the correction library is loaded from the program
// folder on first use and corrects the selection of a 24-bit picture, two eyes a call each.

#include "pg_image_types.h"
#include "pixel_graphic.h"

#include <QString>

#include <cstdint>
#include <stdexcept>

class TPrompter;

// Aborts a correction the library refused; Result is the library's answer.
class ERedEyeError : public std::runtime_error {
public:
    explicit ERedEyeError(int32_t result)
        : std::runtime_error("Error performing Red Eye Fix"), Result(result) {}
    int32_t Result;
};

// The library's file name, as the loader, its message and the tests use it.
inline constexpr char RedEyeLibraryName[] = "libclarend2.so";

// Where the library is loaded from: the program folder unless set; an empty path restores
// that. Only an absolute path is ever loaded, so no other file of that name can be run.
QString RedEyeLibraryPath();
void SetRedEyeLibraryPath(const QString& path);

// Makes the library usable, once per run; when it is not, says so and answers false, and the
// next command tries again.
bool LoadRedEyeLibrary(TPrompter& prompter);
// Closes the library; at program end, and between tests.
void ReleaseRedEyeLibrary();

// Corrects Rect (right and bottom exclusive, clipped to the picture) of Source and loads the
// result into Target; answers false, with Target untouched, when it did not. An empty
// selection does nothing and says nothing.
bool RemoveRedEye(const TPixelGraphic& Source, TPGRect Rect, TPixelGraphic& Target,
                  TPrompter& prompter);

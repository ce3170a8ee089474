#pragma once
// One conformance case: a file made by an independent tool, decoded by our reader (through the
// registry) and by a tool, and the pixels compared. Where this program differs from the tools on
// purpose, the case names the difference and the model of what we show instead.

#include "tool_image.h"

#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

struct TDeliberateDifference {
    std::string Reason;
    // Our reader refuses the file: an error is the expected outcome.
    bool Refused = false;
    // Writes another decoding of $F to standard output; empty: the case's own decoding.
    std::string Decode;
    // Turns that decoding into our pixels; empty: Rounded.
    TPixelModel Model;
    int Tolerance = 0; // per channel
};

struct TConformanceCase {
    std::string Name; // of the test: letters, digits and '_'
    // The file the recipe writes; the extension is the one our registry sees.
    std::string File;
    // Shell commands run in a folder holding the sources (see sources.h); $F names the file and
    // "convert" is /usr/bin/convert.
    std::string Make;
    // Shell commands writing the tool's decoding of $F to standard output, as raw PNM or PAM.
    std::string Decode;
    std::optional<TDeliberateDifference> Difference;
    int Index = 0; // the frame or icon loaded
    int Width = 17;
    int Height = 5;
};

inline TConformanceCase Case(std::string name, std::string file, std::string make,
                             std::string decode,
                             std::optional<TDeliberateDifference> difference = std::nullopt,
                             int index = 0) {
    return {std::move(name),   std::move(file),       std::move(make),
            std::move(decode), std::move(difference), index};
}

// Our pixels are the model's of the case's decoding, or of another one.
inline TDeliberateDifference Deliberate(std::string reason, TPixelModel model, int tolerance = 0,
                                        std::string decode = "") {
    return {std::move(reason), false, std::move(decode), std::move(model), tolerance};
}
// Our pixels are those of another decoding by a tool.
inline TDeliberateDifference DeliberateDecoding(std::string reason, std::string decode) {
    return {std::move(reason), false, std::move(decode), {}, 0};
}
// Our reader refuses the file.
inline TDeliberateDifference Refusal(std::string reason) {
    return {std::move(reason), true, "", {}, 0};
}

// The background colour given to our images before they load, for formats that composite.
inline constexpr uint32_t ConformanceBackground = PGColor(0x33, 0x66, 0xCC);

struct TSize {
    int Width;
    int Height;
};
// 1 x 1, 3 x 7, 17 x 5 and 257 x 129: a single pixel, rows that end inside a byte or need
// padding, and one large enough for long runs, many strips and full code tables.
inline const std::vector<TSize> AllSizes = {{1, 1}, {3, 7}, {17, 5}, {257, 129}};

// Every case at each size; the size is appended to the name and the file name.
std::vector<TConformanceCase> AtSizes(const std::vector<TConformanceCase>& cases,
                                      const std::vector<TSize>& sizes = AllSizes);

// Test output names the case by its file.
inline void PrintTo(const TConformanceCase& c, std::ostream* out) {
    *out << c.File;
}

class Conformance : public ::testing::TestWithParam<TConformanceCase> {};

std::string ConformanceCaseName(const ::testing::TestParamInfo<TConformanceCase>& info);

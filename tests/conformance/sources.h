#pragma once
// The pictures the tools start from, written into a case's folder at the case's size.

#include <filesystem>
#include <string>

// File names a recipe may use: "rgb.ppm" (a colour for nearly every pixel), "c2.ppm", "c4.ppm",
// "c16.ppm", "c256.ppm" (at most that many colours), "grey.pgm", "bw.pbm", "rgba.pam" (colour
// with alpha 0, 255 and values between), "mask.pbm" (a pattern for icon masks), and 16-bit
// samples in "rgb16.ppm" and "grey16.pgm".
inline constexpr const char* SourceNames[] = {"rgb.ppm",  "c2.ppm",    "c4.ppm",    "c16.ppm",
                                              "c256.ppm", "grey.pgm",  "bw.pbm",    "rgba.pam",
                                              "mask.pbm", "rgb16.ppm", "grey16.pgm"};

// Writes the sources the recipe text mentions.
void WriteSources(const std::filesystem::path& folder, const std::string& recipe, int width,
                  int height);

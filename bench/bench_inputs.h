#pragma once
// Deterministic benchmark inputs: photo-like pictures that are not in git.

#include <filesystem>

// Writes photo-L.bmp (24 bit, 6000 x 4000), photo-M.bmp (24 bit, 1024 x 768) and
// photo-M8.bmp (8 bit) into folder, or small versions of each when tiny is set.
void MakeBenchInputs(const std::filesystem::path& folder, bool tiny);

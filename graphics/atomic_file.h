#pragma once
// Files written for the user go to a temporary file in the target folder and replace the
// target only once complete, so a failed write never costs the old file.

#include "pg_stream.h"

#include <filesystem>
#include <functional>

void PGWriteFileAtomically(const std::filesystem::path& target,
                           const std::function<void(TStream&)>& write);

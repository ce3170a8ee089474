#pragma once
// Files written for the user go to a temporary file in the target folder and replace the
// target only once complete, so a failed write never costs the old file.

#include "pg_stream.h"

#include <filesystem>
#include <functional>

// A symbolic link is followed to the file it ends at, which is replaced; the link stays. An
// existing file keeps its mode and group (and its owner where the user may give it), and one the
// user may not write is refused as "Cannot create file". When its folder takes no temporary
// file, the complete new file is written in the fallback folder and then copied over the old one
// in place; should that copy fail, the new file stays there and the message says where.
void PGWriteFileAtomically(const std::filesystem::path& target,
                           const std::function<void(TStream&)>& write);

// The program's private temporary folder, for the fallback above. Empty (the default) has a
// folder of mode 0700 with an unpredictable name made in $XDG_RUNTIME_DIR, else in $TMPDIR or
// /tmp, when first needed; it is left in place, since it may hold a file the user needs.
void PGSetAtomicFallbackFolder(const std::filesystem::path& folder);

#pragma once
// Plays the records of a Windows metafile or an enhanced metafile onto a drawing device, sized
// to an output of Width x Height pixels. Every record is checked against its own bytes: a
// record that does not fit the file ends playback, keeping what was drawn.

#include "metafile_device.h"
#include "metafile_header.h"

#include <functional>
#include <span>

struct TMFPlayOptions {
    int Width = 0, Height = 0;
    int64_t DIBPixelLimit = 0; // bitmaps with more pixels are skipped; 0: the library's cap
    // Called with the share of the file played so far (0..100); answers true to stop.
    std::function<bool(int percent)> Progress;
};

enum class TMFPlayResult : uint8_t { Completed, Truncated, Aborted };

TMFPlayResult PlayMetafile(std::span<const uint8_t> file, const TMetafileHeader& header,
                           TMetafileDevice& device, const TMFPlayOptions& options);

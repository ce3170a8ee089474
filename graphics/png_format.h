#pragma once
// PNG files through the system PNG library: the reader and the writer, and the text chunks and
// 8-bit RGBA files of the thumbnails shared with other desktop programs.

#include "format_registry.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

class TPNGFileFormatReader : public TFileFormatReader {
public:
    TPNGFileFormatReader()
        : TFileFormatReader("TPNGFileFormatReader", "png", "Portable Network Graphics", true) {}
    bool IsFormat(const TPGHeader& Header) const override;
    void ReadImage(TStream& Stream, TPixelGraphic& Image, int Index) const override;
    void GetInfo(TStream& Stream, int Index, TPGImageInfo& Info) const override;
};

class TPNGFileFormatWriter : public TFileFormatWriter {
public:
    TPNGFileFormatWriter()
        : TFileFormatWriter("TPNGFileFormatWriter", "png", "Portable Network Graphics",
                            PGAllResolutions, true) {}
    void WriteImage(TStream& Stream, TPixelGraphic& Image) const override;
};

// Keyword and text of each tEXt, zTXt or iTXt chunk before the image data, in file order, the
// texts as stored (Latin-1 for tEXt and zTXt, UTF-8 for iTXt). Raises
// EPGPNGFileFormatReaderWriter for a stream that is no PNG file.
using TPNGTexts = std::vector<std::pair<std::string, std::string>>;
TPNGTexts ReadPNGTexts(TStream& Stream);

// Writes an 8-bit RGBA, non-interlaced file: rows top-down, four bytes a pixel (red, green,
// blue, alpha), stride bytes apart, and the texts as tEXt chunks before the image data.
void WritePNGRGBA(TStream& Stream, int Width, int Height, const uint8_t* Rows, int64_t Stride,
                  const TPNGTexts& Texts);

void RegisterPNGFormats(TPGRegistry& registry);

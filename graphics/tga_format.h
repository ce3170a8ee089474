#pragma once
// Truevision TGA files: colour-mapped, true-colour and grey pictures, raw or run-length
// encoded. The format has no signature, so it is found by extension only.

#include "format_registry.h"

class TTGAFileFormatReader : public TFileFormatReader {
public:
    TTGAFileFormatReader()
        : TFileFormatReader("TTGAFileFormatReader", "tga", "Truevision Targa", false) {}
    void ReadImage(TStream& Stream, TPixelGraphic& Image, int Index) const override;
    void GetInfo(TStream& Stream, int Index, TPGImageInfo& Info) const override;
};

// Writes 8-bit colour-mapped or 24-bit pictures, bottom row first, uncompressed.
class TTGAFileFormatWriter : public TFileFormatWriter {
public:
    TTGAFileFormatWriter()
        : TFileFormatWriter("TTGAFileFormatWriter", "tga", "Truevision Targa",
                            PGResolutions({res256Colors, resTrueColor}), true) {}
    void WriteImage(TStream& Stream, TPixelGraphic& Image) const override;
};

void RegisterTGAFormats(TPGRegistry& registry);

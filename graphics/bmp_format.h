#pragma once
// BMP, DIB and RLE files, and the packed DIB of the clipboard.

#include "format_registry.h"

class TBMPFileFormatReader : public TFileFormatReader {
public:
    explicit TBMPFileFormatReader(std::string className = "TBMPFileFormatReader",
                                  std::string extension = "bmp")
        : TFileFormatReader(std::move(className), std::move(extension), "Bitmap", true) {}
    bool IsFormat(const TPGHeader& Header) const override;
    void ReadImage(TStream& Stream, TPixelGraphic& Image, int Index) const override;
    void GetInfo(TStream& Stream, int Index, TPGImageInfo& Info) const override;
};

class TDIBFileFormatReader : public TBMPFileFormatReader {
public:
    TDIBFileFormatReader() : TBMPFileFormatReader("TDIBFileFormatReader", "dib") {}
};

class TRLEFileFormatReader : public TBMPFileFormatReader {
public:
    TRLEFileFormatReader() : TBMPFileFormatReader("TRLEFileFormatReader", "rle") {}
};

class TBMPFileFormatWriter : public TFileFormatWriter {
public:
    explicit TBMPFileFormatWriter(std::string className = "TBMPFileFormatWriter",
                                  std::string extension = "bmp", bool listed = true)
        : TFileFormatWriter(std::move(className), std::move(extension), "Bitmap", PGAllResolutions,
                            listed) {}
    void WriteImage(TStream& Stream, TPixelGraphic& Image) const override;
};

class TDIBFileFormatWriter : public TBMPFileFormatWriter {
public:
    TDIBFileFormatWriter() : TBMPFileFormatWriter("TDIBFileFormatWriter", "dib", false) {}
};

void RegisterBMPFormats(TPGRegistry& registry);

// Clipboard format number of a packed DIB.
inline constexpr uint32_t CF_DIB = 8;

// Reads a packed DIB (info or core header, colour table, pixels) from the stream's position.
void ReadPackedDIB(TStream& Stream, TPixelGraphic& Image);

// Number of colour-table entries a writer must emit: the palette, extended to cover the largest
// index the pixels use.
int PaletteEntriesToWrite(const TPixelGraphic& Image);

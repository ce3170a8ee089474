#pragma once
// TIFF files: the first image of a file in bilevel, grey, palette, RGB or CMYK form, and an
// uncompressed little-endian writer.

#include "format_registry.h"

class TTIFFileFormatReader : public TFileFormatReader {
public:
    explicit TTIFFileFormatReader(std::string className = "TTIFFileFormatReader",
                                  std::string extension = "tif")
        : TFileFormatReader(std::move(className), std::move(extension), "Tagged Image File Format",
                            true) {}
    bool IsFormat(const TPGHeader& Header) const override;
    void ReadImage(TStream& Stream, TPixelGraphic& Image, int Index) const override;
    void GetInfo(TStream& Stream, int Index, TPGImageInfo& Info) const override;
};

class TTIFFFileFormatReader : public TTIFFileFormatReader {
public:
    TTIFFFileFormatReader() : TTIFFileFormatReader("TTIFFFileFormatReader", "tiff") {}
};

class TTIFFileFormatWriter : public TFileFormatWriter {
public:
    explicit TTIFFileFormatWriter(std::string className = "TTIFFileFormatWriter",
                                  std::string extension = "tif", bool listed = true)
        : TFileFormatWriter(
              std::move(className), std::move(extension), "Tagged Image File Format",
              static_cast<TPGResolutions>(PGAllResolutions & ~PGResolutions({res2Colors})),
              listed) {}
    void WriteImage(TStream& Stream, TPixelGraphic& Image) const override;
};

class TTIFFFileFormatWriter : public TTIFFileFormatWriter {
public:
    TTIFFFileFormatWriter() : TTIFFileFormatWriter("TTIFFFileFormatWriter", "tiff", false) {}
};

void RegisterTIFFFormats(TPGRegistry& registry);

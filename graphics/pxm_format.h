#pragma once
// The portable bitmap family: PBM, PGM and PPM, plain (text) and raw. The writers write the
// plain variants.

#include "format_registry.h"

// Reads every variant; the subclasses differ in extension and signature only.
class TPxMFileFormatReader : public TFileFormatReader {
public:
    TPxMFileFormatReader(std::string className, std::string extension, std::string formatName,
                         char plainType, char rawType)
        : TFileFormatReader(std::move(className), std::move(extension), std::move(formatName),
                            true),
          FPlainType(plainType), FRawType(rawType) {}
    bool IsFormat(const TPGHeader& Header) const override;
    void ReadImage(TStream& Stream, TPixelGraphic& Image, int Index) const override;
    void GetInfo(TStream& Stream, int Index, TPGImageInfo& Info) const override;

private:
    char FPlainType, FRawType;
};

class TPBMFileFormatReader : public TPxMFileFormatReader {
public:
    TPBMFileFormatReader()
        : TPxMFileFormatReader("TPBMFileFormatReader", "pbm", "Portable Bitmap", '1', '4') {}
};

class TPGMFileFormatReader : public TPxMFileFormatReader {
public:
    TPGMFileFormatReader()
        : TPxMFileFormatReader("TPGMFileFormatReader", "pgm", "Portable Graymap", '2', '5') {}
};

class TPPMFileFormatReader : public TPxMFileFormatReader {
public:
    TPPMFileFormatReader()
        : TPxMFileFormatReader("TPPMFileFormatReader", "ppm", "Portable Pixelmap", '3', '6') {}
};

// The extension decides what is written: pbm, pgm or ppm.
class TPXMFileFormatWriter : public TFileFormatWriter {
public:
    using TFileFormatWriter::TFileFormatWriter;
    void WriteImage(TStream& Stream, TPixelGraphic& Image) const override;
};

class TPBMFileFormatWriter : public TPXMFileFormatWriter {
public:
    TPBMFileFormatWriter()
        : TPXMFileFormatWriter("TPBMFileFormatWriter", "pbm", "Portable Bitmap",
                               PGResolutions({resBlackWhite}), true) {}
};

class TPGMFileFormatWriter : public TPXMFileFormatWriter {
public:
    TPGMFileFormatWriter()
        : TPXMFileFormatWriter("TPGMFileFormatWriter", "pgm", "Portable Graymap",
                               PGResolutions({resGray256}), true) {}
};

class TPPMFileFormatWriter : public TPXMFileFormatWriter {
public:
    TPPMFileFormatWriter()
        : TPXMFileFormatWriter("TPPMFileFormatWriter", "ppm", "Portable Pixelmap",
                               PGResolutions({resTrueColor}), true) {}
};

void RegisterPxMFormats(TPGRegistry& registry);

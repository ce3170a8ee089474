#pragma once
// PNG files through the system PNG library: the reader and the writer.

#include "format_registry.h"

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

void RegisterPNGFormats(TPGRegistry& registry);

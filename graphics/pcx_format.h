#pragma once
// PCX files: 1-bit, 4-plane, 8-bit and 24-bit run-length encoded pictures.

#include "format_registry.h"

class TPCXFileFormatReader : public TFileFormatReader {
public:
    TPCXFileFormatReader() : TFileFormatReader("TPCXFileFormatReader", "pcx", "Paintbrush", true) {}
    bool IsFormat(const TPGHeader& Header) const override;
    void ReadImage(TStream& Stream, TPixelGraphic& Image, int Index) const override;
    void GetInfo(TStream& Stream, int Index, TPGImageInfo& Info) const override;
};

void RegisterPCXFormats(TPGRegistry& registry);

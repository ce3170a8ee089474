#pragma once
// Icon files: one icon of the file as a true-colour image whose transparent parts are white.

#include "format_registry.h"

class tIcoFileFormatReader : public TFileFormatReader {
public:
    tIcoFileFormatReader()
        : TFileFormatReader("tIcoFileFormatReader", "ico", "Windows Icon", true) {}
    bool IsFormat(const TPGHeader& Header) const override;
    void ReadImage(TStream& Stream, TPixelGraphic& Image, int Index) const override;
    void GetInfo(TStream& Stream, int Index, TPGImageInfo& Info) const override;
};

void RegisterICOFormat(TPGRegistry& registry);

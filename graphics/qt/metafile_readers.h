#pragma once
// The Windows metafile and enhanced metafile readers: the picture played at its natural size
// (FastLoad: fitted into 130 x 130; with a size hint: straight into the box) on white.

#include "format_registry.h"
#include "metafile_header.h"

class TMetafileReader : public TFileFormatReader {
public:
    TMetafileReader(std::string className, std::string extension, std::string formatName,
                    TMetafileKind kind)
        : TFileFormatReader(std::move(className), std::move(extension), std::move(formatName),
                            true),
          FKind(kind) {}
    bool IsFormat(const TPGHeader& Header) const override;
    // Raises "Invalid Metafile" for a picture that cannot be played; records cut short after a
    // good header keep what was drawn.
    void ReadImage(TStream& Stream, TPixelGraphic& Image, int Index) const override;
    void GetInfo(TStream& Stream, int Index, TPGImageInfo& Info) const override;

private:
    TMetafileKind FKind;
};

class tWMFFileFormatReader : public TMetafileReader {
public:
    tWMFFileFormatReader()
        : TMetafileReader("tWMFFileFormatReader", "wmf", "Windows Metafile", TMetafileKind::WMF) {}
};

class tEMFFileFormatReader : public TMetafileReader {
public:
    tEMFFileFormatReader()
        : TMetafileReader("tEMFFileFormatReader", "emf", "Enhanced Metafile", TMetafileKind::EMF) {}
};

void RegisterMetafileFormats(TPGRegistry& registry);

// Adds the metafile readers to the library's registry and sizes pictures at the primary
// screen's resolution once an application exists. Call before the registry is first used.
void InstallMetafileReaders();

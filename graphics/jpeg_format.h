#pragma once
// JPEG files through the system JPEG library: the reader, the writer, the scaled decoding of the
// browser's fast display and thumbnails, and the writer's library-wide settings.

#include "format_registry.h"

// Writer settings shared by every save; the user-interface thread sets them just before saving.
int JPEGQuality();              // 1..100, default 80
void SetJPEGQuality(int value); // raises EPGJPGFileFormatReaderWriter outside 1..100
bool JPEGProgressive();         // default off
void SetJPEGProgressive(bool value);

enum TJPGPerformance : uint8_t { jpgBestQuality, jpgBestSpeed };

struct TJPGDecodeOptions {
    int ScaleDenom = 1; // output scale 1/ScaleDenom: 1, 2, 4 or 8
    // Best speed: fast integer DCT and, with Reduce236, one-pass ordered dithering.
    TJPGPerformance Performance = jpgBestQuality;
    bool Smoothing = true; // block smoothing of multi-scan files while their scans arrive
    bool GrayScale = false;
    bool Reduce236 = false; // an 8-bit picture of at most 236 colours
    // Multi-scan files are shown scan by scan: OnChange after every finished scan.
    bool ProgressiveDisplay = false;
};

// Decodes a JPEG stream into Image (upright by the Exif orientation), with the image's progress
// handlers; Abort keeps the rows decoded so far. Ends with ClassifyPalette and Changed.
void LoadJPEGScaled(TStream& Stream, TPixelGraphic& Image, const TJPGDecodeOptions& Options);

class TJPGFileFormatReader : public TFileFormatReader {
public:
    explicit TJPGFileFormatReader(std::string className = "TJPGFileFormatReader",
                                  std::string extension = "jpg")
        : TFileFormatReader(std::move(className), std::move(extension), "JPEG (JFIF compliant)",
                            true) {}
    bool IsFormat(const TPGHeader& Header) const override;
    void ReadImage(TStream& Stream, TPixelGraphic& Image, int Index) const override;
    void GetInfo(TStream& Stream, int Index, TPGImageInfo& Info) const override;
};

class TJPEGFileFormatReader : public TJPGFileFormatReader {
public:
    TJPEGFileFormatReader() : TJPGFileFormatReader("TJPEGFileFormatReader", "jpeg") {}
};

class TJIFFileFormatReader : public TJPGFileFormatReader {
public:
    TJIFFileFormatReader() : TJPGFileFormatReader("TJIFFileFormatReader", "jif") {}
};

class TJPGFileFormatWriter : public TFileFormatWriter {
public:
    explicit TJPGFileFormatWriter(std::string className = "TJPGFileFormatWriter",
                                  std::string extension = "jpg", bool listed = true)
        : TFileFormatWriter(std::move(className), std::move(extension), "JPEG (JFIF compliant)",
                            PGResolutions({resGray256, resTrueColor}), listed) {}
    void WriteImage(TStream& Stream, TPixelGraphic& Image) const override;
};

class TJPEGFileFormatWriter : public TJPGFileFormatWriter {
public:
    TJPEGFileFormatWriter() : TJPGFileFormatWriter("TJPEGFileFormatWriter", "jpeg", false) {}
};

class TJIFFileFormatWriter : public TJPGFileFormatWriter {
public:
    TJIFFileFormatWriter() : TJPGFileFormatWriter("TJIFFileFormatWriter", "jif", false) {}
};

void RegisterJPEGFormats(TPGRegistry& registry);

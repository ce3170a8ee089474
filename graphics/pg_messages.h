#pragma once
// The image library's numbered message catalogue and the exception family of its errors.

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>

struct TPGLangStrEntry {
    int Number;
    const char* Text; // English; the only language the library shows
};

inline constexpr int PGLangStrCount = 85;
extern const TPGLangStrEntry PGLangStrEntries[PGLangStrCount];

// Raises EPixelGraphic when entry k does not carry the number k.
void CheckPGLangStrEntries(std::span<const TPGLangStrEntry> entries);

// Catalogue text with the first "%S1", "%S2", "%S3" replaced by the arguments.
std::string PGLangStr(int entry, const std::string& s1 = {}, const std::string& s2 = {},
                      const std::string& s3 = {});

// Catalogue entries used by name across the library.
enum TPGMsg : int {
    msgXYIndexOutOfRange = 1,
    msgNoPalette = 2,
    msgInvalidPaletteIndex = 3,
    msgUnknownClipboardFormat = 4,
    msgInvalidTempFile = 5,
    msgUnknownFileFormat = 6,
    msgInvalid = 7,
    msgResolutionFirst = 8, // entries 8..15 name the eight resolution classes
    msgIsEmpty = 16,
    msgColorResWarning = 17,
    msgCannotWriteColorRes = 18,
    msgUnknownExtension = 19,
    msgInvalidValue = 20,
    msgNegativeHeight = 21,
    msgNegativeWidth = 22,
    msgFilterSourceIsTarget = 23,
    msgBit = 24,
    msgImageFiles = 25,
    msgAllFiles = 26,
    msgInvalidSize = 27,
    msgWarning = 28,
    msgAborted = 29,
    msgNotSupportedSubformat = 30,
    msgFailed = 31,
    msgUnexpectedEOF = 32,
    msgUnknownSubformat = 33,
    msgNotAFile = 34,
    msgZeroSize = 35,
    msgInvalidColorRes = 36,
    msgUnsupportedFieldType = 37,
    msgInvalidRowBytes = 38,
    msgUnsupportedCompression = 39,
    msgSaturationHue = 40,
    msgOutOfRange = 41,
};

class EPixelGraphic : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

#define PG_EXCEPTION(Name)                                                                         \
    class Name : public EPixelGraphic {                                                            \
    public:                                                                                        \
        using EPixelGraphic::EPixelGraphic;                                                        \
    }

PG_EXCEPTION(EPGXYIndexOutOfRange);
PG_EXCEPTION(EPGNoPalette);
PG_EXCEPTION(EPGInvalidPaletteIndex);
PG_EXCEPTION(EPGEmpty);
PG_EXCEPTION(EPGCanWriteResolutionsEmpty);
PG_EXCEPTION(EPGCannotWriteColorRes);
PG_EXCEPTION(EPGFileFormatWritersEmpty);
PG_EXCEPTION(EPGUnknownExtension);
PG_EXCEPTION(EPGUnknownFileFormat);
PG_EXCEPTION(EPGUnknownClipboardFormat);
PG_EXCEPTION(EPGBMPFileFormatReader);
PG_EXCEPTION(EPGJPGFileFormatReaderWriter);
PG_EXCEPTION(EPGPNGFileFormatReaderWriter);
PG_EXCEPTION(EPGPCXFileFormatReader);
PG_EXCEPTION(EPGPxMFileFormatReader);
PG_EXCEPTION(EPGPxMFileFormatWriter);
PG_EXCEPTION(EPGTGAFileFormatReader);
PG_EXCEPTION(EPGTIFFileFormatReader);
PG_EXCEPTION(EPGTIFFileFormatWriter);
PG_EXCEPTION(EPGInvalidBitCountNum);
PG_EXCEPTION(EPGInvalidSize);
PG_EXCEPTION(EPGFilter);
PG_EXCEPTION(EPGSaturationHue);
PG_EXCEPTION(EPGConvFilter);

#undef PG_EXCEPTION

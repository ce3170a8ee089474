#pragma once
// The registries of format readers and writers, the load and save pipelines, and the
// reaction to reader and colour-resolution warnings.

#include "pixel_graphic.h"

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// Colour resolution classes a writer can store, in catalogue order (entries 8..15 name them).
enum TPGResolution : uint8_t {
    resBlackWhite,
    res2Colors,
    resGray16,
    resSys16,
    res16Colors,
    resGray256,
    res256Colors,
    resTrueColor
};
using TPGResolutions = uint8_t; // one bit per TPGResolution

constexpr TPGResolutions PGResolutions(std::initializer_list<TPGResolution> classes) {
    TPGResolutions set = 0;
    for (TPGResolution c : classes) set = static_cast<TPGResolutions>(set | (1u << c));
    return set;
}
inline constexpr TPGResolutions PGAllResolutions = 0xFF;

TPGResolution ResolutionClassOf(const TPixelGraphic& image);
std::string ResolutionName(TPGResolution c);
// The class a writer stores instead of c: the first of c's candidates in the set; false if none.
bool FallbackResolution(TPGResolution c, TPGResolutions canWrite, TPGResolution& target);

// The first bytes of a stream, padded with zeros, handed to the signature tests.
inline constexpr int PGHeaderSize = 17;
using TPGHeader = std::array<uint8_t, PGHeaderSize>;

struct TPGImageInfo {
    std::string FormatName;
    int ImageCount = 0;
    int BitCount = 0;
    std::string Colors;
    int Height = 0;
    int Width = 0;
    std::string Options;
    std::string SubFormat;

    bool operator==(const TPGImageInfo&) const = default;
};

class TFileFormatReaderWriter {
public:
    TFileFormatReaderWriter(std::string className, std::string extension, std::string formatName,
                            bool listedInDialogs)
        : ListedInDialogs(listedInDialogs), Extension(std::move(extension)),
          FormatName(std::move(formatName)), ClassName(std::move(className)) {}
    virtual ~TFileFormatReaderWriter() = default;

    bool ListedInDialogs;
    std::string Extension; // lower case, without the dot
    std::string FormatName;
    std::string ClassName;
};

// Readers keep no state between calls: one registered instance serves every thread.
class TFileFormatReader : public TFileFormatReaderWriter {
public:
    TFileFormatReader(std::string className, std::string extension, std::string formatName,
                      bool detectsByContent)
        : TFileFormatReaderWriter(std::move(className), std::move(extension), std::move(formatName),
                                  true),
          DetectsByContent(detectsByContent) {}

    bool DetectsByContent;
    // Readers found by extension alone keep the default.
    virtual bool IsFormat(const TPGHeader&) const { return false; }
    // Honours the image's call options: warning action and box, pixel limit, and the size hint
    // where the format can decode smaller for less.
    virtual void ReadImage(TStream&, TPixelGraphic&, int Index) const = 0;
    // From the headers alone: never decodes pixels, so it stays cheap for any file size.
    virtual void GetInfo(TStream&, int Index, TPGImageInfo& Info) const = 0;
};

class TFileFormatWriter : public TFileFormatReaderWriter {
public:
    TFileFormatWriter(std::string className, std::string extension, std::string formatName,
                      TPGResolutions canWrite, bool listedInDialogs)
        : TFileFormatReaderWriter(std::move(className), std::move(extension), std::move(formatName),
                                  listedInDialogs),
          CanWriteResolutions(canWrite) {}

    TPGResolutions CanWriteResolutions;
    virtual void WriteImage(TStream&, TPixelGraphic&) const = 0;
};

class TPGRegistry {
public:
    void AddReader(std::unique_ptr<TFileFormatReader> reader);
    void AddWriter(std::unique_ptr<TFileFormatWriter> writer);
    // Ends registration: both lists in extension order, so lookups only read them.
    void Sort();

    const std::vector<std::unique_ptr<TFileFormatReader>>& Readers() const { return FReaders; }
    const std::vector<std::unique_ptr<TFileFormatWriter>>& Writers() const { return FWriters; }
    // Content first; the extension only for readers that cannot tell by content. Never raises.
    const TFileFormatReader* FindReader(TStream& Stream, std::string_view Extension) const;
    // Raises EPGFileFormatWritersEmpty or EPGUnknownExtension.
    const TFileFormatWriter& FindWriter(std::string_view Extension) const;
    // Filter lists of the open and save dialogs, "Name|*.ext|" pairs in extension order.
    std::string OpenDialogFilter() const;
    std::string SaveDialogFilter() const;

private:
    std::vector<std::unique_ptr<TFileFormatReader>> FReaders;
    std::vector<std::unique_ptr<TFileFormatWriter>> FWriters;
};

// The library's registry, filled in the format order once and sorted.
const TPGRegistry& PGRegistry();
// Adds formats that live above the library (such as the metafile readers, which draw with Qt)
// to the library's registry. Allowed only before PGRegistry() is first used, so the registry
// stays sealed and lookups need no lock; later it raises std::logic_error.
void AddFormatRegistration(std::function<void(TPGRegistry&)> registration);
// Adds every format of the library to a registry (format_list.cpp).
void RegisterStandardFormats(TPGRegistry& registry);

bool GetImageInfo(const std::filesystem::path& FileName, int Index, TPGImageInfo& Info);

// Loads through the registry, with the image's call options. With a size hint, readers that
// decode row by row keep only what the reduction needs; what a reader delivers at full size is
// reduced by PGReduceToHint.
void PGLoadImage(const TPGRegistry& registry, TPixelGraphic& image, TStream& stream,
                 std::string_view extension, int index);
// A picture at full size for a small box keeps only what the box can show: still twice the
// fitted size in each direction, it is averaged down to it (row_sink.h has the rule).
void PGReduceToHint(TPixelGraphic& image);
// The size a picture of w x h takes fitted into the hint box (never enlarged); w x h when the
// hint is 0 x 0.
void PGFitToHint(const TPGCallOptions& options, int w, int h, int& fitW, int& fitH);
void PGSaveImage(const TPGRegistry& registry, TPixelGraphic& image, TStream& stream,
                 std::string_view extension);
// The image in the writer's class c: a new image with c's format and palette, filled by colour
// conversion (save_conversion.cpp).
std::unique_ptr<TPixelGraphic> MakeSaveCopy(TPixelGraphic& image, TPGResolution c);
// Passes palette entries or colour bytes through the gamma table when the file's gamma differs.
void ApplyGammaCorrection(TPixelGraphic& image);

// The library's warning box, for calls without a box of their own; without one every box is OK.
void SetPGWarningBox(TPGWarningBox box);
bool PGShowWarningBox(const std::string& caption, const std::string& text, bool withCancel);
// The box of the image's call options where it has one, the library's box otherwise.
bool PGShowWarningBox(const TPixelGraphic& image, const std::string& caption,
                      const std::string& text, bool withCancel);

// What a reader warning shows and raises.
struct TPGWarningTexts {
    std::string Caption;  // of the box
    std::string Shown;    // in the box
    std::string OnCancel; // raised when the box is cancelled
    std::string OnRaise;  // raised with pgwaRaise
};

// A recoverable reader problem, reported as the image's ReadWarningAction says.
template <class E>
void PGReadWarning(const TPixelGraphic& image, const TPGWarningTexts& texts) {
    switch (image.EffectiveReadWarningAction()) {
    case pgwaIgnore:
        return;
    case pgwaOKBox:
        PGShowWarningBox(image, texts.Caption, texts.Shown, false);
        return;
    case pgwaOKCancelBox:
        if (!PGShowWarningBox(image, texts.Caption, texts.Shown, true)) throw E(texts.OnCancel);
        return;
    case pgwaRaise:
        throw E(texts.OnRaise);
    }
}

// The usual form: captioned with the format's short name, cancel means "aborted".
template <class E>
void PGReadWarning(const TPixelGraphic& image, const std::string& shortName,
                   const std::string& prefix, const std::string& text) {
    PGReadWarning<E>(image, {shortName + " " + PGLangStr(msgWarning), text,
                             prefix + PGLangStr(msgAborted), prefix + text});
}

std::string PGLowerExtension(std::string_view extension); // lower case, leading dot removed

#include "format_registry.h"

#include "atomic_file.h"
#include "row_sink.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <mutex>
#include <stdexcept>

namespace {

bool lessNoCase(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) <
               std::tolower(static_cast<unsigned char>(y));
    });
}

template <class T>
void sortByExtension(std::vector<std::unique_ptr<T>>& list) {
    std::stable_sort(list.begin(), list.end(), [](const auto& a, const auto& b) {
        return lessNoCase(a->Extension, b->Extension);
    });
}

// Set on the window thread while workers may be loading; each call asks a copy.
std::mutex warningBoxLock;
TPGWarningBox& warningBox() {
    static TPGWarningBox box;
    return box;
}

} // namespace

std::string PGLowerExtension(std::string_view extension) {
    if (!extension.empty() && extension.front() == '.') extension.remove_prefix(1);
    std::string lower(extension);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

TPGResolution ResolutionClassOf(const TPixelGraphic& image) {
    switch (image.PixelFormat()) {
    case pf1Bit:
        return image.PaletteIdent() == pBlackWhite ? resBlackWhite : res2Colors;
    case pf4Bit:
        return image.PaletteIdent() == pGray16  ? resGray16
               : image.PaletteIdent() == pSys16 ? resSys16
                                                : res16Colors;
    case pf8Bit:
        return image.PaletteIdent() == pGray256 ? resGray256 : res256Colors;
    default:
        return resTrueColor;
    }
}

std::string ResolutionName(TPGResolution c) {
    return PGLangStr(static_cast<int>(msgResolutionFirst) + static_cast<int>(c));
}

bool FallbackResolution(TPGResolution c, TPGResolutions canWrite, TPGResolution& target) {
    static constexpr uint8_t candidates[8][8] = {
        {0, 1, 2, 3, 4, 5, 6, 7}, {1, 4, 6, 7, 3, 0, 2, 5}, {2, 4, 5, 6, 7, 3, 0, 1},
        {3, 4, 6, 7, 2, 5, 0, 1}, {4, 6, 7, 3, 2, 5, 0, 1}, {5, 6, 7, 2, 4, 3, 0, 1},
        {6, 7, 4, 3, 5, 2, 0, 1}, {7, 6, 4, 3, 5, 2, 0, 1}};
    for (uint8_t candidate : candidates[c]) {
        if (canWrite & (1u << candidate)) {
            target = static_cast<TPGResolution>(candidate);
            return true;
        }
    }
    return false;
}

void TPGRegistry::AddReader(std::unique_ptr<TFileFormatReader> reader) {
    FReaders.push_back(std::move(reader));
}

void TPGRegistry::AddWriter(std::unique_ptr<TFileFormatWriter> writer) {
    FWriters.push_back(std::move(writer));
}

void TPGRegistry::Sort() {
    sortByExtension(FReaders);
    sortByExtension(FWriters);
}

const TFileFormatReader* TPGRegistry::FindReader(TStream& Stream,
                                                 std::string_view Extension) const {
    try {
        TPGHeader header{};
        const int64_t start = Stream.Position();
        Stream.Read(header.data(), PGHeaderSize);
        Stream.SetPosition(start);
        for (const auto& reader : FReaders)
            if (reader->DetectsByContent && reader->IsFormat(header)) return reader.get();
        const std::string ext = PGLowerExtension(Extension);
        if (ext.empty()) return nullptr;
        for (const auto& reader : FReaders)
            if (!reader->DetectsByContent && PGLowerExtension(reader->Extension) == ext)
                return reader.get();
    } catch (...) {
        // An unreadable stream simply has no reader.
    }
    return nullptr;
}

const TFileFormatWriter& TPGRegistry::FindWriter(std::string_view Extension) const {
    if (FWriters.empty())
        throw EPGFileFormatWritersEmpty(PGLangStr(msgIsEmpty, "FileFormatWriters"));
    const std::string ext = PGLowerExtension(Extension);
    for (const auto& writer : FWriters)
        if (writer->Extension == ext) return *writer;
    throw EPGUnknownExtension(PGLangStr(msgUnknownExtension, ext));
}

namespace {

std::string upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

template <class T>
std::string filterPairs(const std::vector<std::unique_ptr<T>>& list) {
    std::string pairs;
    for (const auto& entry : list)
        if (entry->ListedInDialogs)
            pairs += upper(entry->Extension) + " - " + entry->FormatName + "|*." +
                     entry->Extension + "|";
    return pairs;
}

} // namespace

std::string TPGRegistry::OpenDialogFilter() const {
    std::string patterns;
    for (const auto& reader : FReaders)
        if (reader->ListedInDialogs)
            patterns += (patterns.empty() ? "*." : "; *.") + reader->Extension;
    return PGLangStr(msgImageFiles) + "|" + patterns + "|" + filterPairs(FReaders) +
           PGLangStr(msgAllFiles) + "|*.*";
}

std::string TPGRegistry::SaveDialogFilter() const {
    return filterPairs(FWriters);
}

namespace {

struct TRegistrations {
    std::mutex Lock;
    bool Sealed = false;
    std::vector<std::function<void(TPGRegistry&)>> Added;
};

TRegistrations& registrations() {
    static TRegistrations list;
    return list;
}

} // namespace

void AddFormatRegistration(std::function<void(TPGRegistry&)> registration) {
    TRegistrations& list = registrations();
    const std::lock_guard lock(list.Lock);
    if (list.Sealed) throw std::logic_error("AddFormatRegistration after the registry was used");
    list.Added.push_back(std::move(registration));
}

const TPGRegistry& PGRegistry() {
    static const TPGRegistry registry = [] {
        TRegistrations& list = registrations();
        const std::lock_guard lock(list.Lock);
        list.Sealed = true;
        TPGRegistry r;
        RegisterStandardFormats(r);
        for (const auto& registration : list.Added) registration(r);
        r.Sort();
        return r;
    }();
    return registry;
}

void SetPGWarningBox(TPGWarningBox box) {
    const std::lock_guard lock(warningBoxLock);
    warningBox() = std::move(box);
}

bool PGShowWarningBox(const std::string& caption, const std::string& text, bool withCancel) {
    TPGWarningBox box;
    {
        const std::lock_guard lock(warningBoxLock);
        box = warningBox();
    }
    return !box || box(caption, text, withCancel);
}

bool PGShowWarningBox(const TPixelGraphic& image, const std::string& caption,
                      const std::string& text, bool withCancel) {
    const TPGWarningBox& own = image.CallOptions().WarningBox;
    return own ? own(caption, text, withCancel) : PGShowWarningBox(caption, text, withCancel);
}

bool GetImageInfo(const std::filesystem::path& FileName, int Index, TPGImageInfo& Info) {
    Info = {};
    try {
        if (!FileName.has_filename() || !std::filesystem::is_regular_file(FileName)) return false;
        TFileStream stream(FileName, TFileStream::fmOpenRead);
        const TFileFormatReader* reader =
            PGRegistry().FindReader(stream, FileName.extension().string());
        if (!reader) return false;
        const int64_t start = stream.Position();
        reader->GetInfo(stream, Index, Info);
        stream.SetPosition(start);
        Info.FormatName = reader->FormatName;
        return true;
    } catch (...) {
        Info = {};
        return false;
    }
}

void ApplyGammaCorrection(TPixelGraphic& image) {
    const long double display = image.EffectiveDisplayGamma();
    const long double e = image.Gamma() / display;
    if (!image.EffectiveGammaCorrection() || std::fabs(e - 1.0L) <= 0.05L) return;
    uint8_t table[256];
    for (int i = 0; i < 256; ++i) {
        long double v = e == 0 ? 1.0L : i == 0 ? 0.0L : std::pow(i / 255.0L, e);
        // Half-way values round to even, as the rest of the library's rounding does.
        table[i] = static_cast<uint8_t>(std::clamp(std::nearbyint(255.0L * v), 0.0L, 255.0L));
    }
    if (image.PixelFormat() == pf24Bit) {
        for (int y = 0; y < image.Height(); ++y) {
            uint8_t* row = image.ScanLine(y);
            for (int64_t i = 0; i < 3 * static_cast<int64_t>(image.Width()); ++i)
                row[i] = table[row[i]];
        }
    } else {
        for (int i = 0; i < image.PaletteCount(); ++i) {
            uint32_t c = image.Palette()[i];
            image.SetPaletteEntry(i, PGColor(table[PGRed(c)], table[PGGreen(c)], table[PGBlue(c)]));
        }
    }
    image.SetGamma(display);
}

void PGFitToHint(const TPGCallOptions& options, int w, int h, int& fitW, int& fitH) {
    fitW = w, fitH = h;
    const int64_t bw = options.HintWidth, bh = options.HintHeight;
    if (bw <= 0 || bh <= 0 || w <= 0 || h <= 0 || (w <= bw && h <= bh)) return;
    // The side that meets the box first decides; the other keeps the aspect, at least 1 pixel.
    if (bw * h <= bh * w) {
        fitW = static_cast<int>(bw);
        fitH = static_cast<int>(std::max<int64_t>(1, (bw * h + w / 2) / w));
    } else {
        fitH = static_cast<int>(bh);
        fitW = static_cast<int>(std::max<int64_t>(1, (bh * w + h / 2) / h));
    }
}

namespace {

// Every so many pixels, picked from the middle of their cells.
std::unique_ptr<TPixelGraphic> sampled(const TPixelGraphic& image, int w, int h) {
    auto copy = std::make_unique<TPixelGraphic>();
    copy->SetCallOptions(image.CallOptions());
    copy->SetGamma(image.Gamma());
    copy->SetSizeAndFormat(w, h, pf24Bit);
    for (int y = 0; y < h; ++y) {
        const int sy = PGSamplePick(y, h, image.Height());
        for (int x = 0; x < w; ++x)
            copy->SetPixelColor(x, y, image.GetPixelColor(PGSamplePick(x, w, image.Width()), sy));
    }
    return copy;
}

} // namespace

void PGReduceToHint(TPixelGraphic& image) {
    const TPGReduction plan = PGPlanReduction(image.CallOptions(), image.Width(), image.Height());
    if (image.Empty() || !plan.Reduces) return;
    if (plan.SampleW == image.Width() && plan.SampleH == image.Height()) {
        PGAverageSample(image, plan.FitW, plan.FitH);
        return;
    }
    const std::unique_ptr<TPixelGraphic> sample = sampled(image, plan.SampleW, plan.SampleH);
    PGAverageSample(*sample, plan.FitW, plan.FitH);
    image.SetSizeAndFormat(plan.FitW, plan.FitH, pf24Bit);
    std::copy_n(sample->Bits(), sample->ImageSize(), image.Bits());
    image.SetPaletteIdent(pTrueColor);
}

void PGLoadImage(const TPGRegistry& registry, TPixelGraphic& image, TStream& stream,
                 std::string_view extension, int index) {
    TPGUpdateScope update(image);
    image.SetSizeAndFormat(0, 0, pf24Bit);
    image.SetPaletteIdent(pTrueColor);
    image.SetGamma(image.EffectiveDisplayGamma());
    const TFileFormatReader* reader = registry.FindReader(stream, extension);
    if (!reader) throw EPGUnknownFileFormat(PGLangStr(msgUnknownFileFormat));
    // A load that fails keeps the rows read, reduced like a complete one.
    auto finish = [&] {
        ApplyGammaCorrection(image);
        PGReduceToHint(image);
        image.ClassifyPalette();
    };
    try {
        reader->ReadImage(stream, image, index);
    } catch (...) {
        finish();
        throw;
    }
    finish();
}

void PGSaveImage(const TPGRegistry& registry, TPixelGraphic& image, TStream& stream,
                 std::string_view extension) {
    const TFileFormatWriter& writer = registry.FindWriter(extension);
    image.ClassifyPalette();
    const TPGResolution b = ResolutionClassOf(image);
    TPGResolution c;
    if (!FallbackResolution(b, writer.CanWriteResolutions, c))
        throw EPGCanWriteResolutionsEmpty(
            PGLangStr(msgIsEmpty, writer.ClassName + ".CanWriteResolutions"));
    if (c == b) {
        image.ClassifyPalette();
        writer.WriteImage(stream, image);
        return;
    }
    const TPGWarningAction action = image.EffectiveSaveColorResWarningAction();
    bool goOn = action == pgwaIgnore;
    if (action == pgwaOKBox || action == pgwaOKCancelBox) {
        const std::string text =
            PGLangStr(msgColorResWarning, writer.FormatName, ResolutionName(b), ResolutionName(c));
        goOn = PGShowWarningBox(image, PGLangStr(msgWarning), text, action == pgwaOKCancelBox) ||
               action == pgwaOKBox;
    }
    if (!goOn)
        throw EPGCannotWriteColorRes(
            PGLangStr(msgCannotWriteColorRes, writer.FormatName, ResolutionName(b)));
    std::unique_ptr<TPixelGraphic> copy = MakeSaveCopy(image, c);
    copy->SetCallOptions(image.CallOptions());
    copy->ClassifyPalette();
    writer.WriteImage(stream, *copy);
}

void TPixelGraphic::LoadFromFile(const std::filesystem::path& FileName, int Index) {
    TFileStream stream(FileName, TFileStream::fmOpenRead);
    PGLoadImage(PGRegistry(), *this, stream, FileName.extension().string(), Index);
}

void TPixelGraphic::LoadFromStream(TStream& Stream) {
    PGLoadImage(PGRegistry(), *this, Stream, "", 0);
}

void TPixelGraphic::SaveToFile(const std::filesystem::path& FileName) {
    // Find the writer first, so an unknown extension creates no temporary file at all.
    const std::string ext = FileName.extension().string();
    PGRegistry().FindWriter(ext);
    PGWriteFileAtomically(FileName,
                          [&](TStream& stream) { PGSaveImage(PGRegistry(), *this, stream, ext); });
}

void TPixelGraphic::SaveToStreamAs(TStream& Stream, const std::string& Extension) {
    PGSaveImage(PGRegistry(), *this, Stream, Extension);
}

void TPixelGraphic::SaveToStream(TStream& Stream) {
    PGRegistry().FindWriter("bmp").WriteImage(Stream, *this);
}

void TPixelGraphic::WriteData(TStream& Stream) {
    const int64_t countAt = Stream.Position();
    uint8_t count[4] = {};
    Stream.WriteBuffer(count, 4);
    SaveToStream(Stream);
    const int64_t end = Stream.Position();
    PutLE32(count, static_cast<uint32_t>(end - countAt - 4));
    Stream.SetPosition(countAt);
    Stream.WriteBuffer(count, 4);
    Stream.SetPosition(end);
}

void TPixelGraphic::ReadData(TStream& Stream) {
    uint8_t count[4];
    Stream.ReadBuffer(count, 4);
    const int64_t start = Stream.Position();
    PGLoadImage(PGRegistry(), *this, Stream, "bmp", 0);
    Stream.SetPosition(start + GetLE32(count));
}

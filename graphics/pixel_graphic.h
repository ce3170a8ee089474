#pragma once
// TPixelGraphic: the raster image of the whole program. Pixels are one block in bottom-up
// device-independent bitmap layout (rows padded to 4 bytes; 1, 4, 8 or 24 bits per pixel),
// colours travel packed as 0x00BBGGRR.

#include "pg_messages.h"
#include "pg_stream.h"
#include "pixel_memory.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

enum TPaletteIdent : uint8_t {
    pNone,
    pTrueColor,
    pUnknown,
    pBlackWhite,
    pSysGray4,
    pSys16,
    pGray4,
    pGray16,
    pGray236,
    pGray256,
    pSpecial125,
    pSpecial216,
    pSpecial252,
    pOptimized252Sys16,
    pSource
};

enum TPGWarningAction : uint8_t { pgwaIgnore, pgwaOKBox, pgwaOKCancelBox, pgwaRaise };

enum TStretchMode : uint8_t { smFast, smMedium, smPrecise };

// Pixel formats: 0 = 1 bit, 1 = 4 bits, 2 = 8 bits, 3 = 24 bits.
inline constexpr uint8_t pf1Bit = 0, pf4Bit = 1, pf8Bit = 2, pf24Bit = 3;

// Gamma the display is assumed to have; images are corrected to it when loaded. Like every
// library-wide default, they belong to the window thread: workers pass TPGCallOptions.
inline long double DisplayGamma = 2.2L;
inline bool GammaCorrection = true;

// Largest pixel block an image may hold; bigger images are refused before allocating.
inline constexpr int64_t PGMaxImageBytes = int64_t(1) << 31;

uint8_t PixelFormatOfBitCount(int bitCount); // raises EPGInvalidBitCountNum
int BitCountOfPixelFormat(uint8_t pixelFormat);
int ColorCountOfPixelFormat(uint8_t pixelFormat);
int64_t BytesPerRowOf(int bitCount, int64_t width);

constexpr uint32_t PGColor(uint32_t r, uint32_t g, uint32_t b) {
    return (r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16);
}
constexpr uint8_t PGRed(uint32_t c) {
    return static_cast<uint8_t>(c);
}
constexpr uint8_t PGGreen(uint32_t c) {
    return static_cast<uint8_t>(c >> 8);
}
constexpr uint8_t PGBlue(uint32_t c) {
    return static_cast<uint8_t>(c >> 16);
}

// The entries of a predefined palette (identities pBlackWhite .. pSpecial252); empty otherwise.
const std::vector<uint32_t>& PredefinedPalette(TPaletteIdent ident);

// The warning box the library asks through; answers true for OK.
using TPGWarningBox =
    std::function<bool(const std::string& caption, const std::string& text, bool withCancel)>;

// What one load or save asks for instead of the library-wide defaults. It travels with the
// image it is set on into every reader and writer, so a worker never reads a setting the window
// thread may be changing. Unset fields take the defaults.
struct TPGCallOptions {
    std::optional<TPGWarningAction> WarningAction; // for reader and colour-resolution warnings
    TPGWarningBox WarningBox;                      // asked instead of the library's box
    std::optional<long double> DisplayGamma;
    std::optional<bool> GammaCorrection;
    std::optional<int> JPEGQuality; // 1..100
    std::optional<bool> JPEGProgressive;
    int64_t PixelLimit = 0; // most pixels a picture may have; 0: the library's cap alone
    // The box the picture will be shown in: a reader may deliver it smaller than the file, but
    // never smaller than the picture fitted into the box. 0 x 0: full size.
    int HintWidth = 0, HintHeight = 0;
};

class TPixelGraphic;
class TPGFilter;
using TPGNotifyEvent = std::function<void(TPixelGraphic& Sender)>;
using TPGProgressEvent = std::function<void(TPixelGraphic& Sender, int Step, int Max, bool& Abort)>;

// Working state of the colour search and the error diffusion, owned by the image.
struct TPGColorCache;
struct TPGDitherState;
struct TPGColorCacheDeleter {
    void operator()(TPGColorCache* cache) const;
};
struct TPGDitherStateDeleter {
    void operator()(TPGDitherState* state) const;
};

class TPixelGraphic {
public:
    TPixelGraphic();
    virtual ~TPixelGraphic();
    TPixelGraphic(const TPixelGraphic&) = delete;
    TPixelGraphic& operator=(const TPixelGraphic&) = delete;

    // Copies pixels, palette and settings (not the events); nullptr makes the image empty.
    void Assign(const TPixelGraphic* Source);
    bool Empty() const { return !FBits; }

    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    uint8_t PixelFormat() const { return FPixelFormat; }
    void SetWidth(int value);
    void SetHeight(int value);
    void SetPixelFormat(uint8_t value);
    void SetSizeAndFormat(int W, int H, uint8_t F);
    void Clear();

    int BitCount() const { return BitCountOfPixelFormat(FPixelFormat); }
    int ColorCount() const { return ColorCountOfPixelFormat(FPixelFormat); }
    int64_t BytesPerRow() const { return FBytesPerRow; }
    int64_t ImageSize() const { return FImageSize; }
    uint8_t* Bits() { return FBits.get(); }
    const uint8_t* Bits() const { return FBits.get(); }
    uint8_t* ScanLine(int y);
    const uint8_t* ScanLine(int y) const;
    // The BITMAPINFO mirror: 40-byte header and ColorCount colour-table entries (blue, green,
    // red, 0). Empty while the image has no pixel memory.
    std::span<const uint8_t> BitmapInfo() const { return FHeader; }

    uint32_t GetPixel(int x, int y) const;
    void SetPixel(int x, int y, uint32_t value);
    uint32_t GetPixelColor(int x, int y) const;
    void SetPixelColor(int x, int y, uint32_t color);

    int PaletteCount() const { return static_cast<int>(FPalette.size()); }
    void SetPaletteCount(int n);
    uint32_t GetPaletteEntry(int i) const;
    void SetPaletteEntry(int i, uint32_t color);
    const std::vector<uint32_t>& Palette() const { return FPalette; }
    // Colour of an index as the colour table shows it: entry 0 (or black) beyond the palette.
    uint32_t ColorTableEntry(uint32_t index) const;
    TPaletteIdent PaletteIdent() const { return FPaletteIdent; }
    void SetPaletteIdent(TPaletteIdent ident);
    void ClassifyPalette();
    bool IsGrayScale() const { return FIsGrayScale; }

    // Palette index for a colour (the colour itself for a 24-bit image).
    virtual uint32_t NearestIndex(uint32_t color);
    void InvalidateColorCache();
    bool UseColorCache() const { return FUseColorCache; }
    void SetUseColorCache(bool value);
    bool RGBWeighting() const { return FRGBWeighting; }
    void SetRGBWeighting(bool value);

    // Settings; none of the setters reports a change.
    uint32_t BackGroundColor() const;
    void SetBackGroundColor(uint32_t value);
    bool Dither() const { return FDither; }
    void SetDither(bool v) { FDither = v; }
    uint8_t DitherErrorLimit() const { return FDitherErrorLimit; }
    void SetDitherErrorLimit(uint8_t v) { FDitherErrorLimit = v; }
    bool DitherErrorLimitAuto() const { return FDitherErrorLimitAuto; }
    void SetDitherErrorLimitAuto(bool v) { FDitherErrorLimitAuto = v; }
    bool DitherErrorLimitSoft() const { return FDitherErrorLimitSoft; }
    void SetDitherErrorLimitSoft(bool v) { FDitherErrorLimitSoft = v; }
    bool FastLoad() const { return FFastLoad; }
    void SetFastLoad(bool v) { FFastLoad = v; }
    long double Gamma() const { return FGamma; }
    void SetGamma(long double v) { FGamma = v; }
    bool RotateInterpolate() const { return FRotateInterpolate; }
    void SetRotateInterpolate(bool v) { FRotateInterpolate = v; }
    TStretchMode StretchMode() const { return FStretchMode; }
    void SetStretchMode(TStretchMode v) { FStretchMode = v; }
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool v) { FTransparent = v; }
    uint32_t TransparentColor() const { return FTransparentColor; }
    void SetTransparentColor(uint32_t v) { FTransparentColor = v; }
    TPGWarningAction ReadWarningAction() const { return FReadWarningAction; }
    void SetReadWarningAction(TPGWarningAction v) { FReadWarningAction = v; }
    TPGWarningAction SaveColorResWarningAction() const { return FSaveColorResWarningAction; }
    void SetSaveColorResWarningAction(TPGWarningAction v) { FSaveColorResWarningAction = v; }
    // Not copied by Assign: they belong to one call, not to the picture.
    const TPGCallOptions& CallOptions() const { return FCallOptions; }
    void SetCallOptions(TPGCallOptions v) { FCallOptions = std::move(v); }
    // The options' values where set, the library's defaults otherwise.
    long double EffectiveDisplayGamma() const;
    bool EffectiveGammaCorrection() const;
    TPGWarningAction EffectiveReadWarningAction() const;
    TPGWarningAction EffectiveSaveColorResWarningAction() const;

    // Geometric transforms (transforms.cpp); the destination is this image, written through the
    // colour conversion, so it may have any format.
    void FlipHorizontal();
    void FlipVertical();
    void StretchCopy(int DestX, int DestY, const TPixelGraphic& Source, int SourceHeight,
                     int SourceWidth, int SourceY, int SourceX, int DestHeight, int DestWidth);
    void CopyFrom(const TPixelGraphic& Source);
    void RotatedCopy(double DestCenterX, double DestCenterY, const TPixelGraphic& Source,
                     int SourceHeight, int SourceWidth, int SourceY, int SourceX,
                     double SourceCenterY, double SourceCenterX, double Angle);
    void Rotate(bool Resize, const TPixelGraphic& Source, double Angle);

    void BeginUpdate() { ++FUpdateLock; }
    void EndUpdate();
    virtual void Changed();
    // Grows with every Changed, so a view that copied colours can tell it is out of date.
    uint64_t ChangeCount() const { return FChangeCount; }

    TPGNotifyEvent OnChange;
    TPGProgressEvent OnProgress;
    TPGNotifyEvent OnProgressStart;
    TPGNotifyEvent OnProgressEnd;

    // Files, streams and the packed-DIB clipboard form (format_registry.cpp, bmp_format.cpp).
    void LoadFromFile(const std::filesystem::path& FileName, int Index = 0);
    void LoadFromStream(TStream& Stream);
    void SaveToFile(const std::filesystem::path& FileName);
    void SaveToStream(TStream& Stream);
    void SaveToStreamAs(TStream& Stream, const std::string& Extension);
    void ReadData(TStream& Stream);
    void WriteData(TStream& Stream);
    void LoadFromClipboardFormat(uint32_t Format, std::span<const uint8_t> Data);
    std::vector<uint8_t> SaveToClipboardFormat(uint32_t& Format);

    // Colour-depth conversion (color_depth.cpp): copies a block of Source into this image,
    // converting to this image's format, with error diffusion when Dither is on.
    void CopyRect(int DestX, int DestY, const TPixelGraphic& Source, int SourceY, int SourceX,
                  int Height, int Width);
    // Stores a colour with error diffusion while a TPGDitherScope is open (rows walked in
    // serpentine order: even rows left to right); otherwise as SetPixelColor.
    void DitherPixel(int x, int y, uint32_t color);
    // Runs a filter over Source and stores the result here; Source may be this image only for
    // a point filter.
    void ApplyFilter(TPGFilter& Filter, const TPixelGraphic& Source);

private:
    void releasePixels();
    void rebuildHeader();
    void updateHeaderEntry(int i);
    void invalidateMemo() { FMemoValid = false; }
    // The nearest-colour rule without the virtual call, for the loops over whole rows.
    uint32_t nearestIndex(uint32_t color);
    uint32_t indexByIdent(uint32_t color);
    uint32_t searchNearest(uint32_t color);
    uint32_t exhaustiveSearch(uint32_t color) const;
    void fillColorCache();
    int brightness(uint32_t color) const;
    void prepareDither();
    void startDitherRow(int y);
    uint32_t ditherStep(int x, int y, uint32_t color);
    // Stores the colours of pixels firstX.. of row y, walking it in serpentine order.
    void storeRow(int y, int firstX, std::span<const uint32_t> colors);
    void filterPixels(TPGFilter& Filter, const TPixelGraphic& Source);
    friend class TPGDitherScope;

    uint32_t FBackGroundColor = 0;
    uint8_t FPixelFormat = pf24Bit;
    TPGPixelBlock FBits;
    std::vector<uint8_t> FHeader;
    bool FDither = true;
    uint8_t FDitherErrorLimit = 32;
    bool FDitherErrorLimitAuto = true;
    bool FDitherErrorLimitSoft = true;
    bool FUseColorCache = true;
    bool FFastLoad = false;
    int FHeight = 0;
    bool FIsGrayScale = false;
    long double FGamma = DisplayGamma;
    int64_t FImageSize = 0;
    int64_t FBytesPerRow = 0;
    std::unique_ptr<TPGColorCache, TPGColorCacheDeleter> FColorCache;
    bool FMemoValid = false;
    uint32_t FMemoColor = 0;
    uint32_t FMemoIndex = 0;
    std::vector<uint32_t> FPalette;
    TPaletteIdent FPaletteIdent = pTrueColor;
    bool FRGBWeighting = true;
    bool FRotateInterpolate = true;
    TStretchMode FStretchMode = smPrecise;
    bool FTransparent = false;
    uint32_t FTransparentColor = 0;
    int FUpdateLock = 0;
    uint64_t FChangeCount = 0;
    TPGCallOptions FCallOptions;
    TPGWarningAction FReadWarningAction = pgwaOKCancelBox;
    TPGWarningAction FSaveColorResWarningAction = pgwaOKCancelBox;
    int FWidth = 0;

    std::unique_ptr<TPGDitherState, TPGDitherStateDeleter> FDitherState;
};

// Brackets one long operation: OnProgressStart now, OnProgressEnd when it goes out of scope
// (also when the operation ends by an error).
class TPGProgressScope {
public:
    explicit TPGProgressScope(TPixelGraphic& image);
    ~TPGProgressScope();
    TPGProgressScope(const TPGProgressScope&) = delete;
    TPGProgressScope& operator=(const TPGProgressScope&) = delete;
    // Reports a step; answers true once a handler asked to stop.
    bool Step(int step, int max);
    bool Aborted() const { return FAborted; }

private:
    TPixelGraphic& FImage;
    bool FAborted = false;
};

// The error-diffusion state of one conversion: prepared when the image has a palette format
// and Dither is on, released when the scope ends (also by an error).
class TPGDitherScope {
public:
    explicit TPGDitherScope(TPixelGraphic& image);
    ~TPGDitherScope();
    TPGDitherScope(const TPGDitherScope&) = delete;
    TPGDitherScope& operator=(const TPGDitherScope&) = delete;

private:
    TPixelGraphic& FImage;
};

// One BeginUpdate/EndUpdate pair for a scope.
class TPGUpdateScope {
public:
    explicit TPGUpdateScope(TPixelGraphic& image) : FImage(image) { FImage.BeginUpdate(); }
    ~TPGUpdateScope() { FImage.EndUpdate(); }
    TPGUpdateScope(const TPGUpdateScope&) = delete;
    TPGUpdateScope& operator=(const TPGUpdateScope&) = delete;

private:
    TPixelGraphic& FImage;
};

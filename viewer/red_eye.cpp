#include "red_eye.h"

#include "bmp_format.h"
#include "clarend.h"
#include "prompter.h"

#include <QCoreApplication>
#include <QCursor>
#include <QDir>
#include <QFile>
#include <QGuiApplication>

#include <dlfcn.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <new>

namespace {

using TFixRedEye2 = int32_t (*)(BITMAPINFOHEADER*, int32_t, int32_t, int32_t, int32_t, int32_t,
                                int32_t);

constexpr int32_t StrongestLevel = 2, RegionGrowing = 2;
constexpr int32_t WrongForm = -1;

// Loaded once per run on the window thread; closed when the program ends.
struct TRedEyeLibrary {
    void* Handle = nullptr;
    TFixRedEye2 Fix = nullptr;
    QString Path;

    ~TRedEyeLibrary() { Close(); }
    void Close() {
        if (Handle) dlclose(Handle);
        Handle = nullptr;
        Fix = nullptr;
    }
};

TRedEyeLibrary& library() {
    static TRedEyeLibrary state;
    return state;
}

class TWaitCursor {
public:
    TWaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TWaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;
};

void warn(TPrompter& prompter, const QString& text) {
    prompter.Message(TPromptKind::Warning, text);
}

// The packed DIB the library works on: the image's header mirror, then its pixel block.
struct TPackedDib {
    std::unique_ptr<uint8_t[]> Bytes;
    size_t Size = 0;
    BITMAPINFOHEADER* Header() const { return reinterpret_cast<BITMAPINFOHEADER*>(Bytes.get()); }
};

TPackedDib packedDib(const TPixelGraphic& source) {
    TPackedDib dib;
    const auto info = source.BitmapInfo();
    if (source.Empty() || source.Height() < 1 || info.size() < sizeof(BITMAPINFOHEADER)) return dib;
    dib.Size = info.size() + size_t(source.ImageSize());
    dib.Bytes.reset(new (std::nothrow) uint8_t[dib.Size]);
    if (!dib.Bytes) return {};
    std::memcpy(dib.Bytes.get(), info.data(), info.size());
    std::memcpy(dib.Bytes.get() + info.size(), source.Bits(), size_t(source.ImageSize()));
    return dib;
}

// The form the library reads: an uncompressed 24-bit header with no colour table, followed
// by every row it announces.
bool libraryReads(const TPackedDib& dib) {
    const BITMAPINFOHEADER& h = *dib.Header();
    if (h.biSize < sizeof h || h.biBitCount != 24 || h.biCompression != 0 || h.biClrUsed != 0 ||
        h.biWidth < 1 || h.biHeight == 0)
        return false;
    const uint64_t stride = (uint64_t(h.biWidth) * 24 + 31) / 32 * 4;
    const uint64_t rows = uint64_t(h.biHeight < 0 ? -int64_t(h.biHeight) : h.biHeight);
    return h.biSize <= dib.Size && stride * rows <= dib.Size - h.biSize;
}

TPGRect clipped(TPGRect r, int width, int height) {
    return {std::clamp(r.Left, 0, width), std::clamp(r.Top, 0, height),
            std::clamp(r.Right, 0, width), std::clamp(r.Bottom, 0, height)};
}

// Two eyes side by side in a wide rectangle, else one above the other.
std::array<TPGRect, 2> halves(TPGRect r) {
    if (r.Width() > r.Height()) {
        const int middle = r.Left + r.Width() / 2;
        return {{{r.Left, r.Top, middle, r.Bottom}, {middle, r.Top, r.Right, r.Bottom}}};
    }
    const int middle = r.Top + r.Height() / 2;
    return {{{r.Left, r.Top, r.Right, middle}, {r.Left, middle, r.Right, r.Bottom}}};
}

void correct(const TPackedDib& dib, TPGRect area) {
    if (!libraryReads(dib)) throw ERedEyeError(WrongForm);
    for (const TPGRect& half : halves(area)) {
        const int32_t result = library().Fix(dib.Header(), half.Left, half.Top, half.Right,
                                             half.Bottom, StrongestLevel, RegionGrowing);
        if (result != 0) throw ERedEyeError(result);
    }
}

} // namespace

QString RedEyeLibraryPath() {
    if (!library().Path.isEmpty()) return library().Path;
    return QCoreApplication::applicationDirPath() + QLatin1Char('/') + RedEyeLibraryName;
}

void SetRedEyeLibraryPath(const QString& path) {
    library().Path = path;
}

bool LoadRedEyeLibrary(TPrompter& prompter) {
    TRedEyeLibrary& lib = library();
    if (lib.Fix) return true;
    const QString path = RedEyeLibraryPath();
    if (QDir::isAbsolutePath(path))
        lib.Handle = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
    if (lib.Handle) lib.Fix = reinterpret_cast<TFixRedEye2>(dlsym(lib.Handle, "pVuxFixRedEye2"));
    if (lib.Fix) return true;
    lib.Close();
    warn(prompter, QStringLiteral("The Red Eye library, %1, cannot be located in your program "
                                  "folder.")
                       .arg(QLatin1String(RedEyeLibraryName)));
    return false;
}

void ReleaseRedEyeLibrary() {
    library().Close();
}

bool RemoveRedEye(const TPixelGraphic& Source, TPGRect Rect, TPixelGraphic& Target,
                  TPrompter& prompter) {
    if (!LoadRedEyeLibrary(prompter)) return false;
    TWaitCursor hourglass;
    const TPackedDib dib = packedDib(Source);
    if (!dib.Bytes) {
        warn(prompter, "An error was encountered whilst performing red eye removal on the image");
        return false;
    }
    const TPGRect area = clipped(Rect, Source.Width(), Source.Height());
    if (area.Width() <= 0 || area.Height() <= 0) return false;
    try {
        correct(dib, area);
    } catch (const ERedEyeError& e) {
        warn(prompter, QStringLiteral("Error %1 was encountered whilst performing red eye removal "
                                      "on your image")
                           .arg(e.Result));
        return false;
    }
    Target.LoadFromClipboardFormat(CF_DIB, {dib.Bytes.get(), dib.Size});
    return true;
}

// Feeds the Windows metafile (FUZZ_WMF) or the enhanced metafile reader with arbitrary bytes.
// The record walker plays onto a device that checks every call it gets; then the reader plays
// the same bytes through the registry at FastLoad's size on Qt's offscreen platform.

#include "format_registry.h"
#include "metafile_player.h"
#include "metafile_readers.h"

#include <QGuiApplication>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

#ifdef FUZZ_WMF
constexpr TMetafileKind kind = TMetafileKind::WMF;
const char* const extension = "wmf";
#else
constexpr TMetafileKind kind = TMetafileKind::EMF;
const char* const extension = "emf";
#endif
constexpr int thumbnailSide = 130;

void require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

bool finite(double v) {
    return std::isfinite(v);
}
bool finite(TMFPoint p) {
    return finite(p.X) && finite(p.Y);
}

void checkPath(const TMFPath& path) {
    size_t points = 0;
    for (TMFPath::TSegment s : path.Segments())
        points += s == TMFPath::Cubic ? 3 : s == TMFPath::Close ? 0 : 1;
    require(points == path.Points().size(), "a path's points match its segments");
    for (TMFPoint p : path.Points()) require(finite(p), "path points are finite");
}

// Answers what a device would and checks what the walker hands it.
class TCheckingDevice : public TMetafileDevice {
public:
    void FillPath(const TMFPath& path, const TMFBrush& brush, const TMFDrawState& state) override {
        checkPath(path);
        checkState(state);
        require(brush.Style != bsPattern || (brush.Pattern && !brush.Pattern->Empty()),
                "a pattern brush has its picture");
    }
    void StrokePath(const TMFPath& path, const TMFPen& pen, const TMFDrawState& state) override {
        checkPath(path);
        checkState(state);
        require(finite(pen.Width) && pen.Width >= 0, "pen widths are finite, not negative");
    }
    double DrawText(const TMFTextRun& run) override {
        require(finite(run.Origin), "text origins are finite");
        require(finite(run.Font.Height) && finite(run.Font.Width) && finite(run.Font.Angle),
                "font measures are finite");
        for (double d : run.Dx) require(finite(d), "advances are finite");
        if (run.Clipped || run.OpaqueBackground) checkPath(run.ClipRect);
        return double(run.Text.size());
    }
    void DrawImage(const TPixelGraphic& image, int sx, int sy, int sw, int sh, TMFPoint topLeft,
                   TMFPoint topRight, TMFPoint bottomLeft, TMFBlend) override {
        require(!image.Empty(), "images have pixels");
        require(sx >= 0 && sy >= 0 && sw > 0 && sh > 0 && int64_t(sx) + sw <= image.Width() &&
                    int64_t(sy) + sh <= image.Height(),
                "the source rectangle lies inside the image");
        require(finite(topLeft) && finite(topRight) && finite(bottomLeft),
                "image corners are finite");
    }
    void SetClip(const TMFClip& clip) override {
        for (const TMFClipStep& step : clip) checkPath(step.Area);
    }

private:
    static void checkState(const TMFDrawState& state) {
        require(state.Rop2 >= R2_BLACK && state.Rop2 <= R2_WHITE, "a known raster operation");
        require(state.FillMode == fmAlternate || state.FillMode == fmWinding, "a known fill mode");
    }
};

// The walker alone, at the size a thumbnail plays at; progress only ever goes forward.
void playChecked(std::span<const uint8_t> file) {
    TMetafileHeader header;
    try {
        header = ReadMetafileHeader(file, kind, 96);
    } catch (const std::exception&) {
        return;
    }
    require(header.Width >= 1 && header.Height >= 1, "headers give a size");
    TMFPlayOptions options;
    MetafileOutputSize(header, true, TPGCallOptions(), options.Width, options.Height);
    require(options.Width <= thumbnailSide && options.Height <= thumbnailSide, "FastLoad's fit");
    int last = 0;
    options.Progress = [&last](int percent) {
        require(percent >= last && percent <= 100, "progress goes forward within 0..100");
        last = percent;
        return false;
    };
    TCheckingDevice device;
    PlayMetafile(file, header, device, options);
}

// The reader as a thumbnail load uses it: what GetInfo accepts, ReadImage plays.
void loadThumbnail(TStream& stream) {
    const TFileFormatReader* reader = PGRegistry().FindReader(stream, extension);
    if (!reader || reader->Extension != extension) return;
    bool described = true;
    try {
        TPGImageInfo info;
        reader->GetInfo(stream, 0, info);
    } catch (const std::exception&) {
        described = false;
    }
    TPixelGraphic image;
    TPGCallOptions options;
    options.WarningAction = pgwaIgnore;
    image.SetCallOptions(options);
    image.SetFastLoad(true);
    stream.SetPosition(0);
    bool loaded = true;
    try {
        PGLoadImage(PGRegistry(), image, stream, extension, 0);
    } catch (const std::exception&) {
        loaded = false;
    }
    require(loaded == described, "ReadImage plays exactly what GetInfo describes");
    if (!loaded) return;
    require(image.Width() >= 1 && image.Height() >= 1 && image.Width() <= thumbnailSide &&
                image.Height() <= thumbnailSide,
            "the picture fits FastLoad's box");
    require(image.ImageSize() == image.BytesPerRow() * image.Height(), "memory matches sizes");
}

} // namespace

// Fontconfig keeps the patterns of every face Qt first asks for until the process ends.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static std::unique_ptr<QGuiApplication> application(new QGuiApplication(*argc, *argv));
    InstallMetafileReaders();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    playChecked({data, size});
    TBorrowedStream stream({data, size});
    loadThumbnail(stream);
    return 0;
}

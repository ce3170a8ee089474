#include "metafile_readers.h"

#include "metafile_player.h"
#include "pg_canvas.h"
#include "pg_metafile_painter.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr uint32_t white = 0x00FFFFFF;

std::vector<uint8_t> readAll(TStream& stream) {
    std::vector<uint8_t> bytes(static_cast<size_t>(stream.Remaining()));
    bytes.resize(static_cast<size_t>(
        std::max<int64_t>(stream.Read(bytes.data(), int64_t(bytes.size())), 0)));
    return bytes;
}

// The picture's format and palette, every pixel the background.
void prepare(TPixelGraphic& image, const TMetafileHeader& header, int w, int h) {
    const uint8_t format = MetafilePixelFormat(header.Palette.size());
    image.SetBackGroundColor(white);
    image.SetSizeAndFormat(w, h, format);
    if (format == pf24Bit) {
        std::memset(image.Bits(), 0xFF, static_cast<size_t>(image.ImageSize()));
        return;
    }
    image.SetPaletteCount(static_cast<int>(header.Palette.size()));
    for (size_t i = 0; i < header.Palette.size(); ++i)
        image.SetPaletteEntry(static_cast<int>(i), header.Palette[i]);
    const uint32_t index = image.NearestIndex(white);
    const int fill = format == pf8Bit   ? int(index)
                     : format == pf4Bit ? int(index * 0x11)
                     : index            ? 0xFF
                                        : 0;
    std::memset(image.Bits(), fill, static_cast<size_t>(image.ImageSize()));
}

} // namespace

bool TMetafileReader::IsFormat(const TPGHeader& Header) const {
    return FKind == TMetafileKind::WMF ? IsWMFSignature(Header) : IsEMFSignature(Header);
}

void TMetafileReader::ReadImage(TStream& Stream, TPixelGraphic& Image, int) const {
    const std::vector<uint8_t> file = readAll(Stream);
    const TMetafileHeader header = ReadMetafileHeader(file, FKind, PGScreenDPI());
    int w = 0, h = 0;
    MetafileOutputSize(header, Image.FastLoad(), Image.CallOptions(), w, h);
    TPGUpdateScope update(Image);
    TPGProgressScope progress(Image);
    if (progress.Step(2, 100)) return;
    prepare(Image, header, w, h);
    TMFPlayOptions options;
    options.Width = w, options.Height = h;
    options.DIBPixelLimit = Image.CallOptions().PixelLimit;
    options.Progress = [&progress](int percent) {
        return progress.Step(std::min(100, 2 + percent * 98 / 100), 100);
    };
    TPGCanvas canvas(Image);
    TMFPainterDevice device(canvas.Painter(), w, h);
    PlayMetafile(file, header, device, options);
    canvas.End();
}

void TMetafileReader::GetInfo(TStream& Stream, int, TPGImageInfo& Info) const {
    Info = MetafileInfo(ReadMetafileHeader(readAll(Stream), FKind, PGScreenDPI()));
}

void RegisterMetafileFormats(TPGRegistry& registry) {
    registry.AddReader(std::make_unique<tWMFFileFormatReader>());
    registry.AddReader(std::make_unique<tEMFFileFormatReader>());
}

void InstallMetafileReaders() {
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            SetPGScreenDPI(static_cast<int>(std::lround(screen->logicalDotsPerInch())));
    AddFormatRegistration(RegisterMetafileFormats);
}

#include "pg_clipboard.h"

#include "bmp_format.h"
#include "pg_qt_view.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <cstring>

namespace {

constexpr size_t fileHeaderSize = 14, infoHeaderSize = 40;

void putLE(uint8_t* p, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

uint32_t getLE32(const uint8_t* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}

// A BMP file written by us places the colour table and pixels right after the info header,
// exactly as the packed form does; anything else is read through Qt's decoders.
bool isPackedBmp(const QByteArray& file) {
    if (file.size() < qsizetype(fileHeaderSize + infoHeaderSize) || !file.startsWith("BM"))
        return false;
    const auto* p = reinterpret_cast<const uint8_t*>(file.constData());
    const uint32_t infoSize = getLE32(p + 14), bitCount = p[28] | p[29] << 8;
    uint32_t colors = getLE32(p + 46);
    if (colors == 0 && bitCount <= 8) colors = 1u << bitCount;
    return infoSize == infoHeaderSize && getLE32(p + 30) == 0 &&
           getLE32(p + 10) == fileHeaderSize + infoHeaderSize + 4 * colors;
}

QImage upright(TPixelGraphic& image) {
    return TPGQtView(image).Rows().mirrored(false, true).convertToFormat(QImage::Format_RGB32);
}

} // namespace

std::vector<uint8_t> PGPackedDIB(const QImage& picture) {
    const bool indexed = picture.colorCount() > 0 && picture.colorCount() <= 256;
    const QImage src =
        picture.convertToFormat(indexed ? QImage::Format_Indexed8 : QImage::Format_RGB888);
    const int bits = indexed ? 8 : 24, colors = indexed ? src.colorCount() : 0;
    const int64_t w = src.width(), h = src.height(), stride = BytesPerRowOf(bits, w);
    const size_t tableEnd = infoHeaderSize + 4 * static_cast<size_t>(colors);
    std::vector<uint8_t> dib(tableEnd + static_cast<size_t>(stride * h), 0);
    uint8_t* p = dib.data();
    putLE(p, infoHeaderSize, 4), putLE(p + 4, static_cast<uint32_t>(w), 4);
    putLE(p + 8, static_cast<uint32_t>(h), 4), putLE(p + 12, 1, 2), putLE(p + 14, bits, 2);
    putLE(p + 20, static_cast<uint32_t>(stride * h), 4), putLE(p + 32, colors, 4);
    for (int i = 0; i < colors; ++i) {
        const QRgb c = src.color(i);
        uint8_t* e = p + infoHeaderSize + 4 * i;
        e[0] = static_cast<uint8_t>(qBlue(c)), e[1] = static_cast<uint8_t>(qGreen(c));
        e[2] = static_cast<uint8_t>(qRed(c));
    }
    for (int64_t y = 0; y < h; ++y) {
        uint8_t* row = p + tableEnd + (h - 1 - y) * stride;
        const uchar* line = src.constScanLine(static_cast<int>(y));
        if (indexed) {
            std::memcpy(row, line, static_cast<size_t>(w));
        } else {
            for (int64_t x = 0; x < w; ++x)
                row[3 * x] = line[3 * x + 2], row[3 * x + 1] = line[3 * x + 1],
                        row[3 * x + 2] = line[3 * x];
        }
    }
    return dib;
}

QMimeData* PGClipboardMimeData(TPixelGraphic& image) {
    uint32_t format = 0;
    const std::vector<uint8_t> dib = image.SaveToClipboardFormat(format);
    QByteArray file(static_cast<qsizetype>(fileHeaderSize), '\0');
    auto* h = reinterpret_cast<uint8_t*>(file.data());
    h[0] = 'B', h[1] = 'M';
    putLE(h + 2, static_cast<uint32_t>(fileHeaderSize + dib.size()), 4);
    putLE(h + 10, static_cast<uint32_t>(fileHeaderSize + infoHeaderSize) + 4 * getLE32(&dib[32]),
          4);
    file.append(reinterpret_cast<const char*>(dib.data()), static_cast<qsizetype>(dib.size()));
    auto* data = new QMimeData;
    data->setData(PGClipboardBmpType, file);
    data->setImageData(upright(image));
    return data;
}

void CopyToClipboard(TPixelGraphic& image) {
    if (image.Empty()) return;
    QGuiApplication::clipboard()->setMimeData(PGClipboardMimeData(image));
}

void LoadFromMimeData(TPixelGraphic& image, const QMimeData* data) {
    std::vector<uint8_t> dib;
    const QByteArray file = data ? data->data(PGClipboardBmpType) : QByteArray();
    if (isPackedBmp(file)) {
        dib.assign(file.begin() + fileHeaderSize, file.end());
    } else if (data && data->hasImage()) {
        const QImage picture = qvariant_cast<QImage>(data->imageData());
        if (!picture.isNull()) dib = PGPackedDIB(picture);
    }
    image.LoadFromClipboardFormat(CF_DIB, dib);
}

void LoadFromClipboard(TPixelGraphic& image) {
    LoadFromMimeData(image, QGuiApplication::clipboard()->mimeData());
}

#include "thumb_maker.h"

#include "format_registry.h"
#include "jpeg_format.h"
#include "pg_qt_view.h"
#include "pg_stream.h"
#include "safe_file.h"
#include "thumb_files.h"
#include "thumb_geometry.h"
#include "thumb_shared.h"

#include <QDir>
#include <QFileInfo>

#include <memory>

namespace {

std::string extensionOf(const QString& path) {
    return QFileInfo(path).suffix().toStdString();
}

// The header's size; a reader may deliver the picture reduced, and the fit keeps the file's aspect.
TPGImageInfo headerOf(TStream& stream, const std::string& extension) {
    TPGImageInfo info;
    try {
        if (const TFileFormatReader* reader = PGRegistry().FindReader(stream, extension))
            reader->GetInfo(stream, 0, info);
    } catch (...) {
        info = {};
    }
    stream.Seek(0, TSeekOrigin::Begin);
    return info;
}

QString dimensionText(const TPGImageInfo& info) {
    if (info.Width <= 0 || info.Height <= 0) return {};
    return QStringLiteral("%1x%2x%3bit").arg(info.Width).arg(info.Height).arg(info.BitCount);
}

QSize sizeOf(const TPGImageInfo& info, const TPixelGraphic& image) {
    if (info.Width <= 0 || info.Height <= 0) return {image.Width(), image.Height()};
    // A JPEG turned upright by its orientation has the header's sides swapped.
    const bool turned = info.Width != info.Height && image.Width() != image.Height() &&
                        (info.Width > info.Height) != (image.Width() > image.Height());
    return turned ? QSize(info.Height, info.Width) : QSize(info.Width, info.Height);
}

bool isPrematureEnd(const std::exception& error) {
    return std::string_view(error.what()).ends_with("Premature end of JPEG file");
}

// The picture of a file, reduced on the way where the format allows; nullptr on failure.
std::unique_ptr<TPixelGraphic> decode(const QString& path, TStream& stream,
                                      const TPGImageInfo& info, QSize box, const TThumbStop& stop) {
    auto image = std::make_unique<TPixelGraphic>();
    image->OnProgress = [&](TPixelGraphic&, int, int, bool& abort) {
        if (stop()) abort = true;
    };
    try {
        if (IsJpegName(path)) {
            image->SetReadWarningAction(pgwaIgnore); // a truncated file shows what is there
            TJPGDecodeOptions options;
            options.Performance = jpgBestSpeed;
            options.ScaleDenom = JpegScaleFor({info.Width, info.Height}, box);
            LoadJPEGScaled(stream, *image, options);
        } else {
            TPGCallOptions options;
            options.WarningAction = pgwaRaise;
            options.HintWidth = box.width();
            options.HintHeight = box.height();
            image->SetCallOptions(options);
            image->SetFastLoad(true);
            PGLoadImage(PGRegistry(), *image, stream, extensionOf(path), 0);
        }
    } catch (const std::exception& error) {
        if (!isPrematureEnd(error) || image->Empty()) return nullptr;
    }
    if (image->Empty() || image->Width() <= 0 || image->Height() <= 0 || stop()) return nullptr;
    return image;
}

QImage fitted(const TPixelGraphic& source, QSize original, QSize box) {
    const QSize size = FitIntoBox(original, box);
    TPixelGraphic thumb;
    thumb.SetSizeAndFormat(size.width(), size.height(), pf24Bit);
    thumb.CopyFrom(source);
    return PictureToRGB32(thumb);
}

QImage pictureFile(const QString& file, QSize box, const TThumbStop& stop) {
    if (file.isEmpty()) return {};
    std::optional<TOpenedFile> opened = OpenRegularFile(file);
    if (!opened) return {};
    const TPGImageInfo info = headerOf(*opened->Stream, extensionOf(file));
    std::unique_ptr<TPixelGraphic> image = decode(file, *opened->Stream, info, box, stop);
    return image ? fitted(*image, sizeOf(info, *image), box) : QImage();
}

// Our own cache file, as it was written: no fitting, no reduction.
QImage cachedFile(const QString& file) {
    std::optional<TOpenedFile> opened = OpenRegularFile(file);
    if (!opened) return {};
    try {
        TPixelGraphic image;
        PGLoadImage(PGRegistry(), image, *opened->Stream, {}, 0);
        if (image.Empty()) return {};
        return PictureToRGB32(image);
    } catch (...) {
        return {};
    }
}

bool writeCacheFile(const QString& file, bool jpeg, const QImage& thumb) {
    TPixelGraphic image;
    image.SetSizeAndFormat(thumb.width(), thumb.height(), pf24Bit);
    for (int y = 0; y < thumb.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(thumb.constScanLine(y));
        for (int x = 0; x < thumb.width(); ++x) image.SetPixelColor(x, y, PGFromQRgb(row[x]));
    }
    TPGCallOptions options;
    options.JPEGQuality = 90; // the writer's own quality belongs to the user's saves
    image.SetCallOptions(options);
    try {
        TMemoryStream stream;
        image.SaveToStreamAs(stream, jpeg ? "jpg" : "bmp");
        const std::vector<uint8_t>& bytes = stream.Data();
        WriteFileAtomically(file, QByteArray(reinterpret_cast<const char*>(bytes.data()),
                                             static_cast<qsizetype>(bytes.size())));
        return true;
    } catch (...) {
        return false; // a failed write leaves no cache entry
    }
}

TThumbResult fallback(TThumbResult result, const TThumbRequest& request, TThumbKind kind,
                      const TThumbStop& stop) {
    const QString& file =
        kind == TThumbKind::Error ? request.ErrorThumb : request.NonSupportedFormatThumb;
    result.Thumb = pictureFile(file, request.Box, stop);
    result.Kind = kind;
    if (result.Thumb.isNull() && kind == TThumbKind::NotSupported)
        return fallback(std::move(result), request, TThumbKind::Error, stop);
    return result;
}

} // namespace

QImage PictureToRGB32(const TPixelGraphic& image) {
    return TPGQtView(image).Mirrored(false, true).Rows().convertToFormat(QImage::Format_RGB32);
}

bool IsJpegName(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("jpg") || suffix == QLatin1String("jpe") ||
           suffix == QLatin1String("jpeg");
}

namespace {
void storeInCache(const TThumbRequest& request, TThumbResult& result, const TThumbStop& stop) {
    if (request.CacheFolder.isEmpty() || stop()) return;
    TThumbNameParts naming = request.Naming;
    naming.MTime = result.MTime;
    const QString name = ThumbCacheName(request.Path, naming);
    if (writeCacheFile(QDir(request.CacheFolder).filePath(name), naming.Jpeg, result.Thumb))
        result.WrittenName = name;
}

bool writesShared(const TThumbRequest& request) {
    return request.WriteShared && !request.SharedRoot.isEmpty() &&
           !InsideFolder(request.Path, request.SharedRoot) &&
           !InsideFolder(request.Path, request.CacheFolder);
}

} // namespace

TThumbResult MakeThumbnail(const TThumbRequest& request, const TThumbStop& stop) {
    TThumbResult result;
    result.Path = request.Path;
    std::optional<TOpenedFile> source = OpenRegularFile(request.Path);
    if (!source) return fallback(std::move(result), request, TThumbKind::Error, stop);
    result.MTime = source->Stamp.MTime;
    const TPGImageInfo info = headerOf(*source->Stream, extensionOf(request.Path));
    result.Dimensions = dimensionText(info);
    if (!request.CachedFile.isEmpty()) {
        result.Thumb = cachedFile(request.CachedFile);
        if (!result.Thumb.isNull()) return result;
    }
    if (!request.Supported)
        return fallback(std::move(result), request, TThumbKind::NotSupported, stop);
    if (!request.SharedRoot.isEmpty()) {
        if (std::optional<QImage> shared =
                ReadSharedThumb(request.SharedRoot, request.Path, source->Stamp, request.Box)) {
            result.Thumb = *shared;
            storeInCache(request, result, stop);
            return result;
        }
    }
    // A shared thumbnail to write needs the picture at its class's size, not only the box's.
    const bool shared = writesShared(request);
    const int classSide = SharedThumbClassFor(request.Box).Size;
    const QSize decodeBox = shared ? QSize(classSide, classSide) : request.Box;
    std::unique_ptr<TPixelGraphic> image =
        decode(request.Path, *source->Stream, info, decodeBox, stop);
    if (stop()) return result;
    if (!image) return fallback(std::move(result), request, TThumbKind::Error, stop);
    result.Thumb = fitted(*image, sizeOf(info, *image), request.Box);
    storeInCache(request, result, stop);
    if (shared && !stop())
        WriteSharedThumb(request.SharedRoot, request.Path, source->Stamp, request.Box,
                         PictureToRGB32(*image));
    return result;
}

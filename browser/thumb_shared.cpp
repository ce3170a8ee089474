#include "thumb_shared.h"

#include "pg_stream.h"
#include "png_format.h"
#include "thumb_geometry.h"
#include "thumb_maker.h"
#include "thumb_names.h"

#include <QDir>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <cstdio>
#include <sys/stat.h>

namespace {
constexpr TSharedThumbClass Classes[] = {{"normal", 128}, {"large", 256}, {"x-large", 512}};

std::optional<std::string> textOf(const TPNGTexts& texts, const std::string& key) {
    for (const auto& [k, v] : texts)
        if (k == key) return v;
    return std::nullopt;
}

bool keysMatch(const TPNGTexts& texts, const QString& path, const TFileStamp& stamp) {
    const std::optional<std::string> uri = textOf(texts, "Thumb::URI");
    const std::optional<std::string> mtime = textOf(texts, "Thumb::MTime");
    const std::optional<std::string> size = textOf(texts, "Thumb::Size");
    return uri && *uri == DesktopThumbUri(path).toStdString() && mtime &&
           *mtime == std::to_string(stamp.MTime) && (!size || *size == std::to_string(stamp.Size));
}

std::optional<QImage> readOne(const QString& file, const QString& path, const TFileStamp& stamp,
                              QSize box) {
    std::optional<TOpenedFile> opened = OpenRegularFile(file);
    if (!opened) return std::nullopt;
    try {
        if (!keysMatch(ReadPNGTexts(*opened->Stream), path, stamp)) return std::nullopt;
        opened->Stream->Seek(0, TSeekOrigin::Begin);
        TPixelGraphic image;
        TPNGFileFormatReader().ReadImage(*opened->Stream, image, 0);
        const QImage whole = PictureToRGB32(image);
        return whole.scaled(FitIntoBox(whole.size(), box), Qt::IgnoreAspectRatio,
                            Qt::SmoothTransformation);
    } catch (...) {
        return std::nullopt;
    }
}

bool makePrivateFolder(const QString& folder) {
    if (!QDir().mkpath(folder)) return false;
    return ::chmod(folder.toUtf8().constData(), 0700) == 0;
}
} // namespace

QString SharedThumbRoot() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QStringLiteral("/thumbnails");
}

TSharedThumbClass SharedThumbClassFor(QSize box) {
    for (const TSharedThumbClass& c : Classes)
        if (box.width() <= c.Size && box.height() <= c.Size) return c;
    return Classes[std::size(Classes) - 1];
}

std::optional<QImage> ReadSharedThumb(const QString& root, const QString& path,
                                      const TFileStamp& stamp, QSize box) {
    const int least = SharedThumbClassFor(box).Size;
    const QString name = DesktopThumbName(path);
    for (const TSharedThumbClass& c : Classes) {
        if (c.Size < least) continue;
        const QString file = root + '/' + QLatin1String(c.Folder) + '/' + name;
        if (std::optional<QImage> thumb = readOne(file, path, stamp, box)) return thumb;
    }
    return std::nullopt;
}

bool InsideFolder(const QString& path, const QString& folder) {
    if (folder.isEmpty()) return false;
    const QString base = QDir::cleanPath(folder) + '/';
    return QDir::cleanPath(path).startsWith(base);
}

bool WriteSharedThumb(const QString& root, const QString& path, const TFileStamp& stamp, QSize box,
                      const QImage& picture) {
    if (picture.isNull() || InsideFolder(path, root)) return false;
    const TSharedThumbClass c = SharedThumbClassFor(box);
    const QString folder = root + '/' + QLatin1String(c.Folder);
    if (!makePrivateFolder(root) || !makePrivateFolder(folder)) return false;
    QSize size = picture.size();
    if (size.width() > c.Size || size.height() > c.Size) size = FitIntoBox(size, {c.Size, c.Size});
    const QImage rgba = picture.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                            .convertToFormat(QImage::Format_RGBA8888);
    const TPNGTexts texts = {{"Thumb::URI", DesktopThumbUri(path).toStdString()},
                             {"Thumb::MTime", std::to_string(stamp.MTime)},
                             {"Thumb::Size", std::to_string(stamp.Size)},
                             {"Software", "Glimmet"}};
    try {
        TMemoryStream png;
        WritePNGRGBA(png, rgba.width(), rgba.height(), rgba.constBits(), rgba.bytesPerLine(),
                     texts);
        // A temporary file is made 0600; only a complete file gets the thumbnail's name.
        QTemporaryFile file(folder + QStringLiteral("/.glimmet-XXXXXX.png"));
        if (!file.open()) return false;
        const std::vector<uint8_t>& bytes = png.Data();
        const auto length = static_cast<qint64>(bytes.size());
        if (file.write(reinterpret_cast<const char*>(bytes.data()), length) != length ||
            !file.flush())
            return false;
        const QString target = folder + '/' + DesktopThumbName(path);
        if (std::rename(file.fileName().toUtf8().constData(), target.toUtf8().constData()) != 0)
            return false;
        file.setAutoRemove(false);
        return true;
    } catch (...) {
        return false;
    }
}

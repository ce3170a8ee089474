#include "thumb_names.h"

#include <QCryptographicHash>
#include <QRegularExpression>

#include <cstdio>

uint32_t ThumbPathHash1(const QByteArray& path) {
    if (path.isEmpty()) return 0;
    uint32_t h = static_cast<uint8_t>(path[0]);
    for (qsizetype i = 1; i < path.size(); ++i) h = h * 31u + static_cast<uint8_t>(path[i]);
    return h & ((1u << 27) - 1);
}

uint32_t ThumbPathHash2(const QByteArray& path) {
    const qsizetype pad = (4 - path.size() % 4) % 4;
    const QByteArray bytes = QByteArray(pad, '\0') + path;
    uint32_t sum = 0;
    for (qsizetype i = 0; i < bytes.size(); i += 4) {
        uint32_t word = 0;
        for (int k = 3; k >= 0; --k) word = word << 8 | static_cast<uint8_t>(bytes[i + k]);
        sum += word;
    }
    return (sum & 0xFFFFu) ^ (sum >> 16);
}

QString ThumbDatePart(std::optional<int64_t> mtimeSeconds) {
    if (!mtimeSeconds) return {};
    // Integer arithmetic keeps the text independent of the locale and of rounding drift.
    const int64_t secs = *mtimeSeconds;
    int64_t days = secs / 86400 + 25569;
    int64_t rest = secs % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    int64_t fraction = (rest * 100000 + 43200) / 86400;
    if (fraction == 100000) {
        fraction = 0;
        ++days;
    }
    char text[48];
    std::snprintf(text, sizeof text, "%lld%05lld", static_cast<long long>(days),
                  static_cast<long long>(fraction));
    const QString digits = QString::fromLatin1(text);
    return digits.size() > 2 ? digits.mid(2) : QString();
}

QString ThumbCacheName(const QString& path, const TThumbNameParts& parts) {
    const QByteArray bytes = path.toUtf8();
    const QString suffix =
        parts.NoExtension ? QString(parts.Jpeg ? "e" : "b") : QString(parts.Jpeg ? ".jpg" : ".bmp");
    return QStringLiteral("~x%1x%2_%3%4F%5%6")
        .arg(parts.Width)
        .arg(parts.Height)
        .arg(ThumbPathHash1(bytes))
        .arg(ThumbDatePart(parts.MTime))
        .arg(ThumbPathHash2(bytes))
        .arg(suffix);
}

bool IsThumbCacheName(const QString& fileName) {
    static const QRegularExpression pattern(
        QStringLiteral(R"(^~x\d+x\d+_\d+F\d+(e|b|\.jpg|\.bmp)$)"));
    return pattern.match(fileName).hasMatch();
}

QByteArray DesktopThumbUri(const QString& path) {
    return "file://" + path.toUtf8().toPercentEncoding("/!$&'()*+,-.:=@_~");
}

QString DesktopThumbName(const QString& path) {
    const QByteArray md5 =
        QCryptographicHash::hash(DesktopThumbUri(path), QCryptographicHash::Md5).toHex();
    return QString::fromLatin1(md5) + QStringLiteral(".png");
}

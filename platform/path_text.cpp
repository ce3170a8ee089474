#include "path_text.h"

#include <QDateTime>
#include <QFontMetrics>
#include <QLocale>
#include <QStringList>
#include <QWidget>

namespace {

// Where the extension of the last component starts; -1 when there is none.
qsizetype ExtensionStart(const QString& path) {
    const qsizetype nameStart = path.lastIndexOf(u'/') + 1;
    const qsizetype dot = path.lastIndexOf(u'.');
    return dot > nameStart ? dot : -1;
}

QString WithThousandsMark(QString digits) {
    if (digits.size() > 3) digits.insert(digits.size() - 3, u',');
    return digits;
}

// One step of the shortening: the first `hidden` folder components shown as "...", the root
// kept or dropped.
QString ShortenedPath(bool rooted, const QStringList& folders, qsizetype hidden,
                      const QString& name) {
    QString text = rooted ? QStringLiteral("/") : QString();
    if (hidden > 0) text += QStringLiteral(".../");
    for (qsizetype i = hidden; i < folders.size(); ++i) text += folders[i] + u'/';
    return text + name;
}

} // namespace

QString AddSlash(const QString& path) {
    return path.isEmpty() || path.endsWith(u'/') ? path : path + u'/';
}

QString RemoveSlash(const QString& path) {
    return path.size() > 1 && path.endsWith(u'/') ? path.chopped(1) : path;
}

QString FileNameOf(const QString& path) {
    return path.mid(path.lastIndexOf(u'/') + 1);
}

QString FolderOf(const QString& path) {
    return path.left(path.lastIndexOf(u'/') + 1);
}

QString FileExtension(const QString& path) {
    const qsizetype start = ExtensionStart(path);
    return start < 0 ? QString() : path.mid(start);
}

QString JustName(const QString& path) {
    const QString name = FileNameOf(path);
    return name.left(name.size() - FileExtension(name).size());
}

bool ExtInList(const QString& path, const QString& maskList) {
    const QString whole = maskList.trimmed();
    if (whole == "*.*" || whole == "*.*;") return true;
    QString extension = FileExtension(path).toUpper();
    if (extension.size() < 2) extension = QStringLiteral(".NOTHING");
    const QString wanted = u'*' + extension;
    for (const QString& mask : maskList.split(u';'))
        if (mask.trimmed().toUpper() == wanted) return true;
    return false;
}

QString changeextension(const QString& path, const QString& extension) {
    const qsizetype start = ExtensionStart(path);
    return (start < 0 ? path : path.left(start)) + extension;
}

QString ExtractFinalPath(const QString& folder) {
    return FileNameOf(RemoveSlash(folder));
}

QString bytestostr(int64_t count, bool shortForm) {
    QString digits = QString::number(count);
    QString unit = QStringLiteral(" bytes");
    if (digits.size() > (shortForm ? 3 : 6)) {
        digits = QString::number((count + 512) / 1024);
        unit = QStringLiteral(" Kb");
    }
    return WithThousandsMark(digits) + unit;
}

QString MinimizePathName(const QString& path, int width,
                         const std::function<int(const QString&)>& measure) {
    const QString name = FileNameOf(path);
    const bool rooted = path.startsWith(u'/');
    const QStringList folders = FolderOf(path).split(u'/', Qt::SkipEmptyParts);
    for (qsizetype hidden = 0; hidden <= folders.size(); ++hidden) {
        const QString text = ShortenedPath(rooted, folders, hidden, name);
        if (measure(text) <= width) return text;
    }
    if (rooted && !folders.isEmpty()) {
        const QString text = ShortenedPath(false, folders, folders.size(), name);
        if (measure(text) <= width) return text;
    }
    return name;
}

QString MinimizePathName(const QWidget& window, const QString& path, int margin) {
    const QFontMetrics metrics(window.font());
    return MinimizePathName(path, window.width() - margin,
                            [&](const QString& text) { return metrics.horizontalAdvance(text); });
}

QString DateTimeFileText(const QDateTime& moment, bool removeCharacters) {
    QString text = QLocale::system().toString(moment, QLocale::ShortFormat);
    struct TSwap {
        char16_t From, To;
    };
    for (const TSwap swap : {TSwap{u':', u'.'}, TSwap{u'/', u'-'}, TSwap{u' ', u'_'}}) {
        if (removeCharacters)
            text.remove(QChar(swap.From));
        else
            text.replace(QChar(swap.From), QChar(swap.To));
    }
    return text;
}

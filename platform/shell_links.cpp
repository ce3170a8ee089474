#include "shell_links.h"

#include "file_routines.h"
#include "path_text.h"

#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int MostCopies = 10'000;

QString NumberedName(const QString& path, int n) {
    if (n == 0) return path;
    return FolderOf(path) + JustName(path) + u'(' + QString::number(n) + u')' + FileExtension(path);
}

QString DesktopEntry(const QString& target) {
    const QFileInfo info(target);
    QString entry = QStringLiteral("[Desktop Entry]\n");
    entry += "Name=" + info.completeBaseName() + u'\n';
    if (info.isFile() && info.isExecutable()) {
        QString quoted = target;
        for (const char* special : {"\\", "\"", "`", "$"})
            quoted.replace(QString::fromUtf8(special), u'\\' + QString::fromUtf8(special));
        entry +=
            "Type=Application\nExec=\"" + quoted + "\" %F\nPath=" + info.absolutePath() + u'\n';
    } else {
        entry +=
            "Type=Link\nURL=" + QUrl::fromLocalFile(target).toString(QUrl::FullyEncoded) + u'\n';
    }
    return entry;
}

// Creates the file only when the name is free; errno tells why not.
bool WriteExclusively(const QString& path, const QByteArray& content) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (fd < 0) return false;
    const bool written =
        ::write(fd, content.constData(), static_cast<size_t>(content.size())) == content.size();
    if (::close(fd) != 0 || !written) {
        ::unlink(QFile::encodeName(path).constData());
        errno = EIO;
        return false;
    }
    return true;
}

} // namespace

QString CreateLink(const QString& target, const QString& linkPath, TLinkForm form) {
    const QString absolute = ShortPathName(target);
    const QString wanted =
        form == TLinkForm::DesktopEntry ? changeextension(linkPath, ".desktop") : linkPath;
    const QByteArray entry = DesktopEntry(absolute).toUtf8();
    for (int n = 0; n <= MostCopies; ++n) {
        const QString path = NumberedName(wanted, n);
        const bool made = form == TLinkForm::Symbolic
                              ? ::symlink(QFile::encodeName(absolute).constData(),
                                          QFile::encodeName(path).constData()) == 0
                              : WriteExclusively(path, entry);
        if (made) return path;
        if (errno != EEXIST) break;
    }
    throw EQFileError(("Cannot create the link " + wanted).toStdString());
}

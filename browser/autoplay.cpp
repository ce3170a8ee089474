#include "autoplay.h"

#include "safe_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

QString DataHome() {
    const QString value = qEnvironmentVariable("XDG_DATA_HOME");
    if (value.startsWith(u'/')) return QDir::cleanPath(value) + u'/';
    return QDir::homePath() + "/.local/share/";
}

} // namespace

QString AutoPlayEntryPath() {
    return DataHome() + "applications/glimmet-autoplay.desktop";
}

QString DesktopExecQuoted(const QString& argument) {
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    bool needsQuotes = argument.isEmpty();
    for (QChar c : argument) needsQuotes |= reserved.contains(c);
    QString escaped = argument;
    escaped.replace(u'%', QStringLiteral("%%"));
    if (!needsQuotes) return escaped;
    QString quoted;
    for (QChar c : escaped) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\') quoted += u'\\';
        quoted += c;
    }
    return u'"' + quoted + u'"';
}

QString AutoPlayEntryText(const QString& executable) {
    // The entry file's own escaping doubles every backslash of the Exec value.
    QString exec = DesktopExecQuoted(executable) + " /CAM:%f";
    exec.replace(u'\\', QStringLiteral("\\\\"));
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Glimmet\n"
                          "Comment=Copy pictures to my computer\n"
                          "Icon=glimmet\n"
                          "Exec=%1\n"
                          "MimeType=x-content/image-dcf;\n"
                          "NoDisplay=true\n"
                          "Terminal=false\n")
        .arg(exec);
}

void CreateXPAutoPlay(const QString& executable) {
    const QString path = AutoPlayEntryPath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    WriteFileAtomically(path, AutoPlayEntryText(executable).toUtf8());
}

bool RemoveXPAutoPlay() {
    QFile entry(AutoPlayEntryPath());
    return !entry.exists() || entry.remove();
}

#include "launching.h"

#include "file_routines.h"

#include <QDesktopServices>
#include <QFile>
#include <QProcess>
#include <QUrl>

namespace {

struct TEntry {
    QString Exec, Name, Icon;
};

// The string escapes of a desktop entry value: \s \n \t \r \\.
QString UnescapeValue(const QString& value) {
    QString plain;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != u'\\' || i + 1 == value.size()) {
            plain += value[i];
            continue;
        }
        const QChar next = value[++i];
        const qsizetype known = QStringLiteral("sntr\\").indexOf(next);
        if (known >= 0)
            plain += QStringLiteral(" \n\t\r\\")[known];
        else
            plain += u'\\' + QString(next); // left for the quoting rules
    }
    return plain;
}

TEntry ReadEntry(const QString& path) {
    QFile file(path);
    TEntry entry;
    if (!file.open(QIODevice::ReadOnly)) return entry;
    bool inMain = false;
    for (const QString& line : QString::fromUtf8(file.readAll()).split(u'\n')) {
        if (line.startsWith(u'[')) inMain = line.trimmed() == "[Desktop Entry]";
        if (!inMain) continue;
        const qsizetype equals = line.indexOf(u'=');
        if (equals < 0) continue;
        const QString key = line.left(equals).trimmed();
        const QString value = UnescapeValue(line.mid(equals + 1).trimmed());
        if (key == "Exec")
            entry.Exec = value;
        else if (key == "Name")
            entry.Name = value;
        else if (key == "Icon")
            entry.Icon = value;
    }
    return entry;
}

// Splits at blanks outside double quotes; inside them a backslash escapes " ` $ and \.
QStringList SplitExec(const QString& exec) {
    QStringList words;
    QString word;
    bool inWord = false, quoted = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec[i];
        if (quoted && c == u'\\' && i + 1 < exec.size()) {
            word += exec[++i];
        } else if (c == u'"') {
            quoted = !quoted;
            inWord = true;
        } else if (!quoted && (c == u' ' || c == u'\t')) {
            if (inWord) words << word;
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord) words << word;
    return words;
}

// One word with its field codes expanded; %i expands to two words.
QStringList ExpandWord(const QString& word, const TEntry& entry, const QString& entryPath,
                       const QString& file, bool& usedFile) {
    if (word == "%i")
        return entry.Icon.isEmpty() ? QStringList() : QStringList{"--icon", entry.Icon};
    QString expanded;
    for (qsizetype i = 0; i < word.size(); ++i) {
        if (word[i] != u'%' || i + 1 == word.size()) {
            expanded += word[i];
            continue;
        }
        const QChar code = word[++i];
        if (code == u'f' || code == u'F') {
            expanded += file;
            usedFile = true;
        } else if (code == u'u' || code == u'U') {
            expanded += QUrl::fromLocalFile(file).toString(QUrl::FullyEncoded);
            usedFile = true;
        } else if (code == u'c') {
            expanded += entry.Name;
        } else if (code == u'k') {
            expanded += entryPath;
        } else if (code == u'%') {
            expanded += u'%';
        }
    }
    return expanded.isEmpty() && word.startsWith(u'%') ? QStringList() : QStringList{expanded};
}

} // namespace

bool StartDetached(const QString& program, const QStringList& arguments) {
    return QProcess::startDetached(program, arguments);
}

QStringList DesktopEntryCommand(const QString& entryPath, const QString& file) {
    const TEntry entry = ReadEntry(entryPath);
    QStringList command;
    bool usedFile = false;
    for (const QString& word : SplitExec(entry.Exec))
        command << ExpandWord(word, entry, entryPath, file, usedFile);
    if (!command.isEmpty() && !usedFile) command << file;
    return command;
}

bool _LaunchFile(const QString& program, const QString& file, bool shortName,
                 const TProcessStarter& start) {
    const QString argument = shortName ? ShortPathName(file) : file;
    if (program.isEmpty()) return ShellOpen(argument);
    if (!program.endsWith(".desktop", Qt::CaseInsensitive)) return start(program, {argument});
    QStringList command = DesktopEntryCommand(program, argument);
    if (command.isEmpty()) return false;
    const QString executable = command.takeFirst();
    return start(executable, command);
}

bool ShellOpen(const QString& fileOrUrl) {
    const QUrl url = fileOrUrl.startsWith(u'/') ? QUrl::fromLocalFile(fileOrUrl) : QUrl(fileOrUrl);
    return QDesktopServices::openUrl(url);
}

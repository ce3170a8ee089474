#include "list_files.h"

#include "safe_file.h"

#include <QFile>

#include <algorithm>

std::optional<QStringList> ReadListFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    QStringList entries;
    for (const QString& line : QString::fromUtf8(file.readAll()).split(u'\n')) {
        QString entry = line;
        if (entry.endsWith(u'\r')) entry.chop(1);
        if (!entry.trimmed().isEmpty()) entries << entry;
    }
    return entries;
}

void WriteListFile(const QString& path, const QStringList& entries) {
    QByteArray text;
    for (const QString& entry : entries) text += entry.toUtf8() + "\r\n";
    WriteFileAtomically(path, text);
}

void SortFolderList(QStringList& folders) {
    std::stable_sort(folders.begin(), folders.end(), [](const QString& a, const QString& b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
}

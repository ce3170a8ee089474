#pragma once
// The plain-text lists beside the settings ("favdir.txt", "dirs.lst"): one entry a line, CR LF
// line ends; blank lines are skipped on reading.

#include <QString>
#include <QStringList>

#include <optional>

// Nothing when the file cannot be read.
std::optional<QStringList> ReadListFile(const QString& path);
// Through a temporary file; raises EFileWriteError.
void WriteListFile(const QString& path, const QStringList& entries);

// Sorted without case, as the favourite folders are kept.
void SortFolderList(QStringList& folders);

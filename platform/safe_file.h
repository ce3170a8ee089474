#pragma once
// File operations that never lose a file: writes go through a temporary file in the target's
// folder, renames never replace, and two spellings of one file are recognised as one.

#include <QByteArray>
#include <QIODevice>
#include <QString>

#include <functional>
#include <stdexcept>

class EFileWriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Writes into a temporary file beside the target and renames it over the target once the
// writer returned and the data is on disk. A symbolic link is followed to the file it ends at,
// which is replaced; the link stays. An existing file keeps its mode and group (and its owner
// where the user may give it), and one the user may not write is refused as "Cannot create
// file". When the writer throws or the write fails the target is untouched and no temporary file
// is left; a write failure raises EFileWriteError.
// When the target's folder takes no temporary file, the complete new file is written in the
// runtime folder first and then copied over the target in place; should that copy fail, the new
// file stays there and the message says where.
void WriteFileAtomically(const QString& target, const std::function<void(QIODevice&)>& writer);
void WriteFileAtomically(const QString& target, const QByteArray& content);

enum class TRenameResult { Renamed, TargetExists, OtherFileSystem, Failed };

// Renames a file or folder unless something exists under the new name. A new name that reaches
// the same single file in another spelling (a case change on a file system without case) is
// renamed.
TRenameResult RenameNoReplace(const QString& from, const QString& to);
// The same through a hard link, for file systems that cannot refuse to replace in a rename;
// folders, which take no hard links, are renamed after checking that the name is free.
TRenameResult RenameByLink(const QString& from, const QString& to);

// Whether both paths reach one file (same device and inode, links followed); false when either
// is missing.
bool IsSameFile(const QString& a, const QString& b);
// Whether both existing paths lie on one file system.
bool IsSameFileSystem(const QString& a, const QString& b);

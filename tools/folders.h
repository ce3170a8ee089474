#pragma once
// The folders the program works with, by kind number, and path normalisation. Every folder
// path ends in "/".

#include <QString>

#include <optional>

enum class TFolderKind {
    Program = 0,
    Cache = 3,
    Data = 4,
    Current = 5,
    Temporary = 9,
    Pictures = 11
};

// Fixed once when the main window is made. Empty entries are folders that could not be had:
// the cache falls back to the temporary folder, the pictures folder to the data folder.
struct TFolders {
    QString Program;
    QString Data;
    QString Cache;
    QString Pictures;
    QString Temporary; // the program's private temporary folder
    // Read-only files shipped with the program (tips, pictures): <prefix>/share/glimmet/ beside
    // the executable's bin/ folder, in the build tree as installed.
    QString Resources;

    QString GetFolder(TFolderKind kind) const;
    QString whereisdata() const { return GetFolder(TFolderKind::Data); }
};

// The folders of the running user; the data and temporary folders as given (the caller makes
// sure they exist).
TFolders UserFolders(const QString& dataFolder, const QString& temporaryFolder);

QString ResourceFolderOf(const QString& programFolder);

// The path of a "!label!path" text: what follows the second "!"; nothing when there is none.
std::optional<QString> GetPathInfo(const QString& text);

// Trims blanks; reduces "!label!path" to the path; replaces a leading "$" by the program folder;
// then adds ("/") or removes the trailing separator as asked. The root folder keeps its "/".
// Nothing when a "!" path has no second "!".
std::optional<QString> fixpath(const QString& path, bool trailingSeparator,
                               const QString& programFolder);

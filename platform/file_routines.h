#pragma once
// The file-routine library: existence tests, folder creation, copies, unique names, listing
// and the user's folders. Routines answer false (or an empty text) on failure unless they say
// they raise; what they raise is an EError, an EQFileError for a failed file operation.

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <stdexcept>

class TPrompter;

class EError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class EQFileError : public EError {
public:
    using EError::EError;
};

// A file (links followed) that is no folder.
bool SafeFileExists(const QString& path);
// A folder, links followed.
bool SafeFolderExists(const QString& path);
// Whether anything, even a dangling link, has the name.
bool NameTaken(const QString& path);

// The root of a file system: "/" or a mount point (its device differs from its parent's).
// The folder commands that would move, rename or delete a folder refuse these.
bool IsDriveRoot(const QString& path);

// Makes one folder; the folder chain takes another for tests of a failure part way.
using TFolderMaker = std::function<bool(const QString& folder)>;
bool MakeOneFolder(const QString& folder);
// The folders of the absolute path that do not exist, outermost first ("/" never counts).
QStringList MissingFolders(const QString& path);
// Makes the missing folders outermost first. When one cannot be made, the folders this call
// made are removed again, innermost first, and the answer is false.
bool CreateFolderChain(const QString& path, const TFolderMaker& make = MakeOneFolder);

// A folder with its missing parents, as the commands that need one make it. With a prompter
// and ask, the question "The folder, <path>, does not exist.  Would you like to create it?"
// comes first (Cancel: false); with warn, a failure shows "An error was encountered whilst
// trying to create the folder, <path>.". True when the folder exists afterwards.
bool ForceFolder(const QString& path, TPrompter* prompter, bool ask, bool warn,
                 const TFolderMaker& make = MakeOneFolder);

// Copies through a temporary name beside the target, which is replaced only by a complete
// copy (a link to it stays a link; its mode is kept). Refused when both paths reach one file or
// when the target exists and overwrite is off; with checkSizes the copy must have the source's
// size. Raises EQFileError with the reason.
void CopyFileTo(const QString& from, const QString& to, bool overwrite = true,
                bool checkSizes = false);

// The wanted path when no entry has that name, else folder + name + separator + N + extension
// for N = 2, 3, ... up to 20,000,000; empty when every name is taken. A probe: create the file
// exclusively under the name it gives.
QString UniqueFileName(const QString& wanted, const QString& separator = QStringLiteral("_"));
// The wanted folder when free, else the folder without its trailing "/" + separator + N.
QString UniqueFolderName(const QString& wanted, const QString& separator = QStringLiteral("_"));
// A free name for the file in the program's private temporary folder (mode 0700, made at
// start); empty without that folder. Never a predictable name in the shared /tmp.
QString TempFileFor(const QString& privateFolder, const QString& name);

// The names of the regular files of a folder, links followed, in the folder's order; nothing
// when the folder cannot be read. One read of the folder; the type of an entry is asked of the
// disk only for links and entries whose type the folder does not give.
std::optional<QStringList> FileNamesIn(const QString& folder);

enum class TListForm { FullPaths, NamesWithoutExtension, Names };
// The files of the folder whose extension passes ExtInList for the masks. A folder that cannot
// be read gives nothing and, with a prompter, "Unable to change to the folder, <folder>."
std::optional<QStringList> ListFiles(const QString& folder, const QString& masks, TListForm form,
                                     TPrompter* prompter = nullptr);
// Deletes the regular files of the folder whose names match the wildcard pattern; true unless
// a deletion failed. Empty arguments raise EError "No values specified".
bool DeleteFilesByMask(const QString& folder, const QString& pattern);

// The user's folder of a shell-folder name such as "PERSONAL", "MY PICTURES", "DESKTOP",
// "LOCAL APPDATA", "APPDATA" or "SENDTO" (any case), from the XDG user folders, ending in "/";
// empty for an unknown name.
QString ShellFolder(const QString& name);
// The absolute, clean form of a path; links are not resolved. There are no short names.
QString ShortPathName(const QString& path);
// The absolute, clean form without a trailing "/" (but "/" stays); empty when a component does
// not exist, the input itself on any other failure.
QString longPathName(const QString& path);

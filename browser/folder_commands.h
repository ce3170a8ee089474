#pragma once
// The folder commands of the tree, without the tree: creating, renaming and deleting a folder
// through the input window and the prompter, and where the tree goes afterwards.

#include <QString>

#include <functional>

class TPrompter;

enum class TFolderOutcome { Cancelled, Done, Failed };

struct TFolderResult {
    TFolderOutcome Outcome = TFolderOutcome::Cancelled;
    QString Path; // the folder made or the new name of the renamed one
};

// Rename, move, copy and delete are never offered for "/" or a mount point.
bool FolderCommandsOffered(const QString& folder);
// A typed name that is one component of a path: not empty, no "/", not "." or "..".
bool ValidFolderName(const QString& name);
// Whether the path is the folder or lies below it, on a component boundary and exactly.
bool AtOrBelow(const QString& path, const QString& folder);
// The path with the folder's part replaced by its new name; other paths as they are.
QString PathAfterRename(const QString& path, const QString& from, const QString& to);

// Asks for a name and makes the folder inside the parent. Cancel or an empty name does
// nothing; a name that is no single component, or a folder that exists already, fails with
// "Error encountered creating the folder, " + parent + name.
TFolderResult createnewdir(const QString& parent, TPrompter& prompter);
// Asks for the new name (the current one proposed) and renames within the parent, never over
// an existing entry; a failure shows "Glimmet encountered an error renaming the folder, " + path.
TFolderResult renamedirectory(const QString& folder, TPrompter& prompter);

// Moves a folder to the trash; true when it went.
using TFolderTrasher = std::function<bool(const QString& folder)>;
bool TrashFolder(const QString& folder);
// Removes the folder with everything in it; links are removed, never what they point to.
bool RemoveFolderTree(const QString& folder);
// After "DIRECTORY DELETION!" and OK, to the trash or for good. A failure, a failed trash
// included, keeps the folder and shows "Cannot remove folder, it may be not be empty or it may
// be marked read-only."
TFolderOutcome dodeletedir(const QString& folder, TPrompter& prompter, bool toTrash,
                           const TFolderTrasher& trash = TrashFolder);

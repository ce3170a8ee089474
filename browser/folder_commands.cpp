#include "folder_commands.h"

#include "file_routines.h"
#include "path_text.h"
#include "prompter.h"
#include "safe_file.h"

#include <QFile>

#include <filesystem>
#include <system_error>

#include <sys/stat.h>

namespace {

// The input window's answer: the text on OK, empty on Cancel.
QString AskName(TPrompter& prompter, const QString& caption, const QString& message,
                const QString& initial) {
    TTextQuestion question;
    question.Caption = caption;
    question.Message = message;
    question.Initial = initial;
    question.Limit = 100;
    return prompter.AskText(question).Text;
}

} // namespace

bool FolderCommandsOffered(const QString& folder) {
    return !folder.isEmpty() && SafeFolderExists(folder) && !IsDriveRoot(RemoveSlash(folder));
}

bool ValidFolderName(const QString& name) {
    return !name.trimmed().isEmpty() && !name.contains(u'/') && name != "." && name != "..";
}

bool AtOrBelow(const QString& path, const QString& folder) {
    const QString bare = RemoveSlash(path), base = RemoveSlash(folder);
    return bare == base || bare.startsWith(AddSlash(base));
}

QString PathAfterRename(const QString& path, const QString& from, const QString& to) {
    if (!AtOrBelow(path, from)) return path;
    return RemoveSlash(to) + path.mid(RemoveSlash(from).size());
}

TFolderResult createnewdir(const QString& parent, TPrompter& prompter) {
    const QString name =
        AskName(prompter, "Create Sub-Folder", "What do you want to name this new folder?", {});
    if (name.trimmed().isEmpty()) return {};
    const QString path = AddSlash(parent) + name;
    // mkdir never takes over an entry that exists.
    if (!ValidFolderName(name) || mkdir(QFile::encodeName(path).constData(), 0777) != 0) {
        prompter.Message(TPromptKind::Error,
                         "Error encountered creating the folder, " + AddSlash(parent) + name);
        return {TFolderOutcome::Failed, {}};
    }
    return {TFolderOutcome::Done, path};
}

TFolderResult renamedirectory(const QString& folder, TPrompter& prompter) {
    const QString old = RemoveSlash(folder);
    const QString name =
        AskName(prompter, "Rename Folder", "What would you like to rename the selected folder?",
                FileNameOf(old));
    if (name.trimmed().isEmpty() || name == FileNameOf(old)) return {};
    const QString renamed = FolderOf(old) + name;
    if (!ValidFolderName(name) || RenameNoReplace(old, renamed) != TRenameResult::Renamed) {
        prompter.Message(TPromptKind::Error,
                         "Glimmet encountered an error renaming the folder, " + folder);
        return {TFolderOutcome::Failed, {}};
    }
    return {TFolderOutcome::Done, renamed};
}

bool TrashFolder(const QString& folder) {
    return QFile::moveToTrash(RemoveSlash(folder));
}

bool RemoveFolderTree(const QString& folder) {
    std::error_code error;
    const std::filesystem::path path(QFile::encodeName(RemoveSlash(folder)).toStdString());
    // remove_all removes a link itself and never descends through it.
    std::filesystem::remove_all(path, error);
    return !error;
}

TFolderOutcome dodeletedir(const QString& folder, TPrompter& prompter, bool toTrash,
                           const TFolderTrasher& trash) {
    if (!FolderCommandsOffered(folder)) return TFolderOutcome::Cancelled;
    const TPromptAnswer answer = prompter.Question(
        TPromptKind::Confirmation,
        "DIRECTORY DELETION!\n\nAre you sure you want to remove the folder, " + folder + "?",
        {TPromptAnswer::OK, TPromptAnswer::Cancel});
    if (answer != TPromptAnswer::OK) return TFolderOutcome::Cancelled;
    if (toTrash ? trash(folder) : RemoveFolderTree(folder)) return TFolderOutcome::Done;
    prompter.Message(TPromptKind::Error,
                     "Cannot remove folder, it may be not be empty or it may be marked read-only.");
    return TFolderOutcome::Failed;
}

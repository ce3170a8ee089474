#pragma once
// Writing the settings (writereg) and the orderly shutdown when the main window closes.

#include "folders.h"
#include "main_state.h"

class TFrameHost;
class TPrompter;
class TRegistry;

namespace ShutdownMessages {
inline const QString MainKey = QStringLiteral("Registry Update Failed, using defaults");
inline const QString Writing =
    QStringLiteral("Error encountered writing your settings to the registry!");
inline const QString FolderLists =
    QStringLiteral("Error encountered saving your Favorite Folder list.");
} // namespace ShutdownMessages

struct TStoreContext {
    TFolders Folders;
    QString Executable;
};

// Writes the toolbars, the program folder, the settings table and (unless the hints were reset)
// the Warning key, then saves the store. Answers whether everything was written; a part of the
// window that cannot be asked costs only its own values.
bool writereg(TMainState& state, TRegistry& registry, const TFrameHost& host, TPrompter& prompter,
              const TStoreContext& context);

// Deletes the files listed for deletion at exit; those that cannot be deleted stay listed.
void deleteoldfiles(QStringList& files);

// Nothing while start-up is still in progress, so a failed start never overwrites the store.
void FormClose(TMainState& state, TRegistry& registry, TFrameHost& host, TPrompter& prompter,
               const TStoreContext& context);

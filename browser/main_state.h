#pragma once
// The main window's state that outlives any one command: the settings, the hint flags, the
// options, the folders and lists kept beside them, and the flags of deferred work that the idle
// dispatcher carries out.

#include "options_string.h"
#include "settings_table.h"
#include "tips.h"
#include "warning_flags.h"

#include <QString>
#include <QStringList>

#include <optional>

struct TMainState {
    TSettings Settings;
    TWarningFlags Warnings;
    TOptions Options;
    int BrowseMode = BrowseFolders;

    // Start-up.
    bool StartupInProgress = true; // while set, closing the window saves nothing
    bool FirstShow = true;
    bool FirstIdle = true;
    bool SetupFinished = false;
    bool NewVersion = false;   // the stored version was not ours
    bool HintsReset = false;   // the Warning key was deleted; it is not written back
    bool CloseRequest = false; // the start-up password was refused

    // Deferred work.
    QString PendingStartFile;
    std::optional<QString> PendingCameraSource;
    bool PendingDisplay = false;
    bool FolderListRefresh = false;

    // Files and lists.
    QString CurrentFile;
    QString CacheFolder;
    QString DescriptionsFile; // empty while descriptions are off
    QString SheetInvalidPicture;
    QString GridMissingPicture, GridUnsupportedPicture;
    QStringList FilesToDelete;
    QStringList FavoriteFolders;
    QStringList RecentFolders;
    bool FavoriteFoldersReloadPending = false; // the user edits "favdir.txt": keep the file

    int PreviousTipCount = InitialTipCount;
};

// The product version, and "Glimmet " followed by it.
QString ProductVersion();
QString ProductVersionText();

// The main window's file-information commands and the runner that visits the selected files.

#include "frm_main.h"

#include "descriptions.h"
#include "dlg_file_info.h"
#include "file_description.h"

#include <QStatusBar>

TDescriptionStore& TfrmMain::Descriptions() {
    // The store's path is fixed once set-up has run.
    if (!FDescriptions)
        FDescriptions = std::make_unique<TDescriptionStore>(FState.DescriptionsFile, FPrompter);
    return *FDescriptions;
}

int TfrmMain::SelectedCount() const {
    if (FullScreen()) return 1;
    if (FState.BrowseMode == BrowseFolders) return FFolderList.SelectedCount();
    if (FState.BrowseMode == BrowseFavorites) return FFavoritesList.SelectedCount();
    return 0;
}

void TfrmMain::RunForSelection(const std::function<QString(const QString& file)>& progress,
                               const std::function<void(const QString& file)>& step) {
    QStringList files;
    if (FullScreen()) {
        files << FState.CurrentFile;
    } else {
        const TFileListModel& list = CurrentList();
        for (const int index : list.SelectedIndexes()) files << list.PathAt(index);
    }
    struct TClearOnExit {
        QStatusBar* Bar;
        ~TClearOnExit() { Bar->clearMessage(); }
    } clear{statusBar()};
    for (const QString& file : files) {
        statusBar()->showMessage(progress(file));
        step(file);
    }
}

void TfrmMain::mkFileInfoClick(const TCommand&) {
    if (FState.CurrentFile.isEmpty()) return;
    TdlgFileInfo window(FState.CurrentFile, Descriptions(), FFocusDescription, this);
    window.exec();
}

void TfrmMain::mkFileDescriptionClick(const TCommand& sender) {
    // The description memo of the display arrives with it; until then it starts empty.
    mkFileDescription(*this, Descriptions(), FFocusDescription, QString(),
                      [&] { mkFileInfoClick(sender); });
}

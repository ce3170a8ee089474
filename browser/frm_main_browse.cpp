// The main window's folder tree, file list, favorites page and image area: what start-up and
// the display of a handed-over file need of them.

#include "frm_main.h"

#include "file_masks.h"
#include "list_files.h"
#include "options_string.h"
#include "pg_image.h"
#include "prompter.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QLabel>
#include <QListWidget>
#include <QSplitter>
#include <QStyle>
#include <QTabWidget>
#include <QTreeView>

namespace {

QString WithSlash(const QString& folder) {
    return folder.endsWith(u'/') ? folder : folder + u'/';
}

} // namespace

void TfrmMain::SetTreeFolder(const QString& folder) {
    QString path = QDir::cleanPath(folder);
    const QModelIndex index = FTreeModel->index(path);
    if (!index.isValid()) return;
    FTree->setCurrentIndex(index);
    FTree->scrollTo(index);
    FRevealTreeFolder = true;
}

QString TfrmMain::TreeFolder() const {
    const QModelIndex index = FTree->currentIndex();
    return index.isValid() ? WithSlash(FTreeModel->filePath(index)) : QString();
}

void TfrmMain::UpdateFitIndicators() {
    FShrinkLabel->setEnabled(FState.Options.Flag(TOptionField::Shrink));
    FStretchLabel->setEnabled(FState.Options.Flag(TOptionField::Stretch));
    FFastLabel->setEnabled(FState.Settings.Fast);
    ShowFitOfImage();
}

void TfrmMain::ShowFitOfImage() {
    const bool shrink = FState.Options.Flag(TOptionField::Shrink);
    const bool stretch = FState.Options.Flag(TOptionField::Stretch);
    FImage->SetStretch(shrink && stretch ? sAlwaysKAR
                       : shrink          ? sShrinkKAR
                       : stretch         ? sEnlargeKAR
                                         : sNeverKAR);
}

void TfrmMain::FillFavoritesLists(const QString& currentBookmark) {
    FBookmarks->clear();
    const QDir data(FFolders.whereisdata());
    // Without QDir::CaseSensitive the filter matches "Trip.FVT" too, as directshow does.
    for (const QFileInfo& list : data.entryInfoList({"*.fvt"}, QDir::Files, QDir::Name)) {
        auto* item = new QListWidgetItem(list.completeBaseName(), FBookmarks);
        item->setData(Qt::UserRole, list.absoluteFilePath());
        if (currentBookmark == item->text() && currentBookmark != "<default>") {
            FBookmarks->setCurrentItem(item);
            LoadBookmarkFile(list.absoluteFilePath());
        }
    }
}

void TfrmMain::SelectModePage(int browseMode, bool) {
    const QSignalBlocker block(FModes);
    FModes->setCurrentIndex(browseMode == BrowseFavorites ? 1 : 0);
    ModeChange(browseMode);
}

void TfrmMain::ModesPageChanged(int index) {
    // The user leaves a page: its mode panel height is remembered where the panel is above.
    if (FState.SetupFinished && !LayoutArrangement(FLayout).ModeBesideGrid) {
        const int height = FLeft->sizes().value(0);
        (FState.BrowseMode == BrowseFavorites ? FState.Settings.Mode4Height
                                              : FState.Settings.Mode3Height) = height;
    }
    ModeChange(index == 1 ? BrowseFavorites : BrowseFolders);
}

void TfrmMain::ModeChange(int browseMode) {
    FState.BrowseMode = browseMode;
    if (!LayoutArrangement(FLayout).ModeBesideGrid)
        SetModePanelSize(ModePanelHeight(FState.Settings, browseMode));
    FState.CurrentFile.clear();
    RefreshFileList();
}

// Until the list draws thumbnails, the display modes differ in the size of the file icon.
void TfrmMain::ApplyThumbMode(int mode) {
    FFileIcon = mode == 0 ? QIcon() : style()->standardIcon(QStyle::SP_FileIcon);
    FFileBox->setIconSize(mode == 2 ? QSize(32, 32) : QSize(16, 16));
    for (int row = 0; row < FFileBox->count(); ++row) FFileBox->item(row)->setIcon(FFileIcon);
}

void TfrmMain::RefreshFileList() {
    FState.FolderListRefresh = false;
    QStringList files;
    if (FState.BrowseMode == BrowseFavorites) {
        files = FFavorites;
    } else {
        FLastListed = TreeFolder();
        const TSettings& s = FState.Settings;
        if (!FLastListed.isEmpty())
            for (const QFileInfo& file :
                 QDir(FLastListed)
                     .entryInfoList(QDir::Files | QDir::Hidden, QDir::Name | QDir::IgnoreCase))
                if (PassesFilter(file.fileName(), s.CurrentFilter, s.SupportFalseExt))
                    files << file.absoluteFilePath();
    }
    const QSignalBlocker block(FFileBox);
    FFileBox->clear();
    QListWidgetItem* current = nullptr;
    for (const QString& file : files) {
        auto* item = new QListWidgetItem(FFileIcon, QFileInfo(file).fileName(), FFileBox);
        item->setData(Qt::UserRole, file);
        if (file == FState.CurrentFile || !current) current = item;
    }
    FFileBox->setCurrentItem(current);
    FState.CurrentFile = current ? current->data(Qt::UserRole).toString() : QString();
    FState.PendingDisplay = true;
    FSelectLabel->setText(QString("Files: %1").arg(files.size()));
}

void TfrmMain::RepaintGrid() {
    FFileBox->viewport()->update();
}

void TfrmMain::ShowImage() {
    const QString file = FState.CurrentFile;
    if (file.isEmpty()) {
        FImage->SetPixelGraphic(nullptr);
        FFileLabel->clear();
        setWindowTitle("Glimmet");
        return;
    }
    try {
        ShowFitOfImage();
        FImage->LoadFromFile(QFile::encodeName(file).toStdString());
        FFileLabel->setText(QFileInfo(file).fileName());
        setWindowTitle("Glimmet - " + QFileInfo(file).fileName());
    } catch (const std::exception& e) {
        FImage->SetPixelGraphic(nullptr);
        FPrompter.Message(TPromptKind::Error, QString::fromUtf8(e.what()));
    }
}

bool TfrmMain::IsSupportedImage(const QString& path) const {
    return PassesFilter(path, QString(), FState.Settings.SupportFalseExt);
}

void TfrmMain::SelectAndShowFile(const QString& path) {
    for (int row = 0; row < FFileBox->count(); ++row) {
        QListWidgetItem* item = FFileBox->item(row);
        if (item->data(Qt::UserRole).toString() != path) continue;
        const QSignalBlocker block(FFileBox);
        FFileBox->setCurrentItem(item);
    }
    FState.CurrentFile = path;
    ShowImage();
    FState.PendingDisplay = false;
}

void TfrmMain::LoadBookmarkFile(const QString& path) {
    std::optional<QStringList> entries = ReadListFile(path);
    if (!entries) throw std::runtime_error("Cannot read the favorites list");
    FFavorites = *entries;
}

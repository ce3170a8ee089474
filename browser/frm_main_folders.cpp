// The folder tree's pop-up menu, its buttons and a folder dragged out of it.

#include "frm_main.h"

#include "file_routines.h"
#include "folder_commands.h"
#include "folder_tree_model.h"
#include "path_text.h"

#include <QBoxLayout>
#include <QDrag>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QResizeEvent>
#include <QTreeView>
#include <QUrl>

namespace {

// Lays the two buttons out again whenever the tree's page changes its width.
class TButtonsLayouter : public QObject {
public:
    TButtonsLayouter(QWidget* page, std::function<void()> layout)
        : QObject(page), FLayout(std::move(layout)) {
        page->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Resize) FLayout();
        return false;
    }

private:
    std::function<void()> FLayout;
};

} // namespace

void TfrmMain::CreateTreeButtons(QWidget* page) {
    auto* column = new QVBoxLayout(page);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(FTree, 1);
    auto* row = new QHBoxLayout;
    FFavoriteFoldersButton = new QPushButton("Favorite Folders", page);
    FFavoriteFoldersButton->setObjectName("btnFavoriteFolders");
    FFavoriteFoldersButton->setEnabled(false); // the favorite folders come with their own commands
    FCreateFolderButton = new QPushButton("Create Folder", page);
    FCreateFolderButton->setObjectName("btnCreateFolder");
    connect(FCreateFolderButton, &QPushButton::clicked, this, [this] { puCreateSubDirClick(); });
    row->addWidget(FFavoriteFoldersButton);
    row->addWidget(FCreateFolderButton);
    row->addStretch();
    column->addLayout(row);
    new TButtonsLayouter(page, [this] { LayoutTreeButtons(); });
}

void TfrmMain::LayoutTreeButtons() {
    const int width = std::min(FScreen.Scaled(105), FTree->parentWidget()->width() / 2 - 3);
    for (QPushButton* button : {FFavoriteFoldersButton, FCreateFolderButton})
        button->setFixedWidth(std::max(width, 1));
    FCreateFolderButton->setText(width < FScreen.Scaled(89) ? "Create" : "Create Folder");
}

void TfrmMain::PopDirPopup(const QPoint& at) {
    const QString folder = TreeFolder();
    const bool offered = FolderCommandsOffered(folder);
    QMenu menu(this);
    menu.setObjectName("puDirectory");
    auto add = [&](const QString& name, const QString& caption, bool enabled,
                   void (TfrmMain::*handler)()) {
        QAction* action = menu.addAction(caption);
        action->setObjectName(name);
        action->setEnabled(enabled && handler);
        if (handler) connect(action, &QAction::triggered, this, handler);
    };
    add("puCreateSubDir", "Create Sub-Folder", !folder.isEmpty(), &TfrmMain::puCreateSubDirClick);
    add("RenameDirectory1", "Rename Folder", offered, &TfrmMain::RenameDirectory1Click);
    add("puDeleteDir", "Delete Folder", offered, &TfrmMain::puDeleteDirClick);
    // Moving and copying folders and the favorite folders come with their own commands.
    add("mkMoveDir", "Move Folder", false, nullptr);
    add("mkCopyDir", "Copy Folder", false, nullptr);
    menu.addSeparator();
    add("puAddFavoriteFolder", "Add to Favorite Folders", false, nullptr);
    add("Refresh1", "Refresh", true, &TfrmMain::Refresh1Click);
    if (OnDirPopup) return OnDirPopup(menu);
    menu.exec(FTree->viewport()->mapToGlobal(at));
}

void TfrmMain::puCreateSubDirClick() {
    const QString parent = TreeFolder();
    if (parent.isEmpty()) return;
    const TFolderResult made = createnewdir(parent, FPrompter);
    if (made.Outcome != TFolderOutcome::Done) return;
    FTreeModel->Refresh();
    SetTreeFolder(parent);
}

void TfrmMain::RenameDirectory1Click() {
    const QString folder = TreeFolder();
    if (!FolderCommandsOffered(folder)) return;
    const TFolderResult renamed = renamedirectory(folder, FPrompter);
    if (renamed.Outcome != TFolderOutcome::Done) return;
    FTreeModel->Refresh();
    SetTreeFolder(PathAfterRename(folder, folder, renamed.Path));
    directorylistChange();
}

void TfrmMain::puDeleteDirClick() {
    const QString folder = TreeFolder();
    if (!FolderCommandsOffered(folder)) return;
    const QString parent = FolderOf(RemoveSlash(folder));
    const bool toTrash = FState.Settings.MoveToRecycleBin;
    if (dodeletedir(folder, FPrompter, toTrash) == TFolderOutcome::Cancelled) return;
    FTreeModel->Refresh();
    if (!SafeFolderExists(folder)) SetTreeFolder(parent);
    directorylistChange();
}

void TfrmMain::Refresh1Click() {
    const QString folder = TreeFolder();
    FTreeModel->Refresh();
    if (!folder.isEmpty() && TreeFolder() != folder) SetTreeFolder(folder);
    directorylistChange();
}

void TfrmMain::StartTreeDrag() {
    const QString folder = TreeFolder();
    if (folder.isEmpty()) return;
    auto* data = new QMimeData;
    data->setUrls({QUrl::fromLocalFile(RemoveSlash(folder))});
    auto* drag = new QDrag(FTree);
    drag->setMimeData(data);
    setAcceptDrops(false); // not onto this window itself
    const Qt::DropAction done =
        drag->exec(Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, Qt::CopyAction);
    setAcceptDrops(true);
    const QString text = done == Qt::CopyAction   ? "Copied successfully"
                         : done == Qt::MoveAction ? "Moved successfully"
                         : done == Qt::LinkAction ? "Link created successfully"
                                                  : QString();
    if (text.isEmpty()) return;
    FFileLabel->setText(text);
    FTreeModel->Refresh();
}

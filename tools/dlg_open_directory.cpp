#include "dlg_open_directory.h"

#include "folder_tree_model.h"
#include "path_text.h"
#include "prompter.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

constexpr int ChooserWidth = 366;
constexpr int SmallestHeight = 286;

QRect ScreenArea(const QWidget& window) {
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

} // namespace

TdlgOpenDirectory::TdlgOpenDirectory(TPrompter& prompter, int& openDlgHeight, QWidget* parent)
    : QDialog(parent), FPrompter(prompter), FOpenDlgHeight(openDlgHeight),
      FTree(std::make_unique<TFolderTreeModel>()) {
    setWindowTitle(QStringLiteral("Select folder"));
    lbldlgopen = new QLabel;
    lbldlgopen->setTextFormat(Qt::PlainText);
    lbldlgopen->setWordWrap(true);
    directoryedit = new QLineEdit;
    directorylist = new QTreeView;
    directorylist->setModel(FTree.get());
    directorylist->setHeaderHidden(true);
    directorylist->setEditTriggers(QAbstractItemView::NoEditTriggers);
    btnShowFavDir = new QPushButton(QStringLiteral("Go to.."));
    btnewdir = new QPushButton(QStringLiteral("New Folder"));
    btnrefresh = new QPushButton(QStringLiteral("Refresh"));
    OKbtn = new QPushButton(QStringLiteral("OK"));
    OKcancel = new QPushButton(QStringLiteral("Cancel"));
    OKbtn->setDefault(true);
    btnewdir->setEnabled(false); // creating a sub-folder is the folder commands'

    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {btnShowFavDir, btnewdir, btnrefresh}) buttons->addWidget(button);
    buttons->addStretch();
    buttons->addWidget(OKbtn);
    buttons->addWidget(OKcancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lbldlgopen);
    layout->addWidget(directoryedit);
    layout->addWidget(directorylist, 1);
    layout->addLayout(buttons);
    setFixedWidth(ChooserWidth);
    setMinimumHeight(SmallestHeight);

    connect(directorylist->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid()) directoryedit->setText(AddSlash(FTree->PathOf(current)));
            });
    connect(OKbtn, &QPushButton::clicked, this, [this] { OKbtnClick(); });
    connect(OKcancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnrefresh, &QPushButton::clicked, this, [this] { FTree->Refresh(); });
    connect(btnShowFavDir, &QPushButton::clicked, this, [this] { ShowFavourites(); });
    BuildTreeMenu();
}

TdlgOpenDirectory::~TdlgOpenDirectory() = default;

void TdlgOpenDirectory::BuildTreeMenu() {
    directorylist->setContextMenuPolicy(Qt::ActionsContextMenu);
    // The folder commands arrive with the main window's folder list and the folder moves.
    for (const char* caption :
         {"Add Folder to Favorites", "Create Sub-Directory", "Rename Directory", "Move Directory..",
          "Copy Directory..", "Delete Directory"}) {
        auto* action = new QAction(QString::fromUtf8(caption), directorylist);
        action->setEnabled(false);
        directorylist->addAction(action);
    }
    auto* refresh = new QAction(QStringLiteral("Refresh"), directorylist);
    connect(refresh, &QAction::triggered, this, [this] { FTree->Refresh(); });
    directorylist->addAction(refresh);
}

void TdlgOpenDirectory::SetFavouriteFolders(std::function<QStringList()> folders) {
    FFavourites = std::move(folders);
}

void TdlgOpenDirectory::ShowFavourites() {
    QMenu menu(this);
    for (const QString& folder : FFavourites ? FFavourites() : QStringList())
        connect(menu.addAction(folder), &QAction::triggered, this,
                [this, folder] { GoTo(folder); });
    if (menu.isEmpty()) menu.addAction(QStringLiteral("(no favourite folders)"))->setEnabled(false);
    menu.exec(btnShowFavDir->mapToGlobal(QPoint(0, btnShowFavDir->height())));
}

void TdlgOpenDirectory::SelectFolder(const QString& folder) {
    const QModelIndex index = FTree->IndexOf(folder);
    if (!index.isValid()) return;
    directorylist->setCurrentIndex(index);
    directorylist->scrollTo(index);
}

void TdlgOpenDirectory::GoTo(const QString& folder) {
    const QString before = AddSlash(FTree->PathOf(directorylist->currentIndex()));
    if (AddSlash(folder) == before) return;
    SelectFolder(RemoveSlash(folder));
    if (AddSlash(FTree->PathOf(directorylist->currentIndex())) == before)
        FPrompter.Message(TPromptKind::Warning,
                          QStringLiteral("Error encountered changing to the selected folder, it "
                                         "may be on a drive which is unavailable!"));
}

void TdlgOpenDirectory::FormShow(const QString& exchange) {
    lbldlgopen->setText(ChooserPrompt(exchange));
    const QRect area = ScreenArea(*this);
    const int height = ChooserHeight(FOpenDlgHeight, area.height());
    resize(ChooserWidth, height);
    move(area.left() + (area.width() - ChooserWidth) / 2,
         ChooserTop(height, area.top(), area.height()));
    FChosen.clear();
}

void TdlgOpenDirectory::OKbtnClick() {
    const std::optional<QString> folder = ChooserAccept(directoryedit->text(), FPrompter);
    if (!folder) return;
    FChosen = *folder;
    FTree->Refresh();
    accept();
}

void TdlgOpenDirectory::done(int result) {
    FOpenDlgHeight = height();
    QDialog::done(result);
}

std::optional<QString> TdlgOpenDirectory::Run(const QString& exchange) {
    FormShow(exchange);
    if (exec() != QDialog::Accepted) return std::nullopt;
    return FChosen;
}

TQtFolderChooser::TQtFolderChooser(TPrompter& prompter, int& openDlgHeight, QWidget* parent)
    : FWindow(std::make_unique<TdlgOpenDirectory>(prompter, openDlgHeight, parent)) {}

TQtFolderChooser::~TQtFolderChooser() = default;

std::optional<QString> TQtFolderChooser::Choose(const QString& prompt) {
    return FWindow->Run(prompt);
}

#pragma once
// The folder chooser "Select folder": one window for the run, which keeps its tree between
// uses. TQtFolderChooser is how the program's commands reach it.

#include "folder_chooser.h"

#include <QDialog>
#include <QStringList>

#include <functional>
#include <memory>

class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTreeView;
class TFolderTreeModel;
class TPrompter;

class TdlgOpenDirectory : public QDialog {
public:
    // openDlgHeight is the setting the height is read from and stored in when the window closes.
    TdlgOpenDirectory(TPrompter& prompter, int& openDlgHeight, QWidget* parent = nullptr);
    ~TdlgOpenDirectory() override;

    // Shows the window modally for the exchange text; the folder chosen, nothing after Cancel.
    std::optional<QString> Run(const QString& exchange);
    // The favourite folders listed by "Go to.." (Part of the favourites; empty until then).
    void SetFavouriteFolders(std::function<QStringList()> folders);
    // Moves the tree to the folder; warns when the tree's folder did not change.
    void GoTo(const QString& folder);
    void OKbtnClick();

    QLabel* lbldlgopen;
    QLineEdit* directoryedit;
    QTreeView* directorylist;
    QPushButton* btnShowFavDir;
    QPushButton* btnewdir;
    QPushButton* btnrefresh;
    QPushButton* OKbtn;
    QPushButton* OKcancel;

protected:
    void done(int result) override;

private:
    void FormShow(const QString& exchange);
    void BuildTreeMenu();
    void ShowFavourites();
    void SelectFolder(const QString& folder);

    TPrompter& FPrompter;
    int& FOpenDlgHeight;
    std::unique_ptr<TFolderTreeModel> FTree;
    std::function<QStringList()> FFavourites;
    QString FChosen;
};

class TQtFolderChooser : public TFolderChooser {
public:
    TQtFolderChooser(TPrompter& prompter, int& openDlgHeight, QWidget* parent = nullptr);
    ~TQtFolderChooser() override;
    std::optional<QString> Choose(const QString& prompt) override;
    TdlgOpenDirectory& Window() { return *FWindow; }

private:
    std::unique_ptr<TdlgOpenDirectory> FWindow;
};

#pragma once
// The file pop-up menu of the file list: it opens on a right click while there is a current
// file and holds the file commands of the command table named for it. It attaches itself to
// the view named "FileBox" when the window is first shown, whichever view that is.

#include <QMenu>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <span>

// The commands of the pop-up, in their order.
std::span<const char* const> FilePopupCommands();

class TFilePopup : public QObject {
public:
    TFilePopup(QWidget& window, std::function<bool()> hasCurrentFile);

    // Empty until the window was shown.
    QMenu* Menu() const { return FMenu; }
    // Opens the menu at a point of the view's viewport, when there is a current file.
    void PopupAt(const QPoint& viewportPoint);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Attach();

    QWidget& FWindow;
    std::function<bool()> FHasCurrentFile;
    QPointer<QMenu> FMenu;
    QPointer<QWidget> FView;
};

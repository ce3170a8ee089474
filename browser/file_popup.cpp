#include "file_popup.h"

#include <QAbstractScrollArea>
#include <QAction>
#include <QEvent>
#include <QMenu>

namespace {

constexpr const char* Commands[] = {"mkFileDescription"};

} // namespace

std::span<const char* const> FilePopupCommands() {
    return Commands;
}

TFilePopup::TFilePopup(QWidget& window, std::function<bool()> hasCurrentFile)
    : FWindow(window), FHasCurrentFile(std::move(hasCurrentFile)) {
    FWindow.installEventFilter(this);
}

bool TFilePopup::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &FWindow && event->type() == QEvent::Show && !FView) Attach();
    return false;
}

void TFilePopup::Attach() {
    FView = FWindow.findChild<QWidget*>("FileBox");
    if (!FView) return;
    if (!FMenu) {
        FMenu = new QMenu(&FWindow);
        FMenu->setObjectName("FilePopup");
        for (const char* name : FilePopupCommands())
            if (QAction* action = FWindow.findChild<QAction*>(name)) FMenu->addAction(action);
    }
    FView->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(FView, &QWidget::customContextMenuRequested, this, &TFilePopup::PopupAt);
}

void TFilePopup::PopupAt(const QPoint& viewportPoint) {
    if (!FMenu || !FView || !FHasCurrentFile()) return;
    const auto* area = qobject_cast<QAbstractScrollArea*>(FView);
    const QWidget* surface = area ? area->viewport() : FView.data();
    FMenu->popup(surface->mapToGlobal(viewportPoint));
}

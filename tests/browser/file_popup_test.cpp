#include "file_popup.h"

#include <QAction>
#include <QListView>
#include <QMenu>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace {

TEST(FilePopup, AttachesToTheFileBoxAndOpensOnlyWithACurrentFile) {
    QWidget window;
    auto* description = new QAction("File Description...", &window);
    description->setObjectName("mkFileDescription");
    bool current = false;
    TFilePopup popup(window, [&] { return current; });
    EXPECT_EQ(popup.Menu(), nullptr);
    auto* view = new QListView(&window);
    view->setObjectName("FileBox");
    (new QVBoxLayout(&window))->addWidget(view);
    window.show(); // the show event attaches the menu at once

    ASSERT_NE(popup.Menu(), nullptr);
    EXPECT_EQ(popup.Menu()->actions(), QList<QAction*>{description});
    EXPECT_EQ(view->contextMenuPolicy(), Qt::CustomContextMenu);
    emit view->customContextMenuRequested(QPoint(5, 5));
    EXPECT_FALSE(popup.Menu()->isVisible());
    current = true;
    emit view->customContextMenuRequested(QPoint(5, 5));
    EXPECT_TRUE(popup.Menu()->isVisible());
    popup.Menu()->hide();
}

} // namespace

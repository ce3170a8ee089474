// The list model the folder list, the favorites list and their views share.

#include "file_list_model.h"

#include <QObject>

#include <gtest/gtest.h>

#include <memory>

namespace {

struct TRecorder {
    QObject Receiver;
    std::vector<TListChange> Changes;
    void Attach(TFileListModel& list) {
        list.Listen(&Receiver, [this](TListChange change) { Changes.push_back(change); });
    }
};

TEST(FileListModel, SelectionCurrentAndTheirNotices) {
    TFileListModel list;
    TRecorder recorder;
    recorder.Attach(list);
    list.SetPaths({"/p/a.jpg", "/p/b.jpg", "/p/c.jpg"});
    EXPECT_TRUE(recorder.Changes.empty()); // nothing was current or selected
    EXPECT_EQ(list.data(list.index(1)).toString(), "b.jpg");
    EXPECT_EQ(list.data(list.index(1), TFileListModel::PathRole).toString(), "/p/b.jpg");

    list.SetCurrentIndex(2);
    list.SetCurrentIndex(2); // no change, no notice
    list.SelectOnly({2, 0, 7});
    list.SetSelected(0, true); // already selected
    EXPECT_EQ(recorder.Changes, (std::vector{TListChange::Current, TListChange::Selection}));
    EXPECT_EQ(list.SelectedIndexes(), (std::vector{0, 2}));
    EXPECT_EQ(list.SelectedCount(), 2);
    EXPECT_EQ(list.FirstSelected(), 0);
    EXPECT_EQ(list.CurrentPath(), "/p/c.jpg");

    list.SetSelected(0, false);
    EXPECT_EQ(list.SelectedCount(), 1);
    EXPECT_EQ(list.FirstSelected(), 2);
    list.SetCurrentIndex(3); // past the end clears it
    EXPECT_EQ(list.CurrentIndex(), -1);
    EXPECT_EQ(list.CurrentPath(), QString());

    recorder.Changes.clear();
    list.SetCurrentIndex(1);
    list.SetPaths({"/q/x.png"}); // a new list: nothing current, nothing selected
    EXPECT_EQ(list.CurrentIndex(), -1);
    EXPECT_EQ(list.SelectedCount(), 0);
    EXPECT_FALSE(list.IsSelected(0));
    EXPECT_EQ(recorder.Changes,
              (std::vector{TListChange::Current, TListChange::Current, TListChange::Selection}));
}

TEST(FileListModel, AppendedRowsKeepSelectionAndAGoneListenerIsDropped) {
    TFileListModel list;
    list.SetPaths({"/p/a.jpg"});
    list.SetSelected(0, true);
    list.SetCurrentIndex(0);
    list.AppendPaths({"/p/b.jpg", "/p/c.jpg"});
    EXPECT_EQ(list.rowCount(), 3);
    EXPECT_EQ(list.IndexOf("/p/c.jpg"), 2);
    EXPECT_EQ(list.IndexOf("/p/d.jpg"), -1);
    EXPECT_EQ(list.CurrentIndex(), 0);
    EXPECT_EQ(list.SelectedIndexes(), std::vector{0});
    list.SetSelected(2, true);
    EXPECT_EQ(list.SelectedCount(), 2);

    auto recorder = std::make_unique<TRecorder>();
    recorder->Attach(list);
    recorder.reset();
    list.ClearSelection(); // would call into the destroyed recorder
    EXPECT_EQ(list.SelectedCount(), 0);
}

} // namespace

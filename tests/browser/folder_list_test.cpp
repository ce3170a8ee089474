// The folder list's core: which files it accepts, the order of its rows, the position kept
// across rebuilds and the texts that describe it.

#include "file_list_model.h"
#include "folder_list.h"
#include "options_string.h"

#include <QDateTime>

#include <gtest/gtest.h>

namespace {

TEST(FolderList, AcceptsFilesByTheirExtension) {
    struct TCase {
        const char* Name;
        const char* Filter;
        bool FalseExt;
        bool Accepted;
    };
    const TCase cases[] = {
        {"a.jpg", "", false, true},
        {"A.JPEG", "", false, true},
        // ".PEG;" stands in "*.JPEG;" only with a J between: the masks are compared whole.
        {"a.peg", "", false, false},
        {"README", "", false, false},
        {"README", "*.*", false, true},
        {"ends.", "*.GIF", false, false},
        {"x.glm", "", false, false},
        {"x.glm", "", true, true},
        {"x.XXX", "", true, true},
        {"x.glm", "*.GIF", true, false},
        {"y.gif", "*.GIF", true, true},
        {"y.jpe", "*.JPG; *.JPE;*.JPEG", false, true},
        {"y.jpg", "*.PBM;*.PGM;*.PPM", false, false},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(AcceptsFile(c.Name, c.Filter, c.FalseExt), c.Accepted)
            << c.Name << " " << c.Filter << " " << c.FalseExt;
}

TEST(FolderList, SupportedFormatsWithAndWithoutTheUnsaveableOnes) {
    struct TCase {
        const char* Path;
        bool FalseExt, Exclude, Supported;
    };
    const TCase cases[] = {{"/p/a.png", false, true, true},  {"/p/a.gif", false, false, true},
                           {"/p/a.gif", false, true, false}, {"/p/a.pix", true, false, true},
                           {"/p/a.pix", true, true, false},  {"/p/a.pix", false, false, false},
                           {"/p/a.txt", false, false, false}};
    for (const TCase& c : cases)
        EXPECT_EQ(checksupportedformat(c.Path, c.FalseExt, c.Exclude), c.Supported)
            << c.Path << " " << c.FalseExt << c.Exclude;
}

int64_t NanosecondsAt(int year) {
    return QDateTime(QDate(year, 6, 1), QTime(12, 0), Qt::UTC).toMSecsSinceEpoch() * 1000000;
}

QStringList Names(const std::vector<TFolderRow>& rows) {
    QStringList names;
    for (const TFolderRow& row : rows) names << row.Name;
    return names;
}

class FolderListSort : public ::testing::Test {
protected:
    std::vector<TFolderRow> Rows{
        TFolderRow::Make("/p", "b10.png", 10, NanosecondsAt(2200)),
        TFolderRow::Make("/p", "A.JPG", 5'368'709'120, NanosecondsAt(1920)), // 5 GiB
        TFolderRow::Make("/p", "a.jpg", 9, std::nullopt),
        TFolderRow::Make("/p", "c9.gif", 9, NanosecondsAt(2024)),
        TFolderRow::Make("/p", "noext", 10, NanosecondsAt(2024)),
    };
};

TEST_F(FolderListSort, EachFieldIsATotalOrderWithTiesByPath) {
    struct TCase {
        TSortField Field;
        QStringList Order;
    };
    const TCase cases[] = {
        // Equal upper-case names fall back on the path: "A.JPG" before "a.jpg" by byte.
        {TSortField::Name, {"A.JPG", "a.jpg", "b10.png", "c9.gif", "noext"}},
        {TSortField::Type, {"noext", "c9.gif", "A.JPG", "a.jpg", "b10.png"}},
        // 9 before 10 before 5 GiB: sizes are numbers, 64 bits wide.
        {TSortField::Size, {"a.jpg", "c9.gif", "b10.png", "noext", "A.JPG"}},
        // No time first; 1920 and 2200 either side of the years a text date would get right.
        {TSortField::Date, {"a.jpg", "A.JPG", "c9.gif", "noext", "b10.png"}},
    };
    for (const TCase& c : cases) {
        SortRows(Rows, c.Field, false);
        EXPECT_EQ(Names(Rows), c.Order) << static_cast<int>(c.Field);
        SortRows(Rows, c.Field, true);
        QStringList reversed(c.Order.rbegin(), c.Order.rend());
        EXPECT_EQ(Names(Rows), reversed) << static_cast<int>(c.Field);
        // Descending toggled back gives the first order, ties included.
        SortRows(Rows, c.Field, false);
        EXPECT_EQ(Names(Rows), c.Order) << static_cast<int>(c.Field);
    }
}

TEST_F(FolderListSort, PathsKeepRowOrderAndSkipNamelessRows) {
    Rows.push_back(TFolderRow::Make("/p/", "", 0, std::nullopt));
    SortRows(Rows, TSortField::Size, false);
    EXPECT_EQ(PathsOf(Rows),
              QStringList({"/p/a.jpg", "/p/c9.gif", "/p/b10.png", "/p/noext", "/p/A.JPG"}));
}

TEST(FolderList, PositionsAreClampedIntoTheList) {
    struct TCase {
        int Remembered, Count;
        std::optional<int> Index;
    };
    const TCase cases[] = {
        {-1, 3, 0}, {1, 3, 1}, {3, 3, 2}, {99, 3, 2}, {0, 0, std::nullopt}, {-1, 0, std::nullopt}};
    for (const TCase& c : cases)
        EXPECT_EQ(ClampedPosition(c.Remembered, c.Count), c.Index)
            << c.Remembered << "/" << c.Count;

    TFileListModel list;
    list.SetPaths({"/p/a", "/p/b", "/p/c"});
    list.SelectOnly({2, 1});
    list.SetCurrentIndex(0);
    EXPECT_EQ(storeposition(list, true), 1);
    EXPECT_EQ(storeposition(list, false), 0);
    list.SetPaths({"/p/a", "/p/b"}); // the rebuilt list lost its last item
    EXPECT_TRUE(readposition(list, 2));
    EXPECT_EQ(list.CurrentIndex(), 1);
    EXPECT_EQ(list.SelectedIndexes(), std::vector{1});
    EXPECT_TRUE(checkifhasitems(list, true));
    list.Clear();
    EXPECT_FALSE(readposition(list, -1));
    EXPECT_FALSE(checkifhasitems(list, false));
}

TEST(FolderList, SelectionLabelAndCaption) {
    struct TCase {
        TListStatus Status;
        const char* Label;
        const char* Caption;
    };
    TListStatus folders;
    folders.BrowseMode = BrowseFolders;
    folders.TreePath = "/home/u/pics/";
    auto with = [](TListStatus s, int current, int selected, int total) {
        s.CurrentIndex = current;
        s.SelectedCount = selected;
        s.Total = total;
        return s;
    };
    TListStatus fullScreen = with(folders, 4, 7, 20);
    fullScreen.FullScreen = true;
    fullScreen.FullScreenPosition = -1;
    TListStatus slideshow = with(folders, 4, 7, 20);
    slideshow.Slideshow = true;
    TListStatus bare;
    bare.BrowseMode = BrowseFolders;
    TListStatus named;
    named.BrowseMode = BrowseFavorites;
    named.ListName = "Trip";
    TListStatus standard;
    standard.BrowseMode = BrowseFavorites;
    standard.ListName = "<default>";
    const TCase cases[] = {
        {with(folders, 0, 1000, 10000), "Selected: 1000 of 10000", ""},
        {with(folders, 0, 1001, 10000), "Sel: 1001 of 10000", ""},
        {with(folders, 0, 1, 10001), "Sel: 1 of 10001", ""},
        {with(folders, -1, 0, 3), "Selected: 0 of 3", "Glimmet - Folder: /home/u/pics/"},
        {with(folders, 0, 9, 2), "Selected: 2 of 2", ""}, // never more than the total
        {fullScreen, "File# 1 of 20", ""},
        {slideshow, "File# 5 of 20", ""},
        {with(bare, -1, 0, 0), "Selected: 0 of 0", "Glimmet"},
        {with(named, -1, 0, 0), "Selected: 0 of 0", "Glimmet - Favorites Files List: Trip.fvt"},
        {with(standard, -1, 0, 1), "Selected: 0 of 1", "Glimmet - Favorites Files List: Default"},
    };
    for (const TCase& c : cases) {
        const TStatusTexts texts = doselectstatus(c.Status);
        EXPECT_EQ(texts.SelectLabel, c.Label);
        EXPECT_EQ(texts.Caption, c.Caption) << c.Label;
    }
}

TEST(FolderList, CommandsFollowPositionSelectionAndMode) {
    struct TCase {
        int Mode, Current, Selected, Total;
        bool ImageShown;
        std::set<QString> Expected; // of the sample below
    };
    const QStringList sample{"btnzoomin", "mkDelete",      "btnfirst", "btnnext",
                             "btnrandom", "btnfullscreen", "btnsort"};
    const TCase cases[] = {
        {BrowseFolders, -1, 0, 0, false, {"btnsort"}},
        {BrowseFolders, 0, 1, 1, true, {"btnzoomin", "mkDelete", "btnfullscreen", "btnsort"}},
        {BrowseFolders,
         0,
         1,
         2,
         false,
         {"mkDelete", "btnnext", "btnrandom", "btnfullscreen", "btnsort"}},
        {BrowseFolders, 1, 0, 2, false, {"btnfirst", "btnrandom", "btnfullscreen", "btnsort"}},
        {BrowseFavorites,
         1,
         2,
         3,
         true,
         {"btnzoomin", "mkDelete", "btnfirst", "btnnext", "btnrandom", "btnfullscreen"}},
    };
    for (const TCase& c : cases) {
        TListStatus status;
        status.BrowseMode = c.Mode;
        status.CurrentIndex = c.Current;
        status.SelectedCount = c.Selected;
        status.Total = c.Total;
        status.ImageShown = c.ImageShown;
        const TStatusTexts texts = doselectstatus(status);
        std::set<QString> enabled;
        for (const QString& command : sample) {
            EXPECT_TRUE(StatusGoverns(command)) << command.toStdString();
            if (texts.Enabled.contains(command)) enabled.insert(command);
        }
        EXPECT_EQ(enabled, c.Expected) << c.Mode << " " << c.Current << " " << c.Total;
        EXPECT_EQ(texts.Shown.contains("btnbookmark"), c.Mode == BrowseFolders);
        EXPECT_EQ(texts.Shown.contains("btnRemoveBookmark"), c.Mode == BrowseFavorites);
    }
    EXPECT_FALSE(StatusGoverns("mkExit"));
}

TEST(FolderList, HeadingsAndFolderDisplayNames) {
    EXPECT_EQ(GetModeHeading(BrowseFolders, "/home/u/Holiday 2024/", ""),
              "All images in \"Holiday 2024\"");
    EXPECT_EQ(GetModeHeading(BrowseFavorites, "/x/", "Trip"), "All images in \"Trip\"");
    EXPECT_EQ(GetModeHeading(BrowseFavorites, "/x/", "<default>"), "Selected Bookmarks");

    struct TCase {
        const char* Path;
        const char* Shown;
    };
    const TCase cases[] = {
        {"/home/u/Pictures/", "\"My Pictures\""},
        {"/home/u/Pictures/2024/", "\"My Pictures\"/2024"},
        {"/home/u/Documents/scans/", "\"My Documents\"/scans"},
        {"/home/u/Pictures2/", "/home/u/Pictures2"}, // another folder that begins alike
        {"/srv/home/u/Pictures/", "/srv/home/u/Pictures"},
        {"/", "/"},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(GetFolderDisplayName(c.Path, "/home/u/Pictures/", "/home/u/Documents/"), c.Shown)
            << c.Path;
}

} // namespace

#include "folder_list.h"

#include "file_list_model.h"
#include "file_masks.h"
#include "options_string.h"
#include "path_text.h"

#include <algorithm>
#include <tuple>

namespace {

// ASCII letters only, as the keys are compared byte by byte.
QString AsciiUpper(const QString& text) {
    QString upper = text;
    for (QChar& c : upper)
        if (c >= u'a' && c <= u'z') c = QChar(c.unicode() - 32);
    return upper;
}

bool RowLess(const TFolderRow& a, const TFolderRow& b, TSortField field) {
    switch (field) {
    case TSortField::Type:
        return std::tie(a.ExtensionKey, a.Path) < std::tie(b.ExtensionKey, b.Path);
    case TSortField::Size:
        return std::tie(a.Size, a.Path) < std::tie(b.Size, b.Path);
    case TSortField::Date:
        return std::tie(a.Time, a.Path) < std::tie(b.Time, b.Path);
    case TSortField::Name:
        break;
    }
    return std::tie(a.NameKey, a.Path) < std::tie(b.NameKey, b.Path);
}

const char* const ImageShownCommands[] = {
    "btnzoomin", "btnzoomout", "mkClipboard", "btnrotate90", "btnrotate270", "mkRotate",
    "mkCrop",    "mkResize",   "mkBCG",       "mkHSV",       "mkRGB",        "mkGreyScale",
    "mkSharpen", "mkSmooth",   "mkContour",   "mkRedEye",    "mkPrint",      "Printbtn"};
const char* const SelectionCommands[] = {
    "btnnewwindow", "mkNewWindow", "Renamebtn",        "mkRename",    "btnCopy",
    "mkCopy",       "btnMove",     "mkMove",           "Deletebtn",   "mkDelete",
    "btnemail",     "mkEmail",     "mkAddtoFavorites", "btnbookmark", "btnRemoveBookmark",
    "btnFileInfo",  "mkFileInfo",  "mkOpenInEditor"};
const char* const BackCommands[] = {"btnfirst", "btnprevious"};
const char* const ForwardCommands[] = {"btnlast", "btnnext"};
const char* const SeveralCommands[] = {"btnrandom", "btnslideshow", "mkSlideshow", "btnmultishow",
                                       "mkMultishow"};
const char* const AnyCommands[] = {"btnfullscreen", "mkFullScreen"};

template <size_t N>
void AllowIf(bool allowed, const char* const (&commands)[N], std::set<QString>& enabled) {
    if (allowed)
        for (const char* command : commands) enabled.insert(command);
}

QString SelectLabel(const TListStatus& s, int position, int count) {
    const QString total = QString::number(s.Total);
    if (s.Slideshow || s.FullScreen) return "File# " + QString::number(position) + " of " + total;
    if (count > 1000 || s.Total > 10000) return "Sel: " + QString::number(count) + " of " + total;
    return "Selected: " + QString::number(count) + " of " + total;
}

QString Caption(const TListStatus& s) {
    if (s.BrowseMode == BrowseFavorites)
        return s.ListName == "<default>" ? "Glimmet - Favorites Files List: Default"
                                         : "Glimmet - Favorites Files List: " + s.ListName + ".fvt";
    if (s.BrowseMode == BrowseFolders && !s.TreePath.isEmpty())
        return "Glimmet - Folder: " + s.TreePath;
    return "Glimmet";
}

} // namespace

TFolderRow TFolderRow::Make(const QString& folder, const QString& name, int64_t size,
                            std::optional<int64_t> time) {
    TFolderRow row{name, FileExtension(name), size, time, AddSlash(folder) + name, {}, {}};
    row.NameKey = AsciiUpper(row.Name);
    row.ExtensionKey = AsciiUpper(row.Extension);
    return row;
}

bool AcceptsFile(const QString& name, const QString& filter, bool supportFalseExt) {
    return PassesFilter(name, filter, supportFalseExt);
}

bool checksupportedformat(const QString& path, bool supportFalseExt, bool excludeUnsaveable) {
    if (!AcceptsFile(path, QString(), supportFalseExt)) return false;
    return !excludeUnsaveable || !ExtInList(path, FileMasks::Unsaveable);
}

void SortRows(std::vector<TFolderRow>& rows, TSortField field, bool descending) {
    std::sort(rows.begin(), rows.end(), [=](const TFolderRow& a, const TFolderRow& b) {
        return descending ? RowLess(b, a, field) : RowLess(a, b, field);
    });
}

QStringList PathsOf(const std::vector<TFolderRow>& rows) {
    QStringList paths;
    paths.reserve(static_cast<qsizetype>(rows.size()));
    for (const TFolderRow& row : rows)
        if (!row.Name.isEmpty()) paths << row.Path;
    return paths;
}

std::optional<int> ClampedPosition(int remembered, int count) {
    if (count <= 0) return std::nullopt;
    return std::clamp(remembered, 0, count - 1);
}

TStatusTexts doselectstatus(const TListStatus& s) {
    TStatusTexts texts;
    int position = s.CurrentIndex + 1;
    int count = s.SelectedCount;
    if (s.FullScreen) {
        position = std::max(s.FullScreenPosition, 0) + 1;
        count = 1;
    }
    count = std::min(count, s.Total);
    texts.Position = position;
    texts.Selected = count;
    texts.SelectLabel = SelectLabel(s, position, count);
    if (count == 0) texts.Caption = Caption(s);
    const bool favorites = s.BrowseMode == BrowseFavorites;
    AllowIf(s.ImageShown, ImageShownCommands, texts.Enabled);
    AllowIf(count > 0, SelectionCommands, texts.Enabled);
    AllowIf(position > 1, BackCommands, texts.Enabled);
    AllowIf(position < s.Total, ForwardCommands, texts.Enabled);
    AllowIf(s.Total > 1, SeveralCommands, texts.Enabled);
    AllowIf(s.Total > 0, AnyCommands, texts.Enabled);
    if (!favorites) texts.Enabled.insert("btnsort");
    texts.Shown.insert(favorites ? "btnRemoveBookmark" : "btnbookmark");
    texts.Shown.insert(favorites ? "btnRemoveBookmark" : "mkAddtoFavorites");
    return texts;
}

bool StatusGoverns(const QString& command) {
    static const std::set<QString> governed = [] {
        std::set<QString> all{"btnsort"};
        for (const auto* group : {&ImageShownCommands, &SelectionCommands})
            for (const char* command : *group) all.insert(command);
        for (const char* command : BackCommands) all.insert(command);
        for (const char* command : ForwardCommands) all.insert(command);
        for (const char* command : SeveralCommands) all.insert(command);
        for (const char* command : AnyCommands) all.insert(command);
        return all;
    }();
    return governed.contains(command);
}

QString GetModeHeading(int browseMode, const QString& treePath, const QString& listName) {
    if (browseMode == BrowseFavorites)
        return listName == "<default>" ? QStringLiteral("Selected Bookmarks")
                                       : "All images in \"" + listName + '"';
    return "All images in \"" + ExtractFinalPath(treePath) + '"';
}

QString GetFolderDisplayName(const QString& path, const QString& picturesFolder,
                             const QString& documentsFolder) {
    QString name = RemoveSlash(path);
    // Paths are absolute: a folder stands only at the start, and ends on a component boundary
    // so that "/home/u/Pictures2" stays as it is.
    auto replace = [&name](const QString& folder, const QString& words) {
        const QString bare = RemoveSlash(folder);
        if (bare.isEmpty() || bare == "/" || !name.startsWith(bare)) return;
        if (name.size() > bare.size() && name.at(bare.size()) != u'/') return;
        name = words + name.mid(bare.size());
    };
    replace(picturesFolder, "\"My Pictures\"");
    replace(documentsFolder, "\"My Documents\"");
    return name;
}

int storeposition(const TFileListModel& list, bool bySelection) {
    return bySelection ? list.FirstSelected() : list.CurrentIndex();
}

bool readposition(TFileListModel& list, int remembered) {
    const std::optional<int> index = ClampedPosition(remembered, list.Count());
    if (!index) return false;
    SetCurrentPosition(list, *index);
    return true;
}

void SetCurrentPosition(TFileListModel& list, int index) {
    list.SelectOnly({index});
    list.SetCurrentIndex(index);
}

bool checkifhasitems(const TFileListModel& list, bool selected) {
    return selected ? list.SelectedCount() > 0 : list.Count() > 0;
}

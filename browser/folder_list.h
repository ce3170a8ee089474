#pragma once
// The widget-free core of the folder list: the rows a folder read gives, which files it
// accepts, their sort order, the list position kept across rebuilds and the texts and command
// states that describe the list.

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <set>
#include <vector>

class TFileListModel;

// One accepted file. Sizes and times are 64-bit numbers; the keys are kept upper-cased so a
// sort change re-sorts the kept rows without reading the folder or folding case again.
struct TFolderRow {
    QString Name;
    QString Extension;           // with its dot; empty when there is none
    int64_t Size = 0;            // 0 when it could not be read
    std::optional<int64_t> Time; // nanoseconds since the epoch; none when not readable
    QString Path;
    QString NameKey, ExtensionKey;

    static TFolderRow Make(const QString& folder, const QString& name, int64_t size,
                           std::optional<int64_t> time);
};

enum class TSortField { Name = 0, Type = 1, Size = 2, Date = 3 };

// Whether the folder list accepts the file under the filter ("*.*" every file, empty every
// image format, the false extensions too when they are supported).
bool AcceptsFile(const QString& name, const QString& filter, bool supportFalseExt);
// Whether the path is a listed image type; with excludeUnsaveable, the formats the program
// cannot write count as unsupported.
bool checksupportedformat(const QString& path, bool supportFalseExt, bool excludeUnsaveable);

// A total order: the key, then the full path; descending is the exact reverse, so toggling it
// twice gives the first order back.
void SortRows(std::vector<TFolderRow>& rows, TSortField field, bool descending);
QStringList PathsOf(const std::vector<TFolderRow>& rows);

// The index readposition makes current: the remembered one (-1 when nothing was current)
// within 0..count-1; none for an empty list.
std::optional<int> ClampedPosition(int remembered, int count);

// The state the status texts and command enabling are a function of.
struct TListStatus {
    int BrowseMode = 0;
    bool FullScreen = false;
    bool Slideshow = false;
    int FullScreenPosition = 0;
    int CurrentIndex = -1;
    int SelectedCount = 0;
    int Total = 0;
    bool ImageShown = false;     // a current file that is not loading
    QString TreePath;            // Folders mode
    QString ListName;            // Favorites mode: "<default>" or a list name
    bool ListNameChosen = false; // a named favorites list is chosen
};

struct TStatusTexts {
    QString SelectLabel;
    QString Caption;                // only when nothing is selected; else empty
    std::set<QString> Enabled;      // the commands the state allows among those it governs
    std::set<QString> Shown;        // of those shown only in one mode, the ones shown
    int Position = 0, Selected = 0; // as the texts count them
};

TStatusTexts doselectstatus(const TListStatus& status);
// Whether the state governs the command (the others are left to their handlers alone).
bool StatusGoverns(const QString& command);

QString GetModeHeading(int browseMode, const QString& treePath, const QString& listName);
// The folder without trailing "/", a leading pictures folder replaced by "My Pictures" in
// double quotes, then a leading documents folder by "My Documents" in double quotes.
QString GetFolderDisplayName(const QString& path, const QString& picturesFolder,
                             const QString& documentsFolder);

// The list position across a rebuild: the first selected item or the current one (-1: none).
int storeposition(const TFileListModel& list, bool bySelection);
// Makes the clamped position current and the only selection; false for an empty list.
bool readposition(TFileListModel& list, int remembered);
void SetCurrentPosition(TFileListModel& list, int index);
// Without the flag, whether the list has items; with it, whether one is selected.
bool checkifhasitems(const TFileListModel& list, bool selected);

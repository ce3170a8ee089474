#pragma once
// The values of the settings store, as one table: every value's name, form, default, valid
// range, whether it is read at start, when it is written, and the group of values that fall
// back to their defaults together. Rows stand in the order in which the store is written.

#include <QString>

#include <algorithm>
#include <climits>
#include <cstdint>

// What the defaults and ranges depend on.
struct TScreenMetrics {
    int Width = 1024;
    int Height = 768;
    int Dpi = 96;
    int Depth = 24; // bits per pixel

    // A length designed for 96 pixels per inch, for this screen (truncated).
    int Scaled(int length) const { return length * Dpi / 96; }
};

enum class TSettingForm { Bool, Int, Text, Char, Colour };

enum class TSettingWrite {
    Always,
    Never,
    BookmarkSelected, // only while the list box of favorites lists has a selection
    NotFullScreen,
    ModePanelShown // not in full screen, and the mode panel more than 60 pixels high and wide
};

// Values that fall back to their defaults together when either one is missing or malformed.
enum class TSettingGroup { None, Multishow, Background };

// The integers a value may take: Min..Max, and Unset as well when it is not Min - 1.
struct TIntRange {
    int64_t Min = INT32_MIN;
    int64_t Max = INT32_MAX;
    bool AllowsUnset = false; // -1 stands for "the control's own default"

    bool Contains(int64_t value) const {
        return (value >= Min && value <= Max) || (AllowsUnset && value == -1);
    }
};

constexpr TIntRange Between(int64_t min, int64_t max) {
    return {min, max, false};
}
constexpr TIntRange BetweenOrUnset(int64_t min, int64_t max) {
    return {min, max, true};
}
constexpr TIntRange UpTo(int64_t max) {
    return {INT32_MIN, max, false};
}
constexpr TIntRange AnyInt = {};

// The password check value meaning "no password".
constexpr int32_t NoPasswordMarker = 518236947;
constexpr uint32_t ColourBlack = 0x000000;

// X(Name, Form, Default, Range, Readable, Writing, Group); Default and Range may use the screen
// `s`. A range admits every value the program stores or gives a meaning to (-1 for "maximised" or
// "the control's own default", 0 or less for "no reduction"); a stored value outside it is
// malformed and reads as the default. Thumbnails stop at 1000 pixels a side: a box of 9999
// would make every cell of the grid a picture of hundreds of megabytes. The panel sizes take any
// integer: they are brought into their ranges when the panels are laid out at start.
// LargeToolbarImages is not read with the others: the window reads it when it is created
// (ReadLargeToolbarImages).
// clang-format off
#define GLIMMET_SETTINGS(X) \
    X(GetStarted,                  Bool,   true,                AnyInt, true,  Always, None) \
    X(TipsOnStart,                 Bool,   true,                AnyInt, true,  Always, None) \
    X(ShowSSName,                  Bool,   false,               AnyInt, true,  Always, None) \
    X(SupportFalseExt,             Bool,   false,               AnyInt, true,  Always, None) \
    X(UsePGtoPrintThumbs,          Bool,   false,               AnyInt, true,  Always, None) \
    X(CurrentFilter,               Text,   QString(),           AnyInt, true,  Always, None) \
    X(InstallDir,                  Text,   QString(),           AnyInt, false, Always, None) \
    X(ExePath,                     Text,   QString(),           AnyInt, false, Always, None) \
    X(SSMultiHorz,                 Int,    4,                   Between(1, 10), true, Always, Multishow) \
    X(SSMultiVert,                 Int,    3,                   Between(1, 10), true, Always, Multishow) \
    X(AdvancedFunctionsAvailable,  Bool,   false,               AnyInt, true,  Always, None) \
    X(UseMouseWheel,               Bool,   false,               AnyInt, true,  Always, None) \
    X(ThumbnailButtons,            Bool,   true,                AnyInt, true,  Always, None) \
    X(DiskCacheMaxCount,           Int,    500,                 Between(0, 9999), true, Always, None) \
    X(ThumbnailHeight,             Int,    -1,                  BetweenOrUnset(1, 1000), true, Always, None) \
    X(ThumbnailWidth,              Int,    -1,                  BetweenOrUnset(1, 1000), true, Always, None) \
    X(GMXLayout,                   Int,    1,                   Between(1, 6), true, Always, None) \
    X(JPEGThumbnails,              Bool,   false,               AnyInt, true,  Always, None) \
    X(WriteSharedThumbnails,       Bool,   true,                AnyInt, true,  Always, None) \
    X(ThumbQualityHigh,            Bool,   true,                AnyInt, true,  Always, None) \
    X(HideFileExt,                 Bool,   false,               AnyInt, true,  Always, None) \
    X(IconInfoColumnWidth,         Int,    -1,                  BetweenOrUnset(1, 9999), true, Always, None) \
    X(FilenameColumnWidth,         Int,    -1,                  BetweenOrUnset(1, 9999), true, Always, None) \
    X(ShowPreview,                 Bool,   true,                AnyInt, true,  Always, None) \
    X(ConfirmDragDrop,             Bool,   true,                AnyInt, true,  Always, None) \
    X(ThinBorder,                  Bool,   false,               AnyInt, true,  Always, None) \
    X(ShowDlgProgress,             Bool,   true,                AnyInt, true,  Always, None) \
    X(UseWindowsMoveCopy,          Bool,   false,               AnyInt, true,  Always, None) \
    X(ConfirmDeleteFile,           Bool,   true,                AnyInt, true,  Always, None) \
    X(MoveToRecycleBin,            Bool,   false,               AnyInt, true,  Always, None) \
    X(ThumbMode,                   Int,    2,                   Between(0, 2), true, Always, None) \
    X(Fast,                        Bool,   true,                AnyInt, true,  Always, None) \
    X(HideAllInFS,                 Bool,   false,               AnyInt, true,  Always, None) \
    X(SlideshowViz,                Bool,   false,               AnyInt, true,  Always, None) \
    X(EditingViz,                  Bool,   false,               AnyInt, true,  Always, None) \
    X(ToolbarViz,                  Bool,   true,                AnyInt, true,  Always, None) \
    X(StatusViz,                   Bool,   true,                AnyInt, true,  Always, None) \
    X(MenuViz,                     Bool,   true,                AnyInt, true,  Always, None) \
    X(CurrentBookmark,             Text,   QString(),           AnyInt, true,  BookmarkSelected, None) \
    X(RememberGIFDelay,            Bool,   true,                AnyInt, true,  Always, None) \
    X(MoveFiles,                   Bool,   false,               AnyInt, true,  Always, None) \
    X(LargeToolbarImages,          Bool,   s.Width > 800,       AnyInt, false, Always, None) \
    X(AllowDoubleClick,            Bool,   true,                AnyInt, true,  Always, None) \
    X(bReverseSort,                Bool,   false,               AnyInt, true,  Always, None) \
    X(iCurrentSortField,           Int,    0,                   Between(0, 3), true, Always, None) \
    X(ExtView,                     Text,   QString(),           AnyInt, true,  Always, None) \
    X(CameraSource,                Text,   QString(),           AnyInt, true,  Always, None) \
    X(DelimitCharacter,            Char,   QStringLiteral("#"), AnyInt, true,  Always, None) \
    X(BGColor,                     Colour, ColourBlack,         AnyInt, true,  Always, Background) \
    X(OverrideBGColor,             Bool,   false,               AnyInt, true,  Always, Background) \
    X(FullScreenSlideshow,         Bool,   false,               AnyInt, true,  Always, None) \
    X(ConvertEmailFiles,           Int,    -1,                  Between(-1, 1000000), true, Always, None) \
    X(ConvertEmailSizeX,           Int,    s.Width,             UpTo(std::max(10000, s.Width)), true, Always, None) \
    X(ConvertEmailSizeY,           Int,    s.Height,            UpTo(std::max(10000, s.Height)), true, Always, None) \
    X(NewWindowShrink,             Bool,   true,                AnyInt, true,  Always, None) \
    X(NewWindowStretch,            Bool,   false,               AnyInt, true,  Always, None) \
    X(NewWindowFullSize,           Bool,   true,                AnyInt, true,  Always, None) \
    X(UseThreads,                  Bool,   true,                AnyInt, true,  Always, None) \
    X(BeepOnError,                 Bool,   true,                AnyInt, true,  Always, None) \
    X(Launch16bitNames,            Bool,   false,               AnyInt, true,  Always, None) \
    X(RenameSuffix,                Text,   QString(),           AnyInt, true,  Always, None) \
    X(WatchDirectoryDirectory,     Text,   QString(),           AnyInt, true,  Always, None) \
    X(Version,                     Text,   QString(),           AnyInt, true,  Always, None) \
    X(Options,                     Text,   DefaultOptionsString(), AnyInt, true, Always, None) \
    X(LastDir,                     Text,   QString(),           AnyInt, true,  Always, None) \
    X(WPHeight,                    Int,    460,                 Between(100, s.Height), true, Always, None) \
    X(TwainHandle,                 Int,    NoPasswordMarker,    AnyInt, true,  Always, None) \
    X(AfterPWApp,                  Text,   QString(),           AnyInt, true,  Always, None) \
    X(FileGridWidth,               Int,    -1,                  AnyInt, true,  NotFullScreen, None) \
    X(FileGridTop,                 Int,    -1,                  AnyInt, true,  ModePanelShown, None) \
    X(NewWindowHeight,             Int,    400,                 Between(-1, s.Height), true, Always, None) \
    X(Mode3Height,                 Int,    s.Scaled(220),       AnyInt, true,  Always, None) \
    X(Mode4Height,                 Int,    s.Scaled(130),       AnyInt, true,  Always, None) \
    X(OpenDlgHeight,               Int,    s.Scaled(400),       Between(100, s.Height), true, Always, None) \
    X(NewWindowWidth,              Int,    500,                 Between(0, s.Width), true, Always, None) \
    X(WPWidth,                     Int,    624,                 Between(150, s.Width), true, Always, None) \
    X(WPLeft,                      Int,    20,                  Between(0, s.Width - 100), true, Always, None) \
    X(DefaultJPEGQuality,          Int,    85,                  Between(1, 100), true, Always, None) \
    X(AlwaysUseDefaultJPEGQuality, Bool,   true,                AnyInt, true,  Always, None) \
    X(AnimGIFDefault,              Int,    500,                 Between(50, 10000), true, Always, None) \
    X(WPMax,                       Bool,   false,               AnyInt, true,  Always, None) \
    X(WPTop,                       Int,    14,                  Between(0, s.Height - 100), true, Always, None) \
    X(threewidth,                  Int,    -1,                  AnyInt, false, NotFullScreen, None) \
    X(ExternalPrintApp,            Text,   QString(),           AnyInt, true,  Never, None) \
    X(ExternalPrintAppName,        Text,   QString(),           AnyInt, true,  Never, None)
// clang-format on

// The options string at its defaults, with its check digits.
QString DefaultOptionsString();

template <TSettingForm>
struct TSettingValue;
template <>
struct TSettingValue<TSettingForm::Bool> {
    using Type = bool;
};
template <>
struct TSettingValue<TSettingForm::Int> {
    using Type = int32_t;
};
template <>
struct TSettingValue<TSettingForm::Text> {
    using Type = QString;
};
template <>
struct TSettingValue<TSettingForm::Char> {
    using Type = QString; // exactly one character
};
template <>
struct TSettingValue<TSettingForm::Colour> {
    using Type = uint32_t; // packed 0x00BBGGRR; a high byte of 0x80 marks a system colour
};

struct TSettings {
#define GLIMMET_SETTING_FIELD(Name, Form, Default, Range, Readable, Writing, Group)                \
    TSettingValue<TSettingForm::Form>::Type Name{};
    GLIMMET_SETTINGS(GLIMMET_SETTING_FIELD)
#undef GLIMMET_SETTING_FIELD

    bool operator==(const TSettings&) const = default;
};

TSettings DefaultSettings(const TScreenMetrics& s);

#pragma once
// The one-time hints: one flag per hint, true while the hint is still to be shown. Rows stand
// in the order in which the Warning key is written; the heading is what showwarning shows
// (empty for the flags that are only read and written back).

#include <QString>

// clang-format off
#define GLIMMET_WARNINGS(X) \
    X(WarningMinimize,          "") \
    X(WarningGIFAnim,           "GIF Animation Speed") \
    X(WarningFullScreen,        "Full Screen Mode") \
    X(WarningWriteHTML,         "HTML Filename") \
    X(WarningWriteImage,        "Naming of Files") \
    X(WarningDragBookmarks,     "Reordering your Files") \
    X(WarningFileDesc,          "") \
    X(WarningDescription,       "") \
    X(WarningThumb,             "") \
    X(WarningColour,            "Windows Color Depth") \
    X(WarningRename,            "Batch Renaming") \
    X(WarningBookmarkSelection, "Working with a Selection") \
    X(WarningFavourites,        "") \
    X(WarningEmail,             "Emailing Images") \
    X(WarningNewWindow,         "Image Display Size") \
    X(WarningModeThree,         "Folders Mode") \
    X(WarningModeFour,          "Favorites Mode")
// clang-format on

struct TWarningFlags {
#define GLIMMET_WARNING_FIELD(Name, Heading) bool Name = true;
    GLIMMET_WARNINGS(GLIMMET_WARNING_FIELD)
#undef GLIMMET_WARNING_FIELD

    bool operator==(const TWarningFlags&) const = default;
};

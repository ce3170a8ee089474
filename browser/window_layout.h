#pragma once
// The six window layouts and the sizes of their panels. The main window has a left panel
// (the mode panel with the folder tree or the favorites, and the file grid area) and the image
// area; a layout places the mode panel above or beside the grid area, and the left panel to the
// left of or above the image area.

#include "settings_table.h"

#include <QSize>

#include <optional>

struct TLayoutArrangement {
    bool ModeBesideGrid;      // else the mode panel is above the file grid area
    bool LeftAboveImage;      // else the left panel is to the left of the image area
    bool ImageAndGridSwapped; // the image shows in the grid area and the grid in the image area
};

constexpr int LayoutCount = 6;
TLayoutArrangement LayoutArrangement(int layout);

// The two panel sizes a layout is arranged with: the left panel's width (left of the image) or
// height (above it), and the mode panel's width (beside the grid) or height (above it).
struct TPanelSizes {
    int LeftPanel = 0;
    int ModePanel = 0;
    bool operator==(const TPanelSizes&) const = default;
};

// The mode panel height remembered for a browse mode.
int ModePanelHeight(const TSettings& settings, int browseMode);

// The sizes at start from the stored values, each brought into its range or given its default
// when unset (-1). The remembered mode heights are brought into theirs in settings.
TPanelSizes StartPanelSizes(TSettings& settings, int layout, int browseMode,
                            const TScreenMetrics& s, QSize client);

// A layout chosen in the options window: the remembered mode heights and the panels go back
// to the layout's proportions of the window.
TPanelSizes ResetLayoutSizes(TSettings& settings, int layout, int browseMode,
                             const TScreenMetrics& s, QSize window);

// "Reset Settings" enlarges a tiny window first, then resets the mode heights and the panels
// within the window as it then is (leftPanelWidth: the left panel's width in it). In layouts 3
// and 4 the mode panel keeps the size the mode change gives it.
QSize ResetWindowSize(QSize window);
struct TResetSizes {
    int LeftPanel = 0;
    std::optional<int> ModePanel;
};
TResetSizes ResetEverythingSizes(TSettings& settings, int layout, int browseMode,
                                 const TScreenMetrics& s, QSize window, int leftPanelWidth);

// The panel values written at exit, taken from the panels as they are: the current mode's
// height is the mode panel's, in every layout. Answers whether the mode panel is large enough
// (more than 60 pixels high and wide) for FileGridTop to be remembered.
struct TPanelGeometry {
    QSize LeftPanel;
    QSize ModePanel;
};
bool StorePanelSizes(const TPanelGeometry& geometry, int layout, int browseMode,
                     TSettings& settings);

#include "window_layout.h"

#include "options_string.h"

#include <algorithm>
#include <stdexcept>

namespace {

// Within [low, high]; low when the range is empty.
int Bounded(int value, int low, int high) {
    return std::max(low, std::min(value, high));
}

bool LeftPanelIsWidth(int layout) {
    return !LayoutArrangement(layout).LeftAboveImage;
}

bool ModePanelIsWidth(int layout) {
    return LayoutArrangement(layout).ModeBesideGrid;
}

int Percent(int length, int percent) {
    return length * percent / 100;
}

} // namespace

TLayoutArrangement LayoutArrangement(int layout) {
    switch (layout) {
    case 1:
        return {false, false, false};
    case 2:
        return {false, false, true};
    case 3:
        return {true, false, false};
    case 4:
        return {false, true, false};
    case 5:
        return {true, true, false};
    case 6:
        return {true, true, true};
    }
    throw std::out_of_range("Unknown window layout");
}

int ModePanelHeight(const TSettings& settings, int browseMode) {
    return browseMode == BrowseFavorites ? settings.Mode4Height : settings.Mode3Height;
}

TPanelSizes StartPanelSizes(TSettings& settings, int layout, int browseMode,
                            const TScreenMetrics& s, QSize client) {
    TPanelSizes sizes;
    const bool unset = settings.FileGridWidth == -1;
    if (LeftPanelIsWidth(layout))
        sizes.LeftPanel = unset ? s.Scaled(346) : Bounded(settings.FileGridWidth, 100, s.Width);
    else
        sizes.LeftPanel =
            unset ? Percent(client.height(), 80) : Bounded(settings.FileGridWidth, 100, s.Height);
    const int leftWidth = LeftPanelIsWidth(layout) ? sizes.LeftPanel : client.width();
    const int leftHeight = LeftPanelIsWidth(layout) ? client.height() : sizes.LeftPanel;
    // Both heights, so that the other mode finds its height in range when the user switches.
    settings.Mode3Height = Bounded(settings.Mode3Height, 50, leftHeight);
    settings.Mode4Height = Bounded(settings.Mode4Height, 50, leftHeight);
    if (ModePanelIsWidth(layout))
        sizes.ModePanel = settings.FileGridTop == -1
                              ? leftWidth / 2
                              : Bounded(settings.FileGridTop, 80, leftWidth - 30);
    else
        sizes.ModePanel = ModePanelHeight(settings, browseMode);
    return sizes;
}

TPanelSizes ResetLayoutSizes(TSettings& settings, int layout, int browseMode,
                             const TScreenMetrics& s, QSize window) {
    settings.Mode3Height = s.Scaled(220);
    settings.Mode4Height = s.Scaled(130);
    TPanelSizes sizes;
    if (LeftPanelIsWidth(layout))
        sizes.LeftPanel = Percent(window.height(), 60);
    else
        sizes.LeftPanel = Percent(window.height(), layout == 4 ? 55 : 40);
    const int leftWidth = LeftPanelIsWidth(layout) ? sizes.LeftPanel : window.width();
    sizes.ModePanel =
        ModePanelIsWidth(layout) ? leftWidth / 2 : ModePanelHeight(settings, browseMode);
    return sizes;
}

QSize ResetWindowSize(QSize window) {
    return QSize(window.width() < 250 ? 624 : window.width(),
                 window.height() < 200 ? 460 : window.height());
}

TResetSizes ResetEverythingSizes(TSettings& settings, int layout, int browseMode,
                                 const TScreenMetrics& s, QSize window, int leftPanelWidth) {
    TResetSizes result;
    settings.Mode3Height = s.Scaled(220);
    settings.Mode4Height = s.Scaled(130);
    switch (layout) {
    case 1:
    case 2:
        result.LeftPanel = 344;
        result.ModePanel = ModePanelHeight(settings, browseMode);
        break;
    case 3:
        result.LeftPanel = Percent(window.width(), 60);
        break;
    case 4:
        result.LeftPanel = Percent(window.width(), 40);
        break;
    default:
        result.LeftPanel = Percent(window.height(), 40);
        result.ModePanel = leftPanelWidth / 2;
    }
    return result;
}

bool StorePanelSizes(const TPanelGeometry& geometry, int layout, int browseMode,
                     TSettings& settings) {
    const QSize left = geometry.LeftPanel, mode = geometry.ModePanel;
    settings.FileGridWidth = LeftPanelIsWidth(layout) ? left.width() : left.height();
    settings.threewidth = mode.width();
    const bool shown = mode.height() > 60 && mode.width() > 60;
    if (shown) settings.FileGridTop = ModePanelIsWidth(layout) ? mode.width() : mode.height();
    (browseMode == BrowseFavorites ? settings.Mode4Height : settings.Mode3Height) = mode.height();
    return shown;
}

#pragma once
// The docking state of the four toolbars, one subkey of the Toolbars key per toolbar with the
// values Rev, Visible, DockedTo, LastDock, DockRow, DockPos, FloatLeft and FloatTop.

#include <QString>
#include <QStringList>

#include <vector>

class TRegistry;

enum class TDockSide { Top, Bottom, Left, Right, Floating };

struct TToolbarDock {
    QString Name;
    bool Visible = true;
    TDockSide DockedTo = TDockSide::Top;
    TDockSide LastDock = TDockSide::Top; // the side it was docked to before it floated
    int DockRow = 0;                     // the line of toolbars on its side, from the window
    int DockPos = 0;                     // its offset along that line
    int FloatLeft = 0, FloatTop = 0;

    bool operator==(const TToolbarDock&) const = default;
};

// The toolbars by their key names: the menu bar, the main, slideshow and editing toolbars.
const QStringList& ToolbarNames();

// The toolbars whose subkey holds a complete state of our revision; others are left out.
std::vector<TToolbarDock> ReadToolbarDocks(const TRegistry& registry);
void WriteToolbarDocks(TRegistry& registry, const std::vector<TToolbarDock>& docks);

#pragma once
// The main window's commands as one table: where each appears (a menu path and a toolbar), its
// caption, hint, shortcut, the picture of its toolbar button and the window's handler. The
// window builds its menus and toolbars from it; a command is enabled exactly when it has a
// handler.

#include <span>

class TfrmMain;
struct TSettings;
struct TCommand;

enum class TCommandBar { None, Main, Slideshow, Editing };

// As the system's click handlers, each gets its sender: the command it runs for.
using TCommandHandler = void (TfrmMain::*)(const TCommand& sender);

struct TCommand {
    const char* Name;    // object name of the action; empty for a separator
    const char* Menu;    // "View/Display Settings"; nullptr for a toolbar button only
    const char* Caption; // "-" for a separator
    const char* Hint = "";
    TCommandBar Bar = TCommandBar::None;
    const char* Picture = nullptr;  // the freedesktop icon name of its toolbar button
    const char* Shortcut = nullptr; // works while the menu bar is hidden too
    TCommandHandler Handler = nullptr;
    bool TSettings::*Shows = nullptr; // the bar setting a check command shows and toggles
    bool Hidden = false;              // shown only on a condition the window does not evaluate yet
};

// The toolbars in the order of their stored state: the bar of commands each carries, the setting
// that shows it and its place by default.
struct TToolbar {
    const char* Name;
    TCommandBar Commands;
    bool TSettings::*Shows; // nullptr: shown only while a slideshow runs
    bool VisibleByDefault;
    int DefaultRow, DefaultPos;
};

// The six menus in their order.
struct TMenu {
    const char* Name; // as used in the table's menu paths
    const char* Caption;
};

std::span<const TMenu> MainMenus();

std::span<const TCommand> MainCommands();
std::span<const TToolbar> MainToolbars();

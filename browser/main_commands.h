#pragma once
// The main window's commands as one table: where each appears (a menu path and a toolbar), its
// caption, its hint and the glyph of its toolbar button. The window builds its menus and
// toolbars from it; a command is enabled only once the window implements it.

#include <span>

enum class TCommandBar { None, Main, Slideshow, Editing };

struct TCommand {
    const char* Name;    // object name of the action
    const char* Menu;    // "View/Display Settings"; nullptr for a toolbar button only
    const char* Caption; // "-" for a separator
    const char* Hint;
    TCommandBar Bar;
    const char* Glyph; // the toolbar button's picture
};

// The six menus in their order, by the names used in the table's menu paths.
std::span<const char* const> MainMenuNames();
// "File" -> "&File".
const char* MainMenuCaption(const char* name);

std::span<const TCommand> MainCommands();

#include "main_commands.h"

#include "file_popup.h"
#include "frm_main.h"

#include <QKeySequence>

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

TEST(MainCommands, EveryEntryIsWholeAndNoTwoShareANameOrAKey) {
    std::set<std::string> menus;
    for (const TMenu& menu : MainMenus()) menus.insert(menu.Name);
    std::set<std::string> names;
    std::set<QString> keys;
    const std::set<std::string> popup(FilePopupCommands().begin(), FilePopupCommands().end());
    for (const TCommand& command : MainCommands()) {
        const std::string name = command.Name;
        ASSERT_NE(command.Caption, nullptr) << name;
        if (name.empty()) {
            EXPECT_STREQ(command.Caption, "-");
            EXPECT_NE(command.Menu, nullptr);
            continue;
        }
        EXPECT_TRUE(names.insert(name).second) << "two commands named " << name;
        if (command.Shortcut) {
            const QKeySequence key(QString::fromLatin1(command.Shortcut));
            ASSERT_EQ(key.count(), 1) << name;
            EXPECT_NE(key[0].key(), Qt::Key_unknown) << name;
            EXPECT_TRUE(keys.insert(key.toString()).second)
                << "two commands on " << command.Shortcut;
        }
        EXPECT_TRUE(command.Menu || command.Bar != TCommandBar::None || popup.contains(name))
            << name << " appears nowhere";
        if (command.Menu) {
            const std::string menu = command.Menu;
            EXPECT_TRUE(menus.contains(menu.substr(0, menu.find('/')))) << name << " in " << menu;
        }
        EXPECT_EQ(command.Bar != TCommandBar::None, command.Picture != nullptr) << name;
        // A bar command is one the user toggles.
        EXPECT_TRUE(!command.Shows || command.Handler) << name;
    }
    for (const std::string& name : popup) EXPECT_TRUE(names.contains(name)) << name;
}

TEST(MainCommands, EachBarOfCommandsHasOneToolbar) {
    std::set<std::string> names;
    for (const TCommandBar bar :
         {TCommandBar::None, TCommandBar::Main, TCommandBar::Slideshow, TCommandBar::Editing}) {
        int toolbars = 0;
        for (const TToolbar& toolbar : MainToolbars())
            if (toolbar.Commands == bar) ++toolbars;
        EXPECT_EQ(toolbars, 1) << static_cast<int>(bar);
    }
    for (const TToolbar& toolbar : MainToolbars())
        EXPECT_TRUE(names.insert(toolbar.Name).second) << toolbar.Name;
}

} // namespace

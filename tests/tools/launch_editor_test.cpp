#include "launch_editor.h"

#include "scripted_prompter.h"
#include "settings_table.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using A = TPromptAnswer;

TEST(OpenInEditor, AsksForAnEditorWhenNoneIsSet) {
    struct TCase {
        const char* Name;
        QString ExtView;
        std::function<void(TScriptedPrompter&)> Script;
        bool Started;
        QString ExtViewAfter;
        QStringList Shown;
    };
    const QString file = "/p/a b.jpg";
    const QStringList both = {LaunchTexts::NoEditor, LaunchTexts::SelectProgram};
    const TCase cases[] = {
        {"question cancelled",
         "",
         [](auto& p) { p.QueueAnswer(A::Cancel); },
         false,
         "",
         {LaunchTexts::NoEditor}},
        {"dialog cancelled", "",
         [](auto& p) {
             p.QueueAnswer(A::OK);
             p.QueueFileAnswer(std::nullopt);
         },
         false, "", both},
        {"editor chosen", "",
         [](auto& p) {
             p.QueueAnswer(A::OK);
             p.QueueFileAnswer("/opt/edit");
         },
         true, "/opt/edit", both},
        {"x cancelled",
         "x",
         [](auto& p) { p.QueueFileAnswer(std::nullopt); },
         false,
         "",
         {LaunchTexts::SelectProgram}},
        {"x chosen",
         "x",
         [](auto& p) { p.QueueFileAnswer("/opt/edit"); },
         true,
         "/opt/edit",
         {LaunchTexts::SelectProgram}},
        {"editor set", "/usr/bin/painter", [](auto&) {}, true, "/usr/bin/painter", {}},
    };
    for (const TCase& c : cases) {
        TScriptedPrompter prompter;
        c.Script(prompter);
        TSettings settings;
        settings.ExtView = c.ExtView;
        QStringList started;
        const bool result = dolaunchfile(file, settings, prompter,
                                         [&](const QString& program, const QStringList& arguments) {
                                             started = QStringList{program} + arguments;
                                             return true;
                                         });
        EXPECT_EQ(result, c.Started) << c.Name;
        const QStringList expected = c.Started ? QStringList{c.ExtViewAfter, file} : QStringList();
        EXPECT_EQ(started, expected) << c.Name;
        EXPECT_EQ(settings.ExtView, c.ExtViewAfter) << c.Name;
        EXPECT_EQ(prompter.ShownTexts(), c.Shown) << c.Name;
        EXPECT_EQ(prompter.Pending(), 0u) << c.Name;
    }
}

TEST(OpenInEditor, AnEditorThatDoesNotStartIsAFailure) {
    TScriptedPrompter prompter;
    TSettings settings;
    settings.ExtView = "/opt/missing";
    EXPECT_FALSE(dolaunchfile("/p/a.jpg", settings, prompter,
                              [](const QString&, const QStringList&) { return false; }));
    EXPECT_EQ(settings.ExtView, "/opt/missing");
}

} // namespace

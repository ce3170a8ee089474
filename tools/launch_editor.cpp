#include "launch_editor.h"

#include "prompter.h"
#include "settings_table.h"

namespace {

std::optional<QString> AskForEditor(TPrompter& prompter) {
    return prompter.AskFile({LaunchTexts::SelectProgram, QString(), QString()});
}

} // namespace

bool dolaunchfile(const QString& file, TSettings& settings, TPrompter& prompter,
                  const TProcessStarter& start) {
    if (settings.ExtView.isEmpty()) {
        if (prompter.Question(TPromptKind::Confirmation, LaunchTexts::NoEditor,
                              {TPromptAnswer::OK, TPromptAnswer::Cancel}) != TPromptAnswer::OK)
            return false;
        const std::optional<QString> editor = AskForEditor(prompter);
        if (!editor) return false;
        settings.ExtView = *editor;
    } else if (settings.ExtView == "x") {
        const std::optional<QString> editor = AskForEditor(prompter);
        if (!editor) {
            settings.ExtView.clear();
            return false;
        }
        settings.ExtView = *editor;
    }
    return _LaunchFile(settings.ExtView, file, settings.Launch16bitNames, start);
}

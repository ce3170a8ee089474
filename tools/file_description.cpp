#include "file_description.h"

#include "descriptions.h"
#include "main_window_services.h"
#include "path_text.h"
#include "prompter.h"

#include <exception>

QString FileDescriptionTexts::Question(int count) {
    return QStringLiteral("What description would you like to assign to the %1 selected files?  "
                          "Note:  Any existing description on any of these files will be removed!")
        .arg(count);
}

QString FileDescriptionTexts::Progress(const QString& file) {
    return "Adding a description to the file, " + FileNameOf(file);
}

void mkFileDescription(TMainWindowServices& services, TDescriptionStore& store,
                       bool& focusDescription, const QString& memoText,
                       const std::function<void()>& showFileInfo) {
    namespace T = FileDescriptionTexts;
    const int count = services.SelectedCount();
    if (count <= 1) {
        focusDescription = true;
        showFileInfo();
        return;
    }
    TPrompter& prompter = services.Prompter();
    const QString answer =
        prompter.AskText({T::Caption, T::Question(count), memoText, -1, T::Cancelled, {}, false})
            .Text;
    if (answer == T::Cancelled) return;
    if (answer.isEmpty() &&
        prompter.Question(TPromptKind::Confirmation, T::RemoveAll,
                          {TPromptAnswer::OK, TPromptAnswer::Cancel}) != TPromptAnswer::OK)
        return;
    try {
        const TDescriptionBatch batch(store);
        services.RunForSelection(
            T::Progress, [&](const QString& file) { store.assigninidescription(file, answer); });
    } catch (const std::exception&) {
        prompter.Message(TPromptKind::Warning, T::Failed);
    }
}

#include "folder_chooser.h"

#include "prompter.h"

#include <stdexcept>

namespace {

constexpr int FallbackHeight = 400;
constexpr int SmallestHeight = 276;
constexpr int FallbackTop = 30;

} // namespace

QString ChooserPrompt(const QString& exchange) {
    if (exchange.isEmpty() || exchange.startsWith(u'/'))
        return QStringLiteral("Please select a folder");
    return exchange;
}

int ChooserHeight(int stored, int screenHeight) {
    return stored < SmallestHeight || stored > screenHeight ? FallbackHeight : stored;
}

int ChooserTop(int height, int screenTop, int screenHeight) {
    const int top = screenTop + (screenHeight - height) / 2;
    return top < screenTop || top > screenTop + screenHeight ? FallbackTop : top;
}

bool createnewdirectory(const QString& path, TPrompter& prompter, const TFolderMaker& make) {
    if (path.isEmpty() || IsDriveRoot(path)) return false;
    if (prompter.Question(TPromptKind::Information,
                          "The directory, " + path +
                              " does not exist.  Would you like to create it?",
                          {TPromptAnswer::OK, TPromptAnswer::Cancel}) != TPromptAnswer::OK)
        return false;
    if (!CreateFolderChain(path, make))
        prompter.Message(TPromptKind::Warning,
                         "An error was encountered whilst trying to create the folder, " + path);
    return SafeFolderExists(path);
}

std::optional<QString> ChooserAccept(const QString& typed, TPrompter& prompter,
                                     const TFolderMaker& make) {
    if (typed.isEmpty()) {
        prompter.Message(TPromptKind::Information, QStringLiteral("Please select a folder."));
        return std::nullopt;
    }
    if (SafeFolderExists(typed) || createnewdirectory(typed, prompter, make)) return typed;
    return std::nullopt;
}

std::optional<QString> TScriptedFolderChooser::Choose(const QString& prompt) {
    FPrompts << prompt;
    if (FScript.empty()) throw std::logic_error("No scripted folder for: " + prompt.toStdString());
    std::optional<QString> choice = std::move(FScript.front());
    FScript.pop_front();
    return choice;
}

#include "scripted_prompter.h"

#include <algorithm>

namespace {

[[noreturn]] void Unscripted(const QString& why, const QString& shown) {
    throw EUnscriptedPrompt((why + ": \"" + shown + u'"').toStdString());
}

} // namespace

QStringList TScriptedPrompter::ShownTexts() const {
    QStringList texts;
    for (const TShownPrompt& shown : FShown) {
        if (const auto* prompt = std::get_if<TPrompt>(&shown))
            texts << prompt->Text;
        else if (const auto* hint = std::get_if<THint>(&shown))
            texts << hint->Heading;
        else if (const auto* text = std::get_if<TTextQuestion>(&shown))
            texts << text->Message;
        else
            texts << std::get<TFileQuestion>(shown).Caption;
    }
    return texts;
}

TPromptAnswer TScriptedPrompter::Present(const TPrompt& prompt) {
    FShown.emplace_back(prompt);
    if (prompt.Buttons.size() == 1) return prompt.Buttons.front();
    const auto* answer = FScript.empty() ? nullptr : std::get_if<TPromptAnswer>(&FScript.front());
    if (!answer) Unscripted(QStringLiteral("No scripted answer for the question"), prompt.Text);
    if (std::find(prompt.Buttons.begin(), prompt.Buttons.end(), *answer) == prompt.Buttons.end())
        Unscripted("The scripted answer " + AnswerText(*answer) + " is not a button of",
                   prompt.Text);
    const TPromptAnswer result = *answer;
    FScript.pop_front();
    return result;
}

bool TScriptedPrompter::PresentHint(const THint& hint) {
    FShown.emplace_back(hint);
    if (!hint.OfferRemind) return true;
    const bool* remind = FScript.empty() ? nullptr : std::get_if<bool>(&FScript.front());
    if (!remind) Unscripted(QStringLiteral("No scripted answer for the hint"), hint.Heading);
    const bool result = *remind;
    FScript.pop_front();
    return result;
}

template <class T>
T TScriptedPrompter::NextAnswer(const QString& what, const QString& shown) {
    const T* answer = FScript.empty() ? nullptr : std::get_if<T>(&FScript.front());
    if (!answer) Unscripted("No scripted answer for the " + what, shown);
    const T result = *answer;
    FScript.pop_front();
    return result;
}

TTextAnswer TScriptedPrompter::PresentText(const TTextQuestion& question) {
    FShown.emplace_back(question);
    const auto answer =
        NextAnswer<TScriptedText>(QStringLiteral("text question"), question.Message);
    return {answer.Text.value_or(question.Fallback), answer.Checked.value_or(question.Checked)};
}

std::optional<QString> TScriptedPrompter::PresentFile(const TFileQuestion& question) {
    FShown.emplace_back(question);
    return NextAnswer<TScriptedFile>(QStringLiteral("file question"), question.Caption).File;
}

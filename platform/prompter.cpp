#include "prompter.h"

#include <algorithm>
#include <stdexcept>

namespace {

bool Offers(const TPrompt& prompt, TPromptAnswer answer) {
    return std::find(prompt.Buttons.begin(), prompt.Buttons.end(), answer) != prompt.Buttons.end();
}

} // namespace

TPromptAnswer TPrompter::Ask(const TPrompt& prompt) {
    if (prompt.Buttons.empty()) throw std::invalid_argument("A message box needs a button");
    if (prompt.Default && !Offers(prompt, *prompt.Default))
        throw std::invalid_argument(
            "The default answer of a message box must be one of its buttons");
    TPrompt complete = prompt;
    if (complete.Caption.isEmpty()) complete.Caption = PromptCaption(prompt.Kind);
    if (!complete.Default) complete.Default = prompt.Buttons.front();
    return Present(complete);
}

bool TPrompter::ShowHint(const THint& hint) {
    const bool remind = PresentHint(hint);
    return !hint.OfferRemind || remind;
}

void TPrompter::Message(TPromptKind kind, const QString& text) {
    Ask({kind, QString(), text, {TPromptAnswer::OK}, std::nullopt});
}

TPromptAnswer TPrompter::Question(TPromptKind kind, const QString& text,
                                  std::vector<TPromptAnswer> buttons,
                                  std::optional<TPromptAnswer> defaultAnswer) {
    return Ask({kind, QString(), text, std::move(buttons), defaultAnswer});
}

QString PromptCaption(TPromptKind kind) {
    switch (kind) {
    case TPromptKind::Information:
        return QStringLiteral("Information");
    case TPromptKind::Warning:
        return QStringLiteral("Warning");
    case TPromptKind::Error:
        return QStringLiteral("Error");
    case TPromptKind::Confirmation:
        return QStringLiteral("Confirm");
    }
    return {};
}

QString AnswerText(TPromptAnswer answer) {
    switch (answer) {
    case TPromptAnswer::OK:
        return QStringLiteral("OK");
    case TPromptAnswer::Cancel:
        return QStringLiteral("Cancel");
    case TPromptAnswer::Yes:
        return QStringLiteral("&Yes");
    case TPromptAnswer::No:
        return QStringLiteral("&No");
    case TPromptAnswer::All:
        return QStringLiteral("&All");
    }
    return {};
}

TPromptAnswer EscapeAnswer(const TPrompt& prompt) {
    for (TPromptAnswer answer : {TPromptAnswer::Cancel, TPromptAnswer::No, TPromptAnswer::OK})
        if (Offers(prompt, answer)) return answer;
    return prompt.Buttons.back();
}

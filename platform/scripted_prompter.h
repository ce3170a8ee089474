#pragma once
// The prompter of the tests: answers from a queue, in order, and records everything shown.
// A box with a single button and a hint without the check box need no scripted answer. A
// prompt the script does not answer raises EUnscriptedPrompt, so the test sees it.

#include "prompter.h"

#include <QStringList>

#include <deque>
#include <stdexcept>
#include <variant>

class EUnscriptedPrompt : public std::logic_error {
public:
    using std::logic_error::logic_error;
};

using TShownPrompt = std::variant<TPrompt, THint>;

class TScriptedPrompter : public TPrompter {
public:
    void QueueAnswer(TPromptAnswer answer) { FScript.emplace_back(answer); }
    void QueueHintAnswer(bool remind) { FScript.emplace_back(remind); }

    const std::vector<TShownPrompt>& Shown() const { return FShown; }
    // The texts of the boxes shown, and the headings of the hints, in order.
    QStringList ShownTexts() const;
    // Answers queued but not yet used.
    size_t Pending() const { return FScript.size(); }

protected:
    TPromptAnswer Present(const TPrompt& prompt) override;
    bool PresentHint(const THint& hint) override;

private:
    std::deque<std::variant<TPromptAnswer, bool>> FScript;
    std::vector<TShownPrompt> FShown;
};

#pragma once
// The prompter of the tests: answers from a queue, in order, and records everything shown.
// A box with a single button and a hint without the check box need no scripted answer. A
// prompt the script does not answer raises EUnscriptedPrompt, so the test sees it. Text and
// file questions take answers of their own kind.

#include "prompter.h"

#include <QStringList>

#include <deque>
#include <stdexcept>
#include <variant>

class EUnscriptedPrompt : public std::logic_error {
public:
    using std::logic_error::logic_error;
};

using TShownPrompt = std::variant<TPrompt, THint, TTextQuestion, TFileQuestion>;

class TScriptedPrompter : public TPrompter {
public:
    void QueueAnswer(TPromptAnswer answer) { FScript.emplace_back(answer); }
    void QueueHintAnswer(bool remind) { FScript.emplace_back(remind); }
    // OK with the text, or Cancel (nothing), which answers the question's fallback; the check
    // box is left as given, or as it was shown when not given.
    void QueueTextAnswer(std::optional<QString> text, std::optional<bool> checked = std::nullopt) {
        FScript.emplace_back(TScriptedText{std::move(text), checked});
    }
    // The file chosen, or nothing for Cancel.
    void QueueFileAnswer(std::optional<QString> file) {
        FScript.emplace_back(TScriptedFile{std::move(file)});
    }

    const std::vector<TShownPrompt>& Shown() const { return FShown; }
    // The texts of the boxes shown, the headings of the hints, the messages of the text
    // questions and the captions of the file questions, in order.
    QStringList ShownTexts() const;
    // Answers queued but not yet used.
    size_t Pending() const { return FScript.size(); }

protected:
    TPromptAnswer Present(const TPrompt& prompt) override;
    bool PresentHint(const THint& hint) override;
    TTextAnswer PresentText(const TTextQuestion& question) override;
    std::optional<QString> PresentFile(const TFileQuestion& question) override;

private:
    struct TScriptedText {
        std::optional<QString> Text;
        std::optional<bool> Checked;
    };
    struct TScriptedFile {
        std::optional<QString> File;
    };
    template <class T>
    T NextAnswer(const QString& what, const QString& shown);

    std::deque<std::variant<TPromptAnswer, bool, TScriptedText, TScriptedFile>> FScript;
    std::vector<TShownPrompt> FShown;
};

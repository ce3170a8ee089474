#pragma once
// Every message box, question and one-time hint of the program goes through a prompter: the
// Qt prompter shows the dialog, tests script the answers and read back what was shown.

#include <QString>

#include <optional>
#include <vector>

enum class TPromptKind { Information, Warning, Error, Confirmation };

// The buttons a box offers are the answers it can give.
enum class TPromptAnswer { OK, Cancel, Yes, No, All };

struct TPrompt {
    TPromptKind Kind = TPromptKind::Information;
    QString Caption; // empty: the kind's caption
    QString Text;
    std::vector<TPromptAnswer> Buttons{TPromptAnswer::OK};
    std::optional<TPromptAnswer> Default; // empty: the first button

    bool operator==(const TPrompt&) const = default;
};

// A one-time hint: the window "Information" with the heading, the text, a "Close" button and,
// when offered, the check box "Always remind me about this matter", initially ticked.
struct THint {
    QString Heading;
    QString Text;
    bool OfferRemind = true;

    bool operator==(const THint&) const = default;
};

class TPrompter {
public:
    virtual ~TPrompter() = default;

    // Shows the box and answers the button chosen; closing the box gives EscapeAnswer().
    // Raises std::invalid_argument for a box without buttons or with a default it lacks.
    TPromptAnswer Ask(const TPrompt& prompt);
    // Answers whether the hint is to be shown again: the check box's state when offered, else
    // true. The caller stores the answer.
    bool ShowHint(const THint& hint);

    void Message(TPromptKind kind, const QString& text);
    TPromptAnswer Question(TPromptKind kind, const QString& text,
                           std::vector<TPromptAnswer> buttons,
                           std::optional<TPromptAnswer> defaultAnswer = std::nullopt);

protected:
    // Called with a checked prompt whose Caption and Default are filled in.
    virtual TPromptAnswer Present(const TPrompt& prompt) = 0;
    virtual bool PresentHint(const THint& hint) = 0;
};

QString PromptCaption(TPromptKind kind);
QString AnswerText(TPromptAnswer answer);
// The answer of a box closed without a button: Cancel, else No, else OK, else the last button.
TPromptAnswer EscapeAnswer(const TPrompt& prompt);

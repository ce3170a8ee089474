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

// The input window: a caption, a message and an edit box of at most Limit characters holding
// the initial text. With Limit -1 a memo of at most 255 characters takes its place; it shows the
// lines of the initial comma text fully selected and its lines are answered as comma text. A
// check box caption adds a check box in the given state.
struct TTextQuestion {
    QString Caption;
    QString Message;
    QString Initial;
    int Limit = 255;
    QString Fallback; // what Cancel answers
    QString CheckCaption;
    bool Checked = false;

    bool operator==(const TTextQuestion&) const = default;
};

struct TTextAnswer {
    QString Text;
    bool Checked = false;

    bool operator==(const TTextAnswer&) const = default;
};

// An open-file dialog.
struct TFileQuestion {
    QString Caption;
    QString Folder;
    QString Filter; // as QFileDialog takes it; empty for every file

    bool operator==(const TFileQuestion&) const = default;
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
    // OK answers the text, Cancel the fallback; the check box's state either way.
    TTextAnswer AskText(const TTextQuestion& question) { return PresentText(question); }
    // The chosen file; nothing when the dialog is cancelled.
    std::optional<QString> AskFile(const TFileQuestion& question) { return PresentFile(question); }

    void Message(TPromptKind kind, const QString& text);
    TPromptAnswer Question(TPromptKind kind, const QString& text,
                           std::vector<TPromptAnswer> buttons,
                           std::optional<TPromptAnswer> defaultAnswer = std::nullopt);

protected:
    // Called with a checked prompt whose Caption and Default are filled in.
    virtual TPromptAnswer Present(const TPrompt& prompt) = 0;
    virtual bool PresentHint(const THint& hint) = 0;
    virtual TTextAnswer PresentText(const TTextQuestion& question) = 0;
    virtual std::optional<QString> PresentFile(const TFileQuestion& question) = 0;
};

QString PromptCaption(TPromptKind kind);
QString AnswerText(TPromptAnswer answer);
// The answer of a box closed without a button: Cancel, else No, else OK, else the last button.
TPromptAnswer EscapeAnswer(const TPrompt& prompt);

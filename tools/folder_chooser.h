#pragma once
// The folder chooser's logic, without its window: the prompt taken from the exchange text, the
// height and position rules, OK and the creation of a typed folder. Commands ask for a folder
// through TFolderChooser, which tests script.

#include "file_routines.h"

#include <QString>

#include <deque>
#include <optional>

class TPrompter;

// The prompt the chooser shows for the exchange text: a leftover absolute path is no prompt.
QString ChooserPrompt(const QString& exchange);
// The stored height, or 400 when it is under 276 or taller than the screen.
int ChooserHeight(int stored, int screenHeight);
// The top edge of a dialog of that height centred on the screen, 30 when that is off screen.
int ChooserTop(int height, int screenTop, int screenHeight);

// Creates a typed folder and its missing parents after asking "The directory, <path> does not
// exist.  Would you like to create it?". A file-system root gives false without a question; a
// failure removes what the call made and warns. True when the folder exists afterwards.
bool createnewdirectory(const QString& path, TPrompter& prompter,
                        const TFolderMaker& make = MakeOneFolder);

// OK with the folder typed or chosen: nothing (the chooser stays open) for an empty text,
// which is refused with "Please select a folder.", or for a missing folder not created.
std::optional<QString> ChooserAccept(const QString& typed, TPrompter& prompter,
                                     const TFolderMaker& make = MakeOneFolder);

// How every command asks for a folder: the chosen folder, nothing after Cancel.
class TFolderChooser {
public:
    virtual ~TFolderChooser() = default;
    virtual std::optional<QString> Choose(const QString& prompt) = 0;
};

// The chooser of the tests: answers from a queue and records the prompts.
class TScriptedFolderChooser : public TFolderChooser {
public:
    void QueueChoice(std::optional<QString> folder) { FScript.push_back(std::move(folder)); }
    const QStringList& Prompts() const { return FPrompts; }

    std::optional<QString> Choose(const QString& prompt) override;

private:
    std::deque<std::optional<QString>> FScript;
    QStringList FPrompts;
};

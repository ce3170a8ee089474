#include "warning_box.h"

#include "prompter.h"

#include <QCoreApplication>
#include <QThread>

TPGWarningBox PrompterWarningBox(TPrompter& prompter) {
    return [&prompter](const std::string& caption, const std::string& text, bool withCancel) {
        // The prompter's dialogs belong to the window thread; a worker gets the safe answer.
        if (QThread::currentThread() != qApp->thread()) return !withCancel;
        TPrompt prompt;
        prompt.Kind = TPromptKind::Warning;
        prompt.Caption = QString::fromStdString(caption);
        prompt.Text = QString::fromStdString(text);
        if (withCancel) prompt.Buttons = {TPromptAnswer::OK, TPromptAnswer::Cancel};
        return prompter.Ask(prompt) == TPromptAnswer::OK;
    };
}

#pragma once
// The prompter of the running program: each box is a modal QMessageBox. Texts are shown as
// plain text, so a file name is never read as markup.

#include "prompter.h"

class QWidget;

class TQtPrompter : public TPrompter {
public:
    explicit TQtPrompter(QWidget* parentWindow = nullptr) : FParentWindow(parentWindow) {}
    // The window the boxes are modal to; null for none.
    void SetParentWindow(QWidget* parentWindow) { FParentWindow = parentWindow; }

protected:
    TPromptAnswer Present(const TPrompt& prompt) override;
    bool PresentHint(const THint& hint) override;
    TTextAnswer PresentText(const TTextQuestion& question) override;
    std::optional<QString> PresentFile(const TFileQuestion& question) override;

private:
    QWidget* FParentWindow;
};

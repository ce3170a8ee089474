#include "qt_prompter.h"
#include "scripted_prompter.h"

#include "platform_test_support.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

namespace {

using A = TPromptAnswer;

TEST(Prompter, EscapeAnswerPrefersCancelThenNoThenOK) {
    const std::vector<std::pair<std::vector<A>, A>> cases = {
        {{A::Yes, A::No, A::Cancel}, A::Cancel},
        {{A::Yes, A::No, A::All}, A::No},
        {{A::OK, A::All}, A::OK},
        {{A::OK, A::Cancel}, A::Cancel},
        {{A::Yes, A::All}, A::All},
    };
    for (const auto& [buttons, escape] : cases) {
        TPrompt prompt;
        prompt.Buttons = buttons;
        EXPECT_EQ(EscapeAnswer(prompt), escape);
    }
}

TEST(Prompter, FillsCaptionAndDefaultAndRefusesImpossibleBoxes) {
    TScriptedPrompter prompter;
    prompter.QueueAnswer(A::No);
    EXPECT_EQ(prompter.Question(TPromptKind::Confirmation, "Delete?", {A::Yes, A::No}), A::No);
    const TPrompt expected{
        TPromptKind::Confirmation, "Confirm", "Delete?", {A::Yes, A::No}, A::Yes};
    ASSERT_EQ(prompter.Shown().size(), 1u);
    EXPECT_EQ(std::get<TPrompt>(prompter.Shown()[0]), expected);

    EXPECT_THROW(prompter.Question(TPromptKind::Warning, "x", {}), std::invalid_argument);
    EXPECT_THROW(prompter.Question(TPromptKind::Warning, "x", {A::OK, A::Cancel}, A::No),
                 std::invalid_argument);
    EXPECT_EQ(prompter.Shown().size(), 1u);
}

TEST(ScriptedPrompter, AnswersInOrderAndRecordsEverything) {
    TScriptedPrompter prompter;
    prompter.QueueAnswer(A::Cancel);
    prompter.QueueHintAnswer(false);
    prompter.QueueAnswer(A::All);

    prompter.Message(TPromptKind::Error, "Dir Error"); // one button: nothing to script
    EXPECT_EQ(prompter.Question(TPromptKind::Warning, "Continue?", {A::OK, A::Cancel}), A::Cancel);
    EXPECT_FALSE(prompter.ShowHint({"Folders Mode", "This mode ...", true}));
    EXPECT_TRUE(prompter.ShowHint({"Favorites Mode", "No box offered", false}));
    EXPECT_EQ(prompter.Question(TPromptKind::Warning, "Overwrite?", {A::Yes, A::No, A::All}),
              A::All);

    EXPECT_EQ(prompter.Pending(), 0u);
    EXPECT_EQ(prompter.ShownTexts(), (QStringList{"Dir Error", "Continue?", "Folders Mode",
                                                  "Favorites Mode", "Overwrite?"}));
    EXPECT_EQ(std::get<THint>(prompter.Shown()[2]), (THint{"Folders Mode", "This mode ...", true}));
}

TEST(ScriptedPrompter, AnUnscriptedPromptFailsLoudly) {
    TScriptedPrompter prompter;
    EXPECT_THROW(prompter.Question(TPromptKind::Warning, "Save?", {A::Yes, A::No}),
                 EUnscriptedPrompt);
    EXPECT_THROW(prompter.ShowHint({"GIF Animation Speed", "text", true}), EUnscriptedPrompt);

    prompter.QueueAnswer(A::Cancel); // not a button of the next box
    EXPECT_THROW(prompter.Question(TPromptKind::Warning, "Save?", {A::Yes, A::No}),
                 EUnscriptedPrompt);
    EXPECT_THROW(prompter.ShowHint({"GIF Animation Speed", "text", true}), EUnscriptedPrompt);
    EXPECT_EQ(prompter.Pending(), 1u);
    EXPECT_EQ(prompter.Question(TPromptKind::Warning, "Go on?", {A::OK, A::Cancel}), A::Cancel);
}

// Runs the action on the next message box once it is shown modally, from within its own loop.
void WhenBoxShows(std::function<void(QMessageBox&)> action) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, action] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        poll->stop();
        poll->deleteLater();
        action(*box);
    });
    poll->start(10);
}

QPushButton* ButtonCalled(QMessageBox& box, const QString& text) {
    for (QAbstractButton* button : box.buttons())
        if (button->text() == text) return qobject_cast<QPushButton*>(button);
    ADD_FAILURE() << "no button " << text.toStdString();
    return nullptr;
}

// Closes the box even when the button is missing, so a failing test cannot hang.
void Click(QMessageBox& box, const QString& text) {
    if (QAbstractButton* button = ButtonCalled(box, text))
        button->click();
    else
        box.reject();
}

void PressEscape(QMessageBox& box) {
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&box, &escape);
}

TEST(QtPrompter, ShowsTheBoxAndAnswersTheButtonPressed) {
    TQtPrompter prompter;
    const QString text = "Cannot open <b>x.jpg</b>";
    QStringList seen;
    WhenBoxShows([&](QMessageBox& box) {
        seen << box.windowTitle() << box.text();
        EXPECT_EQ(box.textFormat(), Qt::PlainText);
        EXPECT_EQ(box.icon(), QMessageBox::Question);
        EXPECT_EQ(box.buttons().size(), 3);
        EXPECT_EQ(box.defaultButton(), ButtonCalled(box, "&No"));
        Click(box, "&Yes");
    });
    EXPECT_EQ(
        prompter.Ask({TPromptKind::Confirmation, "", text, {A::Yes, A::No, A::Cancel}, A::No}),
        A::Yes);
    EXPECT_EQ(seen, (QStringList{"Confirm", text}));
}

TEST(QtPrompter, ClosingTheBoxGivesTheEscapeAnswer) {
    const std::vector<std::pair<std::vector<A>, A>> cases = {
        {{A::Yes, A::No, A::Cancel}, A::Cancel},
        {{A::Yes, A::No, A::All}, A::No},
        {{A::OK}, A::OK},
    };
    TQtPrompter prompter;
    for (const auto& [buttons, escape] : cases) {
        WhenBoxShows(PressEscape);
        EXPECT_EQ(prompter.Question(TPromptKind::Warning, "Replace the file?", buttons), escape);
    }
}

TEST(QtPrompter, HintAnswersTheRemindCheckBox) {
    struct TCase {
        bool Offer;
        bool Untick;
        bool Expected;
    };
    TQtPrompter prompter;
    for (const TCase& c :
         {TCase{true, false, true}, TCase{true, true, false}, TCase{false, false, true}}) {
        SCOPED_TRACE(testing::Message() << "offer " << c.Offer << ", untick " << c.Untick);
        WhenBoxShows([&](QMessageBox& box) {
            EXPECT_EQ(box.windowTitle(), "Information");
            EXPECT_TRUE(box.text().contains("Full Screen Mode"));
            EXPECT_TRUE(box.text().contains("Press Esc &lt;here&gt;")) << box.text().toStdString();
            QCheckBox* remind = box.checkBox();
            EXPECT_EQ(remind != nullptr, c.Offer);
            if (remind) {
                EXPECT_EQ(remind->text(), "Always remind me about this matter");
                EXPECT_TRUE(remind->isChecked());
                if (c.Untick) remind->setChecked(false);
            }
            Click(box, "Close");
        });
        EXPECT_EQ(prompter.ShowHint({"Full Screen Mode", "Press Esc <here>", c.Offer}), c.Expected);
    }
}

} // namespace

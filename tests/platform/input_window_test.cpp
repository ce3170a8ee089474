#include "dlg_input.h"

#include "platform_test_support.h"
#include "qt_prompter.h"
#include "scripted_prompter.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

const TTextQuestion Memo{
    "Image Description", "What description?", "first,\"second line\"", -1, "ZZZCANCEL", "", false};

TEST(InputWindow, ScriptedAnswersAndTheFallback) {
    TScriptedPrompter prompter;
    prompter.QueueTextAnswer("typed", true);
    prompter.QueueTextAnswer(std::nullopt);
    prompter.QueueFileAnswer("/usr/bin/editor");
    EXPECT_EQ(prompter.AskText(Memo), (TTextAnswer{"typed", true}));
    EXPECT_EQ(prompter.AskText(Memo), (TTextAnswer{"ZZZCANCEL", false}));
    EXPECT_EQ(prompter.AskFile({"Select External Viewing Program", "", ""}), "/usr/bin/editor");
    EXPECT_EQ(prompter.ShownTexts(), (QStringList{"What description?", "What description?",
                                                  "Select External Viewing Program"}));
    EXPECT_THROW(prompter.AskFile({"Select External Viewing Program", "", ""}), EUnscriptedPrompt);
    EXPECT_THROW(prompter.AskText(Memo), EUnscriptedPrompt);
}

TEST(InputWindow, AMemoHasNoLinesUntilItHoldsText) {
    QPlainTextEdit memo;
    EXPECT_TRUE(MemoLines(memo).isEmpty());
    SetMemoLines(memo, {"a", ""});
    EXPECT_EQ(MemoLines(memo), (QStringList{"a", ""}));
    memo.clear();
    EXPECT_TRUE(MemoLines(memo).isEmpty());
    LimitMemo(memo, 5);
    memo.setPlainText("abcdefgh");
    EXPECT_EQ(memo.toPlainText(), "abcde");
}

TEST(InputWindow, TheMemoShowsTheLinesSelectedAndAnswersCommaText) {
    TdlgInput dialog(Memo);
    auto* memo = dialog.findChild<QPlainTextEdit*>();
    ASSERT_TRUE(memo);
    EXPECT_EQ(memo->toPlainText(), "first\nsecond line");
    EXPECT_EQ(memo->textCursor().selectedText().size(), memo->toPlainText().size());
    EXPECT_EQ(dialog.Current().Text, "first,\"second line\"");
    memo->setPlainText(QString(300, u'x'));
    EXPECT_EQ(dialog.Current().Text.size(), 255);
    memo->clear();
    EXPECT_EQ(dialog.Current().Text, "");
}

TEST(InputWindow, TheEditBoxKeepsItsLimitAndTheCheckBoxItsState) {
    TdlgInput dialog({"Create Sub-Folder", "Name?", "New", 5, "", "Also open", true});
    auto* edit = dialog.findChild<QLineEdit*>();
    ASSERT_TRUE(edit);
    EXPECT_EQ(edit->maxLength(), 5);
    edit->setText("abcdefg");
    dialog.findChild<QCheckBox*>()->setChecked(false);
    EXPECT_EQ(dialog.Current(), (TTextAnswer{"abcde", false}));
}

void WhenInputShows(std::function<void(TdlgInput&)> action) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, action] {
        auto* dialog = dynamic_cast<TdlgInput*>(QApplication::activeModalWidget());
        if (!dialog) return;
        poll->stop();
        poll->deleteLater();
        action(*dialog);
    });
    poll->start(10);
}

TEST(InputWindow, TheQtPrompterAnswersTheTextOrTheFallback) {
    TQtPrompter prompter;
    WhenInputShows([](TdlgInput& dialog) {
        dialog.findChild<QPlainTextEdit*>()->setPlainText("one\ntwo words");
        dialog.accept();
    });
    EXPECT_EQ(prompter.AskText(Memo).Text, "one,\"two words\"");
    WhenInputShows([](TdlgInput& dialog) { dialog.reject(); });
    EXPECT_EQ(prompter.AskText(Memo).Text, "ZZZCANCEL");
}

} // namespace

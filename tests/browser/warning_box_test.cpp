#include "warning_box.h"

#include "scripted_prompter.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

TPrompt Box(const char* caption, const char* text, std::vector<TPromptAnswer> buttons) {
    TPrompt prompt;
    prompt.Kind = TPromptKind::Warning;
    prompt.Caption = caption;
    prompt.Text = text;
    prompt.Buttons = std::move(buttons);
    prompt.Default = prompt.Buttons.front();
    return prompt;
}

TEST(WarningBox, AsksThroughThePrompterWithTheLibrarysCaptionAndText) {
    TScriptedPrompter prompter;
    const TPGWarningBox box = PrompterWarningBox(prompter);
    EXPECT_TRUE(box("PNG Warning", "Bad CRC \xc3\xa9", false));
    prompter.QueueAnswer(TPromptAnswer::Cancel);
    EXPECT_FALSE(box("TIFF Warning", "Unknown tag", true));
    prompter.QueueAnswer(TPromptAnswer::OK);
    EXPECT_TRUE(box("TIFF Warning", "Unknown tag", true));
    using A = TPromptAnswer;
    const std::vector<TShownPrompt> expected{
        Box("PNG Warning", "Bad CRC \xc3\xa9", {A::OK}),
        Box("TIFF Warning", "Unknown tag", {A::OK, A::Cancel}),
        Box("TIFF Warning", "Unknown tag", {A::OK, A::Cancel})};
    EXPECT_EQ(prompter.Shown(), expected);
}

TEST(WarningBox, OffTheWindowThreadNothingIsShownAndCancelWins) {
    TScriptedPrompter prompter;
    prompter.QueueAnswer(TPromptAnswer::OK);
    const TPGWarningBox box = PrompterWarningBox(prompter);
    bool okBox = false;
    bool okCancelBox = true;
    std::thread worker([&] {
        okBox = box("PNG Warning", "Bad CRC", false);
        okCancelBox = box("PNG Warning", "Bad CRC", true);
    });
    worker.join();
    EXPECT_TRUE(okBox);
    EXPECT_FALSE(okCancelBox);
    EXPECT_TRUE(prompter.Shown().empty());
    EXPECT_EQ(prompter.Pending(), 1u);
}

} // namespace

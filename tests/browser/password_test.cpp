#include "password.h"

#include "platform_test_support.h"
#include "scripted_prompter.h"
#include "settings_table.h"

#include <gtest/gtest.h>

namespace {

TEST(Password, CheckValue) {
    EXPECT_EQ(calcaccesspw("a"), 12919);    // 1, 97 * 3, 9
    EXPECT_EQ(calcaccesspw("abc"), 311789); // 3, 291 + 392 + 495, 9
    EXPECT_EQ(calcaccesspw(QString(15, u'a')), 15145509);
    // Fifteen characters of a high code: S = 19968 * 150 has seven digits.
    EXPECT_EQ(calcaccesspw(QString(15, QChar(0x4E00))), 1529952009);
    // Twenty-two of them no longer fit in 32 bits.
    EXPECT_EQ(calcaccesspw(QString(22, QChar(0x4E00))), 0);
    EXPECT_EQ(calcaccesspw(""), 0);
}

TEST(Password, OnlyARealCheckValueCountsAsAPassword) {
    EXPECT_FALSE(HasPassword(0));
    EXPECT_FALSE(HasPassword(NoPasswordMarker));
    EXPECT_TRUE(HasPassword(12919));
    EXPECT_TRUE(checkaccesspw("a", 12919));
    EXPECT_FALSE(checkaccesspw("b", 12919));
    // An empty answer has the check value 0, which must not open a store holding 0.
    EXPECT_FALSE(checkaccesspw("", 0));
}

TEST(Password, ThreeAttempts) {
    struct TCase {
        QStringList Answers;
        TPasswordOutcome Outcome;
        int Asked;
        QStringList Shown;
    };
    const QString again = "The password you entered was incorrect please try again!";
    const QString failed = "You failed to enter the correct password.  Glimmet cannot be opened!";
    const TCase cases[] = {
        {{"abc"}, TPasswordOutcome::Accepted, 1, {}},
        {{"x", "", "abc"}, TPasswordOutcome::Accepted, 3, {again, again}},
        {{"", "", ""}, TPasswordOutcome::Refused, 3, {again, again, failed}},
        {{"ABC", "abcd", "ab"}, TPasswordOutcome::Refused, 3, {again, again, failed}},
    };
    for (const TCase& c : cases) {
        TScriptedPrompter prompter;
        QStringList answers = c.Answers;
        int asked = 0;
        const TPasswordOutcome outcome = RunPasswordPrompt(
            calcaccesspw("abc"),
            [&] {
                ++asked;
                return answers.takeFirst();
            },
            prompter);
        EXPECT_EQ(outcome, c.Outcome);
        EXPECT_EQ(asked, c.Asked);
        EXPECT_EQ(prompter.ShownTexts(), c.Shown);
    }
}

} // namespace

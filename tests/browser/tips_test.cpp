#include "tips.h"

#include "platform_test_support.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(Tips, ReadsTheTipsSectionWithoutCase) {
    const TTipsFile tips =
        TTipsFile::FromText("[Other]\nNumber=99\nTip_1=wrong section\n"
                            "[tips]\r\nnumber = 3\r\nTIP_1=First, with a comma\r\n"
                            "Tip_2 = Second = with equals \r\n");
    EXPECT_EQ(tips.Count(), 3);
    EXPECT_EQ(tips.Tip(1), "First, with a comma");
    EXPECT_EQ(tips.Tip(2), "Second = with equals");
    EXPECT_EQ(tips.Tip(3), "Hmmm, no more tips..");
    for (const char* count : {"", "Number=many", "Number=0", "Number=-2"})
        EXPECT_EQ(TTipsFile::FromText(QString("[Tips]\n") + count).Count(), std::nullopt) << count;
    EXPECT_EQ(TTipsFile::Load("/nonexistent/gmtips.ini"), std::nullopt);
}

TEST(Tips, CursorStartsAtARandomTipAndWraps) {
    int lastBound = 0;
    auto random = [&](int bound) {
        lastBound = bound;
        return bound - 1;
    };
    TTipCursor cursor(4, InitialTipCount, random);
    EXPECT_EQ(lastBound, 3); // a first tip from 1 to count - 1
    EXPECT_EQ(cursor.Number(), 3);
    cursor.Next();
    EXPECT_EQ(cursor.Caption(), "Tip of the Day #4");
    cursor.Next();
    EXPECT_EQ(cursor.Number(), 1);
    cursor.Previous();
    EXPECT_EQ(cursor.Number(), 4);

    TTipCursor zero(4, InitialTipCount, [](int) { return 0; });
    EXPECT_EQ(zero.Number(), 1);
    zero.Random(); // 0 wraps to the count
    EXPECT_EQ(zero.Number(), 4);

    TTipCursor unreadable(std::nullopt, 7, random);
    EXPECT_EQ(unreadable.Count(), 7);
    TTipCursor single(1, InitialTipCount, random);
    EXPECT_EQ(single.Number(), 1);
}

} // namespace

#include "text_routines.h"

#include "file_routines.h"
#include "platform_test_support.h"

#include <gtest/gtest.h>

namespace {

TEST(TextRoutines, ReplacementsRunUntilNoneIsLeft) {
    struct TCase {
        QString Text, Old, New, Expected;
    };
    for (const TCase& c : {TCase{"aaab", "ab", "b", "b"}, TCase{"a--b---c", "--", "-", "a-b-c"},
                           TCase{"abc", "", "x", "abc"}, TCase{"x.y.z", ".", "_", "x_y_z"}})
        EXPECT_EQ(ReplaceAll(c.Text, c.Old, c.New), c.Expected) << c.Text.toStdString();
    EXPECT_THROW(ReplaceAll("a", "a", "aa"), EError);
    EXPECT_EQ(RemoveAll("xxaxxb", "x"), "ab");
    EXPECT_EQ(RemoveAll("aabb", "ab"), "");
    EXPECT_EQ(ReplaceChar("a/b/c", u'/', u'-'), "a-b-c");
}

TEST(TextRoutines, SmallConversions) {
    EXPECT_EQ(DropFirst("abcdef", 2), "cdef");
    EXPECT_EQ(DropFirst("abc", -1), "abc");
    EXPECT_EQ(DropFirst("abc", 9), "");
    EXPECT_EQ(TextAfter("Path=/HOME/u", "path="), "/HOME/u");
    EXPECT_EQ(TextAfter("no marker", "="), "no marker");
    EXPECT_EQ(BoolText(true), "True");
    EXPECT_EQ(BoolText(false), "False");
    EXPECT_TRUE(TextBool("tRuE", false));
    EXPECT_FALSE(TextBool("FALSE", true));
    EXPECT_TRUE(TextBool("yes", true));
    EXPECT_EQ(ClampText("50", 7, 0, 10), 10);
    EXPECT_EQ(ClampText("x", 7, 0, 10), 7);
    EXPECT_EQ(ClampText("-3", 7, 0, 10), 0);
    EXPECT_EQ(Percent(7, 50), 4);
    EXPECT_EQ(Percent(3, 33), 1);
    EXPECT_EQ(Percent(3'000'000'000, 100), 3'000'000'000);
    EXPECT_EQ(ScaleByDPI(400, 144), 600);
    EXPECT_EQ(ScaleByDPI(10, 100), 10);
}

} // namespace

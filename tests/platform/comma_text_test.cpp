#include "comma_text.h"

#include "platform_test_support.h"

#include <gtest/gtest.h>

namespace {

TEST(CommaText, LinesBothWays) {
    struct TCase {
        QStringList Lines;
        QString Text;
    };
    for (const TCase& c : {
             TCase{{"Beach at dusk"}, "\"Beach at dusk\""},
             TCase{{"a", "b"}, "a,b"},
             TCase{{"first", "second line"}, "first,\"second line\""},
             TCase{{""}, "\"\""},
             TCase{{}, ""},
             TCase{{"say \"hi\"", "x,y"}, "\"say \"\"hi\"\"\",\"x,y\""},
             TCase{{"a", ""}, "a,\"\""},
             TCase{{"tab\there"}, "\"tab\there\""},
             TCase{{"50%", "=;["}, "50%,=;["},
         }) {
        EXPECT_EQ(ToCommaText(c.Lines), c.Text) << c.Text.toStdString();
        EXPECT_EQ(FromCommaText(c.Text), c.Lines) << c.Text.toStdString();
    }
}

TEST(CommaText, ReadingSkipsBlanksAndStopsPlainItemsAtThem) {
    struct TCase {
        QString Text;
        QStringList Lines;
    };
    for (const TCase& c : {
             TCase{"  a , b", {"a", "b"}},
             TCase{"a b", {"a", "b"}},
             TCase{"a,,b", {"a", "", "b"}},
             TCase{"\"open", {"open"}},
             TCase{QString("a") + QChar(0) + "b", {"a", "b"}},
             TCase{"\"q\"x", {"q", "x"}},
         })
        EXPECT_EQ(FromCommaText(c.Text), c.Lines) << c.Text.toStdString();
}

TEST(CommaText, OneLineForm) {
    EXPECT_EQ(commatexttostring("\"Beach at dusk\""), "Beach at dusk");
    EXPECT_EQ(commatexttostring("first,\"second line\""), "first second line");
    EXPECT_EQ(commatexttostring("\"ends \",next"), "ends next");
    EXPECT_EQ(commatexttostring(""), "");
}

} // namespace

#include "options_string.h"

#include "platform_test_support.h"

#include <gtest/gtest.h>

namespace {

TEST(OptionsString, CheckDigitsAreTheDigitSumModulo100) {
    EXPECT_EQ(chqoptions("1111132101010200100011"), "18");
    EXPECT_EQ(chqoptions("9999999999999999999999"), "98"); // 198
    EXPECT_EQ(chqoptions("0000000000000000000007"), "07");
    EXPECT_EQ(chqoptions(""), "00");
    EXPECT_EQ(chqoptions("11111321010102001000a1"), std::nullopt);
    EXPECT_EQ(TOptions().Encoded(), "111113210101020010001118");
}

struct TDecodeCase {
    const char* Stored;
    bool VersionMatched;
    const char* Digits;
    bool Corrupted;
    bool Malformed = false;
};

void PrintTo(const TDecodeCase& c, std::ostream* out) {
    *out << '"' << c.Stored << (c.VersionMatched ? "\" same version" : "\" new version");
}

class OptionsDecode : public ::testing::TestWithParam<TDecodeCase> {};

TEST_P(OptionsDecode, GivesTheStoredOrTheDefaultDigits) {
    const TOptionsDecode decoded = DecodeOptions(GetParam().Stored, GetParam().VersionMatched);
    EXPECT_EQ(decoded.Options.Digits(), GetParam().Digits);
    EXPECT_EQ(decoded.Corrupted, GetParam().Corrupted);
    EXPECT_EQ(decoded.Malformed, GetParam().Malformed);
}

constexpr const char* Defaults = "1111132101010200100011";

INSTANTIATE_TEST_SUITE_P(
    Cases, OptionsDecode,
    ::testing::Values(
        TDecodeCase{"111114110101150020001123", true, "1111141101011500200011", false},
        TDecodeCase{"111114110101150020001199", true, Defaults, true},
        // After a version change the check digits are not checked.
        TDecodeCase{"111114110101150020001199", false, "1111141101011500200011", false},
        // A non-digit in digits that would be used: malformed, not corrupted.
        TDecodeCase{"1111141101011500200a1199", false, Defaults, false, true},
        TDecodeCase{"1111141101011500200a11x0", true, Defaults, false, true},
        TDecodeCase{"11x1141101011500200011", true, Defaults, false, true},
        TDecodeCase{"1111141101011500200011x2", false, "1111141101011500200011", false},
        TDecodeCase{"1x1", false, Defaults, false},
        TDecodeCase{"111114110101150020001x", true, Defaults, true},
        TDecodeCase{"11111411010115002000112", true, Defaults, true},
        TDecodeCase{"1111141101011500200011", false, Defaults, false},
        TDecodeCase{"", true, Defaults, false}, TDecodeCase{"18", true, Defaults, false}));

TEST(OptionsString, FieldsOutsideTheirRangeReadAsTheirDefault) {
    struct TCase {
        const char* Digits;
        TOptionField Field;
        int Value;
    };
    const TCase cases[] = {
        {"1111142101010200100011", TOptionField::BrowseMode, 4},
        {"1111152101010200100011", TOptionField::BrowseMode, 3},
        {"1111102101010200100011", TOptionField::BrowseMode, 3},
        {"1111133101010200100011", TOptionField::SlideshowOrder, 3},
        {"1111130101010200100011", TOptionField::SlideshowOrder, 2},
        {"1111132101011900100011", TOptionField::SlideshowDelay, 19},
        {"1111132101012500100011", TOptionField::SlideshowDelay, 2},
        {"1111132101010200500011", TOptionField::FastMethod, 1},
        {"1111132101010200120011", TOptionField::IncrementalDisplay, 2},
        {"1111132101010200130011", TOptionField::IncrementalDisplay, 0},
        {"1111132101000200100011", TOptionField::Loop, 0},
        {"1111132101070200100011", TOptionField::Loop, 1},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(TOptions::FromDigits(c.Digits)->Value(c.Field), c.Value) << c.Digits;
}

TEST(OptionsString, EncodingWritesTheFieldsAndClearsTheUnusedPositions) {
    TOptions options = *TOptions::FromDigits("9999999999999999999999");
    options.SetValue(TOptionField::BrowseMode, 4);
    options.SetValue(TOptionField::SlideshowDelay, 7);
    options.SetFlag(TOptionField::Shrink, false);
    options.ClearUnusedPositions();
    EXPECT_EQ(options.Digits(), "9999949099090799990090");
    options.ResetLeadingPositions();
    EXPECT_EQ(options.Encoded(), "911114909909079999009005");
    EXPECT_THROW(options.SetValue(TOptionField::SlideshowDelay, 21), std::out_of_range);
    EXPECT_THROW(options.SetValue(TOptionField::BrowseMode, 5), std::out_of_range);
}

} // namespace

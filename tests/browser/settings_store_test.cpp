#include "settings_store.h"

#include "platform_test_support.h"
#include "registry.h"

#include <QRect>
#include <QTemporaryDir>

#include <type_traits>

#include <gtest/gtest.h>

namespace {

constexpr TRegHive User = TRegHive::CurrentUser;
const TScreenMetrics Screen{1280, 1024, 96, 24};

// A store in a file of its own.
class SettingsStore : public ::testing::Test {
protected:
    QString Path() const { return FDir.path() + "/registry.reg"; }
    TRegistry Reopen() {
        Registry.Save();
        return TRegistry(Path());
    }
    void Store(const QString& name, const QString& text) {
        Registry.WriteString(User, SettingsKeys::Main, name, text);
    }
    // What a value reads as, in the text that writing it back gives.
    QString ReadsAs(const QString& name) {
        TSettings settings = DefaultSettings(Screen);
        ReadSettings(Registry, Screen, settings);
        TRegistry out(FDir.path() + "/out.reg");
        WriteSettings(out, settings, {});
        return out.ReadString(User, SettingsKeys::Main, name).value_or("<not written>");
    }

    QTemporaryDir FDir;
    TRegistry Registry{Path()};
};

TEST_F(SettingsStore, MissingKeyGivesTheDefaults) {
    TSettings settings = DefaultSettings({800, 600, 96, 24});
    EXPECT_TRUE(ReadSettings(Registry, {1920, 1080, 144, 24}, settings));
    // Read when the window is created, not here.
    EXPECT_FALSE(settings.LargeToolbarImages);
    settings.LargeToolbarImages = true;
    EXPECT_EQ(settings, DefaultSettings({1920, 1080, 144, 24}));
    EXPECT_EQ(QRect(settings.WPLeft, settings.WPTop, settings.WPWidth, settings.WPHeight),
              QRect(20, 14, 624, 460));
    EXPECT_EQ(settings.GMXLayout, 1);
    EXPECT_EQ(settings.Options, "111113210101020010001118");
    EXPECT_EQ(settings.TwainHandle, NoPasswordMarker);
    EXPECT_EQ(settings.Mode3Height, 330); // 220 at 144 dpi
    EXPECT_EQ(settings.Mode4Height, 195);
    EXPECT_EQ(settings.ConvertEmailSizeX, 1920);
    EXPECT_TRUE(ReadLargeToolbarImages(Registry, {1920, 1080, 144, 24}));
    EXPECT_FALSE(ReadLargeToolbarImages(Registry, {800, 600, 96, 24}));
    Store("LargeToolbarImages", "fALSE");
    EXPECT_FALSE(ReadLargeToolbarImages(Registry, {1920, 1080, 144, 24}));
    Store("LargeToolbarImages", "1");
    EXPECT_TRUE(ReadLargeToolbarImages(Registry, {1920, 1080, 144, 24}));
    EXPECT_EQ(settings.DelimitCharacter, "#");
    EXPECT_EQ(settings.BGColor, ColourBlack);
}

TEST_F(SettingsStore, EveryValueSurvivesTheRoundTrip) {
    TSettings written = DefaultSettings(Screen);
    // Every form, away from its default.
    written.GetStarted = false;
    written.CurrentFilter = "*.GIF";
    written.SSMultiHorz = 7;
    written.SSMultiVert = 9;
    written.ThumbnailHeight = 120;
    written.GMXLayout = 5;
    written.ConvertEmailFiles = 250;
    written.TwainHandle = -5;
    written.DelimitCharacter = "|";
    written.BGColor = 0x123456;
    written.OverrideBGColor = true;
    written.LastDir = "/home/u/Bilder/ä \"quoted\"\\";
    written.RenameSuffix = "^Copy of ";
    written.WPWidth = 1000;
    written.WPMax = true;
    written.Version = "Glimmet 9.9";
    WriteSettings(Registry, written, {});
    TRegistry reopened = Reopen();
    TSettings read = DefaultSettings(Screen);
    EXPECT_TRUE(ReadSettings(reopened, Screen, read));
    // Values that are written only or read only do not come back.
    read.InstallDir = written.InstallDir;
    read.ExePath = written.ExePath;
    read.threewidth = written.threewidth;
    EXPECT_EQ(read, written);
}

struct TStoredCase {
    const char* Name;
    const char* Stored;
    const char* ReadsAs;
};

void PrintTo(const TStoredCase& c, std::ostream* out) {
    *out << c.Name << "=\"" << c.Stored << '"';
}

class StoredValue : public SettingsStore, public ::testing::WithParamInterface<TStoredCase> {};

TEST_P(StoredValue, ReadsAsExpected) {
    Store(GetParam().Name, GetParam().Stored);
    EXPECT_EQ(ReadsAs(GetParam().Name), GetParam().ReadsAs);
}

INSTANTIATE_TEST_SUITE_P(Malformed, StoredValue,
                         ::testing::Values(TStoredCase{"ShowSSName", "tRuE", "True"},
                                           TStoredCase{"GetStarted", "yes", "True"},
                                           TStoredCase{"GetStarted", "", "True"},
                                           TStoredCase{"ThumbMode", "1x", "2"},
                                           TStoredCase{"DiskCacheMaxCount", "", "500"},
                                           TStoredCase{"TwainHandle", "secret", "518236947"},
                                           TStoredCase{"TwainHandle", "99999999999", "518236947"},
                                           TStoredCase{"DelimitCharacter", "##", "#"},
                                           TStoredCase{"DelimitCharacter", "", "#"}));

// Each range at its edges, on a screen of 1280 x 1024: the last value inside and the first
// outside, which reads as the default.
INSTANTIATE_TEST_SUITE_P(
    RangeBoundaries, StoredValue,
    ::testing::Values(
        TStoredCase{"ThumbMode", "0", "0"}, TStoredCase{"ThumbMode", "1", "1"},
        TStoredCase{"ThumbMode", "3", "2"}, TStoredCase{"DefaultJPEGQuality", "100", "100"},
        TStoredCase{"DefaultJPEGQuality", "101", "85"},
        TStoredCase{"DiskCacheMaxCount", "9999", "9999"},
        TStoredCase{"DiskCacheMaxCount", "-3", "500"}, TStoredCase{"GMXLayout", "6", "6"},
        TStoredCase{"GMXLayout", "7", "1"},
        // The grid's own default (-1) and every size it accepts.
        TStoredCase{"ThumbnailHeight", "-1", "-1"}, TStoredCase{"ThumbnailHeight", "0", "-1"},
        TStoredCase{"ThumbnailHeight", "1", "1"}, TStoredCase{"ThumbnailHeight", "200", "200"},
        TStoredCase{"ThumbnailWidth", "39", "39"}, TStoredCase{"ThumbnailWidth", "1000", "1000"},
        TStoredCase{"ThumbnailWidth", "1001", "-1"}, TStoredCase{"ThumbnailWidth", "9999", "-1"},
        TStoredCase{"FilenameColumnWidth", "250", "250"},
        TStoredCase{"IconInfoColumnWidth", "0", "-1"},
        // 0 or less: no reduction; the largest size is the custom one or the screen's.
        TStoredCase{"ConvertEmailSizeX", "-1", "-1"}, TStoredCase{"ConvertEmailSizeX", "0", "0"},
        TStoredCase{"ConvertEmailSizeY", "-20", "-20"},
        TStoredCase{"ConvertEmailSizeX", "50", "50"},
        TStoredCase{"ConvertEmailSizeY", "10000", "10000"},
        TStoredCase{"ConvertEmailSizeX", "10001", "1280"},
        TStoredCase{"ConvertEmailFiles", "-1", "-1"}, TStoredCase{"ConvertEmailFiles", "-2", "-1"},
        // -1: maximised; 100 or less: the window fits the picture.
        TStoredCase{"NewWindowHeight", "-1", "-1"}, TStoredCase{"NewWindowHeight", "-2", "400"},
        TStoredCase{"NewWindowHeight", "60", "60"}, TStoredCase{"NewWindowHeight", "1024", "1024"},
        TStoredCase{"NewWindowHeight", "1025", "400"}, TStoredCase{"NewWindowWidth", "0", "0"},
        TStoredCase{"NewWindowWidth", "-1", "500"}, TStoredCase{"NewWindowWidth", "1281", "500"},
        // Brought into their ranges when the panels are laid out, not here.
        TStoredCase{"Mode3Height", "10", "10"}, TStoredCase{"Mode4Height", "5000", "5000"},
        TStoredCase{"FileGridWidth", "50", "50"}, TStoredCase{"FileGridTop", "-7", "-7"},
        TStoredCase{"WPWidth", "150", "150"}, TStoredCase{"WPWidth", "149", "624"},
        TStoredCase{"WPWidth", "100", "624"}, TStoredCase{"WPLeft", "1180", "1180"},
        TStoredCase{"WPLeft", "1181", "20"}, TStoredCase{"WPLeft", "1280", "20"},
        TStoredCase{"WPTop", "-1", "14"}, TStoredCase{"WPHeight", "1024", "1024"},
        TStoredCase{"WPHeight", "1025", "460"}, TStoredCase{"DefaultJPEGQuality", "0", "85"},
        TStoredCase{"AnimGIFDefault", "50", "50"}, TStoredCase{"AnimGIFDefault", "49", "500"}));

TEST_F(SettingsStore, ColoursAreNamesOrUpToEightHexDigits) {
    const std::pair<const char*, uint32_t> cases[] = {{"clRed", 0x0000FF},
                                                      {"CLWHITE", 0xFFFFFF},
                                                      {"$00FF8000", 0xFF8000},
                                                      {"$80000005", 0x80000005},
                                                      {"$FFFFFFFF", 0xFFFFFFFF},
                                                      {"red", 0},
                                                      {"$", 0},
                                                      {"$0012345G", 0},
                                                      {"$000000001", 0}};
    for (const auto& [stored, colour] : cases) {
        Store("BGColor", stored);
        Store("OverrideBGColor", "True");
        TSettings settings = DefaultSettings(Screen);
        ReadSettings(Registry, Screen, settings);
        EXPECT_EQ(settings.BGColor, colour) << stored;
    }
    EXPECT_EQ(ColourText(0x0000FF), "clRed");
    EXPECT_EQ(ColourText(0x123456), "$00123456");
    EXPECT_EQ(ColourText(0x8000000F), "$8000000F");
}

TEST_F(SettingsStore, PairsFallBackTogether) {
    Store("SSMultiHorz", "0");
    Store("SSMultiVert", "6");
    Store("BGColor", "clRed"); // OverrideBGColor missing
    TSettings settings = DefaultSettings(Screen);
    ReadSettings(Registry, Screen, settings);
    EXPECT_EQ(settings.SSMultiHorz, 4);
    EXPECT_EQ(settings.SSMultiVert, 3);
    EXPECT_EQ(settings.BGColor, ColourBlack);
    Store("SSMultiHorz", "2");
    Store("OverrideBGColor", "True");
    ReadSettings(Registry, Screen, settings);
    EXPECT_EQ(settings.SSMultiHorz, 2);
    EXPECT_EQ(settings.SSMultiVert, 6);
    EXPECT_EQ(settings.BGColor, 0x0000FFu);
}

TEST_F(SettingsStore, ValueOfAnotherTypeStopsTheReading) {
    // Read in this order: GMXLayout, ..., LastDir, ..., ThumbMode, ..., WPTop.
    Store("GMXLayout", "3");
    Registry.WriteBinary(User, SettingsKeys::Main, "LastDir", "x");
    Store("ThumbMode", "0");
    Store("WPTop", "77");
    TSettings settings = DefaultSettings(Screen);
    settings.WPTop = 99;
    EXPECT_FALSE(ReadSettings(Registry, Screen, settings));
    EXPECT_EQ(settings.GMXLayout, 3);
    EXPECT_EQ(settings.LastDir, "");
    EXPECT_EQ(settings.ThumbMode, 2);
    EXPECT_EQ(settings.WPTop, 99); // not reached

    // A pair of which one member stops the reading falls back as a whole.
    Registry.DeleteValue(User, SettingsKeys::Main, "LastDir");
    Store("SSMultiHorz", "2");
    Registry.WriteInteger(User, SettingsKeys::Main, "SSMultiVert", 6);
    settings = DefaultSettings(Screen);
    EXPECT_FALSE(ReadSettings(Registry, Screen, settings));
    EXPECT_EQ(settings.SSMultiHorz, 4);
    EXPECT_EQ(settings.SSMultiVert, 3);
    EXPECT_EQ(settings.ThumbMode, 2);
}

// Every value the table reads comes back from the store, each away from its default.
TEST_F(SettingsStore, EveryReadableValueIsRead) {
    const TScreenMetrics& s = Screen;
    const TSettings defaults = DefaultSettings(s);
    TSettings written = defaults;
    TSettings expected = defaults;
    auto other = [](auto value, TSettingForm form, const TIntRange& range) {
        using T = decltype(value);
        if constexpr (std::is_same_v<T, bool>)
            return !value;
        else if constexpr (std::is_same_v<T, int32_t>)
            return static_cast<int32_t>(value == range.Max ? range.Min : range.Max);
        else if constexpr (std::is_same_v<T, uint32_t>)
            return value ^ 0x80123456u;
        else
            return form == TSettingForm::Char ? QString("|") : value + "x";
    };
#define OTHER_VALUE(Name, Form, Default, Range, Readable, Writing, Group)                          \
    written.Name = other(defaults.Name, TSettingForm::Form, Range);                                \
    if (Readable) expected.Name = written.Name;
    GLIMMET_SETTINGS(OTHER_VALUE)
#undef OTHER_VALUE
    WriteSettings(Registry, written, {false, true, true}); // every condition met
    // Read, but never written.
    Store("ExternalPrintApp", written.ExternalPrintApp);
    Store("ExternalPrintAppName", written.ExternalPrintAppName);
    TSettings read = defaults;
    EXPECT_TRUE(ReadSettings(Reopen(), s, read));
#define SAME_VALUE(Name, Form, Default, Range, Readable, Writing, Group)                           \
    EXPECT_EQ(read.Name, expected.Name) << #Name;
    GLIMMET_SETTINGS(SAME_VALUE)
#undef SAME_VALUE
}

TEST_F(SettingsStore, ConditionalValuesAreWrittenOnlyWhenTheirConditionHolds) {
    TSettings settings = DefaultSettings(Screen);
    settings.FileGridWidth = 300;
    settings.FileGridTop = 150;
    settings.threewidth = 280;
    settings.CurrentBookmark = "Holiday";
    settings.ExternalPrintApp = "/usr/bin/lp";
    auto written = [&](const TSettingsWriteConditions& conditions) {
        TRegistry out(FDir.path() + "/conditions.reg");
        WriteSettings(out, settings, conditions);
        QStringList names;
        for (const char* name : {"FileGridWidth", "FileGridTop", "threewidth", "CurrentBookmark",
                                 "ExternalPrintApp", "ExternalPrintAppName", "WPTop"})
            if (out.ReadString(User, SettingsKeys::Main, name)) names << name;
        return names.join(u' ');
    };
    EXPECT_EQ(written({false, true, true}),
              "FileGridWidth FileGridTop threewidth CurrentBookmark WPTop");
    EXPECT_EQ(written({false, false, false}), "FileGridWidth threewidth WPTop");
    EXPECT_EQ(written({true, true, false}), "WPTop");
}

TEST_F(SettingsStore, HintFlagsRoundTripAndDefaultToShown) {
    Store("Unrelated", "x");
    Registry.WriteString(User, SettingsKeys::Warning, "WarningColour", "False");
    Registry.WriteString(User, SettingsKeys::Warning, "WarningEmail", "maybe");
    TWarningFlags flags;
    EXPECT_TRUE(ReadWarnings(Registry, flags));
    TWarningFlags expected;
    expected.WarningColour = false;
    EXPECT_EQ(flags, expected);

    flags.WarningModeFour = false;
    WriteWarnings(Registry, flags);
    TRegistry reopened = Reopen();
    TWarningFlags read;
    EXPECT_TRUE(ReadWarnings(reopened, read));
    EXPECT_EQ(read, flags);
    EXPECT_EQ(reopened.ValueNames(User, SettingsKeys::Warning).size(), 17);

    reopened.WriteInteger(User, SettingsKeys::Warning, "WarningRename", 0);
    EXPECT_FALSE(ReadWarnings(reopened, read));
    EXPECT_TRUE(read.WarningRename);
}

} // namespace

#include "window_layout.h"

#include "options_string.h"
#include "platform_test_support.h"

#include <gtest/gtest.h>

namespace {

const TScreenMetrics Screen{1280, 1024, 96, 24};

TEST(WindowLayout, Arrangements) {
    const bool expected[LayoutCount][3] = {{false, false, false}, {false, false, true},
                                           {true, false, false},  {false, true, false},
                                           {true, true, false},   {true, true, true}};
    for (int layout = 1; layout <= LayoutCount; ++layout) {
        const TLayoutArrangement a = LayoutArrangement(layout);
        EXPECT_EQ(a.ModeBesideGrid, expected[layout - 1][0]) << layout;
        EXPECT_EQ(a.LeftAboveImage, expected[layout - 1][1]) << layout;
        EXPECT_EQ(a.ImageAndGridSwapped, expected[layout - 1][2]) << layout;
    }
    EXPECT_THROW(LayoutArrangement(0), std::out_of_range);
}

TEST(WindowLayout, StartSizesAreBroughtIntoTheirRanges) {
    struct TCase {
        int Layout, Mode, FileGridWidth, FileGridTop, Mode3Height;
        TPanelSizes Sizes;
    };
    const QSize client(600, 400);
    const TCase cases[] = {
        {1, BrowseFolders, -1, -1, 220, {346, 220}},
        {1, BrowseFolders, 50, -1, 30, {100, 50}},
        {1, BrowseFolders, 5000, -1, 900, {1280, 400}}, // mode panel: at most the left panel
        {1, BrowseFavorites, 300, -1, 220, {300, 130}},
        {3, BrowseFolders, 300, -1, 220, {300, 150}}, // half the left panel
        {3, BrowseFolders, 300, 10, 220, {300, 80}},
        {3, BrowseFolders, 300, 290, 220, {300, 270}}, // its width minus 30
        {4, BrowseFolders, -1, -1, 220, {320, 220}},   // 80 % of the client height
        {4, BrowseFolders, 2000, -1, 220, {1024, 220}},
        {4, BrowseFolders, 150, -1, 220, {150, 150}},
        {5, BrowseFolders, 150, -1, 220, {150, 300}}, // half the window's width
    };
    for (const TCase& c : cases) {
        TSettings settings = DefaultSettings(Screen);
        settings.FileGridWidth = c.FileGridWidth;
        settings.FileGridTop = c.FileGridTop;
        settings.Mode3Height = c.Mode3Height;
        EXPECT_EQ(StartPanelSizes(settings, c.Layout, c.Mode, Screen, client), c.Sizes)
            << "layout " << c.Layout << " width " << c.FileGridWidth;
    }
    TSettings scaled = DefaultSettings({1280, 1024, 192, 24});
    EXPECT_EQ(StartPanelSizes(scaled, 1, BrowseFolders, {1280, 1024, 192, 24}, client).LeftPanel,
              692);
}

TEST(WindowLayout, LayoutChosenInTheOptionsResetsTheProportions) {
    const QSize window(800, 500);
    const TPanelSizes expected[LayoutCount] = {{300, 220}, {300, 220}, {300, 150},
                                               {275, 220}, {200, 400}, {200, 400}};
    for (int layout = 1; layout <= LayoutCount; ++layout) {
        TSettings settings = DefaultSettings(Screen);
        settings.Mode3Height = 999;
        EXPECT_EQ(ResetLayoutSizes(settings, layout, BrowseFolders, Screen, window),
                  expected[layout - 1])
            << layout;
        EXPECT_EQ(settings.Mode3Height, 220);
        EXPECT_EQ(settings.Mode4Height, 130);
    }
}

TEST(WindowLayout, ResetSettingsSizes) {
    EXPECT_EQ(ResetWindowSize({100, 100}), QSize(624, 460));
    EXPECT_EQ(ResetWindowSize({800, 199}), QSize(800, 460));
    EXPECT_EQ(ResetWindowSize({249, 600}), QSize(624, 600));
    EXPECT_EQ(ResetWindowSize({250, 200}), QSize(250, 200));
    struct TCase {
        int Layout;
        QSize Window;
        int LeftPanelWidth;
        int LeftPanel;
        std::optional<int> ModePanel;
    };
    const TCase cases[] = {
        {1, {624, 460}, 300, 344, 130},
        {2, {800, 600}, 300, 344, 130},
        {3, {800, 600}, 480, 480, std::nullopt},
        {4, {800, 600}, 800, 320, std::nullopt},
        // Half the left panel's width, which may be less than the window's.
        {5, {800, 460}, 760, 184, 380},
        {6, {624, 600}, 624, 240, 312},
    };
    for (const TCase& c : cases) {
        TSettings settings = DefaultSettings(Screen);
        settings.Mode3Height = settings.Mode4Height = 999;
        const TResetSizes sizes = ResetEverythingSizes(settings, c.Layout, BrowseFavorites, Screen,
                                                       c.Window, c.LeftPanelWidth);
        EXPECT_EQ(sizes.LeftPanel, c.LeftPanel) << c.Layout;
        EXPECT_EQ(sizes.ModePanel, c.ModePanel) << c.Layout;
        EXPECT_EQ(settings.Mode3Height, 220);
        EXPECT_EQ(settings.Mode4Height, 130);
    }
}

TEST(WindowLayout, PanelSizesAtExit) {
    TSettings settings = DefaultSettings(Screen);
    EXPECT_TRUE(StorePanelSizes({QSize(310, 480), QSize(310, 210)}, 1, BrowseFolders, settings));
    EXPECT_EQ(settings.FileGridWidth, 310);
    EXPECT_EQ(settings.FileGridTop, 210);
    EXPECT_EQ(settings.Mode3Height, 210);
    EXPECT_EQ(settings.threewidth, 310);

    // Beside the grid the mode panel is as high as the left panel; that is its height.
    for (int layout : {3, 5, 6}) {
        settings.Mode4Height = 130;
        EXPECT_TRUE(
            StorePanelSizes({QSize(800, 190), QSize(250, 190)}, layout, BrowseFavorites, settings));
        EXPECT_EQ(settings.FileGridWidth, layout == 3 ? 800 : 190) << layout;
        EXPECT_EQ(settings.FileGridTop, 250) << layout;
        EXPECT_EQ(settings.Mode3Height, 210) << layout;
        EXPECT_EQ(settings.Mode4Height, 190) << layout;
    }

    EXPECT_FALSE(StorePanelSizes({QSize(300, 480), QSize(300, 40)}, 4, BrowseFavorites, settings));
    EXPECT_EQ(settings.FileGridTop, 250);
    EXPECT_EQ(settings.Mode4Height, 40);
}

} // namespace

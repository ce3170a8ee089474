#include "idle_dispatch.h"

#include "fake_frame_host.h"
#include "platform_test_support.h"
#include "scripted_prompter.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using A = TIdleAction;

struct TPlanCase {
    const char* Name;
    std::function<void(TIdleFlags&)> Set;
    std::vector<TIdleAction> Actions;
};

void PrintTo(const TPlanCase& c, std::ostream* out) {
    *out << c.Name;
}

class IdlePlan : public ::testing::TestWithParam<TPlanCase> {};

TEST_P(IdlePlan, FlagsGiveActions) {
    TIdleFlags flags;
    GetParam().Set(flags);
    EXPECT_EQ(PlanIdle(flags), GetParam().Actions);
}

INSTANTIATE_TEST_SUITE_P(
    Table, IdlePlan,
    ::testing::Values(
        TPlanCase{"Nothing", [](TIdleFlags&) {}, {}},
        TPlanCase{"CloseComesFirstAndAlone",
                  [](TIdleFlags& f) {
                      f.CloseRequest = f.PendingStartFile = f.FirstIdle = f.PendingDisplay = true;
                  },
                  {A::CloseProgram}},
        TPlanCase{"StartFileAlone",
                  [](TIdleFlags& f) { f.PendingStartFile = f.FolderListRefresh = true; },
                  {A::ShowStartFile}},
        TPlanCase{"StartFileWaitsForAModalWindowAndTheRestGoesOn",
                  [](TIdleFlags& f) {
                      f.PendingStartFile = f.ModalWindowOpen = true;
                      f.FolderListRefresh = f.PendingDisplay = true;
                  },
                  {A::RefreshFileList, A::ShowImage}},
        TPlanCase{"FirstIdleGettingStarted",
                  [](TIdleFlags& f) { f.FirstIdle = f.GetStarted = f.TipsOnStart = true; },
                  {A::RepaintGrid, A::PostGettingStarted}},
        TPlanCase{"FirstIdleTip",
                  [](TIdleFlags& f) { f.FirstIdle = f.TipsOnStart = f.PendingDisplay = true; },
                  {A::RepaintGrid, A::PostTipOfTheDay}},
        TPlanCase{
            "NewWindowAndRefreshGoOn",
            [](TIdleFlags& f) { f.NewWindowRequest = f.FolderListRefresh = f.FirstIdle = true; },
            {A::PostNewImageWindow, A::RefreshFileList, A::RepaintGrid}},
        TPlanCase{"NoNewWindowWhileLoading",
                  [](TIdleFlags& f) { f.NewWindowRequest = f.ImageLoading = true; },
                  {}},
        TPlanCase{"DeferredCommandsThenDisplay",
                  [](TIdleFlags& f) {
                      f.DeferredDelete = f.DeferredRename = f.DeferredMoveCopy = true;
                      f.PendingDisplay = true;
                  },
                  {A::DeleteSelection, A::RenameSelection, A::MoveCopySelection, A::ShowImage}},
        TPlanCase{"DeferredCommandsWaitForTheLoad",
                  [](TIdleFlags& f) { f.DeferredDelete = f.ImageLoading = true; },
                  {}},
        TPlanCase{"CloseWindowsBeforeCamera",
                  [](TIdleFlags& f) {
                      f.CloseAllImageWindows = f.SetupFinished = f.PendingCamera = true;
                  },
                  {A::CloseAllImageWindows}},
        TPlanCase{"CameraAfterSetup",
                  [](TIdleFlags& f) { f.SetupFinished = f.PendingCamera = f.TreeRefresh = true; },
                  {A::PostCamera}},
        TPlanCase{"NoCameraDuringSetup",
                  [](TIdleFlags& f) { f.PendingCamera = f.TreeRefresh = true; },
                  {A::RefreshTree}},
        TPlanCase{"TreeBeforeDisplay",
                  [](TIdleFlags& f) { f.TreeRefresh = f.PendingDisplay = true; },
                  {A::RefreshTree}},
        TPlanCase{"NoDisplayDuringSlideshow",
                  [](TIdleFlags& f) { f.SlideshowRunning = f.PendingDisplay = true; },
                  {}},
        TPlanCase{"JpegRepaintWithoutDisplay",
                  [](TIdleFlags& f) { f.JpegRepaint = true; },
                  {A::RepaintImage}},
        TPlanCase{"DisplayBeforeRepaint",
                  [](TIdleFlags& f) { f.JpegRepaint = f.PendingDisplay = true; },
                  {A::ShowImage}}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(IdleDispatch, RunsTheActionsAndClearsTheirFlags) {
    TMainState state;
    TFakeFrameHost host;
    TScriptedPrompter prompter;
    state.Settings.GetStarted = true;
    state.SetupFinished = true;
    state.PendingCameraSource = "/media/cam";
    state.PendingDisplay = true;
    doidle(state, host, prompter);
    EXPECT_EQ(host.Calls, QStringList({"RepaintGrid()", "Post(2050)"}));
    EXPECT_FALSE(state.FirstIdle);
    doidle(state, host, prompter);
    EXPECT_EQ(host.Calls.last(), "Post(2049)");
    EXPECT_TRUE(TakeCameraSource(state));
    EXPECT_EQ(state.Settings.CameraSource, "/media/cam");
    EXPECT_FALSE(TakeCameraSource(state)); // a second 2049 finds nothing
    doidle(state, host, prompter);
    EXPECT_EQ(host.Calls.last(), "ShowImage()");
    const qsizetype count = host.Calls.size();
    doidle(state, host, prompter);
    EXPECT_EQ(host.Calls.size(), count);
}

TEST(IdleDispatch, StartFileStaysPendingWhileAModalWindowIsOpen) {
    TMainState state;
    TFakeFrameHost host;
    TScriptedPrompter prompter;
    state.FirstIdle = false;
    state.PendingStartFile = "/pics/a.jpg";
    state.PendingDisplay = true;
    host.Modal = true;
    doidle(state, host, prompter);
    EXPECT_EQ(host.Calls, QStringList{"ShowImage()"});
    EXPECT_EQ(state.PendingStartFile, "/pics/a.jpg");
    host.Modal = false;
    doidle(state, host, prompter);
    EXPECT_EQ(host.CallsOf("SelectAndShowFile"), QStringList{"SelectAndShowFile(/pics/a.jpg)"});
    EXPECT_EQ(state.PendingStartFile, "");
}

TEST(IdleDispatch, CloseRequestTellsTheUserAndCloses) {
    TMainState state;
    TFakeFrameHost host;
    TScriptedPrompter prompter;
    state.CloseRequest = true;
    doidle(state, host, prompter);
    EXPECT_EQ(prompter.ShownTexts(), QStringList{"Glimmet will now close."});
    EXPECT_EQ(host.Calls, QStringList{"CloseProgram()"});
    EXPECT_FALSE(state.CloseRequest);
}

} // namespace

#include "idle_dispatch.h"

#include "direct_show.h"
#include "frame_host.h"
#include "prompter.h"

#include <utility>

namespace {

void RunAction(TIdleAction action, TMainState& state, TFrameHost& host, TPrompter& prompter) {
    switch (action) {
    case TIdleAction::CloseProgram:
        state.CloseRequest = false;
        prompter.Message(TPromptKind::Information, "Glimmet will now close.");
        host.CloseProgram();
        break;
    case TIdleAction::ShowStartFile: {
        // A copy: listing the folder clears the current file on the way.
        const QString file = std::exchange(state.PendingStartFile, QString());
        state.CurrentFile = file;
        directshow(file, state, host, prompter);
        break;
    }
    case TIdleAction::PostNewImageWindow:
        host.Post(TMainMessage::NewImageWindow);
        break;
    case TIdleAction::RefreshFileList:
        state.FolderListRefresh = false;
        host.RefreshFileList();
        break;
    case TIdleAction::RepaintGrid:
        state.FirstIdle = false;
        host.RepaintGrid();
        break;
    case TIdleAction::PostGettingStarted:
        host.Post(TMainMessage::GettingStarted);
        break;
    case TIdleAction::PostTipOfTheDay:
        host.Post(TMainMessage::TipOfTheDay);
        break;
    case TIdleAction::PostCamera:
        host.Post(TMainMessage::CameraSource);
        break;
    case TIdleAction::ShowImage:
        state.PendingDisplay = false;
        host.ShowImage();
        break;
    case TIdleAction::DeleteSelection:
    case TIdleAction::RenameSelection:
    case TIdleAction::MoveCopySelection:
    case TIdleAction::CloseAllImageWindows:
    case TIdleAction::RefreshTree:
    case TIdleAction::RepaintImage:
        // Planned only from the flags of the file, image-window and tree commands, which the
        // state does not hold yet.
        break;
    }
}

} // namespace

TIdleFlags IdleFlags(const TMainState& state) {
    TIdleFlags flags;
    flags.CloseRequest = state.CloseRequest;
    flags.PendingStartFile = !state.PendingStartFile.isEmpty();
    flags.FolderListRefresh = state.FolderListRefresh;
    flags.FirstIdle = state.FirstIdle;
    flags.GetStarted = state.Settings.GetStarted;
    flags.TipsOnStart = state.Settings.TipsOnStart;
    flags.SetupFinished = state.SetupFinished;
    flags.PendingCamera = state.PendingCameraSource.has_value();
    flags.PendingDisplay = state.PendingDisplay;
    return flags;
}

void doidle(TMainState& state, TFrameHost& host, TPrompter& prompter) {
    TIdleFlags flags = IdleFlags(state);
    flags.ModalWindowOpen = host.ModalWindowOpen();
    for (TIdleAction action : PlanIdle(flags)) RunAction(action, state, host, prompter);
}

bool TakeCameraSource(TMainState& state) {
    if (!state.PendingCameraSource) return false;
    state.Settings.CameraSource = *std::exchange(state.PendingCameraSource, std::nullopt);
    return true;
}

#include "idle_planner.h"

namespace {

// The last group: exactly one of these, in this order of precedence.
void PlanLastGroup(const TIdleFlags& f, std::vector<TIdleAction>& actions) {
    if (f.CloseAllImageWindows) {
        actions.push_back(TIdleAction::CloseAllImageWindows);
    } else if (f.SetupFinished && f.PendingCamera) {
        actions.push_back(TIdleAction::PostCamera);
    } else if (f.TreeRefresh) {
        actions.push_back(TIdleAction::RefreshTree);
    } else if (!f.SlideshowRunning && !f.ImageLoading) {
        if (f.PendingDisplay)
            actions.push_back(TIdleAction::ShowImage);
        else if (f.JpegRepaint)
            actions.push_back(TIdleAction::RepaintImage);
    }
}

} // namespace

std::vector<TIdleAction> PlanIdle(const TIdleFlags& f) {
    if (f.CloseRequest) return {TIdleAction::CloseProgram};
    // The start file is shown by directshow, which waits for modal windows: it stays pending
    // meanwhile, and the rest goes on.
    if (f.PendingStartFile && !f.ModalWindowOpen) return {TIdleAction::ShowStartFile};
    std::vector<TIdleAction> actions;
    if (f.NewWindowRequest && !f.ImageLoading) actions.push_back(TIdleAction::PostNewImageWindow);
    if (f.FolderListRefresh) actions.push_back(TIdleAction::RefreshFileList);
    if (f.FirstIdle) {
        actions.push_back(TIdleAction::RepaintGrid);
        if (f.GetStarted)
            actions.push_back(TIdleAction::PostGettingStarted);
        else if (f.TipsOnStart)
            actions.push_back(TIdleAction::PostTipOfTheDay);
        return actions;
    }
    if (!f.ImageLoading) {
        if (f.DeferredDelete) actions.push_back(TIdleAction::DeleteSelection);
        if (f.DeferredRename) actions.push_back(TIdleAction::RenameSelection);
        if (f.DeferredMoveCopy) actions.push_back(TIdleAction::MoveCopySelection);
    }
    PlanLastGroup(f, actions);
    return actions;
}

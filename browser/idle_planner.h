#pragma once
// What the idle dispatcher does when the event queue runs empty: the flags of the deferred work
// decide a short list of actions, run in order. Running an action clears its flag.

#include <vector>

struct TIdleFlags {
    bool CloseRequest = false;
    bool PendingStartFile = false;
    bool NewWindowRequest = false;
    bool ImageLoading = false;
    bool FolderListRefresh = false;
    bool FirstIdle = false;
    bool GetStarted = false;  // the setting
    bool TipsOnStart = false; // the setting
    bool DeferredDelete = false;
    bool DeferredRename = false;
    bool DeferredMoveCopy = false;
    bool CloseAllImageWindows = false;
    bool SetupFinished = false;
    bool PendingCamera = false;
    bool TreeRefresh = false;
    bool SlideshowRunning = false;
    bool PendingDisplay = false;
    bool JpegRepaint = false; // a JPEG finished loading in the background
    bool ModalWindowOpen = false;
};

enum class TIdleAction {
    CloseProgram,
    ShowStartFile,
    PostNewImageWindow,
    RefreshFileList,
    RepaintGrid,
    PostGettingStarted,
    PostTipOfTheDay,
    DeleteSelection,
    RenameSelection,
    MoveCopySelection,
    CloseAllImageWindows,
    PostCamera,
    RefreshTree,
    ShowImage,
    RepaintImage
};

std::vector<TIdleAction> PlanIdle(const TIdleFlags& flags);

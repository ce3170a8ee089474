#pragma once
// What the start-up, shutdown, display and idle logic asks of the main window. TfrmMain
// implements it with its widgets; tests pass a recording fake.

#include "toolbar_state.h"
#include "window_layout.h"

#include <QRect>
#include <QString>

#include <cstdint>
#include <vector>

// The window messages the main window posts to itself.
enum class TMainMessage {
    CameraSource = 2049,
    GettingStarted = 2050,
    TipOfTheDay = 2051,
    NewImageWindow = 2052
};

struct TWindowPlacement {
    QRect Geometry; // the frame's position and size
    bool Maximised = false;
};

class TFrameHost {
public:
    virtual ~TFrameHost() = default;

    // Set-up.
    virtual void PrepareWindow() = 0;
    virtual void ApplyToolbarDocks(const std::vector<TToolbarDock>& docks) = 0;
    virtual void ApplyLayout(int layout) = 0;
    virtual void ApplyBackground(uint32_t colour) = 0;
    virtual void SetExternalPrintCaption(const QString& caption) = 0;
    virtual void ApplyBars() = 0;
    virtual void SetTreeFolder(const QString& folder) = 0;
    virtual void RestoreWindow(const TWindowPlacement& placement) = 0;
    virtual QSize ClientSize() const = 0;
    virtual void ApplyPanelSizes(const TPanelSizes& sizes) = 0;
    virtual void UpdateFitIndicators() = 0;
    virtual void FillFavoritesLists(const QString& currentBookmark) = 0;
    virtual void HideSplash() = 0;
    // Shows the mode's page and runs the mode change; handedOver: for a file given from outside.
    virtual void SelectModePage(int browseMode, bool handedOver) = 0;
    // The text typed into the password window, empty on Cancel.
    virtual QString AskPassword() = 0;
    virtual bool LaunchProgram(const QString& path) = 0;
    virtual void ApplyThumbMode(int mode) = 0;

    // Running.
    virtual bool ModalWindowOpen() const = 0;
    virtual QString TreeFolder() const = 0;
    virtual void RefreshFileList() = 0;
    virtual void RepaintGrid() = 0;
    virtual void Post(TMainMessage message) = 0;
    virtual void ShowImage() = 0;
    virtual bool IsSupportedImage(const QString& path) const = 0;
    virtual void SelectAndShowFile(const QString& path) = 0;
    virtual void LoadBookmarkFile(const QString& path) = 0;
    virtual void CloseProgram() = 0;

    // Shutdown.
    virtual void StopActivity() = 0;
    virtual bool FullScreen() const = 0;
    virtual TWindowPlacement WindowPlacement() const = 0;
    virtual std::vector<TToolbarDock> ToolbarDocks() const = 0;
    virtual TPanelGeometry PanelGeometry() const = 0;
    virtual bool BookmarkSelected() const = 0;
};

#pragma once
// A frame host that records every call as "Name(arguments)" and throws std::runtime_error from
// the calls it is told to fail.

#include "frame_host.h"

#include <QSet>
#include <QStringList>

#include <functional>
#include <stdexcept>

class TFakeFrameHost : public TFrameHost {
public:
    QStringList Calls;
    QSet<QString> Failing; // call names that throw
    QString Tree;
    QStringList Passwords; // answers of AskPassword, in order
    bool Modal = false;
    bool LaunchSucceeds = true;
    bool Full = false;
    TWindowPlacement Placement{QRect(30, 40, 700, 500), false};
    TPanelGeometry Panels{QSize(300, 480), QSize(300, 200)};
    std::vector<TToolbarDock> Docks;
    std::function<void()> OnAskPassword;

    // The calls of one name, with their arguments.
    QStringList CallsOf(const QString& name) const {
        QStringList found;
        for (const QString& call : Calls)
            if (call.startsWith(name + u'(')) found << call;
        return found;
    }
    bool Called(const QString& name) const { return !CallsOf(name).isEmpty(); }

    void PrepareWindow() override { Record("PrepareWindow"); }
    void ApplyToolbarDocks(const std::vector<TToolbarDock>& docks) override {
        Record("ApplyToolbarDocks", QString::number(docks.size()));
    }
    void ApplyLayout(int layout) override { Record("ApplyLayout", QString::number(layout)); }
    void ApplyBackground(uint32_t colour) override {
        Record("ApplyBackground", QString::number(colour, 16));
    }
    void SetExternalPrintCaption(const QString& caption) override {
        Record("SetExternalPrintCaption", caption);
    }
    void ApplyBars() override { Record("ApplyBars"); }
    void SetTreeFolder(const QString& folder) override {
        Record("SetTreeFolder", folder);
        Tree = folder;
    }
    void RestoreWindow(const TWindowPlacement& p) override {
        const QRect g = p.Geometry;
        Record("RestoreWindow", QStringLiteral("%1,%2 %3x%4%5")
                                    .arg(g.left())
                                    .arg(g.top())
                                    .arg(g.width())
                                    .arg(g.height())
                                    .arg(p.Maximised ? " max" : ""));
    }
    QSize ClientSize() const override { return QSize(600, 400); }
    void ApplyPanelSizes(const TPanelSizes& sizes) override {
        Record("ApplyPanelSizes",
               QString::number(sizes.LeftPanel) + u',' + QString::number(sizes.ModePanel));
    }
    void UpdateFitIndicators() override { Record("UpdateFitIndicators"); }
    void FillFavoritesLists(const QString& current) override {
        Record("FillFavoritesLists", current);
    }
    void HideSplash() override { Record("HideSplash"); }
    void SelectModePage(int mode, bool handedOver) override {
        Record("SelectModePage", QString::number(mode) + (handedOver ? ",handed" : ""));
    }
    QString AskPassword() override {
        Record("AskPassword");
        if (OnAskPassword) OnAskPassword();
        return Passwords.isEmpty() ? QString() : Passwords.takeFirst();
    }
    bool LaunchProgram(const QString& path) override {
        Record("LaunchProgram", path);
        return LaunchSucceeds;
    }
    void ApplyThumbMode(int mode) override { Record("ApplyThumbMode", QString::number(mode)); }

    bool ModalWindowOpen() const override { return Modal; }
    QString TreeFolder() const override { return Tree; }
    void RefreshFileList() override { Record("RefreshFileList"); }
    void RepaintGrid() override { Record("RepaintGrid"); }
    void Post(TMainMessage message) override {
        Record("Post", QString::number(static_cast<int>(message)));
    }
    void ShowImage() override { Record("ShowImage"); }
    bool IsSupportedImage(const QString& path) const override {
        return path.endsWith(".jpg") || path.endsWith(".png");
    }
    void SelectAndShowFile(const QString& path) override { Record("SelectAndShowFile", path); }
    void LoadBookmarkFile(const QString& path) override { Record("LoadBookmarkFile", path); }
    void CloseProgram() override { Record("CloseProgram"); }

    void StopActivity() override { Record("StopActivity"); }
    bool FullScreen() const override { return Full; }
    TWindowPlacement WindowPlacement() const override {
        Check("WindowPlacement");
        return Placement;
    }
    std::vector<TToolbarDock> ToolbarDocks() const override {
        Check("ToolbarDocks");
        return Docks;
    }
    TPanelGeometry PanelGeometry() const override {
        Check("PanelGeometry");
        return Panels;
    }
    bool BookmarkSelected() const override { return false; }

private:
    void Check(const QString& name) const {
        if (Failing.contains(name)) throw std::runtime_error(name.toStdString() + " failed");
    }
    void Record(const QString& name, const QString& arguments = {}) {
        Calls << name + u'(' + arguments + u')';
        Check(name);
    }
};

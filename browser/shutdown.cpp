#include "shutdown.h"

#include "frame_host.h"
#include "list_files.h"
#include "prompter.h"
#include "registry.h"
#include "settings_store.h"

#include <QFile>

namespace {

constexpr TRegHive User = TRegHive::CurrentUser;

void SaveFolderLists(TMainState& state, const TFolders& folders, TPrompter& prompter) {
    try {
        if (!state.FavoriteFolders.isEmpty() && !state.FavoriteFoldersReloadPending)
            WriteListFile(folders.whereisdata() + "favdir.txt", state.FavoriteFolders);
        if (!state.RecentFolders.isEmpty())
            WriteListFile(folders.whereisdata() + "dirs.lst", state.RecentFolders);
    } catch (const std::exception&) {
        prompter.Message(TPromptKind::Error, ShutdownMessages::FolderLists);
    }
    state.FavoriteFolders.clear();
    state.RecentFolders.clear();
}

void EncodeOptions(TMainState& state, const TFrameHost& host) {
    state.Options.SetValue(TOptionField::BrowseMode, state.BrowseMode);
    state.Options.ClearUnusedPositions();
    state.Settings.Options = state.Options.Encoded();
    if (state.Options.Flag(TOptionField::RememberFolder)) {
        const QString folder = host.TreeFolder();
        if (!folder.isEmpty()) state.Settings.LastDir = folder;
    }
}

void StorePlacement(TSettings& settings, const TFrameHost& host) {
    if (host.FullScreen()) return;
    const TWindowPlacement placement = host.WindowPlacement();
    settings.WPMax = placement.Maximised;
    if (placement.Maximised) return;
    settings.WPHeight = placement.Geometry.height();
    settings.WPWidth = placement.Geometry.width();
    settings.WPLeft = placement.Geometry.left();
    settings.WPTop = placement.Geometry.top();
}

// A failure in one step of the shutdown must not keep the settings from being written.
template <class Step>
void Attempt(Step&& step) {
    try {
        step();
    } catch (const std::exception&) {
    }
}

} // namespace

bool writereg(TMainState& state, TRegistry& registry, const TFrameHost& host, TPrompter& prompter,
              const TStoreContext& context) {
    // The window's parts are asked one by one: a failure in one costs only its values.
    bool complete = true;
    auto attempt = [&](auto&& step) {
        try {
            step();
        } catch (const std::exception&) {
            complete = false;
        }
    };
    attempt([&] { WriteToolbarDocks(registry, host.ToolbarDocks()); });
    registry.WriteString(User, SettingsKeys::Common, "Glimmet_Path", context.Folders.Program);
    if (registry.LoadState() == TRegLoadState::Unusable) {
        prompter.Message(TPromptKind::Error, ShutdownMessages::MainKey);
        return false;
    }
    TSettings& s = state.Settings;
    s.InstallDir = context.Folders.Program;
    s.ExePath = context.Executable;
    s.Version = ProductVersionText();
    TSettingsWriteConditions conditions;
    attempt([&] {
        conditions.FullScreen = host.FullScreen();
        conditions.BookmarkSelected = host.BookmarkSelected();
        if (!conditions.FullScreen)
            conditions.ModePanelShown =
                StorePanelSizes(host.PanelGeometry(), s.GMXLayout, state.BrowseMode, s);
    });
    attempt([&] {
        WriteSettings(registry, s, conditions);
        if (!state.HintsReset) WriteWarnings(registry, state.Warnings);
        registry.Save();
    });
    if (!complete) prompter.Message(TPromptKind::Error, ShutdownMessages::Writing);
    return complete;
}

void deleteoldfiles(QStringList& files) {
    files.removeIf([](const QString& file) { return QFile::remove(file) || !QFile::exists(file); });
}

void FormClose(TMainState& state, TRegistry& registry, TFrameHost& host, TPrompter& prompter,
               const TStoreContext& context) {
    if (state.StartupInProgress) return;
    Attempt([&] { host.StopActivity(); });
    deleteoldfiles(state.FilesToDelete);
    SaveFolderLists(state, context.Folders, prompter);
    Attempt([&] { EncodeOptions(state, host); });
    Attempt([&] { StorePlacement(state.Settings, host); });
    writereg(state, registry, host, prompter, context);
}

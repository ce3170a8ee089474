#include "setup.h"

#include "autoplay.h"
#include "frame_host.h"
#include "list_files.h"
#include "password.h"
#include "prompter.h"
#include "registry.h"
#include "safe_file.h"
#include "settings_store.h"
#include "user_folders.h"

#include <QFileInfo>

#include <utility>
#include <vector>

namespace {

constexpr TRegHive User = TRegHive::CurrentUser;

class TSetupRun {
public:
    TSetupRun(TMainState& state, TRegistry& registry, TFrameHost& host, TPrompter& prompter,
              const TSetupContext& context)
        : FState(state), FRegistry(registry), FHost(host), FPrompter(prompter), FContext(context) {}

    void Run() {
        using namespace SetupMessages;
        Guard(SettingOptions, [&] { FHost.PrepareWindow(); });
        Guard(SettingOptions, [&] { FindPictures(); });
        Guard(SettingOptions, [&] { LoadLists(); });
        Guard(SettingOptions, [&] { PrepareCache(); });
        Guard(SettingOptions, [&] { ResetWhenAsked(); });
        Guard(SettingOptions, [&] { FHost.ApplyToolbarDocks(ReadToolbarDocks(FRegistry)); });
        ReadStore();
        if (!PasswordAccepted()) {
            FState.CloseRequest = true;
            return;
        }
        ApplyOptions();
        Guard(StartUp, [&] { PrepareDescriptions(); });
        IgnoreFailure([&] { FHost.HideSplash(); });
        Guard(StartUp, [&] { ChooseStart(); });
        Guard(StartUp, [&] { CheckColourDepth(); });
        Guard(SettingOptions, [&] { FHost.ApplyThumbMode(FState.Settings.ThumbMode); });
        FState.StartupInProgress = false;
        FState.SetupFinished = true;
        FState.PendingDisplay = true;
    }

private:
    // Each message once per set-up, however many steps fail with it.
    void Report(TPromptKind kind, const QString& text) {
        if (FReported.contains(text)) return;
        FReported << text;
        if (FDeferring)
            FDeferred.emplace_back(kind, text);
        else
            Show(kind, text);
    }

    // The splash stays on top: it goes before any message that it could hide.
    void Show(TPromptKind kind, const QString& text) {
        IgnoreFailure([&] { FHost.HideSplash(); });
        FPrompter.Message(kind, text);
    }

    template <class Step>
    void Guard(const QString& message, Step&& step) {
        try {
            step();
        } catch (const std::exception&) {
            Report(TPromptKind::Error, message);
        }
    }

    template <class Step>
    void IgnoreFailure(Step&& step) {
        try {
            step();
        } catch (const std::exception&) {
        }
    }

    QString Data() const { return FContext.Folders.whereisdata(); }

    void FindPictures() {
        const QString sheetInvalid = Data() + "invalid.res";
        if (QFileInfo::exists(sheetInvalid)) FState.SheetInvalidPicture = sheetInvalid;
        const QString missing = FContext.Folders.Resources + "missing.res";
        const QString invalid = FContext.Folders.Resources + "invalid.res";
        if (QFileInfo::exists(missing) && QFileInfo::exists(invalid)) {
            FState.GridMissingPicture = missing;
            FState.GridUnsupportedPicture = invalid;
        }
    }

    void LoadLists() {
        FState.FilesToDelete.clear();
        FState.FavoriteFolders = ReadListFile(Data() + "favdir.txt").value_or(QStringList());
        SortFolderList(FState.FavoriteFolders);
        FState.RecentFolders = ReadListFile(Data() + "dirs.lst").value_or(QStringList());
    }

    void PrepareCache() {
        const QString cache = FContext.Folders.Cache;
        FState.CacheFolder =
            !cache.isEmpty() && EnsurePrivateFolder(cache) ? cache : FContext.Folders.Temporary;
    }

    bool ResetAsked() const {
        if (FContext.CommandLine.Request == TStartRequest::Reset) return true;
        try {
            return FRegistry.ReadString(User, SettingsKeys::Main, "DoReset")
                       .value_or(QString())
                       .toUpper() == u"TRUE";
        } catch (const ERegistryError&) {
            return false;
        }
    }

    // DoReset is set back to False whatever fails, so that a failed reset is not repeated at
    // every start: the store holds False in memory and is written again at exit.
    void ResetWhenAsked() {
        if (!ResetAsked()) return;
        bool failed = false;
        auto attempt = [&](auto&& step) {
            try {
                step();
            } catch (const std::exception&) {
                failed = true;
            }
        };
        attempt([&] { resetregistry(FRegistry, false); });
        attempt(
            [&] { FRegistry.WriteString(User, SettingsKeys::Main, "DoReset", BoolText(false)); });
        attempt([&] { FRegistry.Save(); });
        if (failed) Report(TPromptKind::Error, SetupMessages::Resetting);
    }

    void ReadStore() {
        using namespace SetupMessages;
        TSettings& s = FState.Settings;
        // Read when the window was created, before any reset.
        const bool largeToolbarImages = s.LargeToolbarImages;
        s = DefaultSettings(FContext.Screen);
        s.LargeToolbarImages = largeToolbarImages;
        const TRegLoadState load = FRegistry.LoadState();
        if (load == TRegLoadState::KeptAsBackup || load == TRegLoadState::Unusable)
            Report(TPromptKind::Error, Opening);
        bool typesAgree = true;
        bool opened = false;
        Guard(Opening, [&] {
            FRegistry.CreateKey(User, SettingsKeys::Main);
            opened = true;
        });
        if (opened)
            Guard(Loading, [&] { typesAgree &= ReadSettings(FRegistry, FContext.Screen, s); });
        Guard(SettingOptions, [&] { FHost.ApplyLayout(s.GMXLayout); });
        Guard(SettingOptions,
              [&] { FHost.ApplyBackground(s.OverrideBGColor ? s.BGColor : ColourBlack); });
        Guard(SettingOptions, [&] { FHost.SetExternalPrintCaption(ExternalPrintCaption(s)); });
        Guard(SettingOptions, [&] { FHost.ApplyBars(); });
        FState.NewVersion = s.Version != ProductVersionText();
        s.Version = ProductVersionText();
        Guard(Loading, [&] {
            FRegistry.CreateKey(User, SettingsKeys::Warning);
            typesAgree &= ReadWarnings(FRegistry, FState.Warnings);
        });
        if (!typesAgree) Report(TPromptKind::Error, Loading);
    }

    // A failure of the prompt itself never lets the user in.
    bool PasswordAccepted() {
        const int32_t handle = FState.Settings.TwainHandle;
        if (HasPassword(handle)) {
            IgnoreFailure([&] { FHost.HideSplash(); });
            try {
                if (RunPasswordPrompt(
                        handle, [&] { return FHost.AskPassword(); }, FPrompter) !=
                    TPasswordOutcome::Accepted)
                    return false;
            } catch (const std::exception&) {
                return false;
            }
        }
        FDeferring = false;
        for (const auto& [kind, text] : std::exchange(FDeferred, {})) Show(kind, text);
        const QString after = FState.Settings.AfterPWApp;
        if (HasPassword(handle) && !after.isEmpty())
            Guard(SetupMessages::PostPassword, [&] {
                if (!FHost.LaunchProgram(after))
                    Report(TPromptKind::Error, SetupMessages::PostPassword);
            });
        return true;
    }

    void DecodeStoredOptions() {
        const TOptionsDecode decoded = DecodeOptions(FState.Settings.Options, !FState.NewVersion);
        if (decoded.Malformed) Report(TPromptKind::Error, SetupMessages::Preferences);
        if (decoded.Corrupted) Report(TPromptKind::Warning, SetupMessages::Corrupted);
        FState.Options = decoded.Options;
        FState.BrowseMode = FState.Options.Value(TOptionField::BrowseMode);
    }

    // Every part on its own, so that one failure does not cost the window its placement.
    void ApplyOptions() {
        const QString& failure = SetupMessages::Preferences;
        TSettings& s = FState.Settings;
        Guard(failure, [&] { DecodeStoredOptions(); });
        Guard(failure, [&] {
            if (s.LastDir.isEmpty()) s.LastDir = FContext.Folders.GetFolder(TFolderKind::Pictures);
        });
        if (FState.NewVersion && !RunsFromRemovableMedium(FContext.Folders.Program))
            Guard(failure, [&] { CreateXPAutoPlay(FContext.Executable); });
        Guard(failure, [&] {
            if (QFileInfo(s.LastDir).isDir()) FHost.SetTreeFolder(s.LastDir);
        });
        Guard(failure, [&] {
            FHost.RestoreWindow({QRect(s.WPLeft, s.WPTop, s.WPWidth, s.WPHeight), s.WPMax});
        });
        Guard(failure, [&] {
            FHost.ApplyPanelSizes(StartPanelSizes(s, s.GMXLayout, FState.BrowseMode,
                                                  FContext.Screen, FHost.ClientSize()));
        });
        Guard(failure, [&] { FHost.UpdateFitIndicators(); });
        Guard(failure, [&] { FHost.FillFavoritesLists(s.CurrentBookmark); });
    }

    void PrepareDescriptions() {
        const QString path = Data() + "descrip.dat";
        if (!QFileInfo::exists(path))
            IgnoreFailure([&] { WriteFileAtomically(path, QByteArray("[Descriptions]\r\n")); });
        FState.DescriptionsFile = QFileInfo::exists(path) ? path : QString();
    }

    // The folder is listed whenever no start file is pending, whatever else the first argument
    // asked for.
    void ChooseStart() {
        const TCommandLine& line = FContext.CommandLine;
        if (line.Request == TStartRequest::Camera) FState.PendingCameraSource = line.CameraSource;
        if (line.Request == TStartRequest::File || line.Request == TStartRequest::Folder) {
            FState.PendingStartFile = line.First;
            return;
        }
        FHost.SelectModePage(FState.BrowseMode, false);
    }

    void CheckColourDepth() {
        if (FContext.Screen.Depth >= 16) return;
        if (FState.Warnings.WarningColour)
            FState.Warnings.WarningColour =
                FPrompter.ShowHint({"Windows Color Depth", SetupMessages::ColourDepth, true});
    }

    TMainState& FState;
    TRegistry& FRegistry;
    TFrameHost& FHost;
    TPrompter& FPrompter;
    const TSetupContext& FContext;
    bool FDeferring = true;
    std::vector<std::pair<TPromptKind, QString>> FDeferred;
    QStringList FReported;
};

} // namespace

void Setup(TMainState& state, TRegistry& registry, TFrameHost& host, TPrompter& prompter,
           const TSetupContext& context) {
    TSetupRun(state, registry, host, prompter, context).Run();
}

void resetregistry(TRegistry& registry, bool keepMainKey) {
    registry.DeleteKey(User, SettingsKeys::Warning);
    if (!keepMainKey) registry.DeleteKey(User, SettingsKeys::Main);
}

QString ExternalPrintCaption(const TSettings& settings) {
    const QString name = settings.ExternalPrintAppName.isEmpty()
                             ? QFileInfo(settings.ExternalPrintApp).completeBaseName()
                             : settings.ExternalPrintAppName;
    if (name.isEmpty()) return QStringLiteral("External Print...");
    return QStringLiteral("Print Images with %1...").arg(name);
}

bool RunsFromRemovableMedium(const QString& programFolder) {
    return programFolder.startsWith(u"/media/") || programFolder.startsWith(u"/run/media/");
}

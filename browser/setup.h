#pragma once
// The one-time set-up of the main window when it is first shown: lists and folders, the
// settings store, the options, the window placement, the start file and the start-up password.
// Every step is guarded on its own, so a failure costs only that step; set-up always runs to
// its end unless the password is refused. Nothing modal appears before the password prompt:
// messages of the earlier steps wait until the password has been accepted.

#include "command_line.h"
#include "folders.h"
#include "main_state.h"

class TFrameHost;
class TPrompter;
class TRegistry;

struct TSetupContext {
    TCommandLine CommandLine;
    TFolders Folders;
    QString Executable;
    TScreenMetrics Screen;
};

namespace SetupMessages {
inline const QString SettingOptions = QStringLiteral("Error encountered setting options!");
inline const QString StartUp = QStringLiteral("Error encountered on start up");
inline const QString Preferences = QStringLiteral(
    "Glimmet encountered an error loading your preferences from the registry, if this problem "
    "should continue please delete the registry key; "
    "'HKEY_CURRENT_USER\\Software\\Corvane\\Glimmet.");
inline const QString Loading =
    QStringLiteral("Error encountered loading user settings from registry!");
inline const QString Opening = QStringLiteral("Error encountered opening your registry file");
inline const QString Corrupted =
    QStringLiteral("Your options have been corrupted and will need to be reset.");
inline const QString Resetting = QStringLiteral("Error resetting registry");
inline const QString PostPassword = QStringLiteral(
    "There was a problem encountered whilst trying to run your specified post-password "
    "application.  You may have moved or deleted it.");
inline const QString ColourDepth = QStringLiteral(
    "Windows is currently set to display only 256 colors, you should change this settings to "
    "65,536 (16 bit) colors, otherwise images will not be displayed as quickly.");
} // namespace SetupMessages

void Setup(TMainState& state, TRegistry& registry, TFrameHost& host, TPrompter& prompter,
           const TSetupContext& context);

// Deletes the Warning key and, unless keepMainKey, the main key with all its subkeys.
void resetregistry(TRegistry& registry, bool keepMainKey);

// The caption of the external-print command for the program set, if any.
QString ExternalPrintCaption(const TSettings& settings);

// Whether the program folder lies on a removable medium, where no handler is registered.
bool RunsFromRemovableMedium(const QString& programFolder);

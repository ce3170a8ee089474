#pragma once
// Showing a file handed over from outside: the command line, a later start of the program, a
// file dropped on the window, the watch folder or the acquisition wizard. A folder is listed
// in Folders mode.

#include "main_state.h"

#include <QStringList>

class TFrameHost;
class TPrompter;

namespace DisplayMessages {
inline const QString Processing =
    QStringLiteral("Error processing file, it may be corrupted or no longer be available.");
inline const QString Launched = QStringLiteral("An image was launched but cannot be displayed");
} // namespace DisplayMessages

// An image is shown in Folders mode in its folder, a ".fvt" file is opened as a favorites list.
// Does nothing while a modal window is open.
void directshow(const QString& path, TMainState& state, TFrameHost& host, TPrompter& prompter);

// The command line of a later start: a camera argument becomes the pending camera source, an
// existing file or folder the pending start file, which the idle dispatcher shows once no modal
// window is open. A switch is ignored; anything else is reported as a file that cannot be shown.
void HandOver(const QStringList& arguments, TMainState& state, TPrompter& prompter);

#pragma once
// "Open in Editor": the file goes to the editor the settings name, after asking for one when
// none is set (or when the setting is "x", which asks every time it is met).

#include "launching.h"

#include <QString>

class TPrompter;
struct TSettings;

namespace LaunchTexts {
inline const QString NoEditor =
    QStringLiteral("Glimmet cannot launch this file because you have not specified the location "
                   "of your image editor in Options!  Do you want to do this now?");
inline const QString SelectProgram = QStringLiteral("Select External Viewing Program");
} // namespace LaunchTexts

// True when the editor started; false when the user gave none or it could not be started.
bool dolaunchfile(const QString& file, TSettings& settings, TPrompter& prompter,
                  const TProcessStarter& start = StartDetached);

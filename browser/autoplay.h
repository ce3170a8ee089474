#pragma once
// The AutoPlay handler: a desktop entry of the user's that offers the program for camera media
// (x-content/image-dcf) and starts it with "/CAM:" and the medium's folder.

#include <QString>

// $XDG_DATA_HOME/applications/glimmet-autoplay.desktop
QString AutoPlayEntryPath();
QString AutoPlayEntryText(const QString& executable);

// Raise EFileWriteError when the entry cannot be written.
void CreateXPAutoPlay(const QString& executable);
// True when there is no entry afterwards.
bool RemoveXPAutoPlay();

// A program path as one argument of a desktop entry's Exec line.
QString DesktopExecQuoted(const QString& argument);

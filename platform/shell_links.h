#pragma once
// Links to files: symbolic links for link drops, desktop entries for file-manager shortcuts.
// A name already taken gives "name(1).ext", "name(2).ext" ..., each tried by an exclusive
// create, so two callers never get one name.

#include <QString>

enum class TLinkForm { Symbolic, DesktopEntry };

// Makes a link to the absolute form of the target. A desktop entry gets the extension
// ".desktop" and is "Type=Application" for an executable target, else "Type=Link". Answers the
// path made; raises EQFileError when none could be made.
QString CreateLink(const QString& target, const QString& linkPath, TLinkForm form);

#pragma once
// Path and size texts shared by the dialogs and the file routines. Pure text: nothing here
// looks at the disk. The separator is "/" ("\" is an ordinary character of a name). A path's
// extension is what follows the last dot of its last component, with the dot; a leading dot
// (".hidden") starts none.

#include <QString>

#include <cstdint>
#include <functional>

class QDateTime;
class QWidget;

// "/" appended unless the text is empty or ends with "/". Blanks belong to the name.
QString AddSlash(const QString& path);
// One trailing "/" removed; "/" itself stays.
QString RemoveSlash(const QString& path);
// The last component.
QString FileNameOf(const QString& path);
// The folder part with its trailing "/"; empty for a bare name.
QString FolderOf(const QString& path);
// The extension with its dot ("." for a name ending in a dot); empty when there is none.
QString FileExtension(const QString& path);
// The file name without folder and extension.
QString JustName(const QString& path);

// Whether the extension passes a mask list such as "*.JPG; *.JPE;*.JPEG". Each mask is
// compared whole and without case, blanks around it ignored; a name without extension or
// ending in a dot has the extension ".NOTHING". Only the whole list "*.*" (or "*.*;") passes
// every file.
bool ExtInList(const QString& path, const QString& maskList);

// The path with the extension of its last component replaced by the given one (with its dot).
QString changeextension(const QString& path, const QString& extension);
// The last component of a folder path, a trailing "/" dropped.
QString ExtractFinalPath(const QString& folder);

// "999 bytes", "123,456 bytes", "1,206 Kb"; the short form turns to Kb after 3 digits.
QString bytestostr(int64_t count, bool shortForm);

// The path shortened until measure(text) <= width: folder components are replaced from the
// left by "...", then the root goes, then the folder part ("/home/u/p.jpg", "/.../u/p.jpg",
// "/.../p.jpg", ".../p.jpg", "p.jpg"). The file name alone is the last resort.
QString MinimizePathName(const QString& path, int width,
                         const std::function<int(const QString&)>& measure);
// The same for a window: its width minus the margin, measured with its font.
QString MinimizePathName(const QWidget& window, const QString& path, int margin);

// A date and time in the system's short format, usable in a file name: ":" becomes ".", "/"
// becomes "-" and a blank "_"; or, with removeCharacters, those three are dropped.
QString DateTimeFileText(const QDateTime& moment, bool removeCharacters = false);

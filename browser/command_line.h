#pragma once
// What the first command-line argument asks for; the others are not examined.

#include <QString>
#include <QStringList>

#include <optional>

enum class TStartRequest {
    None,      // no argument
    Uninstall, // exactly "/UNINSTALL"
    Reset,     // "/RESET" in any case
    Camera,    // "/CAM:" in any case at the start, then the camera source
    File,      // an existing file
    Folder,    // an existing folder, shown in Folders mode
    Other      // anything else, such as a file that is not there
};

struct TCommandLine {
    TStartRequest Request = TStartRequest::None;
    QString First;        // the first argument as given
    QString CameraSource; // for Camera
};

// The camera source of a camera argument. Only the start of the argument counts, since a path
// may contain "/CAM:" anywhere else.
std::optional<QString> isCameraParam(const QString& text);

// A switch, not a file: one of the program's switches in any case or an option ("-x", "--x").
bool IsSwitch(const QString& text);

// arguments without the program name.
TCommandLine ClassifyCommandLine(const QStringList& arguments);

#include "command_line.h"

#include <QFileInfo>

std::optional<QString> isCameraParam(const QString& text) {
    const QString prefix = QStringLiteral("/CAM:");
    if (!text.startsWith(prefix, Qt::CaseInsensitive)) return std::nullopt;
    return text.mid(prefix.size());
}

bool IsSwitch(const QString& text) {
    return text.startsWith(u'-') || text.compare(u"/UNINSTALL", Qt::CaseInsensitive) == 0 ||
           text.compare(u"/RESET", Qt::CaseInsensitive) == 0 || isCameraParam(text).has_value();
}

TCommandLine ClassifyCommandLine(const QStringList& arguments) {
    TCommandLine result;
    if (arguments.isEmpty() || arguments.front().isEmpty()) return result;
    result.First = arguments.front();
    if (result.First == u"/UNINSTALL") {
        result.Request = TStartRequest::Uninstall;
    } else if (result.First.compare(u"/RESET", Qt::CaseInsensitive) == 0) {
        result.Request = TStartRequest::Reset;
    } else if (std::optional<QString> source = isCameraParam(result.First)) {
        result.Request = TStartRequest::Camera;
        result.CameraSource = *source;
    } else if (QFileInfo(result.First).isFile()) {
        result.Request = TStartRequest::File;
    } else if (QFileInfo(result.First).isDir()) {
        result.Request = TStartRequest::Folder;
    } else {
        result.Request = TStartRequest::Other;
    }
    return result;
}

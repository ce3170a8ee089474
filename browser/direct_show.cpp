#include "direct_show.h"

#include "command_line.h"
#include "frame_host.h"
#include "path_text.h"
#include "prompter.h"

#include <QFileInfo>

void directshow(const QString& path, TMainState& state, TFrameHost& host, TPrompter& prompter) {
    if (host.ModalWindowOpen()) return;
    try {
        const QFileInfo file(path);
        if (file.suffix().compare(u"FVT", Qt::CaseInsensitive) == 0) {
            host.LoadBookmarkFile(path);
            host.SelectModePage(BrowseFavorites, true);
            return;
        }
        if (state.BrowseMode != BrowseFolders) host.SelectModePage(BrowseFolders, true);
        const QString folder =
            (file.isDir() ? file.absoluteFilePath() : file.absolutePath()) + u'/';
        if (host.TreeFolder() != folder) host.SetTreeFolder(folder);
        QString& filter = state.Settings.CurrentFilter;
        if (!filter.isEmpty() && !ExtInList(path, filter)) filter.clear();
        host.RefreshFileList();
        if (host.IsSupportedImage(path)) {
            state.CurrentFile = path;
            host.SelectAndShowFile(path);
        }
    } catch (const std::exception&) {
        prompter.Message(TPromptKind::Error, DisplayMessages::Processing);
    }
}

void HandOver(const QStringList& arguments, TMainState& state, TPrompter& prompter) {
    const TCommandLine line = ClassifyCommandLine(arguments);
    switch (line.Request) {
    case TStartRequest::Camera:
        state.PendingCameraSource = line.CameraSource;
        break;
    case TStartRequest::File:
    case TStartRequest::Folder:
        state.PendingStartFile = line.First;
        break;
    case TStartRequest::Other:
        if (!IsSwitch(line.First)) prompter.Message(TPromptKind::Error, DisplayMessages::Launched);
        break;
    case TStartRequest::None:
    case TStartRequest::Uninstall:
    case TStartRequest::Reset:
        // Switches are for the starting program; none names a file to show.
        break;
    }
}

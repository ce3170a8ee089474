// The entry point: the uninstall request, the hand-over to a running instance, the splash and
// the main window.

#include "autoplay.h"
#include "companion_windows.h"
#include "frm_main.h"
#include "frm_splash.h"
#include "metafile_readers.h"
#include "qt_prompter.h"
#include "registry.h"
#include "single_instance.h"
#include "user_folders.h"

#include <QApplication>
#include <QFileInfo>
#include <QScreen>
#include <QSocketNotifier>

#include <csignal>
#include <cstring>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Qt would otherwise make a runtime folder of its own under /tmp.
void ExportRuntimeFolder() {
    if (qEnvironmentVariableIsSet("XDG_RUNTIME_DIR")) return;
    const QString folder = RuntimeFolder();
    if (!folder.isEmpty()) qputenv("XDG_RUNTIME_DIR", QFile::encodeName(folder));
}

TScreenMetrics ScreenMetrics() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return {};
    return {screen->geometry().width(), screen->geometry().height(),
            static_cast<int>(screen->logicalDotsPerInch()), screen->depth()};
}

int SignalSockets[2] = {-1, -1};

void OnTerminate(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(SignalSockets[1], &byte, 1);
}

// A session that ends, or a kill, closes the windows as the user would, so the settings are
// written; the handler only wakes the event loop.
void CloseOnTermination(QObject& owner) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, SignalSockets) != 0) return;
    struct sigaction action {};
    action.sa_handler = OnTerminate;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(signal, &action, nullptr);
    auto* notifier = new QSocketNotifier(SignalSockets[0], QSocketNotifier::Read, &owner);
    QObject::connect(notifier, &QSocketNotifier::activated, &owner, [] {
        char byte = 0;
        [[maybe_unused]] const ssize_t read = ::read(SignalSockets[0], &byte, 1);
        QApplication::closeAllWindows();
        QCoreApplication::quit();
    });
}

} // namespace

int main(int argc, char** argv) {
    // Handled in the starting process, before any hand-over and without a window.
    if (argc > 1 && std::strcmp(argv[1], "/UNINSTALL") == 0) return RemoveXPAutoPlay() ? 0 : 1;
    ExportRuntimeFolder();
    QApplication application(argc, argv);
    InstallMetafileReaders();
    QApplication::setApplicationName("Glimmet");
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    TSingleInstance instance(RuntimeFolder());
    const TInstanceRole role = instance.Start(arguments);
    if (role == TInstanceRole::HandedOver) return 0;

    const TPrivateTempFolder temporary;
    const QString data = EnsurePrivateFolder(DataFolder()) ? DataFolder() : temporary.Path();
    const TFolders folders = UserFolders(data, temporary.Path());
    const QString executable = QCoreApplication::applicationFilePath();
    TRegistry registry;
    TQtPrompter prompter;
    TQtCompanionWindows companions;
    TfrmMain window(
        {registry, prompter, companions, arguments, folders, executable, ScreenMetrics()});
    prompter.SetParentWindow(&window);
    auto* splash = new TfrmSplash(
        folders.Resources + QFileInfo(executable).completeBaseName() + ".spl", ProductVersion());
    splash->show();
    splash->repaint();
    window.SetSplash(splash);
    if (role == TInstanceRole::First)
        instance.OnInstanceStarted = [&window](const QStringList& later) {
            window.InstanceStarted(later);
        };
    CloseOnTermination(window);
    window.show();
    return QApplication::exec();
}

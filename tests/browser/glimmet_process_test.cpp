// The program itself, between real processes in a temporary home: a later start hands its file
// to the running program and ends, "/UNINSTALL" is handled by the starting process alone, and a
// terminated program writes its settings and leaves nothing in the temporary folder.

#include "autoplay.h"
#include "platform_test_support.h"
#include "registry.h"
#include "settings_store.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>

namespace {

class TProgram {
public:
    explicit TProgram(const QStringList& arguments, const QString& workingFolder = {}) {
        FProcess.setProcessChannelMode(QProcess::ForwardedChannels);
        if (!workingFolder.isEmpty()) FProcess.setWorkingDirectory(workingFolder);
        FProcess.start(GLIMMET_BINARY, arguments);
        FProcess.waitForStarted();
    }
    ~TProgram() {
        if (FProcess.state() == QProcess::NotRunning) return;
        FProcess.kill();
        FProcess.waitForFinished();
    }
    bool EndedCleanly(int timeoutMs = 30000) {
        return FProcess.waitForFinished(timeoutMs) &&
               FProcess.exitStatus() == QProcess::NormalExit && FProcess.exitCode() == 0;
    }
    bool Running() const { return FProcess.state() == QProcess::Running; }

    void Terminate() { ::kill(static_cast<pid_t>(FProcess.processId()), SIGTERM); }

private:
    QProcess FProcess;
};

bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 30000) {
    const QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired()) return false;
        QThread::msleep(20);
    }
    return true;
}

TEST(GlimmetProcess, LaterStartsAndTermination) {
    TTempHome home;
    {
        TRegistry registry;
        for (const char* modal : {"GetStarted", "TipsOnStart"})
            registry.WriteString(TRegHive::CurrentUser, SettingsKeys::Main, modal, "False");
        registry.Save();
    }
    QDir().mkpath(home.Path() + "pics");
    WriteWholeFile(home.Path() + "pics/b.pgm", "P5\n2 2\n255\n\x10\x20\x30\x40");

    TProgram first({});
    // A new version registers the AutoPlay handler during set-up.
    ASSERT_TRUE(WaitFor([] { return QFile::exists(AutoPlayEntryPath()); }));

    TProgram second({"b.pgm"}, home.Path() + "pics");
    EXPECT_TRUE(second.EndedCleanly());
    // One more round trip: the running program has dealt with the first by the time it answers.
    TProgram third({});
    EXPECT_TRUE(third.EndedCleanly());

    TProgram uninstall({"/UNINSTALL"});
    EXPECT_TRUE(uninstall.EndedCleanly());
    EXPECT_FALSE(QFile::exists(AutoPlayEntryPath()));
    EXPECT_TRUE(first.Running());

    first.Terminate();
    EXPECT_TRUE(first.EndedCleanly());
    const TRegistry saved;
    EXPECT_EQ(saved.ReadString(TRegHive::CurrentUser, SettingsKeys::Main, "LastDir"),
              home.Path() + "pics/");
    EXPECT_EQ(
        QDir(home.Path() + "tmp").entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
        QStringList());
}

} // namespace

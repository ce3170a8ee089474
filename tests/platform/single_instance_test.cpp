#include "single_instance.h"

#include "platform_test_support.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QProcess>

#include <gtest/gtest.h>

#include <memory>

namespace {

// One start of the helper program (see single_instance_helper.cpp).
class THelper {
public:
    THelper(const QString& mode, const QString& runtime, int timeoutMs,
            const QStringList& arguments = {}, const QString& workingFolder = {}) {
        FProcess.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        if (!workingFolder.isEmpty()) FProcess.setWorkingDirectory(workingFolder);
        FProcess.start(GLIMMET_SINGLE_INSTANCE_HELPER,
                       QStringList{mode, runtime, QString::number(timeoutMs)} + arguments);
    }
    ~THelper() {
        if (FProcess.state() != QProcess::NotRunning) {
            FProcess.kill();
            FProcess.waitForFinished();
        }
    }

    // The next line printed, or "<none>" when none came in time.
    QString ReadLine(int timeoutMs = 15000) {
        const QDeadlineTimer deadline(timeoutMs);
        while (!FProcess.canReadLine())
            if (!FProcess.waitForReadyRead(static_cast<int>(deadline.remainingTime())))
                return FProcess.canReadLine() ? ReadLine(0) : QStringLiteral("<none>");
        return QString::fromUtf8(FProcess.readLine()).trimmed();
    }
    // Lets a first instance's handler return (or a hanging one end).
    void Release() { FProcess.write("\n"); }
    bool Ended(int timeoutMs = 15000) {
        return FProcess.waitForFinished(timeoutMs) &&
               FProcess.exitStatus() == QProcess::NormalExit && FProcess.exitCode() == 0;
    }
    bool Running() const { return FProcess.state() == QProcess::Running; }
    void Crash() {
        FProcess.kill();
        FProcess.waitForFinished();
    }

private:
    QProcess FProcess;
};

QString Runtime(const TTempHome& home) {
    return home.Path() + "runtime/";
}

TEST(SingleInstance, SenderMakesRelativeArgumentsAbsolute) {
    const QStringList given = {"photo.jpg", "./a b.png",       "../shared/x.fvt", "/abs/p.jpg",
                               "/RESET",    "/CAM:/media/cam", "-style",          ""};
    const QStringList expected = {"/home/u/photo.jpg",
                                  "/home/u/a b.png",
                                  "/home/shared/x.fvt",
                                  "/abs/p.jpg",
                                  "/RESET",
                                  "/CAM:/media/cam",
                                  "-style",
                                  ""};
    EXPECT_EQ(TSingleInstance::AbsoluteArguments(given, "/home/u"), expected);
}

TEST(SingleInstance, LaterStartHandsOverAndIsAcknowledgedBeforeTheHandlerRuns) {
    TTempHome home;
    QDir().mkpath(home.Path() + "pics");
    THelper first("serve", Runtime(home), 5000);
    ASSERT_EQ(first.ReadLine(), "role first");

    THelper second("serve", Runtime(home), 10000, {"photo.jpg", "/RESET"}, home.Path() + "pics");
    EXPECT_EQ(second.ReadLine(), "role handed-over");
    EXPECT_TRUE(second.Ended());

    EXPECT_EQ(first.ReadLine(), "arg " + home.Path() + "pics/photo.jpg");
    EXPECT_EQ(first.ReadLine(), "arg /RESET");
    EXPECT_EQ(first.ReadLine(), "received");
    // The handler is still blocked, and the sender has long finished.
    EXPECT_TRUE(first.Running());
    first.Release();
    EXPECT_TRUE(first.Ended());
}

TEST(SingleInstance, TwoSimultaneousStartsMakeOneFirstInstance) {
    TTempHome home;
    THelper a("serve", Runtime(home), 10000, {"/a.jpg"});
    THelper b("serve", Runtime(home), 10000, {"/b.jpg"});
    const QString roleA = a.ReadLine(), roleB = b.ReadLine();
    QStringList roles = {roleA, roleB};
    roles.sort();
    ASSERT_EQ(roles, (QStringList{"role first", "role handed-over"}));
    THelper& first = roleA == "role first" ? a : b;
    EXPECT_EQ(first.ReadLine(), &first == &a ? "arg /b.jpg" : "arg /a.jpg");
    first.Release();
    EXPECT_TRUE(first.Ended());
}

TEST(SingleInstance, RecoversFromACrashedFirstInstance) {
    TTempHome home;
    {
        THelper crashed("serve", Runtime(home), 5000);
        ASSERT_EQ(crashed.ReadLine(), "role first");
        crashed.Crash();
    }
    ASSERT_TRUE(QFileInfo::exists(Runtime(home) + "glimmet.socket")); // stale
    THelper next("serve", Runtime(home), 5000);
    ASSERT_EQ(next.ReadLine(), "role first");
    THelper sender("serve", Runtime(home), 10000, {"/p.jpg"});
    EXPECT_EQ(sender.ReadLine(), "role handed-over");
    EXPECT_EQ(next.ReadLine(), "arg /p.jpg");
    next.Release();
}

TEST(SingleInstance, GivesUpOnAFirstInstanceThatDoesNotAnswer) {
    TTempHome home;
    THelper hung("hang", Runtime(home), 5000);
    ASSERT_EQ(hung.ReadLine(), "role first");
    THelper sender("serve", Runtime(home), 500, {"/p.jpg"});
    EXPECT_EQ(sender.ReadLine(), "role alone");
    EXPECT_TRUE(sender.Ended());
    hung.Release();
    EXPECT_TRUE(hung.Ended());
}

TEST(SingleInstance, DropsMalformedMessagesAndServesOn) {
    TTempHome home;
    THelper first("serve", Runtime(home), 5000);
    ASSERT_EQ(first.ReadLine(), "role first");
    const std::vector<QByteArray> malformed = {
        QByteArray("\xff\xff\xff\xff", 4), // longer than allowed
        QByteArray("\x00\x00\x00\x03"
                   "abc",
                   7), // no terminating zero
        QByteArray("\x00\x00\x00\x02"
                   "a\0"
                   "extra",
                   10), // bytes after the message
    };
    for (const QByteArray& message : malformed) {
        QLocalSocket socket;
        socket.connectToServer(Runtime(home) + "glimmet.socket");
        ASSERT_TRUE(socket.waitForConnected(5000));
        socket.write(message);
        socket.waitForBytesWritten(5000);
        EXPECT_FALSE(socket.waitForReadyRead(1000) && socket.bytesAvailable() > 0);
    }
    THelper sender("serve", Runtime(home), 10000, {"/ok.jpg"});
    EXPECT_EQ(sender.ReadLine(), "role handed-over");
    EXPECT_EQ(first.ReadLine(), "arg /ok.jpg");
    first.Release();
}

TEST(SingleInstance, RunsAloneWithoutAUsableRuntimeFolder) {
    for (const QString& folder :
         {QString(), QString("relative/"), QString("/nonexistent/folder/")}) {
        TSingleInstance instance(folder);
        EXPECT_EQ(instance.Start({}, std::chrono::milliseconds(100)), TInstanceRole::Alone)
            << folder.toStdString();
    }
}

} // namespace

#include "file_routines.h"
#include "launching.h"
#include "platform_test_support.h"
#include "shell_links.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <gtest/gtest.h>

namespace {

TEST(Links, SymbolicLinksPointAtTheAbsoluteTargetAndNumberCollisions) {
    TTempHome home;
    const QString p = home.Path();
    WriteWholeFile(p + "pic.jpg", "x");
    QDir::setCurrent(p);
    QStringList made;
    for (int i = 0; i < 3; ++i)
        made << CreateLink("pic.jpg", p + "pic link.jpg", TLinkForm::Symbolic);
    EXPECT_EQ(made,
              (QStringList{p + "pic link.jpg", p + "pic link(1).jpg", p + "pic link(2).jpg"}));
    EXPECT_EQ(QFileInfo(p + "pic link(2).jpg").symLinkTarget(), p + "pic.jpg");
    EXPECT_EQ(QFile::symLinkTarget(p + "pic link.jpg"), p + "pic.jpg");
    EXPECT_THROW(CreateLink(p + "pic.jpg", p + "missing/x.jpg", TLinkForm::Symbolic), EQFileError);
    QDir::setCurrent("/");
}

TEST(Links, DesktopEntriesForFilesAndPrograms) {
    TTempHome home;
    const QString p = home.Path();
    WriteWholeFile(p + "pic 1.jpg", "x");
    WriteWholeFile(p + "tool", "#!/bin/sh\n");
    QFile::setPermissions(p + "tool", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(CreateLink(p + "pic 1.jpg", p + "shortcut.lnk", TLinkForm::DesktopEntry),
              p + "shortcut.desktop");
    EXPECT_EQ(CreateLink(p + "tool", p + "shortcut.lnk", TLinkForm::DesktopEntry),
              p + "shortcut(1).desktop");
    const QByteArray link = ReadWholeFile(p + "shortcut.desktop");
    EXPECT_TRUE(link.contains("Type=Link\n")) << link.toStdString();
    EXPECT_TRUE(link.contains("URL=file://" + QFile::encodeName(p) + "pic%201.jpg\n"));
    const QByteArray program = ReadWholeFile(p + "shortcut(1).desktop");
    EXPECT_TRUE(program.contains("Type=Application\n")) << program.toStdString();
    EXPECT_EQ(DesktopEntryCommand(p + "shortcut(1).desktop", "/a b.jpg"),
              (QStringList{p + "tool", "/a b.jpg"}));
}

class Launching : public ::testing::Test {
protected:
    Launching() {
        WriteWholeFile(Editor, "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"" +
                                   QFile::encodeName(p) + "argv.tmp\"\nmv \"" +
                                   QFile::encodeName(p) + "argv.tmp\" \"" + QFile::encodeName(p) +
                                   "argv\"\n");
        QFile::setPermissions(Editor, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    // What the stub editor was given, one argument a line; waits for it to run.
    QByteArray Received() const {
        QElapsedTimer clock;
        clock.start();
        while (!QFileInfo::exists(p + "argv") && clock.elapsed() < 20000) QThread::msleep(20);
        return QFileInfo::exists(p + "argv") ? ReadWholeFile(p + "argv") : QByteArray("<none>");
    }

    TTempHome Home;
    const QString p = Home.Path();
    const QString Editor = p + "editor";
};

TEST_F(Launching, TheFileArrivesAsOneArgumentWhateverItHolds) {
    const QString file = p + "it's a \"quoted\" $HOME `x`.jpg";
    WriteWholeFile(file, "x");
    ASSERT_TRUE(_LaunchFile(Editor, file));
    EXPECT_EQ(Received(), QFile::encodeName(file) + "\n");
}

TEST_F(Launching, AProgramNamedLikeTheFileIsNeverRun) {
    const QString setup = p + "setup.EXE";
    WriteWholeFile(setup, "#!/bin/sh\ntouch \"" + QFile::encodeName(p) + "ran\"\n");
    QFile::setPermissions(setup, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    ASSERT_TRUE(_LaunchFile(Editor, setup));
    EXPECT_EQ(Received(), QFile::encodeName(setup) + "\n");
    EXPECT_FALSE(QFileInfo::exists(p + "ran"));
}

TEST_F(Launching, DesktopEntriesRunTheirExecWithFieldCodes) {
    WriteWholeFile(p + "editor.desktop",
                   "[Desktop Entry]\nName=Pic Edit\nIcon=pe\nExec=\"" + QFile::encodeName(Editor) +
                       "\" --title=%c %i \"a\\\\\\\\$b\" 100%% %f\n[Other]\nExec=nothing\n");
    QStringList seen;
    const auto record = [&](const QString& program, const QStringList& arguments) {
        seen = QStringList{program} + arguments;
        return true;
    };
    ASSERT_TRUE(_LaunchFile(p + "editor.desktop", "/p/x y.jpg", false, record));
    EXPECT_EQ(seen, (QStringList{Editor, "--title=Pic Edit", "--icon", "pe", "a\\$b", "100%",
                                 "/p/x y.jpg"}));
    WriteWholeFile(p + "plain.desktop", "[Desktop Entry]\nExec=gimp %U --new\n");
    EXPECT_EQ(DesktopEntryCommand(p + "plain.desktop", "/p/a b.jpg"),
              (QStringList{"gimp", "file:///p/a%20b.jpg", "--new"}));
    WriteWholeFile(p + "nofile.desktop", "[Desktop Entry]\nExec=viewer --fast\n");
    EXPECT_EQ(DesktopEntryCommand(p + "nofile.desktop", "/p/a.jpg"),
              (QStringList{"viewer", "--fast", "/p/a.jpg"}));
    EXPECT_FALSE(_LaunchFile(p + "missing.desktop", "/p/a.jpg", false, record));
}

} // namespace

#include "autoplay.h"

#include "platform_test_support.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

TEST(AutoPlay, EntryStartsTheProgramWithTheCameraArgument) {
    TTempHome home;
    CreateXPAutoPlay("/opt/glimmet/bin/glimmet");
    const QString path = home.Path() + "data/applications/glimmet-autoplay.desktop";
    EXPECT_EQ(AutoPlayEntryPath(), path);
    const QString text = QString::fromUtf8(ReadWholeFile(path));
    EXPECT_TRUE(text.startsWith("[Desktop Entry]\n"));
    EXPECT_TRUE(text.contains("\nExec=/opt/glimmet/bin/glimmet /CAM:%f\n")) << text.toStdString();
    EXPECT_TRUE(text.contains("\nMimeType=x-content/image-dcf;\n"));
    EXPECT_TRUE(text.contains("\nComment=Copy pictures to my computer\n"));

    EXPECT_TRUE(RemoveXPAutoPlay());
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_TRUE(RemoveXPAutoPlay());
}

TEST(AutoPlay, ProgramPathsAreQuotedForTheExecLine) {
    EXPECT_EQ(DesktopExecQuoted("/usr/bin/glimmet"), "/usr/bin/glimmet");
    EXPECT_EQ(DesktopExecQuoted("/home/u/my apps/glimmet"), "\"/home/u/my apps/glimmet\"");
    EXPECT_EQ(DesktopExecQuoted("/x/$HOME/a\"b"), "\"/x/\\$HOME/a\\\"b\"");
    EXPECT_EQ(DesktopExecQuoted("/x/100%/g"), "/x/100%%/g");
    // The entry's own escaping doubles the backslashes of the quoting.
    EXPECT_TRUE(AutoPlayEntryText("/x/a\"b").contains("Exec=\"/x/a\\\\\"b\" /CAM:%f\n"));
}

} // namespace

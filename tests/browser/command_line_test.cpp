#include "command_line.h"

#include "platform_test_support.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {

TEST(CommandLine, OnlyTheFirstArgumentIsClassified) {
    QTemporaryDir dir;
    const QString image = dir.path() + "/a.jpg";
    // On Linux a path may hold "/CAM:" in the middle; it is still a file.
    QDir(dir.path()).mkdir("CAM:x");
    const QString camLikePath = dir.path() + "/CAM:x/b.jpg";
    WriteWholeFile(image, "x");
    WriteWholeFile(camLikePath, "x");
    struct TCase {
        QStringList Arguments;
        TStartRequest Request;
        QString CameraSource;
    };
    const TCase cases[] = {
        {{}, TStartRequest::None, {}},
        {{""}, TStartRequest::None, {}},
        {{"/UNINSTALL"}, TStartRequest::Uninstall, {}},
        {{"/uninstall"}, TStartRequest::Other, {}},
        {{"/reset"}, TStartRequest::Reset, {}},
        {{"/ReSeT", "/UNINSTALL"}, TStartRequest::Reset, {}},
        {{"/CAM:/media/u/CANON"}, TStartRequest::Camera, "/media/u/CANON"},
        {{"/cam:E:\\"}, TStartRequest::Camera, "E:\\"},
        {{"/CAM:"}, TStartRequest::Camera, ""},
        {{camLikePath}, TStartRequest::File, {}},
        {{image, "/RESET"}, TStartRequest::File, {}},
        {{dir.path() + "/missing.jpg"}, TStartRequest::Other, {}},
        {{dir.path()}, TStartRequest::Folder, {}},
    };
    for (const TCase& c : cases) {
        const TCommandLine line = ClassifyCommandLine(c.Arguments);
        EXPECT_EQ(line.Request, c.Request) << c.Arguments.join(u' ').toStdString();
        EXPECT_EQ(line.CameraSource, c.CameraSource);
    }
    EXPECT_EQ(isCameraParam("x/CAM:y"), std::nullopt);
}

} // namespace

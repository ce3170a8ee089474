// The Qt test programs share one QApplication (offscreen), made by a global environment so that
// listing the tests needs no display. Qt gets a private runtime folder of the run's own, as the
// program gives it one.

#include <QApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace {

class TQtEnvironment : public ::testing::Environment {
public:
    explicit TQtEnvironment(char* Name) : FArgv{Name, nullptr} {}

    void SetUp() override {
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        if (!qEnvironmentVariableIsSet("XDG_RUNTIME_DIR")) {
            FRuntime = std::make_unique<QTemporaryDir>();
            qputenv("XDG_RUNTIME_DIR", QFile::encodeName(FRuntime->path()));
        }
        FApplication = std::make_unique<QApplication>(FArgc, FArgv);
    }
    void TearDown() override {
        FApplication.reset();
        FRuntime.reset();
    }

private:
    std::unique_ptr<QTemporaryDir> FRuntime;
    int FArgc = 1;
    char* FArgv[2];
    std::unique_ptr<QApplication> FApplication;
};

} // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new TQtEnvironment(argv[0]));
    return RUN_ALL_TESTS();
}

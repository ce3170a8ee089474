// The browser tests share one QApplication (offscreen, set by CMake), made by a global
// environment so that listing the tests needs no display.

#include <QApplication>

#include <gtest/gtest.h>

#include <memory>

namespace {

class TQtEnvironment : public ::testing::Environment {
public:
    void SetUp() override { FApplication = std::make_unique<QApplication>(FArgc, FArgv); }
    void TearDown() override { FApplication.reset(); }

private:
    int FArgc = 1;
    char FName[16] = "browser_tests";
    char* FArgv[2] = {FName, nullptr};
    std::unique_ptr<QApplication> FApplication;
};

} // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new TQtEnvironment);
    return RUN_ALL_TESTS();
}

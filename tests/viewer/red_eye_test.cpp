// The red-eye binding against a recording stand-in for the correction library.

#include "fake_clarend.h"
#include "red_eye.h"
#include "scripted_prompter.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

namespace {

const QString LibraryMissing =
    "The Red Eye library, libclarend2.so, cannot be located in your program folder.";

struct TCall {
    int32_t Left, Top, Right, Bottom;
    bool operator==(const TCall&) const = default;
};

std::ostream& operator<<(std::ostream& out, const TCall& c) {
    return out << "(" << c.Left << ", " << c.Top << ", " << c.Right << ", " << c.Bottom << ")";
}

std::vector<TCall> recordedCalls() {
    std::vector<TCall> calls;
    for (int i = 0; i < FakeRedEyeCallCount(); ++i) {
        const TFakeRedEyeCall& c = FakeRedEyeCalls()[i];
        calls.push_back({c.Left, c.Top, c.Right, c.Bottom});
    }
    return calls;
}

class RedEyeBinding : public ::testing::Test {
protected:
    void SetUp() override {
        ReleaseRedEyeLibrary();
        SetRedEyeLibraryPath(RED_EYE_FAKE_LIBRARY);
        FakeRedEyeReset(nullptr, 0);
        Source.SetSizeAndFormat(20, 16, pf24Bit);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 20; ++x) Source.SetPixelColor(x, y, PGColor(90, 80, 70));
        Target.SetSizeAndFormat(3, 2, pf24Bit);
        Target.SetPixelColor(1, 1, PGColor(1, 2, 3));
    }
    void TearDown() override {
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << "the hourglass stayed";
        ReleaseRedEyeLibrary();
        SetRedEyeLibraryPath({});
    }

    void expectTargetUntouched() const {
        EXPECT_EQ(Target.Width(), 3);
        EXPECT_EQ(Target.GetPixelColor(1, 1), PGColor(1, 2, 3));
    }
    void script(std::initializer_list<int32_t> results) {
        FakeRedEyeReset(results.begin(), int(results.size()));
    }

    TPixelGraphic Source, Target;
    TScriptedPrompter Prompter;
};

TEST_F(RedEyeBinding, SelectionIsSplitIntoTwoEyesEachCorrectedStrongestWithRegionGrowing) {
    const struct {
        const char* Name;
        TPGRect Rect;
        std::vector<TCall> Calls;
    } cases[] = {
        {"square: upper and lower half", {2, 3, 12, 13}, {{2, 3, 12, 8}, {2, 8, 12, 13}}},
        {"one wider than high: left and right half",
         {2, 3, 13, 13},
         {{2, 3, 7, 13}, {7, 3, 13, 13}}},
        {"1 x 1: an empty upper half, then the pixel", {4, 5, 5, 6}, {{4, 5, 5, 5}, {4, 5, 5, 6}}},
        {"past the edges: clipped first", {-4, 10, 30, 40}, {{0, 10, 10, 16}, {10, 10, 20, 16}}},
    };
    for (const auto& c : cases) {
        FakeRedEyeReset(nullptr, 0);
        ASSERT_TRUE(RemoveRedEye(Source, c.Rect, Target, Prompter)) << c.Name;
        EXPECT_EQ(recordedCalls(), c.Calls) << c.Name;
        for (int i = 0; i < FakeRedEyeCallCount(); ++i) {
            const TFakeRedEyeCall& call = FakeRedEyeCalls()[i];
            EXPECT_EQ(call.Level, 2) << c.Name;
            EXPECT_EQ(call.Method, 2) << c.Name;
            EXPECT_EQ(call.Width, 20) << c.Name;
            EXPECT_EQ(call.Height, 16) << c.Name;
        }
        // The stand-in marks the first pixel of each non-empty half it corrected.
        for (const TCall& half : c.Calls) {
            if (half.Right <= half.Left || half.Bottom <= half.Top) continue;
            EXPECT_EQ(PGBlue(Target.GetPixelColor(half.Left, half.Top)), FakeRedEyeMark) << c.Name;
        }
        EXPECT_EQ(Target.Width(), 20) << c.Name;
        EXPECT_EQ(Source.GetPixelColor(c.Calls[1].Left, c.Calls[1].Top), PGColor(90, 80, 70))
            << c.Name << ": the source changed";
    }
    EXPECT_TRUE(Prompter.Shown().empty());
}

TEST_F(RedEyeBinding, SelectionOutsideThePictureDoesNothingAndSaysNothing) {
    for (TPGRect rect : {TPGRect{20, 0, 30, 10}, TPGRect{0, 16, 10, 20}, TPGRect{5, 5, 5, 9},
                         TPGRect{9, 9, 3, 3}}) {
        EXPECT_FALSE(RemoveRedEye(Source, rect, Target, Prompter));
        EXPECT_EQ(FakeRedEyeCallCount(), 0);
        expectTargetUntouched();
    }
    EXPECT_TRUE(Prompter.Shown().empty());
}

TEST_F(RedEyeBinding, LibraryRefusalsAreReportedWithTheirCode) {
    const struct {
        std::initializer_list<int32_t> Results;
        int Calls;
        QString Message;
    } cases[] = {
        {{0, -1}, 2, "Error -1 was encountered whilst performing red eye removal on your image"},
        {{-2}, 1, "Error -2 was encountered whilst performing red eye removal on your image"},
    };
    for (const auto& c : cases) {
        TScriptedPrompter prompter;
        script(c.Results);
        EXPECT_FALSE(RemoveRedEye(Source, {2, 2, 12, 12}, Target, prompter));
        EXPECT_EQ(FakeRedEyeCallCount(), c.Calls);
        EXPECT_EQ(prompter.ShownTexts(), QStringList{c.Message});
        ASSERT_EQ(prompter.Shown().size(), 1u);
        const TPrompt& shown = std::get<TPrompt>(prompter.Shown()[0]);
        EXPECT_EQ(shown.Kind, TPromptKind::Warning);
        EXPECT_EQ(shown.Buttons, std::vector<TPromptAnswer>{TPromptAnswer::OK});
        expectTargetUntouched();
    }
}

TEST_F(RedEyeBinding, PicturesTheLibraryCannotReadAreRefusedBeforeTheCall) {
    TPixelGraphic palette;
    palette.SetSizeAndFormat(20, 16, pf8Bit);
    palette.SetPaletteIdent(pSpecial252);
    EXPECT_FALSE(RemoveRedEye(palette, {2, 2, 12, 12}, Target, Prompter));
    EXPECT_EQ(
        Prompter.ShownTexts(),
        QStringList{"Error -1 was encountered whilst performing red eye removal on your image"});
    EXPECT_EQ(FakeRedEyeCallCount(), 0);
    expectTargetUntouched();

    TScriptedPrompter prompter;
    const TPixelGraphic empty;
    EXPECT_FALSE(RemoveRedEye(empty, {0, 0, 4, 4}, Target, prompter));
    EXPECT_EQ(
        prompter.ShownTexts(),
        QStringList{"An error was encountered whilst performing red eye removal on the image"});
    expectTargetUntouched();
}

TEST_F(RedEyeBinding, UnusableLibraryIsReportedAndTriedAgainNextTime) {
    const QString missing = QDir::temp().filePath("no-such-folder/libclarend2.so");
    for (const QString& path : {missing, QString(RED_EYE_NO_EXPORT_LIBRARY)}) {
        TScriptedPrompter prompter;
        SetRedEyeLibraryPath(path);
        EXPECT_FALSE(RemoveRedEye(Source, {2, 2, 12, 12}, Target, prompter)) << path.toStdString();
        EXPECT_FALSE(RemoveRedEye(Source, {2, 2, 12, 12}, Target, prompter)) << path.toStdString();
        EXPECT_EQ(prompter.ShownTexts(), (QStringList{LibraryMissing, LibraryMissing}))
            << path.toStdString();
        expectTargetUntouched();
    }
    SetRedEyeLibraryPath(RED_EYE_FAKE_LIBRARY);
    EXPECT_TRUE(RemoveRedEye(Source, {2, 2, 12, 12}, Target, Prompter)) << "the retry loads";
    EXPECT_EQ(FakeRedEyeCallCount(), 2);
}

TEST_F(RedEyeBinding, OnlyAnAbsolutePathIsLoaded) {
    const QFileInfo fake(RED_EYE_FAKE_LIBRARY);
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(fake.absolutePath()));
    SetRedEyeLibraryPath("./" + fake.fileName());
    EXPECT_FALSE(LoadRedEyeLibrary(Prompter));
    QDir::setCurrent(before);
    EXPECT_EQ(Prompter.ShownTexts(), QStringList{LibraryMissing});
}

TEST_F(RedEyeBinding, LoadsFromTheProgramFolderByDefault) {
    SetRedEyeLibraryPath({});
    EXPECT_EQ(RedEyeLibraryPath(), QCoreApplication::applicationDirPath() + "/libclarend2.so");
}

} // namespace

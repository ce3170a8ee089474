// The save routine on temporary files: every writable extension, the JPEG quality asked or
// remembered, and saves that fail without costing the old file.

#include "convert_dlg.h"

#include "format_registry.h"
#include "safe_write_checks.h"
#include "scripted_prompter.h"
#include "test_support.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

namespace fs = std::filesystem;

// A writer that gives up half-way, as one meeting a full disk does.
class TFailingWriter : public TFileFormatWriter {
public:
    TFailingWriter()
        : TFileFormatWriter("TFailingWriter", "fail", "Failing", PGAllResolutions, false) {}
    void WriteImage(TStream& stream, TPixelGraphic&) const override {
        stream.WriteBuffer("half", 4);
        throw EPixelGraphic("FAIL: no space left on the device");
    }
};

// Registered before the registry is first used, which is after main starts.
const bool failingWriterRegistered = [] {
    AddFormatRegistration(
        [](TPGRegistry& registry) { registry.AddWriter(std::make_unique<TFailingWriter>()); });
    return true;
}();

void paintGradient(TPixelGraphic& image) {
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x)
            image.SetPixelColor(x, y, PGColor(40 + 8 * x, 60 + 10 * y, 200 - 5 * x));
}

// The picture a writer stores as it is: true colour, else 256 greys, else black and white.
void makePictureFor(const TFileFormatWriter& writer, TPixelGraphic& image) {
    const auto can = [&](TPGResolution c) { return writer.CanWriteResolutions & (1u << c); };
    if (can(resTrueColor)) {
        image.SetSizeAndFormat(16, 8, pf24Bit);
        paintGradient(image);
        return;
    }
    const bool grey = can(resGray256);
    image.SetSizeAndFormat(16, 8, grey ? pf8Bit : pf1Bit);
    image.SetPaletteIdent(grey ? pGray256 : pBlackWhite);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x)
            image.SetPixel(x, y, grey ? static_cast<uint32_t>(16 * x + y) : (x + y) % 2);
}

int largestChannelDifference(const TPixelGraphic& a, const TPixelGraphic& b) {
    int largest = 0;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x) {
            const uint32_t p = a.GetPixelColor(x, y), q = b.GetPixelColor(x, y);
            for (int shift : {0, 8, 16})
                largest = std::max(largest,
                                   std::abs(int((p >> shift) & 0xFF) - int((q >> shift) & 0xFF)));
        }
    return largest;
}

// The first value of the file's first quantisation table, which the quality scales.
int firstQuantValue(const fs::path& file) {
    const std::vector<uint8_t> bytes = ReadFileBytes(file);
    for (size_t i = 0; i + 5 < bytes.size(); ++i)
        if (bytes[i] == 0xFF && bytes[i + 1] == 0xDB) return bytes[i + 5];
    return -1;
}

class SaveImage : public ::testing::Test {
protected:
    SaveImage() {
        EXPECT_TRUE(failingWriterRegistered);
        Edit.SetSizeAndFormat(16, 8, pf24Bit);
        paintGradient(Edit);
        // As the main window installs it.
        SetPGWarningBox([this](const std::string& caption, const std::string& text, bool cancel) {
            TPrompt prompt{TPromptKind::Warning,
                           QString::fromStdString(caption),
                           QString::fromStdString(text),
                           {TPromptAnswer::OK},
                           {}};
            if (cancel) prompt.Buttons.push_back(TPromptAnswer::Cancel);
            return Prompter.Ask(prompt) == TPromptAnswer::OK;
        });
        Convert.SetQualityAsker([this](const TJPEGQuestion& question) {
            Asked.push_back(question);
            return Answer;
        });
    }
    ~SaveImage() override { SetPGWarningBox(nullptr); }

    QString pathOf(const std::string& name) const {
        return QString::fromStdString((Dir / name).string());
    }
    QString saveError(const std::string& name) const {
        return "Error encountered saving the file, " + pathOf(name) + "!";
    }

    TTempDir Dir;
    TPixelGraphic Edit;
    int32_t DefaultQuality = 85;
    bool AlwaysUseDefault = true;
    TScriptedPrompter Prompter;
    TConvertdlg Convert{Edit, {DefaultQuality, AlwaysUseDefault}, Prompter};
    std::vector<TJPEGQuestion> Asked;
    TJPEGChoice Answer{60, true};
};

TEST_F(SaveImage, EveryWritableExtensionDecodesBackToThePicture) {
    std::vector<std::pair<std::string, const TFileFormatWriter*>> targets;
    for (const auto& writer : PGRegistry().Writers())
        if (writer->ClassName != "TFailingWriter")
            targets.emplace_back(writer->Extension, writer.get());
    // ".jpe" has no writer of its own: the JPEG writer takes it.
    targets.emplace_back("jpe", &PGRegistry().FindWriter("jpg"));
    for (const auto& [extension, writer] : targets) {
        SCOPED_TRACE(extension);
        makePictureFor(*writer, Edit);
        const std::string name = "picture." + extension;
        ASSERT_TRUE(Convert.saveimage(pathOf(name)));
        TPixelGraphic back;
        back.LoadFromFile(Dir / name);
        ASSERT_EQ(back.Width(), Edit.Width());
        ASSERT_EQ(back.Height(), Edit.Height());
        const bool lossy = writer->ClassName.find("JPG") != std::string::npos ||
                           writer->ClassName.find("JPEG") != std::string::npos ||
                           writer->ClassName.find("JIF") != std::string::npos;
        EXPECT_LE(largestChannelDifference(back, Edit), lossy ? 24 : 0);
    }
    EXPECT_TRUE(Prompter.Shown().empty());
    EXPECT_TRUE(Asked.empty()) << "the default quality is used without asking";
}

TEST_F(SaveImage, AsksTheQualityAndRemembersItWhenToldNotToPromptAgain) {
    AlwaysUseDefault = false;
    ASSERT_TRUE(Convert.saveimage(pathOf("first.jpg")));
    ASSERT_EQ(Asked.size(), 1u);
    EXPECT_EQ(Asked[0].Position, 85);
    EXPECT_TRUE(Asked[0].OfferDefault);
    EXPECT_EQ(DefaultQuality, 60);
    EXPECT_TRUE(AlwaysUseDefault);
    // libjpeg scales the base table's 16 by 200 - 2 x 60 percent.
    EXPECT_EQ(firstQuantValue(Dir / "first.jpg"), 13);

    ASSERT_TRUE(Convert.saveimage(pathOf("second.JPEG")));
    EXPECT_EQ(Asked.size(), 1u) << "the second save does not ask";
    EXPECT_EQ(firstQuantValue(Dir / "second.JPEG"), 13);
}

TEST_F(SaveImage, AQualityChosenOnceIsNotRemembered) {
    AlwaysUseDefault = false;
    Answer = {30, false};
    ASSERT_TRUE(Convert.saveimage(pathOf("once.jpe")));
    EXPECT_EQ(firstQuantValue(Dir / "once.jpe"), 27); // 16 x 166 %
    EXPECT_EQ(DefaultQuality, 85);
    EXPECT_FALSE(AlwaysUseDefault);
}

TEST_F(SaveImage, BatchToolsAskWithTheirOwnPromptAndNoCheckBox) {
    Answer = {45, true};
    EXPECT_EQ(Convert.askJPEGcompression("Quality of the thumbnails?"), 45);
    ASSERT_EQ(Asked.size(), 1u);
    EXPECT_EQ(Asked[0].Prompt, "Quality of the thumbnails?");
    EXPECT_EQ(Asked[0].Position, 80);
    EXPECT_FALSE(Asked[0].OfferDefault);
    EXPECT_EQ(DefaultQuality, 85);
}

TEST_F(SaveImage, AGreyingTheUserAcceptsIsSaved) {
    Prompter.QueueAnswer(TPromptAnswer::OK);
    ASSERT_TRUE(Convert.saveimage(pathOf("converted.pgm")));
    ASSERT_EQ(Prompter.ShownTexts().size(), 1);
    TPixelGraphic back;
    back.LoadFromFile(Dir / "converted.pgm");
    EXPECT_EQ(back.Width(), 16);
}

enum class TFailure { Writer, ColourQuestion, ReadOnlyFolder, NoGifWriter };

struct TFailureCase {
    const char* Why;
    TFailure Failure;
    std::string Name;
    bool OldFile;
};

TEST_F(SaveImage, AFailedSaveLeavesTheOldFileAndSaysSo) {
    const TFailureCase cases[] = {
        {"a writer that gives up", TFailure::Writer, "photo.fail", true},
        {"a colour question cancelled", TFailure::ColourQuestion, "photo.pbm", true},
        {"a read-only folder and file", TFailure::ReadOnlyFolder, "ro/photo.png", true},
        {"a new file in a read-only folder", TFailure::ReadOnlyFolder, "ro/new.png", false},
        {"GIF has no writer", TFailure::NoGifWriter, "photo.gif", false},
    };
    for (const TFailureCase& c : cases) {
        SCOPED_TRACE(c.Why);
        fs::remove_all(Dir / "ro");
        fs::create_directories(Dir / "ro");
        const std::string oldBytes = "the old picture";
        if (c.OldFile) safe_write::WriteBytes(Dir / c.Name, oldBytes);
        const safe_write::TEntries before = safe_write::Snapshot(Dir.Path());
        safe_write::TReadOnly readOnly;
        if (c.Failure == TFailure::ReadOnlyFolder) {
            if (readOnly.Folder(Dir / "ro") == 0) GTEST_SKIP() << "no read-only folders here";
            if (c.OldFile) readOnly.File(Dir / c.Name);
        }
        TScriptedPrompter prompter;
        Prompter.QueueAnswer(TPromptAnswer::Cancel); // for the library's box, when it asks
        TConvertdlg convert{Edit, {DefaultQuality, AlwaysUseDefault}, prompter};

        EXPECT_FALSE(convert.saveimage(pathOf(c.Name)));
        EXPECT_EQ(prompter.ShownTexts(), QStringList{saveError(c.Name)});
        ASSERT_EQ(prompter.Shown().size(), 1u);
        EXPECT_EQ(std::get<TPrompt>(prompter.Shown()[0]).Kind, TPromptKind::Warning);
        EXPECT_EQ(Prompter.Pending(), c.Failure == TFailure::ColourQuestion ? 0u : 1u);
        EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "the busy pointer is back to normal";
        EXPECT_EQ(safe_write::Snapshot(Dir.Path()), before) << "nothing written, nothing left";
        Prompter = TScriptedPrompter();
    }
}

TEST_F(SaveImage, ALinkStillPointsAtTheSavedPicture) {
    // The registry's branch and the JPEG writer's own.
    for (const std::string extension : {"png", "jpe"}) {
        SCOPED_TRACE(extension);
        const std::string photo = "photo." + extension, link = "link." + extension;
        safe_write::Make(Dir.Path(), {{photo, "old"}, {link, "-> " + photo}});
        ASSERT_TRUE(Convert.saveimage(pathOf(link)));
        ASSERT_TRUE(fs::is_symlink(Dir / link));
        EXPECT_EQ(fs::read_symlink(Dir / link), photo);
        TPixelGraphic back;
        back.LoadFromFile(Dir / photo);
        ASSERT_EQ(back.Width(), Edit.Width());
        EXPECT_LE(largestChannelDifference(back, Edit), extension == "png" ? 0 : 24);
    }
}

} // namespace

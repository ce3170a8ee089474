#include "file_description.h"

#include "comma_text.h"
#include "descriptions.h"
#include "main_window_services.h"
#include "platform_test_support.h"
#include "safe_file.h"
#include "scripted_prompter.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

using A = TPromptAnswer;

// The main window as the command sees it: a selection in list order and a runner that records
// the progress texts.
class TFakeServices : public TMainWindowServices {
public:
    explicit TFakeServices(TPrompter& prompter) : FPrompter(prompter) {}

    TSettings& Settings() override { return FSettings; }
    TWarningFlags& Warnings() override { return FWarnings; }
    TPrompter& Prompter() override { return FPrompter; }
    QString GetFolder(TFolderKind) const override { return {}; }
    std::optional<QString> FixPath(const QString& path, bool) const override { return path; }
    void writereg() override {}
    bool showwarning(const QString&, const QString&, bool) override { return true; }
    void directshow(const QString&) override {}
    void resetregistry(bool) override {}

    int SelectedCount() const override { return static_cast<int>(Selection.size()); }
    void RunForSelection(const std::function<QString(const QString&)>& progress,
                         const std::function<void(const QString&)>& step) override {
        for (const QString& file : Selection) {
            if (file == FailAt) throw std::runtime_error("the list changed");
            Progress << progress(file);
            step(file);
        }
    }

    QStringList Selection;
    QString FailAt;
    QStringList Progress;

private:
    TPrompter& FPrompter;
    TSettings FSettings;
    TWarningFlags FWarnings;
};

class FileDescription : public ::testing::Test {
protected:
    FileDescription() {
        WriteWholeFile(Path, "[Descriptions]\r\n");
        for (const QString& file : Three) Store.assigninidescription(file, "old");
        Writes = 0;
        Services.Selection = Three;
    }
    void Run() {
        mkFileDescription(Services, Store, Focus, "memo text", [this] { ++InfoShown; });
    }

    TTempHome Home;
    const QString Path = Home.Path() + "descrip.dat";
    const QStringList Three = {"/p/c.jpg", "/p/a.jpg", "/p/b b.jpg"};
    TScriptedPrompter Prompter;
    int Writes = 0;
    TDescriptionStore Store{Path, Prompter, [this](const QString& path, const QByteArray& bytes) {
                                ++Writes;
                                WriteFileAtomically(path, bytes);
                            }};
    TFakeServices Services{Prompter};
    bool Focus = false;
    int InfoShown = 0;
};

TEST_F(FileDescription, OneFileOrNoneOpensTheInformationWindowOnItsMemo) {
    for (const QStringList& selection : {QStringList{"/p/a.jpg"}, QStringList{}}) {
        Services.Selection = selection;
        Focus = false;
        Run();
        EXPECT_TRUE(Focus);
    }
    EXPECT_EQ(InfoShown, 2);
    EXPECT_TRUE(Prompter.Shown().empty());
}

TEST_F(FileDescription, ThreeFilesGetTheAnswerInOneWrite) {
    Prompter.QueueTextAnswer(ToCommaText({"Beach at dusk", "day two"}));
    Run();
    ASSERT_EQ(Prompter.Shown().size(), 1u);
    const auto& question = std::get<TTextQuestion>(Prompter.Shown()[0]);
    EXPECT_EQ(question.Caption, "Image Description");
    EXPECT_EQ(question.Message,
              "What description would you like to assign to the 3 selected files?  Note:  Any "
              "existing description on any of these files will be removed!");
    EXPECT_EQ(question.Initial, "memo text");
    EXPECT_EQ(question.Limit, -1);
    for (const QString& file : Three)
        EXPECT_EQ(TDescriptionStore(Path, Prompter).ReadDescription(file),
                  "\"Beach at dusk\",\"day two\"");
    EXPECT_EQ(Writes, 1);
    EXPECT_EQ(Services.Progress, (QStringList{"Adding a description to the file, c.jpg",
                                              "Adding a description to the file, a.jpg",
                                              "Adding a description to the file, b b.jpg"}));
    EXPECT_EQ(InfoShown, 0);
}

TEST_F(FileDescription, AnEmptyAnswerAsksBeforeRemovingAll) {
    struct TCase {
        A Confirm;
        QString Left;
    };
    for (const TCase& c : {TCase{A::Cancel, "old"}, TCase{A::OK, ""}}) {
        Prompter.QueueTextAnswer("");
        Prompter.QueueAnswer(c.Confirm);
        Run();
        EXPECT_EQ(Prompter.ShownTexts().last(), FileDescriptionTexts::RemoveAll);
        for (const QString& file : Three) EXPECT_EQ(Store.ReadDescription(file), c.Left);
    }
    EXPECT_EQ(ReadWholeFile(Path), "[Descriptions]\r\n");
}

TEST_F(FileDescription, CancelChangesNothing) {
    Prompter.QueueTextAnswer(std::nullopt);
    Run();
    EXPECT_EQ(Writes, 0);
    EXPECT_EQ(Prompter.Shown().size(), 1u);
    EXPECT_EQ(Store.ReadDescription("/p/a.jpg"), "old");
}

TEST_F(FileDescription, AnErrorInTheRunWarnsAndKeepsWhatWasDone) {
    Services.FailAt = "/p/a.jpg";
    Prompter.QueueTextAnswer("new");
    Run();
    EXPECT_EQ(Prompter.ShownTexts().last(), FileDescriptionTexts::Failed);
    EXPECT_EQ(TDescriptionStore(Path, Prompter).ReadDescription("/p/c.jpg"), "new");
    EXPECT_EQ(Store.ReadDescription("/p/a.jpg"), "old");
}

} // namespace

#include "dlg_file_info.h"

#include "descriptions.h"
#include "platform_test_support.h"
#include "scripted_prompter.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class FileInfoWindow : public ::testing::Test {
protected:
    FileInfoWindow() {
        QDir().mkpath(Folder);
        QFile::copy(GLIMMET_TEST_DATA "/bmp/im-24-v3.bmp", File);
        WriteWholeFile(StorePath, "[Descriptions]\r\n");
    }
    QByteArray Stored() const { return ReadWholeFile(StorePath); }
    // Opens the window as the command does and leaves it open for the test.
    void Open(TdlgFileInfo& window) {
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    TTempHome Home;
    const QString Folder = Home.Path() + "holiday pictures/beach and sea/day one/";
    const QString File = Folder + "shore.bmp";
    const QString StorePath = Home.Path() + "descrip.dat";
    TScriptedPrompter Prompter;
    TDescriptionStore Store{StorePath, Prompter};
    bool FocusDescription = false;
};

TEST_F(FileInfoWindow, LabelsShowTheFileFactsAndAShortenedFolder) {
    TdlgFileInfo window(File, Store, FocusDescription);
    Open(window);
    EXPECT_EQ(window.windowTitle(), "Image Information");
    EXPECT_EQ(window.lblImage->text(), "shore.bmp");
    EXPECT_EQ(window.lblType->text(), "Bitmap, Windows, RGB");
    EXPECT_EQ(window.lblOptions->text(), "None");
    EXPECT_EQ(window.lblDimensions->text(), "13 (w) x 7 (h)");
    EXPECT_TRUE(window.lblColors->text().endsWith(" (24 bits/pixel)"))
        << window.lblColors->text().toStdString();
    EXPECT_EQ(window.lblImages->text(), "1");
    EXPECT_EQ(window.lblSize->text(), "334 bytes");
    EXPECT_NE(window.lblDate->text(), "Unknown");
    EXPECT_EQ(window.lblLocation->toolTip(), Folder);

    window.resize(200, window.height());
    const QString shortened = window.lblLocation->text();
    EXPECT_TRUE(shortened.contains("...")) << shortened.toStdString();
    EXPECT_TRUE(shortened.endsWith("/")) << shortened.toStdString();
    EXPECT_FALSE(shortened.contains('\\'));
    EXPECT_LE(window.lblLocation->fontMetrics().horizontalAdvance(shortened),
              window.lblLocation->width());
}

TEST_F(FileInfoWindow, AFileThatCannotBeReadLeavesItsFactsEmpty) {
    const TFileInfoTexts missing = FileInfoTexts(Folder + "gone.jpg");
    EXPECT_EQ(missing.Image, "gone.jpg");
    EXPECT_EQ(missing.Type, "");
    EXPECT_EQ(missing.Size, "");
    EXPECT_EQ(missing.Date, "Unknown");
    WriteWholeFile(Folder + "noise.bmp", "BM not a bitmap");
    const TFileInfoTexts noise = FileInfoTexts(Folder + "noise.bmp");
    EXPECT_EQ(noise.Dimensions, "");
    EXPECT_EQ(noise.Size, "15 bytes");
}

TEST_F(FileInfoWindow, OkWithoutAnEditWritesNothing) {
    Store.assigninidescription(File, "\"Beach at dusk\"");
    const QByteArray before = Stored();
    TdlgFileInfo window(File, Store, FocusDescription);
    Open(window);
    EXPECT_EQ(window.txtDescription->toPlainText(), "Beach at dusk");
    EXPECT_FALSE(window.chkdescrchanged->isChecked());
    EXPECT_FALSE(window.chkdescrchanged->isVisible());
    window.btnok->click();
    EXPECT_EQ(window.result(), QDialog::Accepted);
    EXPECT_EQ(Stored(), before);
    EXPECT_FALSE(FocusDescription);
}

TEST_F(FileInfoWindow, EditedLinesAreStoredAndAnEmptiedMemoDeletes) {
    {
        TdlgFileInfo window(File, Store, FocusDescription);
        Open(window);
        window.txtDescription->setPlainText("first\nsecond line");
        EXPECT_TRUE(window.chkdescrchanged->isChecked());
        window.btnok->click();
    }
    EXPECT_TRUE(Stored().contains("shore.bmp=>first,\"second line\"<\r\n"));
    EXPECT_TRUE(FocusDescription);
    {
        TdlgFileInfo window(File, Store, FocusDescription);
        Open(window);
        window.txtDescription->clear();
        window.btnok->click();
    }
    EXPECT_EQ(Stored(), "[Descriptions]\r\n");
}

TEST_F(FileInfoWindow, CancelKeepsTheDescription) {
    Store.assigninidescription(File, "kept");
    TdlgFileInfo window(File, Store, FocusDescription);
    Open(window);
    window.txtDescription->setPlainText("changed");
    window.btncancel->click();
    EXPECT_EQ(window.result(), QDialog::Rejected);
    EXPECT_EQ(Store.ReadDescription(File), "kept");
}

TEST_F(FileInfoWindow, TheFlagSendsTheFocusToTheMemoOnce) {
    struct TCase {
        bool Flag;
        bool MemoFocused;
    };
    for (const TCase c : {TCase{true, true}, TCase{false, false}}) {
        FocusDescription = c.Flag;
        TdlgFileInfo window(File, Store, FocusDescription);
        Open(window);
        EXPECT_EQ(window.focusWidget() == window.txtDescription, c.MemoFocused) << c.Flag;
        EXPECT_EQ(window.focusWidget() == window.btnok, !c.MemoFocused) << c.Flag;
        EXPECT_FALSE(FocusDescription);
    }
}

TEST_F(FileInfoWindow, ALongStoredTextIsShownWholeAndTypingStopsAtTheMemoLimit) {
    Store.assigninidescription(File, QString(400, u'w'));
    {
        TdlgFileInfo window(File, Store, FocusDescription);
        Open(window);
        EXPECT_EQ(window.txtDescription->toPlainText().size(), 400);
        window.btnok->click();
    }
    EXPECT_EQ(Store.ReadDescription(File).size(), 400);
    Store.assigninidescription(File, "");
    TdlgFileInfo window(File, Store, FocusDescription);
    Open(window);
    window.txtDescription->setPlainText(QString(300, u'x'));
    EXPECT_EQ(window.txtDescription->toPlainText().size(), 255);
}

TEST(MemoCommaText, LinesBothWays) {
    QPlainTextEdit memo;
    setcommatext(memo, "first,\"second line\"");
    EXPECT_EQ(memo.toPlainText(), "first\nsecond line");
    EXPECT_EQ(readcommatext(memo), "first,\"second line\"");
    memo.clear();
    EXPECT_EQ(readcommatext(memo), ""); // an empty memo has no lines
}

} // namespace

// The edit dialogs on the offscreen platform: their widgets drive their models, and OK changes
// the edit image as the model says.

#include "dlg_crop.h"
#include "dlg_jpeg.h"
#include "dlg_resize.h"
#include "dlg_rotate.h"
#include "dlg_zoom.h"
#include "pg_image.h"
#include "scripted_prompter.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

void typeInto(QWidget* box, const QString& text) {
    box->setFocus();
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(box, text);
}

void paint(TPixelGraphic& image, int w, int h) {
    image.SetSizeAndFormat(w, h, pf24Bit);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) image.SetPixelColor(x, y, PGColor(x * 2, y * 3, 100));
}

// The gauge as the main window's: what it showed, and what it was asked to do meanwhile.
struct TGaugeRecord {
    std::vector<int> Shown;
    int Hidden = 0;
    std::function<void()> WhileShown, WhenHidden;
    TProgressGauge Gauge{[this](int percent) {
                             Shown.push_back(percent);
                             if (WhileShown) WhileShown();
                         },
                         [this] {
                             ++Hidden;
                             if (WhenHidden) WhenHidden();
                         }};
};

// What the caller hands a dialog, with a gauge and a help that record.
struct TCaller {
    explicit TCaller(TPixelGraphic& edit)
        : Call{edit, Prompter, Gauge.Gauge, [this](int topic) { Topics.push_back(topic); }} {}
    TScriptedPrompter Prompter;
    TGaugeRecord Gauge;
    std::vector<int> Topics;
    TEditCall Call;
};

// Runs the dialog's own event loop, whose first turn presses OK; a dialog still open after ten
// seconds is ended with -1.
int execPressingOK(TEditDialog& dialog) {
    QTimer::singleShot(0, &dialog, [&dialog] { dialog.btnOK->click(); });
    QTimer::singleShot(10000, &dialog, [&dialog] { dialog.done(-1); });
    return dialog.exec();
}

TEST(JPEGDialog, TheBoxAndTheTrackDriveEachOtherAndEscapeMeansOK) {
    TdlgJPEG dialog({QString(), 85, true});
    dialog.show();
    EXPECT_EQ(dialog.QualityTrack->value(), 85);
    typeInto(dialog.QualityEdit, "ab");
    EXPECT_EQ(dialog.QualityTrack->value(), 75);
    QTest::keyClick(dialog.QualityEdit, Qt::Key_Return);
    EXPECT_EQ(dialog.QualityEdit->text(), "75");
    EXPECT_TRUE(dialog.isVisible()) << "Enter belongs to the box";
    typeInto(dialog.QualityEdit, "1234");
    EXPECT_EQ(dialog.QualityEdit->text(), "123") << "3 characters";
    dialog.QualityTrack->setValue(42);
    EXPECT_EQ(dialog.QualityEdit->text(), "42");
    dialog.Chksetasdefault->setChecked(true);
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Choice(), (TJPEGChoice{42, true}));
}

TEST(JPEGDialog, TheBatchQuestionHasItsPromptAndNoCheckBox) {
    TdlgJPEG dialog({"For all the pictures:", 80, false});
    dialog.show();
    dialog.Chksetasdefault->setChecked(true);
    EXPECT_EQ(dialog.PromptLabel->text(), "For all the pictures:");
    EXPECT_TRUE(dialog.Chksetasdefault->isHidden());
    dialog.close();
    EXPECT_EQ(dialog.result(), QDialog::Accepted) << "the close box counts as OK";
    EXPECT_EQ(dialog.Choice(), (TJPEGChoice{80, false}));
}

TEST(ResizeDialog, TypingInOneBoxFillsTheOthers) {
    TPixelGraphic edit;
    paint(edit, 1000, 750);
    TCaller caller(edit);
    TdlgResize dialog(caller.Call);
    dialog.show();
    typeInto(dialog.spnwidth, "333");
    EXPECT_EQ(dialog.spnwidthperc->value(), 33);
    EXPECT_EQ(dialog.spnheightperc->value(), 33);
    EXPECT_EQ(dialog.Spnheight->value(), 247);
    // The toggle recomputes from the width percentage: 33 % of 1000.
    dialog.chkMaintainAspect->setChecked(false);
    EXPECT_EQ(dialog.spnwidth->value(), 330);
    typeInto(dialog.spnheightperc, "50");
    EXPECT_EQ(dialog.Spnheight->value(), 375);
    EXPECT_EQ(dialog.spnwidth->value(), 330);
    EXPECT_EQ(dialog.Model().HeightPixels(), 375);
}

TEST(ResizeDialog, AWidthPastTheBoxesIsShownAsItIs) {
    TPixelGraphic edit;
    paint(edit, 12000, 3);
    TCaller caller(edit);
    TdlgResize dialog(caller.Call);
    EXPECT_EQ(dialog.spnwidth->value(), 12000);
    EXPECT_FALSE(dialog.Model().ResizeWanted());
}

TEST(ResizeDialog, OKResamplesAsAJobWhileTheDialogStaysOpen) {
    TPixelGraphic edit;
    paint(edit, 1000, 750);
    TCaller caller(edit);
    TdlgResize dialog(caller.Call);
    dialog.spnwidthperc->setValue(50);
    std::vector<int> widthsWhileWorking;
    int heldControls = 0;
    caller.Gauge.WhileShown = [&] {
        widthsWhileWorking.push_back(edit.Width());
        heldControls += dialog.Working() && !dialog.btnOK->isEnabled() &&
                        !dialog.spnwidth->isEnabled() && dialog.isVisible();
    };
    EXPECT_EQ(execPressingOK(dialog), QDialog::Accepted);
    EXPECT_TRUE(dialog.Changed());
    EXPECT_EQ(edit.Width(), 500);
    EXPECT_EQ(edit.Height(), 375);
    ASSERT_GT(caller.Gauge.Shown.size(), 1u) << "progress arrives from the worker";
    EXPECT_EQ(heldControls, int(caller.Gauge.Shown.size()));
    EXPECT_EQ(widthsWhileWorking, std::vector<int>(widthsWhileWorking.size(), 1000))
        << "the edit image is replaced only when the job is done";
    EXPECT_EQ(caller.Gauge.Hidden, 1);
}

TEST(ResizeDialog, ASizeBeyondTheCapIsToldAndLeavesThePicture) {
    TPixelGraphic edit;
    paint(edit, 60000, 4);
    TCaller caller(edit);
    TdlgResize dialog(caller.Call);
    dialog.spnwidthperc->setValue(9999);
    EXPECT_EQ(execPressingOK(dialog), QDialog::Accepted) << "the dialog closes with OK";
    EXPECT_FALSE(dialog.Changed());
    ASSERT_EQ(caller.Prompter.Shown().size(), 1u);
    EXPECT_EQ(std::get<TPrompt>(caller.Prompter.Shown()[0]).Kind, TPromptKind::Error);
    EXPECT_FALSE(caller.Prompter.ShownTexts()[0].isEmpty());
    EXPECT_EQ(edit.Width(), 60000);
    EXPECT_EQ(edit.GetPixelColor(7, 2), PGColor(14, 6, 100));
    EXPECT_EQ(caller.Gauge.Hidden, 1);
}

TEST(ResizeDialog, OKAtAHundredPercentClosesWithoutAJob) {
    TPixelGraphic edit;
    paint(edit, 1000, 750);
    TCaller caller(edit);
    TdlgResize dialog(caller.Call);
    dialog.spnwidth->setValue(1005);
    EXPECT_EQ(execPressingOK(dialog), QDialog::Accepted);
    EXPECT_FALSE(dialog.Changed());
    EXPECT_EQ(edit.Width(), 1000);
    EXPECT_TRUE(caller.Gauge.Shown.empty());
}

// An edit dialog whose work goes on until it is asked to stop.
class TStallingDialog : public TEditDialog {
public:
    explicit TStallingDialog(const TEditCall& call) : TEditDialog(call, 1) {
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(Buttons);
    }

protected:
    std::optional<TEditOperation> Operation() override {
        return [](const TPixelGraphic& source, const TPGProgressEvent& progress) {
            auto copy = NewImageLike(source, 2, 2);
            for (bool abort = false; !abort;) {
                progress(*copy, 1, 2, abort);
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
            return copy;
        };
    }
};

TEST(EditDialog, CancelDuringTheJobStopsItAndKeepsTheDialogOpen) {
    TPixelGraphic edit;
    paint(edit, 8, 6);
    TCaller caller(edit);
    TStallingDialog dialog(caller.Call);
    QPushButton* cancel = dialog.Buttons->button(QDialogButtonBox::Cancel);
    bool cancelEnabled = false;
    caller.Gauge.WhileShown = [&] {
        if (caller.Gauge.Shown.size() != 2) return; // the first report from the worker
        cancelEnabled = cancel->isEnabled();
        cancel->click();
    };
    bool openAfterStop = false;
    caller.Gauge.WhenHidden = [&] {
        QTimer::singleShot(0, &dialog, [&] {
            openAfterStop = dialog.isVisible() && !dialog.Working() && dialog.btnOK->isEnabled();
            dialog.reject();
        });
    };
    EXPECT_EQ(execPressingOK(dialog), QDialog::Rejected);
    EXPECT_TRUE(cancelEnabled);
    EXPECT_TRUE(openAfterStop);
    EXPECT_FALSE(dialog.Changed());
    EXPECT_EQ(edit.Width(), 8);
    EXPECT_EQ(caller.Gauge.Hidden, 1);
}

TEST(EditDialog, HelpOpensEachDialogsTopicAndIsOffWithoutHelp) {
    TPixelGraphic edit;
    paint(edit, 20, 10);
    TCaller caller(edit);
    TdlgJPEG jpeg({QString(), 85, true}, nullptr, caller.Call.Help);
    Tdlgrotate rotate(caller.Call);
    TdlgResize resize(caller.Call);
    Tdlgcrop crop(caller.Call, TCropPurpose::Crop);
    for (QPushButton* help : {jpeg.btnHelp, rotate.btnHelp, resize.btnHelp, crop.btnHelp}) {
        EXPECT_EQ(help->text(), "Help");
        help->click();
    }
    EXPECT_EQ(caller.Topics, (std::vector<int>{603, 605, 606, 607}));

    caller.Call.Help = nullptr;
    TdlgJPEG noJpeg({QString(), 85, true});
    Tdlgrotate noRotate(caller.Call);
    EXPECT_FALSE(noJpeg.btnHelp->isEnabled());
    EXPECT_FALSE(noRotate.btnHelp->isEnabled());
}

TEST(RotateDialog, OKNeedsAnAngleOnlyForARotation) {
    TPixelGraphic edit;
    TCaller caller(edit);
    Tdlgrotate dialog(caller.Call);
    dialog.show();
    EXPECT_EQ(dialog.Angle(), 90);
    typeInto(dialog.edtrotate, "-359");
    EXPECT_TRUE(dialog.btnOK->isEnabled());
    EXPECT_EQ(dialog.Angle(), -359);
    typeInto(dialog.edtrotate, "abc");
    EXPECT_FALSE(dialog.btnOK->isEnabled());
    dialog.rdbFlipVert->setChecked(true);
    EXPECT_TRUE(dialog.btnOK->isEnabled());
    EXPECT_EQ(dialog.Choice(), TTransformChoice::FlipVertical);
    QTest::mouseClick(dialog.lbldegrees, Qt::LeftButton);
    EXPECT_EQ(dialog.Choice(), TTransformChoice::Rotate);
    EXPECT_FALSE(dialog.btnOK->isEnabled());
    EXPECT_EQ(dialog.focusWidget(), dialog.edtrotate) << "the label puts the angle up for typing";
    QTest::mouseClick(dialog.lbldegrees, Qt::LeftButton);
    EXPECT_EQ(dialog.Choice(), TTransformChoice::Rotate) << "a second click keeps a choice";
}

TEST(RotateDialog, TheArrowsStepByAQuarterTurnWithinTheRange) {
    TPixelGraphic edit;
    TCaller caller(edit);
    Tdlgrotate dialog(caller.Call);
    dialog.show();
    std::vector<QString> seen;
    for (Qt::Key key : {Qt::Key_Up, Qt::Key_Up, Qt::Key_Up, Qt::Key_Up}) {
        QTest::keyClick(dialog.edtrotate, key);
        seen.push_back(dialog.edtrotate->text());
    }
    EXPECT_EQ(seen, (std::vector<QString>{"180", "270", "359", "359"}));
    typeInto(dialog.edtrotate, "-300");
    QTest::keyClick(dialog.edtrotate, Qt::Key_Down);
    EXPECT_EQ(dialog.Angle(), -359);
    typeInto(dialog.edtrotate, "x");
    QTest::keyClick(dialog.edtrotate, Qt::Key_Up);
    EXPECT_EQ(dialog.edtrotate->text(), "x") << "a box without an angle does not step";
}

TEST(RotateDialog, OKTurnsTheEditImageAsAJob) {
    TPixelGraphic edit;
    paint(edit, 30, 20);
    const uint32_t topLeft = edit.GetPixelColor(0, 0);
    TCaller caller(edit);
    Tdlgrotate dialog(caller.Call);
    typeInto(dialog.edtrotate, "-90");
    EXPECT_EQ(execPressingOK(dialog), QDialog::Accepted);
    EXPECT_TRUE(dialog.Changed());
    ASSERT_EQ(edit.Width(), 20);
    ASSERT_EQ(edit.Height(), 30);
    EXPECT_EQ(edit.GetPixelColor(0, 29), topLeft) << "a quarter turn counter-clockwise";
    EXPECT_EQ(caller.Gauge.Hidden, 1);

    Tdlgrotate flip(caller.Call);
    flip.rdbFlipHorz->setChecked(true);
    EXPECT_EQ(execPressingOK(flip), QDialog::Accepted);
    EXPECT_TRUE(flip.Changed());
    EXPECT_EQ(edit.GetPixelColor(19, 29), topLeft);
}

TEST(Rotate, DorotateRunsAsTheCallersJob) {
    TPixelGraphic edit;
    paint(edit, 30, 20);
    TGaugeRecord gauge;
    TEditJob job(edit, gauge.Gauge);
    QEventLoop loop;
    job.OnDone = [&] { loop.quit(); };
    ASSERT_TRUE(dorotate(job, 90));
    EXPECT_FALSE(dorotate(job, 90)) << "one operation at a time";
    EXPECT_EQ(edit.Width(), 30) << "not before the job is done";
    QTimer::singleShot(10000, &loop, [&] { loop.exit(1); });
    ASSERT_EQ(loop.exec(), 0);
    EXPECT_EQ(edit.Width(), 20);
    EXPECT_EQ(gauge.Hidden, 1);
}

TEST(Rotate, ANegativeAngleTurnsClockwiseByItsComplement) {
    // 3 x 2: a b c / d e f.
    TPixelGraphic edit;
    edit.SetSizeAndFormat(3, 2, pf24Bit);
    for (int i = 0; i < 6; ++i) edit.SetPixelColor(i % 3, i / 3, PGColor(10 * (i + 1), 0, 0));
    const std::unique_ptr<TPixelGraphic> back = RotatedCopy(edit, -90);
    const std::unique_ptr<TPixelGraphic> turned = RotatedCopy(edit, 270);
    // A quarter turn counter-clockwise: c f / b e / a d.
    ASSERT_EQ(back->Width(), 2);
    ASSERT_EQ(back->Height(), 3);
    const uint32_t expected[3][2] = {{30, 60}, {20, 50}, {10, 40}};
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 2; ++x) {
            EXPECT_EQ(PGRed(back->GetPixelColor(x, y)), expected[y][x]) << x << "," << y;
            EXPECT_EQ(back->GetPixelColor(x, y), turned->GetPixelColor(x, y));
        }
}

TEST(Rotate, ANonQuarterAngleEnlargesToHoldTheWholePicture) {
    TPixelGraphic edit;
    paint(edit, 10, 10);
    int reports = 0;
    const std::unique_ptr<TPixelGraphic> turned =
        RotatedCopy(edit, 45, [&](TPixelGraphic&, int, int, bool&) { ++reports; });
    EXPECT_EQ(turned->Width(), 16);
    EXPECT_EQ(turned->Height(), 15);
    EXPECT_GT(reports, 0);
}

TEST(ZoomDialog, TheTrackFollowsTheSpinBoxWithoutWritingBack) {
    TdlgZoom dialog(100, nullptr);
    dialog.show();
    typeInto(dialog.spnzoom, "700");
    EXPECT_EQ(dialog.tbrZoom->value(), 200);
    EXPECT_EQ(dialog.spnzoom->value(), 700);
    EXPECT_EQ(dialog.Percent(), 700);
    dialog.tbrZoom->setValue(140);
    EXPECT_EQ(dialog.spnzoom->value(), 300);
}

class CropDialog : public ::testing::Test {
protected:
    CropDialog() {
        CropShowFullSize() = false;
        paint(Edit, 100, 60);
    }
    ~CropDialog() override { CropShowFullSize() = false; }

    static std::array<int, 4> marginsShown(const Tdlgcrop& d) {
        return {d.SpnCroptop->value(), d.SpnCropleft->value(), d.SpnCropright->value(),
                d.SpnCropbottom->value()};
    }
    // What the picture box shows at (x, y), once the display and the shading are up to date.
    static QColor shownAt(Tdlgcrop& d, int x, int y) {
        return d.PGImage1->viewport()->grab().toImage().pixelColor(d.PGImage1->PicBox().pos() +
                                                                   QPoint(x, y));
    }

    TPixelGraphic Edit;
    TCaller Caller{Edit};
};

TEST_F(CropDialog, OpensWithATenthCutOffEachSide) {
    Tdlgcrop dialog(Caller.Call, TCropPurpose::Crop);
    EXPECT_EQ(dialog.windowTitle(), "Crop Image");
    EXPECT_EQ(marginsShown(dialog), (std::array<int, 4>{6, 10, 10, 6}));
    EXPECT_EQ(dialog.SelectionRect(), (TPGRect{10, 6, 90, 54}));
    dialog.SpnCroptop->setValue(50);
    EXPECT_EQ(dialog.SpnCropbottom->value(), 5);
    EXPECT_EQ(dialog.SelectionRect(), (TPGRect{10, 50, 90, 55}));
}

TEST_F(CropDialog, ADragWritesTheMarginsAndAClickLeavesThem) {
    Tdlgcrop dialog(Caller.Call, TCropPurpose::Crop);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    ASSERT_EQ(dialog.PGImage1->PicBox().size(), QSize(100, 60)) << "shown at full size";
    dialog.SpnCroptop->setValue(40);
    dialog.SpnCropleft->setValue(70);
    TPicBox& box = dialog.PGImage1->PicBox();
    QTest::mousePress(&box, Qt::LeftButton, {}, {5, 5});
    QTest::mouseMove(&box, {30, 20});
    QTest::mouseMove(&box, {50, 30});
    QTest::mouseRelease(&box, Qt::LeftButton, {}, {50, 30});
    EXPECT_EQ(dialog.SelectionRect(), (TPGRect{5, 5, 51, 31}));
    EXPECT_EQ(marginsShown(dialog), (std::array<int, 4>{5, 5, 49, 29}));

    QTest::mouseClick(&box, Qt::LeftButton, {}, {95, 57});
    EXPECT_EQ(marginsShown(dialog), (std::array<int, 4>{5, 5, 49, 29}));
    EXPECT_EQ(dialog.SelectionRect(), (TPGRect{5, 5, 51, 31}));
}

TEST_F(CropDialog, TheShadingTimerGreysThePictureOutsideTheSelection) {
    Tdlgcrop dialog(Caller.Call, TCropPurpose::Crop);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    dialog.SpnCropleft->setValue(30);
    EXPECT_TRUE(dialog.tmrShade->isActive());
    EXPECT_TRUE(dialog.tmrShade->isSingleShot());
    EXPECT_EQ(dialog.tmrShade->interval(), 4);
    QTRY_VERIFY(!dialog.tmrShade->isActive());
    const QColor inside(Edit.GetPixelColor(50, 30) & 0xFF, (Edit.GetPixelColor(50, 30) >> 8) & 0xFF,
                        Edit.GetPixelColor(50, 30) >> 16);
    QTRY_COMPARE(shownAt(dialog, 50, 30), inside);
    EXPECT_EQ(shownAt(dialog, 20, 30), CropShadeColor) << "left of the selection";
    EXPECT_EQ(shownAt(dialog, 50, 2), CropShadeColor) << "above it";
    EXPECT_EQ(shownAt(dialog, 98, 58), CropShadeColor) << "beyond its corner";
}

TEST_F(CropDialog, TheRedEyePickerShadesNothing) {
    Tdlgcrop dialog(Caller.Call, TCropPurpose::RedEye);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    EXPECT_EQ(dialog.windowTitle(), "Remove Red Eye");
    EXPECT_EQ(dialog.lblHint->text(), "Drag the selection rectangle tightly over the red eye(s):");
    QTRY_VERIFY(!dialog.tmrShade->isActive());
    const uint32_t c = Edit.GetPixelColor(30, 58);
    QTRY_COMPARE(shownAt(dialog, 30, 58), QColor(PGRed(c), PGGreen(c), PGBlue(c)));
}

TEST_F(CropDialog, ShowFullSizeIsKeptForTheRun) {
    {
        Tdlgcrop dialog(Caller.Call, TCropPurpose::Crop);
        EXPECT_FALSE(dialog.chkshowfullsize->isChecked());
        EXPECT_EQ(dialog.PGImage1->Stretch(), sShrinkKAR);
        dialog.chkshowfullsize->setChecked(true);
        dialog.accept();
    }
    Tdlgcrop next(Caller.Call, TCropPurpose::Crop);
    EXPECT_TRUE(next.chkshowfullsize->isChecked());
    EXPECT_EQ(next.PGImage1->Stretch(), sNeverKAR);
}

TEST_F(CropDialog, AnAspectLockHoldsWhileTheSelectionIsDrawn) {
    Tdlgcrop dialog(Caller.Call, TCropPurpose::Crop);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    dialog.cbxAspect->setCurrentIndex(dialog.cbxAspect->findText("1:1"));
    const TPGRect locked = dialog.SelectionRect();
    EXPECT_EQ(locked.Width(), locked.Height());
    dialog.SpnCroptop->setValue(50); // clear the way for a new selection
    TPicBox& box = dialog.PGImage1->PicBox();
    QTest::mousePress(&box, Qt::LeftButton, {}, {2, 2});
    QTest::mouseMove(&box, {20, 10});
    QTest::mouseMove(&box, {40, 12});
    QTest::mouseRelease(&box, Qt::LeftButton, {}, {40, 12});
    EXPECT_EQ(dialog.SelectionRect(), (TPGRect{2, 2, 41, 41}));
    EXPECT_EQ(marginsShown(dialog), (std::array<int, 4>{2, 2, 59, 19}));
}

TEST_F(CropDialog, OKCropsAsAJobAndThePickerChangesNothing) {
    Tdlgcrop dialog(Caller.Call, TCropPurpose::Crop);
    dialog.SpnCroptop->setValue(5);
    dialog.SpnCropleft->setValue(20);
    dialog.SpnCropright->setValue(30);
    dialog.SpnCropbottom->setValue(15);
    const uint32_t corner = Edit.GetPixelColor(20, 5);
    EXPECT_EQ(execPressingOK(dialog), QDialog::Accepted);
    EXPECT_TRUE(dialog.Changed());
    EXPECT_EQ(Edit.Width(), 50);
    EXPECT_EQ(Edit.Height(), 40);
    EXPECT_EQ(Edit.GetPixelColor(0, 0), corner);
    EXPECT_EQ(Caller.Gauge.Hidden, 1);

    Tdlgcrop picker(Caller.Call, TCropPurpose::RedEye);
    EXPECT_EQ(execPressingOK(picker), QDialog::Accepted);
    EXPECT_FALSE(picker.Changed());
    EXPECT_EQ(Edit.Width(), 50);
    EXPECT_EQ(picker.SelectionRect(), (TPGRect{5, 4, 45, 36}));
}

TEST(Crop, CutsTheRectangleTheMarginsLeave) {
    TPixelGraphic edit;
    paint(edit, 100, 60);
    const std::unique_ptr<TPixelGraphic> cropped = CroppedCopy(edit, {5, 20, 30, 15});
    ASSERT_TRUE(cropped);
    EXPECT_EQ(cropped->Width(), 50);
    EXPECT_EQ(cropped->Height(), 40);
    EXPECT_EQ(cropped->GetPixelColor(0, 0), PGColor(40, 15, 100));
    EXPECT_EQ(cropped->GetPixelColor(49, 39), PGColor(138, 132, 100));
    EXPECT_FALSE(CroppedCopy(edit, {30, 0, 0, 30})) << "nothing would be left";
}

} // namespace

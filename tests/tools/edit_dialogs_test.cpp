// The edit dialogs on the offscreen platform: their widgets drive their models, and OK changes
// the edit image as the model says.

#include "dlg_crop.h"
#include "dlg_jpeg.h"
#include "dlg_resize.h"
#include "dlg_rotate.h"
#include "dlg_zoom.h"
#include "pg_image.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

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

struct TGaugeRecord {
    std::vector<int> Shown;
    int Hidden = 0;
    TProgressGauge Gauge{[this](int percent) { Shown.push_back(percent); }, [this] { ++Hidden; }};
};

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
    TdlgResize dialog(edit);
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
    TdlgResize dialog(edit);
    EXPECT_EQ(dialog.spnwidth->value(), 12000);
    EXPECT_FALSE(dialog.Model().ResizeWanted());
}

TEST(Resize, ResamplesToTheModelsSizeWithTheGauge) {
    TPixelGraphic edit;
    paint(edit, 50, 40);
    TResizeModel model(50, 40);
    model.SetWidthPercent(1);
    TGaugeRecord gauge;
    ASSERT_TRUE(ApplyResize(edit, model, gauge.Gauge));
    EXPECT_EQ(edit.Width(), 1);
    EXPECT_EQ(edit.Height(), 1);
    EXPECT_FALSE(gauge.Shown.empty());
    EXPECT_EQ(gauge.Hidden, 1);
}

TEST(Resize, ASizeBeyondTheCapLeavesThePicture) {
    TPixelGraphic edit;
    paint(edit, 60000, 4);
    TResizeModel model(60000, 4);
    model.SetWidthPercent(9999);
    TGaugeRecord gauge;
    EXPECT_THROW(ApplyResize(edit, model, gauge.Gauge), EPixelGraphic);
    EXPECT_EQ(edit.Width(), 60000);
    EXPECT_EQ(edit.GetPixelColor(7, 2), PGColor(14, 6, 100));
}

TEST(RotateDialog, OKNeedsAnAngleOnlyForARotation) {
    Tdlgrotate dialog;
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
}

TEST(Rotate, ANegativeAngleTurnsClockwiseByItsComplement) {
    // 3 x 2: a b c / d e f.
    TPixelGraphic edit;
    edit.SetSizeAndFormat(3, 2, pf24Bit);
    for (int i = 0; i < 6; ++i) edit.SetPixelColor(i % 3, i / 3, PGColor(10 * (i + 1), 0, 0));
    TPixelGraphic turned;
    turned.Assign(&edit);
    ASSERT_TRUE(dorotate(edit, -90));
    ASSERT_TRUE(dorotate(turned, 270));
    // A quarter turn counter-clockwise: c f / b e / a d.
    ASSERT_EQ(edit.Width(), 2);
    ASSERT_EQ(edit.Height(), 3);
    const uint32_t expected[3][2] = {{30, 60}, {20, 50}, {10, 40}};
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 2; ++x) {
            EXPECT_EQ(PGRed(edit.GetPixelColor(x, y)), expected[y][x]) << x << "," << y;
            EXPECT_EQ(edit.GetPixelColor(x, y), turned.GetPixelColor(x, y));
        }
}

TEST(Rotate, ANonQuarterAngleEnlargesToHoldTheWholePicture) {
    TPixelGraphic edit;
    paint(edit, 10, 10);
    TGaugeRecord gauge;
    ASSERT_TRUE(dorotate(edit, 45, gauge.Gauge));
    EXPECT_EQ(edit.Width(), 16);
    EXPECT_EQ(edit.Height(), 15);
    EXPECT_EQ(gauge.Hidden, 1);
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
};

TEST_F(CropDialog, OpensWithATenthCutOffEachSide) {
    Tdlgcrop dialog(Edit, TCropPurpose::Crop);
    EXPECT_EQ(dialog.windowTitle(), "Crop Image");
    EXPECT_EQ(marginsShown(dialog), (std::array<int, 4>{6, 10, 10, 6}));
    EXPECT_EQ(dialog.SelectionRect(), (TPGRect{10, 6, 90, 54}));
    dialog.SpnCroptop->setValue(50);
    EXPECT_EQ(dialog.SpnCropbottom->value(), 5);
    EXPECT_EQ(dialog.SelectionRect(), (TPGRect{10, 50, 90, 55}));
}

TEST_F(CropDialog, ADragWritesTheMarginsAndAClickLeavesThem) {
    Tdlgcrop dialog(Edit, TCropPurpose::Crop);
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
    Tdlgcrop dialog(Edit, TCropPurpose::Crop);
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
    Tdlgcrop dialog(Edit, TCropPurpose::RedEye);
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
        Tdlgcrop dialog(Edit, TCropPurpose::Crop);
        EXPECT_FALSE(dialog.chkshowfullsize->isChecked());
        EXPECT_EQ(dialog.PGImage1->Stretch(), sShrinkKAR);
        dialog.chkshowfullsize->setChecked(true);
        dialog.accept();
    }
    Tdlgcrop next(Edit, TCropPurpose::Crop);
    EXPECT_TRUE(next.chkshowfullsize->isChecked());
    EXPECT_EQ(next.PGImage1->Stretch(), sNeverKAR);
}

TEST_F(CropDialog, AnAspectLockHoldsWhileTheSelectionIsDrawn) {
    Tdlgcrop dialog(Edit, TCropPurpose::Crop);
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

TEST(Crop, CutsTheRectangleTheMarginsLeave) {
    TPixelGraphic edit;
    paint(edit, 100, 60);
    TGaugeRecord gauge;
    ASSERT_TRUE(ApplyCrop(edit, {5, 20, 30, 15}, gauge.Gauge));
    EXPECT_EQ(edit.Width(), 50);
    EXPECT_EQ(edit.Height(), 40);
    EXPECT_EQ(edit.GetPixelColor(0, 0), PGColor(40, 15, 100));
    EXPECT_EQ(edit.GetPixelColor(49, 39), PGColor(138, 132, 100));
    EXPECT_EQ(gauge.Hidden, 1);
    EXPECT_FALSE(ApplyCrop(edit, {20, 0, 0, 20}, gauge.Gauge)) << "nothing would be left";
    EXPECT_EQ(edit.Height(), 40);
}

} // namespace

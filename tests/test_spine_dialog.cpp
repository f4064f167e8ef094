// The spine title dialog: title, font, gradient colours and the band picture, each
// applied to both bands at once.
#include <QAction>
#include <QCheckBox>
#include <QColorDialog>
#include <QFontDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>

#include "GuiTestUtil.h"
#include "ProjectTestUtil.h"
#include "dialogs/FontDialog.h"
#include "app/TFrmMain.h"
#include "project/DocumentHistory.h"
#include "controls/TKivBackground.h"
#include "controls/TKivFillBackground.h"
#include "controls/TKivGradient.h"
#include "project/PageGeometry.h"
#include "dialogs/TDotazFrm.h"
#include "dialogs/TFrmNzvCD.h"

using namespace korvel;
using namespace korvel::test;

namespace {

// A band drawn on its own canvas, one pixel per canvas unit.
QImage renderBand(const SpineBand &band)
{
    QImage image(SpineBand::kCanvasWidth, SpineBand::kCanvasHeight, QImage::Format_RGB32);
    image.fill(Qt::magenta);
    QPainter p(&image);
    band.paint(p, QRectF(0, 0, SpineBand::kCanvasWidth, SpineBand::kCanvasHeight), DrawTarget::Screen);
    return image;
}

class SpineDialog : public ProjectFixture {
protected:
    void SetUp() override
    {
        ProjectFixture::SetUp();
        window = std::make_unique<TFrmMain>();
        dialog = window->spineDialog();
    }
    void TearDown() override
    {
        window.reset();
        ProjectFixture::TearDown();
    }
    CoverPage &cover() { return window->page(); }
    bool unsaved() const { return window->commands().Fsave->isEnabled(); }
    QString status() const { return dialog->txtimg()->text(); }
    QString regValue(const char *name) { return dialog->state().registry()->ReadString(QString::fromLatin1(name)); }

    std::unique_ptr<TFrmMain> window;
    TFrmNzvCD *dialog = nullptr;
};

QString u(const char *text)
{
    return QString::fromUtf8(text);
}

} // namespace

TEST_F(SpineDialog, IsAFixedToolWindowWithItsControlsInPlace)
{
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Název CD"));
    EXPECT_EQ(dialog->size(), QSize(446, 272));
    EXPECT_EQ(dialog->minimumSize(), dialog->maximumSize());
    EXPECT_EQ(dialog->windowFlags() & Qt::WindowType_Mask, Qt::Tool);
    EXPECT_FALSE(dialog->windowFlags() & Qt::WindowStaysOnTopHint) << "above its owner only, never above a question";
    EXPECT_FALSE(dialog->windowFlags() & Qt::WindowMinMaxButtonsHint);
    EXPECT_EQ(dialog->parentWidget(), window.get());
    EXPECT_EQ(dialog->Edt()->geometry(), QRect(15, 24, 417, 21));
    EXPECT_EQ(dialog->txt()->geometry(), QRect(16, 64, 249, 25));
    EXPECT_EQ(dialog->Prw()->geometry(), QRect(411, 65, 17, 57));
    EXPECT_EQ(dialog->Prw()->background(), dialog->Grd());
    EXPECT_EQ(dialog->Obr()->text(), u("Zobrazovat obrázek"));
    EXPECT_FALSE(dialog->Obr()->isChecked());
    EXPECT_TRUE(dialog->Roz()->isChecked());
    EXPECT_FALSE(dialog->Vdl()->isChecked());
    EXPECT_EQ(status(), QStringLiteral("(none)"));
    const char *captions[] = {" Písmo", " První barva", " Poslední barva", " OK", " Otevřít"};
    for (int i = 1; i <= 5; ++i) {
        ASSERT_NE(dialog->button(i), nullptr);
        EXPECT_EQ(dialog->button(i)->objectName(), QStringLiteral("RxSpeedButton%1").arg(i));
        EXPECT_EQ(dialog->button(i)->text(), u(captions[i - 1]));
    }
    EXPECT_EQ(dialog->button(4)->geometry(), QRect(170, 237, 105, 27));
    EXPECT_EQ(TFrmNzvCD::openPictureFilters().first().label,
              QStringLiteral("All (*.jpeg;*.jpg;*.gif;*.dib;*.bmp;*.ico;*.emf;*.wmf)"));
    EXPECT_TRUE(TFrmNzvCD::openPictureFilters().first().patterns.endsWith(QStringLiteral(";*.png")));
    EXPECT_EQ(TFrmNzvCD::openPictureFilters().size(), 10);
    EXPECT_EQ(TFrmNzvCD::openPictureFilters().last().patterns, QStringLiteral("*.png"));
    // The newest dialog holds the current spine picture state.
    EXPECT_EQ(SpinePictureState::current(), &dialog->state());
}

TEST_F(SpineDialog, ShowingLoadsTheDialogFromTheLeftBandAndRepairsImgLR)
{
    cover().CDL().setCaption(QStringLiteral("Live at the Hall"));
    cover().CDR().setCaption(QStringLiteral("something else"));
    cover().CDL().setEndColor(rgbColor(255, 0, 0));   // the first, top colour
    cover().CDL().setStartColor(rgbColor(0, 0, 255)); // the last, bottom colour
    ItemFont font = cover().CDL().titleFont();
    font.height = -20;
    font.color = rgbColor(0, 128, 0);
    cover().CDL().setTitleFont(font);
    ASSERT_EQ(regValue("ImgLR"), QStringLiteral("ERROR"));
    window->history().setClean(); // as if the cover had just been saved

    dialog->show();
    EXPECT_EQ(dialog->Edt()->text(), QStringLiteral("Live at the Hall"));
    EXPECT_EQ(dialog->txt()->text(), QStringLiteral("Live at the Hall"));
    // Filling the edit box wrote the title back to both bands.
    EXPECT_EQ(cover().CDR().caption(), QStringLiteral("Live at the Hall"));
    EXPECT_EQ(dialog->txt()->font().pixelSize(), 20);
    EXPECT_EQ(dialog->txt()->palette().color(QPalette::WindowText), QColor(0, 128, 0));
    EXPECT_EQ(dialog->Grd()->gradient()->beginColor(), rgbColor(255, 0, 0));
    EXPECT_EQ(dialog->Grd()->gradient()->endColor(), rgbColor(0, 0, 255));
    // The sample is red at its top and blue at its bottom.
    const QImage sample = dialog->Prw()->grab().toImage();
    EXPECT_EQ(QColor(sample.pixel(8, 0)), QColor(255, 1, 1));
    EXPECT_EQ(QColor(sample.pixel(8, sample.height() - 1)), QColor(1, 1, 255));
    // A missing ImgLR becomes "[none]"; ImgLRName is left alone.
    EXPECT_EQ(regValue("ImgLR"), QStringLiteral("[none]"));
    EXPECT_FALSE(dialog->Obr()->isChecked());
    EXPECT_EQ(status(), u(TFrmNzvCD::kNotSaved));
    EXPECT_TRUE(dialog->Roz()->isChecked());
}

TEST_F(SpineDialog, StatusLineTellsWhetherTheRememberedPictureIsSaved)
{
    dialog->state().remember(work.filePath(QStringLiteral("cover")));
    ASSERT_TRUE(QFile::copy(testData("raster/bmp_24bpp.bmp"), work.filePath(QStringLiteral("cover.im3"))));
    // A project with a shown picture and a tiled fit, loaded before the dialog opens.
    cover().CDL().setGradientVisible(false);
    cover().CDL().setBackImageMode(BackImageMode::pbmTile);

    dialog->show();
    // Checking Obr ran the switch procedure: both bands took the side file.
    EXPECT_TRUE(dialog->Obr()->isChecked());
    EXPECT_EQ(cover().CDR().backImage().format(), PictureFormat::Bitmap);
    EXPECT_EQ(status(), u(TFrmNzvCD::kSavedShown));
    // Vdl was checked from the band, and its handler set both bands to tile.
    EXPECT_TRUE(dialog->Vdl()->isChecked());
    EXPECT_EQ(cover().CDR().backImageMode(), BackImageMode::pbmTile);
    EXPECT_FALSE(dialog->state().stretchChoice());

    dialog->Obr()->click();
    EXPECT_TRUE(cover().CDL().gradient().Visible);
    EXPECT_TRUE(cover().CDL().backImage().isEmpty());
    EXPECT_EQ(status(), u(TFrmNzvCD::kSavedHidden));
    EXPECT_TRUE(unsaved());

    // The picture was read when it was chosen: a side file removed behind the
    // cover's back takes nothing from the cover, but it is no longer saved.
    QFile::remove(work.filePath(QStringLiteral("cover.im3")));
    dialog->Obr()->click();
    EXPECT_FALSE(cover().CDL().gradient().Visible);
    EXPECT_EQ(cover().CDL().backImage().format(), PictureFormat::Bitmap);
    EXPECT_EQ(status(), u(TFrmNzvCD::kNotSaved));
    dialog->Obr()->click();
    EXPECT_EQ(status(), u(TFrmNzvCD::kNotSaved));
}

TEST_F(SpineDialog, TypingChangesBothBandsAtEveryKeystrokeAndOkOnlyHides)
{
    dialog->show();
    dialog->Edt()->clear();
    EXPECT_TRUE(cover().CDL().caption().isEmpty());
    EXPECT_TRUE(cover().CDR().caption().isEmpty());
    EXPECT_TRUE(dialog->txt()->text().isEmpty());
    QTest::keyClick(dialog->Edt(), Qt::Key_A);
    EXPECT_EQ(cover().CDL().caption(), QStringLiteral("a"));
    EXPECT_EQ(cover().CDR().caption(), QStringLiteral("a"));
    QTest::keyClicks(dialog->Edt(), QStringLiteral("lbum "));
    QTest::sendKeyEvent(QTest::Click, dialog->Edt(), Qt::Key_unknown, u("č"), Qt::NoModifier);
    QTest::keyClicks(dialog->Edt(), QStringLiteral(". 2"));
    EXPECT_EQ(cover().CDR().caption(), u("album č. 2"));
    EXPECT_EQ(dialog->txt()->text(), u("album č. 2"));
    EXPECT_TRUE(unsaved());

    dialog->button(4)->click();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(cover().CDL().caption(), u("album č. 2"));
    // Hidden, not gone: the same window can be shown again.
    dialog->show();
    EXPECT_EQ(dialog->Edt()->text(), u("album č. 2"));
}

TEST_F(SpineDialog, ColoursGoToBothBandsWithTheFirstAtTheTop)
{
    dialog->show();
    cover().CDL().setCaption(QString());
    cover().CDR().setCaption(QString());
    whenModal<QColorDialog>([](QColorDialog *d) {
        d->setCurrentColor(QColor(255, 0, 0));
        d->accept();
    });
    dialog->button(2)->click();
    whenModal<QColorDialog>([](QColorDialog *d) {
        d->setCurrentColor(QColor(0, 0, 255));
        d->accept();
    });
    dialog->button(3)->click();
    EXPECT_EQ(cover().CDR().gradient().EndColor, rgbColor(255, 0, 0));
    EXPECT_EQ(cover().CDR().gradient().StartColor, rgbColor(0, 0, 255));
    EXPECT_EQ(dialog->Grd()->gradient()->beginColor(), rgbColor(255, 0, 0));
    for (const SpineBand *band : {&cover().CDL(), &cover().CDR()}) {
        const QImage image = renderBand(*band);
        const QColor top(image.pixel(11, 0));
        const QColor bottom(image.pixel(11, image.height() - 1));
        EXPECT_GT(top.red(), 240);
        EXPECT_LT(top.blue(), 15);
        EXPECT_GT(bottom.blue(), 240);
        EXPECT_LT(bottom.red(), 15);
    }
    EXPECT_TRUE(unsaved());

    // Cancelled: nothing changes, nothing to save.
    window->history().setClean();
    whenModal<QColorDialog>([](QColorDialog *d) {
        d->setCurrentColor(QColor(0, 255, 0));
        d->reject();
    });
    dialog->button(2)->click();
    EXPECT_EQ(cover().CDL().gradient().EndColor, rgbColor(255, 0, 0));
    EXPECT_FALSE(unsaved());

    // A colour chosen while the picture is shown waits for the gradient.
    dialog->state().remember(QString::fromLatin1(SpinePictureState::kNone));
    dialog->Obr()->click();
    whenModal<QColorDialog>([](QColorDialog *d) {
        d->setCurrentColor(QColor(0, 255, 0));
        d->accept();
    });
    dialog->button(3)->click();
    EXPECT_FALSE(cover().CDL().gradient().Visible);
    EXPECT_EQ(QColor(renderBand(cover().CDL()).pixel(11, 439)), QColor(255, 255, 255));
    dialog->Obr()->click();
    EXPECT_GT(QColor(renderBand(cover().CDL()).pixel(11, 439)).green(), 240);
}

TEST_F(SpineDialog, TheFontButtonSetsBothBandsAndAlwaysMarksTheCoverChanged)
{
    dialog->show();
    const ItemFont before = cover().CDL().titleFont();
    whenModal<FontDialog>([](FontDialog *d) { d->reject(); });
    dialog->button(1)->click();
    EXPECT_EQ(cover().CDL().titleFont(), before);
    EXPECT_TRUE(unsaved()); // even when cancelled

    whenModal<FontDialog>([](FontDialog *d) {
        EXPECT_TRUE(d->chooser()->currentFont().bold()); // preset with the band's bold title font
        QFont f(d->chooser()->currentFont().family());
        f.setPointSize(14);
        f.setItalic(true);
        d->chooser()->setCurrentFont(f);
        d->accept();
    });
    dialog->button(1)->click();
    EXPECT_EQ(cover().CDL().titleFont().style & fsItalic, fsItalic);
    EXPECT_EQ(cover().CDL().titleFont().style & fsBold, 0);
    EXPECT_EQ(cover().CDL().titleFont().size(), 14);
    EXPECT_EQ(cover().CDR().titleFont(), cover().CDL().titleFont());
    EXPECT_TRUE(dialog->txt()->font().italic());
}

TEST_F(SpineDialog, OpeningAPictureRemembersItAndShowsIt)
{
    dialog->show();
    const QString photo = work.filePath(QStringLiteral("photo.jpg"));
    ASSERT_TRUE(QFile::copy(testData("raster/jpeg_baseline_420.jpg"), photo));
    QString chosen;
    int asked = 0;
    dialog->setOpenPictureDialog([&](QWidget *) {
        ++asked;
        return chosen;
    });

    // Cancelled: nothing.
    dialog->button(5)->click();
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(regValue("ImgLRName"), QStringLiteral("ERROR"));

    chosen = photo;
    dialog->button(5)->click();
    EXPECT_EQ(regValue("ImgLR"), photo);
    EXPECT_EQ(regValue("ImgLRName"), photo);
    EXPECT_TRUE(dialog->Obr()->isChecked());
    EXPECT_FALSE(cover().CDR().gradient().Visible);
    EXPECT_EQ(cover().CDL().backImage().format(), PictureFormat::Jpeg);
    EXPECT_EQ(cover().CDR().backImage().format(), PictureFormat::Jpeg);
    EXPECT_EQ(status(), u(TFrmNzvCD::kNotSaved)); // the switch procedure ran
    EXPECT_TRUE(unsaved());

    // Already shown: the status line keeps the path.
    const QString other = work.filePath(QStringLiteral("other.bmp"));
    ASSERT_TRUE(QFile::copy(testData("raster/bmp_24bpp.bmp"), other));
    chosen = other;
    dialog->button(5)->click();
    EXPECT_EQ(status(), other);
    EXPECT_EQ(cover().CDR().backImage().format(), PictureFormat::Bitmap);

    // ".dib" is offered but has no loader: the message, and nothing else changes.
    const QString dib = work.filePath(QStringLiteral("photo.dib"));
    ASSERT_TRUE(QFile::copy(testData("raster/bmp_24bpp.bmp"), dib));
    dialog->Obr()->click(); // gradient again
    chosen = dib;
    QString shown;
    whenModal<QMessageBox>([&](QMessageBox *box) {
        shown = box->text();
        box->accept();
    });
    dialog->button(5)->click();
    EXPECT_EQ(shown, QStringLiteral("Unknown picture file extension (.dib)"));
    EXPECT_EQ(regValue("ImgLRName"), other);
    EXPECT_FALSE(dialog->Obr()->isChecked());
    EXPECT_TRUE(cover().CDL().gradient().Visible);
}

TEST_F(SpineDialog, AFailedLoadInTheSwitchLeavesTheBaseOnTheStatusLine)
{
    dialog->show();
    const QString missing = work.filePath(QStringLiteral("gone.jpg"));
    dialog->state().remember(missing);
    QString shown;
    whenModal<QMessageBox>([&](QMessageBox *box) {
        shown = box->text();
        box->accept();
    });
    dialog->Obr()->click();
    EXPECT_FALSE(shown.isEmpty());
    EXPECT_TRUE(dialog->Obr()->isChecked());
    EXPECT_EQ(status(), missing);
}

TEST_F(SpineDialog, FittingRadioButtonsSetBothBands)
{
    dialog->show();
    dialog->Vdl()->click();
    EXPECT_EQ(cover().CDL().backImageMode(), BackImageMode::pbmTile);
    EXPECT_EQ(cover().CDR().backImageMode(), BackImageMode::pbmTile);
    EXPECT_FALSE(dialog->state().stretchChoice());
    EXPECT_TRUE(unsaved());
    dialog->Roz()->click();
    EXPECT_EQ(cover().CDR().backImageMode(), BackImageMode::pbmStretch);
    EXPECT_TRUE(dialog->state().stretchChoice());
}

TEST_F(SpineDialog, ASwitchSetByTheProgramShowsInTheCheckBox)
{
    dialog->state().remember(QString::fromLatin1(SpinePictureState::kNone));
    dialog->state().setPictureSwitch(true);
    EXPECT_TRUE(dialog->Obr()->isChecked());
    EXPECT_EQ(status(), u(TFrmNzvCD::kNotSaved));
    dialog->state().setPictureSwitch(false);
    EXPECT_FALSE(dialog->Obr()->isChecked());
    EXPECT_TRUE(cover().CDL().gradient().Visible);
}

TEST_F(SpineDialog, TheEditButtonShowsTheOneDialog)
{
    window->show();
    auto *lrBtn = window->findChild<QToolButton *>(QStringLiteral("LRBtn"));
    ASSERT_NE(lrBtn, nullptr);
    lrBtn->click();
    QCoreApplication::processEvents();
    EXPECT_FALSE(unsaved()) << "showing the cover's spine changes nothing";
    ASSERT_EQ(window->findChildren<TFrmNzvCD *>().size(), 1);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_FALSE(dialog->isModal());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(SpinePictureState::current(), &dialog->state());
    // The main window stays usable while the dialog is open.
    QTest::keyClicks(window->editBox(QStringLiteral("MEN")), QStringLiteral("x"));
    EXPECT_EQ(cover().item(QStringLiteral("MTN")).text(), QStringLiteral("x"));
    dialog->close();
    EXPECT_FALSE(dialog->isVisible());
    lrBtn->click();
    EXPECT_TRUE(dialog->isVisible()) << "closed, it was only hidden";
    EXPECT_EQ(window->findChildren<TFrmNzvCD *>().size(), 1);
}

TEST_F(SpineDialog, AShowingWhoseSwitchFailsToLoadStopsThere)
{
    // A project left the picture shown, tiled, and the remembered picture is gone.
    const QString missing = work.filePath(QStringLiteral("gone.jpg"));
    dialog->state().remember(missing);
    cover().CDL().setGradientVisible(false);
    cover().CDL().setBackImageMode(BackImageMode::pbmTile);
    QString shown;
    whenModal<QMessageBox>([&](QMessageBox *box) {
        shown = box->text();
        box->accept();
    });
    dialog->show();
    EXPECT_FALSE(shown.isEmpty());
    EXPECT_TRUE(dialog->Obr()->isChecked());
    EXPECT_EQ(status(), missing) << "the base stays on the status line";
    EXPECT_TRUE(dialog->Roz()->isChecked()) << "the rest of the showing did not run";
}

TEST_F(SpineDialog, TheTitleTakesOnlyWhatAProjectFileCanHold)
{
    dialog->show();
    dialog->Edt()->clear();
    QTest::keyClicks(dialog->Edt(), QStringLiteral("CD"));
    QTest::sendKeyEvent(QTest::Click, dialog->Edt(), Qt::Key_unknown, u("ж"), Qt::NoModifier);
    QTest::sendKeyEvent(QTest::Click, dialog->Edt(), Qt::Key_unknown, u("ř"), Qt::NoModifier);
    EXPECT_EQ(cover().CDL().caption(), u("CDř"));
}

TEST_F(SpineDialog, TheSwitchTheStatusLineAndTheBandsAlwaysAgree)
{
    dialog->show();
    const QString first = work.filePath(QStringLiteral("first.jpg"));
    const QString second = work.filePath(QStringLiteral("second.png")); // with transparency
    ASSERT_TRUE(QFile::copy(testData("raster/jpeg_baseline_420.jpg"), first));
    ASSERT_TRUE(QFile::copy(testData("raster/png_rgba_qt.png"), second));
    QString chosen;
    dialog->setOpenPictureDialog([&](QWidget *) { return chosen; });
    const auto agree = [&](const char *step) {
        SCOPED_TRACE(step);
        QCoreApplication::processEvents();
        const bool on = dialog->state().pictureSwitch();
        EXPECT_EQ(dialog->Obr()->isChecked(), on);
        for (const SpineBand *band : {&cover().CDL(), &cover().CDR()}) {
            EXPECT_EQ(band->gradient().Visible, !on);
            if (on)
                EXPECT_TRUE(band->backImage().sameAs(dialog->state().remembered().picture));
            else
                EXPECT_TRUE(band->backImage().isEmpty());
        }
        EXPECT_EQ(dialog->Vdl()->isChecked(), cover().CDL().backImageMode() == BackImageMode::pbmTile);
        const QString shown = status();
        if (on)
            EXPECT_TRUE(shown == u(TFrmNzvCD::kSavedShown) || shown == u(TFrmNzvCD::kNotSaved) || shown == chosen)
                << shown.toStdString();
        else
            EXPECT_TRUE(shown == u(TFrmNzvCD::kSavedHidden) || shown == u(TFrmNzvCD::kNotSaved)) << shown.toStdString();
    };
    chosen = first;
    dialog->button(5)->click();
    agree("a picture opened");
    dialog->Vdl()->click();
    agree("tiled");
    chosen = second;
    dialog->button(5)->click();
    agree("replaced");
    EXPECT_EQ(cover().CDL().backImage().format(), PictureFormat::Png);
    dialog->Obr()->click();
    agree("switched off");
    dialog->Obr()->click();
    agree("switched on");
    for (int i = 0; i < 4; ++i) {
        window->Undo()->trigger();
        agree("undone");
    }
    EXPECT_EQ(cover().CDL().backImage().format(), PictureFormat::Jpeg) << "back to the first picture";
    window->Undo()->trigger();
    agree("undone to the start");
    EXPECT_FALSE(dialog->Obr()->isChecked());
}

TEST_F(SpineDialog, AQuestionAskedWhileTheWindowIsOpenComesAboveIt)
{
    window->show();
    window->LRBtnClick();
    TFrmNzvCD *open = window->findChildren<TFrmNzvCD *>().last();
    ASSERT_TRUE(QTest::qWaitForWindowActive(open));
    open->Edt()->setText(QStringLiteral("Unsaved title"));
    bool active = false;
    QWidget *owner = nullptr;
    whenModal<TDotazFrm>([&](TDotazFrm *question) {
        active = QTest::qWaitForWindowActive(question);
        owner = question->parentWidget();
        question->close();
    });
    window->FNewClick();
    EXPECT_TRUE(active) << "the question has the keyboard";
    EXPECT_EQ(owner, open) << "it belongs to the window the user is in";
    EXPECT_EQ(open->Edt()->text(), QStringLiteral("Unsaved title"));
}

// The item editing controls of the main window, driven as a user would.
#include <QAction>
#include <QApplication>
#include <QColorDialog>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QTreeView>
#include <QFontDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QIntValidator>
#include <QLineEdit>
#include <QMessageBox>
#include <QScrollArea>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include "GuiTestUtil.h"
#include "dialogs/FontDialog.h"
#include "app/PageCanvas.h"
#include "app/PageView.h"
#include "dialogs/PictureOpenDialog.h"
#include "app/TFrmMain.h"
#include "project/CoverDocument.h"
#include "dialogs/TFrmEdit.h"
#include "dialogs/TFrmNzvCD.h"
#include "project/CoverPage.h"

using namespace korvel;
using namespace korvel::test;

namespace {

bool saveEnabled(const TFrmMain &w)
{
    return w.commands().Fsave->isEnabled();
}

// Types text as key events, letter by letter (QTest's own helpers take ASCII only).
void typeText(QWidget *widget, const QString &text)
{
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &release);
    }
}

QPoint windowPos(const TFrmMain &window, const QWidget *control)
{
    return control->mapTo(&window, QPoint(0, 0));
}

} // namespace

TEST(ItemControls, EveryControlStandsAtItsPlaceWithItsName)
{
    TFrmMain window;
    window.resize(1000, 1200);
    window.show();
    struct Box {
        const char *name;
        int left, top, width;
    };
    const Box boxes[] = {{"MEht", 520, 119, 185}, {"MEhn", 520, 203, 185}, {"MEN", 520, 256, 185},
                         {"MEdn", 520, 318, 185}, {"MEit", 520, 414, 185}, {"MEdit", 520, 516, 185},
                         {"MEdt", 520, 546, 185}, {"BEht", 624, 618, 97},  {"BEno", 624, 670, 97},
                         {"BEdt", 624, 1030, 97}};
    QWidget *previous = nullptr;
    for (const Box &b : boxes) {
        QLineEdit *box = window.editBox(QString::fromLatin1(b.name));
        ASSERT_NE(box, nullptr) << b.name;
        EXPECT_EQ(QRect(windowPos(window, box), box->size()), QRect(b.left, b.top, b.width, 22)) << b.name;
        if (previous) {
            // The boxes keep their order; between two of them Tab visits buttons only.
            QWidget *next = previous->nextInFocusChain();
            while (next != previous && !qobject_cast<QLineEdit *>(next))
                next = next->nextInFocusChain();
            EXPECT_EQ(next, box) << "tab order before " << b.name;
        }
        previous = box;
    }
    // Font buttons in page pixels, alignment panels in window pixels.
    const QWidget *rx3 = window.findChild<QToolButton *>(QStringLiteral("RxSpeedButton3"));
    ASSERT_NE(rx3, nullptr);
    EXPECT_EQ(rx3->mapTo(window.QR()->parentWidget(), QPoint(0, 0)), QPoint(712, 225));
    EXPECT_EQ(rx3->size(), QSize(25, 25));
    const QWidget *panel12 = window.findChild<QWidget *>(QStringLiteral("Panel12"));
    ASSERT_NE(panel12, nullptr);
    EXPECT_EQ(QRect(windowPos(window, panel12), panel12->size()), QRect(760, 1027, 79, 27));
    for (int i = 1; i <= 36; ++i)
        EXPECT_NE(window.findChild<QToolButton *>(QStringLiteral("SpeedButton%1").arg(i)), nullptr) << i;
    const auto *sb36 = window.findChild<QToolButton *>(QStringLiteral("SpeedButton36"));
    EXPECT_EQ(sb36->parentWidget(), panel12);
    EXPECT_EQ(sb36->geometry(), QRect(52, 1, 25, 25));
    const auto *beo = window.findChild<QToolButton *>(QStringLiteral("BEo"));
    ASSERT_NE(beo, nullptr);
    EXPECT_EQ(beo->text(), QStringLiteral(" Editace"));
    EXPECT_EQ(beo->geometry(), QRect(624, 679, 96, 25));
    // The canvas reaches past the page for the panels at 100 % only.
    EXPECT_GE(window.QR()->parentWidget()->width(), 839);
    window.ZoomInClick();
    EXPECT_EQ(window.QR()->parentWidget()->size(),
              window.QR()->size() + QSize(PageCanvas::kShadowWidth, PageCanvas::kShadowWidth)) << "the page and its shadow";
}

TEST(ItemControls, TypingInAnEditBoxChangesTheItemAtOnce)
{
    TFrmMain window;
    window.show();
    EXPECT_FALSE(saveEnabled(window));
    QLineEdit *men = window.editBox(QStringLiteral("MEN"));
    // The boxes start empty while the page shows its texts; the first keystroke
    // replaces the item's whole text.
    EXPECT_TRUE(men->text().isEmpty());
    typeText(men, QStringLiteral("Ž"));
    EXPECT_EQ(window.page().item(QStringLiteral("MTN")).text(), QStringLiteral("Ž"));
    EXPECT_TRUE(saveEnabled(window));
    QTest::keyClicks(window.editBox(QStringLiteral("BEdt")), QStringLiteral("abc"));
    EXPECT_EQ(window.page().item(QStringLiteral("BTdt")).text(), QStringLiteral("abc"));
    // What a project file cannot hold is refused at entry.
    typeText(men, QStringLiteral("日"));
    EXPECT_EQ(men->text(), QStringLiteral("Ž"));
    EXPECT_EQ(window.page().item(QStringLiteral("MTN")).text(), QStringLiteral("Ž"));
}

TEST(ItemControls, AlignmentButtonsSetTheirItemsAlignment)
{
    TFrmMain window;
    window.show();
    auto click = [&](int n) { window.findChild<QToolButton *>(QStringLiteral("SpeedButton%1").arg(n))->click(); };
    click(30); // Panel10, right
    EXPECT_EQ(window.page().item(QStringLiteral("BTo")).alignment(), Alignment::Right);
    EXPECT_TRUE(saveEnabled(window));
    click(1); // Panel1, left
    EXPECT_EQ(window.page().item(QStringLiteral("MTht")).alignment(), Alignment::Left);
    click(8); // Panel3, centre
    EXPECT_EQ(window.page().item(QStringLiteral("MTN")).alignment(), Alignment::Center);
    click(34);
    EXPECT_EQ(window.page().item(QStringLiteral("BTdt")).alignment(), Alignment::Left);
}

TEST(ItemControls, FontButtonCancelledChangesNothing)
{
    TFrmMain window;
    window.show();
    const ItemFont before = window.page().item(QStringLiteral("MThn")).font();
    whenModal<FontDialog>([](FontDialog *d) { d->reject(); });
    window.findChild<QToolButton *>(QStringLiteral("RxSpeedButton2"))->click();
    QCoreApplication::processEvents();
    EXPECT_EQ(window.page().item(QStringLiteral("MThn")).font(), before);
    EXPECT_FALSE(saveEnabled(window)) << "nothing to save";
}

TEST(ItemControls, FontButtonConfirmedGivesTheItemTheWholeFont)
{
    TFrmMain window;
    window.show();
    whenModal<FontDialog>([](FontDialog *d) {
        const QFont current = d->chooser()->currentFont();
        EXPECT_EQ(current.pointSize(), 48);
        EXPECT_TRUE(current.bold());
        QFont f(current.family());
        f.setPointSize(36);
        f.setItalic(true);
        f.setUnderline(true);
        d->chooser()->setCurrentFont(f);
        d->colorList()->setCurrentIndex(d->colorList()->findText(QStringLiteral("Červená")));
        d->accept();
    });
    window.findChild<QToolButton *>(QStringLiteral("RxSpeedButton3"))->click();
    const ItemFont font = window.page().item(QStringLiteral("MTN")).font();
    EXPECT_EQ(font.name, QStringLiteral("Arial")) << "the portable name is kept";
    EXPECT_EQ(font.size(), 36);
    EXPECT_EQ(font.height, -48);
    EXPECT_EQ(font.style, fsItalic | fsUnderline);
    EXPECT_EQ(font.color, rgbColor(255, 0, 0));
}

TEST(ItemControls, PicturesAreChosenAndACancelledDialogChangesNothing)
{
    TFrmMain window;
    window.show();
    QTemporaryDir dir;
    const QString photo = dir.filePath(QStringLiteral("photo.jpg"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(KORVEL_TEST_DATA "/raster/jpeg_baseline_420.jpg"), photo));
    const QString dib = dir.filePath(QStringLiteral("photo.dib"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(KORVEL_TEST_DATA "/raster/bmp_24bpp.bmp"), dib));

    // The dialog itself: title, filters in order, the first selected; cancelled
    // it gives no file.
    whenModal<QFileDialog>([](QFileDialog *d) {
        EXPECT_EQ(d->windowTitle(), QStringLiteral("Otevřít obrázek..."));
        EXPECT_EQ(d->nameFilters(), labelsOf(openPictureFilters()));
        EXPECT_EQ(d->selectedNameFilter(), openPictureFilters().first().label);
        // "Vše" shows PNG pictures too, and says so.
        ASSERT_NE(d->findChild<QFileSystemModel *>(), nullptr);
        EXPECT_TRUE(d->findChild<QFileSystemModel *>()->nameFilters().contains(QStringLiteral("*.png")));
        EXPECT_TRUE(patternsOfFilter(d->selectedNameFilter()).contains(QStringLiteral("*.png")));
        auto *preview = d->findChild<QLabel *>(QStringLiteral("PicturePreview"));
        ASSERT_NE(preview, nullptr);
        // The details show in full: every column but the name as wide as its contents.
        auto *details = d->findChild<QTreeView *>(QStringLiteral("treeView"));
        ASSERT_NE(details, nullptr);
        d->setDirectory(QStringLiteral(KORVEL_TEST_DATA "/raster"));
        QTest::qWait(200); // the folder is listed in the background
        const QAbstractItemModel *model = details->model();
        const QModelIndex root = details->rootIndex();
        ASSERT_GT(model->rowCount(root), 0);
        const QFontMetrics metrics(details->font());
        for (int column = 1; column < model->columnCount(root); ++column)
            for (int row = 0; row < model->rowCount(root); ++row) {
                const QString text = model->index(row, column, root).data().toString();
                EXPECT_GE(details->header()->sectionSize(column), metrics.horizontalAdvance(text)) << text.toStdString();
            }
        EXPECT_GE(d->width(), 980);
        // A name typed rather than clicked shows in the preview too.
        auto *name = d->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(name, nullptr);
        EXPECT_TRUE(preview->pixmap().isNull());
        QTest::keyClicks(name, QStringLiteral("bmp_24bpp.bmp"));
        EXPECT_FALSE(preview->pixmap().isNull());
        d->reject();
    });
    EXPECT_TRUE(runOpenPictureDialog(&window).isEmpty());

    // Cancelled from the command: nothing changes, nothing to save.
    QString chosen;
    window.setOpenPictureDialog([&](QWidget *) { return chosen; });
    window.ImgMainClick();
    QCoreApplication::processEvents();
    EXPECT_TRUE(window.page().MainImg().picture().isEmpty());
    EXPECT_FALSE(saveEnabled(window));

    chosen = photo;
    window.ImgBackClick();
    EXPECT_EQ(window.page().BckImg().picture().format(), PictureFormat::Jpeg);
    EXPECT_TRUE(saveEnabled(window));

    // ".dib" has no loader: the message, and the picture stays.
    chosen = dib;
    QString shown;
    whenModal<QMessageBox>([&](QMessageBox *box) {
        shown = box->text();
        box->accept();
    });
    window.ImgBackClick();
    EXPECT_EQ(shown, QStringLiteral("Unknown picture file extension (.dib)"));
    EXPECT_EQ(window.page().BckImg().picture().format(), PictureFormat::Jpeg);
}

TEST(ItemControls, ClearTextsAsksAndClearsOnlyTexts)
{
    TFrmMain window;
    window.show();
    QTest::keyClicks(window.editBox(QStringLiteral("MEht")), QStringLiteral("upper"));
    window.page().MainImg().setPicture([] {
        Picture p;
        QString error;
        p.loadFromFile(QStringLiteral(KORVEL_TEST_DATA "/raster/bmp_24bpp.bmp"), &error);
        return p;
    }());
    window.page().item(QStringLiteral("MTN")).setStyle(fsItalic);
    const ItemFont font = window.page().item(QStringLiteral("MTN")).font();

    // "Ne" changes nothing.
    QString caption, message;
    whenModal<QDialog>([&](QDialog *d) {
        caption = d->windowTitle();
        if (auto *text = d->findChild<QLabel *>(QStringLiteral("text")))
            message = text->text();
        d->findChild<QPushButton *>(QStringLiteral("BtNe"))->click();
    });
    window.ClrTxtClick();
    EXPECT_EQ(caption, QStringLiteral("Smazat text ?"));
    EXPECT_EQ(message, QStringLiteral("Smazat všechen text ?"));
    EXPECT_EQ(window.page().item(QStringLiteral("MTht")).text(), QStringLiteral("upper"));
    EXPECT_EQ(window.page().CDL().caption(), QStringLiteral("Název CD"));

    // "Ano" empties every text item, both lists, the edit boxes and the spine title,
    // and keeps pictures and fonts.
    whenModal<QDialog>([](QDialog *d) { d->findChild<QPushButton *>(QStringLiteral("BtAno"))->click(); });
    window.ClrTxtClick();
    for (const TextItem &item : window.page().items()) {
        EXPECT_TRUE(item.text().isEmpty()) << item.code().toStdString();
    }
    EXPECT_TRUE(window.page().item(QStringLiteral("BTo")).lines().isEmpty());
    EXPECT_TRUE(window.editBox(QStringLiteral("MEht"))->text().isEmpty());
    EXPECT_TRUE(window.page().CDL().caption().isEmpty());
    EXPECT_TRUE(window.page().CDR().caption().isEmpty());
    EXPECT_FALSE(window.page().MainImg().picture().isEmpty());
    EXPECT_EQ(window.page().item(QStringLiteral("MTN")).font(), font);
}

TEST(ItemControls, EachListHasOneEditorThatItsButtonBringsBack)
{
    TFrmMain window;
    window.show();
    auto *contentsButton = window.findChild<QToolButton *>(QStringLiteral("BEo"));
    contentsButton->click();
    EXPECT_TRUE(saveEnabled(window));
    contentsButton->click();
    window.findChild<QToolButton *>(QStringLiteral("BEit"))->click();
    ASSERT_EQ(window.findChildren<TFrmEdit *>().size(), 2) << "a second click brings back the one editor";
    TFrmEdit *contents = window.listEditor(TFrmEdit::kTargetContents);
    TFrmEdit *info = window.listEditor(TFrmEdit::kTargetInfo);
    EXPECT_EQ(contents->target(), TFrmEdit::kTargetContents);
    EXPECT_EQ(info->target(), TFrmEdit::kTargetInfo);
    EXPECT_TRUE(contents->isVisible());
    EXPECT_TRUE(info->isVisible());
    contents->close();
    EXPECT_FALSE(contents->isVisible());
    EXPECT_TRUE(info->isVisible()) << "closing one leaves the other open";
    contentsButton->click();
    EXPECT_TRUE(contents->isVisible()) << "closed, it was only hidden";
    EXPECT_EQ(window.findChildren<TFrmEdit *>().size(), 2);
}

TEST(ItemControls, EditsInAnEditorLeftOpenAcrossASaveCountAsUnsaved)
{
    TFrmMain window;
    window.show();
    window.findChild<QToolButton *>(QStringLiteral("BEit"))->click();
    TFrmEdit *editor = window.findChild<TFrmEdit *>();
    ASSERT_NE(editor, nullptr);
    // Opening the editor changed nothing; a save while it stays open.
    QCoreApplication::processEvents();
    EXPECT_FALSE(saveEnabled(window));
    QTemporaryDir dir;
    window.document().save(dir.filePath(QStringLiteral("p.kvp")), true);
    QTest::keyClicks(editor->Text(), QStringLiteral("after the save"));
    EXPECT_EQ(window.page().item(QStringLiteral("BTit")).lines(), QStringList{QStringLiteral("after the save")});
    EXPECT_TRUE(saveEnabled(window));
    window.document().save(dir.filePath(QStringLiteral("p.kvp")), true);
    EXPECT_FALSE(saveEnabled(window));
    editor->SpeedButton4()->click();
    EXPECT_EQ(window.page().item(QStringLiteral("BTit")).alignment(), Alignment::Right);
    EXPECT_TRUE(saveEnabled(window));
}

TEST(ItemControls, TheFontDialogHasNoSizeLimit)
{
    FontDialog dialog;
    dialog.setItemFont(ItemFont{});
    QLineEdit *sizeEdit = nullptr;
    for (QLineEdit *edit : dialog.chooser()->findChildren<QLineEdit *>())
        if (qobject_cast<const QIntValidator *>(edit->validator()))
            sizeEdit = edit;
    ASSERT_NE(sizeEdit, nullptr);
    sizeEdit->selectAll();
    QTest::keyClicks(sizeEdit, QStringLiteral("600"));
    EXPECT_EQ(sizeEdit->text(), QStringLiteral("600"));
    EXPECT_EQ(dialog.itemFont().size(), 600);
    EXPECT_EQ(dialog.itemFont().height, -800);
}

TEST(ItemControls, AnItemIsEditedFromTheKeyboardAlone)
{
    TFrmMain window;
    window.show();
    window.activateWindow();
    QLineEdit *men = window.editBox(QStringLiteral("MEN"));
    men->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return men->hasFocus(); }));
    // Tab: the box, its font button, its three alignment buttons, the next box.
    QStringList visited;
    for (int i = 0; i < 5; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget()->objectName();
    }
    EXPECT_EQ(visited, (QStringList{"RxSpeedButton3", "SpeedButton7", "SpeedButton8", "SpeedButton9", "MEdn"}));
    auto *right = window.findChild<QToolButton *>(QStringLiteral("SpeedButton9"));
    EXPECT_TRUE(right->toolTip().contains(QStringLiteral("Ctrl+R")));
    right->setFocus();
    QTest::keyClick(right, Qt::Key_Return);
    EXPECT_EQ(window.page().item(QStringLiteral("MTN")).alignment(), Alignment::Right);

    // The keys act on the item whose box has the focus.
    men->setFocus();
    QTest::keyClick(men, Qt::Key_L, Qt::ControlModifier);
    EXPECT_EQ(window.page().item(QStringLiteral("MTN")).alignment(), Alignment::Left);
    QTest::keyClick(men, Qt::Key_E, Qt::ControlModifier);
    EXPECT_EQ(window.page().item(QStringLiteral("MTN")).alignment(), Alignment::Center);
    // Ctrl+T: the font dialog, confirmed by Enter in its size field.
    whenModal<FontDialog>([](FontDialog *d) {
        for (QLineEdit *edit : d->chooser()->findChildren<QLineEdit *>())
            if (qobject_cast<const QIntValidator *>(edit->validator())) {
                edit->selectAll();
                QTest::keyClicks(edit, QStringLiteral("30"));
                QTest::keyClick(edit, Qt::Key_Return);
            }
    });
    QTest::keyClick(men, Qt::Key_T, Qt::ControlModifier);
    EXPECT_EQ(window.page().item(QStringLiteral("MTN")).font().size(), 30);
    // The colour list takes Enter too.
    whenModal<FontDialog>([](FontDialog *d) {
        d->colorList()->setFocus();
        QTest::keyClick(d->colorList(), Qt::Key_Return);
    });
    QTest::keyClick(men, Qt::Key_T, Qt::ControlModifier);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(men->text(), QString()) << "the box got none of the keys";

    // The contents list's editor and the spine window close with Escape, keeping
    // what was typed; Ctrl+Q closes the program through the usual question.
    window.activateWindow();
    men->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return men->hasFocus(); }));
    QTest::keyClick(men, Qt::Key_E, Qt::ControlModifier | Qt::ShiftModifier);
    auto *editor = window.findChild<TFrmEdit *>();
    ASSERT_NE(editor, nullptr);
    ASSERT_TRUE(editor->isVisible());
    QTest::keyClicks(editor->Text(), QStringLiteral("Track"));
    QTest::keyClick(editor->Text(), Qt::Key_Escape);
    EXPECT_FALSE(editor->isVisible());
    EXPECT_EQ(window.page().item(QStringLiteral("BTo")).lines(), QStringList{QStringLiteral("Track")});
    window.LRBtnClick();
    auto *spine = window.findChildren<TFrmNzvCD *>().last();
    ASSERT_TRUE(spine->isVisible());
    QTest::keyClick(spine->Edt(), Qt::Key_Escape);
    EXPECT_FALSE(spine->isVisible());
    answerNextQuestion(false);
    QTest::keyClick(men, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(window.isVisible());
}

TEST(ItemControls, AnyTextColourCanBeChosen)
{
    FontDialog dialog;
    ItemFont font;
    font.color = ColorRef(0x80000008); // the window's text colour, as the creation defaults have it
    dialog.setItemFont(font);
    QComboBox *colors = dialog.colorList();
    EXPECT_EQ(colors->currentText(), QStringLiteral("Automatická"));
    EXPECT_EQ(dialog.itemFont().color, ColorRef(0x80000008));
    EXPECT_EQ(colors->itemText(colors->count() - 1), QStringLiteral("Vlastní…"));

    // "Vlastní…" opens the colour dialog at the colour shown; what is chosen is kept.
    whenModal<QColorDialog>([](QColorDialog *d) {
        EXPECT_EQ(d->currentColor(), resolveColor(ColorRef(0x80000008)));
        d->setCurrentColor(QColor(12, 34, 56));
        d->accept();
    });
    emit colors->activated(colors->count() - 1);
    EXPECT_EQ(dialog.itemFont().color, rgbColor(12, 34, 56));
    EXPECT_EQ(colors->currentText(), QStringLiteral("Vlastní (#0c2238)"));
    // Cancelled, it keeps the colour; a named colour stays what it was.
    whenModal<QColorDialog>([](QColorDialog *d) { d->reject(); });
    emit colors->activated(colors->count() - 1);
    EXPECT_EQ(dialog.itemFont().color, rgbColor(12, 34, 56));
    colors->setCurrentIndex(colors->findText(QStringLiteral("Červená")));
    EXPECT_EQ(dialog.itemFont().color, rgbColor(255, 0, 0));
}

TEST(ItemControls, TheSheetsEdgeNeverRunsThroughAControl)
{
    TFrmMain window;
    window.resize(1200, 1300);
    window.show();
    QWidget *canvas = window.QR()->parentWidget();
    const QImage image = canvas->grab().toImage();
    const int edge = window.QR()->geometry().right() + 1;
    // Where a panel reaches past the sheet, the panel is what shows; elsewhere the shadow.
    const QWidget *panel = window.findChild<QWidget *>(QStringLiteral("Panel9"));
    const QRect covered = panel->geometry();
    ASSERT_TRUE(covered.contains(QPoint(edge, covered.center().y())));
    // (Its top and bottom rows: the buttons' pictures lie between.)
    for (int y : {covered.top(), covered.bottom()})
        for (int x = edge - 1; x < edge + PageCanvas::kShadowWidth; ++x)
            EXPECT_GT(qGray(image.pixel(x, y)), 230) << x << "," << y << " inside Panel9";
    EXPECT_LT(qGray(image.pixel(edge, covered.top() - 10)), 210) << "the shadow above the panel";
}

// The multi-line editor window driven as a user would, offscreen: typing into Text,
// its buttons, closing, two windows at once, and the lines the page receives.
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScreen>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QToolButton>
#include <gtest/gtest.h>

#include "dialogs/TFrmEdit.h"
#include "project/CoverPage.h"

using namespace korvel;

namespace {

// Ordinary words, long enough together to wrap several times in the editor.
const QString kParagraph = QStringLiteral(
    "The quick brown fox jumps over the lazy dog while seven wizards quietly hex "
    "the jovial boxing judges and a sphinx of black quartz judges my vow once more "
    "before the night is over and the band plays the last song of the evening");

class FrmEdit : public ::testing::Test {
protected:
    void SetUp() override
    {
        QSettings().remove(TFrmEdit::placementKey());
        owner.resize(300, 200);
    }

    QStringList lines(const char *code) const { return page.item(QString::fromLatin1(code)).lines(); }

    static void typeAtEnd(TFrmEdit &w, const QString &ascii)
    {
        w.Text()->moveCursor(QTextCursor::End);
        QTest::keyClicks(w.Text(), ascii);
    }

    CoverPage page;
    QWidget owner;
};

// The width a line of Text may take, once the window has been shown.
qreal availableWidth(const TFrmEdit &w)
{
    return w.Text()->viewport()->width() - 2 * w.Text()->document()->documentMargin();
}

qreal textWidth(const TFrmEdit &w, const QString &s)
{
    return QFontMetricsF(w.Text()->document()->defaultFont()).horizontalAdvance(s);
}

// The pieces of one paragraph, as a wrapping editor must break it: together they
// are the paragraph, each fits the width, and each break is forced, because the
// next word would not have fitted on the line before.
void expectWrapped(const TFrmEdit &w, const QStringList &pieces, const QString &paragraph)
{
    ASSERT_GE(pieces.size(), 2) << "the paragraph is wider than the editor";
    EXPECT_EQ(pieces.join(QString()), paragraph) << "nothing lost, nothing added at the breaks";
    const qreal width = availableWidth(w);
    for (int i = 0; i < pieces.size(); ++i) {
        EXPECT_LE(textWidth(w, pieces[i].trimmed()), width) << pieces[i].toStdString();
        if (i + 1 < pieces.size()) {
            const QString nextWord = pieces[i + 1].section(QLatin1Char(' '), 0, 0);
            EXPECT_GT(textWidth(w, pieces[i] + nextWord), width)
                << "\"" << nextWord.toStdString() << "\" would have fitted after \""
                << pieces[i].toStdString() << "\"";
        }
    }
}

QImage iconImage(const QToolButton *b)
{
    return b->icon().pixmap(16, 16).toImage();
}

struct PageSnapshot {
    std::vector<QStringList> lines;
    std::vector<Alignment> alignments;
    bool operator==(const PageSnapshot &) const = default;
};

PageSnapshot snapshot(const CoverPage &page)
{
    PageSnapshot s;
    for (const TextItem &item : page.items()) {
        s.lines.push_back(item.lines());
        s.alignments.push_back(item.alignment());
    }
    return s;
}

} // namespace

TEST_F(FrmEdit, IsAStayOnTopToolWindowWithItsControlsInPlace)
{
    TFrmEdit w(page, &owner);
    EXPECT_EQ(w.target(), 0) << "no target before WhatEdit";
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Editace textu"));
    EXPECT_EQ(w.parentWidget(), &owner);
    EXPECT_TRUE(w.isWindow());
    EXPECT_EQ(w.windowModality(), Qt::NonModal);
    const Qt::WindowFlags flags = w.windowFlags();
    EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Tool);
    EXPECT_FALSE(flags & Qt::WindowStaysOnTopHint) << "above its owner only, never above a question";
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(w.minimumSize(), QSize(465, 278));
    EXPECT_EQ(w.maximumSize(), QSize(465, 278)) << "not resizable";
    EXPECT_FALSE(w.windowIcon().isNull());
    EXPECT_EQ(w.font().family(), QStringLiteral("MS Sans Serif"));
    EXPECT_EQ(w.font().pixelSize(), 11);
    EXPECT_EQ(w.Text()->document()->defaultFont().pixelSize(), 11) << "Text writes in the window's font";

    w.show();
    EXPECT_EQ(w.size(), QSize(465, 278));
    EXPECT_EQ(w.findChild<QPlainTextEdit *>(QStringLiteral("Text")), w.Text());
    EXPECT_EQ(w.Text()->geometry(), QRect(0, 0, 465, 242));
    EXPECT_EQ(w.Text()->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    EXPECT_EQ(w.Text()->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(w.Text()->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(w.findChild<QFrame *>(QStringLiteral("Panel1")), w.Panel1());
    EXPECT_EQ(w.Panel1()->geometry(), QRect(0, 242, 465, 36));

    const QToolButton *buttons[] = {w.SpeedButton1(), w.SpeedButton2(), w.SpeedButton3(), w.SpeedButton4()};
    const QRect rects[] = {{118, 6, 121, 25}, {254, 6, 28, 25}, {286, 6, 28, 25}, {318, 6, 28, 25}};
    for (int i = 0; i < 4; ++i) {
        const QString name = QStringLiteral("SpeedButton%1").arg(i + 1);
        EXPECT_EQ(w.findChild<QToolButton *>(name), buttons[i]);
        EXPECT_EQ(buttons[i]->parentWidget(), w.Panel1()) << name.toStdString();
        EXPECT_EQ(buttons[i]->geometry(), rects[i]) << name.toStdString();
        EXPECT_TRUE(buttons[i]->isVisible());
        EXPECT_FALSE(buttons[i]->icon().isNull()) << name.toStdString();
    }
    EXPECT_EQ(w.SpeedButton1()->text(), QStringLiteral("Vložit text"));
    EXPECT_EQ(w.SpeedButton1()->toolButtonStyle(), Qt::ToolButtonTextBesideIcon);

    // The three alignment pictures: every line starts at the left edge in the first,
    // ends at the right edge in the last, and the middle one is symmetric.
    const QImage left = iconImage(w.SpeedButton2());
    const QImage centre = iconImage(w.SpeedButton3());
    const QImage right = iconImage(w.SpeedButton4());
    auto inked = [](const QImage &img, int x, int y) { return qAlpha(img.pixel(x, y)) > 0; };
    int leftStarts = 0, rightEnds = 0;
    for (int y = 0; y < 16; ++y) {
        leftStarts += inked(left, 1, y);
        rightEnds += inked(right, 14, y);
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(inked(centre, x, y), inked(centre, 15 - x, y)) << x << "," << y;
    }
    EXPECT_GE(leftStarts, 3);
    EXPECT_GE(rightEnds, 3);
    EXPECT_NE(left, right);
    EXPECT_NE(left, centre);
}

TEST_F(FrmEdit, ShowsTheContentsListAndHandsEveryKeystrokeToThePage)
{
    page.item(QStringLiteral("BTo")).setLines({QStringLiteral("1. Úvod"), QStringLiteral("2. Píseň")});
    const QStringList infoBefore = lines("BTit");
    TFrmEdit w(page, &owner);
    w.WhatEdit(1);
    EXPECT_EQ(w.target(), 1);
    w.show();
    EXPECT_EQ(w.Text()->toPlainText(), QStringLiteral("1. Úvod\n2. Píseň"));
    EXPECT_EQ(lines("BTo"), (QStringList{QStringLiteral("1. Úvod"), QStringLiteral("2. Píseň")}));

    QSignalSpy repaints(&page, &CoverPage::changed);
    w.Text()->moveCursor(QTextCursor::End);
    QTest::keyClick(w.Text(), Qt::Key_Return);
    EXPECT_EQ(lines("BTo").size(), 2) << "an empty last line is not handed over";
    QTest::keyClicks(w.Text(), QStringLiteral("3."));
    EXPECT_EQ(lines("BTo").value(2), QStringLiteral("3.")) << "the page has every keystroke at once";
    QTest::keyClicks(w.Text(), QStringLiteral(" Outro"));
    EXPECT_EQ(lines("BTo"),
              (QStringList{QStringLiteral("1. Úvod"), QStringLiteral("2. Píseň"), QStringLiteral("3. Outro")}));
    EXPECT_GE(repaints.count(), 8) << "the page repaints the item on each keystroke";
    EXPECT_EQ(page.layout(QStringLiteral("BTo")).lines.value(2), QStringLiteral("3. Outro"));

    // A blank line inside the list is kept; only the last empty line is dropped.
    QTest::keyClick(w.Text(), Qt::Key_Return);
    QTest::keyClick(w.Text(), Qt::Key_Return);
    EXPECT_EQ(lines("BTo").size(), 4);
    EXPECT_EQ(lines("BTo").value(3), QString());
    EXPECT_EQ(lines("BTit"), infoBefore);
}

TEST_F(FrmEdit, DeletingAllTextEmptiesTheItem)
{
    page.item(QStringLiteral("BTo")).setLines({QStringLiteral("one"), QStringLiteral("two")});
    TFrmEdit w(page, &owner);
    w.WhatEdit(1);
    w.show();
    ASSERT_EQ(lines("BTo").size(), 2);
    QTest::keyClick(w.Text(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(w.Text(), Qt::Key_Delete);
    EXPECT_TRUE(w.Text()->toPlainText().isEmpty());
    EXPECT_TRUE(lines("BTo").isEmpty());
    EXPECT_TRUE(page.layout(QStringLiteral("BTo")).lines.isEmpty());
}

TEST_F(FrmEdit, OpeningSplitsALineWiderThanTheEditorWhereTheEditorWrapsIt)
{
    page.item(QStringLiteral("BTit")).setLines({QStringLiteral("Nahráno 2026"), kParagraph});
    TFrmEdit w(page, &owner);
    w.WhatEdit(2);
    w.show();
    const QStringList got = lines("BTit");
    ASSERT_GE(got.size(), 3);
    EXPECT_EQ(got.first(), QStringLiteral("Nahráno 2026"));
    expectWrapped(w, got.mid(1), kParagraph);
    // The editor itself still holds the text as it was opened.
    EXPECT_EQ(w.Text()->toPlainText(), QStringLiteral("Nahráno 2026\n") + kParagraph);
    EXPECT_EQ(w.displayedLines(), got);
}

TEST_F(FrmEdit, LinesAreBrokenTheSameBeforeTheWindowIsEverShown)
{
    TFrmEdit hidden(page, &owner);
    hidden.WhatEdit(1);
    // A paste with accented letters while the window has not been shown yet.
    const QString czech = QStringLiteral("Příliš žluťoučký kůň úpěl ďábelské ódy, ") + kParagraph;
    hidden.Text()->insertPlainText(czech);
    const QStringList beforeShow = lines("BTo");
    ASSERT_GE(beforeShow.size(), 3) << "wrapped although Text has never been laid out on screen";

    hidden.show();
    expectWrapped(hidden, beforeShow, czech);
    EXPECT_EQ(lines("BTo"), beforeShow) << "the shown editor breaks where the hidden one did";
    EXPECT_EQ(hidden.displayedLines(), beforeShow);
}

TEST_F(FrmEdit, ATypedParagraphArrivesAsSeveralLinesAndIsNotRejoined)
{
    page.item(QStringLiteral("BTo")).clearLines();
    TFrmEdit w(page, &owner);
    w.WhatEdit(1);
    w.show();
    typeAtEnd(w, kParagraph);
    const QStringList got = lines("BTo");
    expectWrapped(w, got, kParagraph);
    EXPECT_EQ(w.Text()->document()->blockCount(), 1) << "Text keeps the paragraph whole";

    // Writing into the item never touches Text: the caret stays where it is.
    QTextCursor caret = w.Text()->textCursor();
    caret.setPosition(20);
    w.Text()->setTextCursor(caret);
    w.TextChange();
    w.TextChange();
    EXPECT_EQ(w.Text()->textCursor().position(), 20);
    EXPECT_EQ(w.Text()->toPlainText(), kParagraph);
    EXPECT_EQ(lines("BTo"), got);

    // More typing at the end leaves the earlier lines as they were.
    typeAtEnd(w, QStringLiteral(" again"));
    const QStringList more = lines("BTo");
    ASSERT_GE(more.size(), got.size());
    EXPECT_EQ(more.mid(0, got.size() - 1), got.mid(0, got.size() - 1));
    EXPECT_TRUE(more.join(QString()).endsWith(QStringLiteral(" again")));
}

TEST_F(FrmEdit, ChangesOfTheItemFromElsewhereDoNotRefillTheOpenEditor)
{
    page.item(QStringLiteral("BTo")).setLines({QStringLiteral("first")});
    TFrmEdit w(page, &owner);
    w.WhatEdit(1);
    w.show();
    typeAtEnd(w, QStringLiteral(" line"));
    const int caret = w.Text()->textCursor().position();
    page.item(QStringLiteral("BTo")).setAlignment(Alignment::Right);
    page.item(QStringLiteral("BTo")).setLines({QStringLiteral("from the main window")});
    EXPECT_EQ(w.Text()->toPlainText(), QStringLiteral("first line"));
    EXPECT_EQ(w.Text()->textCursor().position(), caret);
}

TEST_F(FrmEdit, ClosingOnlyHidesAndKeepsTheEdits)
{
    page.item(QStringLiteral("BTo")).setLines({QStringLiteral("Side A")});
    QPointer<TFrmEdit> w = new TFrmEdit(page, &owner);
    w->WhatEdit(1);
    w->show();
    QTest::keyClick(w->Text(), Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(w->Text(), QStringLiteral(" / B"));
    EXPECT_TRUE(w->close());
    ASSERT_FALSE(w.isNull()) << "closed windows live on";
    EXPECT_TRUE(w->isHidden());
    EXPECT_EQ(lines("BTo"), QStringList{QStringLiteral("Side A / B")}) << "no cancel: the edits stay";

    // Opened again with the item unchanged: Text is not refilled, the caret stays.
    QTextCursor caret = w->Text()->textCursor();
    caret.setPosition(4);
    w->Text()->setTextCursor(caret);
    w->show();
    EXPECT_EQ(w->Text()->toPlainText(), QStringLiteral("Side A / B"));
    EXPECT_EQ(w->Text()->textCursor().position(), 4);

    // "Vložit text" hands the lines over and closes.
    QTest::keyClicks(w->Text(), QStringLiteral(">"));
    QTest::mouseClick(w->SpeedButton1(), Qt::LeftButton);
    EXPECT_TRUE(w->isHidden());
    EXPECT_EQ(lines("BTo"), QStringList{QStringLiteral("Side> A / B")});

    // The item changed while the window was hidden: showing it brings the new lines.
    page.item(QStringLiteral("BTo")).setLines({QStringLiteral("x"), QStringLiteral("y")});
    w->show();
    EXPECT_EQ(w->Text()->toPlainText(), QStringLiteral("x\ny"));
    EXPECT_EQ(lines("BTo"), (QStringList{QStringLiteral("x"), QStringLiteral("y")}));
}

TEST_F(FrmEdit, AlignmentButtonsSetTheTargetItemsAlignment)
{
    TFrmEdit w(page, &owner);
    w.WhatEdit(2);
    w.show();
    const Alignment contents = page.item(QStringLiteral("BTo")).alignment();
    TextItem &info = page.item(QStringLiteral("BTit"));
    QTest::mouseClick(w.SpeedButton4(), Qt::LeftButton);
    EXPECT_EQ(info.alignment(), Alignment::Right);
    QTest::mouseClick(w.SpeedButton3(), Qt::LeftButton);
    EXPECT_EQ(info.alignment(), Alignment::Center);
    QTest::mouseClick(w.SpeedButton2(), Qt::LeftButton);
    EXPECT_EQ(info.alignment(), Alignment::Left);
    // The main window's alignment panel sets the same attribute; the last one wins.
    info.setAlignment(Alignment::Right);
    QTest::mouseClick(w.SpeedButton3(), Qt::LeftButton);
    EXPECT_EQ(info.alignment(), Alignment::Center);
    EXPECT_EQ(page.item(QStringLiteral("BTo")).alignment(), contents);
}

TEST_F(FrmEdit, WithoutAValidTargetNothingOnThePageChanges)
{
    page.item(QStringLiteral("BTo")).setLines({QStringLiteral("kept")});
    const PageSnapshot before = snapshot(page);
    for (int target : {0, 3, -1}) {
        SCOPED_TRACE(target);
        TFrmEdit w(page, &owner);
        if (target != 0)
            w.WhatEdit(target);
        QSignalSpy repaints(&page, &CoverPage::changed);
        w.show();
        typeAtEnd(w, QStringLiteral("typed into nothing"));
        QTest::keyClick(w.Text(), Qt::Key_Return);
        for (QToolButton *b : {w.SpeedButton2(), w.SpeedButton3(), w.SpeedButton4(), w.SpeedButton1()})
            QTest::mouseClick(b, Qt::LeftButton);
        EXPECT_EQ(w.Text()->toPlainText(), QStringLiteral("typed into nothing\n")) << "the box itself edits";
        EXPECT_TRUE(w.isHidden());
        w.show();
        EXPECT_EQ(w.Text()->toPlainText(), QStringLiteral("typed into nothing\n")) << "Text keeps what it had";
        EXPECT_EQ(repaints.count(), 0);
        EXPECT_TRUE(snapshot(page) == before);
    }
}

TEST_F(FrmEdit, TwoWindowsEachEditTheItemTheyWereOpenedFor)
{
    page.item(QStringLiteral("BTo")).setLines({QStringLiteral("list")});
    page.item(QStringLiteral("BTit")).setLines({QStringLiteral("info")});
    TFrmEdit contents(page, &owner);
    contents.WhatEdit(1);
    contents.show();
    TFrmEdit info(page, &owner);
    info.WhatEdit(2);
    info.show();
    EXPECT_EQ(contents.target(), 1) << "opening a second window leaves the first one's target alone";

    typeAtEnd(contents, QStringLiteral(" 1"));
    EXPECT_EQ(lines("BTo"), QStringList{QStringLiteral("list 1")});
    EXPECT_EQ(lines("BTit"), QStringList{QStringLiteral("info")});

    typeAtEnd(info, QStringLiteral(" 2"));
    EXPECT_EQ(lines("BTit"), QStringList{QStringLiteral("info 2")});
    EXPECT_EQ(lines("BTo"), QStringList{QStringLiteral("list 1")});

    const Alignment infoAlignment = page.item(QStringLiteral("BTit")).alignment();
    QTest::mouseClick(contents.SpeedButton4(), Qt::LeftButton);
    EXPECT_EQ(page.item(QStringLiteral("BTo")).alignment(), Alignment::Right);
    EXPECT_EQ(page.item(QStringLiteral("BTit")).alignment(), infoAlignment);
}

TEST_F(FrmEdit, OpensCentredThenWhereItWasLastLeft)
{
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QRect left;
    {
        TFrmEdit first(page, &owner);
        first.show();
        const QPoint offCentre = first.frameGeometry().center() - screen.center();
        EXPECT_LE(offCentre.manhattanLength(), 1) << "centred when no place is remembered";
        first.move(screen.topLeft() + QPoint(17, 43));
        left = first.geometry();
        first.close();
    }
    // Opened and closed again and again, it stays where it was left.
    for (int opening = 0; opening < 3; ++opening) {
        TFrmEdit again(page, &owner);
        again.show();
        EXPECT_EQ(again.geometry().topLeft(), left.topLeft()) << "opening " << opening;
        again.close();
    }
    // A place half off the screen is pulled back onto it, title bar and all.
    QSettings().setValue(TFrmEdit::placementKey(), QRect(screen.right() - 100, screen.top() - 10, 465, 278));
    {
        TFrmEdit pulled(page, &owner);
        pulled.show();
        EXPECT_TRUE(screen.contains(pulled.geometry())) << "on the screen";
        EXPECT_GE(pulled.geometry().top(), screen.top() + 20) << "with room for its title bar";
    }
    // A remembered place on no screen of today's desktop falls back to the centre.
    QSettings().setValue(TFrmEdit::placementKey(), QRect(-30000, -30000, 465, 278));
    TFrmEdit third(page, &owner);
    third.show();
    EXPECT_LE((third.frameGeometry().center() - screen.center()).manhattanLength(), 1);
}

// The question window driven as a user would: a timer inside its modal loop finds
// the window, looks at it and presses a button or a key.
#include <QApplication>
#include <QDeadlineTimer>
#include <QFontInfo>
#include <QFontMetrics>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

#include "dialogs/Ask.h"
#include "dialogs/TDotazFrm.h"

using namespace korvel;

namespace {

const QString kUnsaved = QStringLiteral("Soubor není uložen ! Přejete si ho uložit ?");

TDotazFrm *openDialog()
{
    if (auto *dlg = qobject_cast<TDotazFrm *>(QApplication::activeModalWidget()))
        return dlg;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *dlg = qobject_cast<TDotazFrm *>(w); dlg && dlg->isVisible())
            return dlg;
    return nullptr;
}

// Once the question window is up and active, runs action on it (the action must
// answer or close it). If no window comes within five seconds the test fails and
// whatever is open is closed, so the run cannot hang.
void whenShown(std::function<void(TDotazFrm &)> action)
{
    auto *timer = new QTimer;
    const QDeadlineTimer deadline(5000);
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, deadline, action] {
        TDotazFrm *dlg = openDialog();
        if (dlg && dlg->isVisible() && dlg->isActiveWindow()) {
            timer->stop();
            timer->deleteLater();
            action(*dlg);
            // An action that failed to answer must not leave the modal loop running.
            QPointer<TDotazFrm> open(dlg);
            QTimer::singleShot(2000, [open] {
                if (open && open->isVisible()) {
                    ADD_FAILURE() << "the question window was still open after the test's action";
                    open->close();
                }
            });
            return;
        }
        if (deadline.hasExpired()) {
            timer->stop();
            timer->deleteLater();
            ADD_FAILURE() << "the question window did not come up as the active window";
            if (dlg)
                dlg->close();
        }
    });
    timer->start();
}

void click(TDotazFrm &dlg, const char *button)
{
    auto *b = dlg.findChild<QPushButton *>(QLatin1String(button));
    ASSERT_NE(b, nullptr) << button;
    b->click();
}

int visibleIcon(const TDotazFrm &dlg)
{
    int shown = -1;
    for (int i = 0; i < 4; ++i) {
        auto *image = dlg.findChild<QLabel *>(QStringLiteral("Image%1").arg(i));
        if (image && image->isVisible()) {
            if (shown != -1)
                return 100; // more than one
            shown = i;
        }
    }
    return shown;
}

// Records the client heights the question window passes through.
class ResizeRecorder : public QObject {
public:
    QList<int> heights;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Resize && qobject_cast<TDotazFrm *>(watched))
            heights << static_cast<QResizeEvent *>(event)->size().height();
        return false;
    }
};

} // namespace

TEST(AskDialog, ButtonsGiveTheAnswerAndTheWindowShowsCaptionAndMessage)
{
    QString caption, message;
    whenShown([&](TDotazFrm &dlg) {
        caption = dlg.windowTitle();
        message = dlg.text()->text();
        click(dlg, "BtAno");
    });
    EXPECT_TRUE(Ask(QStringLiteral("Neuloženo !"), kUnsaved, 1));
    EXPECT_EQ(caption, QStringLiteral("Neuloženo !"));
    EXPECT_EQ(message, kUnsaved);

    whenShown([&](TDotazFrm &dlg) {
        caption = dlg.windowTitle();
        message = dlg.text()->text();
        click(dlg, "BtNe");
    });
    EXPECT_FALSE(Ask(QStringLiteral("Soubor existuje!"), QStringLiteral("Soubor již existuje! Přepsat ?"), 1));
    EXPECT_EQ(caption, QStringLiteral("Soubor existuje!"));
    EXPECT_EQ(message, QStringLiteral("Soubor již existuje! Přepsat ?"));

    // A message is shown as it stands, never read as markup.
    whenShown([&](TDotazFrm &dlg) {
        message = dlg.text()->text();
        EXPECT_EQ(dlg.text()->textFormat(), Qt::PlainText);
        click(dlg, "BtAno");
    });
    EXPECT_TRUE(Ask(QStringLiteral("x"), QStringLiteral("<b>Smazat</b> všechen text ?"), 2));
    EXPECT_EQ(message, QStringLiteral("<b>Smazat</b> všechen text ?"));
}

TEST(AskDialog, KindSelectsOneIconAboveThreeTheTickNegativeNone)
{
    const QList<QPair<int, int>> cases{{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 0}, {10, 0}, {-1, -1}};
    for (const auto &[kind, expected] : cases) {
        int shown = -2;
        whenShown([&](TDotazFrm &dlg) {
            shown = visibleIcon(dlg);
            click(dlg, "BtNe");
        });
        Ask(QStringLiteral("Dotaz"), QStringLiteral("Smazat všechen text ?"), kind);
        EXPECT_EQ(shown, expected) << "kind " << kind;
    }
}

TEST(AskDialog, ControlsHaveTheirNamesPlacesFontAndColour)
{
    whenShown([](TDotazFrm &dlg) {
        EXPECT_EQ(dlg.parent(), nullptr);
        EXPECT_TRUE(dlg.isModal());
        EXPECT_EQ(dlg.windowModality(), Qt::ApplicationModal);
        EXPECT_FALSE(dlg.windowIcon().isNull());
        EXPECT_EQ(dlg.minimumSize(), dlg.maximumSize()) << "not resizable";
        EXPECT_FALSE(dlg.windowFlags() & Qt::WindowMinimizeButtonHint);
        EXPECT_FALSE(dlg.windowFlags() & Qt::WindowMaximizeButtonHint);
        EXPECT_TRUE(dlg.windowFlags() & Qt::WindowCloseButtonHint);
        EXPECT_EQ(dlg.palette().color(QPalette::Window), QColor(0xC0, 0xC0, 0xC0));
        EXPECT_EQ(dlg.font().family(), QStringLiteral("MS Sans Serif"));
        EXPECT_EQ(dlg.font().pixelSize(), 11);
        EXPECT_EQ(QFontInfo(dlg.font()).family(), QStringLiteral("Liberation Sans"));

        const int imageLeft[4] = {11, 10, 11, 11};
        for (int i = 0; i < 4; ++i) {
            QLabel *image = dlg.findChild<QLabel *>(QStringLiteral("Image%1").arg(i));
            ASSERT_NE(image, nullptr) << i;
            EXPECT_EQ(image, dlg.Image(i));
            EXPECT_EQ(image->geometry(), QRect(imageLeft[i], 11, 32, 32)) << i;
            EXPECT_EQ(image->pixmap().size(), QSize(32, 32)) << i;
        }
        QFrame *panel = dlg.findChild<QFrame *>(QStringLiteral("Panel"));
        ASSERT_NE(panel, nullptr);
        EXPECT_EQ(panel->pos(), QPoint(49, 13));
        EXPECT_EQ(panel->height(), 38);
        EXPECT_EQ(panel->frameShape(), QFrame::NoFrame);
        EXPECT_EQ(panel->palette().color(panel->backgroundRole()), QColor(0xC0, 0xC0, 0xC0));
        QLabel *text = panel->findChild<QLabel *>(QStringLiteral("text"));
        ASSERT_NE(text, nullptr);
        EXPECT_EQ(text->geometry(), QRect(0, 0, panel->width(), 13));
        EXPECT_TRUE(text->alignment() & Qt::AlignHCenter);
        EXPECT_TRUE(text->alignment() & Qt::AlignTop);
        EXPECT_FALSE(text->wordWrap());
        QLabel *widthtxt = dlg.findChild<QLabel *>(QStringLiteral("widthtxt"));
        ASSERT_NE(widthtxt, nullptr);
        EXPECT_FALSE(widthtxt->isVisible());
        EXPECT_EQ(widthtxt->pos(), QPoint(8, 80));

        QPushButton *ano = dlg.findChild<QPushButton *>(QStringLiteral("BtAno"));
        QPushButton *ne = dlg.findChild<QPushButton *>(QStringLiteral("BtNe"));
        ASSERT_NE(ano, nullptr);
        ASSERT_NE(ne, nullptr);
        EXPECT_EQ(ano->text(), QStringLiteral("Ano"));
        EXPECT_EQ(ne->text(), QStringLiteral("Ne"));
        EXPECT_EQ(ano->size(), QSize(75, 23));
        EXPECT_EQ(ne->size(), QSize(75, 23));
        EXPECT_EQ(ano->y(), 58);
        EXPECT_EQ(ne->y(), 58);
        EXPECT_TRUE(ano->isDefault());
        EXPECT_FALSE(ne->isDefault());
        EXPECT_EQ(QApplication::focusWidget(), ano);
        EXPECT_EQ(ano->nextInFocusChain(), ne);
        click(dlg, "BtNe");
    });
    Ask(QStringLiteral("Smazat text ?"), QStringLiteral("Smazat všechen text ?"), 2);
}

TEST(AskDialog, WidthFollowsTheMessageAndButtonsMeetAtTheMiddle)
{
    whenShown([](TDotazFrm &dlg) {
        const int w = dlg.widthtxt()->width();
        const int advance = QFontMetrics(dlg.font()).horizontalAdvance(kUnsaved);
        EXPECT_NEAR(w, advance, 2) << "the hidden label measures the message";
        EXPECT_GT(w, 150);
        EXPECT_EQ(dlg.frameGeometry().width(), w + 78) << "outer width, frame included";
        EXPECT_EQ(dlg.Panel()->width(), w + 20);
        EXPECT_EQ(dlg.text()->width(), w + 20);
        const int middle = dlg.width() / 2;
        EXPECT_EQ(dlg.BtAno()->geometry().right() + 1, middle - 5);
        EXPECT_EQ(dlg.BtNe()->x(), middle);
        // The message's centre lies midway between the icon and the right edge.
        const int messageCentre = dlg.Panel()->x() + dlg.Panel()->width() / 2;
        EXPECT_NEAR(messageCentre, (49 + dlg.width()) / 2, 5);
        // Centred on the screen at its own width.
        const QRect area = dlg.screen()->availableGeometry();
        EXPECT_NEAR(dlg.frameGeometry().center().x(), area.center().x(), 1);
        click(dlg, "BtNe");
    });
    Ask(QStringLiteral("Neuloženo !"), kUnsaved, 1);
}

TEST(AskDialog, LongMessageWidensTheWindowOnOneLine)
{
    const QString longMessage = QString(kUnsaved + QLatin1Char(' ')).repeated(4).trimmed();
    int shortWidth = 0;
    whenShown([&](TDotazFrm &dlg) {
        shortWidth = dlg.frameGeometry().width();
        click(dlg, "BtNe");
    });
    Ask(QStringLiteral("Neuloženo !"), kUnsaved, 1);

    whenShown([&](TDotazFrm &dlg) {
        const int advance = QFontMetrics(dlg.font()).horizontalAdvance(longMessage);
        EXPECT_GT(advance, 3 * (shortWidth - 78));
        EXPECT_GE(dlg.widthtxt()->width(), advance - 2);
        EXPECT_EQ(dlg.frameGeometry().width(), dlg.widthtxt()->width() + 78);
        EXPECT_GE(dlg.text()->width(), advance) << "the whole message fits on the line";
        EXPECT_EQ(dlg.text()->height(), 13);
        EXPECT_FALSE(dlg.text()->wordWrap());
        EXPECT_EQ(dlg.BtNe()->x(), dlg.width() / 2);
        click(dlg, "BtNe");
    });
    Ask(QStringLiteral("Neuloženo !"), longMessage, 1);
}

TEST(AskDialog, MessagesFromEightyTwoPixelsOnGetExactlyTheirWidth)
{
    // Between 82 pixels and the design width the window follows the message; only
    // shorter messages keep the design width.
    const QFont font = [] {
        QFont f(QStringLiteral("MS Sans Serif"));
        f.setPixelSize(11);
        return f;
    }();
    QString message = QStringLiteral("Soubor");
    while (QFontMetrics(font).horizontalAdvance(message) < 90)
        message += QLatin1Char('x');
    ASSERT_LT(QFontMetrics(font).horizontalAdvance(message), 110);
    bool seen = false;
    whenShown([&](TDotazFrm &dlg) {
        seen = true;
        const int w = dlg.widthtxt()->width();
        EXPECT_GE(w, 82);
        EXPECT_EQ(dlg.frameGeometry().width(), w + 78);
        EXPECT_GE(dlg.BtAno()->x(), 0);
        click(dlg, "BtNe");
    });
    Ask(QStringLiteral("Dotaz"), message, 1);
    EXPECT_TRUE(seen);
}

TEST(AskDialog, NarrowMessageStillLeavesRoomForBothButtons)
{
    whenShown([](TDotazFrm &dlg) {
        EXPECT_GE(dlg.BtAno()->x(), 15);
        EXPECT_LE(dlg.BtNe()->geometry().right(), dlg.width() - 15);
        EXPECT_EQ(dlg.BtAno()->geometry().right() + 1, dlg.width() / 2 - 5);
        EXPECT_EQ(dlg.BtNe()->x(), dlg.width() / 2);
        EXPECT_GE(dlg.text()->width(), QFontMetrics(dlg.font()).horizontalAdvance(QStringLiteral("Ok?")));
        click(dlg, "BtAno");
    });
    EXPECT_TRUE(Ask(QStringLiteral("Dotaz"), QStringLiteral("Ok?"), 0));
}

TEST(AskDialog, EnterAnswersYesEscGoesBack)
{
    QString focusName;
    whenShown([&](TDotazFrm &dlg) {
        QWidget *focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr);
        focusName = focus->objectName();
        QTest::keyClick(focus, Qt::Key_Return);
        EXPECT_FALSE(dlg.isVisible());
    });
    EXPECT_TRUE(Ask(QStringLiteral("Neuloženo !"), kUnsaved, 1));
    EXPECT_EQ(focusName, QStringLiteral("BtAno"));

    // Escape closes the question without an answer: the asking command goes back.
    whenShown([](TDotazFrm &dlg) { QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &dlg, Qt::Key_Escape); });
    EXPECT_EQ(askOrCancel(QStringLiteral("Neuloženo !"), kUnsaved, 1), AskAnswer::Cancelled);

    // Enter goes to the button with the focus: on "Ne" it answers no.
    whenShown([](TDotazFrm &dlg) {
        dlg.BtNe()->setFocus();
        QTest::keyClick(dlg.BtNe(), Qt::Key_Return);
    });
    EXPECT_FALSE(Ask(QStringLiteral("Neuloženo !"), kUnsaved, 1));
}

TEST(AskDialog, ClosingWithoutAButtonIsNoAnswerEvenAfterAYes)
{
    whenShown([](TDotazFrm &dlg) { click(dlg, "BtAno"); });
    ASSERT_TRUE(Ask(QStringLiteral("Soubor existuje!"), QStringLiteral("Soubor již existuje! Přepsat ?"), 1));
    whenShown([](TDotazFrm &dlg) { dlg.close(); });
    EXPECT_FALSE(Ask(QStringLiteral("Soubor existuje!"), QStringLiteral("Soubor již existuje! Přepsat ?"), 1));
    whenShown([](TDotazFrm &dlg) { dlg.close(); });
    EXPECT_EQ(askOrCancel(QStringLiteral("Neuloženo !"), kUnsaved, 1), AskAnswer::Cancelled);
    whenShown([](TDotazFrm &dlg) { click(dlg, "BtNe"); });
    EXPECT_EQ(askOrCancel(QStringLiteral("Neuloženo !"), kUnsaved, 1), AskAnswer::No);
}

TEST(AskDialog, WindowExistsOnlyWhileAskRuns)
{
    EXPECT_EQ(TDotazFrm::current(), nullptr);
    QPointer<TDotazFrm> seen;
    bool wasCurrent = false;
    whenShown([&](TDotazFrm &dlg) {
        seen = &dlg;
        wasCurrent = TDotazFrm::current() == &dlg;
        click(dlg, "BtAno");
    });
    Ask(QStringLiteral("Neuloženo !"), kUnsaved, 1);
    EXPECT_TRUE(wasCurrent);
    EXPECT_TRUE(seen.isNull()) << "destroyed before Ask returned";
    EXPECT_EQ(TDotazFrm::current(), nullptr);
    for (QWidget *w : QApplication::topLevelWidgets())
        EXPECT_EQ(qobject_cast<TDotazFrm *>(w), nullptr);
}

TEST(AskDialog, RollsOpenFromTheTopAndEndsAtDesignHeight)
{
    ResizeRecorder recorder;
    qApp->installEventFilter(&recorder);
    int heightWhenShown = 0;
    whenShown([&](TDotazFrm &dlg) {
        heightWhenShown = dlg.height();
        click(dlg, "BtNe");
    });
    Ask(QStringLiteral("Neuloženo !"), kUnsaved, 1);
    qApp->removeEventFilter(&recorder);

    EXPECT_EQ(heightWhenShown, 94);
    const QList<int> rollSteps{10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 94};
    const int start = recorder.heights.indexOf(10);
    ASSERT_GE(start, 0) << "the window never rolled";
    EXPECT_EQ(recorder.heights.mid(start), rollSteps);
}

TEST(AskDialog, IconsAreDrawnInTheirColoursOnATransparentGround)
{
    auto count = [](const QImage &img, auto pred) {
        int n = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                if (pred(img.pixelColor(x, y)))
                    ++n;
        return n;
    };
    auto opaque = [](const QColor &c) { return c.alpha() == 255; };
    auto white = [](const QColor &c) { return c.alpha() == 255 && c.red() > 240 && c.green() > 240 && c.blue() > 240; };
    auto yellow = [](const QColor &c) { return c.alpha() == 255 && c.red() > 220 && c.green() > 200 && c.blue() < 80; };
    auto red = [](const QColor &c) { return c.alpha() == 255 && c.red() > 180 && c.green() < 40 && c.blue() < 40; };
    auto blue = [](const QColor &c) { return c.alpha() == 255 && c.blue() > 180 && c.red() < 40; };

    QImage images[4];
    for (int i = 0; i < 4; ++i) {
        images[i] = TDotazFrm::iconPixmap(i).toImage().convertToFormat(QImage::Format_ARGB32);
        ASSERT_EQ(images[i].size(), QSize(32, 32)) << i;
    }
    EXPECT_TRUE(TDotazFrm::iconPixmap(4).isNull());
    EXPECT_TRUE(TDotazFrm::iconPixmap(-1).isNull());

    // Tick, question mark and letter i leave the corners see-through.
    for (int i : {0, 1, 3})
        for (QPoint corner : {QPoint(0, 0), QPoint(31, 0), QPoint(0, 31), QPoint(31, 31)})
            EXPECT_EQ(images[i].pixelColor(corner).alpha(), 0) << i;
    EXPECT_GT(count(images[0], white), 40);
    EXPECT_EQ(count(images[0], yellow) + count(images[0], red) + count(images[0], blue), 0);
    EXPECT_GT(count(images[1], yellow), 60);
    EXPECT_EQ(count(images[1], red) + count(images[1], blue), 0);
    // The octagon leaves its corners clear but fills the middle of every edge.
    EXPECT_EQ(images[2].pixelColor(0, 0).alpha(), 0);
    EXPECT_EQ(images[2].pixelColor(31, 31).alpha(), 0);
    EXPECT_TRUE(opaque(images[2].pixelColor(16, 1)));
    EXPECT_TRUE(opaque(images[2].pixelColor(1, 16)));
    EXPECT_GT(count(images[2], red), 300);
    EXPECT_TRUE(white(images[2].pixelColor(16, 18))) << "the hand in the middle";
    EXPECT_GT(count(images[3], blue), 100);
    EXPECT_EQ(count(images[3], red) + count(images[3], yellow), 0);
}

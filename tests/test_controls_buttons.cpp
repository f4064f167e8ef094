#include <gtest/gtest.h>

#include <QApplication>
#include <QEnterEvent>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <memory>

#include "controls/TKivBackground.h"
#include "controls/TKivCommandLabel.h"
#include "controls/TKivOfficeButton.h"

using namespace korvel;

namespace {

const QRgb kBehind = qRgb(0, 200, 0);

QImage look(TKivOfficeButton &b)
{
    QImage img(b.size(), QImage::Format_RGB32);
    img.fill(kBehind);
    QPainter p(&img);
    b.paintTo(p);
    return img;
}

void enter(QWidget *w, QPoint at = {10, 10})
{
    QEnterEvent e(at, w->mapTo(w->window(), at), w->mapToGlobal(at));
    QCoreApplication::sendEvent(w, &e);
}

void leave(QWidget *w)
{
    QEvent e(QEvent::Leave);
    QCoreApplication::sendEvent(w, &e);
}

void move(QWidget *w, QPoint at, Qt::MouseButtons buttons = Qt::NoButton)
{
    QMouseEvent e(QEvent::MouseMove, at, w->mapToGlobal(at), Qt::NoButton, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
}

QRgb rgb(ColorRef c)
{
    return resolveColor(c).rgb();
}

// Bounding box of the pixels of one colour.
QRect boxOf(const QImage &img, QRgb c)
{
    QRect box;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixel(x, y) == c)
                box |= QRect(x, y, 1, 1);
    return box;
}

void expectLamp(const QImage &img, QPoint box, ColorRef lamp)
{
    EXPECT_EQ(img.pixel(box + QPoint(5, 6)), rgb(lamp));
    EXPECT_EQ(img.pixel(box + QPoint(7, 7)), rgb(lamp));
    for (const QPoint d : {QPoint(4, 1), QPoint(1, 7), QPoint(2, 8), QPoint(4, 4), QPoint(4, 5)})
        EXPECT_EQ(img.pixel(box + d), qRgb(192, 192, 192)) << d.x() << "," << d.y();
    for (const QPoint d : {QPoint(9, 3), QPoint(10, 7), QPoint(4, 10), QPoint(3, 9)})
        EXPECT_EQ(img.pixel(box + d), qRgb(128, 128, 128)) << d.x() << "," << d.y();
}

} // namespace

TEST(ControlsOfficeButton, NormalLook)
{
    TKivOfficeButton b;
    EXPECT_EQ(b.size(), QSize(100, 25));
    EXPECT_EQ(b.roundSize(), 20);
    b.resize(100, 20);
    b.setBorderColor(clRed);
    EXPECT_EQ(b.lampBox(), QRect(7, 5, 10, 10));
    const QImage img = look(b);
    expectLamp(img, {7, 5}, clNavy);
    // Outer outline in BorderColor at row 2; the dark bevel line just inside it;
    // the light bevel line at the bottom is white, which the face sees through.
    EXPECT_EQ(img.pixel(50, 2), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(50, 17), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(50, 3), qRgb(128, 128, 128));
    EXPECT_EQ(img.pixel(50, 16), kBehind);
    // Without a background the face is see-through; so are the rounded corners.
    EXPECT_EQ(img.pixel(50, 10), kBehind);
    EXPECT_EQ(img.pixel(0, 0), kBehind);
    EXPECT_EQ(img.pixel(3, 3), kBehind);
    EXPECT_EQ(img.pixel(99, 19), kBehind);
}

TEST(ControlsOfficeButton, BackgroundFillsTheRoundedFace)
{
    TKivOfficeButton b;
    b.resize(100, 30);
    TKivBackground bg;
    bg.setBackgroundStyle(bSolidcolor);
    bg.setSolidColor(clYellow);
    b.setBackground(&bg);
    EXPECT_EQ(bg.users(), (QList<QWidget *>{&b}));
    QImage img = look(b);
    EXPECT_EQ(img.pixel(50, 15), qRgb(255, 255, 0));
    EXPECT_EQ(img.pixel(1, 1), kBehind) << "corners outside the shape";
    EXPECT_EQ(img.pixel(4, 4), kBehind);

    // A gradient face runs the other way while pressed with the pointer over it.
    bg.setBackgroundStyle(bGradient);
    bg.gradient()->setBeginColor(clRed);
    bg.gradient()->setEndColor(clBlue);
    img = look(b);
    EXPECT_GT(qRed(img.pixel(60, 5)), 200);
    EXPECT_LT(qBlue(img.pixel(60, 5)), 55);
    EXPECT_GT(qBlue(img.pixel(60, 25)), 200);
    enter(&b);
    QTest::mousePress(&b, Qt::LeftButton, {}, {20, 10});
    img = look(b);
    EXPECT_GT(qBlue(img.pixel(60, 5)), 200);
    EXPECT_LT(qRed(img.pixel(60, 5)), 55);
    EXPECT_GT(qRed(img.pixel(60, 25)), 200);
    QTest::mouseRelease(&b, Qt::LeftButton, {}, {20, 10});
}

TEST(ControlsOfficeButton, BackgroundReferenceAndLifetime)
{
    auto *bg = new TKivBackground;
    auto b = std::make_unique<TKivOfficeButton>();
    b->setBackground(bg);
    delete bg;
    EXPECT_EQ(b->background(), nullptr);
    EXPECT_EQ(look(*b).pixel(50, 12), kBehind) << "painted without a face again";

    TKivBackground other;
    b->setBackground(&other);
    EXPECT_EQ(other.users().size(), 1);
    b.reset();
    EXPECT_TRUE(other.users().isEmpty());
}

TEST(ControlsOfficeButton, DoubleClickIsASecondPressAndClick)
{
    TKivOfficeButton b;
    QSignalSpy clicks(&b, &TKivOfficeButton::OnClick);
    enter(&b);
    QTest::mouseClick(&b, Qt::LeftButton, {}, {30, 10});
    QMouseEvent dbl(QEvent::MouseButtonDblClick, QPointF(30, 10), b.mapToGlobal(QPointF(30, 10)), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&b, &dbl);
    EXPECT_TRUE(b.isPressed());
    QTest::mouseRelease(&b, Qt::LeftButton, {}, {30, 10});
    EXPECT_EQ(clicks.count(), 2);
}

TEST(ControlsOfficeButton, HoverPressAndDragOff)
{
    QWidget form;
    auto *b = new TKivOfficeButton(&form);
    b->resize(100, 20);
    b->setBorderColor(clRed);
    b->setCaption(QStringLiteral("Zavřít"));
    QSignalSpy clicks(b, &TKivOfficeButton::OnClick);
    const QImage normal = look(*b);

    enter(b);
    EXPECT_TRUE(b->isInside());
    QImage img = look(*b);
    expectLamp(img, {7, 5}, clTeal);
    EXPECT_EQ(img.pixel(50, 2), kBehind) << "outer outline in clBtnHighlight, white, see-through";

    QTest::mousePress(b, Qt::LeftButton, {}, {30, 10});
    EXPECT_TRUE(b->isPressed());
    EXPECT_EQ(b->pressOffset(), 1);
    EXPECT_EQ(b->lampBox(), QRect(8, 6, 10, 10));
    img = look(*b);
    expectLamp(img, {8, 6}, clAqua);
    EXPECT_EQ(img.pixel(50, 3), kBehind) << "the light line is now on top";
    EXPECT_EQ(img.pixel(50, 16), qRgb(128, 128, 128)) << "and the dark one at the bottom";
    // The caption moves one pixel right and down.
    const QRect inkNormal = boxOf(normal, qRgb(0, 0, 0));
    ASSERT_TRUE(inkNormal.isValid());
    EXPECT_EQ(boxOf(img, qRgb(0, 0, 0)), inkNormal.translated(1, 1));
    EXPECT_NEAR(inkNormal.center().x(), 50 + 7, 3) << "caption sits 7 pixels right of the centre";

    // Dragging off while held: swapped outlines, BorderColor, LedNormal, no shift.
    move(b, {150, 10}, Qt::LeftButton);
    EXPECT_FALSE(b->isInside());
    EXPECT_TRUE(b->isPressed());
    img = look(*b);
    expectLamp(img, {7, 5}, clNavy);
    EXPECT_EQ(img.pixel(50, 2), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(50, 16), qRgb(128, 128, 128));
    EXPECT_EQ(boxOf(img, qRgb(0, 0, 0)), inkNormal);

    QTest::mouseRelease(b, Qt::LeftButton, {}, {150, 10});
    EXPECT_FALSE(b->isPressed());
    EXPECT_EQ(clicks.count(), 0) << "released outside";

    enter(b);
    QTest::mouseClick(b, Qt::LeftButton, {}, {30, 10});
    EXPECT_EQ(clicks.count(), 1);
    QTest::mouseClick(b, Qt::RightButton, {}, {30, 10});
    EXPECT_EQ(clicks.count(), 1) << "only the left button clicks";
    leave(b);
    EXPECT_FALSE(b->isInside());
    EXPECT_EQ(b->pressOffset(), 0);
}

TEST(ControlsOfficeButton, DisabledButtonHoversButCannotBePressed)
{
    QWidget form;
    auto *b = new TKivOfficeButton(&form);
    b->resize(100, 20);
    b->setCaption(QStringLiteral("OK"));
    b->setEnabled(false);
    QSignalSpy clicks(b, &TKivOfficeButton::OnClick);
    enter(b);
    EXPECT_TRUE(b->isInside());
    QTest::mouseClick(b, Qt::LeftButton, {}, {30, 10});
    EXPECT_FALSE(b->isPressed());
    EXPECT_EQ(clicks.count(), 0);
    const QImage img = look(*b);
    expectLamp(img, {7, 5}, clTeal);
    // Engraved caption: white in place, grey one pixel up and left, no black.
    EXPECT_FALSE(boxOf(img, qRgb(0, 0, 0)).isValid());
    const QRect white = boxOf(img, qRgb(255, 255, 255));
    ASSERT_TRUE(white.isValid());
    EXPECT_GT(white.left(), 30);
}

TEST(ControlsOfficeButton, WhichSettersRepaint)
{
    QWidget form;
    form.resize(200, 100);
    auto *b = new TKivOfficeButton(&form);
    form.show();
    QApplication::processEvents();
    struct Counter : QObject {
        int paints = 0;
        bool eventFilter(QObject *, QEvent *e) override
        {
            paints += e->type() == QEvent::Paint;
            return false;
        }
    } counter;
    b->installEventFilter(&counter);
    auto paintsAfter = [&](const std::function<void()> &change) {
        counter.paints = 0;
        change();
        QApplication::processEvents();
        return counter.paints;
    };
    EXPECT_EQ(paintsAfter([&] { b->setLedIn(clRed); }), 0);
    EXPECT_EQ(paintsAfter([&] { b->setLedOut(clRed); }), 0);
    EXPECT_EQ(paintsAfter([&] { b->setRoundSize(20); }), 0);
    EXPECT_EQ(paintsAfter([&] { b->setRoundSize(10); }), 1);
    EXPECT_EQ(paintsAfter([&] { b->setLedNormal(clRed); }), 1);
    EXPECT_EQ(paintsAfter([&] { b->setBorderColor(clRed); }), 1);
    EXPECT_EQ(paintsAfter([&] { b->setCaption(b->caption()); }), 1);
    EXPECT_EQ(paintsAfter([&] { b->font3D()->setOffset(2); }), 1);
    // State changes paint at once, before the event loop runs.
    counter.paints = 0;
    enter(b);
    EXPECT_EQ(counter.paints, 1);
    leave(b);
    EXPECT_EQ(counter.paints, 2);
    b->removeEventFilter(&counter);

    // The new lamp colours show at the next paint.
    enter(b);
    expectLamp(look(*b), {7, (b->height() - 10) / 2}, clRed);
}

namespace {

// Records what would have been handed to the desktop.
struct ShellRecorder {
    QStringList opened;
    ShellRecorder()
    {
        TKivCommandLabel::setShellOpen([this](const QString &s) { opened << s; });
    }
    ~ShellRecorder() { TKivCommandLabel::setShellOpen(nullptr); }
};

} // namespace

TEST(ControlsCommandLabel, PrefixRules)
{
    ShellRecorder shell;
    TKivCommandLabel label;
    label.resize(150, 20);
    label.show(); // an invisible label ignores presses
    EXPECT_EQ(label.command(), runURL);
    EXPECT_TRUE(label.font().underline());
    EXPECT_EQ(label.textColor(), clBlue);
    QSignalSpy events(&label, &TKivCommandLabel::RunEvent);

    struct Case {
        TKivCommand command;
        const char *caption;
        const char *opened;
    };
    const Case cases[] = {
        {runURL, "http://www.example.org", "http://www.example.org"},
        {runURL, "www.example.org", "http://www.example.org"},
        {runMAIL, "someone@example.org", "mailto:someone@example.org"},
        {runMAIL, "mailto:someone@example.org", "mailto:someone@example.org"},
        {runFTP, "ftp.example.org", "ftp://ftp.example.org"},
        {runFILE, "/tmp/readme.txt", "file:/tmp/readme.txt"},
        {runNothing, "www.example.org", "www.example.org"},
        {runEVENT, "eventful", "eventful"},
    };
    for (const Case &c : cases) {
        label.setCommand(c.command);
        label.setCaption(QString::fromUtf8(c.caption));
        QTest::mousePress(&label, Qt::LeftButton, {}, {5, 5});
        // The command runs on the press itself.
        ASSERT_FALSE(shell.opened.isEmpty()) << c.caption;
        EXPECT_EQ(shell.opened.takeLast(), QString::fromUtf8(c.opened));
        QTest::mouseRelease(&label, Qt::LeftButton, {}, {5, 5});
    }
    EXPECT_EQ(events.count(), 0);

    label.setCommand(runEVENT);
    label.setCaption(QStringLiteral("Více"));
    QTest::mousePress(&label, Qt::LeftButton, {}, {5, 5});
    EXPECT_TRUE(shell.opened.isEmpty()) << "nothing is opened";
    ASSERT_EQ(events.count(), 1);
    EXPECT_EQ(events.at(0).at(0).value<TKivCommandLabel *>(), &label);
    QTest::mouseRelease(&label, Qt::LeftButton, {}, {5, 5});

    // Only the left button runs the command.
    label.setCommand(runURL);
    QTest::mouseClick(&label, Qt::RightButton, {}, {5, 5});
    EXPECT_TRUE(shell.opened.isEmpty());
}

TEST(ControlsCommandLabel, ColoursFollowThePointerAndTheUse)
{
    ShellRecorder shell;
    QWidget form;
    form.resize(300, 100);
    auto *label = new TKivCommandLabel(&form);
    label->setGeometry(10, 10, 150, 20);
    label->setFontColor(clBlack);
    QSignalSpy clicks(label, &TKivCommandLabel::OnClick);
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));

    move(label, {5, 5});
    EXPECT_EQ(label->textColor(), clRed);
    EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_TRUE(label->isInside());
    // The right and bottom edges still count as over the label.
    move(label, {150, 20});
    EXPECT_EQ(label->textColor(), clRed);
    move(label, {151, 20});
    EXPECT_FALSE(label->isInside());
    EXPECT_EQ(label->textColor(), clBlack) << "back to its own colour before it was used";

    move(label, {5, 5});
    EXPECT_EQ(label->textColor(), clRed);
    QTest::mousePress(label, Qt::LeftButton, {}, {5, 5});
    EXPECT_EQ(label->textColor(), clBlack) << "its own colour during the press";
    EXPECT_TRUE(label->isDown());
    EXPECT_TRUE(label->followed());
    QTest::mouseRelease(label, Qt::LeftButton, {}, {5, 5});
    EXPECT_EQ(label->textColor(), clPurple);
    EXPECT_EQ(clicks.count(), 1);
    move(label, {5, 5});
    EXPECT_EQ(label->textColor(), clRed) << "hovered again after the press";
    move(label, {-1, 5});
    EXPECT_EQ(label->textColor(), clPurple) << "followed links keep FollowedColor";
    move(label, {5, 5});
    leave(label);
    EXPECT_EQ(label->textColor(), clPurple);

    // Dragged off during the press: released outside, no click, followed colour.
    QTest::mousePress(label, Qt::LeftButton, {}, {5, 5});
    move(label, {5, 40}, Qt::LeftButton);
    EXPECT_EQ(label->textColor(), clPurple);
    QTest::mouseRelease(label, Qt::LeftButton, {}, {5, 40});
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(label->textColor(), clPurple);
    EXPECT_EQ(shell.opened.size(), 2);

    // A press with no move before it holds the mouse too: moving while it is held
    // is no hover.
    leave(label);
    QTest::mousePress(label, Qt::LeftButton, {}, {5, 5});
    move(label, {6, 6}, Qt::LeftButton);
    EXPECT_EQ(label->textColor(), clBlack);
    QTest::mouseRelease(label, Qt::LeftButton, {}, {6, 6});
    EXPECT_EQ(label->textColor(), clPurple);

    // The caption is an address, never markup, written from the top left.
    EXPECT_EQ(label->textFormat(), Qt::PlainText);
    EXPECT_EQ(label->alignment(), Qt::AlignLeft | Qt::AlignTop);
}

TEST(ControlsCommandLabel, InactiveFormAndDisabledLabel)
{
    ShellRecorder shell;
    QWidget form, other;
    auto *label = new TKivCommandLabel(&form);
    label->resize(150, 20);
    form.show();
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    ASSERT_FALSE(form.isActiveWindow());

    move(label, {5, 5});
    EXPECT_EQ(label->textColor(), clBlue) << "no hover colour on an inactive form";
    leave(label);

    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    label->setEnabled(false);
    move(label, {5, 5});
    EXPECT_EQ(label->textColor(), clBlue);
    QTest::mouseClick(label, Qt::LeftButton, {}, {5, 5});
    EXPECT_TRUE(shell.opened.isEmpty());
    EXPECT_FALSE(label->followed());
}

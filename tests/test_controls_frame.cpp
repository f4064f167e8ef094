#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <memory>

#include "controls/TKivBackground.h"
#include "controls/TKivFillBackground.h"
#include "controls/TKivFrame.h"
#include "controls/TKivLabel.h"

using namespace korvel;

namespace {

const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kRed = qRgb(255, 0, 0);     // Highlight in these tests
const QRgb kBlue = qRgb(0, 0, 255);    // Shadow
const QRgb kGreen = qRgb(0, 255, 0);   // Solid
const QRgb kBlack = qRgb(0, 0, 0);
constexpr ColorRef kNone = clNone;

QImage framed(TKivFrame &frame, int size, QRect *rest = nullptr)
{
    QImage img(size, size, QImage::Format_RGB32);
    img.fill(kWhite);
    QPainter p(&img);
    QRect r(0, 0, size, size);
    frame.drawFrame(p, r);
    if (rest)
        *rest = r;
    return img;
}

QRgb colourOf(ColorRef c)
{
    if (c == kNone)
        return kWhite;
    return resolveColor(c).rgb();
}

// Checks one ring on the outermost pixels of (l, t)-(r, b), both inclusive:
// a on the left column and the top row short of the top-right corner, b on the
// right column and the whole bottom row; clNone leaves those pixels white.
void expectRing(const QImage &img, int l, int t, int r, int b, ColorRef a, ColorRef bColor, const char *what)
{
    SCOPED_TRACE(what);
    for (int y = t; y < b; ++y)
        ASSERT_EQ(img.pixel(l, y), colourOf(a)) << "left " << y;
    for (int x = l; x < r; ++x)
        ASSERT_EQ(img.pixel(x, t), colourOf(a)) << "top " << x;
    const QRgb bottomLeft = bColor != kNone ? colourOf(bColor) : colourOf(a);
    ASSERT_EQ(img.pixel(l, b), bottomLeft) << "bottom-left corner";
    for (int y = t; y <= b; ++y)
        ASSERT_EQ(img.pixel(r, y), colourOf(bColor)) << "right " << y;
    for (int x = l + 1; x <= r; ++x)
        ASSERT_EQ(img.pixel(x, b), colourOf(bColor)) << "bottom " << x;
}

void expectBlank(const QImage &img, int l, int t, int r, int b)
{
    for (int y = t; y <= b; ++y)
        for (int x = l; x <= r; ++x)
            ASSERT_EQ(img.pixel(x, y), kWhite) << x << "," << y;
}

std::unique_ptr<TKivFrame> colouredFrame(TKivFrameStyle style)
{
    auto f = std::make_unique<TKivFrame>();
    f->setHighlight(clRed);
    f->setShadow(clBlue);
    f->setSolid(rgbColor(0, 255, 0));
    f->setFrameStyle(style);
    return f;
}

} // namespace

TEST(ControlsFrame, RaisedTwoRingsOnTenByTen)
{
    auto f = colouredFrame(frameRaised);
    EXPECT_EQ(f->totalWidth(), 1);
    f->setFrameWidth(2);
    EXPECT_EQ(f->totalWidth(), 2);
    QRect rest;
    const QImage img = framed(*f, 10, &rest);
    expectRing(img, 0, 0, 9, 9, clRed, clBlue, "outer");
    expectRing(img, 1, 1, 8, 8, clRed, clBlue, "inner");
    expectBlank(img, 2, 2, 7, 7);
    EXPECT_EQ(img.pixel(9, 0), kBlue) << "top-right corner belongs to the shadow";
    EXPECT_EQ(img.pixel(0, 9), kBlue) << "bottom-left corner is overwritten by the shadow";
    EXPECT_EQ(rest, QRect(2, 2, 6, 6));
}

TEST(ControlsFrame, EveryStyleDrawsItsBevels)
{
    struct Case {
        TKivFrameStyle style;
        int total;
        const char *name;
    };
    for (const Case c : {Case{frameSolid, 1, "solid"}, Case{frameLowered, 1, "lowered"}, Case{frameNone, 2, "none"},
                         Case{frameFramedUp, 4, "framed up"}, Case{frameFramedDown, 4, "framed down"},
                         Case{framePanelUp, 2, "panel up"}, Case{framePanelDown, 2, "panel down"},
                         Case{frameLightBordered, 2, "light bordered"}}) {
        SCOPED_TRACE(c.name);
        auto f = colouredFrame(c.style);
        f->setOffset(2);
        EXPECT_EQ(f->totalWidth(), c.total);
        QRect rest;
        const QImage img = framed(*f, 12, &rest);
        switch (c.style) {
        case frameSolid:
            expectRing(img, 0, 0, 11, 11, rgbColor(0, 255, 0), rgbColor(0, 255, 0), "ring");
            expectBlank(img, 1, 1, 10, 10);
            EXPECT_EQ(img.pixel(0, 0), kGreen);
            break;
        case frameLowered:
            expectRing(img, 0, 0, 11, 11, clBlue, clRed, "ring");
            expectBlank(img, 1, 1, 10, 10);
            break;
        case frameNone:
            expectBlank(img, 0, 0, 11, 11);
            break;
        case frameFramedUp:
            expectRing(img, 0, 0, 11, 11, clRed, clBlue, "outer");
            expectBlank(img, 1, 1, 2, 10);
            expectRing(img, 3, 3, 8, 8, clBlue, clRed, "inner");
            expectBlank(img, 4, 4, 7, 7);
            EXPECT_EQ(rest, QRect(4, 4, 4, 4));
            break;
        case frameFramedDown:
            expectRing(img, 0, 0, 11, 11, clBlue, clRed, "outer");
            expectRing(img, 3, 3, 8, 8, clRed, clBlue, "inner");
            break;
        case framePanelUp:
            expectRing(img, 0, 0, 11, 11, clRed, clBlack, "outer");
            expectRing(img, 1, 1, 10, 10, kNone, clBlue, "inner");
            EXPECT_EQ(img.pixel(11, 0), kBlack);
            break;
        case framePanelDown:
            expectRing(img, 0, 0, 11, 11, clBlue, kNone, "outer");
            expectRing(img, 1, 1, 10, 10, clBlack, clRed, "inner");
            EXPECT_EQ(img.pixel(11, 0), kWhite) << "no shadow, so the top-right pixel stays undrawn";
            EXPECT_EQ(img.pixel(0, 11), kBlue);
            break;
        case frameLightBordered:
            expectRing(img, 0, 0, 11, 11, kNone, clBlue, "outer");
            expectRing(img, 1, 1, 10, 10, clRed, clRed, "inner");
            break;
        default:
            break;
        }
    }
}

TEST(ControlsFrame, InvalidNumbersAreIgnoredAndTotalWidthFollows)
{
    QWidget owner;
    TKivFrame f(&owner);
    int changes = 0;
    QObject::connect(&f, &TKivFrame::OnChange, [&] { ++changes; });
    f.setFrameWidth(3);
    f.setFrameWidth(0);
    f.setFrameWidth(-2);
    EXPECT_EQ(f.frameWidth(), 3);
    f.setOffset(-1);
    EXPECT_EQ(f.offset(), 0);
    f.setFrameStyle(frameFramedDown);
    f.setOffset(5);
    EXPECT_EQ(f.totalWidth(), 11);
    f.setFrameStyle(frameLightBordered);
    EXPECT_EQ(f.totalWidth(), 6);
    EXPECT_EQ(changes, 4);
    EXPECT_EQ(f.owner(), &owner);
}

TEST(ControlsFillBackground, PaintsItsBackgroundOrNothing)
{
    TKivFillBackground fill;
    EXPECT_EQ(fill.size(), QSize(150, 150));
    EXPECT_FALSE(fill.autoSize());
    fill.resize(17, 57);
    QImage img(fill.size(), QImage::Format_RGB32);
    img.fill(qRgb(255, 0, 255));
    fill.render(&img, QPoint(), QRegion(), QWidget::DrawChildren);
    EXPECT_EQ(img.pixel(8, 30), qRgb(255, 0, 255)) << "without a background nothing is painted";

    auto *bg = new TKivBackground;
    fill.setBackground(bg);
    fill.render(&img, QPoint(), QRegion(), QWidget::DrawChildren);
    EXPECT_EQ(img.pixel(0, 0), qRgb(192, 192, 192));
    EXPECT_EQ(img.pixel(16, 56), qRgb(128, 128, 128));

    delete bg;
    EXPECT_EQ(fill.background(), nullptr);
    img.fill(qRgb(255, 0, 255));
    fill.render(&img, QPoint(), QRegion(), QWidget::DrawChildren);
    EXPECT_EQ(img.pixel(8, 30), qRgb(255, 0, 255));
}

TEST(ControlsFillBackground, SharedBackgroundRepaintsEveryControl)
{
    TKivBackground bg;
    QWidget form;
    form.resize(300, 200);
    auto *fill = new TKivFillBackground(&form);
    auto *label = new TKivLabel(&form);
    label->setGeometry(160, 0, 100, 30); // apart, so one's repaint does not cover the other
    label->setBackground(&bg);
    fill->setBackground(&bg);
    form.show();
    QApplication::processEvents();

    struct Counter : QObject {
        int paints = 0;
        bool eventFilter(QObject *, QEvent *e) override
        {
            paints += e->type() == QEvent::Paint;
            return false;
        }
    } fillPaints, labelPaints;
    fill->installEventFilter(&fillPaints);
    label->installEventFilter(&labelPaints);
    bg.gradient()->setEndColor(clNavy);
    QApplication::processEvents();
    EXPECT_EQ(fillPaints.paints, 1);
    EXPECT_EQ(labelPaints.paints, 1);

    // A control that dropped the background is not asked again.
    fill->setBackground(nullptr);
    QApplication::processEvents();
    fillPaints.paints = labelPaints.paints = 0;
    bg.setSolidColor(clRed);
    QApplication::processEvents();
    EXPECT_EQ(fillPaints.paints, 0);
    EXPECT_EQ(labelPaints.paints, 1);
    EXPECT_EQ(bg.users(), (QList<QWidget *>{label}));

    delete label;
    EXPECT_TRUE(bg.users().isEmpty());
    fill->removeEventFilter(&fillPaints);
}

#include <gtest/gtest.h>

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QWidget>
#include <vector>

#include "controls/TKivBackground.h"
#include "controls/TKivFont3D.h"
#include "controls/TKivLabel.h"

using namespace korvel;

namespace {

const QRgb kGround = qRgb(255, 255, 200);
const QRect kRect(40, 10, 120, 60);

QFont bigFont()
{
    QFont f(QStringLiteral("Liberation Sans"));
    f.setPixelSize(36);
    f.setBold(true);
    return f;
}

// Where a single plain pass of the text lands when its rectangle is moved by d.
QImage plainMask(QPoint d, const QRect &rect = kRect, int flags = Qt::AlignLeft | Qt::AlignTop,
                 const QFont &font = bigFont(), const QSize &size = QSize(200, 80))
{
    TKivFont3D plain;
    plain.setThreeDimensional(false);
    QImage img(size, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    plain.drawText3D(p, font, Qt::black, rect.translated(d), QStringLiteral("Hg"), flags, true);
    return img;
}

struct Pass {
    QPoint offset;
    QRgb color;
};

// The picture a sequence of passes must give: each pass paints the pixels of the
// plain text moved by its offset, later passes over earlier ones.
QImage composed(const std::vector<Pass> &passes, QRgb ground = kGround, const QRect &rect = kRect,
                int flags = Qt::AlignLeft | Qt::AlignTop, const QFont &font = bigFont(),
                const QSize &size = QSize(200, 80))
{
    QImage img(size, QImage::Format_RGB32);
    img.fill(ground);
    for (const Pass &pass : passes) {
        const QImage mask = plainMask(pass.offset, rect, flags, font, size);
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                if (mask.pixel(x, y) == qRgb(0, 0, 0))
                    img.setPixel(x, y, pass.color);
    }
    return img;
}

QImage drawn(const TKivFont3D &f, bool enabled = true)
{
    QImage img(200, 80, QImage::Format_RGB32);
    img.fill(kGround);
    QPainter p(&img);
    const QPen callerPen(Qt::magenta);
    p.setPen(callerPen);
    f.drawText3D(p, bigFont(), Qt::black, kRect, QStringLiteral("Hg"), Qt::AlignLeft | Qt::AlignTop, enabled);
    EXPECT_EQ(p.pen().color(), QColor(Qt::magenta)) << "the caller's pen is left alone";
    return img;
}

int differences(const QImage &a, const QImage &b)
{
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            n += a.pixel(x, y) != b.pixel(x, y);
    return n;
}

const QRgb kHighlight = qRgb(255, 0, 0);
const QRgb kShadow = qRgb(0, 0, 255);
const QRgb kRepeat = qRgb(0, 160, 0);
const QRgb kInk = qRgb(0, 0, 0);

void colour(TKivFont3D &f)
{
    f.setHighlight(clRed);
    f.setShadow(clBlue);
    f.setRepetitionColor(rgbColor(0, 160, 0));
}

} // namespace

TEST(ControlsFont3D, TheTextHasPixelsToCompare)
{
    // Guards the comparisons below against an empty rendering.
    const QImage mask = plainMask({0, 0});
    int ink = 0;
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 200; ++x)
            ink += mask.pixel(x, y) == kInk;
    EXPECT_GT(ink, 300);
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 200; ++x)
            ASSERT_TRUE(mask.pixel(x, y) == kInk || mask.pixel(x, y) == qRgb(255, 255, 255))
                << "text is drawn aliased";
}

TEST(ControlsFont3D, StylesDrawTheirCopiesAtTheOffset)
{
    TKivFont3D f;
    colour(f);
    EXPECT_EQ(f.style3D(), fontInset);
    EXPECT_EQ(f.offset(), 1);
    EXPECT_EQ(differences(drawn(f), composed({{{-1, -1}, kShadow}, {{1, 1}, kHighlight}, {{0, 0}, kInk}})), 0);

    f.setStyle3D(fontRaised);
    f.setOffset(2);
    EXPECT_EQ(differences(drawn(f), composed({{{-2, -2}, kHighlight}, {{2, 2}, kShadow}, {{0, 0}, kInk}})), 0);

    f.setOffset(1);
    f.setStyle3D(fontOnlyShadow);
    EXPECT_EQ(differences(drawn(f), composed({{{1, 1}, kShadow}, {{0, 0}, kInk}})), 0);

    f.setStyle3D(fontOnlyHighlight);
    EXPECT_EQ(differences(drawn(f), composed({{{-1, -1}, kHighlight}, {{0, 0}, kInk}})), 0);

    // The outline is one pixel whatever the offset.
    f.setStyle3D(fontOutLineShadow);
    f.setOffset(5);
    EXPECT_EQ(differences(drawn(f), composed({{{-1, -1}, kShadow},
                                              {{1, -1}, kShadow},
                                              {{1, 1}, kShadow},
                                              {{-1, 1}, kShadow},
                                              {{0, 0}, kInk}})),
              0);

    f.setThreeDimensional(false);
    EXPECT_EQ(differences(drawn(f), composed({{{0, 0}, kInk}})), 0);
}

TEST(ControlsFont3D, ExtrusionTrailsTowardsItsSideAndMovesTheText)
{
    TKivFont3D f;
    colour(f);
    // The rectangle first shrinks by 3 (R' = +3 for left-top text): copies at
    // R'+1, R', R'-1, shadow at R'-3, highlight at R'-1, text at R'-2.
    f.setRepetition(repeatOnShadow);
    f.setRepetitionwidth(3);
    EXPECT_EQ(differences(drawn(f), composed({{{4, 4}, kRepeat},
                                              {{3, 3}, kRepeat},
                                              {{2, 2}, kRepeat},
                                              {{0, 0}, kShadow},
                                              {{2, 2}, kHighlight},
                                              {{1, 1}, kInk}})),
              0);

    f.setRepetition(repeatOnHighLight);
    f.setRepetitionwidth(2);
    f.setStyle3D(fontRaised);
    EXPECT_EQ(differences(drawn(f), composed({{{1, 1}, kRepeat},
                                              {{2, 2}, kRepeat},
                                              {{2, 2}, kHighlight},
                                              {{4, 4}, kShadow},
                                              {{3, 3}, kInk}})),
              0);

    // No copies, but the text still moves by Offset.
    f.setRepetitionwidth(0);
    f.setStyle3D(fontOnlyShadow);
    EXPECT_EQ(differences(drawn(f), composed({{{0, 0}, kShadow}, {{-1, -1}, kInk}})), 0);
    f.setRepetition(repeatOnShadow);
    EXPECT_EQ(differences(drawn(f), composed({{{2, 2}, kShadow}, {{1, 1}, kInk}})), 0);
}

TEST(ControlsFont3D, DisabledTextIsEngravedWithoutEffects)
{
    TKivFont3D f;
    colour(f);
    f.setRepetition(repeatOnShadow);
    f.setRepetitionwidth(4);
    EXPECT_EQ(differences(drawn(f, false),
                          composed({{{0, 0}, qRgb(255, 255, 255)}, {{-1, -1}, qRgb(128, 128, 128)}})),
              0);
}

TEST(ControlsFont3D, InvalidNumbersAreIgnoredAndChangesRepaintTheOwner)
{
    QWidget owner;
    TKivFont3D f(&owner);
    int changes = 0;
    QObject::connect(&f, &TKivFont3D::OnChange, [&] { ++changes; });
    f.setOffset(3);
    f.setOffset(0);
    f.setOffset(-3);
    EXPECT_EQ(f.offset(), 3);
    f.setRepetitionwidth(2);
    f.setRepetitionwidth(-1);
    EXPECT_EQ(f.repetitionwidth(), 2);
    EXPECT_EQ(changes, 2);
    f.setShadow(clBtnShadow);
    f.setShadow(clBtnShadow);
    EXPECT_EQ(changes, 4);
    EXPECT_EQ(f.owner(), &owner);
    EXPECT_TRUE(f.maskFont());
    EXPECT_EQ(f.highlight(), clBtnHighlight);
    EXPECT_EQ(f.repetitionColor(), clBlack);
}

namespace {

QFont labelFont()
{
    QFont f(QStringLiteral("Liberation Sans"));
    f.setPointSize(20);
    f.setBold(true);
    return f;
}

QImage labelImage(TKivLabel &label, QRgb ground = qRgb(255, 0, 255))
{
    QImage img(label.size(), QImage::Format_RGB32);
    img.fill(ground);
    QPainter p(&img);
    label.paintTo(p);
    return img;
}

} // namespace

TEST(ControlsLabel, DefaultLabelDrawsThreePassesInAShrunkRectangle)
{
    TKivLabel label;
    EXPECT_TRUE(label.font().bold());
    EXPECT_EQ(label.font().pointSize(), 12);
    EXPECT_EQ(label.frame()->frameStyle(), frameNone);
    label.resize(120, 50);
    label.setFont(labelFont());
    label.setCaption(QStringLiteral("Hg"));
    label.setAlignment(Qt::AlignRight);
    // Independently of the label: one pixel off at top and bottom, two at the right.
    const QRect text(0, 1, 118, 48);
    const int flags = Qt::AlignRight | Qt::AlignTop;
    const QImage expected = composed({{{-1, -1}, qRgb(128, 128, 128)}, {{1, 1}, qRgb(255, 255, 255)}, {{0, 0}, kInk}},
                                     qRgb(192, 192, 192), text, flags, labelFont(), label.size());
    EXPECT_EQ(differences(labelImage(label), expected), 0);

    label.setEnabled(false);
    const QImage disabled = composed({{{0, 0}, qRgb(255, 255, 255)}, {{-1, -1}, qRgb(128, 128, 128)}},
                                     qRgb(192, 192, 192), text, flags, labelFont(), label.size());
    EXPECT_EQ(differences(labelImage(label), disabled), 0);
}

TEST(ControlsLabel, TransparentBackgroundAndFrame)
{
    TKivLabel label;
    label.resize(60, 30);
    TKivBackground bg;
    bg.setBackgroundStyle(bSolidcolor);
    bg.setSolidColor(clYellow);
    label.setBackground(&bg);
    EXPECT_EQ(labelImage(label).pixel(30, 15), qRgb(255, 255, 0));

    label.setTransparent(true);
    EXPECT_EQ(labelImage(label).pixel(30, 15), qRgb(255, 0, 255)) << "neither Color nor Background";

    label.setTransparent(false);
    label.frame()->setFrameStyle(frameSolid);
    label.frame()->setSolid(clRed);
    label.frame()->setFrameWidth(2);
    const QImage img = labelImage(label);
    EXPECT_EQ(img.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(59, 29), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(1, 1), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(2, 2), qRgb(255, 255, 0));
    EXPECT_EQ(label.textRect(), QRect(0, 2, 58, 26));
}

TEST(ControlsLabel, TextFillPaintsTheLettersWithTheBackground)
{
    TKivLabel label;
    label.resize(120, 50);
    label.setFont(labelFont());
    label.setCaption(QStringLiteral("Hg"));
    label.font3D()->setThreeDimensional(false);
    TKivBackground fill;
    fill.setBackgroundStyle(bSolidcolor);
    fill.setSolidColor(clRed);
    label.setFontBackground(&fill);
    const QRect text(0, 1, 118, 48);
    const int flags = Qt::AlignLeft | Qt::AlignTop;
    QImage expected = composed({{{0, 0}, qRgb(255, 0, 0)}}, qRgb(192, 192, 192), text, flags, labelFont(),
                               label.size());
    EXPECT_EQ(differences(labelImage(label), expected), 0);

    // With the 3D passes: shadow and highlight copies, then the filled letters.
    label.font3D()->setThreeDimensional(true);
    expected = composed({{{-1, -1}, qRgb(128, 128, 128)}, {{1, 1}, qRgb(255, 255, 255)}, {{0, 0}, qRgb(255, 0, 0)}},
                        qRgb(192, 192, 192), text, flags, labelFont(), label.size());
    EXPECT_EQ(differences(labelImage(label), expected), 0);

    // The widget paints the same through its own buffer.
    QImage rendered(label.size(), QImage::Format_RGB32);
    rendered.fill(qRgb(192, 192, 192));
    label.render(&rendered);
    EXPECT_EQ(differences(rendered, expected), 0);

    // Without MaskFont, letter pixels in the fill's corner colour are keyed out.
    label.font3D()->setThreeDimensional(false);
    label.font3D()->setMaskFont(false);
    fill.setSolidColor(clWhite);
    label.setColor(clNavy);
    EXPECT_EQ(differences(labelImage(label), composed({}, qRgb(0, 0, 128), text, flags, labelFont(), label.size())),
              0);
}

TEST(ControlsLabel, BackgroundReferencesFollowTheBackgroundsLife)
{
    auto *bg = new TKivBackground;
    auto label = std::make_unique<TKivLabel>();
    label->setBackground(bg);
    label->setFontBackground(bg);
    EXPECT_EQ(bg->users(), (QList<QWidget *>{label.get(), label.get()}));
    label->setBackground(nullptr);
    EXPECT_EQ(bg->users(), (QList<QWidget *>{label.get()}));
    label->setBackground(bg);
    delete bg;
    EXPECT_EQ(label->background(), nullptr);
    EXPECT_EQ(label->fontBackground(), nullptr);
    label->resize(40, 20);
    EXPECT_EQ(labelImage(*label).pixel(20, 10), qRgb(192, 192, 192));

    TKivBackground other;
    label->setBackground(&other);
    label.reset();
    EXPECT_TRUE(other.users().isEmpty()) << "a destroyed label leaves the list";
}

// The program chooses the face for every typeface name itself: Windows names go to
// their metric twins, and a face the machine lacks falls back by kind, identically on
// every machine, instead of to whatever fontconfig finds first.
#include <QFontDatabase>
#include <QFontInfo>
#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include "project/CoverPage.h"
#include "project/SheetRenderer.h"
#include "project/SheetView.h"
#include "settings/Fonts.h"

using namespace korvel;

namespace {

QImage pageWithTitleFont(const QString &face)
{
    CoverPage page;
    ItemFont font = page.item(QStringLiteral("MTN")).font();
    font.name = face;
    page.item(QStringLiteral("MTN")).setFont(font);
    page.item(QStringLiteral("MTN")).setText(QStringLiteral("Příliš žluťoučký kůň"));
    QImage image(SheetView(page).pixelSize(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    SheetRenderer::paint(page, painter, PageRenderOptions::forPaper(96));
    return image;
}

} // namespace

TEST(Fonts, WindowsFacesMapToTheirMetricTwins)
{
    const struct {
        const char *name, *family;
    } cases[] = {
        {"Arial", "Liberation Sans"},          {"Arial CE", "Liberation Sans"},
        {"arial ce", "Liberation Sans"},       {"Helvetica", "Liberation Sans"},
        {"MS Sans Serif", "Liberation Sans"},  {"Times New Roman", "Liberation Serif"},
        {"Times New Roman CE", "Liberation Serif"}, {"Courier New", "Liberation Mono"},
        {"Courier New CE", "Liberation Mono"}, {"Verdana", "DejaVu Sans"},
        {"Tahoma CE", "DejaVu Sans"},          {"", "Liberation Sans"},
        // Installed faces are used as they are.
        {"DejaVu Serif", "DejaVu Serif"},      {"liberation mono", "Liberation Mono"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(resolveFontFamily(QString::fromUtf8(c.name)), QString::fromLatin1(c.family)) << c.name;
}

TEST(Fonts, MissingFacesFallBackByKind)
{
    ASSERT_FALSE(QFontDatabase::families().contains(QStringLiteral("Korvel Missing Sans 7f3a")));
    EXPECT_EQ(resolveFontFamily(QStringLiteral("Korvel Missing Sans 7f3a")), QStringLiteral("Liberation Sans"));
    EXPECT_EQ(resolveFontFamily(QStringLiteral("Korvel Typewriter Mono 7f3a")), QStringLiteral("Liberation Mono"));
    EXPECT_EQ(resolveFontFamily(QStringLiteral("Korvel Consolas 7f3a")), QStringLiteral("Liberation Mono"));
    EXPECT_EQ(resolveFontFamily(QStringLiteral("Korvel Garamond Serif 7f3a")), QStringLiteral("Liberation Serif"));
    EXPECT_EQ(resolveFontFamily(QStringLiteral("URW Bookman 7f3a")), QStringLiteral("Liberation Serif"));
    EXPECT_EQ(resolveFontFamily(QStringLiteral("Korvel Sans Serif 7f3a")), QStringLiteral("Liberation Sans"));
    EXPECT_EQ(QFontInfo(makeCoverFont(QStringLiteral("Korvel Missing Sans 7f3a"))).family(),
              QStringLiteral("Liberation Sans"));
}

TEST(Fonts, AMissingFaceDrawsExactlyAsItsFallback)
{
    const QImage missingSans = pageWithTitleFont(QStringLiteral("Korvel Missing Sans 7f3a"));
    EXPECT_EQ(missingSans, pageWithTitleFont(QStringLiteral("Liberation Sans")));
    const QImage missingMono = pageWithTitleFont(QStringLiteral("Korvel Missing Mono 7f3a"));
    EXPECT_EQ(missingMono, pageWithTitleFont(QStringLiteral("Liberation Mono")));
    // The comparison can fail: the two kinds draw differently.
    EXPECT_NE(missingSans, missingMono);
}

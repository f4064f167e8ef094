// The cover model and the page geometry: element rectangles at every zoom, the
// creation defaults, size/height consistency, line breaking and the minimum height.
#include <QFontInfo>
#include <QFontMetrics>
#include <QSignalSpy>
#include <gtest/gtest.h>

#include "project/CoverPage.h"
#include "project/SheetView.h"

using namespace korvel;

namespace {

bool isText(ElementKind kind)
{
    return kind == ElementKind::TextLine || kind == ElementKind::TextList;
}

} // namespace

TEST(SheetLayouts, EveryElementStandsOnThePaperInsideItsOutline)
{
    for (const SheetLayout *layout : {&kJewelCase}) {
        SCOPED_TRACE(std::string(layout->name));
        const QRectF paper(0, 0, layout->paperWidth, layout->paperHeight);
        QStringList names;
        for (const ElementSpec &e : layout->elements) {
            SCOPED_TRACE(std::string(e.name));
            const QRectF r = e.shape.rect();
            EXPECT_FALSE(r.isEmpty());
            EXPECT_TRUE(paper.adjusted(100, 100, -100, -100).contains(r)) << "within the printable margin";
            names << QString::fromLatin1(e.name.data(), qsizetype(e.name.size()));
            if (isText(e.kind)) {
                // A text box stands inside the outline it may grow in, and inside the
                // picture behind it.
                const ElementId outline = layout->find(e.within);
                ASSERT_TRUE(outline.valid());
                EXPECT_TRUE(layout->element(outline).shape.rect().contains(r));
                const ElementId picture = layout->withRole(e.within == "QRShape1" ? Role::FrontPicture : Role::BackPicture);
                EXPECT_TRUE(layout->element(picture).shape.rect().contains(r));
                EXPECT_GE(layout->textIndex(e.name), 0) << "a text element is a text item";
            }
        }
        names.removeDuplicates();
        EXPECT_EQ(names.size(), qsizetype(layout->elements.size())) << "unique names";
        // Every text item, control row and role is the layout's own.
        EXPECT_EQ(layout->controls.size(), layout->texts.size());
        for (std::size_t i = 0; i < layout->texts.size(); ++i) {
            EXPECT_TRUE(layout->elementOfText(int(i)).valid());
            EXPECT_EQ(std::string_view(layout->controls[i].code), layout->texts[i].code);
        }
        for (Role role : {Role::Title, Role::Artist, Role::Year, Role::Contents})
            EXPECT_GE(layout->textWithRole(role), 0);
    }
}

TEST(PageGeometry, ElementsStandOnWholeScreenPixelsAtEveryZoom)
{
    CoverPage page;
    SheetView view(page);
    EXPECT_EQ(view.pixelSize(), QSize(794, 1123));
    for (const ElementSpec &e : kJewelCase.elements) {
        SCOPED_TRACE(std::string(e.name));
        const QRect at100 = view.elementPixelRect(e.name);
        // Whole pixels of 96 dpi at 100 %, so the screen shows the outlines crisp.
        EXPECT_NEAR(at100.left() * kTenthMmPerPixel, e.shape.left, 1e-9);
        EXPECT_NEAR(at100.width() * kTenthMmPerPixel, e.shape.width, 1e-9);
        EXPECT_EQ(view.elementPixelRect(e.name, 300),
                  QRect(at100.left() * 3, at100.top() * 3, at100.width() * 3, at100.height() * 3));
        const QRect at10 = view.elementPixelRect(e.name, 10);
        EXPECT_NEAR(at10.left(), at100.left() / 10.0, 0.5);
        EXPECT_NEAR(at10.width(), at100.width() / 10.0, 0.5);
    }
    ASSERT_TRUE(view.setZoom(300));
    EXPECT_EQ(view.pixelSize(), QSize(2381, 3368));
    ASSERT_TRUE(view.setZoom(10));
    EXPECT_EQ(view.pixelSize(), QSize(79, 112));
}

TEST(PageGeometry, ZoomOutsideOneToThreeHundredIsIgnored)
{
    CoverPage page;
    SheetView view(page);
    QSignalSpy spy(&view, &SheetView::zoomChanged);
    EXPECT_FALSE(view.setZoom(0));
    EXPECT_FALSE(view.setZoom(-10));
    EXPECT_FALSE(view.setZoom(310));
    EXPECT_EQ(view.zoom(), 100);
    EXPECT_EQ(spy.count(), 0);
    EXPECT_TRUE(view.setZoom(300));
    EXPECT_TRUE(view.setZoom(1));
    EXPECT_EQ(spy.count(), 2);
}

TEST(CoverModel, CreationDefaults)
{
    CoverPage page;
    struct Expect {
        const char *code;
        const char *text;
        int size, height, style;
        Alignment alignment;
    };
    const Expect expected[] = {
        {"MTht", "Horní text", 10, -13, 0, Alignment::Center},
        {"MThn", "Horní nadpis", 18, -24, 0, Alignment::Center},
        {"MTN", "Nadpis", 48, -64, fsBold, Alignment::Center},
        {"MTdn", "Dolní nadpis", 18, -24, 0, Alignment::Center},
        {"MTit", "Informační text", 18, -24, 0, Alignment::Center},
        {"MTdit", "Dolní informační text", 10, -13, 0, Alignment::Center},
        {"MTdt", "Dolní text", 10, -13, 0, Alignment::Center},
        {"BTht", "Horní text", 10, -13, 0, Alignment::Center},
        {"BTno", "Název obsahu", 14, -19, 0, Alignment::Left},
        {"BTo", "Obsah", 10, -13, 0, Alignment::Center},
        {"BTit", "Informační text", 10, -13, 0, Alignment::Left},
        {"BTdt", "Dolní text", 10, -13, 0, Alignment::Center},
    };
    for (const Expect &e : expected) {
        SCOPED_TRACE(e.code);
        const TextItem &item = page.item(QString::fromLatin1(e.code));
        EXPECT_EQ(item.text(), QString::fromUtf8(e.text));
        EXPECT_EQ(item.font().name, QStringLiteral("Arial"));
        EXPECT_EQ(item.font().color, clWindowText);
        EXPECT_EQ(item.font().size(), e.size);
        EXPECT_EQ(item.font().height, e.height);
        EXPECT_EQ(item.font().style, e.style);
        EXPECT_EQ(item.alignment(), e.alignment);
    }
    EXPECT_TRUE(page.item(QStringLiteral("BTo")).isMultiLine());
    EXPECT_EQ(page.item(QStringLiteral("BTo")).lines(), QStringList{QStringLiteral("Obsah")});
    EXPECT_EQ(page.CDL().caption(), QStringLiteral("Název CD"));
    EXPECT_TRUE(page.MainImg().picture().isEmpty());
}

TEST(CoverModel, SizeAndHeightAreOneQuantity)
{
    ItemFont font;
    font.height = -24;
    EXPECT_EQ(font.size(), 18);
    font.setSize(10);
    EXPECT_EQ(font.height, -13);
    font.setSize(14);
    EXPECT_EQ(font.height, -19);
    font.height = -19;
    EXPECT_EQ(font.size(), 14);
    font.height = 20; // a cell height gives a negative size
    EXPECT_EQ(font.size(), -15);
}

TEST(CoverModel, EverySetterReportsTheItemsRectangle)
{
    CoverPage page;
    // In tenths of a millimetre from the model, in the screen's pixels from its view.
    SheetView view(page);
    QSignalSpy spy(&view, &SheetView::changed);
    QSignalSpy model(&page, &CoverPage::changed);
    TextItem &mtn = page.item(QStringLiteral("MTN"));
    mtn.setText(QStringLiteral("Abbey Road"));
    mtn.setAlignment(Alignment::Right);
    mtn.setColor(0x0000FF);
    mtn.setStyle(fsItalic | fsUnderline);
    mtn.setFontName(QStringLiteral("Arial"));
    EXPECT_EQ(spy.count(), 5);
    for (const QList<QVariant> &args : spy)
        EXPECT_TRUE(args.at(0).toRect().contains(QRect(64, 201, 433, 79)));
    for (const QList<QVariant> &args : model)
        EXPECT_TRUE(args.at(0).toRectF().contains(page.elementRect("MTN")));
    spy.clear();
    page.CDL().setCaption(QStringLiteral("X"));
    ASSERT_EQ(spy.count(), 1);
    EXPECT_TRUE(spy.at(0).at(0).toRect().contains(QRect(52, 585, 23, 440)));
    // A style outside the four bits is cut to them.
    mtn.setStyle(0xFF);
    EXPECT_EQ(mtn.font().style, fsBold | fsItalic | fsUnderline | fsStrikeOut);
}

TEST(CoverModel, MultiLineItemsHoldLines)
{
    CoverPage page;
    TextItem &bto = page.item(QStringLiteral("BTo"));
    bto.clearLines();
    EXPECT_TRUE(bto.lines().isEmpty());
    bto.appendLine(QStringLiteral("1. Come Together"));
    bto.appendLine(QString());
    bto.appendLine(QStringLiteral("3. Something"));
    EXPECT_EQ(bto.lines().size(), 3);
    EXPECT_EQ(bto.text(), QStringLiteral("1. Come Together\n\n3. Something"));
    bto.setText(QStringLiteral("a\r\nb\rc"));
    EXPECT_EQ(bto.lines(), (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}));
    // A single-line item keeps one string whatever it is given.
    TextItem &mtht = page.item(QStringLiteral("MTht"));
    mtht.setText(QString());
    EXPECT_EQ(mtht.lines().size(), 1);
    EXPECT_EQ(mtht.text(), QString());
}

TEST(TextLayout, BreaksGreedilyAtSpaces)
{
    ItemFont itemFont;
    itemFont.setSize(10);
    const QFont font = itemFont.toQFont(100);
    const QFontMetricsF m(font);
    const QString a = QStringLiteral("alpha"), b = QStringLiteral("beta"), c = QStringLiteral("gamma");
    // Exactly wide enough for "alpha beta": gamma goes to the next line.
    const qreal width = m.horizontalAdvance(a + QLatin1Char(' ') + b);
    TextLayout l = TextLayout::build({a + QStringLiteral("  ") + b + QLatin1Char(' ') + c}, font, width, 100, 0);
    EXPECT_EQ(l.lines, (QStringList{a + QLatin1Char(' ') + b, c}));
    // A word wider than the box stands alone and is not broken.
    const QString longWord = QStringLiteral("Donaudampfschifffahrtsgesellschaft");
    l = TextLayout::build({a + QLatin1Char(' ') + longWord + QLatin1Char(' ') + b}, font, m.horizontalAdvance(a) + 1, 100, 0);
    EXPECT_EQ(l.lines, (QStringList{a, longWord, b}));
    // Each stored line is broken by itself; an empty one stays an empty display line.
    l = TextLayout::build({a, QString(), b}, font, 1000, 100, 0);
    EXPECT_EQ(l.lines, (QStringList{a, QString(), b}));
    EXPECT_EQ(l.lineHeight, QFontMetrics(font).ascent() + QFontMetrics(font).descent());
}

TEST(TextLayout, TheContentsListsLastTabIsARightStopAtTheBoxEdge)
{
    ItemFont itemFont;
    itemFont.setSize(10);
    const QFont font = itemFont.toQFont(100);
    const QFontMetricsF m(font);
    const qreal width = 487, tabStop = 8 * m.averageCharWidth();
    const auto build = [&](const QStringList &lines, qreal rightStop) {
        return TextLayout::build(lines, font, width, 100, tabStop, rightStop);
    };
    // Titles of every length: each duration starts where its own width ends it at the
    // box's edge, and every line fills the box, so no alignment moves it.
    const QStringList list{QStringLiteral("1. Jaro\t3:41"), QStringLiteral("2. Velmi dlouhé léto u řeky\t12:05"),
                           QStringLiteral("Celkem\t1:02:03")};
    TextLayout l = build(list, width);
    ASSERT_EQ(l.lines, list);
    for (qsizetype i = 0; i < l.lines.size(); ++i) {
        const TextLayout::Placement p = l.placement(i);
        EXPECT_EQ(l.widths[i], width) << i;
        EXPECT_NEAR(p.starts.last() + m.horizontalAdvance(p.pieces.last()), width, 1.0) << i;
        EXPECT_GT(p.starts.last(), m.horizontalAdvance(p.pieces.first()) + 1) << i;
    }
    // Without a right stop (every other text) the same lines keep the regular stops.
    const TextLayout regular = build(list, 0);
    EXPECT_EQ(regular.placement(0).starts, TextLayout::pieceStarts(list[0], m, tabStop));
    EXPECT_LT(regular.widths[0], width / 2);

    // Earlier tabs keep the regular stops; trailing tabs take no width; a line without
    // a tab is as it was.
    l = build({QStringLiteral("1\tJaro\t3:41"), QStringLiteral("Jaro\t3:41\t\t"), QStringLiteral("Jen text")}, width);
    EXPECT_EQ(l.placement(0).starts[1], tabStop);
    EXPECT_NEAR(l.placement(0).starts[2], l.placement(1).starts[1], 1e-9);
    EXPECT_EQ(l.placement(1).pieces, (QStringList{QStringLiteral("Jaro"), QStringLiteral("3:41")}));
    EXPECT_EQ(l.widths[2], m.horizontalAdvance(QStringLiteral("Jen text")));
    EXPECT_FALSE(l.rightTabs[2]);

    // A title too long for one line wraps; its duration stands at the edge on the last
    // display line, the one that holds the tab.
    const QString words = QStringLiteral("slovo ").repeated(30).trimmed();
    l = build({QStringLiteral("3. ") + words + QStringLiteral("\t4:20")}, width);
    ASSERT_GE(l.lines.size(), 2);
    EXPECT_EQ(l.rightTabs, QVector<bool>(l.lines.size() - 1, false) << true);
    EXPECT_TRUE(l.lines.last().endsWith(QStringLiteral("\t4:20")));
    EXPECT_EQ(l.widths.last(), width);

    // "…" before the tab asks for dots from the title to the duration; with no room
    // for them the tab is a regular one and the "…" stays.
    l = build({QStringLiteral("1. Jaro…\t3:41")}, width);
    TextLayout::Placement p = l.placement(0);
    EXPECT_EQ(p.pieces.first(), QStringLiteral("1. Jaro"));
    ASSERT_TRUE(p.hasLeader());
    EXPECT_GT(p.leaderFrom, m.horizontalAdvance(QStringLiteral("1. Jaro")));
    EXPECT_LT(p.leaderTo, p.starts.last());
    qreal at = 0;
    const QString dots = TextLayout::leaderDots(p.leaderFrom, p.leaderTo, m, &at);
    EXPECT_GE(at, p.leaderFrom);
    EXPECT_LE(at + m.horizontalAdvance(dots), p.leaderTo + 1e-6);
    EXPECT_GT(dots.count(QLatin1Char('.')), 20);
    p = TextLayout::place(QStringLiteral("1. Jaro…\t3:41"), font, tabStop, m.horizontalAdvance(QStringLiteral("1. Jaro3:41")));
    EXPECT_FALSE(p.hasLeader());
    EXPECT_EQ(p.pieces.first(), QStringLiteral("1. Jaro…"));
    EXPECT_EQ(p.starts, TextLayout::pieceStarts(QStringLiteral("1. Jaro…\t3:41"), m, tabStop));
}

TEST(TextLayout, FontsScaleWithTheZoomToWholePoints)
{
    ItemFont itemFont;
    itemFont.setSize(10); // height -13
    EXPECT_EQ(itemFont.toQFont(100).pixelSize(), 13);
    EXPECT_EQ(itemFont.toQFont(300).pixelSize(), 40); // 30 pt
    EXPECT_EQ(itemFont.toQFont(150).pixelSize(), 20); // 15 pt
    EXPECT_EQ(itemFont.toQFont(10).pixelSize(), 1);   // 1 pt
    itemFont.style = fsBold | fsItalic | fsUnderline | fsStrikeOut;
    const QFont f = itemFont.toQFont(100);
    EXPECT_TRUE(f.bold() && f.italic() && f.underline() && f.strikeOut());
    EXPECT_EQ(QFontInfo(f).family(), QStringLiteral("Liberation Sans"));
}

TEST(TextLayout, LongTitleWrapsAndOnlyTheFirstLineFits)
{
    CoverPage page;
    TextItem &mtn = page.item(QStringLiteral("MTN"));
    mtn.setText(QStringLiteral("The Dark Side of the Moon Remastered"));
    const TextLayout &l = page.layout(QStringLiteral("MTN"));
    ASSERT_GE(l.lines.size(), 2);
    const int boxHeight = SheetView::pixelRect(page.elementRect("MTN"), 100).height();
    EXPECT_EQ(boxHeight, 79) << "the box keeps its height: one line of 48 pt fits";
    EXPECT_LE(l.lineHeight, boxHeight);
    EXPECT_GT(2 * l.lineHeight, boxHeight);
}

TEST(TextLayout, BoxIsRaisedToOneLineAndNeverShrinksBack)
{
    CoverPage page;
    TextItem &btht = page.item(QStringLiteral("BTht"));
    ASSERT_EQ(SheetView::pixelRect(page.elementRect("BTht"), 100), QRect(90, 597, 487, 17));
    btht.setSize(24);
    const int line = page.layout(QStringLiteral("BTht")).lineHeight;
    const QRect raised = SheetView::pixelRect(page.elementRect("BTht"), 100);
    EXPECT_EQ(raised.top(), 597);
    EXPECT_EQ(raised.height(), line + 1);
    btht.setSize(8);
    EXPECT_EQ(SheetView::pixelRect(page.elementRect("BTht"), 100), raised);
    // Other elements are untouched.
    EXPECT_EQ(SheetView::pixelRect(page.elementRect("BTno"), 100), QRect(90, 635, 487, 24));
}

TEST(PicturePlacement, TheAxisThePictureJustFillsStaysCentredWhenDragged)
{
    // Filling, a picture of another shape covers one axis exactly; a drag moves it along
    // the other only, whatever rounding the sizes bring.
    PicturePlacement fill;
    fill.fit = PicturePlacement::Fit::Fill;
    for (int side = 50; side <= 400; ++side)
        for (const QSizeF picture : {QSizeF(4000, 3000), QSizeF(3000, 4000), QSizeF(1001, 997)}) {
            const QRectF area(13.7, 21.3, side, side * 0.93);
            const PicturePlacement moved = fill.movedBy(QPointF(7, 5), area, picture);
            const bool wide = picture.width() / picture.height() > area.width() / area.height();
            EXPECT_EQ(wide ? moved.y : moved.x, 500) << side << " " << picture.width();
            const QRectF shown = moved.pictureRect(area, picture);
            EXPECT_TRUE(shown.adjusted(-1e-6, -1e-6, 1e-6, 1e-6).contains(area)) << side;
        }
}

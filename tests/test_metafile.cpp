#include <gtest/gtest.h>

#include "picture/Picture.h"
#include "picture/metafile/Renderer.h"

#include <QDir>
#include <QFile>
#include <QPaintEngine>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTextItem>

#include <array>
#include <cmath>

using namespace korvel;

namespace {

const QString kDir = QStringLiteral(KORVEL_TEST_DATA "/metafiles/");
const QString kCzech = QStringLiteral("Příliš žluťoučký kůň úpěl ďábelské ódy");

QByteArray readFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}

Picture load(const QString &name, const QString &ext = QString())
{
    Picture p;
    QString error;
    const QByteArray bytes = readFile(kDir + name);
    EXPECT_FALSE(bytes.isEmpty()) << name.toStdString();
    const QString e = ext.isEmpty() ? QLatin1Char('.') + QFileInfo(name).suffix() : ext;
    EXPECT_TRUE(p.loadFromData(bytes, e, &error)) << name.toStdString() << ": " << error.toStdString();
    return p;
}

QImage render(const Picture &p, QSize size, QColor background = Qt::white)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(background);
    QPainter painter(&image);
    p.draw(painter, QRectF(QPointF(0, 0), QSizeF(size)), DrawTarget::Paper);
    return image;
}

// Mean colour of a rectangle of an image.
QColor meanColor(const QImage &image, const QRect &r)
{
    qint64 red = 0, green = 0, blue = 0, n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) {
            const QRgb c = image.pixel(x, y);
            red += qRed(c);
            green += qGreen(c);
            blue += qBlue(c);
            ++n;
        }
    return n ? QColor(int(red / n), int(green / n), int(blue / n)) : QColor();
}

// Share of grid cells whose mean colour differs from the reference by more than
// tolerance in some channel.
double differingCells(const QImage &a, const QImage &b, int grid, int tolerance)
{
    int bad = 0;
    for (int gy = 0; gy < grid; ++gy)
        for (int gx = 0; gx < grid; ++gx) {
            const QRect cell(a.width() * gx / grid, a.height() * gy / grid, a.width() / grid, a.height() / grid);
            const QColor ca = meanColor(a, cell), cb = meanColor(b, cell);
            if (std::abs(ca.red() - cb.red()) > tolerance || std::abs(ca.green() - cb.green()) > tolerance
                || std::abs(ca.blue() - cb.blue()) > tolerance)
                ++bad;
        }
    return double(bad) / (grid * grid);
}

double inkCoverage(const QImage &image)
{
    qint64 ink = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 200)
                ++ink;
    return double(ink) / (qint64(image.width()) * image.height());
}

// A paint device that records the text handed to it and the transform it was
// drawn with, so text tests look at strings, not at pixels.
class TextRecorder : public QPaintDevice {
public:
    struct Item {
        QString text;
        QTransform transform;
        QFont font;
    };
    class Engine : public QPaintEngine {
    public:
        explicit Engine(TextRecorder *owner) : QPaintEngine(AllFeatures), m_owner(owner) {}
        bool begin(QPaintDevice *) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState &) override {}
        void drawPixmap(const QRectF &, const QPixmap &, const QRectF &) override {}
        void drawPolygon(const QPointF *, int, PolygonDrawMode) override {}
        void drawPath(const QPainterPath &) override {}
        void drawImage(const QRectF &r, const QImage &image, const QRectF &, Qt::ImageConversionFlags) override
        {
            m_owner->images.push_back({r, image, painter()->compositionMode()});
        }
        void drawTextItem(const QPointF &, const QTextItem &item) override
        {
            m_owner->items.push_back({item.text(), painter()->transform(), item.font()});
        }
        Type type() const override { return User; }

    private:
        TextRecorder *m_owner;
    };
    TextRecorder() : m_engine(this) {}
    QPaintEngine *paintEngine() const override { return const_cast<Engine *>(&m_engine); }
    int metric(PaintDeviceMetric m) const override
    {
        switch (m) {
        case PdmWidth: return 600;
        case PdmHeight: return 600;
        case PdmDpiX: case PdmDpiY: case PdmPhysicalDpiX: case PdmPhysicalDpiY: return 96;
        case PdmDepth: return 32;
        case PdmDevicePixelRatio: return 1;
        case PdmDevicePixelRatioScaled: return int(QPaintDevice::devicePixelRatioFScale());
        default: return 1;
        }
    }
    QString allText() const
    {
        QString s;
        for (const Item &i : items)
            s += i.text;
        return s;
    }
    std::vector<Item> items;
    struct Image {
        QRectF rect;
        QImage image;
        QPainter::CompositionMode mode;
    };
    std::vector<Image> images;

private:
    Engine m_engine;
};

QString withoutSpaces(QString s)
{
    s.remove(QLatin1Char(' '));
    return s;
}

// Minimal EMF writer for records the corpus files do not exercise.
class EmfWriter {
public:
    EmfWriter(int width = 1000, int height = 1000)
    {
        m_data.resize(88, '\0');
        set32(0, 1);
        set32(4, 88);
        set32(16, width);
        set32(20, height);
        // Frame: 96 dpi pixels in 0.01 mm, with a reference device of 96 dpi.
        set32(32, int(width * 2540.0 / 96));
        set32(36, int(height * 2540.0 / 96));
        set32(40, 0x464D4520);
        set32(44, 0x10000);
        set16(56, 16);
        set32(72, 960);
        set32(76, 960);
        set32(80, 254);
        set32(84, 254);
    }
    EmfWriter &record(std::uint32_t type, const std::vector<std::int32_t> &words, const QByteArray &tail = QByteArray())
    {
        QByteArray r;
        auto put = [&r](std::uint32_t v) {
            for (int i = 0; i < 4; ++i)
                r.append(char((v >> (8 * i)) & 0xFF));
        };
        put(type);
        put(0);
        for (std::int32_t w : words)
            put(std::uint32_t(w));
        r.append(tail);
        while (r.size() % 4)
            r.append('\0');
        const std::uint32_t size = std::uint32_t(r.size());
        for (int i = 0; i < 4; ++i)
            r[4 + i] = char((size >> (8 * i)) & 0xFF);
        m_data.append(r);
        return *this;
    }
    QByteArray finish()
    {
        record(14, {0, 16, 20});
        set32(48, int(m_data.size()));
        return m_data;
    }

private:
    void set32(int at, std::int32_t v)
    {
        for (int i = 0; i < 4; ++i)
            m_data[at + i] = char((std::uint32_t(v) >> (8 * i)) & 0xFF);
    }
    void set16(int at, int v)
    {
        m_data[at] = char(v & 0xFF);
        m_data[at + 1] = char((v >> 8) & 0xFF);
    }
    QByteArray m_data;
};

QByteArray utf16(const QString &s)
{
    return QByteArray(reinterpret_cast<const char *>(s.utf16()), s.size() * 2);
}

} // namespace

TEST(MetafilePicture, LoadsBothKindsUnderEitherExtensionAndKeepsBytes)
{
    for (const QString name : {"inkscape_shapes.emf", "inkscape_shapes.wmf", "inkscape_shapes_nonplaceable.wmf"}) {
        const QByteArray bytes = readFile(kDir + name);
        for (const QString ext : {".emf", ".wmf", ".EMF"}) {
            Picture p;
            QString error;
            ASSERT_TRUE(p.loadFromData(bytes, ext, &error)) << name.toStdString() << ext.toStdString() << error.toStdString();
            EXPECT_EQ(p.format(), PictureFormat::Metafile);
            ASSERT_TRUE(p.content());
            EXPECT_TRUE(p.content()->isVector());
        }
        QTemporaryDir dir;
        Picture p = load(name);
        QString error;
        ASSERT_TRUE(p.saveToFile(dir.filePath("side.im2"), &error));
        EXPECT_EQ(readFile(dir.filePath("side.im2")), bytes);
    }
}

TEST(MetafilePicture, OwnSizeFromFrameBoundingBoxOrWindow)
{
    // EMF: frame 15099 x 11899 hundredths of a millimetre at 96 dpi.
    EXPECT_EQ(load("inkscape_shapes.emf").size(), QSize(571, 450));
    // Placeable WMF: 7086 x 5574 units at 1200 units per inch.
    EXPECT_EQ(load("inkscape_shapes.wmf").size(), QSize(567, 446));
    // Plain WMF: the window extent taken as pixels.
    EXPECT_EQ(load("inkscape_shapes_nonplaceable.wmf").size(), QSize(7086, 5574));
    EXPECT_EQ(load("gnuplot_surface.emf").size(), QSize(598, 598));
    // Placeable with an odd unit: 29217 x 16717 at 159 per inch.
    EXPECT_EQ(load("lo_svg_huge.wmf").size(), QSize(17640, 10093));
}

TEST(MetafilePicture, RejectsWhatIsNotAMetafile)
{
    const QByteArray notMetafiles[] = {
        QByteArray(), QByteArray("hello, this is plain text and no picture at all"),
        QByteArray(200, '\0'), readFile(kDir + "../metafiles/reference/gnuplot_surface_emf.png"),
    };
    for (const QByteArray &bytes : notMetafiles) {
        Picture p;
        QString error;
        EXPECT_FALSE(p.loadFromData(bytes, ".emf", &error));
        EXPECT_FALSE(error.isEmpty());
        EXPECT_TRUE(p.isEmpty());
    }
    // A plain WMF without any window has no size to be shown at.
    QByteArray wmf = readFile(kDir + "inkscape_shapes_nonplaceable.wmf").left(18);
    wmf.append(QByteArray::fromHex("030000000000"));
    Picture p;
    QString error;
    EXPECT_FALSE(p.loadFromData(wmf, ".wmf", &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(MetafilePicture, MatchesReferenceRenderings)
{
    struct Case {
        const char *file;
        const char *reference;
        double maxBadCells;
    } cases[] = {
        // With the faces the files name installed (scripts/deps), an honest drawing
        // differs from the reference in well under 2 % of the cells; a wrong face in
        // one of the text files already differs in 3 to 4 %.
        {"inkscape_shapes.emf", "inkscape_shapes_emf.png", 0.02},
        {"inkscape_shapes.wmf", "inkscape_shapes_wmf.png", 0.02},
        {"inkscape_shapes_nonplaceable.wmf", "inkscape_shapes_nonplaceable_wmf.png", 0.02},
        {"lo_shapes_text.emf", "lo_shapes_text_emf.png", 0.02},
        {"gnuplot_surface.emf", "gnuplot_surface_emf.png", 0.02},
        {"lo_svg_text.emf", "lo_svg_text_emf.png", 0.02},
        {"inkscape_clip_gradient.emf", "inkscape_clip_gradient_emf.png", 0.02},
        {"inkscape_text.emf", "inkscape_text_emf.png", 0.02},
        {"inkscape_text.wmf", "inkscape_text_wmf.png", 0.02},
        {"inkscape_lines.wmf", "inkscape_lines_wmf.png", 0.02},
        // The reference draws user-style dashes solid; ours has the gaps of the source.
        {"inkscape_lines.emf", "inkscape_lines_emf.png", 0.10},
        {"lo_svg_huge.emf", "lo_svg_huge_emf.png", 0.02},
        {"lo_svg_huge.wmf", "lo_svg_huge_wmf.png", 0.02},
        {"inkscape_huge.emf", "inkscape_huge_emf.png", 0.02},
    };
    for (const Case &c : cases) {
        const QImage reference = QImage(kDir + "reference/" + c.reference).convertToFormat(QImage::Format_RGB32);
        ASSERT_FALSE(reference.isNull()) << c.reference;
        const QImage ours = render(load(c.file), reference.size()).convertToFormat(QImage::Format_RGB32);
        const double bad = differingCells(ours, reference, 32, 24);
        EXPECT_LE(bad, c.maxBadCells) << c.file;
        EXPECT_NEAR(inkCoverage(ours), inkCoverage(reference), 0.03) << c.file;
    }
}

TEST(MetafilePicture, DrawnUpsideDownWouldNotMatch)
{
    // The comparison above must be able to fail: a mirrored drawing is far off.
    const QImage reference = QImage(kDir + "reference/inkscape_shapes_emf.png").convertToFormat(QImage::Format_RGB32);
    const QImage ours = render(load("inkscape_shapes.emf"), reference.size()).convertToFormat(QImage::Format_RGB32);
    EXPECT_GT(differingCells(ours.mirrored(false, true), reference, 32, 24), 0.2);
}

TEST(MetafilePicture, HatchBrushesFollowTheSource)
{
    // hatch.svg: a 120 mm square, hatched rectangles 34 x 30 mm at (5,5), (43,5),
    // (81,5), (5,40), (43,40), (81,40); colours red, green, blue, magenta, teal, black.
    const Picture p = load("inkscape_hatch.emf");
    const int side = 605; // 5 px per millimetre
    const QImage img = render(p, QSize(side, side)).convertToFormat(QImage::Format_RGB32);
    const double mm = side / 121.0;
    auto inner = [&](double x, double y) { return QRect(int((x + 4) * mm), int((y + 4) * mm), int(26 * mm), int(22 * mm)); };
    // Variation of the row means versus the column means tells lines' direction.
    auto profile = [&](const QRect &r, bool rows) {
        std::vector<double> means;
        const int n = rows ? r.height() : r.width();
        for (int i = 0; i < n; ++i) {
            double sum = 0;
            const int m = rows ? r.width() : r.height();
            for (int j = 0; j < m; ++j)
                sum += qGray(rows ? img.pixel(r.left() + j, r.top() + i) : img.pixel(r.left() + i, r.top() + j));
            means.push_back(sum / m);
        }
        double mean = 0, var = 0;
        for (double v : means)
            mean += v;
        mean /= means.size();
        for (double v : means)
            var += (v - mean) * (v - mean);
        return var / means.size();
    };
    const QRect horizontal = inner(5, 5), vertical = inner(43, 5), cross = inner(43, 40);
    EXPECT_GT(profile(horizontal, true), 10 * profile(horizontal, false) + 1);
    EXPECT_GT(profile(vertical, false), 10 * profile(vertical, true) + 1);
    EXPECT_GT(profile(cross, true), 1.0);
    EXPECT_GT(profile(cross, false), 1.0);
    // Hatched, not filled: the background shows between the lines.
    const QColor red = meanColor(img, horizontal);
    EXPECT_GT(red.red(), 200);
    EXPECT_LT(red.green(), 235);
    EXPECT_GT(red.green(), 120);
    const QColor blue = meanColor(img, inner(81, 5));
    EXPECT_GT(blue.blue(), 200);
    EXPECT_LT(blue.red(), 235);
}

TEST(MetafilePicture, UserStyleDashesLeaveGaps)
{
    // One horizontal line with a 40-on, 20-off user style, 10 units wide, flat caps.
    EmfWriter w(1000, 100);
    w.record(95, {1, 0, 0, 0, 0, 0x00010000 | 7 | 0x200, 10, 0, 0x0000FF, 0, 2, 40, 20});
    w.record(37, {1});
    w.record(27, {0, 50});
    w.record(54, {1000, 50});
    Picture p;
    QString error;
    ASSERT_TRUE(p.loadFromData(w.finish(), ".emf", &error)) << error.toStdString();
    const QImage img = render(p, QSize(1000, 100));
    int transitions = 0;
    bool wasInk = false;
    for (int x = 0; x < 1000; ++x) {
        const bool ink = qRed(img.pixel(x, 50)) > 200 && qGreen(img.pixel(x, 50)) < 80;
        if (ink != wasInk)
            ++transitions;
        wasInk = ink;
    }
    // 1000 units / 60-unit period: about 17 dashes, each with two edges.
    EXPECT_GE(transitions, 30);
    EXPECT_LE(transitions, 36);
}

TEST(MetafileText, UnicodeTextKeepsDiacritics)
{
    for (const char *file : {"inkscape_text.emf", "lo_svg_text.emf", "lo_svg_text.wmf"}) {
        TextRecorder recorder;
        {
            QPainter painter(&recorder);
            load(file).draw(painter, QRectF(0, 0, 600, 450), DrawTarget::Paper);
        }
        const QString all = withoutSpaces(recorder.allText());
        EXPECT_TRUE(all.contains(withoutSpaces(kCzech))) << file << ": " << all.toStdString();
    }
}

TEST(MetafileText, CentralEuropeanCharsetDecodes)
{
    const QByteArray bytes = QStringEncoder("windows-1250").encode(kCzech);
    ASSERT_EQ(bytes.size(), kCzech.size());
    EXPECT_EQ(metafile::Renderer::decodeText(bytes, 238), kCzech);
    EXPECT_EQ(metafile::Renderer::decodeText(QByteArray("\xf8"), 238), QStringLiteral("ř"));
    EXPECT_EQ(metafile::Renderer::decodeText(QByteArray("\xf8"), 0), QStringLiteral("ø"));
    EXPECT_EQ(metafile::Renderer::decodeText(QByteArray("\xf8"), 204), QStringLiteral("ш"));

    // A placeable WMF with a charset-238 font and a TEXTOUT in code page 1250.
    const QByteArray text = QByteArray::fromHex("50f8ed6c699a");
    QByteArray wmf;
    auto put16 = [&wmf](int v) { wmf.append(char(v & 0xFF)); wmf.append(char((v >> 8) & 0xFF)); };
    auto put32 = [&](std::uint32_t v) { put16(int(v & 0xFFFF)); put16(int(v >> 16)); };
    put32(0x9AC6CDD7); put16(0); put16(0); put16(0); put16(1000); put16(1000); put16(1440); put32(0); put16(0);
    put16(1); put16(9); put16(0x300); put32(0); put16(1); put32(0); put16(0);
    // CREATEFONTINDIRECT: height -200, charset 238, face "Arial"
    put32(3 + 9 + 16); put16(0x02FB);
    put16(-200); put16(0); put16(0); put16(0); put16(400);
    wmf.append(char(0)); wmf.append(char(0)); wmf.append(char(0)); wmf.append(char(238));
    wmf.append(QByteArray(4, '\0'));
    wmf.append(QByteArray("Arial").leftJustified(32, '\0'));
    put32(4); put16(0x012D); put16(0); // SELECTOBJECT 0
    put32(3 + 1 + 3 + 2); put16(0x0521); put16(int(text.size())); wmf.append(text); put16(500); put16(100);
    put32(3); put16(0);
    Picture p;
    QString error;
    ASSERT_TRUE(p.loadFromData(wmf, ".wmf", &error)) << error.toStdString();
    TextRecorder recorder;
    {
        QPainter painter(&recorder);
        p.draw(painter, QRectF(0, 0, 600, 600), DrawTarget::Paper);
    }
    EXPECT_EQ(recorder.allText(), QStringLiteral("Příliš"));
}

TEST(MetafileText, EscapementRotatesText)
{
    // text.svg: "Otočený text −30°" turned 30 degrees counter-clockwise, "Hřbet (spine)"
    // turned 90 degrees clockwise, "−90° ..." 90 degrees counter-clockwise.
    TextRecorder recorder;
    {
        QPainter painter(&recorder);
        load("inkscape_text.emf").draw(painter, QRectF(0, 0, 571, 450), DrawTarget::Paper);
    }
    auto angleOf = [&](const QString &glyph) { // of its last occurrence
        for (auto it = recorder.items.rbegin(); it != recorder.items.rend(); ++it)
            if (const auto &item = *it; item.text == glyph)
                return std::atan2(item.transform.m12(), item.transform.m11()) * 180 / M_PI;
        return 1000.0;
    };
    // In y-down coordinates counter-clockwise is a negative angle.
    EXPECT_NEAR(angleOf(QStringLiteral("O")), -30, 1);
    EXPECT_NEAR(angleOf(QStringLiteral("H")), 90, 1);
    EXPECT_NEAR(angleOf(QStringLiteral("−")), -90, 1);
    EXPECT_NEAR(angleOf(QStringLiteral("C")), 0, 0.01); // "Centred text"
}

TEST(MetafileText, MappingModeWithUpwardYKeepsTextUpright)
{
    // MM_LOMETRIC: y grows upwards. Text must still read upright.
    EmfWriter w(400, 400);
    w.record(17, {2});
    QByteArray font(92, '\0');
    {
        const std::int32_t h = -100;
        memcpy(font.data(), &h, 4);
        const QByteArray face = utf16(QStringLiteral("Arial"));
        memcpy(font.data() + 28, face.constData(), face.size());
    }
    w.record(82, {1}, font);
    w.record(37, {1});
    w.record(22, {24});
    const QString s = QStringLiteral("Hřbet");
    std::vector<std::int32_t> rec = {0, 0, 0, 0, 1, 0, 0, 100, -500, int(s.size()), 76, 0, 0, 0, 0, 0, 0};
    w.record(84, rec, utf16(s));
    Picture p;
    QString error;
    ASSERT_TRUE(p.loadFromData(w.finish(), ".emf", &error));
    TextRecorder recorder;
    {
        QPainter painter(&recorder);
        p.draw(painter, QRectF(0, 0, 400, 400), DrawTarget::Paper);
    }
    ASSERT_EQ(recorder.items.size(), 1u);
    EXPECT_EQ(recorder.items[0].text, s);
    EXPECT_GT(recorder.items[0].transform.m22(), 0);
    EXPECT_GT(recorder.items[0].transform.m11(), 0);
    // 500 units of 0.1 mm below the origin: 5 cm at 96 dpi is 189 pixels down.
    EXPECT_NEAR(recorder.items[0].transform.dy(), 189, 3);
}

TEST(MetafilePaper, PdfKeepsTextAndVectors)
{
    const QString pdftotext = QStringLiteral("/usr/bin/pdftotext");
    if (!QFile::exists(pdftotext))
        GTEST_SKIP() << "poppler-utils not installed";
    QTemporaryDir dir;
    const QString pdf = dir.filePath("out.pdf");
    {
        QPdfWriter writer(pdf);
        writer.setPageSize(QPageSize(QPageSize::A4));
        QPainter painter(&writer);
        load("lo_shapes_text.emf").draw(painter, QRectF(0, 0, 4000, 3150), DrawTarget::Paper);
    }
    QProcess text;
    text.start(pdftotext, {pdf, "-"});
    ASSERT_TRUE(text.waitForFinished(20000));
    const QString out = QString::fromUtf8(text.readAllStandardOutput());
    EXPECT_TRUE(withoutSpaces(out).contains(QStringLiteral("žluťoučký"))) << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("Hřbet")));

    // The only images are the two bitmaps of the drawing, at their own size.
    QProcess images;
    images.start(QStringLiteral("/usr/bin/pdfimages"), {"-list", pdf});
    ASSERT_TRUE(images.waitForFinished(20000));
    const QStringList lines = QString::fromUtf8(images.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    int count = 0;
    for (const QString &line : lines.mid(2)) {
        const QStringList f = line.simplified().split(' ');
        if (f.size() > 4 && f[2] == QLatin1String("image")) {
            ++count;
            EXPECT_LE(f[3].toInt(), 500);
        }
    }
    EXPECT_GE(count, 1);
    EXPECT_LE(count, 2);
}

TEST(MetafilePicture, PainterStateIsLeftAsFound)
{
    QImage image(200, 200, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.translate(10, 20);
    painter.setPen(QPen(Qt::green, 3));
    painter.setBrush(Qt::yellow);
    const QTransform before = painter.transform();
    load("inkscape_shapes.emf").draw(painter, QRectF(0, 0, 100, 80), DrawTarget::Paper);
    EXPECT_EQ(painter.transform(), before);
    EXPECT_EQ(painter.pen().color(), QColor(Qt::green));
    EXPECT_EQ(painter.brush().color(), QColor(Qt::yellow));
    EXPECT_FALSE(painter.hasClipping());
    painter.end();
    // Nothing outside the target rectangle (10..110, 20..100).
    for (int y = 0; y < 200; ++y) {
        for (int x = 0; x < 200; ++x) {
            if (x < 10 || x >= 111 || y < 20 || y >= 101) {
                ASSERT_EQ(image.pixel(x, y), qRgb(255, 255, 255)) << x << "," << y;
            }
        }
    }
}

TEST(MetafilePicture, DamagedFilesFailOrDrawPartly)
{
    const QDir dir(kDir + "damaged");
    const QStringList files = dir.entryList(QDir::Files);
    ASSERT_GE(files.size(), 10);
    for (const QString &name : files) {
        Picture p;
        QString error;
        const bool ok = p.loadFromData(readFile(dir.filePath(name)), ".wmf", &error);
        if (!ok) {
            EXPECT_FALSE(error.isEmpty()) << name.toStdString();
            continue;
        }
        const QImage img = render(p, QSize(120, 120));
        EXPECT_FALSE(img.isNull());
    }
}

TEST(MetafilePicture, ScreenDrawingUsesACachedCopy)
{
    const Picture p = load("gnuplot_surface.emf");
    QImage a(300, 300, QImage::Format_ARGB32_Premultiplied), b(300, 300, QImage::Format_ARGB32_Premultiplied);
    a.fill(Qt::white);
    b.fill(Qt::white);
    {
        QPainter pa(&a);
        p.draw(pa, QRectF(0, 0, 300, 300), DrawTarget::Screen);
    }
    {
        QPainter pb(&b);
        p.draw(pb, QRectF(0, 0, 300, 300), DrawTarget::Paper);
    }
    // The cached copy is the same drawing as the direct one.
    EXPECT_LT(differingCells(a.convertToFormat(QImage::Format_RGB32), b.convertToFormat(QImage::Format_RGB32), 10, 12), 0.02);
}

namespace {

QByteArray le32(std::uint32_t v)
{
    QByteArray b;
    for (int i = 0; i < 4; ++i)
        b.append(char((v >> (8 * i)) & 0xFF));
    return b;
}

// BITMAPINFOHEADER + palette + bits of a bottom-up DIB, one row.
QByteArray dibInfo(int width, int height, int bpp, int colors)
{
    QByteArray h = le32(40) + le32(width) + le32(height);
    h += QByteArray::fromHex("0100") + QByteArray(1, char(bpp)) + QByteArray(1, '\0');
    h += le32(0) + le32(0) + le32(0) + le32(0) + le32(colors) + le32(0);
    for (int i = 0; i < colors; ++i)
        h += QByteArray(3, char(i)) + QByteArray(1, '\0'); // grey ramp
    return h;
}

// STRETCHDIBITS of info+bits onto dest, with the given raster operation.
void stretchDibits(EmfWriter &w, QRect dest, int srcW, int srcH, const QByteArray &info,
                   const QByteArray &bits, std::uint32_t rop)
{
    const int offBmi = 80;
    const int offBits = offBmi + int(info.size());
    w.record(81, {0, 0, 0, 0, dest.x(), dest.y(), 0, 0, srcW, srcH, offBmi, int(info.size()), offBits,
                  int(bits.size()), 0, int(rop), dest.width(), dest.height()},
             info + bits);
}

Picture fromEmf(EmfWriter &w)
{
    Picture p;
    QString error;
    EXPECT_TRUE(p.loadFromData(w.finish(), ".emf", &error)) << error.toStdString();
    return p;
}

QColor pixelAt(const QImage &img, int x, int y)
{
    return QColor(img.pixel(x, y));
}

} // namespace

TEST(MetafileBitmaps, MaskPairBecomesTransparency)
{
    // The writer's transparency: OR with a grey mask (white = opaque), then AND
    // with the colours. Drawn as one image with alpha, nothing left to raster ops.
    EmfWriter w(100, 100);
    const QByteArray mask = dibInfo(2, 1, 8, 256);
    const QByteArray maskBits = QByteArray::fromHex("ff000000");
    const QByteArray colour = dibInfo(2, 1, 24, 0);
    const QByteArray colourBits = QByteArray::fromHex("0000ffffffff0000"); // red, white
    stretchDibits(w, QRect(0, 0, 100, 100), 2, 1, mask, maskBits, 0x00EE0086);
    stretchDibits(w, QRect(0, 0, 100, 100), 2, 1, colour, colourBits, 0x008800C6);
    const Picture p = fromEmf(w);
    TextRecorder recorder;
    {
        QPainter painter(&recorder);
        p.draw(painter, QRectF(0, 0, 100, 100), DrawTarget::Paper);
    }
    ASSERT_EQ(recorder.images.size(), 1u);
    const auto &drawn = recorder.images[0];
    EXPECT_EQ(drawn.mode, QPainter::CompositionMode_SourceOver);
    ASSERT_TRUE(drawn.image.hasAlphaChannel());
    const QImage img = drawn.image.convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(qAlpha(img.pixel(0, 0)), 255);
    EXPECT_EQ(qRed(img.pixel(0, 0)), 255);
    EXPECT_EQ(qGreen(img.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(img.pixel(1, 0)), 0);

    // And on an image over a blue background: red where opaque, blue elsewhere.
    EmfWriter w2(100, 100);
    w2.record(39, {1, 0, 0xFF0000, 0});
    w2.record(37, {1});
    w2.record(37, {int(0x80000008)}); // NULL_PEN
    w2.record(43, {0, 0, 101, 101});
    stretchDibits(w2, QRect(0, 0, 100, 100), 2, 1, mask, maskBits, 0x00EE0086);
    stretchDibits(w2, QRect(0, 0, 100, 100), 2, 1, colour, colourBits, 0x008800C6);
    const QImage out = render(fromEmf(w2), QSize(100, 100));
    EXPECT_EQ(pixelAt(out, 20, 50), QColor(255, 0, 0));
    EXPECT_EQ(pixelAt(out, 80, 50), QColor(0, 0, 255));
}

TEST(MetafileBitmaps, AlphaBlendKeepsSourceAlpha)
{
    EmfWriter w(100, 100);
    const QByteArray info = dibInfo(2, 1, 32, 0);
    const QByteArray bits = QByteArray::fromHex("000080800000ff00"); // half-alpha red (premultiplied), transparent
    const int offBmi = 108, offBits = offBmi + int(info.size());
    // Bounds, dest 0,0,100,100, BLENDFUNCTION (AC_SRC_OVER, 0, 255, AC_SRC_ALPHA), src 0,0, identity xform,
    // background colour, usage, bitmap offsets, source size.
    std::vector<std::int32_t> f = {0, 0, 0, 0, 0, 0, 100, 100, int(0x01FF0000), 0, 0};
    const float one = 1.0f;
    std::int32_t oneBits;
    memcpy(&oneBits, &one, 4);
    f.insert(f.end(), {oneBits, 0, 0, oneBits, 0, 0, 0, 0, offBmi, int(info.size()), offBits, int(bits.size()), 2, 1});
    w.record(114, f, info + bits);
    const QImage out = render(fromEmf(w), QSize(100, 100));
    const QColor left = pixelAt(out, 20, 50), right = pixelAt(out, 80, 50);
    EXPECT_NEAR(left.red(), 255, 2);
    EXPECT_NEAR(left.green(), 127, 3); // half red over white
    EXPECT_EQ(right, QColor(255, 255, 255));
}

TEST(MetafileRecords, ShapesGradientsClipsAndPatterns)
{
    EmfWriter w(200, 200);
    // GRADIENTFILL: a horizontal rectangle gradient from black to white over the top band.
    w.record(118, {0, 0, 0, 0, 2, 1, 0,
                   0, 0, 0, 0, // vertex 0: (0,0) black; 16-bit channels two to a word
                   200, 50, int(0xFF00FF00), int(0x0000FF00), // vertex 1: (200,50) white
                   0, 1});
    // A pie quadrant, counter-clockwise from 3 o'clock to 12 o'clock, solid green, no pen.
    w.record(39, {1, 0, 0x00FF00, 0});
    w.record(37, {1});
    w.record(37, {int(0x80000008)});
    w.record(47, {0, 50, 100, 150, 100, 100, 50, 0});
    // POLYGON16: a small red triangle.
    w.record(39, {2, 0, 0x0000FF, 0});
    w.record(37, {2});
    QByteArray pts;
    for (int v : {150, 60, 190, 60, 170, 95})
        pts.append(char(v & 0xFF)).append(char(v >> 8));
    w.record(86, {0, 0, 0, 0, 3}, pts);
    // EXTSELECTCLIPRGN (RGN_COPY) to the rectangle 110..190 x 110..190, then
    // BITBLT PATCOPY of the whole picture with a blue brush: only the region fills.
    QByteArray region = le32(32) + le32(1) + le32(1) + le32(16) + le32(110) + le32(110) + le32(190) + le32(190)
        + le32(110) + le32(110) + le32(190) + le32(190);
    w.record(75, {int(region.size()), 5}, region);
    w.record(39, {3, 0, 0xFF0000, 0});
    w.record(37, {3});
    std::vector<std::int32_t> blt = {0, 0, 0, 0, 0, 0, 200, 200, int(0x00F00021), 0, 0};
    blt.insert(blt.end(), {0x3f800000, 0, 0, 0x3f800000, 0, 0, 0, 0, 0, 0, 0, 0});
    w.record(76, blt);
    const QImage out = render(fromEmf(w), QSize(200, 200));
    // Gradient: dark on the left, light on the right.
    EXPECT_LT(qGray(out.pixel(5, 25)), 40);
    EXPECT_GT(qGray(out.pixel(195, 25)), 215);
    EXPECT_NEAR(qGray(out.pixel(100, 25)), 128, 20);
    // Pie: the top-right quadrant of the circle centred at (50,100) only.
    EXPECT_EQ(pixelAt(out, 70, 80), QColor(0, 255, 0));
    EXPECT_EQ(pixelAt(out, 30, 80), QColor(255, 255, 255));
    EXPECT_EQ(pixelAt(out, 70, 120), QColor(255, 255, 255));
    // Triangle.
    EXPECT_EQ(pixelAt(out, 170, 70), QColor(255, 0, 0));
    // Clipped pattern fill.
    EXPECT_EQ(pixelAt(out, 150, 150), QColor(0, 0, 255));
    EXPECT_EQ(pixelAt(out, 100, 150), QColor(255, 255, 255));
    EXPECT_EQ(pixelAt(out, 150, 105), QColor(255, 255, 255));
}

TEST(MetafileRecords, AnisotropicMappingWithUpwardY)
{
    // Window 0..1000 both ways, viewport 200 x -200 from (0,200): y grows upwards.
    EmfWriter w(200, 200);
    w.record(17, {8});
    w.record(9, {1000, 1000});
    w.record(11, {200, -200});
    w.record(12, {0, 200});
    w.record(39, {1, 0, 0x0000FF, 0});
    w.record(37, {1});
    w.record(37, {int(0x80000008)});
    w.record(43, {0, 0, 500, 250}); // bottom-left area in this mapping
    // SAVEDC, a world transform shifting by 500 units, RESTOREDC: no lasting effect.
    w.record(33, {});
    w.record(35, {0x3f800000, 0, 0, 0x3f800000, 0x43fa0000 /* 500.0f */, 0});
    w.record(34, {-1});
    w.record(39, {2, 0, 0x00FF00, 0});
    w.record(37, {2});
    w.record(43, {600, 600, 1000, 1000}); // top-right
    const QImage out = render(fromEmf(w), QSize(200, 200));
    EXPECT_EQ(pixelAt(out, 40, 180), QColor(255, 0, 0));
    EXPECT_EQ(pixelAt(out, 40, 20), QColor(255, 255, 255));
    EXPECT_EQ(pixelAt(out, 180, 20), QColor(0, 255, 0));
    EXPECT_EQ(pixelAt(out, 180, 180), QColor(255, 255, 255));
}

TEST(MetafileRecords, WmfShapesThroughTheWindow)
{
    // Placeable, 1000 x 500 units at 1000 per inch (96 x 48 px); window org 100,100.
    QByteArray wmf;
    auto put16 = [&wmf](int v) { wmf.append(char(v & 0xFF)); wmf.append(char((v >> 8) & 0xFF)); };
    auto put32 = [&](std::uint32_t v) { put16(int(v & 0xFFFF)); put16(int(v >> 16)); };
    put32(0x9AC6CDD7); put16(0); put16(100); put16(100); put16(1100); put16(600); put16(1000); put32(0); put16(0);
    put16(1); put16(9); put16(0x300); put32(0); put16(2); put32(0); put16(0);
    put32(5); put16(0x020B); put16(100); put16(100);   // SETWINDOWORG y, x
    put32(5); put16(0x020C); put16(500); put16(1000);  // SETWINDOWEXT y, x
    put32(7); put16(0x02FC); put16(0); put32(0x0000FF); put16(0); // red brush -> slot 0
    put32(4); put16(0x012D); put16(0);
    put32(8); put16(0x02FA); put16(5); put16(0); put16(0); put32(0); // null pen -> slot 1
    put32(4); put16(0x012D); put16(1);
    put32(7); put16(0x041B); put16(350); put16(600); put16(100); put16(100); // RECTANGLE b, r, t, l
    put32(4); put16(0x01F0); put16(0); // delete the red brush: slot 0 free again
    put32(7); put16(0x02FC); put16(0); put32(0xFF0000); put16(0); // blue brush takes slot 0
    put32(4); put16(0x012D); put16(0);
    put32(7); put16(0x0418); put16(600); put16(1100); put16(350); put16(700); // ELLIPSE
    put32(3); put16(0);
    Picture p;
    QString error;
    ASSERT_TRUE(p.loadFromData(wmf, ".emf", &error)) << error.toStdString();
    EXPECT_EQ(p.size(), QSize(96, 48));
    const QImage out = render(p, QSize(200, 100));
    EXPECT_EQ(pixelAt(out, 30, 20), QColor(255, 0, 0));
    EXPECT_EQ(pixelAt(out, 30, 80), QColor(255, 255, 255));
    EXPECT_EQ(pixelAt(out, 160, 75), QColor(0, 0, 255));
    EXPECT_EQ(pixelAt(out, 125, 55), QColor(255, 255, 255));
}

TEST(MetafileText, OpaqueBackgroundBehindText)
{
    auto build = [](int bkMode) {
        EmfWriter w(200, 100);
        QByteArray font(92, '\0');
        const std::int32_t h = -40;
        memcpy(font.data(), &h, 4);
        const QByteArray face = utf16(QStringLiteral("Arial"));
        memcpy(font.data() + 28, face.constData(), face.size());
        w.record(82, {1}, font);
        w.record(37, {1});
        w.record(18, {bkMode});
        w.record(25, {0x00FFFF}); // yellow
        w.record(24, {0x0000FF}); // red text
        const QString s = QStringLiteral("Ab Cd");
        w.record(84, {0, 0, 0, 0, 1, 0, 0, 10, 20, int(s.size()), 76, 0, 0, 0, 0, 0, 0}, utf16(s));
        return w;
    };
    auto yellowPixels = [](const QImage &img) {
        int n = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                if (QColor(img.pixel(x, y)) == QColor(255, 255, 0))
                    ++n;
        return n;
    };
    EmfWriter opaque = build(2), transparent = build(1);
    const QImage withBox = render(fromEmf(opaque), QSize(200, 100));
    const QImage without = render(fromEmf(transparent), QSize(200, 100));
    EXPECT_GT(yellowPixels(withBox), 500);
    EXPECT_EQ(yellowPixels(without), 0);
    // The box starts at the reference point (top-left alignment) and spans the text height.
    EXPECT_EQ(QColor(withBox.pixel(12, 22)), QColor(255, 255, 0));
    EXPECT_EQ(QColor(withBox.pixel(12, 70)), QColor(255, 255, 255));
}

TEST(MetafileRecords, XorClippingIdiomBecomesAClip)
{
    // XOR pass, the clip shape in black with R2_COPYPEN, XOR pass again: on
    // screen that leaves the gradient inside the shape only. Paper has no XOR.
    EmfWriter w(200, 200);
    w.record(37, {int(0x80000008)}); // NULL_PEN
    w.record(39, {1, 0, 0x0000FF, 0});
    w.record(20, {7});
    w.record(37, {1});
    w.record(43, {0, 0, 201, 201});
    w.record(20, {13});
    w.record(37, {int(0x80000004)}); // BLACK_BRUSH
    w.record(42, {50, 50, 150, 150});
    w.record(20, {7});
    w.record(37, {1});
    w.record(43, {0, 0, 201, 201});
    w.record(20, {13});
    const QImage out = render(fromEmf(w), QSize(200, 200));
    EXPECT_EQ(QColor(out.pixel(100, 100)), QColor(255, 0, 0));
    EXPECT_EQ(QColor(out.pixel(10, 10)), QColor(255, 255, 255));

    // XOR used on its own is drawn, and so is what follows it.
    EmfWriter v(200, 200);
    v.record(37, {int(0x80000008)});
    v.record(39, {1, 0, 0xFF0000, 0});
    v.record(20, {7});
    v.record(37, {1});
    v.record(43, {0, 0, 100, 100});
    v.record(20, {13});
    v.record(39, {2, 0, 0x00FF00, 0});
    v.record(37, {2});
    v.record(43, {100, 100, 200, 200});
    const QImage plain = render(fromEmf(v), QSize(200, 200));
    EXPECT_EQ(QColor(plain.pixel(50, 50)), QColor(0, 0, 255));
    EXPECT_EQ(QColor(plain.pixel(150, 150)), QColor(0, 255, 0));
}

TEST(MetafilePicture, DashPatternsFollowTheSource)
{
    // lines.svg (120 mm square, drawn with a 121 mm frame): lines from x = 5 to
    // 115 mm, 1.2 mm wide, dashed "4,2" at y = 50, "1,1" at y = 55 and "0.5,3"
    // with round caps at y = 70. Count the dashes along each.
    const Picture p = load("inkscape_lines.emf");
    const int side = 1210; // 10 px per millimetre
    const QImage img = render(p, QSize(side, side)).convertToFormat(QImage::Format_RGB32);
    auto dashes = [&](double yMm) {
        const int y = int(yMm * 10);
        int count = 0;
        bool wasInk = false;
        for (int x = 30; x < 1170; ++x) {
            const QRgb c = img.pixel(x, y);
            const bool ink = qRed(c) > 100 && qGreen(c) < 120 && qBlue(c) < 120;
            if (ink && !wasInk)
                ++count;
            wasInk = ink;
        }
        return count;
    };
    EXPECT_NEAR(dashes(50), 110 / 6.0, 2);
    EXPECT_NEAR(dashes(55), 110 / 2.0, 4);
    EXPECT_NEAR(dashes(70), 110 / 3.5, 3);
}

TEST(MetafileRecords, EveryRecordKindPlays)
{
    // Files with one of most record kinds (written by synthetic_records.py).
    const QImage emf = render(load("synthetic_records.emf"), QSize(400, 400));
    // The monochrome pattern brush draws text colour (black) on the background
    // colour (yellow) over 400..500 x 600..700 logical = 160..200 x 240..280 px.
    int black = 0, yellow = 0;
    for (int y = 245; y < 275; ++y)
        for (int x = 165; x < 195; ++x) {
            const QColor c(emf.pixel(x, y));
            black += c == QColor(0, 0, 0);
            yellow += c == QColor(255, 255, 0);
        }
    EXPECT_GT(black, 50);
    EXPECT_GT(yellow, 50);
    // BLACKNESS blit at 800..900 x 880..930 logical.
    EXPECT_EQ(QColor(emf.pixel(340, 360)), QColor(0, 0, 0));
    // Vertical gradient rectangle 0..100 x 900..1000: dark at the top, light below.
    EXPECT_LT(qGray(emf.pixel(10, 362)), qGray(emf.pixel(10, 396)));

    TextRecorder recorder;
    {
        QPainter painter(&recorder);
        load("synthetic_records.wmf").draw(painter, QRectF(0, 0, 400, 400), DrawTarget::Paper);
    }
    EXPECT_TRUE(recorder.allText().contains(QStringLiteral("Příliš")));
}

TEST(MetafileBitmaps, MaskPairInWmfBecomesTransparency)
{
    QByteArray wmf;
    auto put16 = [&wmf](int v) { wmf.append(char(v & 0xFF)); wmf.append(char((v >> 8) & 0xFF)); };
    auto put32 = [&](std::uint32_t v) { put16(int(v & 0xFFFF)); put16(int(v >> 16)); };
    put32(0x9AC6CDD7); put16(0); put16(0); put16(0); put16(100); put16(100); put16(96); put32(0); put16(0);
    put16(1); put16(9); put16(0x300); put32(0); put16(0); put32(0); put16(0);
    auto stretchDib = [&](const QByteArray &dib, std::uint32_t rop) {
        put32(std::uint32_t(3 + 2 + 1 + 8 + dib.size() / 2)); put16(0x0F43);
        put32(rop); put16(0);
        put16(1); put16(2); put16(0); put16(0);       // source height, width, y, x
        put16(100); put16(100); put16(0); put16(0);   // destination height, width, y, x
        wmf.append(dib);
    };
    stretchDib(dibInfo(2, 1, 8, 256) + QByteArray::fromHex("ff000000"), 0x00EE0086);
    stretchDib(dibInfo(2, 1, 24, 0) + QByteArray::fromHex("0000ffffffff0000"), 0x008800C6);
    put32(3); put16(0);
    Picture p;
    QString error;
    ASSERT_TRUE(p.loadFromData(wmf, ".wmf", &error)) << error.toStdString();
    TextRecorder recorder;
    {
        QPainter painter(&recorder);
        p.draw(painter, QRectF(0, 0, 100, 100), DrawTarget::Paper);
    }
    ASSERT_EQ(recorder.images.size(), 1u);
    const QImage img = recorder.images[0].image.convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(qAlpha(img.pixel(0, 0)), 255);
    EXPECT_EQ(qRed(img.pixel(0, 0)), 255);
    EXPECT_EQ(qAlpha(img.pixel(1, 0)), 0);
}

TEST(MetafileRecords, WmfWindowWithUpwardY)
{
    // A plain WMF whose window is 0..1000 wide and 1000..0 high (y grows upwards).
    QByteArray wmf;
    auto put16 = [&wmf](int v) { wmf.append(char(v & 0xFF)); wmf.append(char((v >> 8) & 0xFF)); };
    auto put32 = [&](std::uint32_t v) { put16(int(v & 0xFFFF)); put16(int(v >> 16)); };
    put16(1); put16(9); put16(0x300); put32(0); put16(2); put32(0); put16(0);
    put32(5); put16(0x020B); put16(1000); put16(0);   // SETWINDOWORG y = 1000, x = 0
    put32(5); put16(0x020C); put16(-1000); put16(1000); // SETWINDOWEXT y = -1000, x = 1000
    put32(7); put16(0x02FC); put16(0); put32(0x0000FF); put16(0);
    put32(4); put16(0x012D); put16(0);
    put32(8); put16(0x02FA); put16(5); put16(0); put16(0); put32(0);
    put32(4); put16(0x012D); put16(1);
    put32(7); put16(0x041B); put16(0); put16(500); put16(300); put16(0); // y 0..300 at the bottom
    put32(3); put16(0);
    Picture p;
    QString error;
    ASSERT_TRUE(p.loadFromData(wmf, ".wmf", &error)) << error.toStdString();
    EXPECT_EQ(p.size(), QSize(1000, 1000));
    const QImage out = render(p, QSize(100, 100));
    EXPECT_EQ(QColor(out.pixel(20, 90)), QColor(255, 0, 0));
    EXPECT_EQ(QColor(out.pixel(20, 10)), QColor(255, 255, 255));
    EXPECT_EQ(QColor(out.pixel(80, 90)), QColor(255, 255, 255));
}

TEST(MetafileRecords, WmfRegionsClipAndFill)
{
    // Window 0..100 square. A region of two bands (10..40 square, 60..90 square)
    // clips a red rectangle over everything; then, unclipped, a second region
    // (x 10..40, y 60..90) is filled with a blue brush.
    QByteArray wmf;
    auto put16 = [&wmf](int v) { wmf.append(char(v & 0xFF)); wmf.append(char((v >> 8) & 0xFF)); };
    auto put32 = [&](std::uint32_t v) { put16(int(v & 0xFFFF)); put16(int(v >> 16)); };
    auto region = [&](const std::vector<std::array<int, 4>> &bands) { // top, bottom, left, right
        put32(std::uint32_t(3 + 11 + 6 * bands.size())); put16(0x06FF);
        put16(0); put16(6); put32(0); put16(0); put16(int(bands.size())); put16(4);
        put16(0); put16(0); put16(100); put16(100);
        for (const auto &b : bands) {
            put16(2); put16(b[0]); put16(b[1]); put16(b[2]); put16(b[3]); put16(2);
        }
    };
    put16(1); put16(9); put16(0x300); put32(0); put16(4); put32(0); put16(0);
    put32(5); put16(0x020B); put16(0); put16(0);
    put32(5); put16(0x020C); put16(100); put16(100);
    region({{10, 40, 10, 40}, {60, 90, 60, 90}});                    // slot 0
    put32(7); put16(0x02FC); put16(0); put32(0x0000FF); put16(0);     // red brush, slot 1
    put32(7); put16(0x02FC); put16(0); put32(0xFF0000); put16(0);     // blue brush, slot 2
    put32(8); put16(0x02FA); put16(5); put16(0); put16(0); put32(0);  // null pen, slot 3
    put32(4); put16(0x012D); put16(3);
    put32(4); put16(0x012D); put16(1);
    put32(4); put16(0x012C); put16(0);                                // SELECTCLIPREGION
    put32(7); put16(0x041B); put16(100); put16(100); put16(0); put16(0);
    put32(4); put16(0x01F0); put16(0);                                // delete region: slot 0 free
    put32(4); put16(0x012C); put16(0);                                // no region: clip off
    region({{60, 90, 10, 40}});                                       // slot 0 again
    put32(5); put16(0x0228); put16(0); put16(2);                      // FILLREGION region 0, brush 2
    put32(3); put16(0);
    Picture p;
    QString error;
    ASSERT_TRUE(p.loadFromData(wmf, ".wmf", &error)) << error.toStdString();
    const QImage out = render(p, QSize(100, 100));
    EXPECT_EQ(QColor(out.pixel(25, 25)), QColor(255, 0, 0));
    EXPECT_EQ(QColor(out.pixel(75, 75)), QColor(255, 0, 0));
    EXPECT_EQ(QColor(out.pixel(75, 25)), QColor(255, 255, 255));
    EXPECT_EQ(QColor(out.pixel(50, 50)), QColor(255, 255, 255));
    EXPECT_EQ(QColor(out.pixel(25, 75)), QColor(0, 0, 255));
}

TEST(MetafilePicture, FrameThatMissesTheDrawingIsReplacedByItsBounds)
{
    // This converter writes its frame in logical units (15 times too large and
    // nowhere near the drawing): framed by the header, the picture is empty.
    const Picture p = load("pstoedit_ps.emf");
    const QSize size = p.size();
    EXPECT_GT(size.width(), 300);
    EXPECT_LT(size.width(), 1000);
    EXPECT_GT(size.height(), 200);
    EXPECT_LT(size.height(), 800);
    const QImage img = render(p, size);
    EXPECT_GT(inkCoverage(img), 0.02);
    TextRecorder recorder;
    {
        QPainter painter(&recorder);
        p.draw(painter, QRectF(QPointF(0, 0), QSizeF(size)), DrawTarget::Paper);
    }
    EXPECT_TRUE(withoutSpaces(recorder.allText()).contains(QStringLiteral("PostScript")));
    for (const auto &item : recorder.items)
        EXPECT_TRUE(QRectF(-50, -50, size.width() + 100, size.height() + 100).contains(item.transform.map(QPointF(0, 0))));
}

#include "project/ProjectFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <future>
#include <optional>
#include <vector>

#include "project/CoverPage.h"
#include "project/SheetView.h"
#include "picture/PictureError.h"
#include "picture/ScreenArea.h"
#include "project/ProjectError.h"
#include "settings/Cp1250.h"
#include "settings/IniFile.h"
#include "settings/SettingsError.h"
#include "settings/IntegerText.h"
#include "settings/TKivINIEntry.h"
#include "project/SideFile.h"
#include "project/DocumentSnapshot.h"
#include "settings/FileReplacement.h"
#include "settings/CommandError.h"
#include "project/SpinePictureState.h"
#include "project/DiscChoices.h"

namespace korvel {

namespace {

// The cover's texts are read in the layout's text order, and written single-line
// items first, then the lists, each in that order.
QString fromView(std::string_view text)
{
    return QString::fromLatin1(text.data(), qsizetype(text.size()));
}

// The six storable styles, in key order; each key is "1" only for exactly its set.
struct StyleKey {
    const char *suffix;
    int style;
};
constexpr StyleKey kStyleKeys[] = {
    {"FsB", fsBold},
    {"FsI", fsItalic},
    {"FsU", fsUnderline},
    {"FsS", fsStrikeOut},
    {"FsBI", fsBold | fsItalic},
    {"FsBIU", fsBold | fsItalic | fsUnderline},
};


QString key(const QString &prefix, const char *suffix)
{
    return prefix + QLatin1Char('-') + QLatin1String(suffix);
}


QString alignmentWord(Alignment a)
{
    switch (a) {
    case Alignment::Left:
        return QStringLiteral("Left");
    case Alignment::Right:
        return QStringLiteral("Right");
    case Alignment::Center:
        break;
    }
    return QStringLiteral("Center");
}

// The project's section, parsed once, read key by key as the settings entry reads
// one value of a file: text cut to 1023 characters, "ERROR" for a missing one; a
// number as strToIntDef takes it, -11073 when missing or no number; a flag true for a
// non-zero number.
class ProjectKeys {
public:
    explicit ProjectKeys(const QByteArray &content, const char *section = kProjectSection)
        : m_index(content, section)
    {
    }

    bool sectionFound() const { return m_index.sectionFound(); }
    // The value as the file has it (cut as above), or nothing when it has none.
    std::optional<QString> find(const QString &name) const { return text(name); }
    // A whole number the file has, or nothing when it has none or something else.
    std::optional<int> number(const QString &name) const
    {
        const int v = strToIntDef(text(name).value_or(QString()), TKivINIEntry::MissingInteger);
        return v == TKivINIEntry::MissingInteger ? std::nullopt : std::optional<int>(v);
    }

    QString ReadString(const QString &name) const
    {
        return text(name).value_or(TKivINIEntry::MissingString());
    }
    int ReadInteger(const QString &name) const
    {
        return strToIntDef(text(name).value_or(QString()), TKivINIEntry::MissingInteger);
    }
    bool ReadBool(const QString &name) const
    {
        return strToIntDef(text(name).value_or(QString()), 0) != 0;
    }

private:
    std::optional<QString> text(const QString &name) const
    {
        std::optional<QByteArrayView> value = m_index.value(name.toLatin1());
        if (!value)
            return std::nullopt;
        // One byte is one character in this code page, so the cut can come first.
        if (value->size() > TKivINIEntry::MaxValueLength)
            value = value->first(TKivINIEntry::MaxValueLength);
        return decodeCp1250(*value);
    }

    ini::SectionIndex m_index;
};

// Applies the six style keys: each one that reads true replaces the whole style,
// so the last true one wins; none true leaves the style as it was.
int readStyle(const ProjectKeys &ini, const QString &prefix, int style)
{
    for (const StyleKey &k : kStyleKeys)
        if (ini.ReadBool(key(prefix, k.suffix)))
            style = k.style;
    return style;
}

// How many lines the text can hold at most: a "Tx-L" beyond it names keys that
// cannot exist, and asking for each of them would stall on a damaged file.
int lineCapacity(const QByteArray &content)
{
    const qint64 lines = 1 + content.count('\n') + content.count('\r');
    return int(std::min<qint64>(lines, INT32_MAX));
}

void loadItem(const ProjectKeys &ini, const TextSpec &spec, TextItem &item, int capacity)
{
    const QString prefix = fromView(spec.readPrefix);
    if (item.isMultiLine()) {
        const int n = std::min(ini.ReadInteger(key(prefix, "Tx-L")), capacity);
        for (int i = 1; i <= n; ++i)
            item.appendLine(ini.ReadString(prefix + QStringLiteral("-Tx%1").arg(i)));
    } else {
        item.setText(ini.ReadString(key(prefix, "Tx")));
    }

    const QString al = ini.ReadString(key(prefix, "Al"));
    if (al == QLatin1String("Left"))
        item.setAlignment(Alignment::Left);
    else if (al == QLatin1String("Center"))
        item.setAlignment(Alignment::Center);
    else if (al == QLatin1String("Right"))
        item.setAlignment(Alignment::Right);

    item.setFontName(ini.ReadString(key(prefix, "Ft")));
    item.setColor(ColorRef(quint32(ini.ReadInteger(key(prefix, "Cl")))));
    // A missing size or height would read as a font 11073 pixels high, whose text
    // vanishes and whose box would swallow the page: the item keeps its own instead.
    const int size = ini.ReadInteger(key(prefix, "Sz"));
    if (size != TKivINIEntry::MissingInteger)
        item.setSize(size);
    const int height = ini.ReadInteger(key(prefix, "Ht"));
    if (height != TKivINIEntry::MissingInteger)
        item.setHeight(height);
    item.setStyle(readStyle(ini, prefix, item.font().style));
}

const char *placementWord(PicturePlacement::Fit fit)
{
    switch (fit) {
    case PicturePlacement::Fit::Fill:
        return "Fill";
    case PicturePlacement::Fit::Fit:
        return "Fit";
    case PicturePlacement::Fit::Stretch:
        break;
    }
    return "Stretch";
}

PicturePlacement readPlacement(const ProjectKeys &ini, const QString &prefix)
{
    PicturePlacement p;
    const QString fit = ini.ReadString(key(prefix, "Fit"));
    if (fit == QLatin1String(placementWord(PicturePlacement::Fit::Fill)))
        p.fit = PicturePlacement::Fit::Fill;
    else if (fit == QLatin1String(placementWord(PicturePlacement::Fit::Fit)))
        p.fit = PicturePlacement::Fit::Fit;
    const auto number = [&](const char *suffix, int missing) {
        const int v = ini.ReadInteger(key(prefix, suffix));
        return v == TKivINIEntry::MissingInteger ? missing : v;
    };
    p.x = number("X", 500);
    p.y = number("Y", 500);
    p.zoom = number("Zoom", 1000);
    return p.bounded();
}

// The spine title's keys, set on both bands one attribute after the other, as they
// have always been read.
void loadSpine(const ProjectKeys &ini, CoverPage &page, SpinePictureState &spine)
{
    const QString lr = QStringLiteral("LR");
    // The picture switch follows the gradient flag, and its procedure puts the
    // remembered picture (the side file read before) on the bands or takes it off.
    spine.applyPictureSwitch(!ini.ReadBool(key(lr, "Grd")));

    SpineBand &cdl = page.CDL();
    SpineBand &cdr = page.CDR();
    const BackImageMode mode = ini.ReadBool(key(lr, "ImgRoz")) ? BackImageMode::pbmStretch : BackImageMode::pbmTile;
    cdr.setBackImageMode(mode);
    cdl.setBackImageMode(mode);
    // What a later save writes as the fitting is the stretch choice: it follows the
    // file, so saving a project that was not changed writes what was read.
    spine.setStretchChoice(mode == BackImageMode::pbmStretch);

    const QString caption = ini.ReadString(key(lr, "Txt"));
    cdl.setCaption(caption);
    cdr.setCaption(caption);
    // Crossed on purpose: the first colour is kept as EndColor (top edge).
    const ColorRef first = ColorRef(quint32(ini.ReadInteger(key(lr, "Grd-Strt"))));
    const ColorRef last = ColorRef(quint32(ini.ReadInteger(key(lr, "Grd-End"))));
    cdl.setEndColor(first);
    cdr.setEndColor(first);
    cdl.setStartColor(last);
    cdr.setStartColor(last);

    const QString name = ini.ReadString(key(lr, "Ft"));
    const ColorRef color = ColorRef(quint32(ini.ReadInteger(key(lr, "Cl"))));
    const int size = ini.ReadInteger(key(lr, "Sz"));
    const int height = ini.ReadInteger(key(lr, "Ht"));
    for (SpineBand *band : {&cdl, &cdr}) {
        ItemFont font = band->titleFont();
        font.name = name;
        font.color = color;
        if (size != TKivINIEntry::MissingInteger)
            font.setSize(size);
        if (height != TKivINIEntry::MissingInteger)
            font.height = height;
        font.style = readStyle(ini, lr, font.style);
        band->setTitleFont(font);
    }
}

// The words the label's section names its choices with, in the order of the enums.
constexpr const char *kLabelWords[] = {"Sticker", "FullFace", "Own"};
constexpr const char *kSheetWords[] = {"A4", "A4Two", "Disc"};

template <std::size_t N>
std::optional<int> wordIndex(const std::optional<QString> &value, const char *const (&words)[N])
{
    if (value)
        for (std::size_t i = 0; i < N; ++i)
            if (*value == QLatin1String(words[i]))
                return int(i);
    return std::nullopt;
}

// The largest font a label text takes from a file: larger ones (a damaged file) would
// only make a label of one huge letter, drawn slowly along the rim.
constexpr int kMaxLabelFontHeight = 1000;

// A label text's keys, each applied only where the file has a sensible value: the
// untouched label's value stays otherwise.
void loadLabelItem(const ProjectKeys &ini, const TextSpec &spec, TextItem &item, int capacity)
{
    const QString prefix = fromView(spec.code);
    if (item.isMultiLine()) {
        if (const std::optional<int> n = ini.number(key(prefix, "Tx-L"))) {
            QStringList lines;
            for (int i = 1; i <= std::min(*n, capacity); ++i)
                lines << ini.find(prefix + QStringLiteral("-Tx%1").arg(i)).value_or(QString());
            item.setLines(lines);
        }
    } else if (const std::optional<QString> text = ini.find(key(prefix, "Tx"))) {
        item.setText(*text);
    }
    if (const std::optional<QString> al = ini.find(key(prefix, "Al"))) {
        if (*al == QLatin1String("Left"))
            item.setAlignment(Alignment::Left);
        else if (*al == QLatin1String("Center"))
            item.setAlignment(Alignment::Center);
        else if (*al == QLatin1String("Right"))
            item.setAlignment(Alignment::Right);
    }
    ItemFont font = item.font();
    if (const std::optional<QString> name = ini.find(key(prefix, "Ft")); name && !name->trimmed().isEmpty())
        font.name = *name;
    if (const std::optional<int> color = ini.number(key(prefix, "Cl")))
        font.color = ColorRef(quint32(*color));
    if (const std::optional<int> size = ini.number(key(prefix, "Sz")))
        font.setSize(*size);
    if (const std::optional<int> height = ini.number(key(prefix, "Ht")))
        font.height = *height;
    font.height = std::clamp(font.height, -kMaxLabelFontHeight, kMaxLabelFontHeight);
    font.style = readStyle(ini, prefix, font.style);
    item.setFont(font);
}

// The label's section, read over the untouched label of the cover just read.
void readLabel(const QByteArray &content, const SideFile &side, DocumentSnapshot &read)
{
    const ProjectKeys ini(content, kDiscSection);
    read.disc = DiscChoices();
    if (!ini.sectionFound()) {
        read.label() = untouchedLabel(read.cover());
        return;
    }
    DiscGeometry g;
    if (const std::optional<int> label = wordIndex(ini.find(QStringLiteral("Label")), kLabelWords))
        g.label = DiscGeometry::Label(*label);
    if (g.label == DiscGeometry::Label::Own) {
        g.ownOuter = ini.number(QStringLiteral("Outer")).value_or(g.ownOuter);
        g.ownHole = ini.number(QStringLiteral("Hole")).value_or(g.ownHole);
    }
    if (const std::optional<int> sheet = wordIndex(ini.find(QStringLiteral("Sheet")), kSheetWords))
        g.sheet = DiscGeometry::Sheet(*sheet);
    g.twoX = ini.number(QStringLiteral("CentreX")).value_or(g.twoX);
    g.twoFirstY = ini.number(QStringLiteral("CentreY1")).value_or(g.twoFirstY);
    g.twoSecondY = ini.number(QStringLiteral("CentreY2")).value_or(g.twoSecondY);
    const auto &texts = DiscLayout::texts();
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const QString prefix = fromView(texts[i].code);
        g.texts[i].arc = ini.ReadBool(key(prefix, "Arc"));
        g.texts[i].radius = std::max(0, ini.number(key(prefix, "Rad")).value_or(0));
    }
    read.disc.geometry = g.bounded();

    DiscLayout layout(read.disc.geometry);
    CoverPage page(layout.layout());
    page.setState(untouchedLabel(read.cover()));
    page.resetHeights(); // for this label's size
    const int capacity = lineCapacity(content);
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const QString prefix = fromView(texts[i].code);
        loadLabelItem(ini, texts[i], page.items()[i], capacity);
        // A text follows the cover unless the file says otherwise, or, written by hand,
        // gives a text of its own without saying.
        const int followed = followedText(int(i));
        const std::optional<QString> follow = ini.find(key(prefix, "Follow"));
        read.disc.follows[i] = followed >= 0 && (follow ? ini.ReadBool(key(prefix, "Follow"))
                                                        : !ini.find(key(prefix, texts[i].multiLine ? "Tx-L" : "Tx")));
        if (read.disc.follows[i])
            page.items()[i].setLines(read.cover().items[followed].lines);
    }
    const ElementId pictureId = layout.layout().withRole(Role::LabelPicture);
    PictureElement &picture = page.picture(pictureId);
    const QString pictureKey = fromView(layout.layout().element(pictureId).fileKey);
    if (ini.find(key(pictureKey, "Fit")))
        picture.setPlacement(readPlacement(ini, pictureKey));
    read.disc.ownPicture = ini.find(QStringLiteral("Picture")) == QStringLiteral("Own");
    if (read.disc.ownPicture)
        picture.setPicture(side.status == SideFile::Status::Loaded ? side.picture : Picture());
    read.label() = page.state();
}

} // namespace

QString projectCaption(const QString &path)
{
    return QStringLiteral("Lurdan CD 1.0 - druhé vydání - ") + QFileInfo(path).fileName();
}

QString projectSideFileBase(const QString &path)
{
    const QString name = QFileInfo(path).fileName();
    return name.left(std::max<qsizetype>(0, name.size() - 4));
}

QString sideFileProblem(const QString &base, const char *extension, const QString &why)
{
    const QLatin1String ext(extension);
    const char *what = ext == QLatin1String(".im1")   ? "Obrázek zadní strany"
                       : ext == QLatin1String(".im2") ? "Obrázek přední strany"
                       : ext == QLatin1String(".im4") ? "Obrázek disku"
                                                      : "Obrázek hřbetu";
    return QStringLiteral("%1 (%2) nelze načíst: %3").arg(QString::fromUtf8(what), base + ext, why);
}

bool isProjectText(const QByteArray &content)
{
    return !content.contains('\0') && ini::hasSection(content, kProjectSection);
}

void requireProjectFile(const QString &path)
{
    QByteArray content;
    readProjectText(path, &content);
}

void readProjectText(const QString &path, QByteArray *content)
{
    const QString name = QFileInfo(path).fileName();
    switch (IniFile::load(path, content)) {
    case IniFile::LoadResult::Missing:
        throw ProjectError(QStringLiteral("Soubor „%1“ neexistuje.").arg(name));
    case IniFile::LoadResult::Unreadable:
        throw ProjectError(QStringLiteral("Soubor „%1“ nelze přečíst.").arg(name));
    case IniFile::LoadResult::Loaded:
        break;
    }
    // A picture, an empty file or a UTF-16 text holds no readable "[SecCD]" section;
    // loading it would fill the page with missing-value markers.
    if (!isProjectText(*content))
        throw ProjectError(
            QStringLiteral("Soubor „%1“ není projekt obalu CD: chybí v něm oddíl [SecCD].").arg(name));
}

DocumentSnapshot readProject(const QByteArray &content, const QString &base, const ProjectSideFiles &sides,
                             const DocumentSnapshot &from)
{
    // A cover of its own to read into, as the one the project is read over, with the
    // two lists emptied (their lines are appended) and no pictures (a project's
    // pictures are those of its side files), its boxes at their first heights.
    CoverPage page;
    page.setState(from.cover());
    page.item(QStringLiteral("BTo")).clearLines();
    page.item(QStringLiteral("BTit")).clearLines();
    page.MainImg().clear();
    page.BckImg().clear();
    page.resetHeights();
    SpinePictureState spine(page);
    spine.restore(from.pictureSwitch, from.stretch, from.remembered);

    const ProjectKeys ini(content);
    // A side file that is there but gives no picture leaves the picture as it was.
    if (sides.back.status == SideFile::Status::Loaded)
        page.BckImg().setPicture(sides.back.picture);
    if (sides.front.status == SideFile::Status::Loaded)
        page.MainImg().setPicture(sides.front.picture);
    // The spine picture is taken now, shown or not, so that the cover holds it: saved
    // elsewhere, it goes along.
    spine.rememberSideFile(base, sides.spine.status == SideFile::Status::Loaded ? sides.spine.picture : Picture());

    const int capacity = lineCapacity(content);
    for (std::size_t i = 0; i < page.layout().texts.size(); ++i)
        loadItem(ini, page.layout().texts[i], page.items()[i], capacity);

    // Pictures placed other than stretched; a project without these keys (every older
    // one) has its pictures stretched.
    for (std::size_t e = 0; e < page.layout().elements.size(); ++e)
        if (page.layout().elements[e].kind == ElementKind::Picture)
            page.picture(ElementId{int(e)}).setPlacement(readPlacement(ini, fromView(page.layout().elements[e].fileKey)));

    loadSpine(ini, page, spine);

    DocumentSnapshot read;
    read.cover() = page.state();
    read.pictureSwitch = spine.pictureSwitch();
    read.stretch = spine.stretchChoice();
    read.remembered = spine.remembered();
    readLabel(content, sides.label, read);
    return read;
}

ProjectReading readProjectFile(const QString &path, const DocumentSnapshot &from, int screenZoom)
{
    // The text is read once: a file that changes meanwhile is read whole, old or new.
    QByteArray content;
    readProjectText(path, &content);
    const QFileInfo file(path);
    const QString base = projectSideFileBase(path);
    const QDir folder = file.absoluteDir();
    // A photo shown on the screen is decoded for the size it is shown at, which its
    // placement decides.
    const ProjectKeys ini(content);
    const auto shownAt = [&](const char *element, const char *prefix) -> std::optional<ScreenArea> {
        if (screenZoom <= 0)
            return std::nullopt;
        const QRectF area = kJewelCase.element(kJewelCase.find(element)).shape.rect();
        return ScreenArea{QSizeF(SheetView::pixelRect(area, screenZoom).size()),
                          readPlacement(ini, QString::fromLatin1(prefix))};
    };
    // The side files lie beside the project, wherever the program was started. The
    // three are read side by side: two photos decode in the time of one.
    const auto start = [&](const char *extension, const std::optional<ScreenArea> &area) {
        return std::async(std::launch::async,
                          [path = findSideFile(folder.filePath(base + QLatin1String(extension))), area] {
                              return std::pair{path, SideFile::read(path, area ? &*area : nullptr)};
                          });
    };
    auto backRead = start(".im1", shownAt("BckImg", "BImg"));
    auto frontRead = start(".im2", shownAt("MainImg", "MImg"));
    auto spineRead = start(".im3", std::nullopt);
    // The label's own picture only where the label has one: a side file the project
    // does not use is neither decoded nor complained of.
    const ProjectKeys discKeys(content, kDiscSection);
    const bool ownLabel = discKeys.find(QStringLiteral("Picture")) == QStringLiteral("Own");
    std::optional<decltype(start(".im4", std::nullopt))> labelRead;
    if (ownLabel)
        labelRead.emplace(start(".im4", std::nullopt));
    ProjectReading reading;
    // A side file that loads under no candidate is reported, and kept on disk.
    const auto take = [&](auto &future, const char *extension) {
        auto [sideFile, side] = future.get();
        if (side.status == SideFile::Status::Unreadable) {
            reading.problems.append(sideFileProblem(base, extension, side.error));
            reading.unreadable.append(sideFile);
        }
        return side;
    };
    ProjectSideFiles sides;
    sides.back = take(backRead, ".im1");
    sides.front = take(frontRead, ".im2");
    sides.spine = take(spineRead, ".im3");
    if (labelRead)
        sides.label = take(*labelRead, ".im4");
    reading.snapshot = readProject(content, base, sides, from);
    return reading;
}

namespace {

// Every key a saved project gets, with its value as it is written, in the order of
// writing.
template <typename Put>
void forEachSavedKey(const DocumentSnapshot &s, Put &&put)
{
    const auto number = [](qint64 v) { return QString::number(v); };
    const auto flag = [](bool v) { return v ? QStringLiteral("1") : QStringLiteral("0"); };
    const auto font = [&](const QString &prefix, const ItemFont &f) {
        put(key(prefix, "Ft"), f.name);
        put(key(prefix, "Cl"), number(qint32(f.color)));
        put(key(prefix, "Sz"), number(f.size()));
        put(key(prefix, "Ht"), number(f.height));
        for (const StyleKey &k : kStyleKeys)
            put(key(prefix, k.suffix), flag(f.style == k.style));
    };
    const std::span<const TextSpec> texts = kJewelCase.texts;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (texts[i].multiLine)
            continue;
        const PageState::Item &item = s.cover().items[qsizetype(i)];
        const QString prefix = fromView(texts[i].code);
        put(key(prefix, "Tx"), item.lines.value(0));
        put(key(prefix, "Al"), alignmentWord(item.alignment));
        font(prefix, item.font);
    }
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (!texts[i].multiLine)
            continue;
        const PageState::Item &item = s.cover().items[qsizetype(i)];
        const QString prefix = fromView(texts[i].code);
        put(key(prefix, "Tx-L"), number(item.lines.size()));
        for (qsizetype l = 0; l < item.lines.size(); ++l)
            put(prefix + QStringLiteral("-Tx%1").arg(l + 1), item.lines[l]);
        put(key(prefix, "Al"), alignmentWord(item.alignment));
        font(prefix, item.font);
    }
    const SpineBand::State &cdl = s.cover().cdl();
    const QString lr = QStringLiteral("LR");
    put(key(lr, "Grd"), flag(cdl.gradient.Visible));
    put(key(lr, "ImgRoz"), flag(s.stretch));
    put(key(lr, "Txt"), cdl.caption);
    put(key(lr, "Grd-Strt"), number(qint32(cdl.gradient.EndColor)));
    put(key(lr, "Grd-End"), number(qint32(cdl.gradient.StartColor)));
    font(lr, cdl.font);
}

// A saved key by what the user sees: "Obsah, řádek 13", "Nadpis, písmo".
QString keyLabel(const QString &name)
{
    const qsizetype dash = name.indexOf(QLatin1Char('-'));
    const QString prefix = name.left(dash);
    const QString suffix = name.mid(dash + 1);
    const QString item = prefix == QLatin1String("LR") ? QStringLiteral("Název CD na hřbetu") : itemLabel(prefix);
    if (suffix == QLatin1String("Ft"))
        return item + QStringLiteral(", písmo");
    if (suffix.startsWith(QLatin1String("Tx")) && suffix.size() > 2 && suffix[2].isDigit())
        return item + QStringLiteral(", řádek ") + suffix.mid(2);
    return item;
}

// Text the file cannot hold is refused in the user's terms, naming the item.
void checkSavedValue(const QString &name, const QString &value)
{
    try {
        IniFile::checkValue(name, value);
    } catch (const SettingsError &e) {
        QString what;
        if (e.kind() == SettingsError::Kind::Unrepresentable) {
            QString dropped;
            keepCp1250(value, &dropped);
            what = QStringLiteral("obsahuje znaky, které soubor projektu neumí uložit: %1").arg(dropped);
        } else if (e.kind() == SettingsError::Kind::LineBreak) {
            what = QStringLiteral("obsahuje zalomení řádku, které soubor projektu neumí uložit");
        } else {
            throw;
        }
        throw SettingsError(e.kind(), QStringLiteral("Projekt nelze uložit: text „%1“ %2. Upravte ho a uložte znovu.")
                                          .arg(keyLabel(name), what));
    }
}

QByteArray cp1250(const QString &text)
{
    QByteArray bytes;
    encodeCp1250(text, &bytes); // checked before
    return bytes;
}

// Whether the file at path holds exactly these bytes (so it need not be written).
bool holdsBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() != bytes.size())
        return false;
    return file.readAll() == bytes;
}

} // namespace

QList<std::pair<QString, QString>> projectKeys(const DocumentSnapshot &snapshot)
{
    QList<std::pair<QString, QString>> keys;
    keys.reserve(200);
    forEachSavedKey(snapshot, [&keys](const QString &name, const QString &value) { keys.append({name, value}); });
    return keys;
}

QList<std::pair<QString, QString>> placementKeys(const DocumentSnapshot &snapshot, const QByteArray &existing)
{
    QList<std::pair<QString, QString>> keys;
    for (const ElementSpec &element : kJewelCase.elements) {
        if (element.kind != ElementKind::Picture)
            continue;
        const PicturePlacement &placement = snapshot.cover().placements[kJewelCase.ordinal(element.name)];
        const QString name = fromView(element.fileKey);
        // Only where it is not stretched, so a project with stretched pictures stays
        // byte for byte what it always was; but a file that has the keys from an
        // earlier save gets them rewritten, or it would read back as before.
        if (placement.isStretch() && !ini::findValue(existing, kProjectSection, (name + QStringLiteral("-Fit")).toLatin1()))
            continue;
        keys.append({key(name, "Fit"), QString::fromLatin1(placementWord(placement.fit))});
        keys.append({key(name, "X"), QString::number(placement.x)});
        keys.append({key(name, "Y"), QString::number(placement.y)});
        keys.append({key(name, "Zoom"), QString::number(placement.zoom)});
    }
    return keys;
}

QList<std::pair<QString, QString>> labelKeys(const DocumentSnapshot &s, const QByteArray &existing)
{
    QList<std::pair<QString, QString>> keys;
    // A snapshot of a cover alone says nothing of the label.
    if (s.sheets.size() < 2 || s.label().items.isEmpty()
        || (!isLabelTouched(s.cover(), s.label(), s.disc) && !ini::hasSection(existing, kDiscSection)))
        return keys;
    const auto number = [](qint64 v) { return QString::number(v); };
    const auto flag = [](bool v) { return v ? QStringLiteral("1") : QStringLiteral("0"); };
    const auto put = [&keys](const QString &name, const QString &value) { keys.append({name, value}); };
    const DiscGeometry &g = s.disc.geometry;
    put(QStringLiteral("Label"), QString::fromLatin1(kLabelWords[int(g.label)]));
    put(QStringLiteral("Outer"), number(g.outer()));
    put(QStringLiteral("Hole"), number(g.hole()));
    put(QStringLiteral("Sheet"), QString::fromLatin1(kSheetWords[int(g.sheet)]));
    put(QStringLiteral("CentreX"), number(g.twoX));
    put(QStringLiteral("CentreY1"), number(g.twoFirstY));
    put(QStringLiteral("CentreY2"), number(g.twoSecondY));
    put(QStringLiteral("Picture"), s.disc.ownPicture ? QStringLiteral("Own") : QStringLiteral("Front"));
    const DiscLayout layout(g);
    const ElementSpec &picture = layout.layout().element(layout.layout().withRole(Role::LabelPicture));
    const PicturePlacement placement = s.label().placements.value(0, disc::kPlacement);
    const QString pictureKey = fromView(picture.fileKey);
    put(key(pictureKey, "Fit"), QString::fromLatin1(placementWord(placement.fit)));
    put(key(pictureKey, "X"), number(placement.x));
    put(key(pictureKey, "Y"), number(placement.y));
    put(key(pictureKey, "Zoom"), number(placement.zoom));
    const auto &texts = DiscLayout::texts();
    for (std::size_t i = 0; i < texts.size() && qsizetype(i) < s.label().items.size(); ++i) {
        const PageState::Item &item = s.label().items[qsizetype(i)];
        const QString prefix = fromView(texts[i].code);
        if (followedText(int(i)) >= 0)
            put(key(prefix, "Follow"), flag(s.disc.follows[i]));
        if (texts[i].multiLine) {
            put(key(prefix, "Tx-L"), number(item.lines.size()));
            for (qsizetype l = 0; l < item.lines.size(); ++l)
                put(prefix + QStringLiteral("-Tx%1").arg(l + 1), item.lines[l]);
        } else {
            put(key(prefix, "Tx"), item.lines.value(0));
        }
        put(key(prefix, "Al"), alignmentWord(item.alignment));
        put(key(prefix, "Ft"), item.font.name);
        put(key(prefix, "Cl"), number(qint32(item.font.color)));
        put(key(prefix, "Sz"), number(item.font.size()));
        put(key(prefix, "Ht"), number(item.font.height));
        for (const StyleKey &k : kStyleKeys)
            put(key(prefix, k.suffix), flag(item.font.style == k.style));
        put(key(prefix, "Arc"), flag(g.texts[i].arc));
        put(key(prefix, "Rad"), number(g.texts[i].radius));
    }
    return keys;
}

QByteArray projectFileText(const QByteArray &existing, const QList<std::pair<QString, QString>> &keys,
                           const QList<std::pair<QString, QString>> &discKeys)
{
    // Every text the file could refuse (a line break, a character code page
    // Windows-1250 cannot hold) is checked before anything is written.
    for (const auto &[name, value] : keys + discKeys)
        checkSavedValue(name, value);
    QByteArray content = existing;
    for (const auto &[name, value] : keys)
        content = ini::withValue(content, QByteArray(kProjectSection), cp1250(name), cp1250(value));
    // The label's section after the cover's, as a section of its own.
    for (const auto &[name, value] : discKeys)
        content = ini::withValue(content, QByteArray(kDiscSection), cp1250(name), cp1250(value));
    return content;
}

QByteArray projectText(const DocumentSnapshot &snapshot, const QByteArray &existing)
{
    return projectFileText(existing, projectKeys(snapshot) + placementKeys(snapshot, existing),
                           labelKeys(snapshot, existing));
}

QList<std::pair<const char *, std::optional<Picture>>> sidePictures(const DocumentSnapshot &snapshot)
{
    return {
        {".im1", snapshot.cover().bckImg()},
        {".im2", snapshot.cover().mainImg()},
        {".im3", snapshot.spinePicture()},
        {".im4", snapshot.labelPicture()},
    };
}

namespace {

// One file of a save, with what it is in the cover.
struct SaveStep {
    FileReplacement file;
    bool remove = false;
};

[[noreturn]] void failSave(const QString &message)
{
    throw CommandError(QStringLiteral("Projekt nelze uložit. %1").arg(message));
}

} // namespace

void removeSaveLeftovers(const QString &path)
{
    const QFileInfo info(path);
    const QString base = info.absoluteDir().filePath(projectSideFileBase(info.absoluteFilePath()));
    removeAbandonedHiddenFiles(info.absoluteFilePath());
    for (const char *extension : {".im1", ".im2", ".im3", ".im4"}) {
        const QString exact = base + QLatin1String(extension);
        removeAbandonedHiddenFiles(exact);
        if (const QString found = findSideFile(exact); found != exact)
            removeAbandonedHiddenFiles(found);
    }
}

void saveProjectFiles(const DocumentSnapshot &snapshot, const QString &path)
{
    const QFileInfo info(path);
    const QString target = info.absoluteFilePath();
    const QDir folder = info.absoluteDir();
    const QString base = folder.filePath(projectSideFileBase(target));
    removeSaveLeftovers(target);

    QByteArray existing;
    switch (IniFile::load(target, &existing)) {
    case IniFile::LoadResult::Missing:
        existing.clear();
        break;
    case IniFile::LoadResult::Unreadable:
        failSave(QStringLiteral("Soubor „%1“ nelze přečíst.").arg(info.fileName()));
    case IniFile::LoadResult::Loaded:
        // Only a project keeps what else it holds (other sections, keys this program
        // does not know). A file that Open would refuse (zeros left by a power cut, a
        // picture, a UTF-16 text, notes without the project's section) is replaced
        // whole: built on, it would stay unopenable under the new project.
        if (!isProjectText(existing))
            existing.clear();
        break;
    }
    const QByteArray text = projectText(snapshot, existing);

    // What the cover holds goes to disk, and nothing else: a side file of this name
    // whose picture the cover does not have is removed, or the next Open would show
    // a picture the cover never had.
    std::vector<SaveStep> steps;
    QString error;
    for (const auto &[extension, picture] : sidePictures(snapshot)) {
        if (!picture)
            continue; // not known: left as it is
        const QString sideFile = findSideFile(base + QLatin1String(extension));
        if (picture->isEmpty()) {
            if (!QFileInfo::exists(sideFile) && !QFileInfo(sideFile).isSymLink())
                continue;
            if (snapshot.keptSideFiles.contains(sideFile))
                continue; // a picture the program could not read, not one the user removed
            SaveStep step{FileReplacement(sideFile), true};
            if (!step.file.prepareRemoval(&error))
                failSave(error);
            steps.push_back(std::move(step));
            continue;
        }
        if (holdsBytes(sideFile, picture->bytes()))
            continue; // unchanged: not touched
        SaveStep step{FileReplacement(sideFile), false};
        if (!step.file.prepare(picture->bytes(), &error))
            failSave(error);
        steps.push_back(std::move(step));
    }
    // The project file last: until it is in place, the old project is whole on disk.
    {
        SaveStep step{FileReplacement(target), false};
        if (!step.file.prepare(text, &error))
            failSave(error);
        steps.push_back(std::move(step));
    }
    for (std::size_t done = 0; done < steps.size(); ++done) {
        if (steps[done].file.commit(&error))
            continue;
        // Put back what was already replaced, newest first.
        for (std::size_t i = done; i-- > 0;) {
            QString ignored;
            steps[i].file.rollback(&ignored);
        }
        failSave(error);
    }
    for (SaveStep &step : steps)
        step.file.finish();
}

} // namespace korvel

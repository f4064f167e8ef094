#include "project/ProjectFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>

#include "project/CoverPage.h"
#include "project/picture/PictureError.h"
#include "project/ProjectError.h"
#include "settings/Cp1250.h"
#include "settings/IniFile.h"
#include "settings/SettingsError.h"
#include "settings/TKivINIEntry.h"
#include "settings/TKivRegEntry.h"
#include "project/SideFileTest.h"
#include "project/SpinePictureState.h"

namespace korvel {

namespace {

// Reading order of the items.
constexpr const char *kReadOrder[] = {"MTht", "MThn", "MTN", "MTdn", "MTit", "MTdit",
                                      "MTdt", "BTht", "BTno", "BTo",  "BTit", "BTdt"};
// Writing order: the single-line items, then the two lists.
constexpr const char *kWriteOrderSingle[] = {"MTht", "MThn", "MTN", "MTdn", "MTit",
                                             "MTdit", "MTdt", "BTht", "BTno", "BTdt"};
constexpr const char *kWriteOrderLists[] = {"BTo", "BTit"};

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

// The reader asks for the title's keys as "MTn-..."; names match without regard
// to case, so files written with "MTN-..." read the same.
QString readPrefix(const QString &code)
{
    return code == QLatin1String("MTN") ? QStringLiteral("MTn") : code;
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

// Applies the six style keys: each one that reads true replaces the whole style,
// so the last true one wins; none true leaves the style as it was.
int readStyle(TKivINIEntry &ini, const QString &prefix, int style)
{
    for (const StyleKey &k : kStyleKeys)
        if (ini.ReadBool(key(prefix, k.suffix)))
            style = k.style;
    return style;
}

// How many lines a file can hold at most: a "Tx-L" beyond it names keys that
// cannot exist, and reading them one open at a time would stall on a damaged file.
int lineCapacity(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    qint64 lines = 1;
    char buffer[65536];
    for (qint64 n; (n = file.read(buffer, sizeof buffer)) > 0;)
        for (qint64 i = 0; i < n; ++i)
            lines += buffer[i] == '\n' || buffer[i] == '\r';
    return int(std::min<qint64>(lines, INT32_MAX));
}

void loadItem(TKivINIEntry &ini, TextItem &item, int capacity)
{
    const QString prefix = readPrefix(item.code());
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

// The working directory the side files are addressed relative to is put back
// whatever happens, so a failed load or save cannot leave the program elsewhere.
auto restoreWorkingDirectory()
{
    return qScopeGuard([dir = QDir::currentPath()] { QDir::setCurrent(dir); });
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

void requireProjectFile(const QString &path)
{
    const QString name = QFileInfo(path).fileName();
    QByteArray content;
    switch (IniFile::load(path, &content)) {
    case IniFile::LoadResult::Missing:
        throw ProjectError(QStringLiteral("Soubor „%1“ neexistuje.").arg(name));
    case IniFile::LoadResult::Unreadable:
        throw ProjectError(QStringLiteral("Soubor „%1“ nelze přečíst.").arg(name));
    case IniFile::LoadResult::Loaded:
        break;
    }
    // A picture, an empty file or a UTF-16 text holds no readable "[SecCD]" section;
    // loading it would fill the page with missing-value markers.
    if (content.contains('\0') || !ini::hasSection(content, kProjectSection))
        throw ProjectError(
            QStringLiteral("Soubor „%1“ není projekt obalu CD: chybí v něm oddíl [SecCD].").arg(name));
}

void LoadProject(ProjectContext &c, const QString &path)
{
    requireProjectFile(path);
    const auto restore = restoreWorkingDirectory();
    c.INIFile.SetFilename(path);
    if (c.setCaption)
        c.setCaption(projectCaption(path));
    const QString base = projectSideFileBase(path);

    CoverPage &page = c.page;
    sideFileFormatTestAll(base + QStringLiteral(".im1"), [&](const QString &file, QString *error) {
        return page.BckImg().loadFromFile(file, error);
    });
    sideFileFormatTestAll(base + QStringLiteral(".im2"), [&](const QString &file, QString *error) {
        return page.MainImg().loadFromFile(file, error);
    });
    writeRememberedSpinePicture(c.spine.Reg(), base);

    const int capacity = lineCapacity(path);
    for (const char *code : kReadOrder)
        loadItem(c.INIFile, page.item(QString::fromLatin1(code)), capacity);

    TKivINIEntry &ini = c.INIFile;
    const QString lr = QStringLiteral("LR");
    // Set the switch both ways so its procedure runs at least once and last in the
    // final state, whatever state it was in before.
    const bool gradient = ini.ReadBool(key(lr, "Grd"));
    c.spine.setPictureSwitch(gradient);
    c.spine.setPictureSwitch(!gradient);

    SpineBand &cdl = page.CDL();
    SpineBand &cdr = page.CDR();
    const BackImageMode mode = ini.ReadBool(key(lr, "ImgRoz")) ? BackImageMode::pbmStretch : BackImageMode::pbmTile;
    cdr.setBackImageMode(mode);
    cdl.setBackImageMode(mode);
    // What a later save writes as the fitting is the stretch choice: it follows the
    // file, so saving a project that was not changed writes what was read.
    c.spine.setStretchChoice(mode == BackImageMode::pbmStretch);

    cdl.setCaption(ini.ReadString(key(lr, "Txt")));
    cdr.setCaption(ini.ReadString(key(lr, "Txt")));
    // Crossed on purpose: the first colour is kept as EndColor (top edge).
    cdl.setEndColor(ColorRef(quint32(ini.ReadInteger(key(lr, "Grd-Strt")))));
    cdr.setEndColor(ColorRef(quint32(ini.ReadInteger(key(lr, "Grd-Strt")))));
    cdl.setStartColor(ColorRef(quint32(ini.ReadInteger(key(lr, "Grd-End")))));
    cdr.setStartColor(ColorRef(quint32(ini.ReadInteger(key(lr, "Grd-End")))));

    auto setFont = [](SpineBand &band, const std::function<void(ItemFont &)> &change) {
        ItemFont font = band.titleFont();
        change(font);
        band.setTitleFont(font);
    };
    for (SpineBand *band : {&cdl, &cdr}) {
        const QString name = ini.ReadString(key(lr, "Ft"));
        setFont(*band, [&](ItemFont &f) { f.name = name; });
    }
    for (SpineBand *band : {&cdl, &cdr}) {
        const ColorRef color = ColorRef(quint32(ini.ReadInteger(key(lr, "Cl"))));
        setFont(*band, [&](ItemFont &f) { f.color = color; });
    }
    for (SpineBand *band : {&cdl, &cdr}) {
        const int size = ini.ReadInteger(key(lr, "Sz"));
        if (size != TKivINIEntry::MissingInteger)
            setFont(*band, [&](ItemFont &f) { f.setSize(size); });
    }
    for (SpineBand *band : {&cdl, &cdr}) {
        const int height = ini.ReadInteger(key(lr, "Ht"));
        if (height != TKivINIEntry::MissingInteger)
            setFont(*band, [&](ItemFont &f) { f.height = height; });
    }
    for (SpineBand *band : {&cdl, &cdr}) {
        const int style = readStyle(ini, lr, band->titleFont().style);
        setFont(*band, [&](ItemFont &f) { f.style = style; });
    }
}

namespace {

// Every key a saved project gets, with its value as it is written, in the order of
// writing. Saving runs through it twice: once to check that the file can hold
// every value, once to write them.
template <typename Put>
void forEachSavedKey(ProjectContext &c, Put &&put)
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
    const CoverPage &page = c.page;
    for (const char *code : kWriteOrderSingle) {
        const TextItem &item = page.item(QString::fromLatin1(code));
        put(key(item.code(), "Tx"), item.text());
        put(key(item.code(), "Al"), alignmentWord(item.alignment()));
        font(item.code(), item.font());
    }
    for (const char *code : kWriteOrderLists) {
        const TextItem &item = page.item(QString::fromLatin1(code));
        const QStringList lines = item.lines();
        put(key(item.code(), "Tx-L"), number(lines.size()));
        for (qsizetype i = 0; i < lines.size(); ++i)
            put(item.code() + QStringLiteral("-Tx%1").arg(i + 1), lines[i]);
        put(key(item.code(), "Al"), alignmentWord(item.alignment()));
        font(item.code(), item.font());
    }
    const SpineBand &cdl = page.CDL();
    const QString lr = QStringLiteral("LR");
    put(key(lr, "Grd"), flag(cdl.gradient().Visible));
    put(key(lr, "ImgRoz"), flag(c.spine.stretchChoice()));
    put(key(lr, "Txt"), cdl.caption());
    put(key(lr, "Grd-Strt"), number(qint32(cdl.gradient().EndColor)));
    put(key(lr, "Grd-End"), number(qint32(cdl.gradient().StartColor)));
    font(lr, cdl.titleFont());
}

} // namespace

namespace {

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

} // namespace

void SaveProject(ProjectContext &c, const QString &path)
{
    const auto restore = restoreWorkingDirectory();
    const QString d = QDir::currentPath();
    TKivINIEntry &ini = c.INIFile;
    ini.SetFilename(path);
    if (c.setCaption)
        c.setCaption(projectCaption(path));
    const QString base = projectSideFileBase(path);
    CoverPage &page = c.page;
    const SpineBand &cdl = page.CDL();

    // Every text the file could refuse (a line break, a character code page
    // Windows-1250 cannot hold) is checked before the first key is written: a
    // refused save then leaves the project file as it was, not half old, half new.
    forEachSavedKey(c, [](const QString &name, const QString &value) { checkSavedValue(name, value); });
    // All keys go into the file as one replacement: the file reads exactly as if each
    // had been written on its own, in this order, but is rewritten once, not 160 times.
    QList<std::pair<QString, QString>> keys;
    forEachSavedKey(c, [&keys](const QString &name, const QString &value) { keys.append({name, value}); });
    ini.WriteStrings(keys);
    // Each key above replaced the file without waiting for the disk; the finished
    // project is made durable once, so a power cut after Save cannot empty it.
    if (!IniFile::syncToDisk(path))
        throw SettingsError(SettingsError::Kind::WriteRefused, QStringLiteral("Unable to write to %1").arg(path));

    QString error;
    if (!page.BckImg().saveToFile(base + QStringLiteral(".im1"), &error))
        throw PictureError(error);
    if (!page.MainImg().saveToFile(base + QStringLiteral(".im2"), &error))
        throw PictureError(error);
    // A picture the user took away must not come back from the side file that held
    // it when the project is opened again.
    if (page.BckImg().removedByUser())
        QFile::remove(base + QStringLiteral(".im1"));
    if (page.MainImg().removedByUser())
        QFile::remove(base + QStringLiteral(".im2"));

    const QString spineSideFile = base + QStringLiteral(".im3");
    if (!cdl.gradient().Visible) {
        if (!cdl.saveBackImage(spineSideFile, &error))
            throw PictureError(error);
    } else if (c.Reg.ReadString(QStringLiteral("ImgLRName")) != QLatin1String(SpinePictureState::kNone)) {
        // The remembered picture becomes the project's spine side file, unless one is
        // there already; a remembered side-file base rather than a file copies nothing.
        const QString source = c.Reg.ReadString(QStringLiteral("ImgLR"));
        QFile::copy(source, QDir(d).filePath(spineSideFile));
    }
}

} // namespace korvel

#include "project/ProjectFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <future>
#include <vector>

#include "project/CoverPage.h"
#include "project/picture/PictureError.h"
#include "project/ProjectError.h"
#include "settings/Cp1250.h"
#include "settings/IniFile.h"
#include "settings/SettingsError.h"
#include "settings/TKivINIEntry.h"
#include "settings/TKivRegEntry.h"
#include "project/SideFile.h"
#include "project/DocumentSnapshot.h"
#include "settings/FileReplacement.h"
#include "project/CommandError.h"
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

PicturePlacement readPlacement(TKivINIEntry &ini, const QString &prefix)
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
                                                      : "Obrázek hřbetu";
    return QStringLiteral("%1 (%2) nelze načíst: %3").arg(QString::fromUtf8(what), base + ext, why);
}

bool isProjectText(const QByteArray &content)
{
    return !content.contains('\0') && ini::hasSection(content, kProjectSection);
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
    if (!isProjectText(content))
        throw ProjectError(
            QStringLiteral("Soubor „%1“ není projekt obalu CD: chybí v něm oddíl [SecCD].").arg(name));
}

void LoadProject(ProjectContext &c, const QString &path)
{
    requireProjectFile(path);
    const QFileInfo file(path);
    c.INIFile.SetFilename(file.absoluteFilePath());
    if (c.setCaption)
        c.setCaption(projectCaption(path));
    // The side files lie beside the project, wherever the program was started.
    const QString base = projectSideFileBase(path);
    const QDir folder = file.absoluteDir();

    CoverPage &page = c.page;
    // A side file that loads under no candidate leaves the picture as it was, and the
    // user is told which one it was.
    // The three side files are read side by side: two photos decode in the time of one.
    const auto start = [&](const char *extension) {
        return std::async(std::launch::async, [path = folder.filePath(base + QLatin1String(extension))] {
            return SideFile::read(findSideFile(path));
        });
    };
    auto backRead = start(".im1"), frontRead = start(".im2"), spineRead = start(".im3");
    const auto readSide = [&](std::future<SideFile> &reading, const char *extension) {
        SideFile side = reading.get();
        if (side.status == SideFile::Status::Unreadable) {
            if (c.problems)
                c.problems->append(sideFileProblem(base, extension, side.error));
            if (c.unreadable)
                c.unreadable->append(findSideFile(folder.filePath(base + QLatin1String(extension))));
        }
        return side;
    };
    const SideFile back = readSide(backRead, ".im1");
    if (back.status == SideFile::Status::Loaded)
        page.BckImg().setPicture(back.picture);
    const SideFile front = readSide(frontRead, ".im2");
    if (front.status == SideFile::Status::Loaded)
        page.MainImg().setPicture(front.picture);
    // The spine picture is read now, shown or not, so that the cover holds it: saved
    // elsewhere, it goes along.
    c.spine.setFolder(folder.absolutePath());
    const SideFile spine = readSide(spineRead, ".im3");
    c.spine.rememberSideFile(base, spine.status == SideFile::Status::Loaded ? spine.picture : Picture());

    const int capacity = lineCapacity(path);
    for (const char *code : kReadOrder)
        loadItem(c.INIFile, page.item(QString::fromLatin1(code)), capacity);

    // Pictures placed other than stretched; a project without these keys (every older
    // one) has its pictures stretched.
    page.MainImg().setPlacement(readPlacement(c.INIFile, QStringLiteral("MImg")));
    page.BckImg().setPlacement(readPlacement(c.INIFile, QStringLiteral("BImg")));

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
    const auto itemOf = [&](const char *code) -> const PageState::Item & {
        for (std::size_t i = 0; i < kTextItemDefaults.size(); ++i)
            if (kTextItemDefaults[i].code == code)
                return s.page.items[i];
        Q_UNREACHABLE();
    };
    for (const char *code : kWriteOrderSingle) {
        const PageState::Item &item = itemOf(code);
        const QString prefix = QString::fromLatin1(code);
        put(key(prefix, "Tx"), item.lines.value(0));
        put(key(prefix, "Al"), alignmentWord(item.alignment));
        font(prefix, item.font);
    }
    for (const char *code : kWriteOrderLists) {
        const PageState::Item &item = itemOf(code);
        const QString prefix = QString::fromLatin1(code);
        put(key(prefix, "Tx-L"), number(item.lines.size()));
        for (qsizetype i = 0; i < item.lines.size(); ++i)
            put(prefix + QStringLiteral("-Tx%1").arg(i + 1), item.lines[i]);
        put(key(prefix, "Al"), alignmentWord(item.alignment));
        font(prefix, item.font);
    }
    const SpineBand::State &cdl = s.page.cdl;
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
    const std::pair<const char *, const PicturePlacement &> pictures[] = {{"MImg", snapshot.page.mainPlacement},
                                                                          {"BImg", snapshot.page.bckPlacement}};
    for (const auto &[prefix, placement] : pictures) {
        const QString name = QString::fromLatin1(prefix);
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

QByteArray projectFileText(const QByteArray &existing, const QList<std::pair<QString, QString>> &keys)
{
    // Every text the file could refuse (a line break, a character code page
    // Windows-1250 cannot hold) is checked before anything is written.
    for (const auto &[name, value] : keys)
        checkSavedValue(name, value);
    const QByteArray section(kProjectSection);
    QByteArray content = existing;
    for (const auto &[name, value] : keys)
        content = ini::withValue(content, section, cp1250(name), cp1250(value));
    return content;
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
    for (const char *extension : {".im1", ".im2", ".im3"}) {
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
    const QByteArray text = projectFileText(existing, projectKeys(snapshot) + placementKeys(snapshot, existing));

    // What the cover holds goes to disk, and nothing else: a side file of this name
    // whose picture the cover does not have is removed, or the next Open would show
    // a picture the cover never had.
    const std::pair<const char *, std::optional<Picture>> pictures[] = {
        {".im1", snapshot.page.bckImg},
        {".im2", snapshot.page.mainImg},
        {".im3", snapshot.spinePicture()},
    };
    std::vector<SaveStep> steps;
    QString error;
    for (const auto &[extension, picture] : pictures) {
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

void SaveProject(ProjectContext &c, const QString &path)
{
    DocumentSnapshot snapshot;
    snapshot.page = c.page.state();
    snapshot.pictureSwitch = c.spine.pictureSwitch();
    snapshot.stretch = c.spine.stretchChoice();
    if (snapshot.page.cdl.gradient.Visible) {
        try {
            c.spine.rememberedPicture();
        } catch (const std::exception &) {
            // A remembered file that is gone: its side file is left as it is.
        }
    }
    snapshot.remembered = c.spine.remembered();
    if (c.unreadable)
        snapshot.keptSideFiles = *c.unreadable;
    saveProjectFiles(snapshot, path);
    c.INIFile.SetFilename(QFileInfo(path).absoluteFilePath());
    if (c.setCaption)
        c.setCaption(projectCaption(path));
}

} // namespace korvel

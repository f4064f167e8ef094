#include "project/SpinePictureState.h"

#include <QDir>
#include <QFile>

#include "project/CoverPage.h"
#include "project/SideFile.h"
#include "picture/PictureError.h"
#include "settings/SettingsError.h"
#include "settings/TKivRegEntry.h"

namespace korvel {

namespace {
SpinePictureState *g_current = nullptr;
const QString kImgLR = QStringLiteral("ImgLR");
const QString kImgLRName = QStringLiteral("ImgLRName");
} // namespace

bool SpinePictureState::Remembered::operator==(const Remembered &o) const
{
    return imgLR == o.imgLR && imgLRName == o.imgLRName && pictureFor == o.pictureFor && picture.sameAs(o.picture);
}

SpinePictureState::SpinePictureState(CoverPage &page, QObject *parent)
    : QObject(parent)
    , m_page(page)
{
    // As the per-user values read before anything was ever stored.
    m_remembered.imgLR = m_remembered.imgLRName = TKivRegEntry::MissingString();
    m_previous = g_current;
    g_current = this;
}

SpinePictureState::~SpinePictureState()
{
    if (g_current == this)
        g_current = m_previous.data();
}

SpinePictureState *SpinePictureState::current()
{
    return g_current;
}

void SpinePictureState::mirrorToRegistry()
{
    if (!m_reg) {
        m_reg = new TKivRegEntry(this);
        m_reg->setObjectName(QStringLiteral("Reg"));
        m_reg->SetArea(QString::fromLatin1(kArea));
        m_reg->SetSection(QString::fromLatin1(kSection));
    }
    m_remembered.imgLR = m_reg->ReadString(kImgLR);
    m_remembered.imgLRName = m_reg->ReadString(kImgLRName);
    m_remembered.picture = Picture();
    m_remembered.pictureFor.clear();
}

void SpinePictureState::mirror(bool both)
{
    if (!m_reg)
        return;
    try {
        m_reg->WriteString(kImgLR, m_remembered.imgLR);
        if (both)
            m_reg->WriteString(kImgLRName, m_remembered.imgLRName);
    } catch (const SettingsError &e) {
        throw CommandError(e.message());
    }
}

QString SpinePictureState::resolve(const QString &name) const
{
    if (name.isEmpty() || QDir::isAbsolutePath(name) || m_folder.isEmpty())
        return name;
    return QDir(m_folder).filePath(name);
}

void SpinePictureState::remember(const QString &value)
{
    m_remembered.imgLR = m_remembered.imgLRName = value;
    if (m_remembered.pictureFor != value) {
        m_remembered.picture = Picture();
        m_remembered.pictureFor.clear();
    }
    emit rememberedChanged();
    mirror(true);
}

void SpinePictureState::rememberPath(const QString &value)
{
    // Only the dialog's repair of a value never stored: no change the user made.
    m_remembered.imgLR = value;
    mirror(false);
}

void SpinePictureState::rememberSideFile(const QString &base, const Picture &picture)
{
    m_remembered.imgLR = m_remembered.imgLRName = base;
    m_remembered.picture = picture;
    m_remembered.pictureFor = base;
    emit rememberedChanged();
    mirror(true);
}

Picture SpinePictureState::rememberedPicture()
{
    const QString name = m_remembered.imgLRName;
    if (m_remembered.pictureFor == name && !name.isEmpty())
        return m_remembered.picture;
    Picture picture;
    const SideFile side = SideFile::read(findSideFile(resolve(name + QStringLiteral(".im3"))));
    if (side.status == SideFile::Status::Loaded) {
        picture = side.picture;
    } else if (side.status == SideFile::Status::Unreadable) {
        // A damaged side file leaves the bands as they were, as a failed candidate does.
        return m_page.CDL().backImage();
    } else if (name.contains(QLatin1Char('/'))) {
        QString error;
        if (!picture.loadFromFile(name, &error))
            throw PictureError(error);
    }
    // A name without a folder and without its side file ("[none]", "ERROR", a
    // project's side-file base, which may well hold dots, "Album 2.0") names no
    // picture file: plain white bands.
    m_remembered.picture = picture;
    m_remembered.pictureFor = name;
    return picture;
}

bool SpinePictureState::rememberedSideFileExists() const
{
    return QFile::exists(findSideFile(resolve(m_remembered.imgLRName + QStringLiteral(".im3"))));
}

void SpinePictureState::setPictureSwitch(bool on)
{
    if (on == m_switch)
        return;
    m_switch = on;
    runSwitchProcedure();
}

void SpinePictureState::applyPictureSwitch(bool on)
{
    m_switch = on;
    runSwitchProcedure();
}

void SpinePictureState::setStretchChoice(bool stretch)
{
    if (stretch == m_stretch)
        return;
    m_stretch = stretch;
    emit stretchChoiceChanged(stretch);
}

void SpinePictureState::choosePicture(const QString &path)
{
    Picture picture;
    QString error;
    if (!picture.loadFromFile(path, &error))
        throw PictureError(error);
    m_page.CDL().setBackImage(picture);
    m_page.CDR().setBackImage(picture);
    // Remembered with its picture, so whoever hears of it sees the picture too.
    rememberSideFile(path, picture);
    setPictureSwitch(true);
}

void SpinePictureState::restore(bool pictureSwitch, bool stretch, const Remembered &remembered)
{
    m_switch = pictureSwitch;
    m_stretch = stretch;
    const bool bothChanged = remembered.imgLRName != m_remembered.imgLRName;
    const bool pathChanged = remembered.imgLR != m_remembered.imgLR;
    m_remembered = remembered;
    if (bothChanged || pathChanged) {
        try {
            mirror(true);
        } catch (const std::exception &) {
            // The per-user copy is a convenience; the cover holds the values.
        }
    }
    emit restored(pictureSwitch, stretch);
}

void SpinePictureState::runSwitchProcedure()
{
    SpineBand &cdl = m_page.CDL();
    SpineBand &cdr = m_page.CDR();
    QString base;
    // Whatever happens below, the dialog's status line follows the switch.
    try {
        runSwitchProcedure(cdl, cdr, base);
    } catch (...) {
        emit switchProcedureRan(m_switch, base, false);
        throw;
    }
    emit switchProcedureRan(m_switch, base, true);
}

void SpinePictureState::runSwitchProcedure(SpineBand &cdl, SpineBand &cdr, QString &base)
{
    if (!m_switch) {
        cdl.setGradientVisible(true);
        cdr.setGradientVisible(true);
        // The picture stays remembered.
        cdl.clearBackImage();
        cdr.clearBackImage();
        return;
    }
    cdl.setGradientVisible(false);
    cdr.setGradientVisible(false);
    base = m_remembered.imgLRName;
    const Picture picture = rememberedPicture();
    cdr.setBackImage(picture);
    cdl.setBackImage(picture);
}

} // namespace korvel

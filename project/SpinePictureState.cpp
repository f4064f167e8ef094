#include "project/SpinePictureState.h"

#include <QFile>

#include "project/CoverPage.h"
#include "project/picture/PictureError.h"
#include "settings/TKivRegEntry.h"
#include "project/SideFileTest.h"

namespace korvel {

namespace {
SpinePictureState *g_current = nullptr;
} // namespace

SpinePictureState::SpinePictureState(CoverPage &page, QObject *parent)
    : QObject(parent)
    , m_page(page)
    , m_reg(new TKivRegEntry(this))
{
    m_reg->setObjectName(QStringLiteral("Reg"));
    m_reg->SetArea(QString::fromLatin1(kArea));
    m_reg->SetSection(QString::fromLatin1(kSection)); // as configureSpinePictureEntry
    g_current = this;
}

SpinePictureState::~SpinePictureState()
{
    if (g_current == this)
        g_current = nullptr;
}

SpinePictureState *SpinePictureState::current()
{
    return g_current;
}

void SpinePictureState::setPictureSwitch(bool on)
{
    if (on == m_switch)
        return;
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
    QString error;
    if (!m_page.CDL().loadBackImage(path, &error))
        throw PictureError(error);
    m_page.CDR().setBackImage(m_page.CDL().backImage());
    writeRememberedSpinePicture(*m_reg, path);
    // If the picture was not shown yet, the switch procedure now loads it again from
    // ImgLRName.
    setPictureSwitch(true);
}

void SpinePictureState::restore(bool pictureSwitch, bool stretch)
{
    m_switch = pictureSwitch;
    m_stretch = stretch;
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
        // The picture stays remembered in the registry and in its side file.
        cdl.clearBackImage();
        cdr.clearBackImage();
        return;
    }

    cdl.setGradientVisible(false);
    cdr.setGradientVisible(false);
    base = m_reg->ReadString(QStringLiteral("ImgLRName"));
    const QString sideFile = base + QStringLiteral(".im3");
    if (QFile::exists(sideFile)) {
        // Both bands are the target: the right one is loaded first, then the left.
        sideFileFormatTestAll(sideFile, [&](const QString &path, QString *error) {
            return cdr.loadBackImage(path, error) && cdl.loadBackImage(path, error);
        });
        return;
    }
    // A name without a folder is no picture file: "[none]", "ERROR" or a project's
    // side-file base, which may well hold dots ("Album 2.0") that are no extension.
    // Its bands get a present but empty picture: plain white.
    if (!base.contains(QLatin1Char('/'))) {
        cdl.clearBackImage();
        cdr.clearBackImage();
        return;
    }
    QString error;
    if (!cdl.loadBackImage(base, &error) || !cdr.loadBackImage(base, &error))
        throw PictureError(error);
}

void writeRememberedSpinePicture(TKivRegEntry &reg, const QString &value)
{
    reg.WriteString(QStringLiteral("ImgLR"), value);
    reg.WriteString(QStringLiteral("ImgLRName"), value);
}

} // namespace korvel

#include "app/PictureCommands.h"

#include <QFileInfo>
#include <QMenu>
#include <QWidget>

#include "dialogs/ErrorBox.h"
#include "dialogs/PictureOpenDialog.h"
#include "project/CoverDocument.h"
#include "project/CoverPage.h"
#include "project/SpinePictureState.h"

namespace korvel {

PictureCommands::PictureCommands(CoverDocument &document, QWidget &window)
    : QObject(&window)
    , m_document(document)
    , m_window(window)
{
}

void PictureCommands::addRemoveActions(QMenu &menu)
{
    QAction *front = menu.addAction(QStringLiteral("Odebrat obrázek přední strany"));
    front->setObjectName(QStringLiteral("RemoveMainImg"));
    connect(front, &QAction::triggered, this, [this] { remove(true); });
    QAction *back = menu.addAction(QStringLiteral("Odebrat obrázek zadní strany"));
    back->setObjectName(QStringLiteral("RemoveBckImg"));
    connect(back, &QAction::triggered, this, [this] { remove(false); });
    connect(&menu, &QMenu::aboutToShow, this, [this, front, back] {
        front->setEnabled(!m_document.page().MainImg().picture().isEmpty());
        back->setEnabled(!m_document.page().BckImg().picture().isEmpty());
    });
}

void PictureCommands::choose(bool front)
{
    const QString file = m_openPicture ? m_openPicture(&m_window) : runOpenPictureDialog(&m_window);
    if (file.isEmpty())
        return; // cancelled: nothing changed
    PictureElement &element = front ? m_document.page().MainImg() : m_document.page().BckImg();
    QString error;
    // On failure the picture keeps what it had.
    if (!element.loadFromFile(QFileInfo(file).absoluteFilePath(), &error))
        showErrorBox(&m_window, error);
}

void PictureCommands::remove(bool front)
{
    // The next save removes the side file too: what is saved is what the cover holds.
    PictureElement &element = front ? m_document.page().MainImg() : m_document.page().BckImg();
    if (!element.picture().isEmpty())
        element.clear();
}

bool PictureCommands::drop(const QString &path, const QPoint &onPage)
{
    if (!Picture::hasLoaderFor(path)) {
        emit notice(QStringLiteral("Tento soubor nelze použít: „%1“ není obrázek ani projekt.").arg(QFileInfo(path).fileName()));
        return false;
    }
    CoverPage &page = m_document.page();
    std::string_view target;
    for (std::string_view element : {"CDL", "CDR", "MainImg", "BckImg"})
        if (page.elementPixelRect(element, page.zoom()).contains(onPage)) {
            target = element;
            break;
        }
    if (target.empty()) {
        emit notice(QStringLiteral("Obrázek pusťte na přední stranu, zadní stranu nebo na hřbet."));
        return false;
    }
    const QString file = QFileInfo(path).absoluteFilePath();
    if (target == "CDL" || target == "CDR") // as " Otevřít" in the spine window would do it
        return runCommand(&m_window, [&] { m_document.spine().choosePicture(file); });
    QString error;
    PictureElement &element = target == "MainImg" ? page.MainImg() : page.BckImg();
    if (element.loadFromFile(file, &error))
        return true;
    showErrorBox(&m_window, error);
    return false;
}

} // namespace korvel

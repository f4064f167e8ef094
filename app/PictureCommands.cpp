#include "app/PictureCommands.h"

#include <QFileInfo>
#include <QActionGroup>
#include <QMenu>
#include <QWidget>

#include "dialogs/ErrorBox.h"
#include "dialogs/PictureOpenDialog.h"
#include "project/CoverDocument.h"
#include "project/CoverPage.h"
#include "project/SheetView.h"
#include "project/SpinePictureState.h"

namespace korvel {

PictureCommands::PictureCommands(CoverDocument &document, const SheetView &view, QWidget &window)
    : QObject(&window)
    , m_document(document)
    , m_view(view)
    , m_window(window)
{
}

void PictureCommands::addRemoveActions(QMenu &menu)
{
    QAction *front = m_removeFront = menu.addAction(QStringLiteral("Odebrat obrázek přední strany"));
    front->setObjectName(QStringLiteral("RemoveMainImg"));
    connect(front, &QAction::triggered, this, [this] { remove(true); });
    QAction *back = m_removeBack = menu.addAction(QStringLiteral("Odebrat obrázek zadní strany"));
    back->setObjectName(QStringLiteral("RemoveBckImg"));
    connect(back, &QAction::triggered, this, [this] { remove(false); });
    QAction *label = m_removeLabel = menu.addAction(QStringLiteral("Odebrat obrázek disku"));
    label->setObjectName(QStringLiteral("RemoveDiscImg"));
    connect(label, &QAction::triggered, this, [this] { m_document.removeLabelPicture(); });
    // Those of the sheet shown.
    connect(&menu, &QMenu::aboutToShow, this, [this, front, back, label] {
        front->setVisible(!m_labelShown);
        back->setVisible(!m_labelShown);
        label->setVisible(m_labelShown);
        front->setEnabled(m_document.hasPictureToRemove(true));
        back->setEnabled(m_document.hasPictureToRemove(false));
        label->setEnabled(m_document.hasLabelPictureToRemove());
    });
}

void PictureCommands::setMenuTarget(std::string_view element)
{
    m_menuTarget = element;
}

void PictureCommands::addPlacementMenu(QMenu &menu)
{
    QMenu *placement = menu.addMenu(QStringLiteral("Umístění obrázku"));
    placement->setObjectName(QStringLiteral("PlacementMenu"));
    auto *group = new QActionGroup(placement);
    const struct {
        const char *name, *caption;
        PicturePlacement::Fit fit;
    } fits[] = {{"PlaceStretch", "Roztáhnout", PicturePlacement::Fit::Stretch},
                {"PlaceFill", "Vyplnit", PicturePlacement::Fit::Fill},
                {"PlaceFit", "Přizpůsobit", PicturePlacement::Fit::Fit}};
    const auto target = [this]() -> PictureElement * {
        if (m_menuTarget == "MainImg")
            return &m_document.page().MainImg();
        if (m_menuTarget == "BckImg")
            return &m_document.page().BckImg();
        if (m_menuTarget == "DiscImg")
            return &m_document.label().picture(m_document.label().layout().find(m_menuTarget));
        return nullptr;
    };
    QList<QAction *> choices;
    for (const auto &f : fits) {
        QAction *a = placement->addAction(QString::fromUtf8(f.caption));
        a->setObjectName(QString::fromLatin1(f.name));
        a->setCheckable(true);
        group->addAction(a);
        choices << a;
        connect(a, &QAction::triggered, this, [target, fit = f.fit] {
            if (PictureElement *element = target()) {
                PicturePlacement p = element->placement();
                p.fit = fit;
                element->setPlacement(p);
            }
        });
    }
    placement->addSeparator();
    QAction *centre = placement->addAction(QStringLiteral("Vycentrovat výřez"));
    centre->setObjectName(QStringLiteral("PlaceCentre"));
    connect(centre, &QAction::triggered, this, [target] {
        // Centred at the zoom it has, as a double click centres it.
        if (PictureElement *element = target()) {
            PicturePlacement p = element->placement();
            p.x = p.y = 500;
            element->setPlacement(p);
        }
    });
    QAction *byKeys = placement->addAction(QStringLiteral("Výřez klávesnicí"));
    byKeys->setObjectName(QStringLiteral("PlaceByKeys"));
    connect(byKeys, &QAction::triggered, this, [this] {
        if (!m_menuTarget.empty())
            emit cropByKeyboard(m_menuTarget);
    });
    // Offered over a picture only, showing how it lies now.
    connect(&menu, &QMenu::aboutToShow, this, [target, placement, choices, centre, byKeys] {
        PictureElement *element = target();
        placement->setEnabled(element && !element->picture().isEmpty());
        if (!element)
            return;
        choices[int(element->placement().fit)]->setChecked(true);
        centre->setEnabled(element->placement().clips());
        byKeys->setEnabled(element->placement().clips());
    });
}

void PictureCommands::choose(bool front)
{
    PictureElement &element = front ? m_document.page().MainImg() : m_document.page().BckImg();
    PicturePlacement::Fit fit = element.placement().fit;
    const QSizeF area = m_document.page().elementRect(front ? "MainImg" : "BckImg").size();
    const QString file = m_openPicture ? m_openPicture(&m_window) : runOpenPictureDialog(&m_window, area, &fit);
    if (file.isEmpty())
        return; // cancelled: nothing changed
    // On failure the picture keeps what it had.
    if (!runCommand(&m_window, [&] { m_document.loadPicture(front, QFileInfo(file).absoluteFilePath()); }))
        return;
    PicturePlacement placement = element.placement();
    placement.fit = fit;
    element.setPlacement(placement); // the same event: one step with the picture
}

void PictureCommands::chooseLabel()
{
    const CoverPage &label = m_document.label();
    const ElementId id = label.layout().withRole(Role::LabelPicture);
    PicturePlacement::Fit fit = label.picture(id).placement().fit;
    const QString file =
        m_openPicture ? m_openPicture(&m_window) : runOpenPictureDialog(&m_window, label.elementRect(id).size(), &fit);
    if (file.isEmpty())
        return; // cancelled: nothing changed
    if (!runCommand(&m_window, [&] { m_document.loadLabelPicture(QFileInfo(file).absoluteFilePath()); }))
        return;
    PicturePlacement placement = label.picture(id).placement();
    placement.fit = fit;
    m_document.label().picture(id).setPlacement(placement); // the same event: one step with the picture
}

bool PictureCommands::dropOnLabel(const QString &path, const QPoint &onLabel, const SheetView &labelView)
{
    if (!Picture::hasLoaderFor(path)) {
        emit notice(QStringLiteral("Tento soubor nelze použít: „%1“ není obrázek ani projekt.").arg(QFileInfo(path).fileName()));
        return false;
    }
    const CoverPage &label = m_document.label();
    const QRect disc = labelView.elementPixelRect(label.layout().element(label.layout().withRole(Role::LabelPicture)).name);
    if (!disc.contains(onLabel)) {
        emit notice(QStringLiteral("Obrázek pusťte na etiketu disku."));
        return false;
    }
    const QString file = QFileInfo(path).absoluteFilePath();
    return runCommand(&m_window, [&] { m_document.loadLabelPicture(file); });
}

void PictureCommands::remove(bool front)
{
    // The next save removes the side file too: what is saved is what the cover holds.
    m_document.removePicture(front);
}

bool PictureCommands::drop(const QString &path, const QPoint &onPage)
{
    if (!Picture::hasLoaderFor(path)) {
        emit notice(QStringLiteral("Tento soubor nelze použít: „%1“ není obrázek ani projekt.").arg(QFileInfo(path).fileName()));
        return false;
    }
    std::string_view target;
    for (std::string_view element : {"CDL", "CDR", "MainImg", "BckImg"})
        if (m_view.elementPixelRect(element).contains(onPage)) {
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
    return runCommand(&m_window, [&] { m_document.loadPicture(target == "MainImg", file); });
}

} // namespace korvel

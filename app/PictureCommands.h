#pragma once
#include <QObject>
#include <QPoint>
#include <functional>
#include <string_view>

class QAction;
class QMenu;
class QWidget;

namespace korvel {

class CoverDocument;
class PageView;
class SheetView;

// The front and back pictures and the disc label's: chosen in the picture dialog,
// taken away from the popup menu, or dropped on the sheet (a spine band takes a
// dropped picture too).
class PictureCommands : public QObject {
    Q_OBJECT
public:
    PictureCommands(CoverDocument &document, const SheetView &view, QWidget &window);

    // The open-picture dialog (replaceable, for tests).
    void setOpenPictureDialog(std::function<QString(QWidget *)> dialog) { m_openPicture = std::move(dialog); }

    // "Odebrat obrázek přední strany" and "... zadní strany" in menu, offered only
    // while there is a picture to take away.
    void addRemoveActions(QMenu &menu);
    QAction *removeAction(bool front) const { return front ? m_removeFront : m_removeBack; }

    // "Umístění obrázku" in menu: stretch, fill or fit for the picture the menu was
    // opened over (setMenuTarget), "Vycentrovat výřez" and "Výřez klávesnicí".
    void addPlacementMenu(QMenu &menu);
    // The picture element ("MainImg", "BckImg", "DiscImg") the popup menu is opened
    // over, or none.
    void setMenuTarget(std::string_view element);

    void choose(bool front);
    void remove(bool front);
    // A picture file dropped at pos on the page view: onto the element under it.
    // Returns whether it was taken.
    bool drop(const QString &path, const QPoint &onPage);

    // The disc label's own picture, chosen in the picture dialog ("Vybrat…") or
    // dropped on the label (onLabel in the label view's pixels).
    void chooseLabel();
    bool dropOnLabel(const QString &path, const QPoint &onLabel, const SheetView &labelView);
    // The menu offers the commands of the label's sheet while it is shown.
    void setLabelShown(bool shown) { m_labelShown = shown; }

signals:
    void notice(const QString &text);
    // "Výřez klávesnicí": the crop of this picture element is to be chosen with keys.
    void cropByKeyboard(std::string_view element);

private:
    CoverDocument &m_document;
    const SheetView &m_view;
    QWidget &m_window;
    std::function<QString(QWidget *)> m_openPicture;
    std::string_view m_menuTarget;
    QAction *m_removeFront = nullptr;
    QAction *m_removeBack = nullptr;
    QAction *m_removeLabel = nullptr;
    bool m_labelShown = false;
};

} // namespace korvel

#pragma once
#include <QList>
#include <QObject>
#include <QStringList>
#include <array>
#include <functional>
#include <string_view>

#include "project/layouts/JewelCase.h"

class QFrame;
class QKeySequence;
class QToolButton;
class QLineEdit;
class QWidget;

namespace korvel {

class CoverDocument;

// The controls beside the cover that edit its items, built from one table
// (ItemControls.h): an edit box for each single-line item, a font button
// ("RxSpeedButton1" ... "12") and an alignment panel ("Panel1" ... "12", with
// "SpeedButton1" ... "36") for every item, and the " Editace" buttons. Every change
// goes straight into the item of the document's page.
class ItemEditors : public QObject {
    Q_OBJECT
public:
    // dialogParent: the window the font dialog belongs to.
    ItemEditors(CoverDocument &document, QWidget *canvas, QWidget *dialogParent);

    // The edit box of a single-line item by its name ("MEht" ... "BEdt").
    QLineEdit *editBox(const QString &name) const;
    const QList<QLineEdit *> &boxes() const { return m_editBoxes; }

    // The picture of the side whose item control is or holds control: "MainImg" for
    // the front's items, "BckImg" for the back's and the spine's; empty for others.
    static std::string_view pictureOf(const QWidget *control);

    // Shows or hides every control (they show at 100 % zoom only).
    void setVisible(bool visible);

    // The item keys: Ctrl+T the font, Ctrl+L, Ctrl+E and Ctrl+R the alignments.
    enum class ItemKey { Font, Left, Center, Right };
    void itemKey(int row, ItemKey key);
    // The keys the item boxes hand to the window.
    static QList<QKeySequence> itemKeys();

    // The parts of an item's controls, for the editors of every sheet. A control
    // given its row and its editors takes the item keys for that item.
    static void setItemRow(QWidget *control, QObject *editors, int row);
    static QToolButton *makeFontButton(QWidget *canvas, const QString &name, const QString &label);
    // "<prefix>Panel<number>" with "<prefix>SpeedButton<3 number - 2 ...>", 79 x 27.
    static QFrame *makeAlignmentPanel(QWidget *canvas, int number, const QString &label,
                                      const std::function<void(Alignment)> &clicked, const QString &prefix = QString());
    // The button of the alignment is pressed, the other two are not.
    static void showAlignment(QFrame *panel, Alignment alignment);
    static QToolButton *makeWindowButton(QWidget *canvas, const WindowButton &row);

    // The boxes show the cover's texts without their change handling (after New,
    // Open, an undo): an item whose text is a sample leaves its box empty.
    void showTexts();
    // Hints and alignment buttons follow the page: an empty box shows in grey the
    // text the page prints for it, the button of each item's alignment is pressed.
    void showPage();

signals:
    // A short note for the status line (characters a project file cannot hold).
    void notice(const QString &text);
    // The " Editace" buttons: the contents list, the information text, the spine.
    void editContents();
    void editInfo();
    void editSpine();

private:
    void fontButtonClicked(int row);
    // The button of the item's alignment is pressed, the other two are not.
    void showAlignment(int row);
    void alignmentClicked(int row, int alignment);

    CoverDocument &m_document;
    QWidget *m_dialogParent;
    QList<QLineEdit *> m_editBoxes;
    std::array<QFrame *, 12> m_panels{};
    QList<QWidget *> m_controls;
};

} // namespace korvel

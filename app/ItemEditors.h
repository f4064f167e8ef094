#pragma once
#include <QList>
#include <QObject>
#include <QStringList>
#include <array>
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
    // The keys the items take: font, the three alignments, the contents list.
    static QList<QKeySequence> itemKeys();
    QToolButton *makeWindowButton(QWidget *canvas, const WindowButton &row);
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

#pragma once
#include <QList>
#include <QObject>
#include <QStringList>

class QLineEdit;
class QWidget;

namespace korvel {

class TFrmMain;

// The controls beside the cover that edit its items, built from one table
// (ItemControls.h): an edit box for each single-line item, a font button
// ("RxSpeedButton1" ... "12") and an alignment panel ("Panel1" ... "12", with
// "SpeedButton1" ... "36") for every item, and the " Editace" buttons. Every change
// goes straight into the item on the page and turns the unsaved-changes flag on.
class ItemEditors : public QObject {
    Q_OBJECT
public:
    ItemEditors(TFrmMain &window, QWidget *canvas);

    // The edit box of a single-line item by its name ("MEht" ... "BEdt").
    QLineEdit *editBox(const QString &name) const;
    const QList<QLineEdit *> &boxes() const { return m_editBoxes; }

    // Copies the items' texts into the edit boxes, or empties them (both fire the
    // boxes' change handling, as typing would).
    void fill();
    void empty();
    // The boxes show the page's texts without their change handling (after an undo).
    void showTexts();
    // Hints and alignment buttons follow the page: an empty box shows in grey the
    // text the page prints for it, the button of each item's alignment is pressed.
    void showPage();

private:
    void editBoxChanged(int row);
    void fontButtonClicked(int row);
    void alignmentClicked(int row, int alignment);

    TFrmMain &m_window;
    QList<QLineEdit *> m_editBoxes;
};

} // namespace korvel

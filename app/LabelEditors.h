#pragma once
#include <QList>
#include <QObject>
#include <array>
#include <functional>

#include "app/ItemEditors.h"
#include "project/layouts/DiscLabel.h"

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QFrame;
class QLabel;
class QLineEdit;
class QRadioButton;
class QToolButton;
class QWidget;

namespace korvel {

class CoverDocument;

// The controls beside the disc label that edit it, placed by the label's layout at
// 100 % zoom: for each text its box (the title "DEN", the artist "DEhn") or its
// " Editace" button (the lower text, "DEdt"), its font button and alignment panel
// ("DiscRxSpeedButton1" ... 3, "DiscPanel1" ... 3), whether it runs along the rim and
// on which circle, and whether it follows the cover; then the label's size, its sheet
// (the user's own sheets of labels among them), its picture, and whether the cut
// circles print. Every change goes straight into the document.
class LabelEditors : public QObject {
    Q_OBJECT
public:
    // dialogParent: the window the font and naming dialogs belong to.
    LabelEditors(CoverDocument &document, QWidget *canvas, QWidget *dialogParent);

    QLineEdit *editBox(int text) const { return m_boxes[std::size_t(text)]; }
    const QList<QWidget *> &controls() const { return m_controls; }

    // Shows or hides every control (they show at 100 % zoom only).
    void setVisible(bool visible);
    // The controls show the label as the document holds it (after New, Open, an undo
    // and any change of the label or of the cover texts it follows).
    void showLabel();

    // An item key (ItemEditors::itemKeys) given on one of the label's controls.
    void itemKey(int row, ItemEditors::ItemKey key);

signals:
    // A short note for the status line.
    void notice(const QString &text);
    // The lower text's " Editace" button.
    void editLowerText();
    // "Vybrat…": the label's own picture is to be chosen.
    void choosePicture();
    // The user turned the cut circles on or off (kept per user already).
    void cutCirclesChanged(bool print);

private:
    void build(QWidget *canvas);
    // The controls stand beside the first label wherever the sheet puts it.
    void place();
    void fontButtonClicked(int text);
    void changeGeometry(const std::function<void(DiscGeometry &)> &change);
    void sheetChosen(int index);
    void saveSheet();
    void fillSheets();

    CoverDocument &m_document;
    QWidget *m_dialogParent;
    QList<QWidget *> m_controls;
    bool m_showing = false;
    struct Row {
        QWidget *edit = nullptr; // the box, or the " Editace" button
        QToolButton *font = nullptr;
        QFrame *panel = nullptr;
        QCheckBox *arc = nullptr;
        QDoubleSpinBox *radius = nullptr;
        QCheckBox *follows = nullptr;
    };
    std::array<Row, disc::kTextCount> m_rows;
    std::array<QLineEdit *, disc::kTextCount> m_boxes{};
    QLabel *m_labelCaption = nullptr;
    QComboBox *m_labelKind = nullptr;
    QLabel *m_outerCaption = nullptr;
    QDoubleSpinBox *m_outer = nullptr;
    QLabel *m_holeCaption = nullptr;
    QDoubleSpinBox *m_hole = nullptr;
    QLabel *m_centresCaption = nullptr;
    QLabel *m_sheetCaption = nullptr;
    QComboBox *m_sheet = nullptr;
    QDoubleSpinBox *m_centreX = nullptr;
    QDoubleSpinBox *m_firstY = nullptr;
    QDoubleSpinBox *m_secondY = nullptr;
    QToolButton *m_saveSheet = nullptr;
    QLabel *m_pictureCaption = nullptr;
    QRadioButton *m_frontPicture = nullptr;
    QRadioButton *m_ownPicture = nullptr;
    QToolButton *m_choosePicture = nullptr;
    QCheckBox *m_cutCircles = nullptr;
};

} // namespace korvel

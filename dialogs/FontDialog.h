#pragma once
#include <QDialog>

#include "project/ItemFont.h"

class QComboBox;
class QFontDialog;

namespace korvel {

// The font dialog of the item font buttons: the standard font chooser with its
// effects (underline, strike-out) and, as on the platform the cover files come
// from, a colour list.
class FontDialog : public QDialog {
    Q_OBJECT
public:
    explicit FontDialog(QWidget *parent = nullptr);

    // Loads an item's font: name, size, style and colour.
    void setItemFont(const ItemFont &font);
    // The chosen font. A typeface that the original name stands for on this machine
    // (Liberation Sans for "Arial") keeps the original name, so files stay portable.
    ItemFont itemFont() const;

    QFontDialog *chooser() const { return m_chooser; }
    QComboBox *colorList() const { return m_colors; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Selects color in the list, adding it before "Vlastní…" when it is none of the sixteen.
    void showColor(ColorRef color);
    // "Vlastní…": any colour, from the colour dialog, starting at the one shown.
    void chooseOwnColor();

    QFontDialog *m_chooser;
    QComboBox *m_colors;
    ItemFont m_original;
    int m_shownColor = 0; // the list's colour before "Vlastní…" was picked
};

} // namespace korvel

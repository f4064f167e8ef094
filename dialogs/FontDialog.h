#pragma once
#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>

#include "project/ItemFont.h"

class QComboBox;
class QFontDialog;
class QLineEdit;
class QListView;

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
    // The chooser's family and style lists and its size field.
    QListView *familyList() const { return m_familyList; }
    QListView *styleList() const { return m_styleList; }
    QLineEdit *sizeField() const { return m_sizeField; }

    // A style as the lists show it, in Czech ("Bold Italic" -> "Tučná kurzíva"); a
    // name of words it does not know stays as the font file writes it.
    static QString styleCaption(const QString &styleName);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private slots:
    // Another family: the style of the new family nearest the one last chosen.
    void familyChanged();
    // The user chose a style: the one to keep.
    void styleChanged();

private:
    // Selects color in the list, adding it before "Vlastní…" when it is none of the sixteen.
    void showColor(ColorRef color);
    // "Vlastní…": any colour, from the colour dialog, starting at the one shown.
    void chooseOwnColor();
    // Letters typed in a list select the name they spell (see the constructor).
    void typeToFind(QListView *list, const QString &text);

    QFontDialog *m_chooser;
    QComboBox *m_colors;
    QListView *m_familyList = nullptr;
    QListView *m_styleList = nullptr;
    QLineEdit *m_styleField = nullptr;
    QLineEdit *m_sizeField = nullptr;
    ItemFont m_original;
    int m_shownColor = 0; // the list's colour before "Vlastní…" was picked
    // The style the user chose (or the item had): its weight, slant and width.
    int m_wantedWeight = 400;
    bool m_wantedItalic = false; // or oblique
    QString m_wantedWidth;       // "condensed" and the like, empty for the normal width
    bool m_choosingStyle = false;
    QString m_familyShown; // the family whose styles the style list holds
    // What was typed into a list, and when.
    QString m_typed;
    QPointer<QListView> m_typedIn;
    QElapsedTimer m_typedAt;
};

} // namespace korvel

// The item font dialog driven from the keyboard, as a user without a mouse would.
#include <QApplication>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFontDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QStyleOptionComboBox>
#include <QTest>
#include <gtest/gtest.h>

#include "GuiTestUtil.h"
#include "dialogs/FontDialog.h"

using namespace korvel;
using namespace korvel::test;

namespace {

ItemFont arialBold()
{
    ItemFont font;
    font.name = QStringLiteral("Arial");
    font.setSize(12);
    font.style = fsBold;
    return font;
}

QString currentStyle(const FontDialog &dialog)
{
    return dialog.styleList()->currentIndex().data().toString();
}

void selectFamily(FontDialog &dialog, const QString &family)
{
    QListView *list = dialog.familyList();
    const QModelIndexList found = list->model()->match(list->model()->index(0, 0), Qt::DisplayRole, family, 1,
                                                       Qt::MatchFixedString);
    ASSERT_FALSE(found.isEmpty()) << family.toStdString();
    list->setCurrentIndex(found.first());
}

// The letters of a window's keys: the character after each single "&".
QStringList mnemonics(const QStringList &texts)
{
    QStringList letters;
    for (const QString &text : texts)
        for (qsizetype i = 0; i + 1 < text.size(); ++i)
            if (text[i] == QLatin1Char('&')) {
                if (text[i + 1] != QLatin1Char('&'))
                    letters << text[i + 1].toLower();
                ++i;
            }
    return letters;
}

QStringList labelAndButtonTexts(const QWidget &window)
{
    QStringList texts;
    for (const QLabel *label : window.findChildren<QLabel *>())
        if (label->buddy())
            texts << label->text();
    for (const QAbstractButton *button : window.findChildren<QAbstractButton *>())
        texts << button->text();
    return texts;
}

QStringList repeated(const QStringList &letters)
{
    QStringList twice;
    for (const QString &letter : letters)
        if (letters.count(letter) > 1 && !twice.contains(letter))
            twice << letter;
    return twice;
}

} // namespace

TEST(FontDialog, EnterInEveryFieldConfirmsTheDialogAndEscapeCancelsIt)
{
    FontDialog probe;
    ASSERT_NE(probe.familyList(), nullptr);
    ASSERT_NE(probe.styleList(), nullptr);
    ASSERT_NE(probe.sizeField(), nullptr);
    // Each field: Enter confirms (the font as chosen), Escape cancels; the chooser
    // itself never closes inside the dialog.
    for (int field = 0; field < 3; ++field)
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
            FontDialog dialog;
            dialog.setItemFont(arialBold());
            QWidget *target = field == 0 ? static_cast<QWidget *>(dialog.familyList())
                              : field == 1 ? static_cast<QWidget *>(dialog.styleList())
                                           : dialog.sizeField();
            whenModal<FontDialog>([target, key](FontDialog *) { QTest::keyClick(target, key); }, 100, &dialog);
            const int result = dialog.exec();
            EXPECT_EQ(result, key == Qt::Key_Escape ? QDialog::Rejected : QDialog::Accepted)
                << "field " << field << ", key " << key;
            EXPECT_FALSE(dialog.chooser()->isHidden()) << "field " << field << ", key " << key;
            EXPECT_EQ(dialog.itemFont().style, fsBold);
        }
}

TEST(FontDialog, TabReachesTheColourBeforeTheButtons)
{
    FontDialog dialog;
    dialog.setItemFont(arialBold());
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    auto *buttons = dialog.findChild<QDialogButtonBox *>();
    ASSERT_NE(buttons, nullptr);
    dialog.colorList()->setFocus();
    QTest::keyClick(dialog.colorList(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), buttons->button(QDialogButtonBox::Ok));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), buttons->button(QDialogButtonBox::Cancel));
    // Backwards from OK: the colour, not a field of the chooser.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    EXPECT_EQ(QApplication::focusWidget(), dialog.colorList());
}

TEST(FontDialog, AnotherFamilyKeepsTheChosenStyle)
{
    FontDialog dialog;
    dialog.setItemFont(arialBold());
    ASSERT_EQ(currentStyle(dialog), QStringLiteral("Bold"));
    // On the way, a family that has no bold face at all: the chooser would forget
    // bold there for good.
    QString withoutBold;
    for (const QString &family : QFontDatabase::families()) {
        const QStringList styles = QFontDatabase::styles(family);
        if (!styles.isEmpty() && std::none_of(styles.begin(), styles.end(), [&](const QString &s) {
                return QFontDatabase::weight(family, s) >= QFont::DemiBold;
            }))
            withoutBold = family;
    }
    if (!withoutBold.isEmpty())
        selectFamily(dialog, withoutBold);
    selectFamily(dialog, QStringLiteral("DejaVu Serif"));
    EXPECT_EQ(currentStyle(dialog), QStringLiteral("Bold")) << "through " << withoutBold.toStdString();
    selectFamily(dialog, QStringLiteral("Liberation Serif"));
    EXPECT_EQ(currentStyle(dialog), QStringLiteral("Bold"));
    EXPECT_EQ(dialog.itemFont().style, fsBold);

    // A style the user picks is the one kept from then on; a family that calls its
    // slant by another name still gets it.
    const QModelIndexList boldItalic = dialog.styleList()->model()->match(
        dialog.styleList()->model()->index(0, 0), Qt::DisplayRole, QStringLiteral("Bold Italic"), 1, Qt::MatchFixedString);
    ASSERT_FALSE(boldItalic.isEmpty());
    dialog.styleList()->setCurrentIndex(boldItalic.first());
    selectFamily(dialog, QStringLiteral("DejaVu Sans"));
    EXPECT_EQ(currentStyle(dialog), QStringLiteral("Bold Oblique"));
    selectFamily(dialog, QStringLiteral("Liberation Sans"));
    EXPECT_EQ(currentStyle(dialog), QStringLiteral("Bold Italic"));
    EXPECT_EQ(dialog.itemFont().style, fsBold | fsItalic);
}

TEST(FontDialog, StylesAreNamedInCzechAndFoundByTyping)
{
    const struct {
        const char *file, *czech;
    } names[] = {{"Regular", "Obyčejné"},         {"Bold", "Tučné"},
                 {"Italic", "Kurzíva"},           {"Bold Italic", "Tučná kurzíva"},
                 {"Book", "Obyčejné"},            {"Oblique", "Skloněné"},
                 {"Bold Oblique", "Tučné skloněné"}, {"Condensed Bold", "Zúžené tučné"},
                 {"ExtraLight", "Velmi slabé"},   {"Demi Bold", "Polotučné"},
                 {"Medium Italic", "Střední kurzíva"}, {"Retina", "Retina"}};
    for (const auto &n : names)
        EXPECT_EQ(FontDialog::styleCaption(QString::fromUtf8(n.file)).toStdString(), n.czech) << n.file;

    FontDialog dialog;
    dialog.setItemFont(arialBold());
    // The field and the list show Czech; the font is what the font file names.
    const QLineEdit *field = nullptr;
    for (const QLineEdit *edit : dialog.chooser()->findChildren<QLineEdit *>())
        if (edit->focusProxy() == dialog.styleList())
            field = edit;
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->text(), QStringLiteral("Tučné"));
    const QModelIndex bold = dialog.styleList()->currentIndex();
    EXPECT_EQ(bold.data().toString(), QStringLiteral("Bold")) << "the list holds the font file's names";

    // Typed names, each after a pause: the exact name, not the next that begins so.
    const auto type = [&](const QString &text) {
        QTest::qWait(QApplication::keyboardInputInterval() + 50);
        for (QChar c : text)
            QTest::sendKeyEvent(QTest::Click, dialog.styleList(), Qt::Key_unknown, QString(c), Qt::NoModifier);
        return currentStyle(dialog);
    };
    EXPECT_EQ(type(QStringLiteral("Bold")), QStringLiteral("Bold"));
    EXPECT_EQ(field->text(), QStringLiteral("Tučné"));
    EXPECT_EQ(type(QStringLiteral("Bold I")), QStringLiteral("Bold Italic"));
    EXPECT_EQ(type(QStringLiteral("kurz")), QStringLiteral("Italic"));
    EXPECT_EQ(field->text(), QStringLiteral("Kurzíva"));
    EXPECT_EQ(type(QStringLiteral("tučné")), QStringLiteral("Bold"));
    // One letter over and over steps through the names that begin with it.
    EXPECT_EQ(type(QStringLiteral("tt")), QStringLiteral("Bold Italic"));
    EXPECT_EQ(dialog.itemFont().style, fsBold | fsItalic);
}

TEST(FontDialog, AnOwnColourShowsWhole)
{
    FontDialog dialog;
    dialog.setItemFont(arialBold());
    dialog.show();
    QComboBox *colors = dialog.colorList();
    // Chosen while the dialog is open, as the user chooses it.
    whenModal<QColorDialog>([](QColorDialog *d) {
        d->setCurrentColor(QColor(0xc0, 0x30, 0x20));
        d->accept();
    });
    emit colors->activated(colors->count() - 1);
    ASSERT_EQ(colors->currentText(), QStringLiteral("Vlastní (#c03020)"));
    QCoreApplication::processEvents();
    // The box's field, beside its arrow, holds the swatch and the whole name.
    QStyleOptionComboBox option;
    option.initFrom(colors);
    option.editable = false;
    option.currentText = colors->currentText();
    option.currentIcon = colors->itemIcon(colors->currentIndex());
    option.iconSize = colors->iconSize();
    const QRect field = colors->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, colors);
    const int needed = colors->fontMetrics().horizontalAdvance(colors->currentText()) + colors->iconSize().width() + 4;
    EXPECT_GE(field.width(), needed);
}

TEST(FontDialog, EveryKeyLetterOfTheFontAndColourDialogsIsItsOwn)
{
    FontDialog font;
    const QStringList fontLetters = mnemonics(labelAndButtonTexts(font));
    EXPECT_TRUE(fontLetters.contains(QStringLiteral("b"))) << "Barva: " << fontLetters.join(' ').toStdString();
    EXPECT_TRUE(repeated(fontLetters).isEmpty()) << repeated(fontLetters).join(' ').toStdString();

    QColorDialog colours;
    colours.setOption(QColorDialog::DontUseNativeDialog);
    const QStringList colourLetters = mnemonics(labelAndButtonTexts(colours));
    EXPECT_GE(colourLetters.size(), 8) << colourLetters.join(' ').toStdString();
    EXPECT_TRUE(repeated(colourLetters).isEmpty()) << repeated(colourLetters).join(' ').toStdString();

    // Alt+H then the colour typed: the HTML field takes it, not "Hodnota".
    colours.show();
    colours.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&colours));
    QLineEdit *html = nullptr;
    for (QLabel *label : colours.findChildren<QLabel *>())
        if (QString(label->text()).remove(QLatin1Char('&')) == QLatin1String("HTML:"))
            html = qobject_cast<QLineEdit *>(label->buddy());
    ASSERT_NE(html, nullptr);
    QString htmlLabel;
    for (QLabel *label : colours.findChildren<QLabel *>())
        if (label->buddy() == html)
            htmlLabel = label->text();
    const QStringList htmlLetter = mnemonics({htmlLabel});
    ASSERT_EQ(htmlLetter.size(), 1) << htmlLabel.toStdString();
    const QChar letter = htmlLetter.first().front().toUpper();
    ASSERT_TRUE(letter >= QLatin1Char('A') && letter <= QLatin1Char('Z')) << htmlLabel.toStdString();
    QTest::keyClick(&colours, Qt::Key(letter.unicode()), Qt::AltModifier);
    EXPECT_EQ(QApplication::focusWidget(), html);
    html->selectAll();
    QTest::keyClicks(html, QStringLiteral("#c03020"));
    QTest::keyClick(html, Qt::Key_Tab);
    EXPECT_EQ(colours.currentColor(), QColor(0xc0, 0x30, 0x20));
}

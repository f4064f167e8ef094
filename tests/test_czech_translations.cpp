// Qt's own dialogs speak Czech: the test process installs Qt's Czech catalogue at
// start, as the designer does.
#include <QColorDialog>
#include <QFontDialog>
#include <QLabel>
#include <QPushButton>
#include <gtest/gtest.h>

#include "dialogs/FontDialog.h"

using namespace korvel;

namespace {

QStringList buttonTexts(const QWidget &window)
{
    QStringList texts;
    for (const QPushButton *b : window.findChildren<QPushButton *>())
        texts << b->text();
    return texts;
}

} // namespace

TEST(CzechTranslations, QtsColourDialogAndTheItemFontDialogSpeakCzech)
{
    QColorDialog colours;
    colours.setOption(QColorDialog::DontUseNativeDialog);
    EXPECT_EQ(colours.windowTitle(), QStringLiteral("Vybrat barvu"));
    EXPECT_TRUE(buttonTexts(colours).contains(QStringLiteral("Zrušit"))) << buttonTexts(colours).join('|').toStdString();

    // The item font dialog: its own button box and Qt's chooser inside it.
    FontDialog font;
    EXPECT_TRUE(buttonTexts(font).contains(QStringLiteral("Zrušit"))) << buttonTexts(font).join('|').toStdString();
    EXPECT_FALSE(buttonTexts(font).contains(QStringLiteral("Cancel")));
    QStringList labels;
    for (const QLabel *label : font.chooser()->findChildren<QLabel *>())
        labels << label->text();
    EXPECT_TRUE(labels.contains(QStringLiteral("&Velikost"))) << labels.join('|').toStdString();
}

// Qt's own dialogs speak Czech: the test process installs Qt's Czech catalogue and
// the program's own catalogue of the words Qt's lacks at start, as the designer does.
#include <QAbstractButton>
#include <QColorDialog>
#include <QCoreApplication>
#include <QDoubleSpinBox>
#include <QFontDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLocale>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTabWidget>
#include <gtest/gtest.h>

#include "GuiTestUtil.h"
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

// Every word a window shows: buttons, labels, group titles, tabs and tool tips.
QStringList shownTexts(const QWidget &window)
{
    QStringList texts;
    for (const QAbstractButton *b : window.findChildren<QAbstractButton *>())
        texts << b->text();
    for (const QLabel *l : window.findChildren<QLabel *>())
        texts << l->text();
    for (const QGroupBox *g : window.findChildren<QGroupBox *>())
        texts << g->title();
    for (const QTabWidget *tabs : window.findChildren<QTabWidget *>())
        for (int i = 0; i < tabs->count(); ++i)
            texts << tabs->tabText(i);
    for (const QWidget *w : window.findChildren<QWidget *>())
        texts << w->toolTip();
    texts.removeAll(QString());
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

TEST(CzechTranslations, WordsQtsCatalogueLacksComeFromTheProgramsOwn)
{
    struct Word {
        const char *context, *source, *disambiguation, *czech;
    };
    const Word words[] = {
        {"QPrintSettingsOutput", "Pages", nullptr, "Strany"},
        {"QPrintSettingsOutput", "Double Sided Printing", nullptr, "Oboustranný tisk"},
        {"QPrintSettingsOutput", "Off", nullptr, "Vypnuto"},
        {"QPrintSettingsOutput", "Long side binding", nullptr, "Vazba na delší straně"},
        {"QPrintSettingsOutput", "Short side binding", nullptr, "Vazba na kratší straně"},
        {"QPrintPropertiesWidget", "Advanced", nullptr, "Rozšířené"},
        {"QPrintDialog", "Invalid Pages Definition", nullptr, "Neplatný výběr stran"},
        {"QPageSetupWidget", "mm", nullptr, " mm"},
        {"QAbstractFileIconProvider", "Folder", "All other platforms", "Složka"},
        {"QCommandLineParser", "Displays help on commandline options.", nullptr, "Vypíše tuto nápovědu."},
    };
    for (const Word &w : words)
        EXPECT_EQ(QCoreApplication::translate(w.context, w.source, w.disambiguation).toStdString(), w.czech)
            << w.context;
    // Qt's catalogue is still there underneath, and the font style names stay as
    // the font files write them.
    EXPECT_EQ(QCoreApplication::translate("QPrintSettingsOutput", "Print all"), QStringLiteral("Tisknout vše"));
    EXPECT_EQ(QCoreApplication::translate("QFontDatabase", "Italic"), QStringLiteral("Italic"));
}

TEST(CzechTranslations, PrintDialogAndPrinterPropertiesShowNoEnglishWords)
{
    // As the designer sets it at start-up: the numbers in Qt's dialogs are Czech.
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::Czech, QLocale::CzechRepublic));
    const QStringList english = {QStringLiteral("Pages"), QStringLiteral("Double Sided Printing"), QStringLiteral("Off"),
                                 QStringLiteral("Long side binding"), QStringLiteral("Short side binding"),
                                 QStringLiteral("Advanced")};
    auto englishIn = [&](const QStringList &texts) {
        QStringList found;
        for (const QString &text : texts)
            if (english.contains(QString(text).remove(QLatin1Char('&'))) || text.startsWith(QLatin1String("Specify pages")))
                found << text;
        return found;
    };

    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageSize(QPageSize(QPageSize::A4));
    QPrintDialog dialog(&printer);
    const QStringList texts = shownTexts(dialog);
    EXPECT_TRUE(texts.contains(QStringLiteral("Oboustranný tisk"))) << texts.join('|').toStdString();
    EXPECT_TRUE(englishIn(texts).isEmpty()) << englishIn(texts).join('|').toStdString();

    auto *properties = dialog.findChild<QPushButton *>(QStringLiteral("properties"));
    ASSERT_TRUE(properties);
    ASSERT_TRUE(properties->isEnabled());
    bool seen = false;
    QStringList propertiesTexts;
    QString width;
    test::whenModal<QDialog>([&](QDialog *d) {
        seen = true;
        propertiesTexts = shownTexts(*d);
        if (auto *box = d->findChild<QDoubleSpinBox *>(QStringLiteral("pageWidth")))
            width = box->text();
        d->reject();
    });
    properties->click();
    QLocale::setDefault(before);
    ASSERT_TRUE(seen);
    EXPECT_TRUE(propertiesTexts.contains(QStringLiteral("Rozšířené"))) << propertiesTexts.join('|').toStdString();
    EXPECT_TRUE(englishIn(propertiesTexts).isEmpty()) << englishIn(propertiesTexts).join('|').toStdString();
    // A4's width as Czech writes it: decimal comma, a space before the unit.
    EXPECT_EQ(width.toStdString(), "210,00 mm");
}

#include "dialogs/CzechTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include "project/CzechCatalogue.h"

namespace korvel {

namespace {

// Qt's Czech catalogue, less the names of font weights and slants. Qt's font dialog
// finds a font's style in its list by name: the list holds the names the font files
// give ("Italic", "Bold"), but the name Qt makes for a font would come out in Czech
// ("Kurzíva") and match nothing, so the dialog would drop the italic or bold of every
// font it is given. Those few words stay as the font files write them here; the
// program's font dialog shows them in Czech itself (FontDialog::styleCaption).
class QtCzechTranslator final : public QTranslator {
public:
    using QTranslator::QTranslator;

    QString translate(const char *context, const char *sourceText, const char *disambiguation,
                      int n) const override
    {
        if (qstrcmp(context, "QFontDatabase") == 0) {
            static const char *const kStyleWords[] = {"Thin",   "Extra Light", "Light",      "Normal",
                                                      "Medium", "Demi Bold",   "Bold",       "Extra Bold",
                                                      "Black",  "Italic",      "Oblique"};
            for (const char *word : kStyleWords)
                if (qstrcmp(sourceText, word) == 0)
                    return QString();
        }
        return QTranslator::translate(context, sourceText, disambiguation, n);
    }
};

} // namespace

bool installCzechTranslations(QCoreApplication &app)
{
    // Every dialog the program uses (print and preview included) is in Qt's base
    // module; "qt_cs" would only add catalogues of modules the program never loads.
    auto *translator = new QtCzechTranslator(&app);
    bool installed = translator->load(QStringLiteral("qtbase_cs"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    if (installed)
        installed = QCoreApplication::installTranslator(translator);
    else
        delete translator;
    // The words Qt's catalogue lacks; installed last, so it is asked first.
    return installOwnCzechCatalogue(app) && installed;
}

} // namespace korvel

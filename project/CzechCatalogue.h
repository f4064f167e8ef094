#pragma once

class QCoreApplication;

namespace korvel {

// The program's own Czech catalogue: the words of Qt's windows and messages that
// Qt's Czech catalogue lacks (the print dialog's double-sided printing, the printer
// properties' "Advanced" tab and unit after a size, the command line's help), built
// into the program from resources/translations/. Qt asks the translator installed
// last first, so this goes in after Qt's catalogue and wins where both have a word.
// korvel-print needs no other catalogue: this one carries the command line's words.
// Returns false, changing nothing, if the catalogue cannot be loaded.
bool installOwnCzechCatalogue(QCoreApplication &app);

} // namespace korvel

#pragma once

class QCoreApplication;

namespace korvel {

// Qt's own windows and buttons (the file, font, colour and print dialogs, the "OK"
// and "Cancel" of every button box, the context menu of an edit box) take their
// words from Qt's translations. The program speaks Czech whatever the user's locale
// says, so this installs the Czech catalogue of Qt's base module, as the system's Qt
// ships it. Call it before the first window is made: a button takes its text when
// it is created. The program's own catalogue (project/CzechCatalogue.h) follows, for
// the words Qt's lacks. Returns false when either catalogue could not be installed.
bool installCzechTranslations(QCoreApplication &app);

} // namespace korvel

#pragma once
#include <QObject>
#include <functional>

#include "settings/TrimSettings.h"

class QPrinter;
class QWidget;

namespace korvel {

class CoverDocument;

// "Náhled" and "Tisk": the print preview and the print dialog of the cover, and
// printing on a printer that is set up, with the progress window; and "Exportovat pro
// tiskárnu…", the PDF of the pieces for a print shop. The page draws itself for each
// through its one drawing routine, finished with the user's trim settings.
class PrintCommands : public QObject {
    Q_OBJECT
public:
    PrintCommands(CoverDocument &document, QWidget &window);

    void preview();
    void print();
    // Prints the page on a printer that is already set up, with the progress window,
    // finished as the user's stored trim settings say, or as trim says. Returns false
    // if cancelled or if the printer refused.
    bool printOn(QPrinter &printer);
    bool printOn(QPrinter &printer, const TrimSettings &trim);
    // Asks for a file and writes the pieces for a print shop to it: the bleed of the
    // user's trim settings, or 3 mm when they have none. Returns whether it was written.
    bool exportPieces();
    // Writes the pieces to path without asking; false (with the error shown) on failure.
    bool exportPiecesTo(const QString &path);
    // The file exportPieces offers: beside the project, "<name>-tiskarna.pdf".
    QString proposedPiecesPdf() const;

    // Whether a preview or print is being prepared right now.
    bool isPreparing() const { return m_preparing; }

signals:
    void notice(const QString &text);

private:
    void withPrinter(const std::function<void(QPrinter &)> &job);

    CoverDocument &m_document;
    QWidget &m_window;
    bool m_preparing = false;
};

} // namespace korvel

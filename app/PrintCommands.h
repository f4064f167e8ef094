#pragma once
#include <QObject>
#include <functional>

#include "settings/TrimSettings.h"

class QPrinter;
class QWidget;

namespace korvel {

class CoverDocument;
class CoverPage;

// "Náhled" and "Tisk": the print preview and the print dialog of the sheet shown (the
// cover or the disc label), and printing on a printer that is set up, with the
// progress window; and "Exportovat pro tiskárnu…", the PDF of the cover's pieces for
// a print shop. The sheet draws itself for each through its one drawing routine,
// finished with the user's trim settings.
class PrintCommands : public QObject {
    Q_OBJECT
public:
    PrintCommands(CoverDocument &document, QWidget &window);

    // The sheet the commands print (an index of CoverDocument::sheets()): the one the
    // window shows.
    void setSheet(int index) { m_sheet = index; }
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
    const CoverPage &sheet() const;
    // The disc label's cut circles, as the user keeps them.
    bool cutCircles() const;

    CoverDocument &m_document;
    QWidget &m_window;
    bool m_preparing = false;
    int m_sheet = 0;
};

} // namespace korvel

#pragma once
#include <QObject>
#include <functional>

class QPrinter;
class QWidget;

namespace korvel {

class CoverDocument;
class CoverPage;

// "Náhled" and "Tisk": the print preview and the print dialog of the sheet shown (the
// cover or the disc label), and printing on a printer that is set up, with the
// progress window. The sheet draws itself for each through its one drawing routine.
class PrintCommands : public QObject {
    Q_OBJECT
public:
    PrintCommands(CoverDocument &document, QWidget &window);

    // The sheet the commands print (an index of CoverDocument::sheets()): the one the
    // window shows.
    void setSheet(int index) { m_sheet = index; }
    void preview();
    void print();
    // Prints the page on a printer that is already set up, with the progress window.
    // Returns false if cancelled or if the printer refused.
    bool printOn(QPrinter &printer);
    // Whether a preview or print is being prepared right now.
    bool isPreparing() const { return m_preparing; }

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

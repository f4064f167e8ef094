#pragma once
#include <QObject>
#include <functional>

class QPrinter;
class QWidget;

namespace korvel {

class CoverDocument;

// "Náhled" and "Tisk": the print preview and the print dialog of the cover, and
// printing on a printer that is set up, with the progress window. The page draws
// itself for each through its one drawing routine.
class PrintCommands : public QObject {
    Q_OBJECT
public:
    PrintCommands(CoverDocument &document, QWidget &window);

    void preview();
    void print();
    // Prints the page on a printer that is already set up, with the progress window.
    // Returns false if cancelled or if the printer refused.
    bool printOn(QPrinter &printer);
    // Whether a preview or print is being prepared right now.
    bool isPreparing() const { return m_preparing; }

private:
    void withPrinter(const std::function<void(QPrinter &)> &job);

    CoverDocument &m_document;
    QWidget &m_window;
    bool m_preparing = false;
};

} // namespace korvel

#pragma once
#include <QUrl>
#include <QWidget>

class QTextBrowser;

namespace korvel {

// The user guide ("Nápověda"): a short Czech guide shipped inside the program, read
// in a window of its own while the main window stays usable. Each owner has one
// help window: asking for help again brings that window back, where it was left.
class TFrmHelp : public QWidget {
    Q_OBJECT
public:
    // Shows the guide (F1, the popup menu): owner's help window if it has one, else
    // a new one owned by it, shown, raised and activated. Returns the window.
    static TFrmHelp *showHelp(QWidget *owner);

    explicit TFrmHelp(QWidget *owner);
    ~TFrmHelp() override;

    QTextBrowser *browser() const { return m_browser; }

    // The guide inside the program's resources.
    static QUrl guideUrl();
    // Where the window's position is remembered between runs.
    static QString placementKey();

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    QTextBrowser *m_browser;
    bool m_placed = false;
};

} // namespace korvel

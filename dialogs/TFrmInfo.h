#pragma once
#include <QDialog>

class QTextEdit;

namespace korvel {

class TKivBackground;
class TKivCommandLabel;
class TKivFillBackground;
class TKivLabel;
class TKivOfficeButton;

// The information window of the toolbar's "Informace": the program's title, a short
// notice and links to the maker, on a white-to-navy gradient. Modal, made for one
// showing and destroyed when closed; it touches neither the cover nor the project.
class TFrmInfo : public QDialog {
    Q_OBJECT
public:
    explicit TFrmInfo(QWidget *owner);

    TKivBackground *KivBackground1() const { return m_background; }
    TKivFillBackground *KivFillBackground1() const { return m_fill; }
    TKivLabel *KivLabel1() const { return m_title; }
    TKivOfficeButton *KivOfficeButton1() const { return m_close; }
    TKivCommandLabel *KivCommandLabel1() const { return m_links[0]; }
    TKivCommandLabel *KivCommandLabel2() const { return m_links[1]; }
    TKivCommandLabel *KivCommandLabel3() const { return m_links[2]; }
    QTextEdit *Memo1() const { return m_memo; }

    // The title line: the main window's caption without its dash.
    static QString titleText();
    static QString noticeText();

public slots:
    void KivOfficeButton1Click();

protected:
    void showEvent(QShowEvent *event) override;

private:
    TKivBackground *m_background;
    TKivFillBackground *m_fill;
    TKivLabel *m_title;
    TKivOfficeButton *m_close;
    TKivCommandLabel *m_links[3];
    QTextEdit *m_memo;
};

} // namespace korvel

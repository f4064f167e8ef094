#pragma once
#include <QDialog>
#include <QPixmap>

#include "dialogs/Ask.h"

class QFrame;
class QLabel;
class QPushButton;

namespace korvel {

// The small modal question window behind Ask: an icon, a one-line message and the
// buttons "Ano" and "Ne". It sizes itself to the message when shown and rolls open
// from the top when it becomes active. Created for one question and destroyed after.
class TDotazFrm : public QDialog {
    Q_OBJECT
public:
    static constexpr int kDesignClientWidth = 192;
    static constexpr int kDesignClientHeight = 94;

    explicit TDotazFrm(QWidget *parent = nullptr);
    ~TDotazFrm() override;

    // The dialog showing right now, or null: there is never more than one.
    static TDotazFrm *current();

    // Puts the message into the label and shows the icon that kind selects.
    void setMessage(const QString &message);
    void setKind(int kind);

    // "Ano", "Ne", or Cancelled when the window was closed any other way (its close
    // button, Alt+F4, Escape).
    AskAnswer answer() const { return m_answer; }

    QLabel *Image(int index) const;
    QFrame *Panel() const { return m_panel; }
    QLabel *text() const { return m_text; }
    QLabel *widthtxt() const { return m_widthtxt; }
    QPushButton *BtAno() const { return m_btAno; }
    QPushButton *BtNe() const { return m_btNe; }

    // The four 32 x 32 icons, drawn by the program (index 0 to 3).
    static QPixmap iconPixmap(int index);

public slots:
    void BtAnoClick();
    void BtNeClick();

protected:
    bool event(QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void FormShow();
    void FormActivate();
    void applyWidth();
    int frameExtraWidth() const;
    int frameExtraHeight() const;

    QLabel *m_images[4];
    QFrame *m_panel;
    QLabel *m_text;
    QLabel *m_widthtxt;
    QPushButton *m_btAno;
    QPushButton *m_btNe;
    AskAnswer m_answer = AskAnswer::Cancelled;
    bool m_rolled = false;
    int m_messageWidth = 0;
    int m_appliedFrameWidth = -1;
};

} // namespace korvel

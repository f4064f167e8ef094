#pragma once
#include <QLabel>
#include <functional>

#include "project/Colors.h"

namespace korvel {

// What pressing a command label does: hand its caption, behind a prefix, to the
// desktop's "open", or raise RunEvent.
enum TKivCommand { runNothing, runMAIL, runURL, runFTP, runFILE, runEVENT };

// A hyperlink label. A left-button press opens the caption (a web or mail
// address, an FTP address or a file) or raises RunEvent; the text turns
// MoveOverColor under the pointer while its window is active, and
// FollowedColor once the link has been used.
class TKivCommandLabel : public QLabel {
Q_OBJECT
public:
    // How a string is handed to the desktop. Replaceable so that a test can
    // record the strings instead of starting a browser.
    using ShellOpen = std::function<void(const QString &)>;
    static void setShellOpen(ShellOpen open);
    static void shellOpen(const QString &target);

    // The prefix a command puts in front of the caption; "event" for runEVENT.
    static QString prefixOf(TKivCommand command);

    explicit TKivCommandLabel(QWidget *parent = nullptr);
    ~TKivCommandLabel() override;

    QString caption() const { return text(); }
    void setCaption(const QString &caption) { setText(caption); }
    TKivCommand command() const { return m_command; }
    void setCommand(TKivCommand command);
    ColorRef followedColor() const { return m_followedColor; }
    void setFollowedColor(ColorRef c);
    ColorRef moveOverColor() const { return m_moveOverColor; }
    void setMoveOverColor(ColorRef c);
    // The link's own colour. Setting it also makes it the colour the link returns
    // to when the pointer leaves it before it was used.
    ColorRef fontColor() const { return m_normalColor; }
    void setFontColor(ColorRef c);

    // The colour the text is drawn in now.
    ColorRef textColor() const { return m_textColor; }
    bool followed() const { return m_followed; }
    bool isDown() const { return m_down; }
    bool isInside() const { return m_inside; }

    // The string a press hands to the desktop; empty when the press raises
    // RunEvent instead.
    QString target() const;

signals:
    void RunEvent(TKivCommandLabel *sender);
    // A press and release of the left button over the enabled label.
    void OnClick();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    void applyColor(ColorRef c);
    void runCommand();
    void pointerOut();

    TKivCommand m_command = runURL;
    ColorRef m_followedColor = clPurple;
    ColorRef m_normalColor = clBlue;
    ColorRef m_moveOverColor = clRed;
    ColorRef m_textColor = clBlue;
    bool m_followed = false;
    bool m_down = false;
    bool m_inside = false;
    // The label follows the pointer from its first move over it until the
    // pointer leaves it or a press ends.
    bool m_tracking = false;
};

} // namespace korvel

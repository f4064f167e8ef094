#include "controls/TKivCommandLabel.h"

#include <QDesktopServices>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMouseEvent>
#include <QUrl>

namespace korvel {

namespace {

QUrl urlFor(const QString &target)
{
    const QUrl url(target, QUrl::TolerantMode);
    // "C:" would read as a scheme; a real scheme is longer than one letter.
    if (url.isValid() && url.scheme().size() > 1)
        return url;
    if (QFileInfo(target).isAbsolute())
        return QUrl::fromLocalFile(target);
    // A file named without a folder is one that comes with the program, wherever the
    // program was started from.
    const QString beside = QDir(QCoreApplication::applicationDirPath()).filePath(target);
    if (QFileInfo::exists(beside))
        return QUrl::fromLocalFile(beside);
    return QUrl::fromUserInput(target);
}

void defaultShellOpen(const QString &target)
{
    // The answer is not examined: a link without a handler simply does nothing.
    QDesktopServices::openUrl(urlFor(target));
}

TKivCommandLabel::ShellOpen &shellHook()
{
    static TKivCommandLabel::ShellOpen hook = defaultShellOpen;
    return hook;
}

} // namespace

void TKivCommandLabel::setShellOpen(ShellOpen open)
{
    shellHook() = open ? std::move(open) : ShellOpen(defaultShellOpen);
}

void TKivCommandLabel::shellOpen(const QString &target)
{
    shellHook()(target);
}

QString TKivCommandLabel::prefixOf(TKivCommand command)
{
    switch (command) {
    case runNothing: return {};
    case runMAIL: return QStringLiteral("mailto:");
    case runURL: return QStringLiteral("http://");
    case runFTP: return QStringLiteral("ftp://");
    case runFILE: return QStringLiteral("file:");
    case runEVENT: return QStringLiteral("event");
    }
    return {};
}

TKivCommandLabel::TKivCommandLabel(QWidget *parent) : QLabel(parent)
{
    QFont f;
    f.setPointSize(12);
    f.setUnderline(true);
    setFont(f);
    // A caption is an address, never markup, and it stands at the top left as any
    // label's text does.
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setText(QStringLiteral("www.example.org"));
    setMouseTracking(true);
    setCursor(Qt::PointingHandCursor);
    applyColor(m_normalColor);
}

TKivCommandLabel::~TKivCommandLabel() = default;

void TKivCommandLabel::setCommand(TKivCommand command)
{
    m_command = command;
}

void TKivCommandLabel::setFollowedColor(ColorRef c)
{
    m_followedColor = c;
}

void TKivCommandLabel::setMoveOverColor(ColorRef c)
{
    m_moveOverColor = c;
}

void TKivCommandLabel::setFontColor(ColorRef c)
{
    m_normalColor = c;
    applyColor(c);
}

void TKivCommandLabel::applyColor(ColorRef c)
{
    m_textColor = c;
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, resolveColor(c));
    setPalette(pal);
}

QString TKivCommandLabel::target() const
{
    QString prefix = prefixOf(m_command);
    if (text().startsWith(prefix))
        prefix.clear();
    if (prefix == QLatin1String("event"))
        return {};
    return prefix + text();
}

void TKivCommandLabel::runCommand()
{
    const QString open = target();
    if (open.isEmpty() && m_command == runEVENT) {
        emit RunEvent(this);
        return;
    }
    shellOpen(open);
}

void TKivCommandLabel::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !isEnabled() || !isVisible()) {
        QLabel::mousePressEvent(event);
        return;
    }
    m_down = true;
    m_inside = true;
    // The press holds the mouse until the release: moves meanwhile are not hovers.
    m_tracking = true;
    applyColor(m_normalColor);
    m_followed = true;
    QLabel::mousePressEvent(event);
    // The link is followed on the press itself, not on the release.
    runCommand();
}

void TKivCommandLabel::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QLabel::mouseReleaseEvent(event);
        return;
    }
    if (!isEnabled() || !isVisible() || !m_down) {
        event->accept();
        return;
    }
    m_down = false;
    m_inside = false;
    applyColor(m_followedColor);
    // The release ends the grab: the next move over the label starts afresh.
    m_tracking = false;
    QLabel::mouseReleaseEvent(event);
    if (rect().contains(event->position().toPoint()) && isEnabled())
        emit OnClick();
}

void TKivCommandLabel::pointerOut()
{
    if (m_inside) {
        m_inside = false;
        applyColor(m_followed ? m_followedColor : m_normalColor);
    }
    m_tracking = false;
}

void TKivCommandLabel::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    if (!m_tracking) {
        m_tracking = true;
        if (isEnabled() && isVisible() && window()->isActiveWindow())
            applyColor(m_moveOverColor);
    }
    // The right and bottom edges themselves still count as over the label.
    const bool outside = pos.x() < 0 || pos.y() < 0 || pos.x() > width() || pos.y() > height();
    if (outside) {
        if (m_inside)
            pointerOut();
    } else if (!m_inside) {
        m_inside = true;
    }
    QLabel::mouseMoveEvent(event);
}

void TKivCommandLabel::leaveEvent(QEvent *event)
{
    // Leaving is a move to outside that Qt reports directly.
    pointerOut();
    QLabel::leaveEvent(event);
}

} // namespace korvel

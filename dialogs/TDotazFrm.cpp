#include "dialogs/TDotazFrm.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QtMath>

namespace korvel {

namespace {

QPointer<TDotazFrm> g_current;

// Window width minus message width: room for the icon on the left and a margin on
// the right, the whole frame included.
constexpr int kWidthOverMessage = 78;
// The buttons sit under the message: "Ano" ends 5 pixels left of the middle and
// "Ne" starts at it.
constexpr int kAnoOffset = 80;
// A message narrower than this gets a window of the design width, so the two
// buttons keep the margin they have at design. From this width on the window is
// exactly W + 78 wide, however narrow that leaves the margins.
constexpr int kShortMessage = 82;
constexpr int kMinClientWidth = 190;
// The buttons stand side by side around the middle: 160 pixels of client area hold
// them without either leaving the window.
constexpr int kButtonsWidth = 2 * kAnoOffset;

const QColor kSilver(0xC0, 0xC0, 0xC0);

QPixmap blankIcon()
{
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    return pm;
}

// A white check mark. A thin dark rim keeps it readable on the silver window.
QPixmap tickIcon()
{
    QPixmap pm = blankIcon();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath tick;
    tick.moveTo(6, 17);
    tick.lineTo(13, 24);
    tick.lineTo(26, 8);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(64, 64, 64), 7, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(tick);
    p.setPen(QPen(Qt::white, 4.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(tick);
    return pm;
}

// A yellow question mark: a hook drawn as a thick stroke and a round dot.
QPixmap questionIcon()
{
    QPixmap pm = blankIcon();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath hook;
    const QRectF bow(9.5, 3.5, 13, 12);
    hook.arcMoveTo(bow, 170);
    hook.arcTo(bow, 170, -250);
    hook.lineTo(16, 19.5);
    const QColor outline(96, 72, 0);
    const QColor yellow(255, 230, 0);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(outline, 7, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(hook);
    p.setPen(QPen(yellow, 4.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(hook);
    p.setPen(QPen(outline, 1.2));
    p.setBrush(yellow);
    p.drawEllipse(QPointF(16, 26.5), 3.3, 3.3);
    return pm;
}

// A red octagonal stop sign with a white rim and a white raised hand.
QPixmap stopIcon()
{
    QPixmap pm = blankIcon();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    auto octagon = [](double radius) {
        QPolygonF poly;
        for (int i = 0; i < 8; ++i) {
            const double a = qDegreesToRadians(22.5 + 45.0 * i);
            poly << QPointF(16 + radius * qCos(a), 16 + radius * qSin(a));
        }
        return poly;
    };
    p.setPen(QPen(QColor(96, 0, 0), 1));
    p.setBrush(Qt::white);
    p.drawPolygon(octagon(16.5));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(210, 0, 0));
    p.drawPolygon(octagon(14.5));

    // The hand: four fingers over a palm, the thumb out to the left.
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(11, 14, 11, 10), 3, 3);
    const double fingerTops[4] = {8.5, 7, 7.5, 9.5};
    for (int i = 0; i < 4; ++i)
        p.drawRoundedRect(QRectF(11 + 2.8 * i, fingerTops[i], 2.4, 9), 1.2, 1.2);
    QPainterPath thumb;
    thumb.moveTo(11.5, 21);
    thumb.lineTo(7.5, 15.5);
    thumb.lineTo(9.5, 14);
    thumb.lineTo(13, 17.5);
    thumb.closeSubpath();
    p.drawPath(thumb);
    return pm;
}

// A blue lower-case i standing on a pedestal.
QPixmap infoIcon()
{
    QPixmap pm = blankIcon();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath letter;
    letter.addEllipse(QPointF(16.5, 5.5), 3.8, 3.8);
    QPainterPath stem;
    stem.moveTo(10, 12);
    stem.lineTo(19.5, 12);
    stem.lineTo(19.5, 25);
    stem.lineTo(23, 25);
    stem.lineTo(23, 29.5);
    stem.lineTo(9, 29.5);
    stem.lineTo(9, 25);
    stem.lineTo(13, 25);
    stem.lineTo(13, 15.5);
    stem.lineTo(10, 15.5);
    stem.closeSubpath();
    letter.addPath(stem);
    p.setPen(QPen(QColor(0, 0, 96), 1.2));
    p.setBrush(QColor(0, 64, 224));
    p.drawPath(letter.simplified());
    return pm;
}

} // namespace

QPixmap TDotazFrm::iconPixmap(int index)
{
    switch (index) {
    case 0: return tickIcon();
    case 1: return questionIcon();
    case 2: return stopIcon();
    case 3: return infoIcon();
    default: return QPixmap();
    }
}

TDotazFrm::TDotazFrm(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                          | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint
                          | Qt::MSWindowsFixedSizeDialogHint)
{
    g_current = this;
    setObjectName(QStringLiteral("DotazFrm"));
    setWindowTitle(QStringLiteral("Dotaz"));
    setWindowIcon(QIcon(iconPixmap(1)));
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(11);
    setFont(font);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, kSilver);
    pal.setColor(QPalette::Button, kSilver);
    setPalette(pal);
    setAutoFillBackground(true);

    static const QPoint imagePos[4] = {{11, 11}, {10, 11}, {11, 11}, {11, 11}};
    for (int i = 0; i < 4; ++i) {
        QLabel *image = new QLabel(this);
        image->setObjectName(QStringLiteral("Image%1").arg(i));
        image->setGeometry(QRect(imagePos[i], QSize(32, 32)));
        image->setPixmap(iconPixmap(i));
        image->hide();
        m_images[i] = image;
    }

    m_panel = new QFrame(this);
    m_panel->setObjectName(QStringLiteral("Panel"));
    m_panel->setFrameShape(QFrame::NoFrame);
    m_panel->setAutoFillBackground(true);
    m_panel->setGeometry(49, 13, 142, 38);

    // Plain text only: a message is never read as markup, and it stays on one line
    // however long it is; the window grows instead.
    m_text = new QLabel(m_panel);
    m_text->setObjectName(QStringLiteral("text"));
    m_text->setTextFormat(Qt::PlainText);
    m_text->setWordWrap(false);
    m_text->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_text->setGeometry(0, 0, m_panel->width(), 13);

    m_widthtxt = new QLabel(QStringLiteral("     "), this);
    m_widthtxt->setObjectName(QStringLiteral("widthtxt"));
    m_widthtxt->setTextFormat(Qt::PlainText);
    m_widthtxt->setWordWrap(false);
    m_widthtxt->setGeometry(8, 80, 15, 13);
    m_widthtxt->hide();

    m_btAno = new QPushButton(QStringLiteral("Ano"), this);
    m_btAno->setObjectName(QStringLiteral("BtAno"));
    m_btAno->setGeometry(15, 58, 75, 23);
    m_btAno->setDefault(true);
    m_btNe = new QPushButton(QStringLiteral("Ne"), this);
    m_btNe->setObjectName(QStringLiteral("BtNe"));
    m_btNe->setGeometry(100, 58, 75, 23);
    setTabOrder(m_btAno, m_btNe);
    connect(m_btAno, &QPushButton::clicked, this, &TDotazFrm::BtAnoClick);
    connect(m_btNe, &QPushButton::clicked, this, &TDotazFrm::BtNeClick);

    setFixedSize(kDesignClientWidth, kDesignClientHeight);
}

TDotazFrm::~TDotazFrm()
{
    if (g_current == this)
        g_current = nullptr;
}

TDotazFrm *TDotazFrm::current()
{
    return g_current.data();
}

QLabel *TDotazFrm::Image(int index) const
{
    return index >= 0 && index < 4 ? m_images[index] : nullptr;
}

void TDotazFrm::setMessage(const QString &message)
{
    m_text->setText(message);
}

void TDotazFrm::setKind(int kind)
{
    // Anything above the last icon gets the tick, a negative kind no icon at all.
    const int shown = kind < 0 ? -1 : (kind > 3 ? 0 : kind);
    for (int i = 0; i < 4; ++i)
        m_images[i]->setVisible(i == shown);
}

void TDotazFrm::BtAnoClick()
{
    m_answer = AskAnswer::Yes;
    accept();
}

void TDotazFrm::BtNeClick()
{
    m_answer = AskAnswer::No;
    reject();
}

int TDotazFrm::frameExtraWidth() const
{
    return qMax(0, frameGeometry().width() - geometry().width());
}

int TDotazFrm::frameExtraHeight() const
{
    return qMax(0, frameGeometry().height() - geometry().height());
}

void TDotazFrm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

bool TDotazFrm::event(QEvent *event)
{
    const bool handled = QDialog::event(event);
    if (event->type() == QEvent::WindowActivate && !m_rolled)
        FormActivate();
    return handled;
}

void TDotazFrm::FormShow()
{
    m_widthtxt->setText(m_text->text());
    m_widthtxt->adjustSize();
    m_messageWidth = m_widthtxt->width();
    m_rolled = false;
    m_appliedFrameWidth = -1;
    applyWidth();
    m_btAno->setFocus(Qt::OtherFocusReason);
}

// The window is W + 78 pixels wide with its frame. The frame belongs to the window
// manager, so the client area gets what is left once the frame the platform reports
// is taken off; before the window is mapped that may still be nothing, so this runs
// again when the window becomes active and the frame is known. The buttons are
// placed by the middle of the client area, where they are seen.
void TDotazFrm::applyWidth()
{
    const int frame = frameExtraWidth();
    if (frame == m_appliedFrameWidth)
        return;
    m_appliedFrameWidth = frame;
    const int width = m_messageWidth < kShortMessage
                          ? qMax(m_messageWidth, kMinClientWidth - kWidthOverMessage + frame)
                          : qMax(m_messageWidth, kButtonsWidth - kWidthOverMessage + frame);
    const int outerWidth = width + kWidthOverMessage;
    const int clientWidth = outerWidth - frame;
    setFixedWidth(clientWidth);
    m_panel->resize(width + 20, m_panel->height());
    m_text->resize(m_panel->width(), m_text->height());
    m_btAno->move(clientWidth / 2 - kAnoOffset, m_btAno->y());
    m_btNe->move(clientWidth / 2, m_btNe->y());

    // Centred on the screen for the width it has now.
    if (const QScreen *scr = screen()) {
        const QRect area = scr->availableGeometry();
        const int outerHeight = kDesignClientHeight + frameExtraHeight();
        move(area.x() + (area.width() - outerWidth) / 2,
             area.y() + (area.height() - outerHeight) / 2);
    }
}

// Rolls the window open from the top: the client area grows 10, 20 ... 100 pixels
// and settles at its design height. No pause and no nested event loop, so it never
// holds anything up.
void TDotazFrm::FormActivate()
{
    m_rolled = true;
    applyWidth();
    for (int h = 10; h <= 100; h += 10)
        setFixedHeight(h);
    setFixedHeight(kDesignClientHeight);
}

} // namespace korvel

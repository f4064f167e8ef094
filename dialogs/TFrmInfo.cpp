#include "dialogs/TFrmInfo.h"

#include <QShowEvent>
#include <QTextEdit>

#include "controls/ToolbarIcons.h"
#include "controls/TKivBackground.h"
#include "controls/TKivCommandLabel.h"
#include "controls/TKivFillBackground.h"
#include "controls/TKivFont3D.h"
#include "controls/TKivFrame.h"
#include "controls/TKivGradient.h"
#include "controls/TKivLabel.h"
#include "controls/TKivOfficeButton.h"
#include "dialogs/WindowPlacement.h"

namespace korvel {

namespace {

constexpr int kClientWidth = 402;
constexpr int kClientHeight = 328;

QFont sansSerif(int pixels, bool bold = false)
{
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

struct LinkPlace {
    const char *name;
    QRect rect;
    TKivCommand command;
    const char *address;
};

// KivCommandLabel1 .. 3, in that order.
constexpr LinkPlace kLinks[3] = {
    {"KivCommandLabel1", QRect(32, 232, 178, 20), runURL, "www.lurdan.test"},
    {"KivCommandLabel2", QRect(32, 208, 122, 20), runMAIL, "cd@torva.test"},
    {"KivCommandLabel3", QRect(32, 256, 252, 20), runURL, "www.torva.test/programy"},
};

} // namespace

QString TFrmInfo::titleText()
{
    return QStringLiteral("Lurdan CD 1.0 druhé vydání");
}

QString TFrmInfo::noticeText()
{
    return QStringLiteral(
        "O programu\n"
        "- - - - - - - - - - - - - - -\n"
        "V programu navrhnete papírové vložky do obalu CD: přední stranu a zadní stranu se dvěma "
        "hřbety, jejich texty, písma, barvy a obrázky, vše na listu A4 v milimetrech, s náhledem a tiskem. "
        "Verze 1.0 pro Linux.\n"
        "Program je svobodný software: smíte ho šířit a upravovat podle licence GNU GPL (GNU General "
        "Public License) verze 3 nebo, podle své volby, kterékoli pozdější verze. Šíří se v naději, "
        "že bude užitečný, ale bez jakékoli záruky; podrobnosti uvádí licence.\n"
        "Dotazy a náměty posílejte na adresy uvedené níže.");
}

TFrmInfo::TFrmInfo(QWidget *owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                         | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("FrmInfo"));
    setWindowTitle(QStringLiteral("Informace"));
    setWindowIcon(toolbarIcon(QStringLiteral("Info")));
    setFont(sansSerif(11));
    setFixedSize(kClientWidth, kClientHeight);
    setModal(true);

    m_background = new TKivBackground(this);
    m_background->setObjectName(QStringLiteral("KivBackground1"));
    m_background->gradient()->setBeginColor(clWhite);
    m_background->gradient()->setEndColor(clNavy);
    m_background->gradient()->setNoOfColors(70);

    // In stacking order, bottom first.
    m_fill = new TKivFillBackground(this);
    m_fill->setObjectName(QStringLiteral("KivFillBackground1"));
    m_fill->setGeometry(0, 0, kClientWidth, kClientHeight);
    m_fill->setBackground(m_background);

    m_title = new TKivLabel(this);
    m_title->setObjectName(QStringLiteral("KivLabel1"));
    m_title->setGeometry(17, 8, 369, 33);
    m_title->setCaption(titleText());
    m_title->setAlignment(Qt::AlignHCenter);
    m_title->setFont(sansSerif(23, true));
    m_title->setFontColor(clNavy);
    m_title->font3D()->setStyle3D(fontOnlyShadow);
    m_title->font3D()->setShadow(clNavy);
    m_title->frame()->setFrameStyle(frameNone);
    m_title->setTransparent(true);

    m_close = new TKivOfficeButton(this);
    m_close->setObjectName(QStringLiteral("KivOfficeButton1"));
    m_close->setGeometry(153, 292, 97, 25);
    m_close->setCaption(QStringLiteral("Zavřít"));
    m_close->setFont(sansSerif(11));
    m_close->setFontColor(clWhite);
    m_close->setLedNormal(clNavy);
    m_close->setLedIn(clAqua);
    m_close->setLedOut(clTeal);
    m_close->setRoundSize(20);
    m_close->font3D()->setStyle3D(fontRaised);
    m_close->font3D()->setHighlight(clBlack);
    connect(m_close, &TKivOfficeButton::OnClick, this, &TFrmInfo::KivOfficeButton1Click);

    for (int i = 0; i < 3; ++i) {
        auto *link = new TKivCommandLabel(this);
        link->setObjectName(QString::fromLatin1(kLinks[i].name));
        link->setGeometry(kLinks[i].rect);
        link->setCommand(kLinks[i].command);
        link->setCaption(QString::fromLatin1(kLinks[i].address));
        QFont font = sansSerif(16);
        font.setUnderline(true);
        link->setFont(font);
        link->setFontColor(clAqua);
        link->setAutoFillBackground(false);
        m_links[i] = link;
    }

    m_memo = new QTextEdit(this);
    m_memo->setObjectName(QStringLiteral("Memo1"));
    m_memo->setGeometry(24, 48, 353, 153);
    m_memo->setAcceptRichText(false);
    m_memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_memo->setLineWrapMode(QTextEdit::WidgetWidth);
    m_memo->setPlainText(noticeText());
    // Every line centred, as the notice is laid out.
    QTextCursor all(m_memo->document());
    all.select(QTextCursor::Document);
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    all.mergeBlockFormat(centred);
    m_memo->setFocus();
}

void TFrmInfo::showEvent(QShowEvent *event)
{
    if (!event->spontaneous())
        centreOnScreen(this);
    QDialog::showEvent(event);
}

void TFrmInfo::KivOfficeButton1Click()
{
    close();
}

} // namespace korvel

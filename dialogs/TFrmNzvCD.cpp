#include "dialogs/TFrmNzvCD.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QHideEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QRadioButton>
#include <QShowEvent>
#include <QKeyEvent>
#include <QToolButton>
#include <QToolTip>

#include "controls/Cp1250Validator.h"
#include "controls/EnterClicksFilter.h"
#include "controls/UndoKeyFilter.h"
#include "dialogs/ErrorBox.h"
#include "dialogs/FontDialog.h"
#include "dialogs/PictureOpenDialog.h"
#include "controls/ToolbarIcons.h"
#include "controls/TKivBackground.h"
#include "controls/TKivFillBackground.h"
#include "controls/TKivGradient.h"
#include "dialogs/WindowPlacement.h"
#include "project/CoverPage.h"
#include "picture/PictureError.h"
#include "settings/TKivRegEntry.h"
#include "project/SpinePictureState.h"

namespace korvel {

namespace {

constexpr int kClientWidth = 446;
constexpr int kClientHeight = 272;


QPixmap blankGlyph()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

// " Písmo": a serif A.
QIcon fontGlyph()
{
    QPixmap pixmap = blankGlyph();
    QPainter p(&pixmap);
    QFont font(QStringLiteral("Liberation Serif"));
    font.setPixelSize(15);
    font.setBold(true);
    p.setFont(font);
    p.setPen(QColor(0, 0, 128));
    p.drawText(QRect(0, 0, 16, 16), Qt::AlignCenter, QStringLiteral("A"));
    p.end();
    return QIcon(pixmap);
}

// The colour buttons: a swatch that is dark at the end the button sets.
QIcon colorGlyph(bool first)
{
    QPixmap pixmap = blankGlyph();
    QPainter p(&pixmap);
    QLinearGradient gradient(0, 2, 0, 14);
    gradient.setColorAt(first ? 0 : 1, QColor(0, 0, 160));
    gradient.setColorAt(first ? 1 : 0, QColor(230, 230, 255));
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(gradient);
    p.drawRect(3, 1, 9, 13);
    p.end();
    return QIcon(pixmap);
}

// " OK": a green tick.
QIcon okGlyph()
{
    QPixmap pixmap = blankGlyph();
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0, 128, 0), 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QPainterPath tick;
    tick.moveTo(2.5, 8.5);
    tick.lineTo(6.5, 12.5);
    tick.lineTo(13.5, 3.5);
    p.drawPath(tick);
    p.end();
    return QIcon(pixmap);
}

QIcon dialogIcon()
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    QLinearGradient gradient(0, 2, 0, 30);
    gradient.setColorAt(0, QColor(192, 192, 192));
    gradient.setColorAt(1, Qt::white);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(gradient);
    p.drawRect(11, 1, 9, 29);
    p.translate(15.5, 16);
    p.rotate(90);
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(7);
    font.setBold(true);
    p.setFont(font);
    p.drawText(QRect(-14, -5, 28, 10), Qt::AlignCenter, QStringLiteral("CD"));
    p.end();
    return QIcon(pixmap);
}

QFrame *bevel(QWidget *parent, const char *name, QRect rect, bool raised)
{
    auto *frame = new QFrame(parent);
    frame->setObjectName(QString::fromLatin1(name));
    frame->setGeometry(rect);
    frame->setFrameShape(QFrame::Box);
    frame->setFrameShadow(raised ? QFrame::Raised : QFrame::Sunken);
    frame->setLineWidth(1);
    frame->setMidLineWidth(0);
    return frame;
}

} // namespace

TFrmNzvCD::TFrmNzvCD(CoverPage &page, SpinePictureState &state, QWidget *owner)
    : QWidget(owner, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                         | Qt::MSWindowsFixedSizeDialogHint)
    , m_page(&page)
    , m_state(&state)
{
    setObjectName(QStringLiteral("FrmNzvCD"));
    setWindowTitle(QStringLiteral("Název CD"));
    setWindowIcon(dialogIcon());
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(11);
    setFont(font);
    setFixedSize(kClientWidth, kClientHeight);
    buildControls();

    connect(m_edt, &QLineEdit::textChanged, this, &TFrmNzvCD::EdtChange);
    connect(m_edt, &QLineEdit::textEdited, this, &TFrmNzvCD::typing);
    connect(m_edt, &QLineEdit::textEdited, this, &TFrmNzvCD::changed);
    UndoKeyFilter::install(m_edt);
    connect(m_buttons[0], &QToolButton::clicked, this, &TFrmNzvCD::RxSpeedButton1Click);
    connect(m_buttons[1], &QToolButton::clicked, this, &TFrmNzvCD::RxSpeedButton2Click);
    connect(m_buttons[2], &QToolButton::clicked, this, &TFrmNzvCD::RxSpeedButton3Click);
    connect(m_buttons[3], &QToolButton::clicked, this, &TFrmNzvCD::RxSpeedButton4Click);
    connect(m_buttons[4], &QToolButton::clicked, this, &TFrmNzvCD::RxSpeedButton5Click);
    // The handlers follow every change of state, whether the user or the program
    // made it; only the user's clicks count as changes to the cover.
    connect(m_obr, &QCheckBox::toggled, this, &TFrmNzvCD::ObrClick);
    connect(m_roz, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            RozClick();
    });
    connect(m_vdl, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            VdlClick();
    });
    connect(m_obr, &QCheckBox::clicked, this, &TFrmNzvCD::changed);
    connect(m_roz, &QRadioButton::clicked, this, &TFrmNzvCD::changed);
    connect(m_vdl, &QRadioButton::clicked, this, &TFrmNzvCD::changed);

    // The project file sets the switch through the state; the check box shows it.
    connect(m_state, &SpinePictureState::switchProcedureRan, this, &TFrmNzvCD::switchProcedureRan);
    connect(m_state, &SpinePictureState::stretchChoiceChanged, this,
            [this](bool stretch) { (stretch ? m_roz : m_vdl)->setChecked(true); });
    connect(m_state, &SpinePictureState::restored, this, &TFrmNzvCD::refreshFromPage);
}

void TFrmNzvCD::refreshFromPage()
{
    if (!m_page)
        return;
    const QSignalBlocker edt(m_edt), obr(m_obr), roz(m_roz), vdl(m_vdl);
    if (m_edt->text() != CDL().caption())
        m_edt->setText(CDL().caption());
    m_txt->setText(CDL().caption());
    showTitleFont();
    m_grd->gradient()->setBeginColor(CDL().gradient().EndColor);
    m_grd->gradient()->setEndColor(CDL().gradient().StartColor);
    m_obr->setChecked(m_state->pictureSwitch());
    (m_state->stretchChoice() ? m_roz : m_vdl)->setChecked(true);
    const bool saved = m_state->rememberedSideFileExists();
    m_txtimg->setText(QString::fromUtf8(!saved ? kNotSaved : m_state->pictureSwitch() ? kSavedShown : kSavedHidden));
}

TFrmNzvCD::~TFrmNzvCD()
{
    if (isVisible())
        saveWindowPlacement(this, placementKey());
}

QString TFrmNzvCD::placementKey()
{
    return QStringLiteral("Placement/TFrmNzvCD");
}

NameFilters TFrmNzvCD::openPictureFilters()
{
    // The labels are fixed word for word; "All" shows PNG pictures too.
    return {{QStringLiteral("All (*.jpeg;*.jpg;*.gif;*.dib;*.bmp;*.ico;*.emf;*.wmf)"),
             QStringLiteral("*.jpeg;*.jpg;*.gif;*.dib;*.bmp;*.ico;*.emf;*.wmf;*.png")},
            {QStringLiteral("JPEG Image File (*.jpeg)"), QStringLiteral("*.jpeg")},
            {QStringLiteral("JPEG Image File (*.jpg)"), QStringLiteral("*.jpg")},
            {QStringLiteral("CompuServe GIF Image (*.gif)"), QStringLiteral("*.gif")},
            {QStringLiteral("Device Independent Bitmap (*.dib)"), QStringLiteral("*.dib")},
            {QStringLiteral("Bitmaps (*.bmp)"), QStringLiteral("*.bmp")},
            {QStringLiteral("Icons (*.ico)"), QStringLiteral("*.ico")},
            {QStringLiteral("Enhanced Metafiles (*.emf)"), QStringLiteral("*.emf")},
            {QStringLiteral("Metafiles (*.wmf)"), QStringLiteral("*.wmf")},
            {QStringLiteral("Obrázky PNG (*.png)"), QStringLiteral("*.png")}};
}

void TFrmNzvCD::buildControls()
{
    // Frames first, so that every control stands over them.
    bevel(this, "Bevel3", QRect(8, 56, 265, 73), true);
    bevel(this, "Bevel4", QRect(16, 62, 249, 25), false);
    bevel(this, "Bevel2", QRect(283, 56, 155, 73), true);
    bevel(this, "Bevel1", QRect(410, 64, 19, 58), true);
    bevel(this, "Bevel5", QRect(103, 139, 241, 89), true);

    auto *label2 = new QLabel(QStringLiteral("Text "), this);
    label2->setObjectName(QStringLiteral("Label2"));
    label2->move(16, 8);
    label2->adjustSize();

    m_edt = new QLineEdit(this);
    m_edt->setObjectName(QStringLiteral("Edt"));
    m_edt->setGeometry(15, 24, 417, 21);
    auto *validator = new Cp1250Validator(m_edt);
    connect(validator, &Cp1250Validator::dropped, this, [this](const QString &characters) {
        const QString note = droppedCharactersNotice(characters);
        QToolTip::showText(m_edt->mapToGlobal(QPoint(0, m_edt->height())), note, m_edt);
        emit notice(note);
    });
    m_edt->setValidator(validator);
    label2->setBuddy(m_edt);
    m_edt->setAccessibleName(QStringLiteral("Název CD na hřbetu"));

    m_txt = new QLabel(QStringLiteral("Název CD"), this);
    m_txt->setObjectName(QStringLiteral("txt"));
    m_txt->setGeometry(16, 64, 249, 25);
    m_txt->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_txt->setAutoFillBackground(false);
    QFont sampleFont(QStringLiteral("Arial"));
    sampleFont.setPixelSize(16);
    sampleFont.setBold(true);
    m_txt->setFont(sampleFont);

    struct ButtonPlace {
        const char *name;
        QRect rect;
        const char *text;
        const char *hint; // also what a screen reader reads as its description
    };
    const ButtonPlace places[5] = {
        {"RxSpeedButton1", QRect(88, 96, 105, 27), " Písmo", "Písmo názvu na hřbetu"},
        {"RxSpeedButton2", QRect(291, 64, 113, 27), " První barva", "Barva přechodu nahoře"},
        {"RxSpeedButton3", QRect(291, 96, 113, 27), " Poslední barva", "Barva přechodu dole"},
        {"RxSpeedButton4", QRect(170, 237, 105, 27), " OK", "Zavřít okno (Esc); změny už platí"},
        {"RxSpeedButton5", QRect(117, 192, 105, 23), " Otevřít", "Vybrat obrázek hřbetu"},
    };
    const QIcon glyphs[5] = {fontGlyph(), colorGlyph(true), colorGlyph(false), okGlyph(),
                             toolbarIcon(QStringLiteral("FOpen"))};
    for (int i = 0; i < 5; ++i) {
        auto *b = new QToolButton(this);
        b->setObjectName(QString::fromLatin1(places[i].name));
        b->setGeometry(places[i].rect);
        b->setText(QString::fromUtf8(places[i].text));
        b->setIcon(glyphs[i]);
        b->setIconSize(QSize(16, 16));
        b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        b->setToolTip(QString::fromUtf8(places[i].hint));
        b->setAccessibleName(b->text().trimmed());
        b->setAccessibleDescription(b->toolTip());
        // Reached with Tab and pressed with Space or Enter, as the main window's are.
        b->setFocusPolicy(Qt::TabFocus);
        EnterClicksFilter::install(b);
        m_buttons[i] = b;
    }

    m_grd = new TKivBackground(this);
    m_grd->setObjectName(QStringLiteral("Grd"));
    m_prw = new TKivFillBackground(this);
    m_prw->setObjectName(QStringLiteral("Prw"));
    m_prw->setGeometry(411, 65, 17, 57);
    m_prw->setBackground(m_grd);

    m_txtimg = new QLabel(QStringLiteral("(none)"), this);
    m_txtimg->setObjectName(QStringLiteral("txtimg"));
    m_txtimg->setGeometry(111, 147, 225, 13);
    m_txtimg->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

    m_obr = new QCheckBox(QStringLiteral("Zobrazovat obrázek"), this);
    m_obr->setObjectName(QStringLiteral("Obr"));
    m_obr->setGeometry(117, 171, 121, 17);

    m_roz = new QRadioButton(QStringLiteral("Roztáhnout"), this);
    m_roz->setObjectName(QStringLiteral("Roz"));
    m_roz->setGeometry(253, 179, 81, 17);
    m_roz->setChecked(true);
    m_vdl = new QRadioButton(QStringLiteral("Vedle sebe"), this);
    m_vdl->setObjectName(QStringLiteral("Vdl"));
    m_vdl->setGeometry(253, 197, 81, 17);

    // The title, its font and colours, the picture, then OK; the box, the check box
    // and the two choices keep their order among them.
    QWidget *order[] = {m_edt, m_buttons[0], m_buttons[1], m_buttons[2], m_obr, m_buttons[4], m_roz, m_vdl, m_buttons[3]};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
}

QToolButton *TFrmNzvCD::button(int number) const
{
    return number >= 1 && number <= 5 ? m_buttons[number - 1] : nullptr;
}

SpineBand &TFrmNzvCD::CDL() const
{
    return m_page->CDL();
}

SpineBand &TFrmNzvCD::CDR() const
{
    return m_page->CDR();
}

void TFrmNzvCD::showEvent(QShowEvent *event)
{
    if (!m_placed) {
        m_placed = true;
        placeWindow(this, placementKey());
    }
    QWidget::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TFrmNzvCD::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    if (!event->spontaneous())
        saveWindowPlacement(this, placementKey());
}

void TFrmNzvCD::showTitleFont()
{
    const ItemFont &font = CDL().titleFont();
    m_txt->setFont(font.toQFont(100));
    QPalette pal = m_txt->palette();
    pal.setColor(QPalette::WindowText, resolveColor(font.color));
    m_txt->setPalette(pal);
}

void TFrmNzvCD::FormShow()
{
    if (!m_page)
        return;
    runCommand(this, [&] {
        showTitleFont();
        // A different caption runs EdtChange, which writes it back to both bands.
        m_edt->setText(CDL().caption());
        m_txt->setText(m_edt->text());

        m_grd->gradient()->setBeginColor(CDL().gradient().EndColor);
        m_grd->gradient()->setEndColor(CDL().gradient().StartColor);

        if (m_state->remembered().imgLR == TKivRegEntry::MissingString())
            m_state->rememberPath(QString::fromLatin1(SpinePictureState::kNone));
        m_txtimg->setText(m_state->remembered().imgLR);

        const bool gradientShown = CDL().gradient().Visible;
        // A real change runs the switch procedure (Obr follows it). A picture that
        // fails to load there ends the showing: the status line keeps the base.
        m_state->setPictureSwitch(!gradientShown);

        if (m_state->rememberedSideFileExists())
            m_txtimg->setText(QString::fromUtf8(gradientShown ? kSavedHidden : kSavedShown));
        else
            m_txtimg->setText(QString::fromUtf8(kNotSaved));

        if (CDL().backImageMode() == BackImageMode::pbmStretch)
            m_roz->setChecked(true);
        else
            m_vdl->setChecked(true);
    });
}

void TFrmNzvCD::EdtChange()
{
    if (!m_page)
        return;
    const QString text = m_edt->text();
    CDL().setCaption(text);
    CDR().setCaption(text);
    m_txt->setText(text);
}

void TFrmNzvCD::RxSpeedButton1Click()
{
    FontDialog dialog(this);
    dialog.setObjectName(QStringLiteral("FontDialog1"));
    dialog.setItemFont(CDL().titleFont());
    if (dialog.exec() == QDialog::Accepted) {
        const ItemFont font = dialog.itemFont();
        CDL().setTitleFont(font);
        CDR().setTitleFont(font);
        showTitleFont();
    }
    // Confirmed or not, as the font button always did.
    emit changed();
}

void TFrmNzvCD::chooseColor(bool first)
{
    TKivGradient *sample = m_grd->gradient();
    QColorDialog dialog(this);
    dialog.setObjectName(QStringLiteral("ColorDialog1"));
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    dialog.setCurrentColor(resolveColor(first ? sample->beginColor() : sample->endColor()));
    if (dialog.exec() != QDialog::Accepted)
        return;
    const ColorRef color = toColorRef(dialog.selectedColor());
    // The first colour is the top of the band, which the band keeps as EndColor.
    if (first) {
        sample->setBeginColor(color);
        CDL().setEndColor(color);
        CDR().setEndColor(color);
    } else {
        sample->setEndColor(color);
        CDL().setStartColor(color);
        CDR().setStartColor(color);
    }
    emit changed();
}

void TFrmNzvCD::RxSpeedButton2Click()
{
    chooseColor(true);
}

void TFrmNzvCD::RxSpeedButton3Click()
{
    chooseColor(false);
}

void TFrmNzvCD::RxSpeedButton4Click()
{
    // Every change took effect when it was made; there is nothing to apply.
    close();
}

void TFrmNzvCD::RxSpeedButton5Click()
{
    const QString chosen =
        m_openPicture ? m_openPicture(this) : runOpenPictureDialog(this, openPictureFilters());
    if (chosen.isEmpty())
        return;
    const QString path = QFileInfo(chosen).absoluteFilePath();
    m_txtimg->setText(path);
    // The switch procedure, if it runs, sets the status line; otherwise the path stays.
    if (runCommand(this, [&] { m_state->choosePicture(path); }))
        emit changed();
}

void TFrmNzvCD::ObrClick()
{
    const bool on = m_obr->isChecked();
    runCommand(this, [&] { m_state->setPictureSwitch(on); });
}

void TFrmNzvCD::switchProcedureRan(bool pictureMode, const QString &base, bool completed)
{
    // When the project file set the switch, the check box follows (its handler
    // then finds nothing to do).
    m_obr->setChecked(pictureMode);
    if (pictureMode) {
        m_txtimg->setText(base);
        if (!completed)
            return; // the failed load leaves the base on show
        m_txtimg->setText(QString::fromUtf8(m_state->rememberedSideFileExists() ? kSavedShown : kNotSaved));
        return;
    }
    m_txtimg->setText(QString::fromUtf8(m_state->rememberedSideFileExists() ? kSavedHidden : kNotSaved));
}

void TFrmNzvCD::RozClick()
{
    m_state->setStretchChoice(true);
    CDR().setBackImageMode(BackImageMode::pbmStretch);
    CDL().setBackImageMode(BackImageMode::pbmStretch);
}

void TFrmNzvCD::VdlClick()
{
    m_state->setStretchChoice(false);
    CDR().setBackImageMode(BackImageMode::pbmTile);
    CDL().setBackImageMode(BackImageMode::pbmTile);
}

} // namespace korvel

namespace korvel {

void TFrmNzvCD::keyPressEvent(QKeyEvent *event)
{
    // Escape closes the window as its close button does: what was typed stays.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace korvel

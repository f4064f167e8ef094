#include "app/LabelEditors.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFrame>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QToolButton>

#include "controls/Cp1250Validator.h"
#include "controls/EnterClicksFilter.h"
#include "controls/UndoKeyFilter.h"
#include "controls/WindowKeyFilter.h"
#include "dialogs/ErrorBox.h"
#include "dialogs/FontDialog.h"
#include "project/CoverDocument.h"
#include "project/CoverPage.h"
#include "settings/DiscSheetStore.h"

namespace korvel {

namespace {

// Below a text's box: whether it runs along the rim, on which circle, and whether it
// follows the cover.
constexpr int kSecondLine = 25;
// The label's own choices, below the texts' rows, one line each.
constexpr int kGroupGap = 4;
constexpr int kLinePitch = 26;
constexpr int kCaptionWidth = 50;
constexpr int kFieldLeft = 52;

// Typing keys of the label's boxes and fields, apart from the cover's.
constexpr int kTypingKey = 400;

const char *const kLabelKinds[] = {"117 mm, otvor 41 mm (samolepky na archu A4)", "118 mm, otvor 22 mm (potisknutelný disk)",
                                   "Vlastní rozměr"};
const char *const kSheets[] = {"A4, jedna etiketa uprostřed", "A4, dvě etikety", "Potisknutelný disk 120 × 120 mm"};
// The first item of the user's own sheets in the sheet list.
constexpr int kOwnSheets = 100;

QDoubleSpinBox *millimetres(QWidget *parent, const char *name, const QString &spoken, double from, double to)
{
    auto *box = new QDoubleSpinBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setAccessibleName(spoken);
    box->setDecimals(1);
    box->setSingleStep(0.1);
    box->setRange(from, to);
    box->setSuffix(QStringLiteral(" mm"));
    // A value is taken when typed whole (Enter, leaving the box) or stepped.
    box->setKeyboardTracking(false);
    return box;
}

QLabel *caption(QWidget *parent, const QString &text, QWidget *buddy)
{
    auto *label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

void setValueQuietly(QDoubleSpinBox *box, double value)
{
    if (box->value() == value)
        return;
    const QSignalBlocker quiet(box);
    box->setValue(value);
}

void setCheckedQuietly(QAbstractButton *button, bool checked)
{
    if (button->isChecked() == checked)
        return;
    const QSignalBlocker quiet(button);
    button->setChecked(checked);
}

} // namespace

LabelEditors::LabelEditors(CoverDocument &document, QWidget *canvas, QWidget *dialogParent)
    : QObject(canvas)
    , m_document(document)
    , m_dialogParent(dialogParent)
{
    build(canvas);
    place();
    showLabel();
    // The label moves with its sheet, and shows what follows the cover at once.
    connect(&m_document.label(), &CoverPage::layoutChanged, this, &LabelEditors::place);
    connect(&m_document.label(), &CoverPage::changed, this, &LabelEditors::showLabel);
    for (auto signal : {&CoverDocument::replaced, &CoverDocument::applied, &CoverDocument::rewritten})
        connect(&m_document, signal, this, &LabelEditors::showLabel);
}

void LabelEditors::build(QWidget *canvas)
{
    const SheetLayout &layout = m_document.label().layout();
    const auto add = [this](QWidget *control) {
        m_controls << control;
        return control;
    };
    for (int text = 0; text < disc::kTextCount; ++text) {
        const ControlRow &r = layout.controls[std::size_t(text)];
        const QString label = itemLabel(QString::fromLatin1(r.code));
        Row &row = m_rows[std::size_t(text)];
        if (r.editBox) {
            auto *box = new QLineEdit(canvas);
            box->setObjectName(QString::fromLatin1(r.editBox));
            box->setAccessibleName(label);
            auto *validator = new Cp1250Validator(box);
            connect(validator, &Cp1250Validator::dropped, this,
                    [this](const QString &characters) { emit notice(droppedCharactersNotice(characters)); });
            box->setValidator(validator);
            // What the user writes is the label's own: it follows the cover no more.
            connect(box, &QLineEdit::textEdited, this, [this, text, box] {
                m_document.nextChangeIsTyping(kTypingKey + text);
                m_document.setLabelText(text, box->text());
            });
            UndoKeyFilter::install(box);
            WindowKeyFilter::install(box, ItemEditors::itemKeys(), true);
            m_boxes[std::size_t(text)] = box;
            row.edit = box;
        } else {
            QToolButton *edit = ItemEditors::makeWindowButton(canvas, layout.windowButtons[0]);
            connect(edit, &QToolButton::clicked, this, &LabelEditors::editLowerText);
            row.edit = edit;
        }
        ItemEditors::setItemRow(add(row.edit), this, text);

        row.font = ItemEditors::makeFontButton(canvas, QStringLiteral("DiscRxSpeedButton%1").arg(text + 1), label);
        ItemEditors::setItemRow(add(row.font), this, text);
        connect(row.font, &QToolButton::clicked, this, [this, text] { fontButtonClicked(text); });

        // A click on an alignment does what its key does.
        const auto aligned = [this, text](Alignment a) {
            using Key = ItemEditors::ItemKey;
            itemKey(text, a == Alignment::Left ? Key::Left : a == Alignment::Right ? Key::Right : Key::Center);
        };
        row.panel = ItemEditors::makeAlignmentPanel(canvas, text + 1, label, aligned, QStringLiteral("Disc"));
        add(row.panel);
        for (QToolButton *button : row.panel->findChildren<QToolButton *>())
            ItemEditors::setItemRow(button, this, text);

        row.arc = new QCheckBox(QStringLiteral("po obvodu"), canvas);
        row.arc->setObjectName(QStringLiteral("DiscArc%1").arg(text + 1));
        row.arc->setAccessibleName(QStringLiteral("%1 – po obvodu").arg(label));
        row.arc->setToolTip(QStringLiteral("Text běží po obvodu disku místo rovně"));
        ItemEditors::setItemRow(add(row.arc), this, text);
        connect(row.arc, &QCheckBox::toggled, this, [this, text](bool arc) {
            changeGeometry([text, arc](DiscGeometry &g) { g.texts[std::size_t(text)].arc = arc; });
        });
        row.radius = millimetres(canvas, "", QStringLiteral("%1 – poloměr").arg(label), 0, 60);
        row.radius->setObjectName(QStringLiteral("DiscRadius%1").arg(text + 1));
        row.radius->setToolTip(QStringLiteral("Poloměr, na kterém stojí účaří prvního řádku"));
        ItemEditors::setItemRow(add(row.radius), this, text);
        connect(row.radius, &QDoubleSpinBox::valueChanged, this, [this, text](double mm) {
            changeGeometry([text, mm](DiscGeometry &g) { g.texts[std::size_t(text)].radius = int(std::lround(mm * 10)); });
        });
        if (followedText(text) >= 0) {
            row.follows = new QCheckBox(QStringLiteral("jako na obalu"), canvas);
            row.follows->setObjectName(QStringLiteral("DiscFollows%1").arg(text + 1));
            row.follows->setAccessibleName(QStringLiteral("%1 – jako na obalu").arg(label));
            row.follows->setToolTip(text == disc::kTitle ? QStringLiteral("Stejný text jako Nadpis na obalu")
                                                         : QStringLiteral("Stejný text jako Horní nadpis na obalu"));
            ItemEditors::setItemRow(add(row.follows), this, text);
            connect(row.follows, &QCheckBox::toggled, this,
                    [this, text](bool follows) { m_document.setLabelFollows(text, follows); });
        }
    }

    // The label's size.
    m_labelKind = new QComboBox(canvas);
    m_labelKind->setObjectName(QStringLiteral("DiscLabelKind"));
    m_labelKind->setAccessibleName(QStringLiteral("Rozměr etikety"));
    for (const char *kind : kLabelKinds)
        m_labelKind->addItem(QString::fromUtf8(kind));
    m_labelCaption = caption(canvas, QStringLiteral("&Etiketa:"), m_labelKind);
    add(m_labelCaption);
    add(m_labelKind);
    connect(m_labelKind, &QComboBox::activated, this, [this](int index) {
        changeGeometry([index](DiscGeometry &g) {
            if (DiscGeometry::Label(index) == DiscGeometry::Label::Own) {
                // The user's own size starts from the size shown.
                g.ownOuter = g.outer();
                g.ownHole = g.hole();
            }
            g.label = DiscGeometry::Label(index);
        });
    });
    m_outer = millimetres(canvas, "DiscOuter", QStringLiteral("Průměr etikety"), DiscGeometry::kMinOuter / 10.0,
                          DiscGeometry::kMaxOuter / 10.0);
    m_hole = millimetres(canvas, "DiscHole", QStringLiteral("Průměr otvoru"), DiscGeometry::kMinHole / 10.0,
                         DiscGeometry::kMaxHole / 10.0);
    m_outerCaption = caption(canvas, QStringLiteral("Průměr:"), m_outer);
    m_holeCaption = caption(canvas, QStringLiteral("otvor:"), m_hole);
    for (QWidget *w : {static_cast<QWidget *>(m_outerCaption), static_cast<QWidget *>(m_outer),
                       static_cast<QWidget *>(m_holeCaption), static_cast<QWidget *>(m_hole)})
        add(w);
    connect(m_outer, &QDoubleSpinBox::valueChanged, this, [this](double mm) {
        changeGeometry([mm](DiscGeometry &g) { g.ownOuter = int(std::lround(mm * 10)); });
    });
    connect(m_hole, &QDoubleSpinBox::valueChanged, this, [this](double mm) {
        changeGeometry([mm](DiscGeometry &g) { g.ownHole = int(std::lround(mm * 10)); });
    });

    // The sheet, the user's own among them, and the centres of two labels.
    m_sheet = new QComboBox(canvas);
    m_sheet->setObjectName(QStringLiteral("DiscSheet"));
    m_sheet->setAccessibleName(QStringLiteral("Arch"));
    m_sheetCaption = caption(canvas, QStringLiteral("&Arch:"), m_sheet);
    add(m_sheetCaption);
    add(m_sheet);
    fillSheets();
    connect(m_sheet, &QComboBox::activated, this, &LabelEditors::sheetChosen);
    m_centreX = millimetres(canvas, "DiscCentreX", QStringLiteral("Střed etiket zleva"), 0, 210);
    m_firstY = millimetres(canvas, "DiscCentreY1", QStringLiteral("Střed první etikety shora"), 0, 297);
    m_secondY = millimetres(canvas, "DiscCentreY2", QStringLiteral("Střed druhé etikety shora"), 0, 297);
    m_centresCaption = caption(canvas, QStringLiteral("Středy:"), m_centreX);
    add(m_centresCaption);
    for (QDoubleSpinBox *box : {m_centreX, m_firstY, m_secondY}) {
        box->setToolTip(QStringLiteral("Střed etiket na archu, měřeno od levého horního rohu papíru"));
        add(box);
    }
    connect(m_centreX, &QDoubleSpinBox::valueChanged, this,
            [this](double mm) { changeGeometry([mm](DiscGeometry &g) { g.twoX = int(std::lround(mm * 10)); }); });
    connect(m_firstY, &QDoubleSpinBox::valueChanged, this,
            [this](double mm) { changeGeometry([mm](DiscGeometry &g) { g.twoFirstY = int(std::lround(mm * 10)); }); });
    connect(m_secondY, &QDoubleSpinBox::valueChanged, this,
            [this](double mm) { changeGeometry([mm](DiscGeometry &g) { g.twoSecondY = int(std::lround(mm * 10)); }); });
    m_saveSheet = new QToolButton(canvas);
    m_saveSheet->setObjectName(QStringLiteral("DiscSaveSheet"));
    m_saveSheet->setText(QStringLiteral("Uložit arch…"));
    m_saveSheet->setAccessibleName(QStringLiteral("Uložit arch mezi vlastní"));
    m_saveSheet->setToolTip(QStringLiteral("Uloží rozměr a středy etiket jako vlastní arch, nabízený u každého projektu"));
    m_saveSheet->setFocusPolicy(Qt::TabFocus);
    EnterClicksFilter::install(m_saveSheet);
    add(m_saveSheet);
    connect(m_saveSheet, &QToolButton::clicked, this, &LabelEditors::saveSheet);

    // The picture.
    m_frontPicture = new QRadioButton(QStringLiteral("Stejný jako přední strana"), canvas);
    m_frontPicture->setObjectName(QStringLiteral("DiscPictureFront"));
    m_frontPicture->setAccessibleName(QStringLiteral("Obrázek disku stejný jako přední strana"));
    m_ownPicture = new QRadioButton(QStringLiteral("Vlastní"), canvas);
    m_ownPicture->setObjectName(QStringLiteral("DiscPictureOwn"));
    m_ownPicture->setAccessibleName(QStringLiteral("Vlastní obrázek disku"));
    auto *group = new QButtonGroup(this);
    group->addButton(m_frontPicture);
    group->addButton(m_ownPicture);
    m_pictureCaption = caption(canvas, QStringLiteral("Obrázek:"), m_frontPicture);
    add(m_pictureCaption);
    add(m_frontPicture);
    add(m_ownPicture);
    connect(m_frontPicture, &QRadioButton::toggled, this, [this](bool front) {
        if (!m_showing)
            m_document.setLabelOwnPicture(!front);
    });
    m_choosePicture = new QToolButton(canvas);
    m_choosePicture->setObjectName(QStringLiteral("DiscPictureChoose"));
    m_choosePicture->setText(QStringLiteral("Vybrat…"));
    m_choosePicture->setAccessibleName(QStringLiteral("Vybrat obrázek disku"));
    m_choosePicture->setToolTip(QStringLiteral("Vlastní obrázek disku ze souboru"));
    m_choosePicture->setFocusPolicy(Qt::TabFocus);
    EnterClicksFilter::install(m_choosePicture);
    add(m_choosePicture);
    connect(m_choosePicture, &QToolButton::clicked, this, &LabelEditors::choosePicture);

    // The user's own choice, for every project.
    m_cutCircles = new QCheckBox(QStringLiteral("Tisknout kruhy pro ořez"), canvas);
    m_cutCircles->setObjectName(QStringLiteral("DiscCutCircles"));
    m_cutCircles->setAccessibleName(QStringLiteral("Tisknout kruhy pro ořez"));
    m_cutCircles->setToolTip(QStringLiteral("Tenká šedá kružnice po okraji etikety a kolem otvoru, podle které se stříhá "
                                            "(platí pro všechny projekty)"));
    m_cutCircles->setChecked(DiscSheetStore::cutCircles());
    add(m_cutCircles);
    connect(m_cutCircles, &QCheckBox::toggled, this, [this](bool print) {
        QString error;
        if (!DiscSheetStore::setCutCircles(print, &error))
            emit notice(error);
        emit cutCirclesChanged(print);
    });
}

void LabelEditors::place()
{
    const SheetLayout &layout = m_document.label().layout();
    const int toolbar = layout.controlsTop;
    int left = 0, top = 0;
    for (int text = 0; text < disc::kTextCount; ++text) {
        const ControlRow &r = layout.controls[std::size_t(text)];
        Row &row = m_rows[std::size_t(text)];
        const int rowTop = r.fontTop + 1;
        if (text == 0) {
            left = r.fontLeft - 190;
            top = rowTop;
        }
        if (r.editBox)
            row.edit->setGeometry(r.editLeft, r.editTop - toolbar, r.editWidth, 22);
        else
            row.edit->setGeometry(layout.windowButtons[0].left, layout.windowButtons[0].top, layout.windowButtons[0].width,
                                  layout.windowButtons[0].height);
        row.font->move(r.fontLeft, r.fontTop);
        row.panel->move(r.panelLeft, r.panelTop - toolbar);
        const int second = rowTop + kSecondLine;
        row.arc->setGeometry(left, second, 86, 22);
        row.radius->setGeometry(left + 88, second, 78, 22);
        if (row.follows)
            row.follows->setGeometry(left + 170, second, 125, 22);
    }
    const int group = top + disc::kTextCount * 56 + kGroupGap;
    const auto line = [&](int n) { return group + n * kLinePitch; };
    m_labelCaption->setGeometry(left, line(0), kCaptionWidth, 22);
    m_labelKind->setGeometry(left + kFieldLeft, line(0), 300, 22);
    m_outerCaption->setGeometry(left, line(1), kCaptionWidth, 22);
    m_outer->setGeometry(left + kFieldLeft, line(1), 84, 22);
    m_holeCaption->setGeometry(left + kFieldLeft + 90, line(1), 48, 22);
    m_hole->setGeometry(left + kFieldLeft + 140, line(1), 84, 22);
    m_centresCaption->setGeometry(left, line(3), kCaptionWidth, 22);
    m_sheetCaption->setGeometry(left, line(2), kCaptionWidth, 22);
    m_sheet->setGeometry(left + kFieldLeft, line(2), 300, 22);
    m_centreX->setGeometry(left + kFieldLeft, line(3), 80, 22);
    m_firstY->setGeometry(left + kFieldLeft + 82, line(3), 80, 22);
    m_secondY->setGeometry(left + kFieldLeft + 164, line(3), 80, 22);
    m_saveSheet->setGeometry(left + kFieldLeft, line(4), 110, 22);
    m_pictureCaption->setGeometry(left, line(5), kCaptionWidth, 22);
    m_frontPicture->setGeometry(left + kFieldLeft, line(5), 200, 22);
    m_ownPicture->setGeometry(left + kFieldLeft, line(6), 80, 22);
    m_choosePicture->setGeometry(left + kFieldLeft + 84, line(6), 80, 22);
    m_cutCircles->setGeometry(left, line(7), 250, 22);
}

void LabelEditors::setVisible(bool visible)
{
    for (QWidget *control : m_controls)
        control->setVisible(visible);
}

void LabelEditors::showLabel()
{
    m_showing = true;
    const CoverPage &label = m_document.label();
    const DiscChoices &disc = m_document.disc();
    const DiscGeometry &g = disc.geometry;
    for (int text = 0; text < disc::kTextCount; ++text) {
        const Row &row = m_rows[std::size_t(text)];
        const TextItem &item = label.items()[std::size_t(text)];
        if (QLineEdit *box = m_boxes[std::size_t(text)]; box && box->text() != item.text()) {
            const QSignalBlocker quiet(box);
            box->setText(item.text());
        }
        ItemEditors::showAlignment(row.panel, item.alignment());
        setCheckedQuietly(row.arc, g.texts[std::size_t(text)].arc);
        row.radius->setEnabled(g.texts[std::size_t(text)].arc);
        {
            const QSignalBlocker quiet(row.radius);
            row.radius->setRange(g.minRadius() / 10.0, g.maxRadius() / 10.0);
            row.radius->setValue(g.arcRadius(text) / 10.0);
        }
        if (row.follows)
            setCheckedQuietly(row.follows, disc.follows[std::size_t(text)]);
    }
    if (m_labelKind->currentIndex() != int(g.label)) {
        const QSignalBlocker quiet(m_labelKind);
        m_labelKind->setCurrentIndex(int(g.label));
    }
    const bool own = g.label == DiscGeometry::Label::Own;
    setValueQuietly(m_outer, g.outer() / 10.0);
    setValueQuietly(m_hole, g.hole() / 10.0);
    m_outer->setEnabled(own);
    m_hole->setEnabled(own);
    // The sheet: one of the user's own when a sheet of two is exactly one of them.
    int sheet = int(g.sheet);
    if (g.sheet == DiscGeometry::Sheet::A4Two) {
        const QList<OwnDiscSheet> sheets = DiscSheetStore::sheets();
        for (qsizetype i = 0; i < sheets.size(); ++i)
            if (sheets[i].outer == g.outer() && sheets[i].hole == g.hole() && sheets[i].centreX == g.twoX
                && sheets[i].firstY == g.twoFirstY && sheets[i].secondY == g.twoSecondY)
                sheet = kOwnSheets + int(i);
    }
    if (const int index = m_sheet->findData(sheet); index >= 0 && index != m_sheet->currentIndex()) {
        const QSignalBlocker quiet(m_sheet);
        m_sheet->setCurrentIndex(index);
    }
    const bool two = g.sheet == DiscGeometry::Sheet::A4Two;
    setValueQuietly(m_centreX, g.twoX / 10.0);
    setValueQuietly(m_firstY, g.twoFirstY / 10.0);
    setValueQuietly(m_secondY, g.twoSecondY / 10.0);
    for (QWidget *w : {static_cast<QWidget *>(m_centreX), static_cast<QWidget *>(m_firstY),
                       static_cast<QWidget *>(m_secondY), static_cast<QWidget *>(m_saveSheet)})
        w->setEnabled(two);
    setCheckedQuietly(m_frontPicture, !disc.ownPicture);
    setCheckedQuietly(m_ownPicture, disc.ownPicture);
    m_showing = false;
}

void LabelEditors::changeGeometry(const std::function<void(DiscGeometry &)> &change)
{
    if (m_showing)
        return;
    DiscGeometry g = m_document.disc().geometry;
    change(g);
    m_document.setDiscGeometry(g);
    showLabel(); // what the geometry brought within range
}

void LabelEditors::fillSheets()
{
    const QSignalBlocker quiet(m_sheet);
    m_sheet->clear();
    for (int i = 0; i < 3; ++i)
        m_sheet->addItem(QString::fromUtf8(kSheets[i]), i);
    const QList<OwnDiscSheet> sheets = DiscSheetStore::sheets();
    for (qsizetype i = 0; i < sheets.size(); ++i)
        m_sheet->addItem(QStringLiteral("Vlastní arch „%1“").arg(sheets[i].name), kOwnSheets + int(i));
}

void LabelEditors::sheetChosen(int index)
{
    const int chosen = m_sheet->itemData(index).toInt();
    if (chosen < kOwnSheets) {
        changeGeometry([chosen](DiscGeometry &g) { g.sheet = DiscGeometry::Sheet(chosen); });
        return;
    }
    const QList<OwnDiscSheet> sheets = DiscSheetStore::sheets();
    const qsizetype own = chosen - kOwnSheets;
    if (own >= sheets.size())
        return;
    const OwnDiscSheet s = sheets[own];
    changeGeometry([&s](DiscGeometry &g) {
        g.label = DiscGeometry::Label::Own;
        g.ownOuter = s.outer;
        g.ownHole = s.hole;
        g.sheet = DiscGeometry::Sheet::A4Two;
        g.twoX = s.centreX;
        g.twoFirstY = s.firstY;
        g.twoSecondY = s.secondY;
    });
}

void LabelEditors::saveSheet()
{
    bool ok = false;
    const QString name = QInputDialog::getText(m_dialogParent, QStringLiteral("Uložit arch"),
                                               QStringLiteral("Název archu (například výrobce a číslo výrobku):"),
                                               QLineEdit::Normal, QString(), &ok)
                             .trimmed();
    if (!ok || name.isEmpty())
        return;
    const DiscGeometry &g = m_document.disc().geometry;
    QString error;
    if (!DiscSheetStore::saveSheet(OwnDiscSheet{name, g.outer(), g.hole(), g.twoX, g.twoFirstY, g.twoSecondY}, &error)) {
        showErrorBox(m_dialogParent, error);
        return;
    }
    fillSheets();
    showLabel();
    emit notice(QStringLiteral("Arch „%1“ je uložen mezi vlastní.").arg(name));
}

void LabelEditors::fontButtonClicked(int text)
{
    TextItem &item = m_document.label().items()[std::size_t(text)];
    FontDialog dialog(m_dialogParent);
    dialog.setItemFont(item.font());
    if (dialog.exec() == QDialog::Accepted)
        item.setFont(dialog.itemFont());
}

void LabelEditors::itemKey(int row, ItemEditors::ItemKey key)
{
    if (row < 0 || row >= disc::kTextCount)
        return;
    TextItem &item = m_document.label().items()[std::size_t(row)];
    switch (key) {
    case ItemEditors::ItemKey::Font:
        fontButtonClicked(row);
        return;
    case ItemEditors::ItemKey::Left:
        item.setAlignment(Alignment::Left);
        break;
    case ItemEditors::ItemKey::Center:
        item.setAlignment(Alignment::Center);
        break;
    case ItemEditors::ItemKey::Right:
        item.setAlignment(Alignment::Right);
        break;
    }
    ItemEditors::showAlignment(m_rows[std::size_t(row)].panel, item.alignment());
}

} // namespace korvel

#include "app/ItemEditors.h"

#include <QAction>
#include <QApplication>
#include <QFrame>
#include <QLineEdit>
#include <QPainter>
#include <QToolButton>

#include "project/layouts/JewelCase.h"
#include "app/LabelEditors.h"
#include "controls/Cp1250Validator.h"
#include "controls/EnterClicksFilter.h"
#include "controls/ItemIcons.h"
#include "controls/UndoKeyFilter.h"
#include "controls/WindowKeyFilter.h"
#include "dialogs/FontDialog.h"
#include "project/CoverDocument.h"
#include "project/CoverPage.h"
#include "project/TextItem.h"

namespace korvel {

namespace {

constexpr const char *kRowProperty = "korvelItemRow";
// The editors (of the cover or the label) the item keys go to from the control.
constexpr const char *kEditorsProperty = "korvelItemEditors";
// Which side's picture the popup menu offers from the control: true for the front.
constexpr const char *kFrontProperty = "korvelFrontItem";
// The first row of the back's items.
constexpr int kFirstBackRow = 7;
// The row of the contents list, BTo, whose own window the spine's button follows.
constexpr int kContentsRow = 9;

} // namespace

ItemEditors::ItemEditors(CoverDocument &document, QWidget *canvas, QWidget *dialogParent)
    : QObject(canvas)
    , m_document(document)
    , m_dialogParent(dialogParent)
{
    // Every control of an item carries its row, so the item keys act on the item
    // whose control has the focus.
    const auto belongsTo = [this](QWidget *control, int row) {
        setItemRow(control, this, row);
        control->setProperty(kFrontProperty, row < kFirstBackRow);
    };
    // Tab goes from each box to its font and alignment buttons, then to the next box.
    QWidget *previous = nullptr;
    const auto nextInTabOrder = [&previous](QWidget *control) {
        if (previous)
            QWidget::setTabOrder(previous, control);
        previous = control;
    };
    for (int row = 0; row < int(kJewelCase.controls.size()); ++row) {
        const ControlRow &r = kJewelCase.controls[std::size_t(row)];
        const QString label = itemLabel(QString::fromLatin1(r.code));
        if (r.editBox) {
            auto *box = new QLineEdit(canvas);
            m_controls << box;
            box->setObjectName(QString::fromLatin1(r.editBox));
            box->setAccessibleName(label);
            box->setGeometry(r.editLeft, r.editTop - kJewelCase.controlsTop, r.editWidth, 22);
            auto *validator = new Cp1250Validator(box);
            connect(validator, &Cp1250Validator::dropped, this,
                    [this](const QString &characters) { emit notice(droppedCharactersNotice(characters)); });
            box->setValidator(validator);
            connect(box, &QLineEdit::textChanged, this,
                    [this, row, box] { m_document.setTextFromBox(row, box->text()); });
            // Typed letters are one undo step per run; the box's own undo is not used.
            connect(box, &QLineEdit::textEdited, this, [this, row] { m_document.nextChangeIsTyping(row); });
            UndoKeyFilter::install(box);
            WindowKeyFilter::install(box, itemKeys(), true);
            belongsTo(box, row);
            nextInTabOrder(box);
            m_editBoxes << box;
        } else {
            // The lists are edited in their own window: its button stands first.
            auto *edit = makeWindowButton(canvas, row == kContentsRow ? kJewelCase.windowButtons[0] : kJewelCase.windowButtons[1]);
            m_controls << edit;
            belongsTo(edit, row);
            nextInTabOrder(edit);
        }

        QToolButton *fontButton = makeFontButton(canvas, QStringLiteral("RxSpeedButton%1").arg(row + 1), label);
        m_controls << fontButton;
        fontButton->move(r.fontLeft, r.fontTop);
        belongsTo(fontButton, row);
        nextInTabOrder(fontButton);
        connect(fontButton, &QToolButton::clicked, this, [this, row] { fontButtonClicked(row); });

        QFrame *panel = makeAlignmentPanel(canvas, row + 1, label, [this, row](Alignment a) { alignmentClicked(row, int(a)); });
        m_controls << panel;
        panel->move(r.panelLeft, r.panelTop - kJewelCase.controlsTop);
        m_panels[std::size_t(row)] = panel;
        for (QToolButton *button : panel->findChildren<QToolButton *>()) {
            belongsTo(button, row);
            nextInTabOrder(button);
        }
        // The spine's button stands between the contents list and the information text.
        if (row == kContentsRow) {
            QToolButton *spine = makeWindowButton(canvas, kJewelCase.windowButtons[2]);
            m_controls << spine;
            spine->setProperty(kFrontProperty, false); // the spines belong to the back inlay
            nextInTabOrder(spine);
        }
    }

    connect(canvas->findChild<QToolButton *>(QStringLiteral("BEo")), &QToolButton::clicked, this, &ItemEditors::editContents);
    connect(canvas->findChild<QToolButton *>(QStringLiteral("BEit")), &QToolButton::clicked, this, &ItemEditors::editInfo);
    connect(canvas->findChild<QToolButton *>(QStringLiteral("LRBtn")), &QToolButton::clicked, this, &ItemEditors::editSpine);

    // The item keys, in the window the controls are in, for the controls of every
    // sheet: each acts on the item whose box or button has the focus, through the
    // editors that control belongs to.
    const QKeySequence keys[] = {QKeySequence(QStringLiteral("Ctrl+T")), QKeySequence(QStringLiteral("Ctrl+L")),
                                 QKeySequence(QStringLiteral("Ctrl+E")), QKeySequence(QStringLiteral("Ctrl+R"))};
    for (int command = 0; command < 4; ++command) {
        auto *action = new QAction(m_dialogParent);
        action->setShortcut(keys[command]);
        action->setShortcutContext(Qt::WindowShortcut);
        m_dialogParent->addAction(action);
        connect(action, &QAction::triggered, this, [this, command] {
            // The item whose box or button has the focus; none elsewhere.
            for (QWidget *w = QApplication::focusWidget(); w; w = w->parentWidget())
                if (const QVariant row = w->property(kRowProperty); row.isValid()) {
                    QObject *editors = w->property(kEditorsProperty).value<QObject *>();
                    if (auto *label = qobject_cast<LabelEditors *>(editors))
                        label->itemKey(row.toInt(), ItemKey(command));
                    else
                        itemKey(row.toInt(), ItemKey(command));
                    return;
                }
        });
    }
    auto *contents = new QAction(m_dialogParent);
    contents->setObjectName(QStringLiteral("EditContents"));
    contents->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+E")));
    contents->setShortcutContext(Qt::WindowShortcut);
    m_dialogParent->addAction(contents);
    connect(contents, &QAction::triggered, this, &ItemEditors::editContents);
}

void ItemEditors::itemKey(int row, ItemKey key)
{
    switch (key) {
    case ItemKey::Font:
        fontButtonClicked(row);
        break;
    case ItemKey::Left:
        alignmentClicked(row, int(Alignment::Left));
        break;
    case ItemKey::Center:
        alignmentClicked(row, int(Alignment::Center));
        break;
    case ItemKey::Right:
        alignmentClicked(row, int(Alignment::Right));
        break;
    }
}

void ItemEditors::setItemRow(QWidget *control, QObject *editors, int row)
{
    control->setProperty(kRowProperty, row);
    control->setProperty(kEditorsProperty, QVariant::fromValue(editors));
}

namespace {

// A screen reader names each control by its item ("Nadpis", "Nadpis – písmo") and
// reads the button's hint as its description.
void byKeyboard(QToolButton *button, const QString &hint, const QString &spoken)
{
    button->setFocusPolicy(Qt::TabFocus);
    button->setToolTip(hint);
    button->setAccessibleName(spoken);
    button->setAccessibleDescription(hint);
    EnterClicksFilter::install(button);
}

} // namespace

QToolButton *ItemEditors::makeFontButton(QWidget *canvas, const QString &name, const QString &label)
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSize(10);
    font.setBold(true);
    font.setItalic(true);
    auto *button = new QToolButton(canvas);
    button->setObjectName(name);
    button->resize(25, 25);
    button->setAutoRaise(true);
    button->setText(QStringLiteral("T"));
    button->setFont(font);
    button->setIcon(fontButtonIcon());
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    byKeyboard(button, QStringLiteral("Písmo (Ctrl+T)"), QStringLiteral("%1 – písmo").arg(label));
    return button;
}

QFrame *ItemEditors::makeAlignmentPanel(QWidget *canvas, int number, const QString &label,
                                        const std::function<void(Alignment)> &clicked, const QString &prefix)
{
    auto *panel = new QFrame(canvas);
    panel->setObjectName(QStringLiteral("%1Panel%2").arg(prefix).arg(number));
    panel->resize(79, 27);
    // It reaches past the sheet: it covers the sheet's shadow rather than show it through.
    panel->setAutoFillBackground(true);
    QPalette white = panel->palette();
    white.setColor(QPalette::Window, Qt::white);
    panel->setPalette(white);
    panel->setAccessibleName(QStringLiteral("%1 – zarovnání").arg(label));
    const Alignment alignments[] = {Alignment::Left, Alignment::Center, Alignment::Right};
    const char *hints[] = {"Zarovnat doleva (Ctrl+L)", "Zarovnat na střed (Ctrl+E)", "Zarovnat doprava (Ctrl+R)"};
    const char *spoken[] = {"zarovnat vlevo", "zarovnat na střed", "zarovnat vpravo"};
    for (int i = 0; i < 3; ++i) {
        auto *button = new QToolButton(panel);
        button->setObjectName(QStringLiteral("%1SpeedButton%2").arg(prefix).arg(3 * (number - 1) + i + 1));
        button->setGeometry(2 + 25 * i, 1, 25, 25);
        button->setAutoRaise(true);
        button->setIcon(alignmentIcon(int(alignments[i])));
        byKeyboard(button, QString::fromUtf8(hints[i]), QStringLiteral("%1 – %2").arg(label, QString::fromUtf8(spoken[i])));
        // Shows the item's alignment: the button of the current one stays pressed.
        // Not an exclusive group, which Tab would visit as one stop.
        button->setCheckable(true);
        const Alignment alignment = alignments[i];
        connect(button, &QToolButton::clicked, panel, [clicked, alignment] { clicked(alignment); });
    }
    return panel;
}

void ItemEditors::showAlignment(QFrame *panel, Alignment alignment)
{
    const int pressed = alignment == Alignment::Left ? 0 : alignment == Alignment::Center ? 1 : 2;
    const QList<QToolButton *> buttons = panel->findChildren<QToolButton *>(Qt::FindDirectChildrenOnly);
    for (qsizetype i = 0; i < buttons.size(); ++i)
        if (buttons[i]->isChecked() != (i == pressed))
            buttons[i]->setChecked(i == pressed);
}

QList<QKeySequence> ItemEditors::itemKeys()
{
    return {QKeySequence(QStringLiteral("Ctrl+T")), QKeySequence(QStringLiteral("Ctrl+L")),
            QKeySequence(QStringLiteral("Ctrl+E")), QKeySequence(QStringLiteral("Ctrl+R")),
            QKeySequence(QStringLiteral("Ctrl+Shift+E"))};
}

QToolButton *ItemEditors::makeWindowButton(QWidget *canvas, const WindowButton &w)
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSize(9);
    font.setBold(true);
    font.setItalic(true);
    auto *button = new QToolButton(canvas);
    button->setObjectName(QString::fromLatin1(w.name));
    button->setGeometry(w.left, w.top, w.width, w.height);
    button->setAutoRaise(true);
    button->setText(QStringLiteral(" Editace"));
    button->setFont(font);
    button->setIcon(editIcon());
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    QPalette pal = button->palette();
    pal.setColor(QPalette::ButtonText, QColor(0, 0, 128));
    button->setPalette(pal);
    button->setFocusPolicy(Qt::TabFocus);
    button->setToolTip(QString::fromUtf8(w.hint));
    button->setAccessibleName(QString::fromUtf8(w.spoken));
    button->setAccessibleDescription(button->toolTip());
    EnterClicksFilter::install(button);
    return button;
}

std::string_view ItemEditors::pictureOf(const QWidget *control)
{
    for (const QWidget *w = control; w; w = w->parentWidget())
        if (const QVariant front = w->property(kFrontProperty); front.isValid())
            return front.toBool() ? "MainImg" : "BckImg";
    return {};
}

void ItemEditors::setVisible(bool visible)
{
    for (QWidget *control : m_controls)
        control->setVisible(visible);
}

QLineEdit *ItemEditors::editBox(const QString &name) const
{
    for (QLineEdit *box : m_editBoxes)
        if (box->objectName() == name)
            return box;
    return nullptr;
}

void ItemEditors::fontButtonClicked(int row)
{
    TextItem &item = m_document.page().item(QString::fromLatin1(kJewelCase.controls[std::size_t(row)].code));
    FontDialog dialog(m_dialogParent);
    dialog.setItemFont(item.font());
    if (dialog.exec() == QDialog::Accepted)
        item.setFont(dialog.itemFont());
}

void ItemEditors::alignmentClicked(int row, int alignment)
{
    m_document.page().item(QString::fromLatin1(kJewelCase.controls[std::size_t(row)].code)).setAlignment(Alignment(alignment));
    showAlignment(row); // a click on the pressed button must not release it
}

void ItemEditors::showPage()
{
    for (int row = 0; row < int(kJewelCase.controls.size()); ++row) {
        const ControlRow &r = kJewelCase.controls[std::size_t(row)];
        const TextItem &item = m_document.page().item(QString::fromLatin1(r.code));
        // An empty box shows, in grey, the text the page prints for it (the sample
        // texts of the template after New).
        if (r.editBox) {
            QLineEdit *box = editBox(QString::fromLatin1(r.editBox));
            if (box->placeholderText() != item.text())
                box->setPlaceholderText(item.text());
        }
        showAlignment(row);
    }
}

void ItemEditors::showAlignment(int row)
{
    showAlignment(m_panels[std::size_t(row)],
                  m_document.page().item(QString::fromLatin1(kJewelCase.controls[std::size_t(row)].code)).alignment());
}

void ItemEditors::showTexts()
{
    // The boxes show what the cover now holds, without their change handling.
    for (int row = 0; row < int(kJewelCase.controls.size()); ++row) {
        const ControlRow &r = kJewelCase.controls[std::size_t(row)];
        if (!r.editBox)
            continue;
        QLineEdit *box = editBox(QString::fromLatin1(r.editBox));
        const QString text = m_document.isSample(row) ? QString() : m_document.page().item(QString::fromLatin1(r.code)).text();
        if (box->text() != text) {
            const QSignalBlocker quiet(box);
            box->setText(text);
        }
    }
}

} // namespace korvel

#include "dialogs/TFrmEdit.h"

#include <QCoreApplication>
#include <QFrame>
#include <QGuiApplication>
#include <QHideEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QResizeEvent>
#include <QPlainTextDocumentLayout>
#include <QPlainTextEdit>
#include <QShowEvent>
#include <QTextBlock>
#include <QTextLayout>
#include <QTextCursor>
#include <QKeyEvent>
#include <QToolButton>
#include <QToolTip>

#include "controls/Cp1250Validator.h"
#include "controls/UndoKeyFilter.h"
#include "project/CoverPage.h"
#include "settings/Cp1250.h"
#include "project/TextItem.h"
#include "dialogs/WindowPlacement.h"

namespace korvel {

namespace {

constexpr int kClientWidth = 465;
constexpr int kClientHeight = 278;
constexpr int kPanelHeight = 36;

// A sheet of paper with a few lines on it.
void drawSheet(QPainter &p, const QRectF &r)
{
    const qreal fold = 4;
    QPainterPath path;
    path.moveTo(r.left(), r.top());
    path.lineTo(r.right() - fold, r.top());
    path.lineTo(r.right(), r.top() + fold);
    path.lineTo(r.right(), r.bottom());
    path.lineTo(r.left(), r.bottom());
    path.closeSubpath();
    p.setPen(QPen(QColor(60, 60, 60), 1));
    p.setBrush(Qt::white);
    p.drawPath(path);
    p.setPen(QPen(QColor(120, 120, 160), 1));
    for (qreal y = r.top() + 4; y < r.bottom() - 1; y += 2.5)
        p.drawLine(QPointF(r.left() + 2, y), QPointF(r.right() - 2.5, y));
}

// "Vložit text": a document with an arrow carrying the text into it.
QIcon insertIcon()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    drawSheet(p, QRectF(6.5, 1.5, 9, 13));
    p.setPen(QPen(QColor(20, 110, 30), 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(1, 9), QPointF(8, 9));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(20, 110, 30));
    p.drawPolygon(QPolygonF{{7, 5}, {11.5, 9}, {7, 13}});
    p.end();
    return QIcon(pixmap);
}

// Five lines of different lengths, flush left, centred or flush right.
QIcon alignmentIcon(Alignment alignment)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setPen(QPen(Qt::black, 1));
    const int lengths[] = {14, 8, 12, 6, 10};
    for (int i = 0; i < 5; ++i) {
        const int len = lengths[i];
        int x = 1;
        if (alignment == Alignment::Center)
            x = 1 + (14 - len) / 2;
        else if (alignment == Alignment::Right)
            x = 15 - len;
        const int y = 2 + 3 * i;
        p.drawLine(x, y, x + len - 1, y);
    }
    p.end();
    return QIcon(pixmap);
}

QIcon editorIcon()
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    drawSheet(p, QRectF(5.5, 2.5, 20, 27));
    p.setPen(QPen(QColor(180, 60, 20), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(14, 26), QPointF(28, 12));
    p.end();
    return QIcon(pixmap);
}

} // namespace

TFrmEdit::TFrmEdit(CoverPage &page, QWidget *owner)
    : QWidget(owner, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                         | Qt::MSWindowsFixedSizeDialogHint)
    , m_page(&page)
{
    setObjectName(QStringLiteral("FrmEdit"));
    setWindowTitle(QStringLiteral("Editace textu"));
    setWindowIcon(editorIcon());
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(11);
    setFont(font);
    setFixedSize(kClientWidth, kClientHeight);

    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("Text"));
    m_text->setGeometry(0, 0, kClientWidth, kClientHeight - kPanelHeight);
    m_text->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_text->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    m_text->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Undo is the cover's, step by step, not the box's letter by letter.
    m_text->setUndoRedoEnabled(false);
    m_text->setAccessibleName(windowTitle()); // until WhatEdit names the item
    UndoKeyFilter::install(m_text);

    m_panel = new QFrame(this);
    m_panel->setObjectName(QStringLiteral("Panel1"));
    m_panel->setGeometry(0, kClientHeight - kPanelHeight, kClientWidth, kPanelHeight);
    m_panel->setFrameShape(QFrame::Panel);
    m_panel->setFrameShadow(QFrame::Raised);

    struct ButtonPlace {
        const char *name;
        QRect rect;
    };
    const ButtonPlace places[4] = {
        {"SpeedButton1", QRect(118, 6, 121, 25)},
        {"SpeedButton2", QRect(254, 6, 28, 25)},
        {"SpeedButton3", QRect(286, 6, 28, 25)},
        {"SpeedButton4", QRect(318, 6, 28, 25)},
    };
    for (int i = 0; i < 4; ++i) {
        auto *button = new QToolButton(m_panel);
        button->setObjectName(QString::fromLatin1(places[i].name));
        button->setGeometry(places[i].rect);
        button->setFocusPolicy(Qt::NoFocus); // picture buttons: the caret stays in Text
        button->setIconSize(QSize(16, 16));
        m_buttons[i] = button;
    }
    SpeedButton1()->setText(QStringLiteral("Vložit text"));
    SpeedButton1()->setIcon(insertIcon());
    SpeedButton1()->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    SpeedButton1()->setToolTip(QStringLiteral("Vložit text a zavřít okno (Esc)"));
    SpeedButton2()->setIcon(alignmentIcon(Alignment::Left));
    SpeedButton3()->setIcon(alignmentIcon(Alignment::Center));
    SpeedButton4()->setIcon(alignmentIcon(Alignment::Right));
    // Pictures only: a screen reader reads these names, and the hints as descriptions.
    const struct {
        QToolButton *button;
        const char *spoken, *hint;
        const char *key;
    } alignments[] = {{SpeedButton2(), "Zarovnat vlevo", "Zarovnat doleva", "Ctrl+L"},
                      {SpeedButton3(), "Zarovnat na střed", "Zarovnat na střed", "Ctrl+E"},
                      {SpeedButton4(), "Zarovnat vpravo", "Zarovnat doprava", "Ctrl+R"}};
    // The buttons take no focus, so the caret stays in Text; their keys are the main
    // window's keys for the same alignments (see eventFilter).
    for (const auto &a : alignments) {
        const QKeySequence key(QString::fromLatin1(a.key));
        a.button->setAccessibleName(QString::fromUtf8(a.spoken));
        a.button->setToolTip(QStringLiteral("%1 (%2)").arg(QString::fromUtf8(a.hint), key.toString(QKeySequence::NativeText)));
        m_alignmentKeys.append({key, a.button});
    }
    m_text->installEventFilter(this);
    for (QToolButton *b : m_buttons)
        b->setAccessibleDescription(b->toolTip());
    // The button of the item's alignment stays pressed.
    for (QToolButton *b : {SpeedButton2(), SpeedButton3(), SpeedButton4()}) {
        b->setCheckable(true);
        b->setAutoExclusive(true);
    }

    m_readTracks = new QToolButton(m_panel);
    m_readTracks->setObjectName(QStringLiteral("ReadTracks"));
    m_readTracks->setGeometry(352, 6, 105, 25);
    m_readTracks->setText(QStringLiteral("Načíst skladby…"));
    m_readTracks->setToolTip(QStringLiteral("Obsah, nadpisy a obrázek ze složky s hudbou, souboru CUE nebo seznamu skladeb"));
    m_readTracks->setAccessibleDescription(m_readTracks->toolTip());
    m_readTracks->hide();
    connect(m_readTracks, &QToolButton::clicked, this, &TFrmEdit::readTracks);

    // An alignment chosen in the main window, for the item this window edits, shows
    // here too.
    connect(&page, &CoverPage::changed, this, &TFrmEdit::showAlignment);
    connect(m_text, &QPlainTextEdit::textChanged, this, &TFrmEdit::TextChange);
    connect(SpeedButton1(), &QToolButton::clicked, this, &TFrmEdit::SpeedButton1Click);
    connect(SpeedButton2(), &QToolButton::clicked, this, &TFrmEdit::SpeedButton2Click);
    connect(SpeedButton3(), &QToolButton::clicked, this, &TFrmEdit::SpeedButton3Click);
    connect(SpeedButton4(), &QToolButton::clicked, this, &TFrmEdit::SpeedButton4Click);
}

TFrmEdit::~TFrmEdit()
{
    // Destroying Text must not write anything into a page that may already be gone.
    disconnect(m_text, nullptr, this, nullptr);
    if (isVisible())
        savePlacement();
}

QString TFrmEdit::placementKey()
{
    return QStringLiteral("Placement/TFrmEdit");
}

void TFrmEdit::WhatEdit(int target)
{
    m_target = target;
    m_readTracks->setVisible(target == kTargetContents);
    // Named after the item it edits, for a screen reader.
    m_text->setAccessibleName(target == kTargetContents ? itemLabel(QStringLiteral("BTo"))
                              : target == kTargetInfo   ? itemLabel(QStringLiteral("BTit"))
                              : target == kTargetLabel  ? itemLabel(QStringLiteral("DTdt"))
                                                        : windowTitle());
}

TextItem *TFrmEdit::targetItem() const
{
    if (!m_page)
        return nullptr;
    switch (m_target) {
    case kTargetContents:
        return m_page->findItem(QStringLiteral("BTo"));
    case kTargetInfo:
        return m_page->findItem(QStringLiteral("BTit"));
    case kTargetLabel:
        return m_page->findItem(QStringLiteral("DTdt"));
    default:
        return nullptr;
    }
}

void TFrmEdit::syncWrapWidth() const
{
    // A widget that is not on screen gets its resize event only when it is shown;
    // until then Text's viewport is not laid out and Text does not wrap at all.
    // Deliver the pending resize events now, as showing would: Text's own lays out
    // its viewport, and the viewport's makes Text re-wrap at the viewport's width.
    m_text->ensurePolished();
    for (QWidget *widget : {static_cast<QWidget *>(m_text), m_text->viewport()}) {
        if (!widget->testAttribute(Qt::WA_PendingResizeEvent))
            continue;
        QResizeEvent event(widget->size(), QSize());
        QCoreApplication::sendEvent(widget, &event);
        widget->setAttribute(Qt::WA_PendingResizeEvent, false);
    }
}

QStringList TFrmEdit::displayedLines() const
{
    syncWrapWidth();
    const QTextDocument *document = m_text->document();
    auto *layout = qobject_cast<QPlainTextDocumentLayout *>(document->documentLayout());
    QStringList lines;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        const QString text = block.text();
        // Blocks are laid out lazily, only when scrolled into view; the lines of
        // every block are needed here.
        if (layout)
            layout->ensureBlockLayout(block);
        const QTextLayout *textLayout = block.layout();
        if (!textLayout || textLayout->lineCount() == 0) {
            lines << text;
            continue;
        }
        for (int i = 0; i < textLayout->lineCount(); ++i) {
            const QTextLine line = textLayout->lineAt(i);
            QString piece = text.mid(line.textStart(), line.textLength());
            // A forced line break inside a paragraph ends its display line.
            piece.remove(QChar::LineSeparator);
            lines << piece;
        }
    }
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

void TFrmEdit::showEvent(QShowEvent *event)
{
    if (!m_placed) {
        // Placed once, when the window exists and its frame is known.
        m_placed = true;
        korvel::placeWindow(this, placementKey());
    }
    QWidget::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TFrmEdit::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    if (!event->spontaneous())
        savePlacement();
}

void TFrmEdit::FormShow()
{
    TextItem *item = targetItem();
    if (!item)
        return;
    showAlignment();
    const QString text = item->lines().join(QLatin1Char('\n'));
    if (text != m_text->toPlainText()) {
        // Filling Text runs TextChange, which hands the lines back as displayed.
        m_text->setPlainText(text);
    } else {
        // Text already holds the item's text, but the item may still hold a line
        // wider than the editor; hand the displayed lines over all the same, so
        // that opening the editor always leaves the item as the editor shows it.
        TextChange();
    }
}

void TFrmEdit::showAlignment()
{
    if (TextItem *item = targetItem()) {
        QToolButton *b = item->alignment() == Alignment::Left     ? SpeedButton2()
                         : item->alignment() == Alignment::Center ? SpeedButton3()
                                                                  : SpeedButton4();
        b->setChecked(true);
    }
}

void TFrmEdit::refreshFromPage()
{
    TextItem *item = targetItem();
    if (!item)
        return;
    showAlignment();
    const QString text = item->lines().join(QLatin1Char('\n'));
    if (text == m_text->toPlainText())
        return;
    const QSignalBlocker quiet(m_text);
    m_text->setPlainText(text);
}

void TFrmEdit::dropUnstorableCharacters()
{
    // What a project file cannot hold is taken out at once, where the user sees it,
    // rather than refused later when saving.
    const QString text = m_text->toPlainText();
    QString dropped;
    const QString kept = keepCp1250(text, &dropped);
    if (dropped.isEmpty())
        return;
    QTextCursor cursor = m_text->textCursor();
    const int before = int(keepCp1250(QStringView(text).left(cursor.position())).size());
    {
        const QSignalBlocker quiet(m_text);
        QTextCursor all(m_text->document());
        all.select(QTextCursor::Document);
        all.insertText(kept);
        cursor.setPosition(std::min(before, int(kept.size())));
        m_text->setTextCursor(cursor);
    }
    const QString note = droppedCharactersNotice(dropped);
    QToolTip::showText(m_text->mapToGlobal(m_text->cursorRect().bottomLeft()), note, m_text);
    emit notice(note);
}

void TFrmEdit::TextChange()
{
    dropUnstorableCharacters();
    // Only the item is written, never Text: the caret and the user's paragraphs
    // stay as they are however often this runs.
    if (TextItem *item = targetItem()) {
        emit typing();
        item->setLines(displayedLines());
        // Opening the editor already turned the flag on, but the window stays open
        // across a Save: what is typed after it must count as unsaved again.
        emit changed();
    }
}

void TFrmEdit::SpeedButton1Click()
{
    TextChange();
    close();
}

void TFrmEdit::SpeedButton2Click()
{
    if (TextItem *item = targetItem()) {
        item->setAlignment(Alignment::Left);
        showAlignment();
        emit changed();
    }
}

void TFrmEdit::SpeedButton3Click()
{
    if (TextItem *item = targetItem()) {
        item->setAlignment(Alignment::Center);
        showAlignment();
        emit changed();
    }
}

void TFrmEdit::SpeedButton4Click()
{
    if (TextItem *item = targetItem()) {
        item->setAlignment(Alignment::Right);
        showAlignment();
        emit changed();
    }
}

void TFrmEdit::savePlacement() const
{
    saveWindowPlacement(this, placementKey());
}

} // namespace korvel

namespace korvel {

bool TFrmEdit::eventFilter(QObject *watched, QEvent *event)
{
    // The alignment keys are the editor's while Text has the focus: the main window's
    // shortcuts for them, which reach this tool window too, would act on the item of
    // the main window's focus instead.
    if (watched == m_text && (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress)) {
        auto *key = static_cast<QKeyEvent *>(event);
        for (const auto &[sequence, button] : m_alignmentKeys)
            if (QKeySequence(key->keyCombination()) == sequence) {
                event->accept();
                if (event->type() == QEvent::KeyPress)
                    button->click();
                return true;
            }
    }
    return QWidget::eventFilter(watched, event);
}

void TFrmEdit::keyPressEvent(QKeyEvent *event)
{
    // Escape closes the window as its close button does: what was typed stays.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace korvel

#include "dialogs/FontDialog.h"

#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QFontInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QIntValidator>
#include <QKeyEvent>
#include <QPainter>
#include <QVBoxLayout>

#include "project/Fonts.h"
#include "project/MulDiv.h"

namespace korvel {

namespace {

// Far beyond any cover, and its pixel height still fits every computation.
constexpr int kMaxPoints = 9999;

struct NamedColor {
    const char *name;
    ColorRef color;
};

// The sixteen colours of the classic font dialog's colour list.
constexpr NamedColor kColors[] = {
    {"Černá", rgbColor(0, 0, 0)},         {"Kaštanová", rgbColor(128, 0, 0)},
    {"Zelená", rgbColor(0, 128, 0)},      {"Olivová", rgbColor(128, 128, 0)},
    {"Námořnická", rgbColor(0, 0, 128)},  {"Nachová", rgbColor(128, 0, 128)},
    {"Modrozelená", rgbColor(0, 128, 128)}, {"Šedá", rgbColor(128, 128, 128)},
    {"Stříbrná", rgbColor(192, 192, 192)}, {"Červená", rgbColor(255, 0, 0)},
    {"Limetková", rgbColor(0, 255, 0)},   {"Žlutá", rgbColor(255, 255, 0)},
    {"Modrá", rgbColor(0, 0, 255)},       {"Fuchsiová", rgbColor(255, 0, 255)},
    {"Azurová", rgbColor(0, 255, 255)},   {"Bílá", rgbColor(255, 255, 255)},
};

QIcon swatch(ColorRef color)
{
    QPixmap pixmap(16, 12);
    pixmap.fill(resolveColor(color));
    QPainter p(&pixmap);
    p.setPen(Qt::black);
    p.drawRect(0, 0, 15, 11);
    return QIcon(pixmap);
}

} // namespace

FontDialog::FontDialog(QWidget *parent)
    : QDialog(parent)
    , m_chooser(new QFontDialog(this))
    , m_colors(new QComboBox(this))
{
    setObjectName(QStringLiteral("FontDialog"));
    setWindowTitle(QStringLiteral("Písmo"));
    m_chooser->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
    m_chooser->setWindowFlags(Qt::Widget);
    // The chooser takes sizes up to 512 points only; a cover font has no such limit.
    for (QLineEdit *edit : m_chooser->findChildren<QLineEdit *>())
        if (qobject_cast<const QIntValidator *>(edit->validator()))
            edit->setValidator(new QIntValidator(1, kMaxPoints, edit));
    m_colors->setObjectName(QStringLiteral("FontColor"));
    for (const NamedColor &c : kColors)
        m_colors->addItem(swatch(c.color), QString::fromUtf8(c.name), QVariant::fromValue(quint32(c.color)));
    // Last, a command rather than a colour: any colour, from the colour dialog.
    m_colors->addItem(QStringLiteral("Vlastní…"));
    connect(m_colors, &QComboBox::activated, this, [this](int index) {
        if (index == m_colors->count() - 1)
            chooseOwnColor();
        else
            m_shownColor = index;
    });
    // Enter confirms the dialog from its size field and its colour list, as from the
    // family list, whatever the chooser would do with it.
    for (QLineEdit *edit : m_chooser->findChildren<QLineEdit *>())
        edit->installEventFilter(this);
    m_colors->installEventFilter(this);

    auto *colorRow = new QHBoxLayout;
    auto *label = new QLabel(QStringLiteral("&Barva:"), this);
    label->setBuddy(m_colors);
    colorRow->addWidget(label);
    colorRow->addWidget(m_colors);
    colorRow->addStretch();
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_chooser);
    layout->addLayout(colorRow);
    layout->addWidget(buttons);
}

void FontDialog::setItemFont(const ItemFont &font)
{
    m_original = font;
    // The chooser lists real families; "Arial" stands for Liberation Sans here.
    QFont f(resolveFontFamily(font.name));
    const int points = font.size();
    if (points > 0)
        f.setPointSize(points);
    f.setBold(font.style & fsBold);
    f.setItalic(font.style & fsItalic);
    f.setUnderline(font.style & fsUnderline);
    f.setStrikeOut(font.style & fsStrikeOut);
    m_chooser->setCurrentFont(f);

    showColor(font.color);
}

void FontDialog::showColor(ColorRef color)
{
    // A colour outside the list (the window's text colour, any other) is offered as
    // it is, just before "Vlastní…".
    int index = m_colors->findData(QVariant::fromValue(quint32(color)));
    if (index < 0) {
        const int own = int(std::size(kColors));
        if (m_colors->count() > own + 1)
            m_colors->removeItem(own);
        const QString name = color == ColorRef(0x80000008) ? QStringLiteral("Automatická")
                                                           : QStringLiteral("Vlastní (%1)").arg(resolveColor(color).name());
        m_colors->insertItem(own, swatch(color), name, QVariant::fromValue(quint32(color)));
        index = own;
    }
    m_colors->setCurrentIndex(index);
    m_shownColor = index;
}

void FontDialog::chooseOwnColor()
{
    QColorDialog dialog(this);
    dialog.setObjectName(QStringLiteral("ColorDialog"));
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    dialog.setCurrentColor(resolveColor(ColorRef(m_colors->itemData(m_shownColor).value<quint32>())));
    if (dialog.exec() == QDialog::Accepted)
        showColor(toColorRef(dialog.selectedColor()));
    else
        m_colors->setCurrentIndex(m_shownColor);
}

bool FontDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
            && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            accept();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

ItemFont FontDialog::itemFont() const
{
    const QFont f = m_chooser->currentFont();
    ItemFont chosen;
    const QString resolvedOriginal = resolveFontFamily(m_original.name);
    chosen.name = f.family() == resolvedOriginal ? m_original.name : f.family();
    chosen.setSize(f.pointSize() > 0 ? f.pointSize() : m_original.size());
    chosen.style = (f.bold() ? fsBold : 0) | (f.italic() ? fsItalic : 0) | (f.underline() ? fsUnderline : 0)
        | (f.strikeOut() ? fsStrikeOut : 0);
    chosen.color = ColorRef(m_colors->currentData().value<quint32>());
    return chosen;
}

} // namespace korvel

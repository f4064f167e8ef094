#include "dialogs/FontDialog.h"

#include <QApplication>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFontDialog>
#include <QFontInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QIntValidator>
#include <QKeyEvent>
#include <QListView>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

#include "settings/Fonts.h"
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

// Qt's font chooser, embedded in the dialog. On its own it closes itself on Enter in
// its family or style list and on Escape, which would leave the dialog around it
// blank; here every Enter confirms the whole dialog and Escape cancels it.
class EmbeddedFontChooser final : public QFontDialog {
public:
    explicit EmbeddedFontChooser(QDialog *owner)
        : QFontDialog(owner)
        , m_owner(owner)
    {
    }
    void accept() override { m_owner->accept(); }
    void reject() override { m_owner->reject(); }

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        // What the size field and the effects leave unhandled reaches the chooser.
        if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
            && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            accept();
            return;
        }
        QFontDialog::keyPressEvent(event);
    }

private:
    QDialog *m_owner;
};

// The style list shows its names in Czech; the chooser goes on finding styles by
// the names the font files give, which the list still holds.
class StyleCaptionDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QString displayText(const QVariant &value, const QLocale &) const override
    {
        return FontDialog::styleCaption(value.toString());
    }
};

struct StyleWord {
    const char *word;    // as font files write it, lower case, without spaces
    const char *caption; // UTF-8, as an adjective of "písmo"
};

// The words of style names. Weights and widths describe "písmo" (neuter); with
// "kurzíva" (feminine) they take its ending.
constexpr StyleWord kStyleWords[] = {
    {"regular", "obyčejné"}, {"normal", "obyčejné"}, {"book", "obyčejné"}, {"roman", "obyčejné"},
    {"plain", "obyčejné"}, {"thin", "tenké"}, {"hairline", "tenké"}, {"extralight", "velmi slabé"},
    {"ultralight", "velmi slabé"}, {"light", "slabé"}, {"semilight", "mírně slabé"}, {"demilight", "mírně slabé"},
    {"medium", "střední"}, {"semibold", "polotučné"}, {"demibold", "polotučné"}, {"demi", "polotučné"},
    {"bold", "tučné"}, {"extrabold", "velmi tučné"}, {"ultrabold", "velmi tučné"}, {"heavy", "černé"},
    {"black", "černé"}, {"extrablack", "velmi černé"}, {"ultrablack", "velmi černé"},
    {"condensed", "zúžené"}, {"semicondensed", "mírně zúžené"}, {"extracondensed", "silně zúžené"},
    {"ultracondensed", "silně zúžené"}, {"narrow", "zúžené"}, {"expanded", "rozšířené"},
    {"semiexpanded", "mírně rozšířené"}, {"extraexpanded", "silně rozšířené"}, {"oblique", "skloněné"},
    {"slanted", "skloněné"},
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
    , m_chooser(new EmbeddedFontChooser(this))
    , m_colors(new QComboBox(this))
{
    setObjectName(QStringLiteral("FontDialog"));
    setWindowTitle(QStringLiteral("Písmo"));
    m_chooser->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
    m_chooser->setWindowFlags(Qt::Widget);
    // The chooser's fields by where they stand in its grid: the family and style
    // lists under their fields, the size field.
    if (auto *grid = qobject_cast<QGridLayout *>(m_chooser->layout())) {
        const auto at = [grid](int row, int column) -> QWidget * {
            QLayoutItem *item = grid->itemAtPosition(row, column);
            return item ? item->widget() : nullptr;
        };
        m_familyList = qobject_cast<QListView *>(at(2, 0));
        m_styleList = qobject_cast<QListView *>(at(2, 2));
        m_styleField = qobject_cast<QLineEdit *>(at(1, 2));
        m_sizeField = qobject_cast<QLineEdit *>(at(1, 4));
    }
    // The chooser takes sizes up to 512 points only; a cover font has no such limit.
    if (m_sizeField)
        m_sizeField->setValidator(new QIntValidator(1, kMaxPoints, m_sizeField));
    m_colors->setObjectName(QStringLiteral("FontColor"));
    // Wide enough for a colour of the user's own, "Vlastní (#c03020)".
    m_colors->setSizeAdjustPolicy(QComboBox::AdjustToContents);
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
    // Enter confirms the dialog from the colour list too.
    m_colors->installEventFilter(this);

    if (m_familyList && m_styleList && m_styleField) {
        // Styles in Czech, in the list and in the field above it.
        m_styleList->setItemDelegate(new StyleCaptionDelegate(m_styleList));
        connect(m_styleField, &QLineEdit::textChanged, this, [this](const QString &text) {
            const QString caption = styleCaption(text);
            if (caption != text)
                m_styleField->setText(caption);
        });
        // Connected after the chooser's own handling of the lists, so these run once
        // the chooser has filled the style list for a new family.
        connect(m_familyList, SIGNAL(highlighted(int)), this, SLOT(familyChanged()));
        connect(m_styleList, SIGNAL(highlighted(int)), this, SLOT(styleChanged()));
        // Typing a name selects it, from the top of the list. Qt's lists would look
        // from the entry after the current one, so "Bold" typed on Bold found
        // "Bold Italic"; installed after the chooser's own filter, this one runs first.
        m_familyList->installEventFilter(this);
        m_styleList->installEventFilter(this);
    }

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
    // Tab goes through the chooser, the colour and then the buttons, as they stand.
    QWidget *ok = buttons->button(QDialogButtonBox::Ok);
    QWidget::setTabOrder(m_colors, ok);
    QWidget::setTabOrder(ok, buttons->button(QDialogButtonBox::Cancel));
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
    // The style to keep through changes of the family: the item's own.
    m_wantedWeight = (font.style & fsBold) ? QFont::Bold : QFont::Normal;
    m_wantedItalic = font.style & fsItalic;
    m_wantedWidth.clear();
    m_chooser->setCurrentFont(f);
    if (m_familyList)
        m_familyShown = m_familyList->currentIndex().data().toString();

    showColor(font.color);
}

QString FontDialog::styleCaption(const QString &styleName)
{
    // "Demi Bold", "Extra Light": Qt's own names write the prefix apart.
    QStringList words = styleName.toLower().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (int i = 0; i + 1 < words.size(); ++i)
        if (QStringList{QStringLiteral("demi"), QStringLiteral("semi"), QStringLiteral("extra"),
                        QStringLiteral("ultra")}.contains(words[i])) {
            words[i] += words[i + 1];
            words.removeAt(i + 1);
        }
    bool italic = false;
    QStringList adjectives;
    for (QString word : words) {
        word.remove(QLatin1Char('-'));
        if (word == QStringLiteral("italic")) {
            italic = true;
            continue;
        }
        const StyleWord *known = nullptr;
        for (const StyleWord &w : kStyleWords)
            if (word == QLatin1String(w.word))
                known = &w;
        if (!known)
            return styleName;
        adjectives << QString::fromUtf8(known->caption);
    }
    // "Regular" says nothing beside another word ("Regular Italic" is "Kurzíva").
    if (adjectives.size() + (italic ? 1 : 0) > 1)
        adjectives.removeAll(QStringLiteral("obyčejné"));
    if (italic) {
        for (QString &a : adjectives)
            if (a.endsWith(QChar(u'é')))
                a[a.size() - 1] = QChar(u'á');
        adjectives << QStringLiteral("kurzíva");
    }
    QString caption = adjectives.join(QLatin1Char(' '));
    if (caption.isEmpty())
        return styleName;
    caption[0] = caption[0].toUpper();
    return caption;
}

namespace {

// What makes a style what it is, whatever the family calls it.
struct StyleTraits {
    int weight;
    bool slanted;  // italic or oblique
    QString width; // "condensed", "narrow", ... or empty for the normal width
};

StyleTraits traitsOf(const QString &family, const QString &style)
{
    StyleTraits traits{QFontDatabase::weight(family, style), QFontDatabase::font(family, style, 12).italic(), QString()};
    for (const QString &word : style.toLower().split(QLatin1Char(' ')))
        if (word.contains(QLatin1String("condensed")) || word.contains(QLatin1String("expanded")) || word == QLatin1String("narrow"))
            traits.width = word;
    return traits;
}

} // namespace

void FontDialog::styleChanged()
{
    // A style the chooser picked while it filled the list for another family is not
    // the user's choice; familyChanged follows and puts the chosen one back.
    if (m_choosingStyle || !m_familyList || m_familyList->currentIndex().data().toString() != m_familyShown)
        return;
    const StyleTraits chosen = traitsOf(m_familyShown, m_styleList->currentIndex().data().toString());
    m_wantedWeight = chosen.weight;
    m_wantedItalic = chosen.slanted;
    m_wantedWidth = chosen.width;
}

void FontDialog::familyChanged()
{
    const QString family = m_familyList->currentIndex().data().toString();
    if (family == m_familyShown)
        return;
    m_familyShown = family;
    // The chooser keeps a style only where the new family has one of the same name,
    // and on the way through a family without it forgets it for good. The style
    // nearest the one chosen: the same slant, then the same width, then the nearest
    // weight.
    QAbstractItemModel *styles = m_styleList->model();
    int best = -1;
    int bestDistance = 0;
    for (int row = 0; row < styles->rowCount(); ++row) {
        const StyleTraits traits = traitsOf(family, styles->index(row, 0).data().toString());
        const int distance = (traits.slanted != m_wantedItalic ? 100000 : 0) + (traits.width != m_wantedWidth ? 10000 : 0)
                             + std::abs(traits.weight - m_wantedWeight);
        if (best < 0 || distance < bestDistance) {
            best = row;
            bestDistance = distance;
        }
    }
    if (best >= 0 && best != m_styleList->currentIndex().row()) {
        m_choosingStyle = true;
        m_styleList->setCurrentIndex(styles->index(best, 0));
        m_choosingStyle = false;
    }
}

void FontDialog::typeToFind(QListView *list, const QString &text)
{
    if (m_typedIn != list || !m_typedAt.isValid() || m_typedAt.elapsed() > QApplication::keyboardInputInterval())
        m_typed.clear();
    m_typedIn = list;
    m_typedAt.start();
    m_typed += text;
    const QAbstractItemModel *model = list->model();
    const int rows = model->rowCount();
    // A style is found by its Czech name and by the font file's.
    const auto names = [this, list, model](int row) {
        const QString name = model->index(row, 0).data().toString();
        return list == m_styleList ? QStringList{styleCaption(name), name} : QStringList{name};
    };
    const auto found = [&](const auto &matches) {
        for (int row = 0; row < rows; ++row)
            for (const QString &name : names(row))
                if (matches(name))
                    return row;
        return -1;
    };
    // The name typed in full, else the first that begins with it.
    int row = found([this](const QString &name) { return name.compare(m_typed, Qt::CaseInsensitive) == 0; });
    if (row < 0)
        row = found([this](const QString &name) { return name.startsWith(m_typed, Qt::CaseInsensitive); });
    // One letter pressed again and again steps through the names that begin with it.
    if (row < 0 && m_typed.size() > 1 && m_typed.count(m_typed.front()) == m_typed.size()) {
        const QString letter(m_typed.front());
        for (int step = 1; step <= rows && row < 0; ++step) {
            const int candidate = (list->currentIndex().row() + step) % rows;
            for (const QString &name : names(candidate))
                if (name.startsWith(letter, Qt::CaseInsensitive))
                    row = candidate;
        }
    }
    if (row >= 0)
        list->setCurrentIndex(model->index(row, 0));
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
        auto *list = qobject_cast<QListView *>(watched);
        const QString text = key->text();
        if (list && !text.isEmpty() && text.at(0).isPrint()
            && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
            typeToFind(list, text);
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

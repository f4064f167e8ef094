#include "project/TextItem.h"

#include "project/layouts/DiscLabel.h"
#include "project/layouts/JewelCase.h"

namespace korvel {

TextItem::TextItem(std::string_view code, bool multiLine, QString text, ItemFont font, Alignment alignment)
    : m_code(QString::fromLatin1(code.data(), qsizetype(code.size())))
    , m_multiLine(multiLine)
    , m_lines{std::move(text)}
    , m_font(std::move(font))
    , m_alignment(alignment)
{
}

QString TextItem::text() const
{
    return m_multiLine ? m_lines.join(QLatin1Char('\n')) : m_lines.value(0);
}

void TextItem::setText(const QString &text)
{
    if (m_multiLine) {
        QString t = text;
        t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        m_lines = t.isEmpty() ? QStringList() : t.split(QLatin1Char('\n'));
    } else {
        m_lines = QStringList{text};
    }
    changed();
}

void TextItem::setLines(const QStringList &lines)
{
    if (m_multiLine)
        m_lines = lines;
    else
        m_lines = QStringList{lines.join(QLatin1Char(' '))};
    changed();
}

void TextItem::appendLine(const QString &line)
{
    if (m_multiLine)
        m_lines.append(line);
    else
        m_lines = QStringList{line};
    changed();
}

void TextItem::setLine(int index, const QString &line)
{
    if (index < 0 || index >= m_lines.size())
        return;
    m_lines[index] = line;
    changed();
}

void TextItem::clearLines()
{
    m_lines = m_multiLine ? QStringList() : QStringList{QString()};
    changed();
}

void TextItem::setAlignment(Alignment alignment)
{
    m_alignment = alignment;
    changed();
}

void TextItem::setFont(const ItemFont &font)
{
    m_font = font;
    changed();
}

void TextItem::setFontName(const QString &name)
{
    m_font.name = name;
    changed();
}

void TextItem::setColor(ColorRef color)
{
    m_font.color = color;
    changed();
}

void TextItem::setSize(int points)
{
    m_font.setSize(points);
    changed();
}

void TextItem::setHeight(int pixels)
{
    m_font.height = pixels;
    changed();
}

void TextItem::setStyle(int style)
{
    m_font.style = style & (fsBold | fsItalic | fsUnderline | fsStrikeOut);
    changed();
}

void TextItem::changed()
{
    if (m_onChanged)
        m_onChanged(*this);
}

QString itemLabel(const QString &code)
{
    const std::string name = code.toStdString();
    if (const int text = kJewelCase.textIndex(name); text >= 0)
        return QString::fromUtf8(kJewelCase.texts[std::size_t(text)].label);
    for (const TextSpec &spec : DiscLayout::texts())
        if (spec.code == name)
            return QString::fromUtf8(spec.label);
    return code;
}

} // namespace korvel

#pragma once
#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <string_view>

#include "project/ItemFont.h"

namespace korvel {

// Alignment values as the cover model numbers them.
enum class Alignment : int { Left = 0, Right = 1, Center = 2 };

// One of the twelve text items of the cover. Its code is the name of its page
// element and the prefix of its project-file keys. Single-line items hold one
// string (which may still wrap when printed); BTo and BTit hold a list of lines.
// Every setter reports the change at once, so the page repaints the item.
class TextItem {
public:
    TextItem(std::string_view code, bool multiLine, QString text, ItemFont font, Alignment alignment);

    const QString &code() const { return m_code; }
    bool isMultiLine() const { return m_multiLine; }

    // Single-line items: the string. Multi-line items: the lines joined with "\n".
    QString text() const;
    // Single-line items: replaces the string. Multi-line items: replaces the lines
    // by the text split at line ends.
    void setText(const QString &text);

    // The stored lines: one for a single-line item, any number for a list.
    const QStringList &lines() const { return m_lines; }
    void setLines(const QStringList &lines);
    void appendLine(const QString &line);
    void setLine(int index, const QString &line);
    void clearLines();

    Alignment alignment() const { return m_alignment; }
    void setAlignment(Alignment alignment);

    const ItemFont &font() const { return m_font; }
    void setFont(const ItemFont &font);
    void setFontName(const QString &name);
    void setColor(ColorRef color);
    void setSize(int points);
    void setHeight(int pixels);
    void setStyle(int style);

    // Called after every change; the page connects itself here.
    void setOnChanged(std::function<void(TextItem &)> onChanged) { m_onChanged = std::move(onChanged); }

private:
    void changed();

    QString m_code;
    bool m_multiLine;
    QStringList m_lines;
    ItemFont m_font;
    Alignment m_alignment;
    std::function<void(TextItem &)> m_onChanged;
};

// The creation defaults of the twelve items, in the order the project file lists
// them when it reads.
struct TextItemDefaults {
    std::string_view code;
    bool multiLine;
    const char *text; // UTF-8
    int points;
    int style;
    Alignment alignment;
    const char *label; // UTF-8: what the user calls the item, for messages
};
inline constexpr std::array<TextItemDefaults, 12> kTextItemDefaults = {{
    {"MTht", false, "Horní text", 10, 0, Alignment::Center, "Horní text (přední strana)"},
    {"MThn", false, "Horní nadpis", 18, 0, Alignment::Center, "Horní nadpis"},
    {"MTN", false, "Nadpis", 48, fsBold, Alignment::Center, "Nadpis"},
    {"MTdn", false, "Dolní nadpis", 18, 0, Alignment::Center, "Dolní nadpis"},
    {"MTit", false, "Informační text", 18, 0, Alignment::Center, "Informační text (přední strana)"},
    {"MTdit", false, "Dolní informační text", 10, 0, Alignment::Center, "Dolní informační text"},
    {"MTdt", false, "Dolní text", 10, 0, Alignment::Center, "Dolní text (přední strana)"},
    {"BTht", false, "Horní text", 10, 0, Alignment::Center, "Horní text (zadní strana)"},
    {"BTno", false, "Název obsahu", 14, 0, Alignment::Left, "Název obsahu"},
    {"BTo", true, "Obsah", 10, 0, Alignment::Center, "Obsah"},
    {"BTit", true, "Informační text", 10, 0, Alignment::Left, "Informační text (zadní strana)"},
    {"BTdt", false, "Dolní text", 10, 0, Alignment::Center, "Dolní text (zadní strana)"},
}};

// What the user calls an item ("Obsah", "Nadpis"), or the code when it is unknown.
QString itemLabel(const QString &code);

} // namespace korvel

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

// A text item of a sheet. Its code is the name of its page element and the prefix
// of its project-file keys. Single-line items hold one
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

// What the user calls an item ("Obsah", "Nadpis"), or the code when it is unknown.
QString itemLabel(const QString &code);

} // namespace korvel

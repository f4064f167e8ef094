#include "settings/IntegerText.h"

#include <cstdint>

namespace korvel {

int strToIntDef(QStringView text, int def)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    const bool zeroX = n > 2 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X');
    if (zeroX)
        i = 2; // "0x" stands for "$"
    else
        while (i < n && text[i] == u' ')
            ++i;

    if (zeroX || (i < n && text[i] == u'$')) {
        if (!zeroX)
            ++i;
        if (i == n)
            return def;
        std::uint64_t value = 0;
        for (; i < n; ++i) {
            const char16_t c = text[i].unicode();
            int digit;
            if (c >= u'0' && c <= u'9')
                digit = c - u'0';
            else if (c >= u'a' && c <= u'f')
                digit = c - u'a' + 10;
            else if (c >= u'A' && c <= u'F')
                digit = c - u'A' + 10;
            else
                return def;
            value = value * 16 + std::uint64_t(digit);
            if (value > 0xFFFFFFFFu)
                return def;
        }
        return int(std::int32_t(std::uint32_t(value)));
    }

    bool negative = false;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    if (i == n)
        return def;
    const std::int64_t limit = negative ? 2147483648LL : 2147483647LL;
    std::int64_t value = 0;
    for (; i < n; ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return def;
        value = value * 10 + (c - u'0');
        if (value > limit)
            return def;
    }
    return int(negative ? -value : value);
}

} // namespace korvel

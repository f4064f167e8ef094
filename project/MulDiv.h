#pragma once
#include <cstdint>

namespace korvel {

// Multiply then divide with the intermediate product in 64 bits, rounded to the
// nearest integer with halves away from zero. Font sizes, heights and the spine
// gradient are all defined through this rounding, so it must be exact; a zero
// divisor gives -1, as the platform routine the file format grew up with did.
constexpr int mulDiv(int number, int numerator, int denominator)
{
    if (denominator == 0)
        return -1;
    const std::int64_t product = std::int64_t(number) * numerator;
    std::int64_t d = denominator;
    std::int64_t p = product;
    if (d < 0) {
        d = -d;
        p = -p;
    }
    const std::int64_t half = d / 2;
    const std::int64_t q = p >= 0 ? (p + half) / d : -((-p + half) / d);
    if (q > INT32_MAX || q < INT32_MIN)
        return -1;
    return int(q);
}

} // namespace korvel

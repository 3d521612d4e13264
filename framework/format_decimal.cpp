#include "framework/format_decimal.h"

#include <iterator>

namespace qmo {

std::string FormatDecimal(std::uint32_t value) {
    char digits[10];
    std::size_t count = 0;
    do {
        digits[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    return std::string(std::make_reverse_iterator(digits + count), std::make_reverse_iterator(digits));
}

std::string FormatSignedDecimal(std::int32_t value) {
    if (value >= 0)
        return FormatDecimal(static_cast<std::uint32_t>(value));
    // Negating in unsigned arithmetic: -INT_MIN does not fit an int.
    std::string text = "-";
    text += FormatDecimal(0u - static_cast<std::uint32_t>(value));
    return text;
}

}  // namespace qmo

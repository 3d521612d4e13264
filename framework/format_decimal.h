#pragma once
// Numbers as the pages show them: plain decimal digits, no separators, the
// same whatever the user's locale says.
#include <cstdint>
#include <string>

namespace qmo {

// Digits of the value, "0" for zero. A negative int passed here shows as its
// unsigned 32-bit equivalent (-1 -> "4294967295").
std::string FormatDecimal(std::uint32_t value);

// With a leading '-' for negative values; every int, INT_MIN included.
std::string FormatSignedDecimal(std::int32_t value);

}  // namespace qmo

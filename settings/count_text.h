// The ball count as the setup dialog shows and takes it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace marulex {

// Accepts the whole text or nothing: any number of leading spaces, then either an optional "+" or
// "-" with one or more decimal digits, or one of the prefixes "$", "x", "X", "0x", "0X" with one or
// more hexadecimal digits (no sign). Nothing may follow the digits. A value outside the signed
// 32-bit range fails, hexadecimal ones included: "$FFFFFFFF" is far too many balls, not -1.
std::optional<std::int32_t> CountTextToInt(std::string_view text);

// Decimal, with a leading "-" for negative values.
std::string IntToText(std::int32_t value);

}  // namespace marulex

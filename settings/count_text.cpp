#include "settings/count_text.h"

#include <charconv>
#include <limits>

namespace marulex {
namespace {

int DigitValue(char c, int base) {
  int value = 99;
  if (c >= '0' && c <= '9') value = c - '0';
  if (c >= 'a' && c <= 'f') value = c - 'a' + 10;
  if (c >= 'A' && c <= 'F') value = c - 'A' + 10;
  return value < base ? value : -1;
}

// One or more digits and nothing else, up to `limit`. The value stops growing once past the
// limit, so any number of digits is safe.
std::optional<std::int64_t> ReadDigits(std::string_view digits, int base, std::int64_t limit) {
  if (digits.empty()) return std::nullopt;
  std::int64_t value = 0;
  for (const char c : digits) {
    const int digit = DigitValue(c, base);
    if (digit < 0) return std::nullopt;
    if (value <= limit) value = value * base + digit;
  }
  if (value > limit) return std::nullopt;
  return value;
}

}  // namespace

std::optional<std::int32_t> CountTextToInt(std::string_view text) {
  constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
  const std::size_t start = text.find_first_not_of(' ');
  if (start == std::string_view::npos) return std::nullopt;
  text.remove_prefix(start);

  std::size_t prefix = 0;
  if (text.starts_with('$') || text.starts_with('x') || text.starts_with('X')) prefix = 1;
  if (text.starts_with("0x") || text.starts_with("0X")) prefix = 2;
  if (prefix > 0) {
    const std::optional<std::int64_t> value = ReadDigits(text.substr(prefix), 16, kMax);
    if (!value) return std::nullopt;
    return static_cast<std::int32_t>(*value);
  }

  bool negative = false;
  if (text.starts_with('+') || text.starts_with('-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  const std::optional<std::int64_t> value = ReadDigits(text, 10, negative ? kMax + 1 : kMax);
  if (!value) return std::nullopt;
  return static_cast<std::int32_t>(negative ? -*value : *value);
}

std::string IntToText(std::int32_t value) {
  char buffer[16];
  const std::to_chars_result end = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, end.ptr);
}

}  // namespace marulex

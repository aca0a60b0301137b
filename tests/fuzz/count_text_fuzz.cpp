// Any text in the count field. The conversion must agree with a model built on std::from_chars,
// and every value it yields must come back unchanged through its decimal text.
#include <charconv>
#include <cstdlib>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

#include "settings/count_text.h"

namespace {

std::optional<std::int32_t> Model(std::string_view text) {
  text.remove_prefix(std::min(text.find_first_not_of(' '), text.size()));
  int base = 10;
  bool negative = false;
  for (const std::string_view prefix : {"0x", "0X", "$", "x", "X"}) {
    if (text.starts_with(prefix)) {
      base = 16;
      text.remove_prefix(prefix.size());
      break;
    }
  }
  if (base == 10 && (text.starts_with('+') || text.starts_with('-'))) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  // from_chars would take a sign of its own.
  if (text.empty() || text.front() == '-') return std::nullopt;
  std::int64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  if (negative) value = -value;
  if (value < std::numeric_limits<std::int32_t>::min() ||
      value > std::numeric_limits<std::int32_t>::max()) {
    return std::nullopt;
  }
  return static_cast<std::int32_t>(value);
}

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::optional<std::int32_t> value = marulex::CountTextToInt(text);
  Check(value == Model(text));
  if (value) {
    const std::string shown = marulex::IntToText(*value);
    Check(shown == std::to_string(*value));
    Check(marulex::CountTextToInt(shown) == value);
  }
  return 0;
}

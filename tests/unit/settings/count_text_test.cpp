#include "settings/count_text.h"

#include <gtest/gtest.h>

#include <limits>

namespace marulex {
namespace {

using namespace std::string_view_literals;

TEST(CountTextTest, ConvertsWholeTextOrFails) {
  constexpr std::optional<std::int32_t> kFails;
  const struct {
    std::string_view text;
    std::optional<std::int32_t> expected;
  } cases[] = {
      // decimal
      {" 25", 25},
      {"+7", 7},
      {"0", 0},
      {"-3", -3},
      {"180", 180},
      {"   0042", 42},
      {"2147483647", 2147483647},
      {"-2147483648", std::numeric_limits<std::int32_t>::min()},
      {"00000000000000000000000009", 9},
      {"2147483648", kFails},
      {"-2147483649", kFails},
      {"99999999999999999999999999", kFails},
      // hexadecimal
      {"$1F", 31},
      {"x10", 16},
      {"X10", 16},
      {"0x10", 16},
      {"0X1f", 31},
      {"  $aB", 171},
      {"$7FFFFFFF", 2147483647},
      {"$000000007FFFFFFF", 2147483647},
      {"$80000000", kFails},
      {"$FFFFFFFF", kFails},
      {"0x100000000", kFails},
      {"$", kFails},
      {"0x", kFails},
      {"x", kFails},
      {"-$1F", kFails},
      {"+0x10", kFails},
      {"$1G", kFails},
      {"$ 1", kFails},
      {"0x-1", kFails},
      {"0b1", kFails},
      // everything else
      {"", kFails},
      {"    ", kFails},
      {"+", kFails},
      {"-", kFails},
      {"+-1", kFails},
      {"12a", kFails},
      {"12 ", kFails},
      {"1 2", kFails},
      {"\t12", kFails},
      {"12\n", kFails},
      {"1.0", kFails},
      {"1e3", kFails},
      {"١٢", kFails},    // Arabic-Indic digits
      {"１２", kFails},  // full-width digits
      {"12\0"sv, kFails},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CountTextToInt(c.text), c.expected) << '"' << c.text << '"';
  }
}

TEST(CountTextTest, WritesDecimal) {
  const struct {
    std::int32_t value;
    const char* text;
  } cases[] = {
      {0, "0"},
      {180, "180"},
      {-257, "-257"},
      {65535, "65535"},
      {std::numeric_limits<std::int32_t>::max(), "2147483647"},
      {std::numeric_limits<std::int32_t>::min(), "-2147483648"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IntToText(c.value), c.text);
    EXPECT_EQ(CountTextToInt(IntToText(c.value)), c.value) << "round trip of " << c.value;
  }
}

}  // namespace
}  // namespace marulex

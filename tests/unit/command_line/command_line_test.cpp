#include "shell/command_line.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

namespace marulex {
namespace {

constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();

TEST(CommandLineTest, ReadsLaunchStateOrRefuses) {
  constexpr std::optional<LaunchState> kRefused;
  const auto mode = [](std::int32_t saver_mode, WindowHandle handle = 0, bool parent = false) {
    return std::optional<LaunchState>(LaunchState{saver_mode, handle, parent});
  };
  const struct {
    std::vector<std::string> arguments;  // after argument 0
    std::optional<LaunchState> expected;
  } cases[] = {
      // no switch: the setup dialog
      {{}, mode(smSetup)},
      {{"setup"}, mode(smSetup)},
      {{""}, mode(smSetup)},
      {{"s"}, mode(smSetup)},
      {{"\\s"}, mode(smSetup)},
      {{"setup", "1", "2"}, mode(smSetup)},
      // the saver
      {{"/s"}, mode(smSaver)},
      {{"/S"}, mode(smSaver)},
      {{"-s"}, mode(smSaver)},
      {{"/saver"}, mode(smSaver)},
      {{"/scr"}, mode(smSaver)},
      {{"/s", "123"}, mode(smSaver)},
      {{"/s", "1", "2", "3"}, mode(smSaver)},
      // setup by switch
      {{"/c"}, mode(smSetup)},
      {{"-C"}, mode(smSetup)},
      {{"/c:4711"}, mode(smSetup)},
      {{"/c", "4711"}, mode(smSetup)},
      // password change
      {{"/a"}, mode(smPassword)},
      {{"-A"}, mode(smPassword)},
      {{"/a", "1", "2"}, mode(smPassword)},
      {{"/a", "123"}, mode(smPassword, 123, true)},
      {{"/a", "abc"}, mode(smPassword, 0, true)},
      {{"/a:99", "7"}, mode(smPassword, 7, true)},
      // preview
      {{"/p", "123"}, mode(smPreview, 123)},
      {{"-P", "  +65011713"}, mode(smPreview, 65011713)},
      {{"/p", "12x"}, mode(smPreview, 12)},
      {{"/p", "abc"}, mode(smPreview, 0)},
      {{"/p", "-1"}, mode(smPreview, 0xFFFFFFFFFFFFFFFF)},
      {{"/p"}, kRefused},
      {{"/p", "123", "456"}, kRefused},
      // refused
      {{"/"}, kRefused},
      {{"-"}, kRefused},
      {{"/x"}, kRefused},
      {{"/ s"}, kRefused},
      {{"/", "s"}, kRefused},
      {{"//s"}, kRefused},
      {{"/1"}, kRefused},
      {{"/\xC5\x9B"}, kRefused},  // a non-ASCII s
  };
  for (const auto& c : cases) {
    std::vector<std::string> arguments = {"/usr/bin/marulex"};
    arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
    std::string shown;
    for (const auto& a : c.arguments)
      shown += " [" + a + "]";
    const std::optional<LaunchState> got = ParseCommandLine(arguments);
    ASSERT_EQ(got.has_value(), c.expected.has_value()) << shown;
    if (!got) continue;
    EXPECT_EQ(got->SaverMode, c.expected->SaverMode) << shown;
    EXPECT_EQ(got->PreviewWnd, c.expected->PreviewWnd) << shown;
    EXPECT_EQ(got->parent_given, c.expected->parent_given) << shown;
  }
}

TEST(CommandLineTest, EmptyArgumentListOpensSetup) {
  const std::optional<LaunchState> got = ParseCommandLine({});
  ASSERT_TRUE(got.has_value());
  EXPECT_EQ(got->SaverMode, smSetup);
}

TEST(CommandLineTest, ReadsHandleAsAtolDoes) {
  const struct {
    std::string_view text;
    std::int64_t expected;
  } cases[] = {
      {"123", 123},
      {"0", 0},
      {"", 0},
      {"abc", 0},
      {"+", 0},
      {"-", 0},
      {"+-5", 0},
      {" \t\n\v\f\r42", 42},
      {"  -42", -42},
      {"+42", 42},
      {"42abc", 42},
      {"4 2", 4},
      {"0x1F", 0},
      {"007", 7},
      {"- 5", 0},
      {"9223372036854775807", kMax},
      {"9223372036854775808", kMax},
      {"99999999999999999999999999999", kMax},
      {"-9223372036854775808", kMin},
      {"-9223372036854775809", kMin},
      {"-99999999999999999999999999999", kMin},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ReadHandle(c.text), c.expected) << '"' << c.text << '"';
  }
}

}  // namespace
}  // namespace marulex

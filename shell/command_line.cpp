#include "shell/command_line.h"

#include <limits>

namespace marulex {
namespace {

// The C locale's white space, as the C library's number readers skip it.
bool IsSpace(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

std::optional<LaunchState> ParseCommandLine(std::span<const std::string> arguments) {
  LaunchState state;
  if (arguments.size() < 2) return state;
  const std::string& switch_text = arguments[1];
  if (switch_text.empty() || (switch_text[0] != '-' && switch_text[0] != '/')) return state;
  if (switch_text.size() < 2) return std::nullopt;

  const bool handle_given = arguments.size() == 3;
  switch (LowerAscii(switch_text[1])) {
    case 's':
      state.SaverMode = smSaver;
      return state;
    case 'c':
      state.SaverMode = smSetup;
      return state;
    case 'a':
      state.SaverMode = smPassword;
      if (handle_given) {
        state.PreviewWnd = static_cast<WindowHandle>(ReadHandle(arguments[2]));
        state.parent_given = true;
      }
      return state;
    case 'p':
      if (!handle_given) return std::nullopt;
      state.SaverMode = smPreview;
      state.PreviewWnd = static_cast<WindowHandle>(ReadHandle(arguments[2]));
      return state;
    default:
      return std::nullopt;
  }
}

std::int64_t ReadHandle(std::string_view text) {
  std::size_t at = 0;
  while (at < text.size() && IsSpace(text[at]))
    ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
    negative = text[at] == '-';
    ++at;
  }
  // Accumulated as a negative number, whose range reaches one further than the positive one.
  constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
  std::int64_t value = 0;
  for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
    const int digit = text[at] - '0';
    if (value < (kMin + digit) / 10) {
      value = kMin;
    } else {
      value = value * 10 - digit;
    }
  }
  if (negative) return value;
  return value == kMin ? std::numeric_limits<std::int64_t>::max() : -value;
}

}  // namespace marulex

// The screen-saver host's command line, read into the launch state.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/window_handle.h"

namespace marulex {

enum SaverModeValue : std::int32_t { smPreview = 0, smSetup = 1, smSaver = 2, smPassword = 3 };

struct LaunchState {
  std::int32_t SaverMode = smSetup;
  WindowHandle PreviewWnd = 0;  // the handle argument (preview: the host window; password: parent)
  bool parent_given = false;    // password mode: argument 2 was present (n = 3)
};

// The argument list includes argument 0 (the program's path). nullopt: refuse, exit status -1.
// Argument 1 is a switch when it starts with "-" or "/"; only the character after that counts,
// in either case: s saver, c setup, a password change (argument 2, when it is the last, is the
// parent), p preview (argument 2, which must be the last, is the host window). Anything that is
// not a switch opens the setup dialog.
std::optional<LaunchState> ParseCommandLine(std::span<const std::string> arguments);

// A handle read as atol reads it: leading white space, one optional sign, digits up to the
// first non-digit; no digits give 0. Saturates at the int64 range instead of overflowing.
std::int64_t ReadHandle(std::string_view text);

}  // namespace marulex

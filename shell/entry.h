// The program's entry: the launch mode from the command line, the single-preview rule, the one
// form of the mode, and the message loop. Returns the exit status, -1 or 0.
#pragma once

#include <span>
#include <string>

#include "platform/platform.h"

namespace marulex {

inline constexpr char kPreviewMutexName[] = "Pevrand";

// `arguments` includes argument 0, the program's path.
int RunMarulex(std::span<const std::string> arguments, Platform& platform);

}  // namespace marulex

#pragma once

#include <cstdint>

namespace marulex {

// An X11 window id or the value of an HWND.
using WindowHandle = std::uint64_t;

}  // namespace marulex

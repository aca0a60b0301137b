// Whether the X server shows a cursor now: "visible" when the current cursor image has any
// pixel that is not fully transparent, "blank" when it has none, "unknown" without a display.
#pragma once

#include <xcb/xcb.h>
#include <xcb/xfixes.h>

#include <cstdlib>

namespace marulex::testing {

inline const char* CursorSeen() {
  xcb_connection_t* c = xcb_connect(nullptr, nullptr);
  const char* seen = "unknown";
  if (xcb_connection_has_error(c) == 0) {
    // XFixes answers only clients that said which version they speak.
    std::free(xcb_xfixes_query_version_reply(
        c, xcb_xfixes_query_version(c, XCB_XFIXES_MAJOR_VERSION, XCB_XFIXES_MINOR_VERSION),
        nullptr));
    xcb_xfixes_get_cursor_image_reply_t* image =
        xcb_xfixes_get_cursor_image_reply(c, xcb_xfixes_get_cursor_image(c), nullptr);
    if (image != nullptr) {
      const std::uint32_t* pixels = xcb_xfixes_get_cursor_image_cursor_image(image);
      const int count = xcb_xfixes_get_cursor_image_cursor_image_length(image);
      seen = "blank";
      for (int i = 0; i < count; ++i) {
        if ((pixels[i] >> 24) != 0) seen = "visible";
      }
      std::free(image);
    }
  }
  xcb_disconnect(c);
  return seen;
}

}  // namespace marulex::testing

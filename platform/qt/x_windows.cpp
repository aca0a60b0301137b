#include "platform/qt/x_windows.h"

#include <cstdlib>
#include <cstring>

namespace marulex::qt {

namespace {

// xcb hands out replies and errors as malloc'd blocks.
template <typename T>
struct Freed {
  T* value;
  explicit Freed(T* v) : value(v) {}
  ~Freed() { std::free(value); }
  Freed(const Freed&) = delete;
  Freed& operator=(const Freed&) = delete;
  explicit operator bool() const { return value != nullptr; }
  T* operator->() const { return value; }
};

bool Succeeded(xcb_connection_t* connection, xcb_void_cookie_t cookie) {
  const Freed<xcb_generic_error_t> error(xcb_request_check(connection, cookie));
  return !error;
}

xcb_window_t FirstRoot(xcb_connection_t* connection) {
  const xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
  if (screens.rem <= 0) return XCB_WINDOW_NONE;
  return screens.data->root;
}

}  // namespace

std::optional<xcb_window_t> XWindowFromHandle(WindowHandle handle) {
  if (handle == 0 || handle > 0x1FFFFFFFu) return std::nullopt;
  return static_cast<xcb_window_t>(handle);
}

std::optional<WindowBox> QueryWindowBox(xcb_connection_t* connection, xcb_window_t window) {
  const Freed<xcb_get_geometry_reply_t> geometry(
      xcb_get_geometry_reply(connection, xcb_get_geometry(connection, window), nullptr));
  if (!geometry) return std::nullopt;
  const Freed<xcb_translate_coordinates_reply_t> origin(xcb_translate_coordinates_reply(
      connection, xcb_translate_coordinates(connection, window, geometry->root, 0, 0), nullptr));
  if (!origin) return std::nullopt;
  WindowBox box;
  box.left = origin->dst_x;
  box.top = origin->dst_y;
  box.right = box.left + geometry->width;
  box.bottom = box.top + geometry->height;
  return box;
}

void SetWindowMapped(xcb_connection_t* connection, xcb_window_t window, bool mapped) {
  // Checked, so that a window that is gone costs no error report.
  Succeeded(connection, mapped ? xcb_map_window_checked(connection, window)
                               : xcb_unmap_window_checked(connection, window));
}

bool WatchWindowStructure(xcb_connection_t* connection, xcb_window_t window) {
  const std::uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
  return Succeeded(connection, xcb_change_window_attributes_checked(connection, window,
                                                                    XCB_CW_EVENT_MASK, &mask));
}

WindowHandle ActiveWindow(xcb_connection_t* connection) {
  const xcb_window_t root = FirstRoot(connection);
  static constexpr char kActive[] = "_NET_ACTIVE_WINDOW";
  const Freed<xcb_intern_atom_reply_t> atom(xcb_intern_atom_reply(
      connection, xcb_intern_atom(connection, 1, std::strlen(kActive), kActive), nullptr));
  if (root != XCB_WINDOW_NONE && atom && atom->atom != XCB_ATOM_NONE) {
    const Freed<xcb_get_property_reply_t> property(xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, root, atom->atom, XCB_ATOM_WINDOW, 0, 1),
        nullptr));
    if (property && property->type == XCB_ATOM_WINDOW &&
        xcb_get_property_value_length(property.value) >= 4) {
      xcb_window_t active = 0;
      std::memcpy(&active, xcb_get_property_value(property.value), sizeof active);
      return active;
    }
  }
  const Freed<xcb_get_input_focus_reply_t> focus(
      xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
  // None (0) and PointerRoot (1) name no window.
  if (!focus || focus->focus <= XCB_INPUT_FOCUS_POINTER_ROOT) return 0;
  return focus->focus;
}

}  // namespace marulex::qt

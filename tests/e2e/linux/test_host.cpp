// What the end-to-end tests need of an X client besides the program itself:
//   test-host window WxH [X Y]  makes and maps a window, prints its id, destroys the window on
//                              SIGUSR1 (then prints "destroyed") and exits 0 on SIGTERM
//   test-host close ID         sends ID the window manager's close request (WM_DELETE_WINDOW)
//   test-host activate ID      publishes ID as the active window (_NET_ACTIVE_WINDOW on the root)
//   test-host move X Y         warps the pointer to (X, Y) on the root and waits until it is there
//                              (a core request: done when the reply comes)
//   test-host cursor           prints "visible" or "blank": whether the cursor shown has any pixel
#include <signal.h>
#include <xcb/xcb.h>
#include <xcb/xfixes.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tests/e2e/linux/cursor_probe.h"

namespace {

xcb_atom_t Atom(xcb_connection_t* c, const char* name) {
  xcb_intern_atom_reply_t* reply =
      xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, std::strlen(name), name), nullptr);
  xcb_atom_t atom = XCB_ATOM_NONE;
  if (reply != nullptr) atom = reply->atom;
  std::free(reply);
  return atom;
}

int Window(xcb_connection_t* c, xcb_screen_t* screen, const char* size, int x, int y) {
  unsigned width = 0;
  unsigned height = 0;
  if (std::sscanf(size, "%ux%u", &width, &height) != 2) return 2;
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGUSR1);
  sigaddset(&signals, SIGTERM);
  sigprocmask(SIG_BLOCK, &signals, nullptr);

  const xcb_window_t window = xcb_generate_id(c);
  const std::uint32_t values[] = {screen->white_pixel};
  xcb_create_window(c, XCB_COPY_FROM_PARENT, window, screen->root, static_cast<std::int16_t>(x),
                    static_cast<std::int16_t>(y), static_cast<std::uint16_t>(width),
                    static_cast<std::uint16_t>(height), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                    screen->root_visual, XCB_CW_BACK_PIXEL, values);
  static constexpr char kTitle[] = "marulex test host";
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                      sizeof kTitle - 1, kTitle);
  xcb_map_window(c, window);
  std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));  // mapped by now
  std::printf("%u\n", window);
  std::fflush(stdout);
  for (;;) {
    int received = 0;
    if (sigwait(&signals, &received) != 0) return 1;
    if (received == SIGTERM) return 0;
    xcb_destroy_window(c, window);
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    std::printf("destroyed\n");
    std::fflush(stdout);
  }
}

int Close(xcb_connection_t* c, xcb_window_t window) {
  xcb_client_message_event_t message = {};
  message.response_type = XCB_CLIENT_MESSAGE;
  message.format = 32;
  message.window = window;
  message.type = Atom(c, "WM_PROTOCOLS");
  message.data.data32[0] = Atom(c, "WM_DELETE_WINDOW");
  message.data.data32[1] = XCB_CURRENT_TIME;
  xcb_send_event(c, 0, window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&message));
  std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
  return 0;
}

int Activate(xcb_connection_t* c, xcb_screen_t* screen, xcb_window_t window) {
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, screen->root, Atom(c, "_NET_ACTIVE_WINDOW"),
                      XCB_ATOM_WINDOW, 32, 1, &window);
  std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
  return 0;
}

int Move(xcb_connection_t* c, xcb_screen_t* screen, int x, int y) {
  xcb_warp_pointer(c, XCB_WINDOW_NONE, screen->root, 0, 0, 0, 0, static_cast<std::int16_t>(x),
                   static_cast<std::int16_t>(y));
  xcb_query_pointer_reply_t* at =
      xcb_query_pointer_reply(c, xcb_query_pointer(c, screen->root), nullptr);
  const bool there = at != nullptr && at->root_x == x && at->root_y == y;
  std::free(at);
  return there ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const std::string command = argv[1];
  if (command == "cursor") {
    const char* seen = marulex::testing::CursorSeen();
    std::printf("%s\n", seen);
    return std::strcmp(seen, "unknown") == 0 ? 1 : 0;
  }
  xcb_connection_t* c = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(c) != 0) return 1;
  xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
  int status = 2;
  if (command == "window" && argc >= 3) {
    status = Window(c, screen, argv[2], argc >= 5 ? std::atoi(argv[3]) : 0,
                    argc >= 5 ? std::atoi(argv[4]) : 0);
  } else if (command == "close" && argc == 3) {
    status = Close(c, static_cast<xcb_window_t>(std::strtoul(argv[2], nullptr, 0)));
  } else if (command == "move" && argc == 4) {
    status = Move(c, screen, std::atoi(argv[2]), std::atoi(argv[3]));
  } else if (command == "activate" && argc == 3) {
    status = Activate(c, screen, static_cast<xcb_window_t>(std::strtoul(argv[2], nullptr, 0)));
  }
  xcb_disconnect(c);
  return status;
}

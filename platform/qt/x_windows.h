// The X requests behind the platform's window operations, on a given connection.
#pragma once

#include <xcb/xcb.h>

#include <optional>

#include "platform/platform.h"

namespace marulex::qt {

// The X window a handle names, or nullopt when it cannot name one: 0 (None) and values with any
// of the top three of 32 bits set, which X never gives out. A handle is not cut to 32 bits,
// where a large number would land on an unrelated window.
std::optional<xcb_window_t> XWindowFromHandle(WindowHandle handle);

// The window's inside rectangle in root coordinates, or nullopt when no such window exists.
std::optional<WindowBox> QueryWindowBox(xcb_connection_t* connection, xcb_window_t window);

// Maps or unmaps the window; a window that does not exist is ignored.
void SetWindowMapped(xcb_connection_t* connection, xcb_window_t window, bool mapped);

// Asks for the window's structure events (its DestroyNotify). False when it does not exist.
bool WatchWindowStructure(xcb_connection_t* connection, xcb_window_t window);

// The active window as the window manager publishes it, else the window with the input focus,
// else 0.
WindowHandle ActiveWindow(xcb_connection_t* connection);

}  // namespace marulex::qt

// Presents rectangles of the picture straight to an X window through shared memory: each row is
// copied once into memory the X server reads, and each rectangle is one request. Qt's own
// repaint would copy the rows twice and walk its painting machinery for every piece.
#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <memory>
#include <span>

#include "scene/surface.h"

namespace marulex::qt {

class ShmPresenter {
 public:
  // nullptr when the server or the window does not allow it (no MIT-SHM, a remote server, pixels
  // laid out otherwise than 0x00RRGGBB in 32 bits); the caller then repaints through Qt.
  static std::unique_ptr<ShmPresenter> Create(xcb_connection_t* connection, xcb_window_t window,
                                              std::int32_t width, std::int32_t height);
  ~ShmPresenter();
  ShmPresenter(const ShmPresenter&) = delete;
  ShmPresenter& operator=(const ShmPresenter&) = delete;

  // Puts these rectangles of the picture on the window and returns once the server has them.
  void Put(const Surface& picture, std::span<const Rect> rectangles);

 private:
  ShmPresenter(xcb_connection_t* connection, xcb_window_t window, std::int32_t width,
               std::int32_t height, std::uint8_t depth);

  xcb_connection_t* connection_;
  xcb_window_t window_;
  std::int32_t width_;
  std::int32_t height_;
  std::uint8_t depth_;
  void* memory_ = nullptr;
  std::uint32_t segment_ = 0;
  std::uint32_t gc_ = 0;
};

}  // namespace marulex::qt

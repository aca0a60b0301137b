// The saver window on Win32: a topmost borderless pop-up covering the screen, or the preview's
// child of the host's window. It reports input, the timer and its close request to the program
// and shows the program's picture.
#pragma once

#include <windows.h>

#include "platform/platform.h"

namespace marulex::win32 {

class Win32Platform;

class Win32SaverWindow final : public SaverWindow {
 public:
  // Makes the window, shows it and starts its timer; throws Exception when it cannot be made.
  Win32SaverWindow(Win32Platform& platform, const SaverWindowRequest& request,
                   SaverWindowEvents& events);
  ~Win32SaverWindow() override;

  Win32SaverWindow(const Win32SaverWindow&) = delete;
  Win32SaverWindow& operator=(const Win32SaverWindow&) = delete;

  WindowHandle Handle() const override;
  void Present(std::span<const Rect> rectangles) override;

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT Receive(UINT message, WPARAM wparam, LPARAM lparam);

  Win32Platform& platform_;
  SaverWindowEvents& events_;
  HWND window_ = nullptr;
  // Set while we destroy the window ourselves, so that only a destruction from outside (the
  // preview's host closing its window) counts as the host going away.
  bool destroying_ = false;
};

}  // namespace marulex::win32

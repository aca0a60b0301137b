#include "platform/win32/saver_window.h"

#include <windowsx.h>

#include "platform/win32/win32_platform.h"

namespace marulex::win32 {

namespace {

constexpr wchar_t kSaverClass[] = L"MarulexSaver";
constexpr wchar_t kSaverCaption[] = L"MainForm";
// WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, exactly: no other style bit.
constexpr DWORD kPreviewStyle = 0x56000000;
constexpr UINT_PTR kTimerId = 1;

void RegisterSaverClass(Win32Platform& platform, WNDPROC procedure) {
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof window_class;
  if (GetClassInfoExW(platform.Instance(), kSaverClass, &window_class)) return;
  window_class.lpfnWndProc = procedure;
  window_class.hInstance = platform.Instance();
  window_class.hIcon = platform.Icon(GetSystemMetrics(SM_CXICON));
  window_class.hIconSm = platform.Icon(GetSystemMetrics(SM_CXSMICON));
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  window_class.lpszClassName = kSaverClass;
  RegisterClassExW(&window_class);
}

// Copies `area` of the picture to the same place on `dc`. The picture's pixels are a top-down
// 32-bit DIB as they stand; the DIB handed over starts at the area's first row and is exactly as
// tall as the area, so no bottom-up reading of the source row can pick the wrong rows.
void Draw(HDC dc, const Surface& picture, const Rect& area) {
  const Rect part = Intersect(area, picture.Bounds());
  if (part.Empty()) return;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = picture.width;
  info.bmiHeader.biHeight = -part.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  const Pixel* first_row = picture.pixels.data() + static_cast<std::size_t>(part.y) *
                                                       static_cast<std::size_t>(picture.width);
  SetDIBitsToDevice(dc, part.x, part.y, static_cast<DWORD>(part.width),
                    static_cast<DWORD>(part.height), part.x, 0, 0, static_cast<UINT>(part.height),
                    first_row, &info, DIB_RGB_COLORS);
}

}  // namespace

Win32SaverWindow::Win32SaverWindow(Win32Platform& platform, const SaverWindowRequest& request,
                                   SaverWindowEvents& events)
    : platform_(platform), events_(events) {
  RegisterSaverClass(platform_, Procedure);
  if (request.child) {
    window_ = CreateWindowExW(0, kSaverClass, kSaverCaption, kPreviewStyle, 0, 0, request.width,
                              request.height,
                              reinterpret_cast<HWND>(static_cast<std::uintptr_t>(request.parent)),
                              nullptr, platform_.Instance(), this);
  } else {
    window_ = CreateWindowExW(WS_EX_TOPMOST, kSaverClass, kSaverCaption, WS_POPUP, 0, 0,
                              request.width, request.height, platform_.ApplicationWindow(), nullptr,
                              platform_.Instance(), this);
  }
  if (!window_) throw Exception(kWindowCreationError);
  platform_.SetSaverEvents(&events_, window_);
  if (!request.child) ::ShowWindow(window_, SW_SHOW);
  SetTimer(window_, kTimerId, static_cast<UINT>(request.tick_milliseconds), nullptr);
}

Win32SaverWindow::~Win32SaverWindow() {
  platform_.SetSaverEvents(nullptr, nullptr);
  destroying_ = true;
  if (window_) DestroyWindow(window_);
}

WindowHandle Win32SaverWindow::Handle() const {
  return static_cast<WindowHandle>(reinterpret_cast<std::uintptr_t>(window_));
}

void Win32SaverWindow::Present(std::span<const Rect> rectangles) {
  if (!window_ || rectangles.empty()) return;
  HDC dc = GetDC(window_);
  if (!dc) return;
  const Surface& picture = events_.Picture();
  for (const Rect& area : rectangles)
    Draw(dc, picture, area);
  // GDI may batch drawing calls; the frame must be on the screen when this returns.
  GdiFlush();
  ReleaseDC(window_, dc);
}

LRESULT CALLBACK Win32SaverWindow::Procedure(HWND window, UINT message, WPARAM wparam,
                                             LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<Win32SaverWindow*>(
        reinterpret_cast<const CREATESTRUCTW*>(lparam)->lpCreateParams);
    self->window_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<Win32SaverWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!self) return DefWindowProcW(window, message, wparam, lparam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    self->window_ = nullptr;
    self->platform_.ForgetSaverWindow(window);
    return DefWindowProcW(window, message, wparam, lparam);
  }
  return self->Receive(message, wparam, lparam);
}

LRESULT Win32SaverWindow::Receive(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_MOUSEMOVE:
      events_.MouseMove(GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam));
      return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      events_.MouseDown();
      return 0;
    case WM_XBUTTONDOWN:
      events_.MouseDown();
      return TRUE;
    case WM_KEYDOWN:
      events_.KeyDown(static_cast<std::int32_t>(wparam));
      return 0;
    case WM_SYSKEYDOWN:
      // Alt and Alt+key count as keys. The system's own handling still follows: the close
      // command that Alt+F4 posts is for the message hook to drop.
      events_.KeyDown(static_cast<std::int32_t>(wparam));
      break;
    case WM_CLOSE:
      // The program decides whether to end; the window itself stays until the process ends.
      events_.CloseRequested();
      return 0;
    case WM_TIMER:
      if (wparam != kTimerId) break;
      events_.Tick();
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window_, &paint);
      const RECT& dirty = paint.rcPaint;
      Draw(dc, events_.Picture(),
           {dirty.left, dirty.top, dirty.right - dirty.left, dirty.bottom - dirty.top});
      EndPaint(window_, &paint);
      return 0;
    }
    case WM_DESTROY:
      if (!destroying_) events_.HostWindowGone();
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window_, message, wparam, lparam);
}

}  // namespace marulex::win32

#include "platform/win32/setup_dialog.h"

#include <algorithm>
#include <cstring>

#include "platform/win32/wide_text.h"
#include "platform/win32/win32_platform.h"

namespace marulex::win32 {

namespace {

constexpr wchar_t kDialogClass[] = L"MarulexSetup";
// Neither button is the dialog's default or cancel button, so their numbers stay clear of IDOK
// and IDCANCEL, which the dialog manager sends for Enter and Escape.
constexpr int kFirstControlId = 100;
constexpr DWORD kDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kDialogExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

int ControlId(const DialogControl& control) {
  return kFirstControlId + static_cast<int>(&control - kOptDialogControls.data());
}

bool IsControl(const DialogControl& control, const char* name) {
  return std::strcmp(control.name, name) == 0;
}

// The dialog manager walks the children in z-order, which is the order they are made in: first
// the controls that take no focus, then the others by their tab order.
std::vector<const DialogControl*> CreationOrder() {
  std::vector<const DialogControl*> order;
  for (const DialogControl& control : kOptDialogControls)
    order.push_back(&control);
  std::stable_sort(order.begin(), order.end(), [](const DialogControl* a, const DialogControl* b) {
    return a->tab_order < b->tab_order;
  });
  return order;
}

}  // namespace

Win32SetupDialog::Win32SetupDialog(Win32Platform& platform, SetupDialogEvents& events)
    : platform_(platform), events_(events) {
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof window_class;
  if (!GetClassInfoExW(platform_.Instance(), kDialogClass, &window_class)) {
    window_class.lpfnWndProc = Procedure;
    // The dialog manager's default handling (focus, default push button) needs its own bytes.
    window_class.cbWndExtra = DLGWINDOWEXTRA;
    window_class.hInstance = platform_.Instance();
    window_class.hIcon = platform_.Icon(GetSystemMetrics(SM_CXICON));
    window_class.hIconSm = platform_.Icon(GetSystemMetrics(SM_CXSMICON));
    window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    window_class.lpszClassName = kDialogClass;
    RegisterClassExW(&window_class);
  }

  // The layout is in pixels at 96 dots per inch; the program declares no awareness of other
  // resolutions, so the system scales the whole window where the screen has more.
  RECT frame{0, 0, kOptDialogClientWidth, kOptDialogClientHeight};
  AdjustWindowRectEx(&frame, kDialogStyle, FALSE, kDialogExStyle);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  const int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  const int top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  window_ = CreateWindowExW(kDialogExStyle, kDialogClass, Widen(kOptDialogCaption).c_str(),
                            kDialogStyle, left, top, width, height, platform_.ApplicationWindow(),
                            nullptr, platform_.Instance(), this);
  if (!window_) throw Exception(kWindowCreationError);
  SendMessageW(window_, WM_SETICON, ICON_BIG,
               reinterpret_cast<LPARAM>(platform_.Icon(GetSystemMetrics(SM_CXICON))));
  SendMessageW(window_, WM_SETICON, ICON_SMALL,
               reinterpret_cast<LPARAM>(platform_.Icon(GetSystemMetrics(SM_CXSMICON))));

  // The radio buttons form one group from the first to the last in tab order. A control between
  // them (CANCEL) must not start a group, or it would cut the radio buttons after it off.
  const std::vector<const DialogControl*> order = CreationOrder();
  const auto is_radio = [](const DialogControl* c) { return c->kind == ControlKind::kRadioButton; };
  const auto first_radio = std::find_if(order.begin(), order.end(), is_radio);
  const auto after_radios = std::find_if(order.rbegin(), order.rend(), is_radio).base();
  try {
    for (auto control = order.begin(); control != order.end(); ++control) {
      const bool inside_radio_group = control > first_radio && control < after_radios;
      MakeControl(**control, !inside_radio_group);
    }
  } catch (...) {
    Release();
    throw;
  }
  platform_.SetDialog(window_);
}

Win32SetupDialog::~Win32SetupDialog() {
  platform_.SetDialog(nullptr);
  Release();
}

void Win32SetupDialog::Release() {
  if (window_) DestroyWindow(window_);
  // The controls are gone with the window, so their fonts are free to go.
  for (const MadeFont& made : fonts_)
    DeleteObject(made.handle);
  fonts_.clear();
}

HFONT Win32SetupDialog::Font(const ControlFont& font) {
  for (const MadeFont& made : fonts_) {
    if (std::strcmp(made.font.face, font.face) == 0 &&
        made.font.pixel_height == font.pixel_height && made.font.shift_jis == font.shift_jis) {
      return made.handle;
    }
  }
  // A negative height asks for the character height, without the internal leading.
  HFONT handle = CreateFontW(-font.pixel_height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                             font.shift_jis ? SHIFTJIS_CHARSET : ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                             Widen(font.face).c_str());
  fonts_.push_back({font, handle});
  return handle;
}

int Win32SetupDialog::TextWidth(HFONT font, const std::wstring& text) const {
  HDC dc = GetDC(window_);
  const HGDIOBJ old_font = SelectObject(dc, font);
  SIZE extent{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
  SelectObject(dc, old_font);
  ReleaseDC(window_, dc);
  return extent.cx;
}

void Win32SetupDialog::MakeControl(const DialogControl& control, bool starts_group) {
  const wchar_t* window_class = L"STATIC";
  DWORD style = WS_CHILD | WS_VISIBLE;
  DWORD ex_style = 0;
  switch (control.kind) {
    case ControlKind::kLabel:
      style |= SS_LEFTNOWORDWRAP | SS_NOPREFIX;
      break;
    case ControlKind::kImage:
      style |= SS_ICON;
      break;
    case ControlKind::kButton:
      window_class = L"BUTTON";
      style |= BS_PUSHBUTTON;
      break;
    case ControlKind::kRadioButton:
      window_class = L"BUTTON";
      style |= BS_AUTORADIOBUTTON;
      break;
    case ControlKind::kEdit:
      window_class = L"EDIT";
      style |= ES_LEFT | ES_AUTOHSCROLL;
      ex_style |= WS_EX_CLIENTEDGE;
      break;
  }
  if (control.tab_order >= 0) style |= WS_TABSTOP;
  if (starts_group) style |= WS_GROUP;

  const std::wstring text = Widen(control.text);
  const HFONT font = Font(control.font);
  int width = control.width;
  // A label is one line that grows to fit its text rather than clip it.
  if (control.kind == ControlKind::kLabel) width = std::max(width, TextWidth(font, text));
  HWND made = CreateWindowExW(
      ex_style, window_class, text.c_str(), style, control.left, control.top, width, control.height,
      window_, reinterpret_cast<HMENU>(static_cast<std::intptr_t>(ControlId(control))),
      platform_.Instance(), nullptr);
  if (!made) throw Exception(kWindowCreationError);
  SendMessageW(made, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  switch (control.kind) {
    case ControlKind::kImage:
      // Setting the icon shrinks the control to the icon; the layout's size stands, with the
      // icon at its top left.
      SendMessageW(made, STM_SETICON, reinterpret_cast<WPARAM>(platform_.Icon(32)), 0);
      SetWindowPos(made, nullptr, control.left, control.top, control.width, control.height,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      break;
    case ControlKind::kRadioButton:
      radios_[static_cast<std::size_t>(control.radio_number)] = made;
      break;
    case ControlKind::kEdit:
      edit_ = made;
      // Limits what the user types; text set by the program may still be longer.
      SendMessageW(made, EM_LIMITTEXT, static_cast<WPARAM>(control.max_length), 0);
      break;
    default:
      break;
  }
}

std::int32_t Win32SetupDialog::CheckedRadio() const {
  for (std::int32_t number = 1; number < static_cast<std::int32_t>(radios_.size()); ++number) {
    if (SendMessageW(radios_[static_cast<std::size_t>(number)], BM_GETCHECK, 0, 0) == BST_CHECKED) {
      return number;
    }
  }
  return 0;
}

void Win32SetupDialog::CheckRadio(std::int32_t number) {
  // One group: checking one button unchecks the others, as a click does.
  for (std::int32_t each = 1; each < static_cast<std::int32_t>(radios_.size()); ++each) {
    SendMessageW(radios_[static_cast<std::size_t>(each)], BM_SETCHECK,
                 each == number ? BST_CHECKED : BST_UNCHECKED, 0);
  }
}

std::string Win32SetupDialog::EditText() const {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(edit_)) + 1, L'\0');
  text.resize(
      static_cast<std::size_t>(GetWindowTextW(edit_, text.data(), static_cast<int>(text.size()))));
  return Narrow(text);
}

void Win32SetupDialog::SetEditText(const std::string& text) {
  SetWindowTextW(edit_, Widen(text).c_str());
}

void Win32SetupDialog::Show() {
  ::ShowWindow(window_, SW_SHOW);
  SetForegroundWindow(window_);
  // Focus on the first control in tab order, through the dialog manager so that a focused push
  // button is the one Enter presses.
  if (HWND first = GetNextDlgTabItem(window_, nullptr, FALSE)) {
    SendMessageW(window_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(first), TRUE);
  }
}

void Win32SetupDialog::Close() {
  // The dialog is the main window: closing it ends the message loop. The window itself goes
  // with this object.
  ::ShowWindow(window_, SW_HIDE);
  platform_.QuitMessageLoop();
}

LRESULT CALLBACK Win32SetupDialog::Procedure(HWND window, UINT message, WPARAM wparam,
                                             LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<Win32SetupDialog*>(
        reinterpret_cast<const CREATESTRUCTW*>(lparam)->lpCreateParams);
    self->window_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<Win32SetupDialog*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (message == WM_NCDESTROY && self) {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    self->window_ = nullptr;
    self = nullptr;
  }
  if (self && self->Receive(message, wparam)) return 0;
  return DefDlgProcW(window, message, wparam, lparam);
}

bool Win32SetupDialog::Receive(UINT message, WPARAM wparam) {
  switch (message) {
    case WM_COMMAND:
      if (HIWORD(wparam) != BN_CLICKED) return false;
      for (const DialogControl& control : kOptDialogControls) {
        if (ControlId(control) != LOWORD(wparam)) continue;
        if (IsControl(control, "Button1")) events_.OkClicked();
        if (IsControl(control, "Button2")) events_.CancelClicked();
      }
      return true;
    case WM_CLOSE:
      // The close box closes the dialog and nothing else.
      Close();
      return true;
    default:
      return false;
  }
}

}  // namespace marulex::win32

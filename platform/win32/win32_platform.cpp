#include "platform/win32/win32_platform.h"

#include <ctime>
#include <vector>

#include "platform/win32/resource_ids.h"
#include "platform/win32/saver_window.h"
#include "platform/win32/setup_dialog.h"
#include "platform/win32/wide_text.h"

namespace marulex::win32 {

namespace {

constexpr wchar_t kApplicationClass[] = L"MarulexApplication";
constexpr DWORD kMutexAllAccess = 0x1F0001;

HWND ToHwnd(WindowHandle handle) {
  return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(handle));
}

WindowHandle FromHwnd(HWND window) {
  return static_cast<WindowHandle>(reinterpret_cast<std::uintptr_t>(window));
}

class Win32RegistryKey final : public RegistryKey {
 public:
  explicit Win32RegistryKey(HKEY key) : key_(key) {}
  ~Win32RegistryKey() override { RegCloseKey(key_); }
  Win32RegistryKey(const Win32RegistryKey&) = delete;
  Win32RegistryKey& operator=(const Win32RegistryKey&) = delete;

  RegistryValue Read(std::string_view name) override {
    const std::string value_name(name);
    // The type first, with no buffer: a text of any length still reports its type.
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(key_, value_name.c_str(), nullptr, &type, nullptr, &size) !=
        ERROR_SUCCESS) {
      return {RegistryValue::kMissing};
    }
    if (type != REG_DWORD) return {RegistryValue::kOtherType};
    DWORD data = 0;
    size = sizeof data;
    if (RegQueryValueExA(key_, value_name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&data),
                         &size) != ERROR_SUCCESS) {
      return {RegistryValue::kMissing};
    }
    return {RegistryValue::kDword, data};
  }

 private:
  HKEY key_;
};

class Win32Library final : public SystemLibrary {
 public:
  explicit Win32Library(HMODULE module) : module_(module) {}
  ~Win32Library() override { FreeLibrary(module_); }
  Win32Library(const Win32Library&) = delete;
  Win32Library& operator=(const Win32Library&) = delete;

  SystemEntry Entry(const char* name) override {
    return reinterpret_cast<SystemEntry>(GetProcAddress(module_, name));
  }

 private:
  HMODULE module_;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  return TRUE;
}

}  // namespace

Win32Platform::Win32Platform(HINSTANCE instance) : instance_(instance) {}

Win32Platform::~Win32Platform() {
  if (application_) DestroyWindow(application_);
}

HICON Win32Platform::Icon(int size) const {
  return static_cast<HICON>(
      LoadImageW(instance_, MAKEINTRESOURCEW(MARULEX_ICON), IMAGE_ICON, size, size, LR_SHARED));
}

HWND Win32Platform::ApplicationWindow() {
  if (application_) return application_;
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = ApplicationProcedure;
  window_class.hInstance = instance_;
  window_class.hIcon = Icon(GetSystemMetrics(SM_CXICON));
  window_class.hIconSm = Icon(GetSystemMetrics(SM_CXSMICON));
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.lpszClassName = kApplicationClass;
  RegisterClassExW(&window_class);
  // Never shown: it only carries the title and owns the other windows and the message boxes.
  application_ = CreateWindowExW(0, kApplicationClass, title_.c_str(),
                                 WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 0, 0, 0, 0,
                                 nullptr, nullptr, instance_, this);
  return application_;
}

LRESULT CALLBACK Win32Platform::ApplicationProcedure(HWND window, UINT message, WPARAM wparam,
                                                     LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  const auto* self = reinterpret_cast<Win32Platform*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (message == WM_CLOSE && self) {
    // Closing the application closes its main window, which decides for itself; the window that
    // owns all the others is never destroyed from outside.
    HWND main_window = self->saver_ ? self->saver_ : self->dialog_;
    if (main_window) SendMessageW(main_window, WM_CLOSE, 0, 0);
    return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

void Win32Platform::SetApplicationTitle(const std::string& title) {
  title_ = Widen(title);
  SetWindowTextW(ApplicationWindow(), title_.c_str());
}

void Win32Platform::HideApplicationWindow() {
  ::ShowWindow(ApplicationWindow(), SW_HIDE);
}

void Win32Platform::ShowError(const std::string& text, const std::string& caption) {
  ModalBox(text, caption, MB_ICONSTOP | MB_OK);
}

void Win32Platform::ShowMessage(const std::string& text, const std::string& caption) {
  ModalBox(text, caption, MB_OK);
}

void Win32Platform::ModalBox(const std::string& text, const std::string& caption, UINT flags) {
  HWND owner = ApplicationWindow();
  HWND active = GetActiveWindow();
  // The box is modal to the whole program, as a dialog would be: our other windows wait for it.
  // A topmost saver covering the screen steps down meanwhile, or it would hide the box.
  std::vector<HWND> windows;
  EnumThreadWindows(GetCurrentThreadId(), CollectWindow, reinterpret_cast<LPARAM>(&windows));
  std::vector<HWND> disabled;
  std::vector<HWND> lowered;
  for (HWND window : windows) {
    if (window == owner || !IsWindowVisible(window)) continue;
    if (IsWindowEnabled(window)) {
      EnableWindow(window, FALSE);
      disabled.push_back(window);
    }
    if (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) {
      SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
      lowered.push_back(window);
    }
  }
  MessageBoxW(owner, Widen(text).c_str(), Widen(caption).c_str(), flags);
  for (HWND window : lowered) {
    if (IsWindow(window)) {
      SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
  }
  for (HWND window : disabled) {
    if (IsWindow(window)) EnableWindow(window, TRUE);
  }
  if (active && IsWindow(active)) SetActiveWindow(active);
}

void Win32Platform::RunMessageLoop() {
  MSG message;
  // GetMessage gives 0 for WM_QUIT and -1 on failure; both end the loop.
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (saver_events_ && saver_events_->FilterSysCommand(
                             {message.message, static_cast<std::uint64_t>(message.wParam)})) {
      continue;
    }
    if (dialog_ && IsDialogMessageW(dialog_, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

void Win32Platform::QuitMessageLoop() {
  PostQuitMessage(0);
}

void Win32Platform::ShowWindow(WindowHandle window, bool show) {
  ::ShowWindow(ToHwnd(window), show ? SW_SHOW : SW_HIDE);
}

WindowHandle Win32Platform::ForegroundWindow() {
  return FromHwnd(GetForegroundWindow());
}

std::optional<WindowBox> Win32Platform::WindowRect(WindowHandle window) {
  RECT box;
  if (!GetWindowRect(ToHwnd(window), &box)) return std::nullopt;
  return WindowBox{box.left, box.top, box.right, box.bottom};
}

Size Win32Platform::ScreenSize() {
  return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

Point Win32Platform::CursorPos() {
  POINT where{};
  GetCursorPos(&where);
  return {where.x, where.y};
}

void Win32Platform::ShowCursor(bool show) {
  ::ShowCursor(show ? TRUE : FALSE);
}

std::unique_ptr<SaverWindow> Win32Platform::CreateSaverWindow(const SaverWindowRequest& request,
                                                              SaverWindowEvents& events) {
  return std::make_unique<Win32SaverWindow>(*this, request, events);
}

std::unique_ptr<SetupDialogWindow> Win32Platform::CreateSetupDialog(SetupDialogEvents& events) {
  return std::make_unique<Win32SetupDialog>(*this, events);
}

void Win32Platform::SetSaverEvents(SaverWindowEvents* events, HWND window) {
  saver_events_ = events;
  saver_ = window;
}

void Win32Platform::ForgetSaverWindow(HWND window) {
  if (saver_ == window) saver_ = nullptr;
}

bool Win32Platform::MutexExists(const char* name) {
  HANDLE found = OpenMutexA(kMutexAllAccess, FALSE, name);
  if (!found) return false;
  CloseHandle(found);
  return true;
}

void Win32Platform::CreateHeldMutex(const char* name) {
  SECURITY_ATTRIBUTES attributes{};
  attributes.nLength = sizeof attributes;
  attributes.lpSecurityDescriptor = nullptr;
  attributes.bInheritHandle = TRUE;
  // Deliberately never closed: the mutex marks a running preview until the process ends.
  CreateMutexA(&attributes, TRUE, name);
}

std::unique_ptr<RegistryKey> Win32Platform::OpenUsersKey(std::string_view path) {
  // A leading backslash means "from the root key", which RegOpenKeyEx takes without it.
  if (!path.empty() && path.front() == '\\') path.remove_prefix(1);
  const std::string subkey(path);
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_USERS, subkey.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) {
    return nullptr;
  }
  return std::make_unique<Win32RegistryKey>(key);
}

std::unique_ptr<SystemLibrary> Win32Platform::LoadSystemLibrary(const char* file_name) {
  HMODULE module = LoadLibraryA(file_name);
  if (!module) return nullptr;
  return std::make_unique<Win32Library>(module);
}

std::filesystem::path Win32Platform::ExecutablePath() {
  // The wide name keeps folders outside the ANSI code page; grow the buffer for long paths.
  std::wstring name(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
    if (length == 0) return {};
    if (length < name.size()) {
      name.resize(length);
      return name;
    }
    name.resize(name.size() * 2);
  }
}

std::uint32_t Win32Platform::CurrentTimeSeconds() {
  return static_cast<std::uint32_t>(std::time(nullptr));
}

}  // namespace marulex::win32

// The Windows backend of platform.h on the raw Win32 API: the application's own hidden window,
// its message loop and message boxes, the named mutex, the registry, system libraries and the
// two kinds of window (saver_window.h, setup_dialog.h).
#pragma once

#include <windows.h>

#include <string>

#include "platform/platform.h"

namespace marulex::win32 {

class Win32Platform final : public Platform {
 public:
  explicit Win32Platform(HINSTANCE instance);
  ~Win32Platform() override;

  Win32Platform(const Win32Platform&) = delete;
  Win32Platform& operator=(const Win32Platform&) = delete;

  void SetApplicationTitle(const std::string& title) override;
  void HideApplicationWindow() override;
  void ShowError(const std::string& text, const std::string& caption) override;
  void ShowMessage(const std::string& text, const std::string& caption) override;
  void RunMessageLoop() override;
  void QuitMessageLoop() override;

  void ShowWindow(WindowHandle window, bool show) override;
  WindowHandle ForegroundWindow() override;
  std::optional<WindowBox> WindowRect(WindowHandle window) override;
  Size ScreenSize() override;
  Point CursorPos() override;
  void ShowCursor(bool show) override;
  std::unique_ptr<SaverWindow> CreateSaverWindow(const SaverWindowRequest& request,
                                                 SaverWindowEvents& events) override;
  std::unique_ptr<SetupDialogWindow> CreateSetupDialog(SetupDialogEvents& events) override;

  bool MutexExists(const char* name) override;
  void CreateHeldMutex(const char* name) override;

  std::unique_ptr<RegistryKey> OpenUsersKey(std::string_view path) override;
  std::unique_ptr<SystemLibrary> LoadSystemLibrary(const char* file_name) override;

  std::filesystem::path ExecutablePath() override;
  std::uint32_t CurrentTimeSeconds() override;

  // For the windows of this backend.
  HINSTANCE Instance() const { return instance_; }
  HICON Icon(int size) const;
  // The application's own window, made on first use: hidden, it owns the program's top-level
  // windows and its message boxes.
  HWND ApplicationWindow();
  // Every queued message goes to the saver's message hook from the window's creation until the
  // window object is gone; the dialog takes its keyboard navigation from the queue. nullptr when
  // there is none.
  void SetSaverEvents(SaverWindowEvents* events, HWND window);
  // The saver window was destroyed from outside: its events stay, its handle goes.
  void ForgetSaverWindow(HWND window);
  void SetDialog(HWND dialog) { dialog_ = dialog; }

 private:
  static LRESULT CALLBACK ApplicationProcedure(HWND window, UINT message, WPARAM wparam,
                                               LPARAM lparam);
  void ModalBox(const std::string& text, const std::string& caption, UINT flags);

  HINSTANCE instance_;
  HWND application_ = nullptr;
  std::wstring title_;
  SaverWindowEvents* saver_events_ = nullptr;
  HWND saver_ = nullptr;
  HWND dialog_ = nullptr;
};

}  // namespace marulex::win32

// The narrow interface through which the shell and the setup dialog reach the system.
// platform/qt/ and platform/win32/ implement it; tests drive the rules with a fake.
// A backend translates between this interface and its system; it holds no program rules.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/window_handle.h"
#include "scene/surface.h"

namespace marulex {

// The program's error objects. An error raised in an event handler is shown by the error display
// and the program carries on; one that escapes start-up is shown and ends the program with 0.
class Exception : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The platform's words when a window cannot be made.
inline constexpr char kWindowCreationError[] = "Error creating window";

struct Point {
  std::int32_t x = 0;
  std::int32_t y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
  std::int32_t width = 0;
  std::int32_t height = 0;
  friend bool operator==(const Size&, const Size&) = default;
};

// A whole window's rectangle in screen pixels.
struct WindowBox {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;
};

// A value read from the registry.
struct RegistryValue {
  enum Kind { kMissing, kDword, kOtherType } kind = kMissing;
  std::uint32_t dword = 0;
  friend bool operator==(const RegistryValue&, const RegistryValue&) = default;
};

class RegistryKey {
 public:
  virtual ~RegistryKey() = default;
  virtual RegistryValue Read(std::string_view name) = 0;
};

// Calling convention of the system's password services.
#if defined(_WIN32) && !defined(_WIN64)
#define MARULEX_SYSTEM_CALL __stdcall
#else
#define MARULEX_SYSTEM_CALL
#endif
using SystemEntry = void (*)();
using PwdChangePasswordFunction = std::uint32_t(MARULEX_SYSTEM_CALL*)(const char* key_name,
                                                                      std::uintptr_t parent,
                                                                      std::uint32_t, std::uint32_t);
using VerifyScreenSavePwdFunction = std::int32_t(MARULEX_SYSTEM_CALL*)(std::uintptr_t window);

// A system library loaded for one use; destroying it releases the library.
class SystemLibrary {
 public:
  virtual ~SystemLibrary() = default;
  // The named entry point, or nullptr when the library has none.
  virtual SystemEntry Entry(const char* name) = 0;
};

// A queued window message, as the application's message hook sees it.
struct QueuedMessage {
  std::uint32_t message = 0;
  std::uint64_t wparam = 0;
};

// What the saver window reports to the program. The backend calls these on the window's thread.
class SaverWindowEvents {
 public:
  virtual void MouseMove(std::int32_t x, std::int32_t y) = 0;  // client coordinates
  virtual void MouseDown() = 0;
  virtual void KeyDown(std::int32_t key) = 0;
  // A close request from outside the program (WM_CLOSE; SIGTERM, SIGINT, SIGHUP on Linux).
  virtual void CloseRequested() = 0;
  // Preview only: the host destroyed the window the preview lives in.
  virtual void HostWindowGone() = 0;
  // The window's timer fired.
  virtual void Tick() = 0;
  // The application's message hook: true drops the message.
  virtual bool FilterSysCommand(const QueuedMessage& message) = 0;
  // What the window shows whenever it paints.
  virtual const Surface& Picture() const = 0;

 protected:
  ~SaverWindowEvents() = default;
};

struct SaverWindowRequest {
  bool child = false;       // preview: a child window of `parent` (style 0x56000000 on Windows)
  WindowHandle parent = 0;  // preview only
  std::int32_t width = 0;   // the window lies at (0, 0) with this size
  std::int32_t height = 0;
  std::int32_t tick_milliseconds = 24;
};

class SaverWindow {
 public:
  virtual ~SaverWindow() = default;
  virtual WindowHandle Handle() const = 0;
  // Brings these rectangles of the picture to the screen before returning.
  virtual void Present(std::span<const Rect> rectangles) = 0;
};

// The setup dialog's controls, as its logic sees them. Radio buttons are numbered 1 to 4.
class SetupDialogWindow {
 public:
  virtual ~SetupDialogWindow() = default;
  virtual std::int32_t CheckedRadio() const = 0;  // 0 when none is checked
  virtual void CheckRadio(std::int32_t number) = 0;
  virtual std::string EditText() const = 0;  // UTF-8
  virtual void SetEditText(const std::string& text) = 0;
  virtual void Show() = 0;
  // Closes the dialog; as the main window, this ends the message loop.
  virtual void Close() = 0;
};

class SetupDialogEvents {
 public:
  virtual void OkClicked() = 0;
  virtual void CancelClicked() = 0;

 protected:
  ~SetupDialogEvents() = default;
};

class Platform {
 public:
  virtual ~Platform() = default;

  // Application object.
  virtual void SetApplicationTitle(const std::string& title) = 0;
  virtual void HideApplicationWindow() = 0;
  // The error display: a stop icon, the text, one OK button; waits until it is dismissed.
  virtual void ShowError(const std::string& text, const std::string& caption) = 0;
  // A plain message box with one OK button and no icon, modal to the application.
  virtual void ShowMessage(const std::string& text, const std::string& caption) = 0;
  // Runs until the main window closes.
  virtual void RunMessageLoop() = 0;
  // Asks the message loop to end once it reaches the request.
  virtual void QuitMessageLoop() = 0;

  // Windows and input.
  virtual void ShowWindow(WindowHandle window, bool show) = 0;
  virtual WindowHandle ForegroundWindow() = 0;
  virtual std::optional<WindowBox> WindowRect(WindowHandle window) = 0;
  virtual Size ScreenSize() = 0;
  virtual Point CursorPos() = 0;
  // Adds 1 to (show) or takes 1 from the cursor counter; the cursor shows while it is 0 or more.
  virtual void ShowCursor(bool show) = 0;
  // Makes the saver window and shows it; its timer runs from then on. Throws Exception when the
  // window cannot be made (for instance when the parent names no window).
  virtual std::unique_ptr<SaverWindow> CreateSaverWindow(const SaverWindowRequest& request,
                                                         SaverWindowEvents& events) = 0;
  // Makes the setup dialog from its layout, not yet shown.
  virtual std::unique_ptr<SetupDialogWindow> CreateSetupDialog(SetupDialogEvents& events) = 0;

  // Named mutex, kept by the process until it ends.
  virtual bool MutexExists(const char* name) = 0;
  virtual void CreateHeldMutex(const char* name) = 0;

  // Registry, read only: a key under HKEY_USERS, or nullptr when it cannot be opened.
  virtual std::unique_ptr<RegistryKey> OpenUsersKey(std::string_view path) = 0;
  // A system library, or nullptr when it does not load.
  virtual std::unique_ptr<SystemLibrary> LoadSystemLibrary(const char* file_name) = 0;

  virtual std::filesystem::path ExecutablePath() = 0;
  // The current time in whole seconds.
  virtual std::uint32_t CurrentTimeSeconds() = 0;
};

}  // namespace marulex

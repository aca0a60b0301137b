// A platform made of plain values, to drive the shell's rules without a window system.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace marulex::testing {

class FakePlatform;

struct FakeSaverWindow : SaverWindow {
  FakeSaverWindow(FakePlatform& owner, SaverWindowRequest made_as, SaverWindowEvents& to)
      : platform(owner), request(made_as), events(to) {}
  WindowHandle Handle() const override { return 0x5A5A; }
  void Present(std::span<const Rect> rectangles) override {
    presented.assign(rectangles.begin(), rectangles.end());
    ++presents;
  }
  FakePlatform& platform;
  SaverWindowRequest request;
  SaverWindowEvents& events;
  std::vector<Rect> presented;
  int presents = 0;
};

struct FakeDialogWindow : SetupDialogWindow {
  explicit FakeDialogWindow(FakePlatform& owner) : platform(owner) {}
  std::int32_t CheckedRadio() const override { return checked; }
  void CheckRadio(std::int32_t number) override { checked = number; }
  std::string EditText() const override { return text; }
  void SetEditText(const std::string& value) override { text = value; }
  void Show() override { shown = true; }
  void Close() override;
  FakePlatform& platform;
  std::int32_t checked = 0;
  std::string text;
  bool shown = false;
  bool closed = false;
};

struct Shown {
  std::string text;
  std::string caption;
  friend bool operator==(const Shown&, const Shown&) = default;
};

class FakePlatform : public Platform {
 public:
  // What the system holds.
  std::filesystem::path executable = "/opt/marulex/marulex";
  Size screen{640, 480};
  Point cursor{10, 20};
  std::map<WindowHandle, WindowBox> windows;
  WindowHandle foreground = 0x77;
  bool mutex_taken_elsewhere = false;
  std::optional<RegistryValue> password_flag;  // nullopt: the key cannot be opened
  std::map<std::string, std::map<std::string, SystemEntry>> libraries;
  std::uint32_t now = 1700000000;

  // What the program did.
  int cursor_counter = 0;
  std::vector<std::string> log;  // mutex, registry, library and cursor calls, in order
  std::vector<Shown> errors;
  std::vector<Shown> messages;
  bool quit = false;
  bool mutex_created = false;
  FakeSaverWindow* saver_window = nullptr;
  FakeDialogWindow* dialog = nullptr;
  SetupDialogEvents* dialog_events = nullptr;
  std::string title;
  // Runs inside the message loop: what the user and the system do while the program runs.
  std::function<void(FakePlatform&)> while_running;

  void SetApplicationTitle(const std::string& value) override { title = value; }
  void HideApplicationWindow() override { log.push_back("HideApplicationWindow"); }
  void ShowError(const std::string& text, const std::string& caption) override {
    errors.push_back({text, caption});
  }
  void ShowMessage(const std::string& text, const std::string& caption) override {
    messages.push_back({text, caption});
  }
  void RunMessageLoop() override {
    log.push_back("RunMessageLoop");
    if (while_running) while_running(*this);
  }
  void QuitMessageLoop() override { quit = true; }
  void ShowWindow(WindowHandle window, bool show) override {
    log.push_back("ShowWindow(" + std::to_string(window) + (show ? ",show)" : ",hide)"));
  }
  WindowHandle ForegroundWindow() override { return foreground; }
  std::optional<WindowBox> WindowRect(WindowHandle window) override {
    const auto found = windows.find(window);
    if (found == windows.end()) return std::nullopt;
    return found->second;
  }
  Size ScreenSize() override { return screen; }
  Point CursorPos() override { return cursor; }
  void ShowCursor(bool show) override {
    cursor_counter += show ? 1 : -1;
    log.push_back(show ? "ShowCursor(true)" : "ShowCursor(false)");
  }
  std::unique_ptr<SaverWindow> CreateSaverWindow(const SaverWindowRequest& request,
                                                 SaverWindowEvents& events) override {
    if (request.child && windows.count(request.parent) == 0) throw Exception(kWindowCreationError);
    auto window = std::make_unique<FakeSaverWindow>(*this, request, events);
    saver_window = window.get();
    return window;
  }
  std::unique_ptr<SetupDialogWindow> CreateSetupDialog(SetupDialogEvents& events) override {
    auto window = std::make_unique<FakeDialogWindow>(*this);
    dialog = window.get();
    dialog_events = &events;
    return window;
  }
  bool MutexExists(const char* name) override {
    log.push_back(std::string("MutexExists(") + name + ")");
    return mutex_taken_elsewhere;
  }
  void CreateHeldMutex(const char* name) override {
    log.push_back(std::string("CreateHeldMutex(") + name + ")");
    mutex_created = true;
  }
  std::unique_ptr<RegistryKey> OpenUsersKey(std::string_view path) override;
  std::unique_ptr<SystemLibrary> LoadSystemLibrary(const char* file_name) override;
  std::filesystem::path ExecutablePath() override { return executable; }
  std::uint32_t CurrentTimeSeconds() override { return now; }
};

inline void FakeDialogWindow::Close() {
  closed = true;
  platform.quit = true;
}

struct FakeKey : RegistryKey {
  FakeKey(FakePlatform& owner, RegistryValue held) : platform(owner), value(held) {}
  RegistryValue Read(std::string_view name) override {
    platform.log.push_back("Read(" + std::string(name) + ")");
    return value;
  }
  ~FakeKey() override { platform.log.push_back("CloseKey"); }
  FakePlatform& platform;
  RegistryValue value;
};

struct FakeLibrary : SystemLibrary {
  FakeLibrary(FakePlatform& owner, std::string file, std::map<std::string, SystemEntry> held)
      : platform(owner), name(std::move(file)), entries(std::move(held)) {}
  SystemEntry Entry(const char* entry) override {
    const auto found = entries.find(entry);
    return found == entries.end() ? nullptr : found->second;
  }
  ~FakeLibrary() override { platform.log.push_back("FreeLibrary(" + name + ")"); }
  FakePlatform& platform;
  std::string name;
  std::map<std::string, SystemEntry> entries;
};

inline std::unique_ptr<RegistryKey> FakePlatform::OpenUsersKey(std::string_view path) {
  log.push_back("OpenUsersKey(" + std::string(path) + ")");
  if (!password_flag) return nullptr;
  return std::make_unique<FakeKey>(*this, *password_flag);
}

inline std::unique_ptr<SystemLibrary> FakePlatform::LoadSystemLibrary(const char* file_name) {
  log.push_back(std::string("LoadSystemLibrary(") + file_name + ")");
  const auto found = libraries.find(file_name);
  if (found == libraries.end()) return nullptr;
  return std::make_unique<FakeLibrary>(*this, file_name, found->second);
}

}  // namespace marulex::testing

// The platform on Linux: Qt 6 Widgets on X11. It translates the program's platform operations
// into Qt, X and POSIX calls and holds no program rules.
#pragma once

#include <xcb/xcb.h>

#include <QMessageBox>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

class QApplication;

namespace marulex::qt {

class SaverWidget;
class EventHooks;

class QtPlatform : public Platform {
 public:
  // `program` is argument 0; the Qt application object is made only when a window or a message
  // box needs it, so that a refused command line never touches the display.
  explicit QtPlatform(std::string program);
  ~QtPlatform() override;
  QtPlatform(const QtPlatform&) = delete;
  QtPlatform& operator=(const QtPlatform&) = delete;

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

  // For the windows this platform made.
  void SaverWindowGone(SaverWidget* widget);
  void DialogGone(QWidget* widget);

 private:
  // The application object, made on first use; throws Exception when no display can be opened.
  QApplication& App();
  // The application object, or nullptr (once said on stderr) when there is no display.
  QApplication* AppIfDisplay();
  // Qt's own X connection, or nullptr when Qt does not run on X.
  xcb_connection_t* QtConnection();
  // Qt's X connection, or one of our own when no window is needed; throws when there is none.
  xcb_connection_t* XConnection();
  void ShowBox(QMessageBox::Icon icon, const std::string& text, const std::string& caption);
  void ApplyCursorAndGrab();

  std::string program_;
  std::vector<std::string> qt_arguments_;
  std::vector<char*> qt_argv_;
  int qt_argc_ = 0;
  std::unique_ptr<QApplication> app_;
  std::unique_ptr<EventHooks> hooks_;
  std::optional<std::string> no_display_;
  bool no_display_said_ = false;
  xcb_connection_t* own_connection_ = nullptr;
  bool quit_requested_ = false;

  int cursor_counter_ = 0;
  bool cursor_blank_ = false;
  int boxes_open_ = 0;
  SaverWidget* saver_ = nullptr;
  bool saver_full_screen_ = false;
  QWidget* dialog_ = nullptr;

  int lock_fd_ = -1;
};

}  // namespace marulex::qt

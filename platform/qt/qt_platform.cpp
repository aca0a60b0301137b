#include "platform/qt/qt_platform.h"

#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QGuiApplication>
#include <QIcon>
#include <QScreen>
#include <QWindow>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <system_error>

#include <unistd.h>

#include "platform/qt/process_lock.h"
#include "platform/qt/program_icon.h"
#include "platform/qt/registry_stand_in.h"
#include "platform/qt/saver_widget.h"
#include "platform/qt/setup_dialog.h"
#include "platform/qt/signal_pipe.h"
#include "platform/qt/system_library.h"
#include "platform/qt/x_windows.h"

namespace marulex::qt {

namespace {

constexpr std::uint32_t kWmSysCommand = 0x0112;
constexpr std::uint32_t kScClose = 0xF060;

// Qt's xcb plugin ends the process when it cannot reach the display; ask the server first.
std::optional<std::string> DisplayProblem() {
  const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
  if (!platform.isEmpty() && !platform.startsWith("xcb")) return std::nullopt;
  const char* display = std::getenv("DISPLAY");
  if (display == nullptr || display[0] == '\0') return "Cannot open a display: DISPLAY is not set";
  xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
  const bool failed = xcb_connection_has_error(connection) != 0;
  xcb_disconnect(connection);
  if (failed) return std::string("Cannot open display \"") + display + "\"";
  return std::nullopt;
}

}  // namespace

// The application-wide hooks: the window manager's close request on the saver window, and the X
// events of the preview's host window.
class EventHooks final : public QObject, public QAbstractNativeEventFilter {
 public:
  void SetSaver(SaverWidget* saver) { saver_ = saver; }

  void WatchHost(xcb_window_t host, xcb_window_t own, SaverWindowEvents* events) {
    host_ = host;
    own_ = own;
    host_events_ = events;
    host_gone_ = false;
  }
  // The preview window is gone; errors about the dead windows are still kept quiet.
  void ForgetHostEvents() { host_events_ = nullptr; }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::Close || !event->spontaneous() || saver_ == nullptr) return false;
    if (watched != saver_ && watched != saver_->windowHandle()) return false;
    // WM_DELETE_WINDOW (the close box, Alt+F4) is the system's close command, which the
    // program's hook may drop; one it lets through is a close request like any other.
    event->ignore();
    SaverWindowEvents& events = saver_->events();
    if (!events.FilterSysCommand({kWmSysCommand, kScClose})) events.CloseRequested();
    return true;
  }

  bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
    if (host_ == XCB_WINDOW_NONE || type != "xcb_generic_event_t") return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    const std::uint8_t kind = event->response_type & 0x7F;
    if (kind == 0) {
      const auto* error = static_cast<const xcb_generic_error_t*>(message);
      const bool lost_window = error->error_code == XCB_WINDOW || error->error_code == XCB_DRAWABLE;
      if (!lost_window) return false;
      if (error->resource_id == host_) {
        HostGone();
        return true;
      }
      // Qt still tidies up the preview window that went with its host.
      return host_gone_ && error->resource_id == own_;
    }
    if (kind == XCB_DESTROY_NOTIFY) {
      const auto* destroyed = static_cast<const xcb_destroy_notify_event_t*>(message);
      if (destroyed->window == host_) HostGone();
    }
    return false;
  }

 private:
  void HostGone() {
    if (host_gone_) return;
    host_gone_ = true;
    if (host_events_ != nullptr) host_events_->HostWindowGone();
  }

  SaverWidget* saver_ = nullptr;
  xcb_window_t host_ = XCB_WINDOW_NONE;
  xcb_window_t own_ = XCB_WINDOW_NONE;
  SaverWindowEvents* host_events_ = nullptr;
  bool host_gone_ = false;
};

namespace {

class QtSaverWindow final : public SaverWindow {
 public:
  QtSaverWindow(QtPlatform& platform, std::unique_ptr<SaverWidget> widget,
                std::unique_ptr<QWindow> host)
      : platform_(platform),
        host_(std::move(host)),
        widget_(std::move(widget)),
        signals_([this] { widget_->events().CloseRequested(); }) {}

  ~QtSaverWindow() override {
    platform_.SaverWindowGone(widget_.get());
    // The widget's window is a child of the host's: it goes first.
    widget_.reset();
    host_.reset();
  }
  QtSaverWindow(const QtSaverWindow&) = delete;
  QtSaverWindow& operator=(const QtSaverWindow&) = delete;

  WindowHandle Handle() const override { return widget_->winId(); }
  void Present(std::span<const Rect> rectangles) override { widget_->Present(rectangles); }

 private:
  QtPlatform& platform_;
  std::unique_ptr<QWindow> host_;
  std::unique_ptr<SaverWidget> widget_;
  SignalPipe signals_;
};

class QtDialogWindow final : public SetupDialogWindow {
 public:
  QtDialogWindow(QtPlatform& platform, SetupDialogEvents& events)
      : platform_(platform),
        dialog_(events, [this] { platform_.QuitMessageLoop(); }),
        // A close request by signal ends the dialog as its close box does: nothing is written.
        signals_([this] { dialog_.Close(); }) {}
  ~QtDialogWindow() override { platform_.DialogGone(dialog_.widget()); }
  QtDialogWindow(const QtDialogWindow&) = delete;
  QtDialogWindow& operator=(const QtDialogWindow&) = delete;

  QWidget* widget() const { return dialog_.widget(); }

  std::int32_t CheckedRadio() const override { return dialog_.CheckedRadio(); }
  void CheckRadio(std::int32_t number) override { dialog_.CheckRadio(number); }
  std::string EditText() const override { return dialog_.EditText(); }
  void SetEditText(const std::string& text) override { dialog_.SetEditText(text); }
  void Show() override { dialog_.Show(); }
  void Close() override { dialog_.Close(); }

 private:
  QtPlatform& platform_;
  QtSetupDialog dialog_;
  SignalPipe signals_;
};

}  // namespace

QtPlatform::QtPlatform(std::string program) : program_(std::move(program)) {}

QtPlatform::~QtPlatform() {
  // The forms, and with them the windows, are gone by now; the application object goes last.
  if (app_) app_->removeNativeEventFilter(hooks_.get());
  hooks_.reset();
  app_.reset();
  if (own_connection_ != nullptr) xcb_disconnect(own_connection_);
  // The lock goes with the process; closing the descriptor here is the same.
  if (lock_fd_ >= 0) ::close(lock_fd_);
}

QApplication& QtPlatform::App() {
  if (app_) return *app_;
  if (!no_display_) no_display_ = DisplayProblem().value_or("");
  if (!no_display_->empty()) throw Exception(*no_display_);

  qt_arguments_ = {program_};
  // The preview window and the input grabs are X11 things: X unless told otherwise.
  if (qgetenv("QT_QPA_PLATFORM").isEmpty()) {
    qt_arguments_.push_back("-platform");
    qt_arguments_.push_back("xcb");
  }
  qt_argv_.clear();
  for (std::string& argument : qt_arguments_)
    qt_argv_.push_back(argument.data());
  qt_argv_.push_back(nullptr);
  qt_argc_ = static_cast<int>(qt_arguments_.size());
  // One pixel of the picture is one pixel of the screen.
  qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
  qunsetenv("QT_SCALE_FACTOR");
  qunsetenv("QT_SCREEN_SCALE_FACTORS");

  app_ = std::make_unique<QApplication>(qt_argc_, qt_argv_.data());
  // The loop ends when the program says so, not when a message box closes.
  QApplication::setQuitOnLastWindowClosed(false);
  QApplication::setWindowIcon(QIcon(QPixmap::fromImage(ProgramIconImage())));
  hooks_ = std::make_unique<EventHooks>();
  app_->installEventFilter(hooks_.get());
  app_->installNativeEventFilter(hooks_.get());
  return *app_;
}

QApplication* QtPlatform::AppIfDisplay() {
  try {
    return &App();
  } catch (const Exception&) {
    return nullptr;
  }
}

xcb_connection_t* QtPlatform::QtConnection() {
  if (!app_) return nullptr;
  const auto* x11 = app_->nativeInterface<QNativeInterface::QX11Application>();
  return x11 != nullptr ? x11->connection() : nullptr;
}

xcb_connection_t* QtPlatform::XConnection() {
  if (xcb_connection_t* qt = QtConnection()) return qt;
  if (own_connection_ == nullptr) {
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || display[0] == '\0') {
      throw Exception("Cannot open a display: DISPLAY is not set");
    }
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection) != 0) {
      xcb_disconnect(connection);
      throw Exception(std::string("Cannot open display \"") + display + "\"");
    }
    own_connection_ = connection;
  }
  return own_connection_;
}

void QtPlatform::SetApplicationTitle(const std::string&) {
  // Captions are handed to each message box; Qt's own application name stays as it is, since
  // it would be appended to every window title.
}

void QtPlatform::HideApplicationWindow() {
  // Qt keeps no window of its own for the application.
}

void QtPlatform::ShowError(const std::string& text, const std::string& caption) {
  ShowBox(QMessageBox::Critical, text, caption);
}

void QtPlatform::ShowMessage(const std::string& text, const std::string& caption) {
  ShowBox(QMessageBox::NoIcon, text, caption);
}

void QtPlatform::ShowBox(QMessageBox::Icon icon, const std::string& text,
                         const std::string& caption) {
  if (AppIfDisplay() == nullptr) {
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    return;
  }
  const bool over_saver = saver_ != nullptr && saver_full_screen_;
  QWidget* owner = dialog_ != nullptr ? dialog_ : (over_saver ? saver_ : nullptr);
  QMessageBox box(icon, QString::fromStdString(caption), QString::fromStdString(text),
                  QMessageBox::Ok, owner);
  box.setTextFormat(Qt::PlainText);
  box.setWindowModality(Qt::ApplicationModal);
  if (over_saver) {
    // Above the saver, which itself bypasses the window manager.
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    box.setWindowFlag(Qt::X11BypassWindowManagerHint);
  }
  // The box needs the pointer and the keyboard that the saver holds.
  ++boxes_open_;
  ApplyCursorAndGrab();
  box.show();
  box.raise();
  box.activateWindow();
  box.exec();
  --boxes_open_;
  ApplyCursorAndGrab();
}

void QtPlatform::RunMessageLoop() {
  // A quit asked for before the loop (for instance inside a message box's own loop) counts.
  if (!app_ || quit_requested_) return;
  app_->exec();
}

void QtPlatform::QuitMessageLoop() {
  quit_requested_ = true;
  if (!app_) return;
  // Queued, so that the events already waiting are handled first.
  QMetaObject::invokeMethod(
      app_.get(), [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
}

void QtPlatform::ShowWindow(WindowHandle window, bool show) {
  const std::optional<xcb_window_t> id = XWindowFromHandle(window);
  if (!id) return;
  SetWindowMapped(XConnection(), *id, show);
}

WindowHandle QtPlatform::ForegroundWindow() {
  try {
    return ActiveWindow(XConnection());
  } catch (const Exception& problem) {
    std::fprintf(stderr, "%s: %s; there is no foreground window\n",
                 std::filesystem::path(program_).filename().c_str(), problem.what());
    return 0;
  }
}

std::optional<WindowBox> QtPlatform::WindowRect(WindowHandle window) {
  const std::optional<xcb_window_t> id = XWindowFromHandle(window);
  if (!id) return std::nullopt;
  return QueryWindowBox(XConnection(), *id);
}

Size QtPlatform::ScreenSize() {
  App();
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return {};
  const qreal ratio = screen->devicePixelRatio();
  return {static_cast<std::int32_t>(std::lround(screen->geometry().width() * ratio)),
          static_cast<std::int32_t>(std::lround(screen->geometry().height() * ratio))};
}

Point QtPlatform::CursorPos() {
  App();
  const QScreen* screen = QGuiApplication::primaryScreen();
  const qreal ratio = screen != nullptr ? screen->devicePixelRatio() : 1.0;
  const QPoint at = QCursor::pos();
  return {static_cast<std::int32_t>(std::lround(at.x() * ratio)),
          static_cast<std::int32_t>(std::lround(at.y() * ratio))};
}

void QtPlatform::ShowCursor(bool show) {
  cursor_counter_ += show ? 1 : -1;
  ApplyCursorAndGrab();
}

void QtPlatform::ApplyCursorAndGrab() {
  const bool blank = cursor_counter_ < 0;
  if (app_ && blank != cursor_blank_) {
    if (blank) {
      QGuiApplication::setOverrideCursor(Qt::BlankCursor);
    } else {
      QGuiApplication::restoreOverrideCursor();
    }
    cursor_blank_ = blank;
    // Done before returning: what runs next (a password check) may look at the cursor.
    if (xcb_connection_t* connection = QtConnection()) {
      std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
    }
  }
  // While its cursor is hidden the saver takes all input; it lets go while the cursor shows (a
  // password check) or a message box is up.
  if (saver_ != nullptr && saver_full_screen_) saver_->SetGrabWanted(blank && boxes_open_ == 0);
}

std::unique_ptr<SaverWindow> QtPlatform::CreateSaverWindow(const SaverWindowRequest& request,
                                                           SaverWindowEvents& events) {
  App();
  auto widget = std::make_unique<SaverWidget>(events);
  widget->setWindowTitle(QStringLiteral("MainForm"));
  std::unique_ptr<QWindow> host;
  if (request.child) {
    xcb_connection_t* connection = QtConnection();
    const std::optional<xcb_window_t> parent = XWindowFromHandle(request.parent);
    // Qt accepts any number as a foreign window: ask the X server whether it is one.
    if (connection == nullptr || !parent || !QueryWindowBox(connection, *parent)) {
      throw Exception(kWindowCreationError);
    }
    host.reset(QWindow::fromWinId(*parent));
    if (!host || !WatchWindowStructure(connection, *parent)) throw Exception(kWindowCreationError);
    widget->setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    widget->setAttribute(Qt::WA_NativeWindow);
    widget->winId();
    widget->windowHandle()->setParent(host.get());
    hooks_->WatchHost(*parent, static_cast<xcb_window_t>(widget->winId()), &events);
  } else {
    widget->setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::X11BypassWindowManagerHint);
  }
  // Without a window manager nothing else would size or place it.
  widget->setGeometry(0, 0, request.width, request.height);
  SaverWidget& shown = *widget;
  // Made before the window shows, so that a close signal from then on is a close request.
  auto window = std::make_unique<QtSaverWindow>(*this, std::move(widget), std::move(host));
  shown.show();
  if (!request.child) {
    shown.raise();
    shown.activateWindow();
  }
  saver_ = &shown;
  saver_full_screen_ = !request.child;
  hooks_->SetSaver(saver_);
  ApplyCursorAndGrab();
  shown.StartTimer(request.tick_milliseconds);
  return window;
}

void QtPlatform::SaverWindowGone(SaverWidget* widget) {
  if (saver_ != widget) return;
  saver_ = nullptr;
  if (hooks_) {
    hooks_->SetSaver(nullptr);
    hooks_->ForgetHostEvents();
  }
}

std::unique_ptr<SetupDialogWindow> QtPlatform::CreateSetupDialog(SetupDialogEvents& events) {
  App();
  auto window = std::make_unique<QtDialogWindow>(*this, events);
  dialog_ = window->widget();
  return window;
}

void QtPlatform::DialogGone(QWidget* widget) {
  if (dialog_ == widget) dialog_ = nullptr;
}

bool QtPlatform::MutexExists(const char* name) {
  // Looking takes the lock when it is free: the preview takes it next anyway, and two previews
  // starting at the same moment must not both find it free.
  if (lock_fd_ >= 0) return false;
  const std::filesystem::path file = LockFilePath(name);
  lock_fd_ = TakeLock(file);
  return lock_fd_ < 0 && LockHeldElsewhere(file);
}

void QtPlatform::CreateHeldMutex(const char* name) {
  if (lock_fd_ < 0) lock_fd_ = TakeLock(LockFilePath(name));
}

std::unique_ptr<RegistryKey> QtPlatform::OpenUsersKey(std::string_view path) {
  return OpenUsersKeyIn(RegistryFilePath(), path);
}

std::unique_ptr<SystemLibrary> QtPlatform::LoadSystemLibrary(const char* file_name) {
  return LoadSharedLibrary(ExecutablePath().parent_path(), file_name);
}

std::filesystem::path QtPlatform::ExecutablePath() {
  std::error_code error;
  std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) path = std::filesystem::absolute(program_, error);
  return path;
}

std::uint32_t QtPlatform::CurrentTimeSeconds() {
  return static_cast<std::uint32_t>(std::time(nullptr));
}

}  // namespace marulex::qt

#include "shell/main_form.h"

#include "scene/atlas.h"
#include "settings/settings_file.h"

namespace marulex {

namespace {

constexpr char kPasswordKey[] = "\\.Default\\Control Panel\\Desktop";
constexpr char kPasswordValue[] = "ScreenSaveUsePassword";
constexpr std::uint32_t kWmSysCommand = 0x0112;
constexpr std::uint32_t kScClose = 0xF060;
constexpr std::uint32_t kScScreenSave = 0xF140;

}  // namespace

TMainForm::TMainForm(Application& application, const LaunchState& launch)
    : application_(application),
      platform_(application.platform()),
      launch_(launch),
      atlas_(LoadAtlas()) {
  if (launch_.SaverMode == smSaver) {
    const Size screen = platform_.ScreenSize();
    Width = screen.width;
    Height = screen.height;
    CursorHome = platform_.CursorPos();
    platform_.ShowCursor(false);
  } else {
    // The host's window must exist to hold the preview; without it there is nothing to draw in.
    if (launch_.PreviewWnd == 0) throw Exception("Control 'MainForm' has no parent window");
    const auto box = platform_.WindowRect(launch_.PreviewWnd);
    if (!box) throw Exception(kWindowCreationError);
    Width = box->right - box->left;
    Height = box->bottom - box->top;
  }
  blank_ = Surface(Width, Height);
}

TMainForm::~TMainForm() {
  window_.reset();
  platform_.ShowCursor(true);
}

void TMainForm::FormCreate() {
  const Settings settings = SaverRead(SettingsPathFor(platform_.ExecutablePath()));
  animation_ = std::make_unique<Animation>(Width, Height, settings.ModeSetting, settings.BallCount,
                                           platform_.CurrentTimeSeconds(), atlas_);
}

void TMainForm::CreateWindow() {
  SaverWindowRequest request;
  request.child = launch_.SaverMode != smSaver;
  request.parent = request.child ? launch_.PreviewWnd : 0;
  request.width = Width;
  request.height = Height;
  window_ = platform_.CreateSaverWindow(request, *this);
}

void TMainForm::Close() {
  if (!FormCloseQuery()) return;
  quitting_ = true;
  platform_.QuitMessageLoop();
}

bool TMainForm::FormCloseQuery() {
  if (launch_.SaverMode != smSaver) return true;
  const std::unique_ptr<RegistryKey> key = platform_.OpenUsersKey(kPasswordKey);
  if (!key) return true;
  const RegistryValue flag = key->Read(kPasswordValue);
  if (flag.kind == RegistryValue::kMissing) {
    throw Exception(std::string("Failed to get data for '") + kPasswordValue + "'");
  }
  if (flag.kind == RegistryValue::kOtherType) {
    throw Exception(std::string("Invalid data type for '") + kPasswordValue + "'");
  }
  if (flag.dword != 1) return true;

  const std::unique_ptr<SystemLibrary> library = platform_.LoadSystemLibrary("PASSWORD.CPL");
  if (!library) return true;
  const SystemEntry entry = library->Entry("VerifyScreenSavePwd");
  if (!entry) return true;
  platform_.ShowCursor(true);
  const auto verify = reinterpret_cast<VerifyScreenSavePwdFunction>(entry);
  const bool granted = verify(static_cast<std::uintptr_t>(window_ ? window_->Handle() : 0)) != 0;
  if (!granted) {
    CursorHome = platform_.CursorPos();
    platform_.ShowCursor(false);
  }
  return granted;
}

void TMainForm::FormMouseMove(std::int32_t x, std::int32_t y) {
  if (launch_.SaverMode != smSaver) return;
  if (x != CursorHome.x || y != CursorHome.y) Close();
}

void TMainForm::FormMouseDown() {
  if (launch_.SaverMode == smSaver) Close();
}

void TMainForm::FormKeyDown(std::int32_t /*key*/) {
  if (launch_.SaverMode == smSaver) Close();
}

void TMainForm::Timer1Timer() {
  if (!animation_) return;
  animation_->Timer1Timer();
  if (window_) window_->Present(animation_->Changed());
}

template <typename Handler>
void TMainForm::RunInputHandler(Handler&& handler) {
  // Input that arrives while a close query runs (the password dialog's and the error display's
  // own loops still deliver it) must not start a second one, and nothing more is asked once the
  // program is ending.
  if (busy_ || quitting_) return;
  busy_ = true;
  application_.Dispatch(handler);
  busy_ = false;
  // A close request from outside during that time was kept for now.
  while (close_requested_ && !quitting_) {
    close_requested_ = false;
    busy_ = true;
    application_.Dispatch([&] { Close(); });
    busy_ = false;
  }
}

void TMainForm::MouseMove(std::int32_t x, std::int32_t y) {
  RunInputHandler([&] { FormMouseMove(x, y); });
}

void TMainForm::MouseDown() {
  RunInputHandler([&] { FormMouseDown(); });
}

void TMainForm::KeyDown(std::int32_t key) {
  RunInputHandler([&] { FormKeyDown(key); });
}

void TMainForm::CloseRequested() {
  if (busy_) {
    close_requested_ = true;
    return;
  }
  RunInputHandler([&] { Close(); });
}

void TMainForm::HostWindowGone() {
  platform_.QuitMessageLoop();
}

void TMainForm::Tick() {
  application_.Dispatch([&] { Timer1Timer(); });
}

bool TMainForm::FilterSysCommand(const QueuedMessage& message) {
  const auto command = static_cast<std::uint32_t>(message.wparam);
  return message.message == kWmSysCommand && (command == kScClose || command == kScScreenSave);
}

const Surface& TMainForm::Picture() const {
  return animation_ ? animation_->Image1() : blank_;
}

}  // namespace marulex

#include "shell/entry.h"

#include <memory>

#include "settings/opt_dialog.h"
#include "shell/application.h"
#include "shell/command_line.h"
#include "shell/main_form.h"

namespace marulex {

namespace {

void ChangePassword(Platform& platform, LaunchState& launch) {
  if (!launch.parent_given) launch.PreviewWnd = platform.ForegroundWindow();
  const std::unique_ptr<SystemLibrary> library = platform.LoadSystemLibrary("MPR.DLL");
  if (!library) return;
  const SystemEntry entry = library->Entry("PwdChangePasswordA");
  if (!entry) return;
  reinterpret_cast<PwdChangePasswordFunction>(entry)(
      "SCRSAVE", static_cast<std::uintptr_t>(launch.PreviewWnd), 0, 0);
}

}  // namespace

int RunMarulex(std::span<const std::string> arguments, Platform& platform) {
  std::optional<LaunchState> parsed = ParseCommandLine(arguments);
  if (!parsed) return -1;
  LaunchState launch = *parsed;

  if (launch.SaverMode == smPreview) {
    if (platform.MutexExists(kPreviewMutexName)) return -1;
    platform.CreateHeldMutex(kPreviewMutexName);
  }

  Application application(platform, DefaultTitle(platform.ExecutablePath()));
  // Declared out here so that the form outlives the error display, as the window stays on
  // screen until the process ends.
  std::unique_ptr<TMainForm> main_form;
  std::unique_ptr<TOptDialog> dialog;
  try {
    switch (launch.SaverMode) {
      case smPreview:
        platform.HideApplicationWindow();
        platform.ShowWindow(launch.PreviewWnd, true);
        main_form = std::make_unique<TMainForm>(application, launch);
        break;
      case smSetup:
        dialog = std::make_unique<TOptDialog>(application);
        break;
      case smSaver:
        application.SetTitle("Marulex");
        main_form = std::make_unique<TMainForm>(application, launch);
        break;
      default:
        ChangePassword(platform, launch);
        break;
    }
    if (main_form) {
      application.Dispatch([&] { main_form->FormCreate(); });
      main_form->CreateWindow();
    }
    if (main_form || dialog) platform.RunMessageLoop();
  } catch (const std::exception& error) {
    application.ShowError(error);
  }
  return 0;
}

}  // namespace marulex

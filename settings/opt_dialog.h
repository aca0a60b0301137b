// TOptDialog: the setup dialog's logic. It shows the settings read from the settings file, lets
// the user choose the scene and the ball count, and writes the file on OK.
#pragma once

#include <filesystem>
#include <memory>

#include "platform/platform.h"
#include "shell/application.h"

namespace marulex {

inline constexpr char kNotIntegerMessage[] = "You must specify integer values. Please try again.";
inline constexpr char kBelowOneMessage[] = "1以上の数にしろ";
inline constexpr char kDialogMessageCaption[] = "Marulex";

class TOptDialog final : public SetupDialogEvents {
 public:
  // Makes the dialog, presets it from the settings file and shows it.
  explicit TOptDialog(Application& application);

  void FormCreate();
  void Button1Click();  // OK: validate, write, close
  void Button2Click();  // CANCEL: close without writing

  // SetupDialogEvents: the buttons' clicks, each run as an event handler.
  void OkClicked() override;
  void CancelClicked() override;

  const std::filesystem::path& Path() const { return SettingsPath; }

 private:
  Application& application_;
  Platform& platform_;
  std::filesystem::path SettingsPath;
  std::unique_ptr<SetupDialogWindow> window_;
};

}  // namespace marulex

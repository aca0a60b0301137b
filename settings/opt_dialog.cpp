#include "settings/opt_dialog.h"

#include "settings/count_text.h"
#include "settings/settings_file.h"

namespace marulex {

TOptDialog::TOptDialog(Application& application)
    : application_(application),
      platform_(application.platform()),
      window_(platform_.CreateSetupDialog(*this)) {
  application_.Dispatch([&] { FormCreate(); });
  window_->Show();
}

void TOptDialog::FormCreate() {
  SettingsPath = SettingsPathFor(platform_.ExecutablePath());
  window_->CheckRadio(1);
  const std::optional<StoredSettings> stored = ReadSettingsFile(SettingsPath);
  if (!stored) {
    window_->SetEditText("180");
    return;
  }
  window_->SetEditText(IntToText(stored->high * 256 + stored->low));
  if (stored->scene >= '1' && stored->scene <= '4') window_->CheckRadio(stored->scene - '0');
}

void TOptDialog::Button1Click() {
  const std::optional<std::int32_t> count = CountTextToInt(window_->EditText());
  if (!count) {
    platform_.ShowMessage(kNotIntegerMessage, kDialogMessageCaption);
    return;
  }
  if (*count < 1) {
    platform_.ShowMessage(kBelowOneMessage, kDialogMessageCaption);
    return;
  }
  const std::int32_t checked = window_->CheckedRadio();
  const std::int32_t scene = checked >= 1 && checked <= 3 ? checked : 4;
  const WriteOutcome outcome = WriteSettingsFile(SettingsPath, scene, *count);
  if (!outcome.ok) {
    // The old file is untouched and the dialog keeps what the user chose, to try again.
    const std::u8string where = SettingsPath.u8string();
    platform_.ShowError("The settings could not be saved to " +
                            std::string(where.begin(), where.end()) + ": " + outcome.reason + ".",
                        kDialogMessageCaption);
    return;
  }
  window_->Close();
}

void TOptDialog::Button2Click() {
  window_->Close();
}

void TOptDialog::OkClicked() {
  application_.Dispatch([&] { Button1Click(); });
}

void TOptDialog::CancelClicked() {
  application_.Dispatch([&] { Button2Click(); });
}

}  // namespace marulex

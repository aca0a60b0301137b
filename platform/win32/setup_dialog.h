// The setup dialog on Win32: a fixed dialog frame whose controls are made from the layout table
// at its pixel places, with the dialog manager's keyboard navigation.
#pragma once

#include <windows.h>

#include <array>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "settings/opt_dialog_layout.h"

namespace marulex::win32 {

class Win32Platform;

class Win32SetupDialog final : public SetupDialogWindow {
 public:
  // Makes the dialog and its controls, hidden. Throws Exception when it cannot be made.
  Win32SetupDialog(Win32Platform& platform, SetupDialogEvents& events);
  ~Win32SetupDialog() override;

  Win32SetupDialog(const Win32SetupDialog&) = delete;
  Win32SetupDialog& operator=(const Win32SetupDialog&) = delete;

  std::int32_t CheckedRadio() const override;
  void CheckRadio(std::int32_t number) override;
  std::string EditText() const override;
  void SetEditText(const std::string& text) override;
  void Show() override;
  void Close() override;

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  // True when the message is handled here; the rest goes to the dialog manager.
  bool Receive(UINT message, WPARAM wparam);
  void MakeControl(const DialogControl& control, bool starts_group);
  HFONT Font(const ControlFont& font);
  int TextWidth(HFONT font, const std::wstring& text) const;
  // Destroys the window and its fonts.
  void Release();

  Win32Platform& platform_;
  SetupDialogEvents& events_;
  HWND window_ = nullptr;
  HWND edit_ = nullptr;
  std::array<HWND, 5> radios_{};  // by radio number, 1 to 4
  struct MadeFont {
    ControlFont font;
    HFONT handle;
  };
  std::vector<MadeFont> fonts_;
};

}  // namespace marulex::win32

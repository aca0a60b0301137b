// The setup dialog on Qt: a fixed-size window with the controls of the dialog's layout table.
#pragma once

#include <QLineEdit>
#include <QRadioButton>
#include <QValidator>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>

#include "platform/platform.h"

namespace marulex::qt {

// The count field's length limit as the user meets it: typing or pasting cannot make the text
// longer than the limit, but text the program put there may be longer, and the user may still
// shorten it.
class LengthLimit final : public QValidator {
 public:
  explicit LengthLimit(int limit) : limit_(limit) {}
  // The field's current text, which is accepted whatever its length.
  void SetCurrent(const QString& text) { current_ = text; }
  State validate(QString& input, int& position) const override;

 private:
  int limit_;
  QString current_;
};

class DialogWidget;

class QtSetupDialog final : public SetupDialogWindow {
 public:
  // `on_close` runs whenever the dialog closes (buttons, close box, signals): the main window is
  // gone and the loop must end.
  QtSetupDialog(SetupDialogEvents& events, std::function<void()> on_close);
  ~QtSetupDialog() override;

  QWidget* widget() const;

  std::int32_t CheckedRadio() const override;
  void CheckRadio(std::int32_t number) override;
  std::string EditText() const override;
  void SetEditText(const std::string& text) override;
  void Show() override;
  void Close() override;

 private:
  std::unique_ptr<DialogWidget> widget_;
  std::array<QRadioButton*, 4> radios_ = {};
  QLineEdit* edit_ = nullptr;
  LengthLimit* limit_ = nullptr;
  std::function<void()> on_close_;
};

}  // namespace marulex::qt

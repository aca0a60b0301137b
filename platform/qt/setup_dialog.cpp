#include "platform/qt/setup_dialog.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <map>
#include <vector>

#include "platform/qt/program_icon.h"
#include "settings/opt_dialog_layout.h"

namespace marulex::qt {

QValidator::State LengthLimit::validate(QString& input, int& position) const {
  if (input.size() <= limit_ || input == current_ || input.size() < current_.size()) {
    return Acceptable;
  }
  // Text typed or pasted into a field within the limit is cut to what still fits, as a paste into
  // a limited edit control keeps its first characters. Text already past the limit only shrinks.
  const int excess = static_cast<int>(input.size()) - limit_;
  if (current_.size() > limit_ || position < excess) return Invalid;
  input.remove(position - excess, excess);
  position -= excess;
  return Acceptable;
}

class DialogWidget final : public QWidget {
 public:
  explicit DialogWidget(std::function<void()> on_close_box)
      : on_close_box_(std::move(on_close_box)) {}

 protected:
  void closeEvent(QCloseEvent* event) override {
    event->accept();
    // The close box (the window manager's close request): the dialog ends without writing.
    if (event->spontaneous()) on_close_box_();
  }

 private:
  std::function<void()> on_close_box_;
};

namespace {

QFont FontFor(const ControlFont& font) {
  // The layout's faces are Windows fonts; Qt falls back on what this system has.
  QFont result(QString::fromUtf8(font.face));
  result.setPixelSize(font.pixel_height);
  return result;
}

}  // namespace

QtSetupDialog::QtSetupDialog(SetupDialogEvents& events, std::function<void()> on_close)
    : widget_(std::make_unique<DialogWidget>([this] { on_close_(); })),
      on_close_(std::move(on_close)) {
  QWidget& form = *widget_;
  form.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                      Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
  form.setWindowTitle(QString::fromUtf8(kOptDialogCaption));
  form.setFixedSize(kOptDialogClientWidth, kOptDialogClientHeight);
  form.setFont(FontFor(kFormFont));

  std::map<std::int32_t, QWidget*> tab_chain;
  for (const DialogControl& control : kOptDialogControls) {
    const QString text = QString::fromUtf8(control.text);
    QWidget* made = nullptr;
    switch (control.kind) {
      case ControlKind::kLabel: {
        auto* label = new QLabel(text, &form);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        made = label;
        break;
      }
      case ControlKind::kImage: {
        auto* image = new QLabel(&form);
        image->setPixmap(QPixmap::fromImage(ProgramIconImage()));
        image->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        made = image;
        break;
      }
      case ControlKind::kButton: {
        auto* button = new QPushButton(text, &form);
        button->setAutoDefault(false);
        const bool ok = std::string_view(control.name) == "Button1";
        QObject::connect(button, &QPushButton::clicked, [&events, ok] {
          if (ok) {
            events.OkClicked();
          } else {
            events.CancelClicked();
          }
        });
        made = button;
        break;
      }
      case ControlKind::kRadioButton: {
        auto* radio = new QRadioButton(text, &form);
        if (control.radio_number >= 1 && control.radio_number <= 4) {
          radios_[static_cast<std::size_t>(control.radio_number - 1)] = radio;
        }
        made = radio;
        break;
      }
      case ControlKind::kEdit: {
        edit_ = new QLineEdit(&form);
        if (control.max_length > 0) {
          limit_ = new LengthLimit(control.max_length);
          limit_->setParent(edit_);
          edit_->setValidator(limit_);
          QObject::connect(edit_, &QLineEdit::textChanged,
                           [this](const QString& now) { limit_->SetCurrent(now); });
        }
        made = edit_;
        break;
      }
    }
    made->setObjectName(QString::fromUtf8(control.name));
    made->setFont(FontFor(control.font));
    made->setGeometry(control.left, control.top, control.width, control.height);
    if (control.kind == ControlKind::kLabel) {
      // Labels size themselves to their text, so a wider fallback face is not cut off.
      const QSize needed = made->sizeHint();
      made->resize(std::max(control.width, needed.width()),
                   std::max(control.height, needed.height()));
    }
    if (control.tab_order >= 0) tab_chain[control.tab_order] = made;
  }

  QWidget* previous = nullptr;
  for (const auto& [order, control] : tab_chain) {
    control->setFocusPolicy(Qt::StrongFocus);
    if (previous != nullptr) QWidget::setTabOrder(previous, control);
    previous = control;
  }
  // The first control in the tab order has the focus when the dialog opens.
  if (!tab_chain.empty()) tab_chain.begin()->second->setFocus();
}

QtSetupDialog::~QtSetupDialog() = default;

QWidget* QtSetupDialog::widget() const {
  return widget_.get();
}

std::int32_t QtSetupDialog::CheckedRadio() const {
  for (std::size_t i = 0; i < radios_.size(); ++i) {
    if (radios_[i] != nullptr && radios_[i]->isChecked()) return static_cast<std::int32_t>(i + 1);
  }
  return 0;
}

void QtSetupDialog::CheckRadio(std::int32_t number) {
  if (number < 1 || number > 4) return;
  QRadioButton* radio = radios_[static_cast<std::size_t>(number - 1)];
  if (radio != nullptr) radio->setChecked(true);
}

std::string QtSetupDialog::EditText() const {
  return edit_ != nullptr ? edit_->text().toStdString() : std::string();
}

void QtSetupDialog::SetEditText(const std::string& text) {
  if (edit_ == nullptr) return;
  const QString value = QString::fromStdString(text);
  if (limit_ != nullptr) limit_->SetCurrent(value);
  edit_->setText(value);
}

void QtSetupDialog::Show() {
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->geometry();
    widget_->move(area.x() + (area.width() - widget_->width()) / 2,
                  area.y() + (area.height() - widget_->height()) / 2);
  }
  widget_->show();
  widget_->raise();
  widget_->activateWindow();
}

void QtSetupDialog::Close() {
  widget_->hide();
  on_close_();
}

}  // namespace marulex::qt

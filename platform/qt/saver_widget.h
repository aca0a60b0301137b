// The saver window on Qt: shows the program's picture, reports input and ticks, and holds the
// pointer and keyboard while the saver wants all input.
#pragma once

#include <QImage>
#include <QRegion>
#include <QTimer>
#include <QWidget>
#include <memory>
#include <span>
#include <vector>

#include "platform/platform.h"
#include "platform/qt/present_region.h"
#include "platform/qt/shm_present.h"

namespace marulex::qt {

class SaverWidget final : public QWidget {
 public:
  explicit SaverWidget(SaverWindowEvents& events);

  SaverWindowEvents& events() const { return events_; }

  // Starts the ticks.
  void StartTimer(std::int32_t milliseconds);
  // Repaints these rectangles of the picture before returning.
  void Present(std::span<const Rect> rectangles);
  // While wanted, the window grabs the pointer and the keyboard, retrying at every tick until the
  // X server grants both (it refuses until the window is viewable, or while another client holds
  // a grab).
  void SetGrabWanted(bool wanted);

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  const QImage& Picture();
  void TryGrab();
  void Release();

  SaverWindowEvents& events_;
  QTimer timer_;
  // The picture's pixels, wrapped without a copy; rewrapped only if its buffer changes.
  QImage image_;
  const Pixel* image_pixels_ = nullptr;
  PresentRegion present_;
  std::unique_ptr<ShmPresenter> direct_;  // presents without Qt's painting, where X allows
  bool direct_tried_ = false;
  bool grab_wanted_ = false;
  bool keyboard_grabbed_ = false;
  bool pointer_grabbed_ = false;
};

}  // namespace marulex::qt

#include "platform/qt/saver_widget.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEngine>
#include <QPaintEvent>
#include <QPainter>
#include <QWindow>
#include <cmath>
#include <cstring>

#include "platform/qt/present_region.h"

namespace marulex::qt {

SaverWidget::SaverWidget(SaverWindowEvents& events) : events_(events) {
  // Every pixel comes from the picture: nothing to clear first.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_NoSystemBackground);
  QPalette black = palette();
  black.setColor(QPalette::Window, Qt::black);
  setPalette(black);
  setMouseTracking(true);
  timer_.setTimerType(Qt::PreciseTimer);
  QObject::connect(&timer_, &QTimer::timeout, [this] { events_.Tick(); });
}

void SaverWidget::StartTimer(std::int32_t milliseconds) {
  timer_.start(milliseconds);
}

void SaverWidget::Present(std::span<const Rect> rectangles) {
  TryGrab();
  if (rectangles.empty()) return;
  if (!direct_tried_ && isVisible()) {
    direct_tried_ = true;
    // Through Qt when asked to (to compare) or when the server cannot share memory with us.
    if (qgetenv("MARULEX_PRESENT") != "qt") {
      const auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
      direct_ = ShmPresenter::Create(x11 != nullptr ? x11->connection() : nullptr,
                                     static_cast<xcb_window_t>(winId()), width(), height());
    }
  }
  if (direct_) {
    direct_->Put(events_.Picture(), rectangles);
  } else {
    repaint(present_.Set(rectangles));
  }
}

void SaverWidget::SetGrabWanted(bool wanted) {
  grab_wanted_ = wanted;
  if (wanted) {
    TryGrab();
  } else {
    Release();
  }
}

void SaverWidget::TryGrab() {
  if (!grab_wanted_ || (keyboard_grabbed_ && pointer_grabbed_) || !isVisible()) return;
  QWindow* window = windowHandle();
  if (window == nullptr) return;
  if (!keyboard_grabbed_ && window->setKeyboardGrabEnabled(true)) {
    keyboard_grabbed_ = true;
    grabKeyboard();  // and Qt sends every key to this widget
  }
  if (!pointer_grabbed_ && window->setMouseGrabEnabled(true)) {
    pointer_grabbed_ = true;
    grabMouse();
  }
}

void SaverWidget::Release() {
  if (keyboard_grabbed_) releaseKeyboard();
  if (pointer_grabbed_) releaseMouse();
  keyboard_grabbed_ = false;
  pointer_grabbed_ = false;
}

const QImage& SaverWidget::Picture() {
  const Surface& picture = events_.Picture();
  if (picture.pixels.data() != image_pixels_ || picture.width != image_.width() ||
      picture.height != image_.height()) {
    image_pixels_ = picture.pixels.data();
    image_ = picture.pixels.empty()
                 ? QImage()
                 : QImage(reinterpret_cast<const uchar*>(picture.pixels.data()), picture.width,
                          picture.height, picture.width * 4, QImage::Format_RGB32);
  }
  return image_;
}

bool SaverWidget::event(QEvent* event) {
  // Keys go to the program before Qt uses Tab and the like to move the focus.
  if (event->type() == QEvent::KeyPress) {
    events_.KeyDown(static_cast<std::int32_t>(static_cast<QKeyEvent*>(event)->nativeVirtualKey()));
    return true;
  }
  return QWidget::event(event);
}

namespace {

// The memory the painter paints into, where the picture's rows can be copied as they are: the
// window's backing store as an image of 32-bit pixels (0xFFRRGGBB is the same pixel as RGB32 and
// as premultiplied ARGB32), not shared, reached by a whole-pixel offset. nullptr otherwise.
QImage* DirectTarget(QPainter& painter, QPoint& offset) {
  QPaintEngine* engine = painter.paintEngine();
  QPaintDevice* device = engine != nullptr ? engine->paintDevice() : nullptr;
  if (device == nullptr || device->devType() != QInternal::Image) return nullptr;
  auto* image = static_cast<QImage*>(device);
  const QTransform transform = painter.deviceTransform();
  if (!image->isDetached() || image->devicePixelRatio() != 1.0 ||
      (image->format() != QImage::Format_RGB32 &&
       image->format() != QImage::Format_ARGB32_Premultiplied) ||
      transform.type() > QTransform::TxTranslate) {
    return nullptr;
  }
  offset = QPoint(qRound(transform.dx()), qRound(transform.dy()));
  if (offset.x() != transform.dx() || offset.y() != transform.dy()) return nullptr;
  return image;
}

}  // namespace

void SaverWidget::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  const QImage& picture = Picture();
  const QRect shown = picture.rect();
  QPoint offset;
  if (QImage* target = DirectTarget(painter, offset)) {
    // A plain copy of each row: what QPainter would do for these rectangles, without its
    // clipping against the many-piece region of the paint event.
    const QRect room = target->rect().translated(-offset);
    for (const QRect& area : event->region()) {
      const QRect inside = area.intersected(shown).intersected(room);
      if (inside != area) painter.fillRect(area, Qt::black);
      if (inside.isEmpty()) continue;
      const auto row_bytes = static_cast<std::size_t>(inside.width()) * 4;
      uchar* to = target->bits() + (inside.top() + offset.y()) * target->bytesPerLine() +
                  (inside.left() + offset.x()) * 4;
      const uchar* from =
          picture.constBits() + inside.top() * picture.bytesPerLine() + inside.left() * 4;
      for (int row = 0; row < inside.height(); ++row) {
        std::memcpy(to, from, row_bytes);
        to += target->bytesPerLine();
        from += picture.bytesPerLine();
      }
    }
    return;
  }
  painter.setCompositionMode(QPainter::CompositionMode_Source);
  for (const QRect& area : event->region()) {
    const QRect inside = area.intersected(shown);
    // Beyond the picture (a host that grew the window) the window is black.
    if (inside != area) painter.fillRect(area, Qt::black);
    if (!inside.isEmpty()) painter.drawImage(inside.topLeft(), picture, inside);
  }
}

void SaverWidget::mouseMoveEvent(QMouseEvent* event) {
  const qreal ratio = devicePixelRatioF();
  events_.MouseMove(static_cast<std::int32_t>(std::floor(event->position().x() * ratio)),
                    static_cast<std::int32_t>(std::floor(event->position().y() * ratio)));
}

void SaverWidget::mousePressEvent(QMouseEvent*) {
  events_.MouseDown();
}

}  // namespace marulex::qt

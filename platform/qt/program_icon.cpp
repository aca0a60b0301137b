#include "platform/qt/program_icon.h"

#include "platform/icon.h"

namespace marulex::qt {

QImage ProgramIconImage() {
  const std::optional<Surface> icon = DecodeIcon(IconBytes());
  if (!icon || icon->pixels.empty()) return QImage();
  // 0xAARRGGBB, not premultiplied: Qt's ARGB32. copy() lets the image outlive the surface.
  return QImage(reinterpret_cast<const uchar*>(icon->pixels.data()), icon->width, icon->height,
                icon->width * 4, QImage::Format_ARGB32)
      .copy();
}

}  // namespace marulex::qt

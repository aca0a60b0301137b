#include "platform/qt/shm_present.h"

#include <sys/ipc.h>
#include <sys/shm.h>
#include <xcb/shm.h>

#include <cstdlib>
#include <cstring>

namespace marulex::qt {

namespace {

// The window's depth when its pixels are 32-bit 0x00RRGGBB words in this machine's byte order,
// which is the picture's layout; 0 otherwise.
std::uint8_t MatchingDepth(xcb_connection_t* connection, xcb_window_t window) {
  const xcb_setup_t* setup = xcb_get_setup(connection);
  if (setup->image_byte_order != XCB_IMAGE_ORDER_LSB_FIRST) return 0;
  xcb_get_window_attributes_reply_t* attributes = xcb_get_window_attributes_reply(
      connection, xcb_get_window_attributes(connection, window), nullptr);
  xcb_get_geometry_reply_t* geometry =
      xcb_get_geometry_reply(connection, xcb_get_geometry(connection, window), nullptr);
  std::uint8_t depth = 0;
  if (attributes != nullptr && geometry != nullptr) {
    for (auto screen = xcb_setup_roots_iterator(setup); screen.rem; xcb_screen_next(&screen)) {
      for (auto d = xcb_screen_allowed_depths_iterator(screen.data); d.rem; xcb_depth_next(&d)) {
        if (d.data->depth != geometry->depth) continue;
        for (auto v = xcb_depth_visuals_iterator(d.data); v.rem; xcb_visualtype_next(&v)) {
          if (v.data->visual_id == attributes->visual && v.data->red_mask == 0xFF0000 &&
              v.data->green_mask == 0xFF00 && v.data->blue_mask == 0xFF) {
            depth = geometry->depth;
          }
        }
      }
    }
    bool four_bytes = false;
    for (auto f = xcb_setup_pixmap_formats_iterator(setup); f.rem; xcb_format_next(&f)) {
      four_bytes |= f.data->depth == depth && f.data->bits_per_pixel == 32;
    }
    if (!four_bytes) depth = 0;
  }
  std::free(attributes);
  std::free(geometry);
  return depth;
}

}  // namespace

std::unique_ptr<ShmPresenter> ShmPresenter::Create(xcb_connection_t* connection,
                                                   xcb_window_t window, std::int32_t width,
                                                   std::int32_t height) {
  if (connection == nullptr || width <= 0 || height <= 0) return nullptr;
  const xcb_query_extension_reply_t* shm = xcb_get_extension_data(connection, &xcb_shm_id);
  if (shm == nullptr || !shm->present) return nullptr;
  const std::uint8_t depth = MatchingDepth(connection, window);
  if (depth == 0) return nullptr;

  std::unique_ptr<ShmPresenter> presenter(
      new ShmPresenter(connection, window, width, height, depth));
  const auto bytes = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
  const int id = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
  if (id < 0) return nullptr;
  presenter->memory_ = shmat(id, nullptr, 0);
  if (presenter->memory_ == reinterpret_cast<void*>(-1)) {
    presenter->memory_ = nullptr;
    shmctl(id, IPC_RMID, nullptr);
    return nullptr;
  }
  presenter->segment_ = xcb_generate_id(connection);
  xcb_generic_error_t* error = xcb_request_check(
      connection,
      xcb_shm_attach_checked(connection, presenter->segment_, static_cast<std::uint32_t>(id), 1));
  // Marked for removal at once: the segment goes when the last of us and the server lets go.
  shmctl(id, IPC_RMID, nullptr);
  if (error != nullptr) {
    std::free(error);
    presenter->segment_ = 0;  // a server elsewhere cannot see our memory
    return nullptr;
  }
  presenter->gc_ = xcb_generate_id(connection);
  const std::uint32_t no_exposures = 0;
  xcb_create_gc(connection, presenter->gc_, window, XCB_GC_GRAPHICS_EXPOSURES, &no_exposures);
  return presenter;
}

ShmPresenter::ShmPresenter(xcb_connection_t* connection, xcb_window_t window, std::int32_t width,
                           std::int32_t height, std::uint8_t depth)
    : connection_(connection), window_(window), width_(width), height_(height), depth_(depth) {}

ShmPresenter::~ShmPresenter() {
  if (gc_ != 0) xcb_free_gc(connection_, gc_);
  if (segment_ != 0) xcb_shm_detach(connection_, segment_);
  if (gc_ != 0 || segment_ != 0) xcb_flush(connection_);
  if (memory_ != nullptr) shmdt(memory_);
}

void ShmPresenter::Put(const Surface& picture, std::span<const Rect> rectangles) {
  const Rect shared = Intersect(picture.Bounds(), {0, 0, width_, height_});
  auto* rows = static_cast<Pixel*>(memory_);
  for (const Rect& rectangle : rectangles) {
    const Rect area = Intersect(rectangle, shared);
    if (area.Empty()) continue;
    for (std::int32_t y = area.y; y < area.y + area.height; ++y) {
      const std::size_t from =
          static_cast<std::size_t>(y) * static_cast<std::size_t>(picture.width) +
          static_cast<std::size_t>(area.x);
      const std::size_t to = static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                             static_cast<std::size_t>(area.x);
      std::memcpy(rows + to, picture.pixels.data() + from,
                  static_cast<std::size_t>(area.width) * sizeof(Pixel));
    }
    xcb_shm_put_image(connection_, window_, gc_, static_cast<std::uint16_t>(width_),
                      static_cast<std::uint16_t>(height_), static_cast<std::uint16_t>(area.x),
                      static_cast<std::uint16_t>(area.y), static_cast<std::uint16_t>(area.width),
                      static_cast<std::uint16_t>(area.height), static_cast<std::int16_t>(area.x),
                      static_cast<std::int16_t>(area.y), depth_, XCB_IMAGE_FORMAT_Z_PIXMAP, 0,
                      segment_, 0);
  }
  // One round trip: the server has read every piece, so the frame is on the screen and the
  // shared rows are free to change in the next frame.
  std::free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
}

}  // namespace marulex::qt

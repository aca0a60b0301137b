// The shared-memory present against a real X server: what it puts is what the window shows.
#include "platform/qt/shm_present.h"

#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace marulex::qt {
namespace {

class ShmPresentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    connection_ = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection_)) GTEST_SKIP() << "no X server";
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data;
    window_ = xcb_generate_id(connection_);
    // Override-redirect: mapped at once, with no window manager in the way.
    const std::uint32_t values[] = {screen->black_pixel, 1};
    xcb_create_window(connection_, XCB_COPY_FROM_PARENT, window_, screen->root, 0, 0, kWidth,
                      kHeight, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
                      XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT, values);
    xcb_map_window(connection_, window_);
    std::free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
  }
  void TearDown() override { xcb_disconnect(connection_); }

  // The window's pixel at (x, y), as 0xFFRRGGBB.
  Pixel Shown(std::int32_t x, std::int32_t y) {
    xcb_get_image_reply_t* image = xcb_get_image_reply(
        connection_,
        xcb_get_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, window_, static_cast<std::int16_t>(x),
                      static_cast<std::int16_t>(y), 1, 1, ~0u),
        nullptr);
    Pixel pixel = 0;
    if (image != nullptr) {
      const std::uint8_t* data = xcb_get_image_data(image);
      pixel = Rgb(std::uint32_t{data[2]} << 16 | std::uint32_t{data[1]} << 8 | data[0]);
    }
    std::free(image);
    return pixel;
  }

  static constexpr std::int32_t kWidth = 40;
  static constexpr std::int32_t kHeight = 30;
  xcb_connection_t* connection_ = nullptr;
  xcb_window_t window_ = 0;
};

TEST_F(ShmPresentTest, PutsExactlyTheGivenRectanglesOfThePicture) {
  const auto presenter = ShmPresenter::Create(connection_, window_, kWidth, kHeight);
  ASSERT_NE(presenter, nullptr);
  Surface first(kWidth, kHeight);
  Surface second(kWidth, kHeight);
  for (std::int32_t y = 0; y < kHeight; ++y) {
    for (std::int32_t x = 0; x < kWidth; ++x) {
      first.At(x, y) = Rgb(static_cast<std::uint32_t>(0x010203 * (x + 7 * y)));
      second.At(x, y) = Rgb(static_cast<std::uint32_t>(0x302010 + x * 0x100 + y));
    }
  }
  const Rect whole{0, 0, kWidth, kHeight};
  presenter->Put(first, std::span(&whole, 1));
  // Pieces of the next picture, one reaching past the window: only they change.
  const Rect pieces[] = {{3, 4, 5, 6}, {30, 20, 20, 20}, {-5, 0, 7, 1}};
  presenter->Put(second, pieces);
  for (std::int32_t y = 0; y < kHeight; ++y) {
    for (std::int32_t x = 0; x < kWidth; ++x) {
      bool changed = false;
      for (const Rect& piece : pieces)
        changed |= !Intersect(piece, {x, y, 1, 1}).Empty();
      ASSERT_EQ(Shown(x, y), (changed ? second : first).At(x, y)) << x << "," << y;
    }
  }
  EXPECT_EQ(ShmPresenter::Create(connection_, window_, 0, kHeight), nullptr);
}

}  // namespace
}  // namespace marulex::qt

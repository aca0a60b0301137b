#include "platform/icon.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "tests/unit/atlas/dib_bytes.h"

namespace marulex {
namespace {

using dib_bytes::Bytes;
using dib_bytes::Put16;
using dib_bytes::Put32;
using dib_bytes::Set32;

constexpr Pixel kClear = 0x00000000;

Pixel Opaque(std::uint32_t rgb) {
  return 0xFF000000u | rgb;
}

TEST(DecodeIcon, TheProgramsIconIsARedFigureOutlinedInBlackWithACyanPatch) {
  const std::optional<Surface> icon = DecodeIcon(IconBytes());
  ASSERT_TRUE(icon);
  ASSERT_EQ(icon->width, 32);
  ASSERT_EQ(icon->height, 32);
  for (const auto& [x, y] :
       std::vector<std::pair<std::int32_t, std::int32_t>>{{0, 0}, {31, 0}, {0, 31}, {31, 31}}) {
    EXPECT_EQ(icon->At(x, y), kClear) << "corner (" << x << ", " << y << ")";
  }
  std::set<Pixel> colours;
  for (std::int32_t y = 0; y < 32; ++y) {
    for (std::int32_t x = 0; x < 32; ++x) {
      const Pixel pixel = icon->At(x, y);
      ASSERT_TRUE(pixel == kClear || pixel >> 24 == 0xFF) << "half transparent";
      if (pixel == kClear) continue;
      colours.insert(pixel);
      // The figure's border, where it meets the background or the picture's edge, is black.
      const auto clear = [&](std::int32_t nx, std::int32_t ny) {
        return nx < 0 || ny < 0 || nx >= 32 || ny >= 32 || icon->At(nx, ny) == kClear;
      };
      if (clear(x - 1, y) || clear(x + 1, y) || clear(x, y - 1) || clear(x, y + 1)) {
        EXPECT_EQ(pixel, Opaque(0x000000)) << "outline at (" << x << ", " << y << ")";
      }
    }
  }
  EXPECT_LE(colours.size(), 16u);
  EXPECT_TRUE(colours.contains(Opaque(0xFF0000)));
  EXPECT_TRUE(colours.contains(Opaque(0x00FFFF)));
}

struct Image {
  std::int32_t size;  // width and height
  std::uint32_t bits;
  std::vector<std::uint32_t> colours;
  Bytes colour_rows;  // bottom row first, padded to 4 bytes
  Bytes mask_rows;    // likewise
};

// An .ico holding `images` in this order, each a DIB with the doubled height.
Bytes MakeIco(const std::vector<Image>& images) {
  Bytes directory;
  Put16(directory, 0);
  Put16(directory, 1);
  Put16(directory, static_cast<std::uint32_t>(images.size()));
  Bytes data;
  std::size_t offset = 6 + 16 * images.size();
  for (const Image& image : images) {
    Bytes dib;
    dib_bytes::PutDibHeader(dib, image.size, 2 * image.size, image.bits, image.colours,
                            static_cast<std::uint32_t>(image.colours.size()));
    dib.insert(dib.end(), image.colour_rows.begin(), image.colour_rows.end());
    dib.insert(dib.end(), image.mask_rows.begin(), image.mask_rows.end());
    directory.push_back(static_cast<std::uint8_t>(image.size));
    directory.push_back(static_cast<std::uint8_t>(image.size));
    directory.push_back(0);
    directory.push_back(0);
    Put16(directory, 1);
    Put16(directory, image.bits);
    Put32(directory, static_cast<std::uint32_t>(dib.size()));
    Put32(directory, static_cast<std::uint32_t>(offset));
    offset += dib.size();
    data.insert(data.end(), dib.begin(), dib.end());
  }
  directory.insert(directory.end(), data.begin(), data.end());
  return directory;
}

// 2 x 2 pictures; in each, the mask clears the bottom-left pixel.
const Bytes kMaskBottomLeft = {0x80, 0, 0, 0, 0x00, 0, 0, 0};

TEST(DecodeIcon, TakesTransparencyFromTheMaskOrFromAlphaBytes) {
  struct Case {
    std::string name;
    Image image;
    std::vector<Pixel> expected;  // top-left, top-right, bottom-left, bottom-right
  };
  const std::vector<Case> cases = {
      {"8 bit",
       {2, 8, {0x000000, 0xFF0000, 0x00FFFF}, {2, 1, 0, 0, 1, 2, 0, 0}, kMaskBottomLeft},
       {Opaque(0xFF0000), Opaque(0x00FFFF), kClear, Opaque(0xFF0000)}},
      {"4 bit",
       {2, 4, {0x000000, 0xFF0000, 0x00FFFF}, {0x21, 0, 0, 0, 0x12, 0, 0, 0}, kMaskBottomLeft},
       {Opaque(0xFF0000), Opaque(0x00FFFF), kClear, Opaque(0xFF0000)}},
      {"32 bit without alpha bytes",
       {2, 32, {}, {1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 0, 10, 11, 12, 0}, kMaskBottomLeft},
       {Opaque(0x090807), Opaque(0x0C0B0A), kClear, Opaque(0x060504)}},
      {"32 bit with alpha bytes",
       {2,
        32,
        {},
        {1, 2, 3, 0x80, 4, 5, 6, 0xFF, 7, 8, 9, 0, 10, 11, 12, 0xFF},
        {0, 0, 0, 0, 0, 0, 0, 0}},
       {kClear, 0xFF0C0B0A, 0x80030201, 0xFF060504}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::optional<Surface> icon = DecodeIcon(MakeIco({c.image}));
    ASSERT_TRUE(icon);
    ASSERT_EQ(icon->width, 2);
    ASSERT_EQ(icon->height, 2);
    EXPECT_EQ(icon->pixels, c.expected);
  }
}

TEST(DecodeIcon, PrefersTheFirst32By32Image) {
  const Image small = {2, 8, {0x00FF00}, {0, 0, 0, 0, 0, 0, 0, 0}, kMaskBottomLeft};
  Image large = {32, 4, {0x000000, 0x0000FF}, Bytes(32 * 16, 0x11), Bytes(32 * 4, 0)};
  const std::optional<Surface> icon = DecodeIcon(MakeIco({small, large}));
  ASSERT_TRUE(icon);
  EXPECT_EQ(icon->width, 32);
  EXPECT_EQ(icon->At(5, 5), Opaque(0x0000FF));
  EXPECT_EQ(DecodeIcon(MakeIco({small}))->width, 2) << "else the first";
}

TEST(DecodeIcon, RejectsCorruptFiles) {
  const Bytes valid = MakeIco({{2, 8, {0x000000, 0xFF0000}, Bytes(8, 1), kMaskBottomLeft}});
  ASSERT_TRUE(DecodeIcon(valid));
  // Offsets: 2 type, 4 count; the entry: 14 size, 18 offset; the DIB from 22: 30 height, 36 bits.
  const std::vector<std::pair<std::string, std::function<void(Bytes&)>>> cases = {
      {"a cursor", [](Bytes& b) { b[2] = 2; }},
      {"no images", [](Bytes& b) { b[4] = 0; }},
      {"more entries than the file holds", [](Bytes& b) { b[4] = 200; }},
      {"image beyond the file", [](Bytes& b) { Set32(b, 18, 0xFFFFFFF0); }},
      {"image larger than the file", [](Bytes& b) { Set32(b, 14, 0xFFFFFFFF); }},
      {"mask cut off", [](Bytes& b) { Set32(b, 14, 40 + 8 + 8 + 4); }},
      {"odd height", [](Bytes& b) { Set32(b, 30, 3); }},
      {"top-down", [](Bytes& b) { Set32(b, 30, static_cast<std::uint32_t>(-4)); }},
      {"16 bits", [](Bytes& b) { b[36] = 16; }},
      {"compressed as PNG", [](Bytes& b) { Set32(b, 22, 0x474E5089); }},
  };
  for (const auto& [name, corrupt] : cases) {
    Bytes ico = valid;
    corrupt(ico);
    EXPECT_FALSE(DecodeIcon(ico)) << name;
  }
  for (std::size_t size = 0; size < valid.size(); ++size) {
    EXPECT_FALSE(DecodeIcon(std::span(valid).first(size))) << "cut to " << size << " bytes";
  }
}

}  // namespace
}  // namespace marulex

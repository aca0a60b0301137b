#include "scene/bmp.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "tests/unit/atlas/dib_bytes.h"

namespace marulex {
namespace {

using dib_bytes::Bytes;
using dib_bytes::Put32;
using dib_bytes::Set32;

struct Picture {
  std::int32_t width;
  std::uint32_t bits;
  std::vector<std::uint32_t> colours;
  std::uint32_t colours_used;
  std::vector<Bytes> rows;  // bottom row first, each padded to 4 bytes
};

// A .bmp file of `picture`, top-down (negative height, rows reversed) if asked.
Bytes MakeBmp(const Picture& picture, bool top_down) {
  Bytes dib;
  const auto height = static_cast<std::int32_t>(picture.rows.size());
  dib_bytes::PutDibHeader(dib, picture.width, top_down ? -height : height, picture.bits,
                          picture.colours, picture.colours_used);
  const auto pixels_at = static_cast<std::uint32_t>(14 + dib.size());
  std::vector<Bytes> rows = picture.rows;
  if (top_down) std::reverse(rows.begin(), rows.end());
  for (const Bytes& row : rows)
    dib.insert(dib.end(), row.begin(), row.end());
  Bytes bmp = {'B', 'M'};
  Put32(bmp, static_cast<std::uint32_t>(14 + dib.size()));
  Put32(bmp, 0);
  Put32(bmp, pixels_at);
  bmp.insert(bmp.end(), dib.begin(), dib.end());
  return bmp;
}

std::vector<std::uint32_t> Greys() {
  std::vector<std::uint32_t> colours;
  for (std::uint32_t i = 0; i < 256; ++i)
    colours.push_back(i * 0x010101);
  return colours;
}

constexpr std::uint32_t kFore = 0xF0E0D0;
constexpr std::uint32_t kBack = 0x102030;

struct DepthCase {
  std::string name;
  Picture picture;
  std::vector<std::vector<std::uint32_t>> expected;  // top row first
};

const std::vector<DepthCase>& DepthCases() {
  static const std::vector<DepthCase> cases = {
      {"1 bit, 9 wide, full table by default",
       {9, 1, {kBack, kFore}, 0, {{0x00, 0x80, 0, 0}, {0xB3, 0x80, 0, 0}}},
       {{kFore, kBack, kFore, kFore, kBack, kBack, kFore, kFore, kFore},
        {kBack, kBack, kBack, kBack, kBack, kBack, kBack, kBack, kFore}}},
      {"4 bit, short table",
       {3, 4, {0xFF0000, 0x00FF00, 0x0000FF}, 3, {{0x11, 0x00, 0, 0}, {0x20, 0x10, 0, 0}}},
       {{0x0000FF, 0xFF0000, 0x00FF00}, {0x00FF00, 0x00FF00, 0xFF0000}}},
      {"8 bit, 256 colours",
       {3, 8, Greys(), 0, {{1, 2, 0x80, 0}, {0xFF, 0, 7, 0}}},
       {{0xFFFFFF, 0x000000, 0x070707}, {0x010101, 0x020202, 0x808080}}},
      {"24 bit, rows padded",
       {3,
        24,
        {},
        0,
        {{0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x7F, 0x7F, 0x00, 0x00, 0, 0, 0},
         {0x56, 0x34, 0x12, 0xEF, 0xCD, 0xAB, 0x01, 0x00, 0x00, 0, 0, 0}}},
       {{0x123456, 0xABCDEF, 0x000001}, {0xFFFFFF, 0x7F0000, 0x00007F}}},
      {"32 bit, fourth byte ignored",
       {2,
        32,
        {},
        0,
        {{3, 2, 1, 0x99, 0xBA, 0xDC, 0xFE, 0x99}, {0x56, 0x34, 0x12, 0x99, 0xEF, 0xCD, 0xAB, 0}}},
       {{0x123456, 0xABCDEF}, {0x010203, 0xFEDCBA}}},
  };
  return cases;
}

TEST(DecodeBmp, DecodesEveryDepthBottomUpAndTopDown) {
  for (const DepthCase& c : DepthCases()) {
    for (const bool top_down : {false, true}) {
      SCOPED_TRACE(c.name + (top_down ? ", top-down" : ", bottom-up"));
      const std::optional<Surface> surface = DecodeBmp(MakeBmp(c.picture, top_down));
      ASSERT_TRUE(surface);
      ASSERT_EQ(surface->width, c.picture.width);
      ASSERT_EQ(surface->height, static_cast<std::int32_t>(c.expected.size()));
      for (std::int32_t y = 0; y < surface->height; ++y) {
        for (std::int32_t x = 0; x < surface->width; ++x) {
          EXPECT_EQ(surface->At(x, y),
                    Rgb(c.expected[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)]))
              << "at (" << x << ", " << y << ")";
        }
      }
    }
  }
}

// An 8-bit 3 x 2 picture with a 4-colour table, the base of the corruptions below.
Bytes ValidBmp() {
  return MakeBmp({3, 8, {0, 0xFF, 0xFF00, 0xFF0000}, 4, {{0, 1, 2, 0}, {3, 2, 1, 0}}}, false);
}

TEST(DecodeBmp, RejectsCorruptFiles) {
  ASSERT_TRUE(DecodeBmp(ValidBmp()));
  // Offsets: 0 magic, 10 pixel offset; the info header starts at 14: 18 width, 22 height,
  // 26 planes, 28 bits, 30 compression, 46 colours used; the pixels start at 70.
  const auto set32 = [](std::size_t at, std::uint32_t value) {
    return [=](Bytes& b) { Set32(b, at, value); };
  };
  const auto set8 = [](std::size_t at, std::uint8_t value) {
    return [=](Bytes& b) { b[at] = value; };
  };
  const std::vector<std::pair<std::string, std::function<void(Bytes&)>>> cases = {
      {"not a bitmap", set8(0, 'X')},
      {"core header", set32(14, 12)},
      {"header longer than the file", set32(14, 0xFFFFFFFF)},
      {"width 0", set32(18, 0)},
      {"negative width", set32(18, static_cast<std::uint32_t>(-3))},
      {"height 0", set32(22, 0)},
      {"most negative height", set32(22, 0x80000000)},
      {"two planes", set8(26, 2)},
      {"16 bits", set8(28, 16)},
      {"run-length compressed", set32(30, 1)},
      {"bit fields", set32(30, 3)},
      {"more colours than 8 bits hold", set32(46, 257)},
      {"colour table beyond the file", set32(46, 200)},
      {"pixels beyond the file", set32(10, 0xFFFFFFFF)},
      {"pixels inside the headers", set32(10, 20)},
      {"last row cut short", set32(10, 71)},
      {"rows larger than the file",
       [](Bytes& b) {
         Set32(b, 18, 8000);
         Set32(b, 22, 8000);
       }},
      {"more pixels than allowed",
       [](Bytes& b) {
         Set32(b, 18, 0x10000);
         Set32(b, 22, 0x10000);
       }},
      {"width times height overflows",
       [](Bytes& b) {
         Set32(b, 18, 0x7FFFFFFF);
         Set32(b, 22, 0x7FFFFFFF);
       }},
      {"pixel beyond the colour table", set8(71, 4)},
  };
  for (const auto& [name, corrupt] : cases) {
    Bytes bmp = ValidBmp();
    corrupt(bmp);
    EXPECT_FALSE(DecodeBmp(bmp)) << name;
  }
}

TEST(DecodeBmp, RejectsEveryTruncation) {
  const Bytes bmp = ValidBmp();
  for (std::size_t size = 0; size < bmp.size(); ++size) {
    EXPECT_FALSE(DecodeBmp(std::span(bmp).first(size))) << size << " bytes";
  }
}

}  // namespace
}  // namespace marulex

// The built-in atlas, pixel by pixel, against the sprites as they are meant to look. The
// expectations are typed in here on their own; nothing is taken from the generator.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <map>
#include <set>
#include <span>
#include <string>

#include "scene/atlas.h"

namespace marulex {
namespace {

const Surface& Atlas() {
  static const Surface atlas = LoadAtlas();
  return atlas;
}

std::string Where(std::int32_t x, std::int32_t y) {
  return "at (" + std::to_string(x) + ", " + std::to_string(y) + ")";
}

// Compares the atlas at (left, top) with a pattern of letters, one per pixel.
template <std::size_t kRows>
void ExpectPattern(std::int32_t left, std::int32_t top, const std::array<const char*, kRows>& rows,
                   const std::map<char, std::uint32_t>& colours) {
  for (std::size_t r = 0; r < kRows; ++r) {
    const std::string row = rows[r];
    for (std::size_t i = 0; i < row.size(); ++i) {
      const auto x = left + static_cast<std::int32_t>(i);
      const auto y = top + static_cast<std::int32_t>(r);
      EXPECT_EQ(Atlas().At(x, y), Rgb(colours.at(row[i]))) << Where(x, y) << " letter " << row[i];
    }
  }
}

void ExpectFilled(const Rect& area, std::uint32_t rgb) {
  for (std::int32_t y = area.y; y < area.y + area.height; ++y) {
    for (std::int32_t x = area.x; x < area.x + area.width; ++x) {
      ASSERT_EQ(Atlas().At(x, y), Rgb(rgb)) << Where(x, y);
    }
  }
}

TEST(Atlas, HasTheAtlasSizeAndMatchesTheSpriteRectangles) {
  ASSERT_EQ(Atlas().width, 129);
  ASSERT_EQ(Atlas().height, 124);
  for (std::int32_t c = 0; c < 3; ++c) {
    EXPECT_EQ(SmallBallSprite(c), (Rect{4 * c, 0, 4, 4}));
    EXPECT_EQ(KeySprite(64, c), (Rect{64, 32 * c + 4, 32, 32}));
    EXPECT_EQ(CellSprite(0, c), (Rect{8 * c, 100, 8, 8}));
    EXPECT_EQ(BigBallSprite(c), (Rect{8 * c, 108, 8, 8}));
    EXPECT_EQ(CellSprite(1, c), (Rect{8 * c, 116, 8, 8}));
  }
  EXPECT_EQ(ShadowSprite(), (Rect{12, 0, 4, 3}));
}

TEST(Atlas, IsStoredWithEightBitsAPixelAndAPaletteOfTheColoursUsed) {
  const std::span<const std::uint8_t> bmp = AtlasBmpBytes();
  ASSERT_GE(bmp.size(), 54u);
  const auto u32 = [&](std::size_t at) {
    return std::uint32_t{bmp[at]} | std::uint32_t{bmp[at + 1]} << 8 |
           std::uint32_t{bmp[at + 2]} << 16 | std::uint32_t{bmp[at + 3]} << 24;
  };
  EXPECT_EQ(u32(14), 40u);                             // BITMAPINFOHEADER
  EXPECT_EQ(bmp[28] | bmp[29] << 8, 8);                // bits per pixel
  EXPECT_EQ(u32(30), 0u);                              // BI_RGB
  EXPECT_EQ(static_cast<std::int32_t>(u32(22)), 124);  // bottom-up
  const std::set<Pixel> used(Atlas().pixels.begin(), Atlas().pixels.end());
  EXPECT_EQ(u32(46), used.size());
}

TEST(Atlas, SmallBallsShareOnePatternInTheirOwnColours) {
  constexpr std::array<const char*, 4> kPattern = {"OLLO", "LHLS", "LLSS", "OSSO"};
  const std::array<std::map<char, std::uint32_t>, 3> colours = {{
      {{'O', 0x007F00}, {'L', 0x7FFFAA}, {'H', 0xD4FFFF}, {'S', 0x00BF55}},
      {{'O', 0x555F00}, {'L', 0xFFFF55}, {'H', 0xFFFFFF}, {'S', 0xA6CA00}},
      {{'O', 0x2A0055}, {'L', 0xAA7FFF}, {'H', 0xD4DFFF}, {'S', 0x7F00AA}},
  }};
  for (std::int32_t c = 0; c < 3; ++c) {
    SCOPED_TRACE("colour set " + std::to_string(c));
    ExpectPattern(4 * c, 0, kPattern, colours[static_cast<std::size_t>(c)]);
  }
}

TEST(Atlas, FillerAreasAreBlackAndTheCellRowsFiller) {
  ExpectFilled({12, 0, 117, 4}, 0x000000);  // right of the small balls, holds the shadow
  ExpectFilled({128, 4, 1, 96}, 0x000000);  // the column beside the keys
  ExpectFilled({24, 100, 105, 24}, 0x7F5F55);
}

struct KeyColours {
  std::uint32_t light, dark, face;
};
constexpr std::array<KeyColours, 3> kKeyColours = {{
    {0xAA7F55, 0x553F55, 0x7F5F55},
    {0xAA7FAA, 0x553F55, 0x7F3F55},
    {0x7FBFAA, 0x2A3F55, 0x557F55},
}};

Pixel KeyPixel(std::int32_t f, std::int32_t c, std::int32_t x, std::int32_t y) {
  return Atlas().At(32 * f + x, 32 * c + 4 + y);
}

bool OnOutline(std::int32_t x, std::int32_t y, std::int32_t left, std::int32_t top,
               std::int32_t right, std::int32_t bottom) {
  const bool in = x >= left && x <= right && y >= top && y <= bottom;
  return in && (x == left || x == right || y == top || y == bottom);
}

TEST(Atlas, KeyAtRestIsDrawnInRingsOfLightDarkAndFace) {
  for (std::int32_t c = 0; c < 3; ++c) {
    const KeyColours& k = kKeyColours[static_cast<std::size_t>(c)];
    for (std::int32_t y = 0; y < 32; ++y) {
      for (std::int32_t x = 0; x < 32; ++x) {
        // The last drawing step that covers a pixel decides its colour.
        std::uint32_t expected = y <= 26 ? k.light : (y <= 30 ? k.face : k.dark);
        if (OnOutline(x, y, 1, 1, 30, 25) || OnOutline(x, y, 3, 3, 28, 23)) expected = k.dark;
        if (x >= 5 && x <= 27 && y >= 5 && y <= 22) expected = k.face;
        ASSERT_EQ(KeyPixel(0, c, x, y), Rgb(expected)) << "set " << c << Where(x, y);
      }
    }
    // What the rings come to: an L ring at columns 2 and 29 and rows 2 and 24, an L line along
    // the top and left of the face and none along its right and bottom.
    for (std::int32_t i = 2; i <= 29; ++i) {
      EXPECT_EQ(KeyPixel(0, c, i, 2), Rgb(k.light));
      EXPECT_EQ(KeyPixel(0, c, i, 24), Rgb(k.light));
    }
    for (std::int32_t i = 2; i <= 24; ++i) {
      EXPECT_EQ(KeyPixel(0, c, 2, i), Rgb(k.light));
      EXPECT_EQ(KeyPixel(0, c, 29, i), Rgb(k.light));
    }
    for (std::int32_t i = 4; i <= 27; ++i)
      EXPECT_EQ(KeyPixel(0, c, i, 4), Rgb(k.light));
    for (std::int32_t i = 4; i <= 22; ++i)
      EXPECT_EQ(KeyPixel(0, c, 4, i), Rgb(k.light));
    EXPECT_EQ(KeyPixel(0, c, 27, 22), Rgb(k.face));
    EXPECT_EQ(KeyPixel(0, c, 28, 22), Rgb(k.dark));
    EXPECT_EQ(KeyPixel(0, c, 27, 23), Rgb(k.dark));
  }
}

TEST(Atlas, PressedKeysMoveTheInnerBlockDownAndShowDarkAboveIt) {
  for (std::int32_t c = 0; c < 3; ++c) {
    const Pixel dark = Rgb(kKeyColours[static_cast<std::size_t>(c)].dark);
    for (std::int32_t f = 1; f <= 3; ++f) {
      for (std::int32_t y = 0; y < 32; ++y) {
        for (std::int32_t x = 0; x < 32; ++x) {
          const bool in_block = x >= 2 && x <= 29 && y >= 2 && y <= 24;
          Pixel expected = KeyPixel(0, c, x, y);
          if (in_block) expected = y <= 1 + f ? dark : KeyPixel(0, c, x, y - f);
          ASSERT_EQ(KeyPixel(f, c, x, y), expected) << "set " << c << " frame " << f << Where(x, y);
        }
      }
    }
  }
}

TEST(Atlas, CellTilesAreSolidWhenFreeAndEdgedWhenFixed) {
  struct Cell {
    std::uint32_t free, edge, body;
  };
  constexpr std::array<Cell, 3> kCells = {{
      {0x2A3F55, 0x808000, 0xFFDF00},
      {0x007F00, 0xAA5FAA, 0x7F0055},
      {0x7F3F00, 0x2A3F55, 0x008080},
  }};
  for (std::int32_t c = 0; c < 3; ++c) {
    SCOPED_TRACE("colour set " + std::to_string(c));
    const Cell& cell = kCells[static_cast<std::size_t>(c)];
    ExpectFilled({8 * c, 100, 8, 8}, cell.free);
    ExpectFilled({8 * c, 116, 8, 1}, cell.edge);
    ExpectFilled({8 * c, 117, 1, 7}, cell.edge);
    ExpectFilled({8 * c + 1, 117, 7, 7}, cell.body);
  }
}

TEST(Atlas, BigBallsFollowTheirTablesWithFreeCellCorners) {
  struct Ball {
    std::array<const char*, 8> rows;
    std::map<char, std::uint32_t> colours;
  };
  const std::array<Ball, 3> balls = {{
      {{"EEAAAAEE", "EABBBACE", "ABBBAACD", "AAAAAACD", "CAAAACCD", "CCAACCDD", "ECCCCDDE",
        "EEDDDDEE"},
       {{'E', 0x2A3F55}, {'A', 0xD4DFFF}, {'B', 0xFFFFFF}, {'C', 0xAABFAA}, {'D', 0x808080}}},
      {{"EEAAAAEE", "EAABBBBE", "AABBBBBC", "AABBBBBC", "ABBBBBBC", "BBBBBBCC", "ECBBBCCE",
        "EECCCCEE"},
       {{'E', 0x007F00}, {'A', 0xFFBF55}, {'B', 0xFF7F00}, {'C', 0xAA5F00}}},
      {{"EEAAAAEE", "EAAAAABE", "AAAAABBC", "BAAAABBC", "BBBBBBBC", "BBBBBBCC", "EBBBDCCE",
        "EECCCCEE"},
       {{'E', 0x7F3F00}, {'A', 0xFFFFAA}, {'B', 0xFFDF55}, {'C', 0xD4BF55}, {'D', 0xFFDF00}}},
  }};
  for (std::int32_t c = 0; c < 3; ++c) {
    SCOPED_TRACE("colour set " + std::to_string(c));
    const Ball& ball = balls[static_cast<std::size_t>(c)];
    ExpectPattern(8 * c, 108, ball.rows, ball.colours);
    EXPECT_EQ(Atlas().At(8 * c, 108), Atlas().At(8 * c, 100)) << "corner shows the free cell";
  }
}

}  // namespace
}  // namespace marulex

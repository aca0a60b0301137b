// marulex-make-resources: draws the program's two pictures and writes them as
//   <folder>/atlas.bmp    the sprite atlas, 129 x 124, 8 bits per pixel with a palette
//   <folder>/marulex.ico  the icon, 32 x 32, 16 colours, transparent background
// The build embeds both files. Run this by hand when a picture changes (the folder defaults to
// "resources") and commit what it writes.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "scene/atlas.h"
#include "scene/surface.h"

namespace marulex {
namespace {

using Bytes = std::vector<std::uint8_t>;

void Put8(Bytes& out, std::uint32_t value) {
  out.push_back(static_cast<std::uint8_t>(value));
}

void Put16(Bytes& out, std::uint32_t value) {
  Put8(out, value & 0xFF);
  Put8(out, value >> 8 & 0xFF);
}

void Put32(Bytes& out, std::uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

// Palette entries are stored blue, green, red, 0.
void PutColour(Bytes& out, std::uint32_t rgb) {
  Put8(out, rgb & 0xFF);
  Put8(out, rgb >> 8 & 0xFF);
  Put8(out, rgb >> 16 & 0xFF);
  Put8(out, 0);
}

// BITMAPINFOHEADER, uncompressed, no resolution given.
void PutInfoHeader(Bytes& out, std::int32_t width, std::int32_t height, std::uint32_t bits,
                   std::uint32_t image_bytes, std::uint32_t colours) {
  Put32(out, 40);
  Put32(out, static_cast<std::uint32_t>(width));
  Put32(out, static_cast<std::uint32_t>(height));
  Put16(out, 1);  // planes
  Put16(out, bits);
  Put32(out, 0);  // BI_RGB
  Put32(out, image_bytes);
  Put32(out, 0);
  Put32(out, 0);
  Put32(out, colours);
  Put32(out, 0);  // all colours important
}

bool WriteFile(const std::filesystem::path& file, const Bytes& bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  out.close();
  return !out.fail();
}

// ---------------------------------------------------------------------------------------------
// The atlas

void Fill(Surface& surface, const Rect& area, std::uint32_t rgb) {
  for (std::int32_t y = area.y; y < area.y + area.height; ++y) {
    for (std::int32_t x = area.x; x < area.x + area.width; ++x)
      surface.At(x, y) = Rgb(rgb);
  }
}

// A one-pixel outline of the rectangle from (left, top) to (right, bottom), both inclusive.
void Outline(Surface& surface, std::int32_t left, std::int32_t top, std::int32_t right,
             std::int32_t bottom, std::uint32_t rgb) {
  Fill(surface, {left, top, right - left + 1, 1}, rgb);
  Fill(surface, {left, bottom, right - left + 1, 1}, rgb);
  Fill(surface, {left, top, 1, bottom - top + 1}, rgb);
  Fill(surface, {right, top, 1, bottom - top + 1}, rgb);
}

// Draws a pattern of letters, one per pixel, rows from the top, with the letters' colours.
template <std::size_t kRows>
void DrawPattern(Surface& surface, const Rect& at, const std::array<const char*, kRows>& rows,
                 const std::map<char, std::uint32_t>& colours) {
  for (std::int32_t y = 0; y < at.height; ++y) {
    for (std::int32_t x = 0; x < at.width; ++x) {
      surface.At(at.x + x, at.y + y) = Rgb(colours.at(rows[static_cast<std::size_t>(y)][x]));
    }
  }
}

constexpr std::array<const char*, 4> kSmallBall = {"OLLO", "LHLS", "LLSS", "OSSO"};

struct SmallBallColours {
  std::uint32_t corner, light, highlight, shade;
};
constexpr std::array<SmallBallColours, 3> kSmallBallColours = {{
    {0x007F00, 0x7FFFAA, 0xD4FFFF, 0x00BF55},  // green
    {0x555F00, 0xFFFF55, 0xFFFFFF, 0xA6CA00},  // yellow
    {0x2A0055, 0xAA7FFF, 0xD4DFFF, 0x7F00AA},  // violet
}};

struct KeyColours {
  std::uint32_t light, dark, face;
};
constexpr std::array<KeyColours, 3> kKeyColours = {{
    {0xAA7F55, 0x553F55, 0x7F5F55},
    {0xAA7FAA, 0x553F55, 0x7F3F55},
    {0x7FBFAA, 0x2A3F55, 0x557F55},
}};

struct CellColours {
  std::uint32_t free, edge, body;
};
constexpr std::array<CellColours, 3> kCellColours = {{
    {0x2A3F55, 0x808000, 0xFFDF00},  // yellow block
    {0x007F00, 0xAA5FAA, 0x7F0055},  // purple block
    {0x7F3F00, 0x2A3F55, 0x008080},  // teal block
}};

// E is the free cell's colour of the same set, so that a ball on a free cell shows no box.
struct BigBall {
  std::array<const char*, 8> rows;
  std::uint32_t a, b, c, d;
};
constexpr std::array<BigBall, 3> kBigBalls = {{
    {{"EEAAAAEE", "EABBBACE", "ABBBAACD", "AAAAAACD", "CAAAACCD", "CCAACCDD", "ECCCCDDE",
      "EEDDDDEE"},
     0xD4DFFF,
     0xFFFFFF,
     0xAABFAA,
     0x808080},  // white
    {{"EEAAAAEE", "EAABBBBE", "AABBBBBC", "AABBBBBC", "ABBBBBBC", "BBBBBBCC", "ECBBBCCE",
      "EECCCCEE"},
     0xFFBF55,
     0xFF7F00,
     0xAA5F00,
     0x000000},  // orange; uses no D
    {{"EEAAAAEE", "EAAAAABE", "AAAAABBC", "BAAAABBC", "BBBBBBBC", "BBBBBBCC", "EBBBDCCE",
      "EECCCCEE"},
     0xFFFFAA,
     0xFFDF55,
     0xD4BF55,
     0xFFDF00},  // yellow
}};

constexpr std::uint32_t kCellAreaFiller = 0x7F5F55;

// A raised key at rest, drawn in the order that gives its rings.
Surface KeyAtRest(const KeyColours& colours) {
  Surface key(32, 32);
  Fill(key, {0, 0, 32, 27}, colours.light);  // the cap
  Fill(key, {0, 27, 32, 4}, colours.face);   // the strip to the key below
  Fill(key, {0, 31, 32, 1}, colours.dark);
  Outline(key, 1, 1, 30, 25, colours.dark);
  Outline(key, 3, 3, 28, 23, colours.dark);
  Fill(key, {5, 5, 23, 18}, colours.face);
  return key;
}

// The key pressed `depth` pixels: the block inside the outer outline (columns 2 to 29, rows 2 to
// 24) moves down, what passes row 24 is cut off, and the rows it uncovers at the top are dark.
Surface PressedKey(const Surface& at_rest, std::int32_t depth, std::uint32_t dark) {
  Surface key = at_rest;
  for (std::int32_t y = 2; y <= 24; ++y) {
    for (std::int32_t x = 2; x <= 29; ++x) {
      key.At(x, y) = y < 2 + depth ? Rgb(dark) : at_rest.At(x, y - depth);
    }
  }
  return key;
}

Surface DrawAtlas() {
  // Starts black: the area right of the small balls (rows 0 to 3 from x = 12, which holds the
  // shadow) is meant to be, and so is the last column beside the keys (x = 128, rows 4 to 99),
  // which nothing copies and nothing else decides.
  Surface atlas(kAtlasWidth, kAtlasHeight);
  Fill(atlas, {24, 100, kAtlasWidth - 24, 24}, kCellAreaFiller);
  for (std::int32_t c = 0; c < 3; ++c) {
    const auto set = static_cast<std::size_t>(c);
    const SmallBallColours& ball = kSmallBallColours[set];
    DrawPattern(atlas, SmallBallSprite(c), kSmallBall,
                {{'O', ball.corner}, {'L', ball.light}, {'H', ball.highlight}, {'S', ball.shade}});

    const KeyColours& key_colours = kKeyColours[set];
    const Surface at_rest = KeyAtRest(key_colours);
    for (std::int32_t f = 0; f < 4; ++f) {
      const Rect to = KeySprite(32 * f, c);
      Copy(PressedKey(at_rest, f, key_colours.dark), 0, 0, 32, 32, atlas, to.x, to.y);
    }

    const CellColours& cell = kCellColours[set];
    Fill(atlas, CellSprite(0, c), cell.free);
    const Rect fixed = CellSprite(1, c);
    Fill(atlas, fixed, cell.edge);
    Fill(atlas, {fixed.x + 1, fixed.y + 1, fixed.width - 1, fixed.height - 1}, cell.body);

    const BigBall& big = kBigBalls[set];
    DrawPattern(atlas, BigBallSprite(c), big.rows,
                {{'E', cell.free}, {'A', big.a}, {'B', big.b}, {'C', big.c}, {'D', big.d}});
  }
  return atlas;
}

// An 8-bit bottom-up .bmp whose palette holds exactly the colours used, in increasing order.
std::optional<Bytes> EncodeBmp8(const Surface& surface) {
  std::vector<Pixel> palette = surface.pixels;
  std::sort(palette.begin(), palette.end());
  palette.erase(std::unique(palette.begin(), palette.end()), palette.end());
  if (palette.size() > 256) return std::nullopt;

  const auto row_bytes = static_cast<std::uint32_t>((surface.width + 3) / 4 * 4);
  const std::uint32_t image_bytes = row_bytes * static_cast<std::uint32_t>(surface.height);
  const auto colours = static_cast<std::uint32_t>(palette.size());
  const std::uint32_t pixels_at = 14 + 40 + 4 * colours;
  Bytes out;
  Put8(out, 'B');
  Put8(out, 'M');
  Put32(out, pixels_at + image_bytes);
  Put32(out, 0);  // reserved
  Put32(out, pixels_at);
  PutInfoHeader(out, surface.width, surface.height, 8, image_bytes, colours);
  for (const Pixel colour : palette)
    PutColour(out, colour);
  for (std::int32_t y = surface.height - 1; y >= 0; --y) {
    for (std::int32_t x = 0; x < surface.width; ++x) {
      const auto entry = std::lower_bound(palette.begin(), palette.end(), surface.At(x, y));
      Put8(out, static_cast<std::uint32_t>(entry - palette.begin()));
    }
    for (auto pad = static_cast<std::uint32_t>(surface.width); pad < row_bytes; ++pad)
      Put8(out, 0);
  }
  return out;
}

// ---------------------------------------------------------------------------------------------
// The icon: a red boomerang, outlined in black, bent at the lower left, with a cyan patch on its
// bend. Drawn in the standard 16-colour palette.

constexpr std::array<std::uint32_t, 16> kStandardColours = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
enum Colour : std::int32_t {
  kTransparent = -1,
  kBlack = 0,
  kMaroon = 1,
  kTeal = 6,
  kRed = 9,
  kCyan = 14,
  kWhite = 15,
};

constexpr std::int32_t kIconSize = 32;
using IconPicture = std::array<std::array<std::int32_t, kIconSize>, kIconSize>;  // [y][x]

struct Point {
  double x, y;
};

// Distance from p to the segment from a to b, and where along it the nearest point lies (0 at a).
std::pair<double, double> ToSegment(Point p, Point a, Point b) {
  const double dx = b.x - a.x;
  const double dy = b.y - a.y;
  const double t =
      std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
  return {std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy)), t};
}

constexpr Point kBend = {9.2, 22.6};
constexpr std::array<Point, 2> kTips = {{{8.6, 4.4}, {27.6, 13.4}}};
constexpr Point kPatch = {10.2, 21.6};

// Each arm is widest at the bend and narrows towards its rounded tip.
bool InFigure(double x, double y) {
  for (const Point tip : kTips) {
    const auto [distance, t] = ToSegment({x, y}, kBend, tip);
    if (distance < 5.7 - 2.9 * t) return true;
  }
  return false;
}

bool InFigureAt(std::int32_t x, std::int32_t y) {
  return x >= 0 && y >= 0 && x < kIconSize && y < kIconSize && InFigure(x + 0.5, y + 0.5);
}

IconPicture DrawIcon() {
  IconPicture picture;
  for (std::int32_t y = 0; y < kIconSize; ++y) {
    for (std::int32_t x = 0; x < kIconSize; ++x) {
      std::int32_t colour = kTransparent;
      if (InFigureAt(x, y)) {
        bool edge = false;
        for (std::int32_t dy = -1; dy <= 1; ++dy) {
          for (std::int32_t dx = -1; dx <= 1; ++dx)
            edge = edge || !InFigureAt(x + dx, y + dy);
        }
        const double cx = x + 0.5 - kPatch.x;
        const double cy = y + 0.5 - kPatch.y;
        const double from_patch = std::hypot(cx, cy);
        if (edge) {
          colour = kBlack;
        } else if (from_patch <= 2.9) {
          // Lit from the top left, like the arms.
          colour = cx + cy > 2.0 ? kTeal : (cx + cy < -2.2 ? kWhite : kCyan);
        } else if (from_patch <= 3.9) {
          colour = kBlack;
        } else {
          colour = InFigure(x + 2.3, y + 2.3) ? kRed : kMaroon;  // shade on the lower right
        }
      }
      picture[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] = colour;
    }
  }
  return picture;
}

// A one-image .ico: BITMAPINFOHEADER with the doubled height, 4-bit colour picture, AND mask.
Bytes EncodeIcon(const IconPicture& picture) {
  constexpr std::uint32_t kColourRowBytes = kIconSize / 2;
  constexpr std::uint32_t kMaskRowBytes = 4;  // 32 bits, already a multiple of 4 bytes
  constexpr std::uint32_t kImageBytes = (kColourRowBytes + kMaskRowBytes) * kIconSize;
  constexpr std::uint32_t kResourceBytes = 40 + 16 * 4 + kImageBytes;
  Bytes out;
  Put16(out, 0);  // reserved
  Put16(out, 1);  // an icon
  Put16(out, 1);  // one image
  Put8(out, kIconSize);
  Put8(out, kIconSize);
  Put8(out, 16);  // colours
  Put8(out, 0);
  Put16(out, 1);  // planes
  Put16(out, 4);  // bits per pixel
  Put32(out, kResourceBytes);
  Put32(out, 6 + 16);  // the image follows this one directory entry
  PutInfoHeader(out, kIconSize, 2 * kIconSize, 4, kImageBytes, 16);
  for (const std::uint32_t colour : kStandardColours)
    PutColour(out, colour);
  // Transparent pixels are black in the colour picture and set in the mask.
  for (std::int32_t y = kIconSize - 1; y >= 0; --y) {
    const auto& row = picture[static_cast<std::size_t>(y)];
    for (std::size_t x = 0; x < kIconSize; x += 2) {
      Put8(out, static_cast<std::uint32_t>(std::max(row[x], 0) << 4 | std::max(row[x + 1], 0)));
    }
  }
  for (std::int32_t y = kIconSize - 1; y >= 0; --y) {
    const auto& row = picture[static_cast<std::size_t>(y)];
    for (std::size_t byte = 0; byte < kMaskRowBytes; ++byte) {
      std::uint32_t bits = 0;
      for (std::size_t bit = 0; bit < 8; ++bit) {
        bits = bits << 1 | (row[8 * byte + bit] == kTransparent ? 1u : 0u);
      }
      Put8(out, bits);
    }
  }
  return out;
}

}  // namespace
}  // namespace marulex

int main(int argc, char** argv) {
  using namespace marulex;
  if (argc > 2) {
    std::fprintf(stderr, "usage: %s [resources folder]\n", argv[0]);
    return 2;
  }
  const std::filesystem::path folder = argc == 2 ? argv[1] : "resources";
  const std::optional<Bytes> atlas = EncodeBmp8(DrawAtlas());
  if (!atlas) {
    std::fprintf(stderr, "the atlas uses more than 256 colours\n");
    return 1;
  }
  for (const auto& [name, bytes] :
       {std::pair{"atlas.bmp", *atlas}, std::pair{"marulex.ico", EncodeIcon(DrawIcon())}}) {
    const std::filesystem::path file = folder / name;
    if (!WriteFile(file, bytes)) {
      std::fprintf(stderr, "cannot write %s\n", file.string().c_str());
      return 1;
    }
    std::printf("wrote %s (%zu bytes)\n", file.string().c_str(), bytes.size());
  }
  return 0;
}

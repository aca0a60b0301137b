#include "scene/bmp.h"

#include <limits>

namespace marulex {

std::uint16_t U16(std::span<const std::uint8_t> bytes, std::size_t at) {
  return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

std::uint32_t U32(std::span<const std::uint8_t> bytes, std::size_t at) {
  return std::uint32_t{bytes[at]} | std::uint32_t{bytes[at + 1]} << 8 |
         std::uint32_t{bytes[at + 2]} << 16 | std::uint32_t{bytes[at + 3]} << 24;
}

namespace {

constexpr std::size_t kFileHeaderBytes = 14;
constexpr std::size_t kInfoHeaderBytes = 40;
constexpr std::uint32_t kBiRgb = 0;

// Colour table entries and 24/32-bit pixels are stored blue, green, red.
std::uint32_t Bgr(std::span<const std::uint8_t> bytes, std::size_t at) {
  return std::uint32_t{bytes[at + 2]} << 16 | std::uint32_t{bytes[at + 1]} << 8 | bytes[at];
}

bool KnownDepth(std::int32_t bits) {
  return bits == 1 || bits == 4 || bits == 8 || bits == 24 || bits == 32;
}

bool SizeAllowed(std::int64_t width, std::int64_t height) {
  return width > 0 && height > 0 && width * height <= kMaxDecodedPixels;
}

}  // namespace

std::size_t DibHeader::RowBytes() const {
  return (static_cast<std::size_t>(width) * static_cast<std::size_t>(bits_per_pixel) + 31) / 32 * 4;
}

std::optional<DibHeader> ReadDibHeader(std::span<const std::uint8_t> dib, DibKind kind) {
  if (dib.size() < kInfoHeaderBytes) return std::nullopt;
  const std::uint32_t header_bytes = U32(dib, 0);
  if (header_bytes < kInfoHeaderBytes || header_bytes > dib.size()) return std::nullopt;
  const auto width = static_cast<std::int32_t>(U32(dib, 4));
  const auto stored_height = static_cast<std::int32_t>(U32(dib, 8));
  const std::uint16_t planes = U16(dib, 12);
  const std::uint16_t bits = U16(dib, 14);
  const std::uint32_t compression = U32(dib, 16);
  const std::uint32_t colours_used = U32(dib, 32);
  if (planes != 1 || compression != kBiRgb || !KnownDepth(bits)) return std::nullopt;

  DibHeader header;
  header.width = width;
  header.bits_per_pixel = bits;
  if (kind == DibKind::kIconImage) {
    if (stored_height <= 0 || stored_height % 2 != 0) return std::nullopt;
    header.height = stored_height / 2;
  } else {
    if (stored_height == std::numeric_limits<std::int32_t>::min()) return std::nullopt;
    header.top_down = stored_height < 0;
    header.height = header.top_down ? -stored_height : stored_height;
  }
  if (!SizeAllowed(header.width, header.height)) return std::nullopt;

  // 0 colours used means a full table for palette depths; above 8 bits the table is optional.
  std::uint64_t entries = colours_used;
  if (bits <= 8) {
    const std::uint64_t full = std::uint64_t{1} << bits;
    if (entries == 0) entries = full;
    if (entries > full) return std::nullopt;
  }
  const std::uint64_t table_end = header_bytes + 4 * entries;
  if (table_end > dib.size()) return std::nullopt;
  if (bits <= 8) {
    header.colours.reserve(entries);
    for (std::uint64_t i = 0; i < entries; ++i) {
      header.colours.push_back(Rgb(Bgr(dib, header_bytes + 4 * i)));
    }
  }
  header.header_end = table_end;
  return header;
}

std::optional<Surface> ReadDibPixels(std::span<const std::uint8_t> dib, const DibHeader& header,
                                     std::size_t offset, bool keep_alpha) {
  // The header may not come from ReadDibHeader, so its sizes are checked again here.
  if (!KnownDepth(header.bits_per_pixel) || !SizeAllowed(header.width, header.height)) {
    return std::nullopt;
  }
  const std::size_t row_bytes = header.RowBytes();
  const auto rows = static_cast<std::size_t>(header.height);
  if (offset > dib.size() || (dib.size() - offset) / row_bytes < rows) return std::nullopt;

  Surface surface(header.width, header.height);
  const auto bits = static_cast<std::size_t>(header.bits_per_pixel);
  for (std::size_t r = 0; r < rows; ++r) {
    const auto row = dib.subspan(offset + r * row_bytes, row_bytes);
    const auto y = static_cast<std::int32_t>(header.top_down ? r : rows - 1 - r);
    for (std::int32_t x = 0; x < header.width; ++x) {
      const auto ux = static_cast<std::size_t>(x);
      Pixel pixel;
      if (bits == 24) {
        pixel = Rgb(Bgr(row, 3 * ux));
      } else if (bits == 32) {
        const std::uint32_t rgb = Bgr(row, 4 * ux);
        pixel = keep_alpha ? std::uint32_t{row[4 * ux + 3]} << 24 | rgb : Rgb(rgb);
      } else {
        // Palette indices are packed from the most significant bit of each byte.
        const std::size_t bit = ux * bits;
        const std::size_t shift = 8 - bits - bit % 8;
        const std::size_t index = (row[bit / 8] >> shift) & ((1u << bits) - 1);
        if (index >= header.colours.size()) return std::nullopt;
        pixel = header.colours[index];
      }
      surface.At(x, y) = pixel;
    }
  }
  return surface;
}

std::optional<Surface> DecodeBmp(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < kFileHeaderBytes || bytes[0] != 'B' || bytes[1] != 'M') return std::nullopt;
  const std::uint32_t pixels_at = U32(bytes, 10);
  const auto dib = bytes.subspan(kFileHeaderBytes);
  const std::optional<DibHeader> header = ReadDibHeader(dib, DibKind::kBmpFile);
  // The pixels may not overlap the headers; that they fit the file is ReadDibPixels's check.
  if (!header || pixels_at < kFileHeaderBytes + header->header_end) return std::nullopt;
  return ReadDibPixels(dib, *header, pixels_at - kFileHeaderBytes, /*keep_alpha=*/false);
}

}  // namespace marulex

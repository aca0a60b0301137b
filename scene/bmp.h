// Windows bitmap decoding: .bmp files, and the device-independent bitmap (DIB) reader that
// the icon decoder shares. Every size and offset is checked against the bytes at hand, so any
// input gives either a surface or nullopt.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "scene/surface.h"

namespace marulex {

// Little-endian reads at `at`; the caller has checked that the bytes are there.
std::uint16_t U16(std::span<const std::uint8_t> bytes, std::size_t at);
std::uint32_t U32(std::span<const std::uint8_t> bytes, std::size_t at);

// The largest picture the decoders accept, in pixels (256 MiB of surface). Larger headers are
// treated as corrupt, so that no input can make a decoder allocate more.
inline constexpr std::int64_t kMaxDecodedPixels = std::int64_t{1} << 26;

// Decodes a .bmp file: a BITMAPINFOHEADER (or one of its longer successors), uncompressed
// (BI_RGB), 1, 4 or 8 bits per pixel with a colour table or 24 or 32 bits per pixel, bottom-up
// or top-down. The pixels come out opaque; the fourth byte of 32-bit pixels is ignored.
// nullopt for any other kind of file and for any file whose sizes or offsets do not fit its bytes.
std::optional<Surface> DecodeBmp(std::span<const std::uint8_t> bytes);

// Where a DIB comes from. An icon's image stores its colour picture and its AND mask one after
// the other and counts both in the header's height; it is always bottom-up.
enum class DibKind { kBmpFile, kIconImage };

// A DIB's header and colour table.
struct DibHeader {
  std::int32_t width = 0;
  std::int32_t height = 0;  // rows of the colour picture, always positive
  bool top_down = false;
  std::int32_t bits_per_pixel = 0;  // 1, 4, 8, 24 or 32
  std::vector<Pixel> colours;       // the colour table as opaque pixels; empty above 8 bits
  std::size_t header_end = 0;       // offset of the first byte after the colour table

  // Bytes of one stored row of the colour picture: rows are padded to a multiple of 4 bytes.
  std::size_t RowBytes() const;
};

// Reads the header and the colour table at the start of `dib`.
std::optional<DibHeader> ReadDibHeader(std::span<const std::uint8_t> dib, DibKind kind);

// Decodes the `header.height` rows that start at `offset` in `dib`. With `keep_alpha`, 32-bit
// pixels keep their fourth byte as alpha (0xAARRGGBB); all other pixels come out opaque.
// nullopt if the rows do not fit `dib` or a pixel names a colour beyond the colour table.
std::optional<Surface> ReadDibPixels(std::span<const std::uint8_t> dib, const DibHeader& header,
                                     std::size_t offset, bool keep_alpha);

}  // namespace marulex

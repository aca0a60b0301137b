// Little helpers that build the bytes of hand-made bitmaps and icons for the decoder tests.
#pragma once

#include <cstdint>
#include <vector>

namespace marulex::dib_bytes {

using Bytes = std::vector<std::uint8_t>;

inline void Put16(Bytes& out, std::uint32_t value) {
  out.push_back(static_cast<std::uint8_t>(value));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}

inline void Put32(Bytes& out, std::uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

inline void Set32(Bytes& bytes, std::size_t at, std::uint32_t value) {
  for (std::size_t i = 0; i < 4; ++i)
    bytes[at + i] = static_cast<std::uint8_t>(value >> 8 * i);
}

// BITMAPINFOHEADER (uncompressed) followed by the colour table, stored blue, green, red, 0.
inline void PutDibHeader(Bytes& out, std::int32_t width, std::int32_t height, std::uint32_t bits,
                         const std::vector<std::uint32_t>& colours, std::uint32_t colours_used) {
  Put32(out, 40);
  Put32(out, static_cast<std::uint32_t>(width));
  Put32(out, static_cast<std::uint32_t>(height));
  Put16(out, 1);
  Put16(out, bits);
  for (int i = 0; i < 4; ++i)
    Put32(out, 0);  // compression, image size, resolution
  Put32(out, colours_used);
  Put32(out, 0);
  for (const std::uint32_t rgb : colours)
    Put32(out, rgb & 0xFFFFFF);
}

}  // namespace marulex::dib_bytes

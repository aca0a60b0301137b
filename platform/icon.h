// The program's icon: its .ico file as built into the program, and a decoder for .ico files
// that needs nothing but the standard library, so that every backend shows the same pixels.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "scene/surface.h"

namespace marulex {

// The bytes of resources/marulex.ico as built into the program.
std::span<const std::uint8_t> IconBytes();

// Decodes the first 32 x 32 image of an .ico file, or its first image if none is 32 x 32. The
// image must be a DIB with its AND mask (1, 4 or 8 bits per pixel with a colour table, or 24 or
// 32 bits); PNG-compressed images give nullopt, as does anything that does not fit its bytes.
// Unlike the scene's surfaces, the pixels carry alpha: 0xAARRGGBB, opaque (0xFF) where the mask
// is clear, and 0x00000000 where it is set. A 32-bit image with any non-zero alpha byte uses its
// alpha bytes as well, as Windows does.
std::optional<Surface> DecodeIcon(std::span<const std::uint8_t> ico_bytes);

}  // namespace marulex

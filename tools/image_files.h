// Picture files for the tools and the tests: binary PPM both ways, and PNG for viewing.
#pragma once

#include <filesystem>
#include <optional>

#include "scene/surface.h"

namespace marulex {

// Writes `surface` as a binary PPM (P6, maxval 255) from the low 24 bits of its pixels.
// False on an I/O error or for an empty surface.
bool WritePpm(const Surface& surface, const std::filesystem::path& file);

// Writes `surface` as an 8-bit RGB, non-interlaced PNG from the low 24 bits of its pixels.
// False on an I/O error or for an empty surface (a PNG cannot be empty).
bool WritePng(const Surface& surface, const std::filesystem::path& file);

// Reads a binary PPM (P6) with maxval 255 as opaque pixels. nullopt if the file cannot be read,
// is not such a PPM, or holds more than kMaxDecodedPixels (scene/bmp.h) pixels.
std::optional<Surface> ReadPpm(const std::filesystem::path& file);

}  // namespace marulex

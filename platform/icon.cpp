#include "platform/icon.h"

#include <algorithm>

#include "scene/bmp.h"

namespace marulex {
namespace {

constexpr std::size_t kDirectoryBytes = 6;
constexpr std::size_t kEntryBytes = 16;
constexpr std::uint16_t kIconType = 1;

// The bytes of the image to show: the first 32 x 32 one, else the first.
std::optional<std::span<const std::uint8_t>> ChooseImage(std::span<const std::uint8_t> ico) {
  if (ico.size() < kDirectoryBytes || U16(ico, 0) != 0 || U16(ico, 2) != kIconType) {
    return std::nullopt;
  }
  const std::size_t count = U16(ico, 4);
  if (count == 0 || (ico.size() - kDirectoryBytes) / kEntryBytes < count) return std::nullopt;
  std::size_t entry = kDirectoryBytes;
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t at = kDirectoryBytes + i * kEntryBytes;
    if (ico[at] == 32 && ico[at + 1] == 32) {
      entry = at;
      break;
    }
  }
  const std::uint32_t size = U32(ico, entry + 8);
  const std::uint32_t offset = U32(ico, entry + 12);
  if (offset > ico.size() || size > ico.size() - offset) return std::nullopt;
  return ico.subspan(offset, size);
}

}  // namespace

std::optional<Surface> DecodeIcon(std::span<const std::uint8_t> ico_bytes) {
  const auto image = ChooseImage(ico_bytes);
  if (!image) return std::nullopt;
  const std::optional<DibHeader> header = ReadDibHeader(*image, DibKind::kIconImage);
  if (!header) return std::nullopt;
  std::optional<Surface> picture =
      ReadDibPixels(*image, *header, header->header_end, /*keep_alpha=*/true);
  if (!picture) return std::nullopt;

  // The AND mask follows the colour rows: one bit a pixel, bottom-up, rows padded to 4 bytes.
  // ReadDibPixels has checked that the colour rows fit, so mask_at lies within the image.
  const auto rows = static_cast<std::size_t>(header->height);
  const std::size_t mask_row_bytes = (static_cast<std::size_t>(header->width) + 31) / 32 * 4;
  const std::size_t mask_at = header->header_end + header->RowBytes() * rows;
  if ((image->size() - mask_at) / mask_row_bytes < rows) return std::nullopt;

  const bool alpha_bytes =
      header->bits_per_pixel == 32 && std::any_of(picture->pixels.begin(), picture->pixels.end(),
                                                  [](Pixel pixel) { return (pixel >> 24) != 0; });
  for (std::size_t r = 0; r < rows; ++r) {
    const auto mask = image->subspan(mask_at + r * mask_row_bytes, mask_row_bytes);
    const auto y = static_cast<std::int32_t>(rows - 1 - r);
    for (std::int32_t x = 0; x < header->width; ++x) {
      const auto ux = static_cast<std::size_t>(x);
      const bool masked = (mask[ux / 8] >> (7 - ux % 8) & 1) != 0;
      Pixel& pixel = picture->At(x, y);
      if (!alpha_bytes) pixel |= 0xFF000000u;
      if (masked || (pixel >> 24) == 0) pixel = 0;
    }
  }
  return picture;
}

}  // namespace marulex

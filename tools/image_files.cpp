#include "tools/image_files.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <limits>
#include <span>
#include <string>
#include <vector>

#include "scene/bmp.h"

namespace marulex {
namespace {

using Bytes = std::vector<std::uint8_t>;

bool WriteBytes(const std::filesystem::path& file, const Bytes& bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  out.close();
  return !out.fail();
}

std::optional<Bytes> ReadBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return std::nullopt;
  return bytes;
}

void PutRgb(Bytes& out, Pixel pixel) {
  out.push_back(static_cast<std::uint8_t>(pixel >> 16));
  out.push_back(static_cast<std::uint8_t>(pixel >> 8));
  out.push_back(static_cast<std::uint8_t>(pixel));
}

void PutBigEndian32(Bytes& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8)
    out.push_back(static_cast<std::uint8_t>(value >> shift));
}

void PutChunk(Bytes& out, const char (&type)[5], std::span<const std::uint8_t> data) {
  PutBigEndian32(out, static_cast<std::uint32_t>(data.size()));
  const std::size_t type_at = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  // The CRC covers the type and the data, not the length.
  uLong crc = crc32(0, nullptr, 0);
  crc = crc32(crc, &out[type_at], static_cast<uInt>(4 + data.size()));
  PutBigEndian32(out, static_cast<std::uint32_t>(crc));
}

bool IsPpmSpace(std::uint8_t c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// Reads one decimal header field of a PPM, after whitespace and comments, at `at`.
std::optional<std::int64_t> PpmField(std::span<const std::uint8_t> bytes, std::size_t& at) {
  while (at < bytes.size() && (IsPpmSpace(bytes[at]) || bytes[at] == '#')) {
    if (bytes[at] == '#') {
      while (at < bytes.size() && bytes[at] != '\n' && bytes[at] != '\r')
        ++at;
    } else {
      ++at;
    }
  }
  std::int64_t value = 0;
  const std::size_t start = at;
  while (at < bytes.size() && bytes[at] >= '0' && bytes[at] <= '9') {
    value = value * 10 + (bytes[at] - '0');
    if (value > std::numeric_limits<std::int32_t>::max()) return std::nullopt;
    ++at;
  }
  if (at == start) return std::nullopt;
  return value;
}

std::optional<Surface> ParsePpm(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < 2 || bytes[0] != 'P' || bytes[1] != '6') return std::nullopt;
  std::size_t at = 2;
  const auto width = PpmField(bytes, at);
  const auto height = PpmField(bytes, at);
  const auto maxval = PpmField(bytes, at);
  // Exactly one whitespace character separates the header from the samples.
  if (!width || !height || !maxval || *maxval != 255 || at >= bytes.size() ||
      !IsPpmSpace(bytes[at])) {
    return std::nullopt;
  }
  ++at;
  if (*width <= 0 || *height <= 0 || *width * *height > kMaxDecodedPixels ||
      static_cast<std::uint64_t>(*width * *height * 3) > bytes.size() - at) {
    return std::nullopt;
  }
  Surface surface(static_cast<std::int32_t>(*width), static_cast<std::int32_t>(*height));
  for (Pixel& pixel : surface.pixels) {
    pixel = Rgb(std::uint32_t{bytes[at]} << 16 | std::uint32_t{bytes[at + 1]} << 8 | bytes[at + 2]);
    at += 3;
  }
  return surface;
}

}  // namespace

bool WritePpm(const Surface& surface, const std::filesystem::path& file) {
  if (surface.width <= 0 || surface.height <= 0) return false;
  const std::string header =
      "P6\n" + std::to_string(surface.width) + " " + std::to_string(surface.height) + "\n255\n";
  Bytes bytes(header.begin(), header.end());
  bytes.reserve(bytes.size() + surface.pixels.size() * 3);
  for (const Pixel pixel : surface.pixels)
    PutRgb(bytes, pixel);
  return WriteBytes(file, bytes);
}

bool WritePng(const Surface& surface, const std::filesystem::path& file) {
  if (surface.width <= 0 || surface.height <= 0) return false;
  // Each row starts with its filter type; 0 stores the row as it is.
  Bytes rows;
  rows.reserve(static_cast<std::size_t>(surface.height) *
               (1 + 3 * static_cast<std::size_t>(surface.width)));
  for (std::int32_t y = 0; y < surface.height; ++y) {
    rows.push_back(0);
    for (std::int32_t x = 0; x < surface.width; ++x)
      PutRgb(rows, surface.At(x, y));
  }
  if (rows.size() > std::numeric_limits<uLong>::max()) return false;
  uLongf compressed_size = compressBound(static_cast<uLong>(rows.size()));
  Bytes compressed(compressed_size);
  if (compress2(compressed.data(), &compressed_size, rows.data(), static_cast<uLong>(rows.size()),
                Z_BEST_COMPRESSION) != Z_OK) {
    return false;
  }
  compressed.resize(compressed_size);

  Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  Bytes header;
  PutBigEndian32(header, static_cast<std::uint32_t>(surface.width));
  PutBigEndian32(header, static_cast<std::uint32_t>(surface.height));
  // 8 bits per sample, colour type 2 (RGB), deflate, adaptive filtering, not interlaced.
  header.insert(header.end(), {8, 2, 0, 0, 0});
  PutChunk(png, "IHDR", header);
  // Chunks hold less than 2^31 bytes; 1 MiB pieces keep every picture within that.
  constexpr std::size_t kPiece = std::size_t{1} << 20;
  const std::span<const std::uint8_t> stream(compressed);
  for (std::size_t at = 0; at < stream.size(); at += kPiece) {
    PutChunk(png, "IDAT", stream.subspan(at, std::min(kPiece, stream.size() - at)));
  }
  PutChunk(png, "IEND", {});
  return WriteBytes(file, png);
}

std::optional<Surface> ReadPpm(const std::filesystem::path& file) {
  const std::optional<Bytes> bytes = ReadBytes(file);
  if (!bytes) return std::nullopt;
  return ParsePpm(*bytes);
}

}  // namespace marulex

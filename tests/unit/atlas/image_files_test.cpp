#include "tools/image_files.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace marulex {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A file name of this test's own in the test's temporary folder.
std::filesystem::path TestFile(const std::string& suffix) {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  return std::filesystem::path(::testing::TempDir()) /
         (std::string("marulex_") + info->test_suite_name() + "_" + info->name() + suffix);
}

Bytes ReadAll(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteAll(const std::filesystem::path& file, const std::string& bytes) {
  std::ofstream(file, std::ios::binary) << bytes;
}

// 5 x 3, every pixel different; the top bytes are not all 0xFF, which the files must ignore.
Surface Sample() {
  Surface surface(5, 3);
  for (std::size_t i = 0; i < surface.pixels.size(); ++i) {
    surface.pixels[i] = static_cast<Pixel>(0x00123456u * (i + 1)) ^ 0x00A5C3E1u;
  }
  return surface;
}

Surface Opaque(Surface surface) {
  for (Pixel& pixel : surface.pixels)
    pixel = Rgb(pixel);
  return surface;
}

TEST(Ppm, WrittenPictureReadsBackAsItsOpaquePixels) {
  const std::filesystem::path file = TestFile(".ppm");
  ASSERT_TRUE(WritePpm(Sample(), file));
  const std::optional<Surface> read = ReadPpm(file);
  ASSERT_TRUE(read);
  EXPECT_EQ(*read, Opaque(Sample()));
  std::filesystem::remove(file);
}

TEST(Ppm, ReadsOnlyBinaryPpmWithMaxval255) {
  struct Case {
    std::string name;
    std::string bytes;
    bool valid;
  };
  const std::vector<Case> cases = {
      {"comments and spare whitespace",
       "P6 # made by hand\n 2\t1\r\n# maxval next\n255\n\x01\x02\x03\xFF\xFE\xFD", true},
      {"plain text PPM", "P3\n2 1\n255\n1 2 3 255 254 253\n", false},
      {"two bytes a sample", "P6\n2 1\n65535\n" + std::string(12, '\0'), false},
      {"samples cut short", "P6\n2 1\n255\n\x01\x02\x03\xFF\xFE", false},
      {"zero width", "P6\n0 1\n255\n", false},
      {"no whitespace before the samples", "P6\n2 1\n255", false},
      {"size beyond any picture", "P6\n99999999999 99999999999\n255\n", false},
      {"more pixels than allowed", "P6\n65536 65536\n255\n", false},
      {"empty file", "", false},
  };
  for (const Case& c : cases) {
    const std::filesystem::path file = TestFile(".ppm");
    WriteAll(file, c.bytes);
    const std::optional<Surface> read = ReadPpm(file);
    EXPECT_EQ(read.has_value(), c.valid) << c.name;
    if (read && c.valid) {
      EXPECT_EQ(read->pixels, (std::vector<Pixel>{Rgb(0x010203), Rgb(0xFFFEFD)})) << c.name;
    }
    std::filesystem::remove(file);
  }
  EXPECT_FALSE(ReadPpm(TestFile(".missing")));
}

std::uint32_t BigEndian32(const Bytes& bytes, std::size_t at) {
  return std::uint32_t{bytes[at]} << 24 | std::uint32_t{bytes[at + 1]} << 16 |
         std::uint32_t{bytes[at + 2]} << 8 | bytes[at + 3];
}

TEST(Png, HoldsCheckedChunksWhoseImageDataInflatesToTheUnfilteredRows) {
  const std::filesystem::path file = TestFile(".png");
  const Surface sample = Sample();
  ASSERT_TRUE(WritePng(sample, file));
  const Bytes png = ReadAll(file);
  std::filesystem::remove(file);

  const Bytes signature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  ASSERT_GE(png.size(), signature.size());
  ASSERT_TRUE(std::equal(signature.begin(), signature.end(), png.begin()));
  std::vector<std::string> types;
  Bytes header;
  Bytes stream;
  for (std::size_t at = signature.size(); at < png.size();) {
    ASSERT_LE(at + 12, png.size());
    const std::uint32_t length = BigEndian32(png, at);
    ASSERT_LE(at + 12 + length, png.size());
    const std::string type(png.begin() + static_cast<std::ptrdiff_t>(at + 4),
                           png.begin() + static_cast<std::ptrdiff_t>(at + 8));
    const std::uint8_t* data = &png[at + 8];
    EXPECT_EQ(crc32(0, &png[at + 4], 4 + length), BigEndian32(png, at + 8 + length)) << type;
    types.push_back(type);
    if (type == "IHDR") header.assign(data, data + length);
    if (type == "IDAT") stream.insert(stream.end(), data, data + length);
    at += 12 + length;
  }
  ASSERT_GE(types.size(), 3u);
  EXPECT_EQ(types.front(), "IHDR");
  EXPECT_EQ(types.back(), "IEND");
  // Width 5, height 3, 8 bits, RGB, deflate, standard filters, not interlaced.
  EXPECT_EQ(header, (Bytes{0, 0, 0, 5, 0, 0, 0, 3, 8, 2, 0, 0, 0}));

  Bytes rows(3 * (1 + 5 * 3) + 1);  // one byte more than expected, to see that no more comes
  uLongf rows_size = rows.size();
  ASSERT_EQ(uncompress(rows.data(), &rows_size, stream.data(), stream.size()), Z_OK);
  rows.resize(rows_size);
  Bytes expected;
  for (std::int32_t y = 0; y < 3; ++y) {
    expected.push_back(0);  // filter: none
    for (std::int32_t x = 0; x < 5; ++x) {
      const Pixel pixel = sample.At(x, y);
      expected.insert(expected.end(),
                      {static_cast<std::uint8_t>(pixel >> 16),
                       static_cast<std::uint8_t>(pixel >> 8), static_cast<std::uint8_t>(pixel)});
    }
  }
  EXPECT_EQ(rows, expected);
}

TEST(ImageFiles, WritingFailsForAMissingFolderOrAnEmptySurface) {
  const std::filesystem::path nowhere = TestFile("_missing_folder") / "picture";
  EXPECT_FALSE(WritePpm(Sample(), nowhere));
  EXPECT_FALSE(WritePng(Sample(), nowhere));
  EXPECT_FALSE(WritePpm(Surface(), TestFile(".ppm")));
  EXPECT_FALSE(WritePng(Surface(0, 4), TestFile(".png")));
}

}  // namespace
}  // namespace marulex

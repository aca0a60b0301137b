#include "tools/render/render_options.h"

#include <gtest/gtest.h>

#include <sstream>

namespace marulex {
namespace {

std::vector<std::string> Split(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> words;
  for (std::string word; in >> word;)
    words.push_back(word);
  return words;
}

TEST(RenderOptionsTest, ReadsFramesSettingsAndTheAtlas) {
  const auto frame = ParseRenderOptions(
      Split("--size 152x112 --mode -49 --balls 65535 --seed 4294967295 --ticks 0 -o a.ppm"));
  ASSERT_TRUE(std::holds_alternative<RenderOptions>(frame));
  const auto& f = std::get<RenderOptions>(frame);
  EXPECT_EQ(f.width, 152);
  EXPECT_EQ(f.height, 112);
  EXPECT_EQ(f.mode, -49);
  EXPECT_EQ(f.balls, 65535);
  EXPECT_EQ(f.seed, 4294967295u);
  EXPECT_FALSE(f.full);

  const auto settings =
      ParseRenderOptions(Split("-o b.png --full --settings M.ini --ticks 9 --seed 1 --size 0x0"));
  ASSERT_TRUE(std::holds_alternative<RenderOptions>(settings));
  EXPECT_EQ(std::get<RenderOptions>(settings).settings, std::filesystem::path("M.ini"));
  EXPECT_TRUE(std::get<RenderOptions>(settings).full);

  const auto atlas = ParseRenderOptions(Split("--atlas -o atlas.png"));
  ASSERT_TRUE(std::holds_alternative<RenderOptions>(atlas));
  EXPECT_TRUE(std::get<RenderOptions>(atlas).atlas_only);
}

TEST(RenderOptionsTest, RefusesBadArgumentsWithOneLine) {
  const char* bad[] = {
      "",
      "--size 10x10 --mode 1 --balls 1 --seed 1 --ticks 1",           // no output
      "--size 10x10 --mode 1 --balls 1 --seed 1 --ticks 1 -o a.bmp",  // unknown format
      "--size 10 --mode 1 --balls 1 --seed 1 --ticks 1 -o a.ppm",     // no height
      "--size 10x-1 --mode 1 --balls 1 --seed 1 --ticks 1 -o a.ppm",
      "--size 65536x1 --mode 1 --balls 1 --seed 1 --ticks 1 -o a.ppm",
      "--size 10000x10000 --mode 1 --balls 1 --seed 1 --ticks 1 -o a.ppm",  // too many pixels
      "--size 10x10 --mode 2147483648 --balls 1 --seed 1 --ticks 1 -o a.ppm",
      "--size 10x10 --mode 1 --balls 1x --seed 1 --ticks 1 -o a.ppm",
      "--size 10x10 --mode 1 --balls 1 --seed -1 --ticks 1 -o a.ppm",
      "--size 10x10 --mode 1 --balls 1 --seed 4294967296 --ticks 1 -o a.ppm",
      "--size 10x10 --mode 1 --balls 1 --seed 1 --ticks -5 -o a.ppm",
      "--size 10x10 --mode 1 --seed 1 --ticks 1 -o a.ppm",  // no balls
      "--size 10x10 --mode 1 --balls 1 --settings s --seed 1 --ticks 1 -o a.ppm",
      "--size 10x10 --size 10x10 --mode 1 --balls 1 --seed 1 --ticks 1 -o a.ppm",
      "--atlas --size 10x10 -o a.ppm",
      "--size 10x10 --mode 1 --balls 1 --seed 1 --ticks 1 -o",  // no value
      "--bogus",
  };
  for (const char* line : bad) {
    const auto parsed = ParseRenderOptions(Split(line));
    ASSERT_TRUE(std::holds_alternative<std::string>(parsed)) << line;
    const std::string& message = std::get<std::string>(parsed);
    EXPECT_FALSE(message.empty()) << line;
    EXPECT_EQ(message.find('\n'), std::string::npos) << line;
  }
}

}  // namespace
}  // namespace marulex

// The command line of marulex-render.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <variant>

namespace marulex {

struct RenderOptions {
  bool atlas_only = false;  // --atlas: write the sprite atlas instead of a frame
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t mode = 1;
  std::int32_t balls = 180;
  std::optional<std::filesystem::path> settings;  // --settings: mode and balls from this file
  std::uint32_t seed = 0;
  std::int64_t ticks = 0;
  bool full = false;  // --full: compose every frame whole (the reference path)
  std::filesystem::path output;
};

// The options, or a one-line description of what is wrong with the arguments (argument 0, the
// program's name, is not included).
std::variant<RenderOptions, std::string> ParseRenderOptions(std::span<const std::string> arguments);

inline constexpr char kRenderUsage[] =
    "usage: marulex-render --size WxH (--mode M --balls N | --settings FILE) --seed S --ticks T "
    "[--full] -o OUT.ppm|OUT.png\n"
    "       marulex-render --atlas -o OUT.ppm|OUT.png";

}  // namespace marulex

#include "tools/render/render_options.h"

#include <charconv>
#include <cstdint>
#include <limits>
#include <set>

namespace marulex {

namespace {

// Larger frames would need gigabytes for the two surfaces; no screen comes near this.
constexpr std::int64_t kMaxPixels = std::int64_t{1} << 26;
constexpr std::int64_t kMaxSide = 65535;

// A whole decimal number in [low, high] with nothing around it, or nullopt.
std::optional<std::int64_t> ParseInteger(std::string_view text, std::int64_t low,
                                         std::int64_t high) {
  if (text.empty() || text.front() == '+') return std::nullopt;
  std::int64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
  if (value < low || value > high) return std::nullopt;
  return value;
}

bool HasImageExtension(const std::filesystem::path& path) {
  const std::string extension = path.extension().string();
  return extension == ".ppm" || extension == ".png";
}

}  // namespace

std::variant<RenderOptions, std::string> ParseRenderOptions(
    std::span<const std::string> arguments) {
  RenderOptions options;
  std::set<std::string> seen;
  constexpr auto kInt32Min = std::numeric_limits<std::int32_t>::min();
  constexpr auto kInt32Max = std::numeric_limits<std::int32_t>::max();

  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& name = arguments[i];
    if (!seen.insert(name).second) return "option " + name + " given twice";
    if (name == "--atlas") {
      options.atlas_only = true;
      continue;
    }
    if (name == "--full") {
      options.full = true;
      continue;
    }
    static const std::set<std::string> kWithValue = {"--size",  "--mode",     "--balls", "--seed",
                                                     "--ticks", "--settings", "-o"};
    if (kWithValue.count(name) == 0) return "unknown option '" + name + "'";
    if (i + 1 >= arguments.size()) return "option " + name + " needs a value";
    const std::string& value = arguments[++i];

    if (name == "--size") {
      const auto cross = value.find('x');
      const auto w = cross == std::string::npos
                         ? std::nullopt
                         : ParseInteger(std::string_view(value).substr(0, cross), 0, kMaxSide);
      const auto h = cross == std::string::npos
                         ? std::nullopt
                         : ParseInteger(std::string_view(value).substr(cross + 1), 0, kMaxSide);
      if (!w || !h)
        return "--size wants WxH with whole numbers from 0 to 65535, not '" + value + "'";
      if (*w * *h > kMaxPixels) return "--size " + value + " is larger than 67108864 pixels";
      options.width = static_cast<std::int32_t>(*w);
      options.height = static_cast<std::int32_t>(*h);
    } else if (name == "--mode" || name == "--balls") {
      const auto number = ParseInteger(value, kInt32Min, kInt32Max);
      if (!number) return name + " wants a signed 32-bit whole number, not '" + value + "'";
      (name == "--mode" ? options.mode : options.balls) = static_cast<std::int32_t>(*number);
    } else if (name == "--seed") {
      const auto number = ParseInteger(value, 0, std::numeric_limits<std::uint32_t>::max());
      if (!number) return "--seed wants a whole number from 0 to 4294967295, not '" + value + "'";
      options.seed = static_cast<std::uint32_t>(*number);
    } else if (name == "--ticks") {
      const auto number = ParseInteger(value, 0, kInt32Max);
      if (!number) return "--ticks wants a whole number from 0 to 2147483647, not '" + value + "'";
      options.ticks = *number;
    } else if (name == "--settings") {
      options.settings = std::filesystem::path(value);
    } else {
      options.output = std::filesystem::path(value);
    }
  }

  if (!seen.count("-o")) return "missing -o OUT";
  if (!HasImageExtension(options.output)) return "the output's name must end in .ppm or .png";
  if (options.atlas_only) {
    if (seen.size() != 2) return "--atlas takes only -o OUT";
    return options;
  }
  for (const char* required : {"--size", "--seed", "--ticks"}) {
    if (!seen.count(required)) return std::string("missing ") + required;
  }
  const bool has_values = seen.count("--mode") || seen.count("--balls");
  if (options.settings && has_values) return "--settings replaces --mode and --balls";
  if (!options.settings && !(seen.count("--mode") && seen.count("--balls"))) {
    return "missing --mode and --balls (or --settings FILE)";
  }
  return options;
}

}  // namespace marulex

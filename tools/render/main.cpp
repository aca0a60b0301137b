// marulex-render: composes the saver's frames without a window, for checking them pixel by pixel.
#include <cstdio>
#include <string>
#include <vector>

#include "scene/animation.h"
#include "scene/atlas.h"
#include "settings/settings_file.h"
#include "tools/image_files.h"
#include "tools/render/render_options.h"

namespace {

bool Write(const marulex::Surface& image, const std::filesystem::path& output) {
  return output.extension() == ".png" ? marulex::WritePng(image, output)
                                      : marulex::WritePpm(image, output);
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
  if (arguments.size() == 1 && (arguments[0] == "--help" || arguments[0] == "-h")) {
    std::puts(marulex::kRenderUsage);
    return 0;
  }
  const auto parsed = marulex::ParseRenderOptions(arguments);
  if (const auto* problem = std::get_if<std::string>(&parsed)) {
    std::fprintf(stderr, "marulex-render: %s\n", problem->c_str());
    return 2;
  }
  const auto& options = std::get<marulex::RenderOptions>(parsed);
  if (!options.atlas_only && (options.width == 0 || options.height == 0)) {
    // The animation runs on such a window, but PPM and PNG have no picture without pixels.
    std::fprintf(stderr, "marulex-render: a %dx%d frame has no pixels to write\n", options.width,
                 options.height);
    return 2;
  }

  const marulex::Surface atlas = marulex::LoadAtlas();
  bool written = false;
  if (options.atlas_only) {
    written = Write(atlas, options.output);
  } else {
    marulex::Settings settings{options.mode, options.balls};
    if (options.settings) settings = marulex::SaverRead(*options.settings);
    marulex::Animation animation(
        options.width, options.height, settings.ModeSetting, settings.BallCount, options.seed,
        atlas, options.full ? marulex::Composition::kFull : marulex::Composition::kDirty);
    for (std::int64_t tick = 0; tick < options.ticks; ++tick)
      animation.Timer1Timer();
    written = Write(animation.Image1(), options.output);
  }
  if (!written) {
    std::fprintf(stderr, "marulex-render: cannot write %s\n", options.output.string().c_str());
    return 1;
  }
  return 0;
}

#include "shell/application.h"

namespace marulex {

std::string DefaultTitle(const std::filesystem::path& executable) {
  const std::u8string stem = executable.stem().u8string();
  std::string title(stem.begin(), stem.end());
  for (std::size_t i = 1; i < title.size(); ++i) {
    if (title[i] >= 'A' && title[i] <= 'Z') title[i] = static_cast<char>(title[i] - 'A' + 'a');
  }
  return title;
}

Application::Application(Platform& platform, std::string title)
    : platform_(platform), title_(std::move(title)) {
  platform_.SetApplicationTitle(title_);
}

void Application::SetTitle(std::string title) {
  title_ = std::move(title);
  platform_.SetApplicationTitle(title_);
}

void Application::ShowError(const std::exception& error) {
  platform_.ShowError(std::string(error.what()) + ".", title_);
}

}  // namespace marulex

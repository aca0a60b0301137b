// The application object's rules that both backends share: its title and the error display.
#pragma once

#include <exception>
#include <filesystem>
#include <string>

#include "platform/platform.h"

namespace marulex {

// The title a program gets by default: its file name without folder and extension, every letter
// after the first in lower case ("MARULEX.SCR" gives "Marulex").
std::string DefaultTitle(const std::filesystem::path& executable);

class Application {
 public:
  // Initialises the application object: the platform's application window carries the title.
  Application(Platform& platform, std::string title);

  Platform& platform() { return platform_; }
  const std::string& Title() const { return title_; }
  void SetTitle(std::string title);

  // The error display: the error's text followed by ".", the title as caption, a stop icon.
  void ShowError(const std::exception& error);

  // Runs an event handler; an error it raises is shown and the program carries on.
  template <typename Handler>
  void Dispatch(Handler&& handler) {
    try {
      handler();
    } catch (const std::exception& error) {
      ShowError(error);
    }
  }

 private:
  Platform& platform_;
  std::string title_;
};

}  // namespace marulex

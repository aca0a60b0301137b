// Any argument list: the input split at every 0x00 byte, the first piece being the program's
// path. Handles must read as the C library's strtoll reads them (atol on a 64-bit long).
#include <cstdlib>
#include <string>
#include <vector>

#include "shell/command_line.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> arguments(1);
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == 0) {
      arguments.emplace_back();
    } else {
      arguments.back() += static_cast<char>(data[i]);
    }
  }
  for (const std::string& argument : arguments) {
    Check(marulex::ReadHandle(argument) == std::strtoll(argument.c_str(), nullptr, 10));
  }

  const auto state = marulex::ParseCommandLine(arguments);
  if (!state) {
    // Only a switch can be refused.
    Check(arguments.size() >= 2 && !arguments[1].empty() &&
          (arguments[1][0] == '-' || arguments[1][0] == '/'));
    return 0;
  }
  Check(state->SaverMode >= marulex::smPreview && state->SaverMode <= marulex::smPassword);
  if (state->SaverMode == marulex::smPreview || state->parent_given) {
    Check(arguments.size() == 3);
    Check(state->PreviewWnd ==
          static_cast<marulex::WindowHandle>(std::strtoll(arguments[2].c_str(), nullptr, 10)));
  } else {
    Check(state->PreviewWnd == 0);
  }
  return 0;
}

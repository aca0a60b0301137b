// The Windows program's entry: the command line as UTF-8 arguments, the Win32 platform, and the
// program's exit status (-1 becomes 0xFFFFFFFF).
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <string>
#include <vector>

#include "platform/win32/wide_text.h"
#include "platform/win32/win32_platform.h"
#include "shell/entry.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  // Split by the system's usual rules, argument 0 (the program's path) included.
  std::vector<std::string> arguments;
  int count = 0;
  if (LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count)) {
    for (int i = 0; i < count; ++i)
      arguments.push_back(marulex::win32::Narrow(wide[i]));
    LocalFree(wide);
  }
  marulex::win32::Win32Platform platform(instance);
  return marulex::RunMarulex(arguments, platform);
}

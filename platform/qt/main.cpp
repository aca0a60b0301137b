// The Linux program: the command line as the screen-saver protocol reads it, run on Qt.
#include <string>
#include <vector>

#include "platform/qt/qt_platform.h"
#include "shell/entry.h"

int main(int argc, char** argv) {
  std::vector<std::string> arguments;
  for (int i = 0; i < argc; ++i)
    arguments.emplace_back(argv[i]);
  marulex::qt::QtPlatform platform(argc > 0 ? argv[0] : "marulex");
  // -1 becomes exit status 255.
  return marulex::RunMarulex(arguments, platform);
}

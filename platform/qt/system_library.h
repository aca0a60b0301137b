// System libraries on Linux: shared objects under the same file names as on Windows.
#pragma once

#include <filesystem>
#include <memory>

#include "platform/platform.h"

namespace marulex::qt {

// Loads `file_name` from `folder` first, then by the loader's usual search; nullptr when neither
// loads. Destroying the result unloads the library.
std::unique_ptr<SystemLibrary> LoadSharedLibrary(const std::filesystem::path& folder,
                                                 const char* file_name);

}  // namespace marulex::qt

// The registry on Linux: a read-only stand-in read from a REGEDIT export file.
#pragma once

#include <filesystem>
#include <memory>
#include <string_view>

#include "platform/platform.h"

namespace marulex::qt {

inline constexpr char kSystemRegistryFile[] = "/etc/marulex/registry.reg";
inline constexpr char kRegistryFileVariable[] = "MARULEX_REGISTRY_FILE";

// The file named by $MARULEX_REGISTRY_FILE when it is set and not empty, else the system-wide one.
std::filesystem::path RegistryFilePath();

// The key HKEY_USERS<path> of that file, or nullptr when the file or the key is missing.
std::unique_ptr<RegistryKey> OpenUsersKeyIn(const std::filesystem::path& file,
                                            std::string_view path);

}  // namespace marulex::qt

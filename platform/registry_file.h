// A read-only registry read from an export file in the REGEDIT text format. It stands in for the
// system registry where there is none.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace marulex {

// Understands "REGEDIT4" and "Windows Registry Editor Version 5.00" files, in UTF-8 or ASCII, or
// UTF-16LE with a byte-order mark, with CRLF or LF line ends. Keys and value names compare without
// regard to ASCII case. A later definition of a value wins; "[-KEY]" deletes a key with everything
// under it and "name"=- deletes a value. A key is present when it or a key under it is defined.
class RegistryFile {
 public:
  // Never fails: lines it cannot read are skipped. The header line is optional.
  static RegistryFile Parse(std::string_view file_content);
  // nullopt when no regular file is present under the name or it cannot be read.
  static std::optional<RegistryFile> Load(const std::filesystem::path& file);

  // e.g. "HKEY_USERS\\.Default\\Control Panel\\Desktop"
  bool HasKey(std::string_view key) const;
  // The empty name is the key's default value ("@" in the file).
  RegistryValue Read(std::string_view key, std::string_view name) const;

 private:
  // Keyed by the ASCII-lower-cased key path, then by the lower-cased value name.
  std::map<std::string, std::map<std::string, RegistryValue>, std::less<>> keys_;
};

}  // namespace marulex

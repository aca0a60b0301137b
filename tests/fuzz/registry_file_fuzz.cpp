// Any bytes as a registry export file. Parsing never fails, and a value that can be read lies in
// a key that is present.
#include <cstdlib>
#include <string_view>

#include "platform/registry_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto registry =
      marulex::RegistryFile::Parse(std::string_view(reinterpret_cast<const char*>(data), size));
  constexpr std::string_view kDesktop = "HKEY_USERS\\.Default\\Control Panel\\Desktop";
  const marulex::RegistryValue value = registry.Read(kDesktop, "ScreenSaveUsePassword");
  if (value.kind != marulex::RegistryValue::kMissing && !registry.HasKey(kDesktop)) std::abort();
  return 0;
}

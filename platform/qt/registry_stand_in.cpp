#include "platform/qt/registry_stand_in.h"

#include <cstdlib>
#include <string>

#include "platform/registry_file.h"

namespace marulex::qt {

namespace {

class FileKey final : public RegistryKey {
 public:
  FileKey(RegistryFile file, std::string key) : file_(std::move(file)), key_(std::move(key)) {}
  RegistryValue Read(std::string_view name) override { return file_.Read(key_, name); }

 private:
  RegistryFile file_;
  std::string key_;
};

}  // namespace

std::filesystem::path RegistryFilePath() {
  const char* named = std::getenv(kRegistryFileVariable);
  if (named != nullptr && named[0] != '\0') return named;
  return kSystemRegistryFile;
}

std::unique_ptr<RegistryKey> OpenUsersKeyIn(const std::filesystem::path& file,
                                            std::string_view path) {
  std::optional<RegistryFile> registry = RegistryFile::Load(file);
  if (!registry) return nullptr;
  std::string key = "HKEY_USERS";
  // Paths are taken from the root key, with or without the leading separator.
  if (!path.empty() && path.front() != '\\') key += '\\';
  key += path;
  if (!registry->HasKey(key)) return nullptr;
  return std::make_unique<FileKey>(std::move(*registry), std::move(key));
}

}  // namespace marulex::qt

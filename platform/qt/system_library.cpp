#include "platform/qt/system_library.h"

#include <dlfcn.h>

#include <bit>

namespace marulex::qt {

namespace {

class SharedLibrary final : public SystemLibrary {
 public:
  explicit SharedLibrary(void* handle) : handle_(handle) {}
  ~SharedLibrary() override { ::dlclose(handle_); }
  SharedLibrary(const SharedLibrary&) = delete;
  SharedLibrary& operator=(const SharedLibrary&) = delete;

  SystemEntry Entry(const char* name) override {
    // dlsym hands functions out as data pointers; both are one address here.
    return std::bit_cast<SystemEntry>(::dlsym(handle_, name));
  }

 private:
  void* handle_;
};

}  // namespace

std::unique_ptr<SystemLibrary> LoadSharedLibrary(const std::filesystem::path& folder,
                                                 const char* file_name) {
  void* handle = ::dlopen((folder / file_name).c_str(), RTLD_NOW | RTLD_LOCAL);
  // A name without a slash makes dlopen search LD_LIBRARY_PATH, the cache and the default folders.
  if (handle == nullptr) handle = ::dlopen(file_name, RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) return nullptr;
  return std::make_unique<SharedLibrary>(handle);
}

}  // namespace marulex::qt

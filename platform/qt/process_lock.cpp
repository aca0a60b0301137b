#include "platform/qt/process_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <system_error>

namespace marulex::qt {

namespace {

// O_NOFOLLOW: in a shared temp folder a link planted by someone else must not be followed.
constexpr int kOpenFlags = O_CLOEXEC | O_NOFOLLOW;

}  // namespace

std::filesystem::path LockFilePath(const char* name) {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && runtime[0] != '\0') return std::filesystem::path(runtime) / name;
  std::error_code error;
  std::filesystem::path temp = std::filesystem::temp_directory_path(error);
  if (error) temp = "/tmp";
  return temp / name;
}

bool LockHeldElsewhere(const std::filesystem::path& file) {
  const int fd = ::open(file.c_str(), O_RDONLY | kOpenFlags);
  if (fd < 0) return false;
  const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
  ::close(fd);  // also drops the lock if this open took it
  return held;
}

int TakeLock(const std::filesystem::path& file) {
  const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | kOpenFlags, 0600);
  if (fd < 0) return -1;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

}  // namespace marulex::qt

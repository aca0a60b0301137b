#include "settings/settings_file.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <fstream>
#include <random>
#include <system_error>

namespace marulex {
namespace {

namespace fs = std::filesystem;

constexpr std::uint8_t kLineFeed = 0x0A;
constexpr std::uint8_t kCarriageReturn = 0x0D;
constexpr std::uint8_t kEndOfFile = 0x1A;

// Collects logical bytes from the stored form, one stored byte at a time, so that the file reader
// can stop as soon as it has the three it needs.
class StoredFormDecoder {
 public:
  // False once nothing more can change the result.
  bool Feed(std::uint8_t byte) {
    if (byte == kEndOfFile) {
      ended_ = true;
      return false;
    }
    if (byte == kCarriageReturn) return true;
    Slot(filled_++) = byte;
    return filled_ < 3;
  }
  bool Done() const { return ended_ || filled_ == 3; }
  StoredSettings Result() const { return result_; }

 private:
  std::int32_t& Slot(int index) {
    return index == 0 ? result_.scene : index == 1 ? result_.high : result_.low;
  }

  StoredSettings result_;
  int filled_ = 0;
  bool ended_ = false;
};

WriteOutcome Failure(std::error_code error) {
  return WriteOutcome{false, error.message()};
}

// The reason for a failed stream operation. The streams keep no error code of their own, but the
// C library under them leaves one in errno.
std::error_code StreamError() {
  const int code = errno;
  return code != 0 ? std::error_code(code, std::generic_category())
                   : std::make_error_code(std::errc::io_error);
}

std::string Hex(std::uint64_t value) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text(16, '0');
  for (int i = 15; i >= 0; --i) {
    text[static_cast<std::size_t>(i)] = kDigits[value & 0xF];
    value >>= 4;
  }
  return text;
}

// A tag for temporary names. Uniqueness is only a convenience: the temporary folder is created
// exclusively, and a taken name just means another try.
std::uint64_t RandomTag() {
  static std::atomic<std::uint64_t> counter{0};
  std::uint64_t seed = static_cast<std::uint64_t>(
      std::chrono::high_resolution_clock::now().time_since_epoch().count());
  seed ^= counter.fetch_add(1) * 0x9E3779B97F4A7C15ULL;
  try {
    std::random_device device;
    seed ^= (static_cast<std::uint64_t>(device()) << 32) ^ device();
  } catch (...) {
    // No random device: the clock and the counter still make a fresh name likely.
  }
  // splitmix64's finaliser spreads the bits.
  seed = (seed ^ (seed >> 30)) * 0xBF58476D1CE4E5B9ULL;
  seed = (seed ^ (seed >> 27)) * 0x94D049BB133111EBULL;
  return seed ^ (seed >> 31);
}

// A symbolic link to an existing file or folder stands for its target, so that the link survives
// the write (and a link to a folder fails like the folder would). A dangling link is replaced.
fs::path WriteTarget(const fs::path& file) {
  std::error_code error;
  if (!fs::is_symlink(fs::symlink_status(file, error))) return file;
  fs::path resolved = fs::canonical(file, error);
  return error ? file : resolved;
}

// Writes the bytes into a fresh file and closes it, checking every step.
std::error_code WriteWholeFile(const fs::path& file, const std::vector<std::uint8_t>& bytes) {
  errno = 0;
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  if (!out.is_open()) return StreamError();
  errno = 0;
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  out.flush();
  if (!out) return StreamError();
  errno = 0;
  out.close();
  if (out.fail()) return StreamError();
  return {};
}

}  // namespace

fs::path SettingsPathFor(const fs::path& executable) {
  // Cut after the last separator and append: no separator is added when the name has no folder.
  fs::path result = executable;
  result.replace_filename(kSettingsFileName);
  return result;
}

std::vector<std::uint8_t> EncodeStoredForm(std::span<const std::uint8_t> logical) {
  std::vector<std::uint8_t> stored;
  stored.reserve(logical.size() * 2);
  for (const std::uint8_t byte : logical) {
    if (byte == kLineFeed) stored.push_back(kCarriageReturn);
    stored.push_back(byte);
  }
  return stored;
}

StoredSettings DecodeStoredForm(std::span<const std::uint8_t> stored) {
  StoredFormDecoder decoder;
  for (const std::uint8_t byte : stored) {
    if (!decoder.Feed(byte)) break;
  }
  return decoder.Result();
}

std::optional<StoredSettings> ReadSettingsFile(const fs::path& file) {
  // The type is checked before opening: opening a FIFO for reading would block.
  std::error_code error;
  if (!fs::is_regular_file(fs::status(file, error)) || error) return std::nullopt;
  // Binary mode: the line-end rules are ours, the same on every platform.
  std::ifstream in(file, std::ios::binary);
  if (!in.is_open()) return std::nullopt;
  StoredFormDecoder decoder;
  while (!decoder.Done()) {
    const std::ifstream::int_type next = in.get();
    if (next == std::ifstream::traits_type::eof()) break;
    decoder.Feed(static_cast<std::uint8_t>(next));
  }
  if (in.bad()) return std::nullopt;
  return decoder.Result();
}

Settings SaverRead(const fs::path& file) {
  const std::optional<StoredSettings> stored = ReadSettingsFile(file);
  if (!stored) return Settings{};
  return Settings{stored->scene - 48, stored->high * 256 + stored->low};
}

WriteOutcome WriteSettingsFile(const fs::path& file, std::int32_t scene, std::int32_t count) {
  if (scene < 1 || scene > 4 || count < 1 || !file.has_filename()) {
    return Failure(std::make_error_code(std::errc::invalid_argument));
  }
  const std::array<std::uint8_t, 3> logical = {
      static_cast<std::uint8_t>(48 + scene),
      static_cast<std::uint8_t>((count >> 8) & 0xFF),
      static_cast<std::uint8_t>(count & 0xFF),
  };
  const std::vector<std::uint8_t> stored = EncodeStoredForm(logical);
  const fs::path target = WriteTarget(file);

  // A file the user made read-only stays as it is, as it would for a write in place.
  std::error_code error;
  const fs::file_status old_status = fs::status(target, error);
  const bool replaces_file = fs::is_regular_file(old_status);
  if (replaces_file) {
    constexpr fs::perms kAnyWrite =
        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    if ((old_status.permissions() & kAnyWrite) == fs::perms::none) {
      return Failure(std::make_error_code(std::errc::permission_denied));
    }
  }

  // The new content goes into a private folder beside the target, created exclusively, so it can
  // never clobber another file; the rename then swaps it in whole, on the same volume.
  fs::path temp_folder;
  for (int attempt = 0;; ++attempt) {
    temp_folder = target;
    temp_folder += "." + Hex(RandomTag()) + ".tmp";
    error.clear();
    if (fs::create_directory(temp_folder, error)) break;
    if (error && error != std::errc::file_exists) return Failure(error);
    if (attempt == 15) return Failure(std::make_error_code(std::errc::file_exists));
  }
  const fs::path temp_file = temp_folder / kSettingsFileName;

  error = WriteWholeFile(temp_file, stored);
  if (!error && replaces_file) {
    // Keep the file's access rights; a fresh file would get the defaults. Not worth failing for.
    std::error_code ignored;
    fs::permissions(temp_file, old_status.permissions(), ignored);
  }
  if (!error) fs::rename(temp_file, target, error);

  std::error_code ignored;
  if (error) fs::remove(temp_file, ignored);
  fs::remove(temp_folder, ignored);
  if (error) return Failure(error);
  return WriteOutcome{};
}

}  // namespace marulex

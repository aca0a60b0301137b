// The settings file Marulex.ini beside the executable: three logical bytes (the scene character,
// then the ball count high byte first), kept in the Windows text convention on every platform.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace marulex {

inline constexpr char kSettingsFileName[] = "Marulex.ini";

// The values the saver plays with; these are also the defaults when no file is present.
struct Settings {
  std::int32_t ModeSetting = 1;
  std::int32_t BallCount = 180;
  bool operator==(const Settings&) const = default;
};

// Each byte as read: 0..255, or -1 when none is left.
struct StoredSettings {
  std::int32_t scene = -1;
  std::int32_t high = -1;
  std::int32_t low = -1;
  bool operator==(const StoredSettings&) const = default;
};

// The settings file's full name: the executable's folder followed by "Marulex.ini".
std::filesystem::path SettingsPathFor(const std::filesystem::path& executable);

// Pure conversions between the logical bytes and the stored form (0x0A stored as 0x0D 0x0A;
// reading stops at 0x1A and drops every 0x0D).
std::vector<std::uint8_t> EncodeStoredForm(std::span<const std::uint8_t> logical);
StoredSettings DecodeStoredForm(std::span<const std::uint8_t> stored);  // first three logical bytes

// nullopt when no regular file is present under the name, or it cannot be opened or read
// (both readers then fall back on the defaults). Reads only as far as the third logical byte.
// A folder, FIFO, socket, device or dangling symbolic link counts as no file.
std::optional<StoredSettings> ReadSettingsFile(const std::filesystem::path& file);

// The saver's read: ModeSetting = scene - 48, BallCount = high * 256 + low, or the defaults.
Settings SaverRead(const std::filesystem::path& file);

struct WriteOutcome {
  bool ok = true;
  std::string reason;  // the system's words on failure, e.g. "Permission denied"
};

// Writes scene (1..4) and count (1..65535; only its low 16 bits are stored) in the stored form.
// The file is replaced atomically: on failure the old file, if any, is left exactly as it was and
// no temporary file remains. A scene or count outside those ranges, or a name that ends in a
// separator, is refused without touching anything. When the name is a symbolic link to an
// existing file, that file is replaced and the link is kept.
WriteOutcome WriteSettingsFile(const std::filesystem::path& file, std::int32_t scene,
                               std::int32_t count);

}  // namespace marulex

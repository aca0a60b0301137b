// Any bytes as the settings file's stored content. Both readers must agree with a plain model of
// the stored form: 0x1A ends the file, every 0x0D is dropped, a missing byte reads as -1.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <span>
#include <string>
#include <system_error>

#include "settings/settings_file.h"

namespace {

namespace fs = std::filesystem;
using marulex::Settings;
using marulex::StoredSettings;

StoredSettings Model(std::span<const std::uint8_t> stored) {
  std::int32_t logical[3] = {-1, -1, -1};
  int filled = 0;
  for (std::size_t i = 0; i < stored.size() && filled < 3 && stored[i] != 0x1A; ++i) {
    if (stored[i] != 0x0D) logical[filled++] = stored[i];
  }
  return {logical[0], logical[1], logical[2]};
}

// A private folder for the real-file reads, removed when the fuzzer exits normally.
class ScratchFolder {
 public:
  ScratchFolder() {
    std::string pattern = (fs::temp_directory_path() / "marulex-fuzz-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    folder_ = pattern;
  }
  ~ScratchFolder() {
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }
  fs::path File() const { return folder_ / marulex::kSettingsFileName; }

 private:
  fs::path folder_;
};

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> stored(data, size);
  const StoredSettings expected = Model(stored);
  const Settings expected_saver{expected.scene - 48, expected.high * 256 + expected.low};

  Check(marulex::DecodeStoredForm(stored) == expected);
  // Writing only adds a 0x0D before each 0x0A, which reading drops again.
  Check(marulex::DecodeStoredForm(marulex::EncodeStoredForm(stored)) == expected);

  // Files cost far more than the decoding; a quarter of the inputs is enough to keep both
  // paths in step.
  if (size % 4 == 0) {
    static const ScratchFolder scratch;
    const fs::path file = scratch.File();
    {
      std::ofstream out(file, std::ios::binary | std::ios::trunc);
      out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
      Check(out.good());
    }
    Check(marulex::ReadSettingsFile(file) == expected);
    Check(marulex::SaverRead(file) == expected_saver);
  }
  return 0;
}

// What a hostile folder can put under the settings file's name. Each read that could block runs
// in a forked child under a generous watchdog, so a read that hangs fails its test instead of
// hanging the suite.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#include <csignal>

#include "platform/registry_file.h"
#include "settings/settings_file.h"

namespace marulex {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// A child that has not finished after this long is stuck, not slow.
constexpr auto kWatchdog = 60s;

// Exit codes of the checks run in a child.
constexpr int kAsExpected = 0;
constexpr int kWrongResult = 1;
constexpr int kCannotDropRoot = 3;
constexpr int kNoIoCounters = 4;

// Runs `check` in a forked child and returns its exit code, or nullopt when the child was still
// running after the watchdog's bound (it is then killed) or died of a signal.
std::optional<int> RunInChild(const std::function<int()>& check) {
  const pid_t child = fork();
  if (child < 0) return std::nullopt;
  if (child == 0) _exit(check());
  const auto deadline = std::chrono::steady_clock::now() + kWatchdog;
  int status = 0;
  while (waitpid(child, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(child, SIGKILL);
      waitpid(child, &status, 0);
      return std::nullopt;
    }
    std::this_thread::sleep_for(10ms);
  }
  if (!WIFEXITED(status)) return std::nullopt;
  return WEXITSTATUS(status);
}

// Bytes this process has read through system calls so far, or -1 where the kernel does not say.
long long BytesRead() {
  std::ifstream io("/proc/self/io");
  std::string key;
  long long value = 0;
  while (io >> key >> value) {
    if (key == "rchar:") return value;
  }
  return -1;
}

class HostileFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "marulex-hostile-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
    // Open to every user, so that a child that drops root can still reach the files.
    fs::permissions(folder_, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                 fs::perms::others_read | fs::perms::others_exec);
    file_ = folder_ / kSettingsFileName;
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }

  static void WriteBytes(const fs::path& file, const std::string& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << bytes;
    ASSERT_TRUE(out.good());
  }

  std::set<std::string> Names() const {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder_))
      names.insert(entry.path().filename().string());
    return names;
  }

  fs::path folder_;
  fs::path file_;
};

// Anything under the name that is not a regular file reads as no file at all: the defaults, at
// once. Opening a FIFO or a socket, or reading a device, would block or never end.
TEST_F(HostileFilesTest, NonRegularEntryGivesDefaultsAtOnce) {
  const fs::path fifo = folder_ / "fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0666), 0);
  const struct {
    const char* what;
    std::function<void(const fs::path&)> make;
  } cases[] = {
      {"a folder", [](const fs::path& name) { fs::create_directory(name); }},
      {"a FIFO", [](const fs::path& name) { ASSERT_EQ(mkfifo(name.c_str(), 0666), 0); }},
      {"a socket",
       [](const fs::path& name) {
         sockaddr_un address{};
         address.sun_family = AF_UNIX;
         ASSERT_LT(name.string().size(), sizeof address.sun_path);
         name.string().copy(address.sun_path, sizeof address.sun_path - 1);
         const int listener = socket(AF_UNIX, SOCK_STREAM, 0);
         ASSERT_GE(listener, 0);
         ASSERT_EQ(bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
         // Listening, so that a reader that connected would wait for data forever.
         ASSERT_EQ(listen(listener, 1), 0);
       }},
      {"a dangling link", [](const fs::path& name) { fs::create_symlink("missing", name); }},
      {"a link to a FIFO", [&](const fs::path& name) { fs::create_symlink(fifo, name); }},
      {"a link to an endless device",
       [](const fs::path& name) { fs::create_symlink("/dev/zero", name); }},
      {"a link to itself", [](const fs::path& name) { fs::create_symlink(name, name); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(file_);
    c.make(file_);
    if (HasFatalFailure()) return;
    const std::optional<int> settings = RunInChild([&] {
      return !ReadSettingsFile(file_) && SaverRead(file_) == Settings{} ? kAsExpected
                                                                        : kWrongResult;
    });
    EXPECT_EQ(settings, kAsExpected) << "the settings readers blocked or read something";
    const std::optional<int> registry = RunInChild(
        [&] { return RegistryFile::Load(file_).has_value() ? kWrongResult : kAsExpected; });
    EXPECT_EQ(registry, kAsExpected) << "the registry file reader blocked or read something";
  }
}

// A file the user may not read gives the defaults. Root reads anything, so the child drops to
// the unprivileged user first.
TEST_F(HostileFilesTest, UnreadableFileGivesDefaults) {
  WriteBytes(file_, "3\x01\x2c");
  fs::permissions(file_, fs::perms::none);
  const std::optional<int> outcome = RunInChild([&] {
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) return kCannotDropRoot;
    return !ReadSettingsFile(file_) && SaverRead(file_) == Settings{} &&
                   !RegistryFile::Load(file_).has_value()
               ? kAsExpected
               : kWrongResult;
  });
  if (outcome == kCannotDropRoot) GTEST_SKIP() << "cannot drop to an ordinary user";
  EXPECT_EQ(outcome, kAsExpected);
}

// A file of several GiB: the settings readers stop after the first logical bytes and the registry
// reader does not start. Counted in bytes read, so the check does not depend on the disk's speed.
TEST_F(HostileFilesTest, HugeFileIsNotReadThrough) {
  constexpr std::uintmax_t kHuge = std::uintmax_t{8} << 30;
  WriteBytes(file_, "3\x01\x2c");
  std::error_code error;
  fs::resize_file(file_, kHuge, error);  // sparse: it takes no room on the disk
  if (error) GTEST_SKIP() << "cannot make a sparse file here: " << error.message();

  constexpr long long kFewBytes = 1 << 20;
  const std::optional<int> outcome = RunInChild([&] {
    const long long before = BytesRead();
    if (before < 0) return kNoIoCounters;
    const bool read_right = ReadSettingsFile(file_) == StoredSettings{'3', 1, 0x2c} &&
                            SaverRead(file_) == Settings{3, 300} &&
                            !RegistryFile::Load(file_).has_value();
    return read_right && BytesRead() - before < kFewBytes ? kAsExpected : kWrongResult;
  });
  if (outcome == kNoIoCounters) GTEST_SKIP() << "the kernel does not count bytes read";
  EXPECT_EQ(outcome, kAsExpected) << "read through, read something else, or blocked";
}

// The setup dialog writing while the saver reads, twice over: every read sees one whole value
// that was written, never a mix, a short file or no file, and no temporary file stays behind.
TEST_F(HostileFilesTest, RacingWritesAndReadsSeeWholeValues) {
  // The second value is stored as five bytes (both count bytes are 0x0A), so a torn file shows.
  const Settings kFirst{2, 180};
  const Settings kSecond{3, 2570};
  ASSERT_TRUE(WriteSettingsFile(file_, kFirst.ModeSetting, kFirst.BallCount).ok);

  constexpr int kWritesEach = 400;
  std::atomic<int> writers_left{2};
  std::atomic<int> failed_writes{0};
  const auto writer = [&](const Settings& value) {
    for (int i = 0; i < kWritesEach; ++i) {
      if (!WriteSettingsFile(file_, value.ModeSetting, value.BallCount).ok) ++failed_writes;
    }
    --writers_left;
  };
  int reads = 0;
  std::vector<Settings> torn;
  std::thread first(writer, kFirst);
  std::thread second(writer, kSecond);
  while (writers_left > 0 || reads == 0) {
    const Settings read = SaverRead(file_);
    ++reads;
    if (read != kFirst && read != kSecond && torn.size() < 10) torn.push_back(read);
  }
  first.join();
  second.join();

  EXPECT_EQ(failed_writes, 0);
  for (const Settings& read : torn) {
    ADD_FAILURE() << "read {" << read.ModeSetting << ", " << read.BallCount << "}";
  }
  EXPECT_EQ(Names(), std::set<std::string>{kSettingsFileName}) << "temporary files left behind";
}

}  // namespace
}  // namespace marulex

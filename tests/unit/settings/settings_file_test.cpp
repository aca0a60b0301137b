#include "settings/settings_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <set>
#include <system_error>

#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace marulex {

void PrintTo(const StoredSettings& s, std::ostream* out) {
  *out << "{" << s.scene << ", " << s.high << ", " << s.low << "}";
}
void PrintTo(const Settings& s, std::ostream* out) {
  *out << "{ModeSetting " << s.ModeSetting << ", BallCount " << s.BallCount << "}";
}

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

// Each test works in a fresh folder whose name is not plain ASCII, as an install folder may be.
class SettingsFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    folder_ = fs::temp_directory_path() / (std::string("marulex-settings-") + info->name()) /
              fs::path(u8"Ünï 名前");
    fs::remove_all(folder_.parent_path());
    fs::create_directories(folder_);
    file_ = folder_ / kSettingsFileName;
  }
  void TearDown() override {
    std::error_code ignored;
    fs::permissions(folder_, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(folder_.parent_path(), ignored);
  }

  static void WriteBytes(const fs::path& file, const Bytes& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good());
  }
  static Bytes ReadBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  std::set<fs::path> Names() const {
    std::set<fs::path> names;
    for (const auto& entry : fs::directory_iterator(folder_))
      names.insert(entry.path().filename());
    return names;
  }
  std::set<fs::path> OnlySettingsFile() const { return {fs::path(kSettingsFileName)}; }

  fs::path folder_;
  fs::path file_;
};

TEST(SettingsPathTest, IsTheSettingsNameInTheExecutablesFolder) {
  const struct {
    fs::path executable;
    fs::path expected;
  } cases[] = {
      {"/opt/marulex/marulex", "/opt/marulex/Marulex.ini"},
      {"/opt/marulex/", "/opt/marulex/Marulex.ini"},
      {"marulex", "Marulex.ini"},
      {fs::path(u8"/home/ü/名前/marulex.scr"), fs::path(u8"/home/ü/名前/Marulex.ini")},
#ifdef _WIN32
      {"C:\\Windows\\marulex.scr", "C:\\Windows\\Marulex.ini"},
      {"C:marulex.scr", "C:Marulex.ini"},
#endif
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SettingsPathFor(c.executable), c.expected) << c.executable;
  }
}

// Stored bytes and the three logical bytes they hold; checked both on the pure conversion and on
// a file holding the bytes.
TEST_F(SettingsFileTest, ReadsTheFirstThreeLogicalBytes) {
  const struct {
    const char* what;
    Bytes stored;
    StoredSettings expected;
  } cases[] = {
      {"plain", {0x32, 0x00, 0xB4}, {0x32, 0x00, 0xB4}},
      {"empty", {}, {-1, -1, -1}},
      {"scene only", {0x31}, {0x31, -1, -1}},
      {"one count byte", {0x31, 0x05}, {0x31, 0x05, -1}},
      {"scene 7", {0x37, 0x01, 0x2C}, {0x37, 0x01, 0x2C}},
      {"0x0D first is dropped", {0x0D, 0x33, 0x01, 0x2C}, {0x33, 0x01, 0x2C}},
      {"0x0D anywhere is dropped", {0x31, 0x0D, 0x0D, 0x02, 0x0D, 0x03}, {0x31, 0x02, 0x03}},
      {"only 0x0D", {0x0D, 0x0D, 0x0D, 0x0D}, {-1, -1, -1}},
      {"0x1A ends the file", {0x31, 0x1A, 0x05, 0x06}, {0x31, -1, -1}},
      {"0x1A first", {0x1A, 0x31, 0x00, 0xB4}, {-1, -1, -1}},
      {"4-byte form", {0x31, 0x00, 0x0D, 0x0A}, {0x31, 0x00, 0x0A}},
      {"5-byte form", {0x31, 0x0D, 0x0A, 0x0D, 0x0A}, {0x31, 0x0A, 0x0A}},
      {"bare 0x0A", {0x0A, 0x0A, 0x0A}, {0x0A, 0x0A, 0x0A}},
      {"bytes after the third", {0x34, 0x00, 0xB4, 0x99, 0x0D, 0x1A, 0xFF}, {0x34, 0x00, 0xB4}},
      {"highest bytes", {0xFF, 0xFF, 0xFF}, {0xFF, 0xFF, 0xFF}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(DecodeStoredForm(c.stored), c.expected);
    WriteBytes(file_, c.stored);
    EXPECT_EQ(ReadSettingsFile(file_), c.expected);
    EXPECT_EQ(SaverRead(file_),
              (Settings{c.expected.scene - 48, c.expected.high * 256 + c.expected.low}));
  }
}

TEST_F(SettingsFileTest, EmptyFileGivesLowestValues) {
  WriteBytes(file_, {});
  EXPECT_EQ(SaverRead(file_), (Settings{-49, -257}));
}

TEST_F(SettingsFileTest, NoRegularFileMeansDefaults) {
  EXPECT_EQ(ReadSettingsFile(file_), std::nullopt) << "no file at all";
  EXPECT_EQ(SaverRead(file_), (Settings{1, 180}));

  fs::create_directory(file_);
  EXPECT_EQ(ReadSettingsFile(file_), std::nullopt) << "a folder under the name";
  EXPECT_EQ(SaverRead(file_), (Settings{1, 180}));
  fs::remove(file_);

#ifndef _WIN32
  fs::create_symlink(folder_ / "missing", file_);
  EXPECT_EQ(ReadSettingsFile(file_), std::nullopt) << "a dangling link";
  fs::remove(file_);

  // Opening a FIFO would block until a writer came; it must not even be opened.
  ASSERT_EQ(mkfifo(file_.c_str(), 0600), 0);
  EXPECT_EQ(ReadSettingsFile(file_), std::nullopt) << "a FIFO";
  EXPECT_EQ(SaverRead(file_), (Settings{1, 180}));
#endif
}

// The write's exact stored bytes and what the saver reads back, including the counts that do not
// survive the trip because a byte is 0x0D or 0x1A.
TEST_F(SettingsFileTest, WriteStoresExactBytesAndReadsBack) {
  const struct {
    std::int32_t scene;
    std::int32_t count;
    Bytes stored;
    std::int32_t read_back;
  } cases[] = {
      {4, 180, {0x34, 0x00, 0xB4}, 180},
      {1, 1, {0x31, 0x00, 0x01}, 1},
      {1, 10, {0x31, 0x00, 0x0D, 0x0A}, 10},
      {2, 2570, {0x32, 0x0D, 0x0A, 0x0D, 0x0A}, 2570},
      {3, 300, {0x33, 0x01, 0x2C}, 300},
      {1, 9999, {0x31, 0x27, 0x0F}, 9999},
      {1, 65535, {0x31, 0xFF, 0xFF}, 65535},
      {1, 65536 + 180, {0x31, 0x00, 0xB4}, 180},  // only the low 16 bits are kept
      // h ordinary, l 0x0D or 0x1A: h * 256 - 1
      {1, 13, {0x31, 0x00, 0x0D}, -1},
      {1, 26, {0x31, 0x00, 0x1A}, -1},
      {1, 282, {0x31, 0x01, 0x1A}, 255},
      {1, 0x0A0D, {0x31, 0x0D, 0x0A, 0x0D}, 0x0A * 256 - 1},
      // h 0x0D, l ordinary: l * 256 - 1
      {2, 3400, {0x32, 0x0D, 0x48}, 18431},
      // h 0x0D, l 0x0D or 0x1A; h 0x1A: -257
      {1, 0x0D0D, {0x31, 0x0D, 0x0D}, -257},
      {1, 0x0D1A, {0x31, 0x0D, 0x1A}, -257},
      {3, 6700, {0x33, 0x1A, 0x2C}, -257},
      {1, 0x1A0D, {0x31, 0x1A, 0x0D}, -257},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "scene " << c.scene << ", count " << c.count);
    const WriteOutcome outcome = WriteSettingsFile(file_, c.scene, c.count);
    ASSERT_TRUE(outcome.ok) << outcome.reason;
    EXPECT_EQ(ReadBytes(file_), c.stored);
    EXPECT_EQ(SaverRead(file_), (Settings{c.scene, c.read_back}));
    EXPECT_EQ(Names(), OnlySettingsFile()) << "nothing left behind";
  }
}

TEST_F(SettingsFileTest, WriteReplacesALongerFileWhole) {
  WriteBytes(file_, Bytes(100, 0x41));
  ASSERT_TRUE(WriteSettingsFile(file_, 2, 180).ok);
  EXPECT_EQ(ReadBytes(file_), (Bytes{0x32, 0x00, 0xB4}));
}

TEST_F(SettingsFileTest, FailedWriteLeavesOldFileAndNoLeftovers) {
  const Bytes old = {0x33, 0x01, 0x2C};

  // Out of range: refused before anything is touched.
  WriteBytes(file_, old);
  for (const auto& [scene, count] : {std::pair{0, 180}, {5, 180}, {1, 0}, {1, -3}}) {
    const WriteOutcome outcome = WriteSettingsFile(file_, scene, count);
    EXPECT_FALSE(outcome.ok) << scene << ", " << count;
    EXPECT_FALSE(outcome.reason.empty());
  }
  EXPECT_FALSE(WriteSettingsFile(folder_ / "", 1, 180).ok) << "a folder's name";
  EXPECT_EQ(ReadBytes(file_), old);
  EXPECT_EQ(Names(), OnlySettingsFile());

  // A file the user made read-only.
  fs::permissions(file_, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  WriteOutcome outcome = WriteSettingsFile(file_, 4, 999);
  EXPECT_FALSE(outcome.ok);
  EXPECT_EQ(outcome.reason, std::make_error_code(std::errc::permission_denied).message());
  fs::permissions(file_, fs::perms::owner_write, fs::perm_options::add);
  EXPECT_EQ(ReadBytes(file_), old);
  EXPECT_EQ(Names(), OnlySettingsFile());

  // A folder under the name: it stays a folder, with its content.
  fs::remove(file_);
  fs::create_directory(file_);
  WriteBytes(file_ / "inside", old);
  outcome = WriteSettingsFile(file_, 4, 999);
  EXPECT_FALSE(outcome.ok);
  EXPECT_FALSE(outcome.reason.empty());
  EXPECT_TRUE(fs::is_directory(file_));
  EXPECT_EQ(ReadBytes(file_ / "inside"), old);
  EXPECT_EQ(Names(), OnlySettingsFile());

  // The target folder does not exist.
  const fs::path nowhere = folder_ / "missing" / kSettingsFileName;
  outcome = WriteSettingsFile(nowhere, 4, 999);
  EXPECT_FALSE(outcome.ok);
  EXPECT_EQ(outcome.reason, std::make_error_code(std::errc::no_such_file_or_directory).message());
  EXPECT_FALSE(fs::exists(nowhere.parent_path()));
}

#ifndef _WIN32
TEST_F(SettingsFileTest, WriteIntoReadOnlyFolderFailsAndKeepsOldFile) {
  const Bytes old = {0x33, 0x01, 0x2C};
  WriteBytes(file_, old);
  fs::permissions(folder_,
                  fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  // Root ignores the folder's permissions, so the write runs in a child as an ordinary user.
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(3);
    const WriteOutcome outcome = WriteSettingsFile(file_, 4, 999);
    const bool as_expected =
        !outcome.ok &&
        outcome.reason == std::make_error_code(std::errc::permission_denied).message();
    _exit(as_expected ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  fs::permissions(folder_, fs::perms::owner_write, fs::perm_options::add);
  ASSERT_TRUE(WIFEXITED(status));
  if (WEXITSTATUS(status) == 3) GTEST_SKIP() << "cannot drop to an ordinary user";
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the write did not fail with \"Permission denied\"";
  EXPECT_EQ(ReadBytes(file_), old);
  EXPECT_EQ(Names(), OnlySettingsFile());
}
#endif

TEST_F(SettingsFileTest, WriteThroughLinkReplacesTheLinkedFile) {
  const fs::path real_folder = folder_ / "elsewhere";
  fs::create_directory(real_folder);
  const fs::path real = real_folder / "settings.bin";
  WriteBytes(real, {0x33, 0x01, 0x2C});
  std::error_code error;
  fs::create_symlink(real, file_, error);
  if (error) GTEST_SKIP() << "no symbolic links here: " << error.message();

  ASSERT_TRUE(WriteSettingsFile(file_, 4, 180).ok);
  EXPECT_TRUE(fs::is_symlink(file_));
  EXPECT_EQ(ReadBytes(real), (Bytes{0x34, 0x00, 0xB4}));
  EXPECT_EQ(SaverRead(file_), (Settings{4, 180}));
  EXPECT_EQ(std::distance(fs::directory_iterator(real_folder), fs::directory_iterator()), 1);
}

}  // namespace
}  // namespace marulex

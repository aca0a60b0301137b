#include "platform/registry_file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>

namespace marulex {

void PrintTo(const RegistryValue& value, std::ostream* out) {
  static constexpr const char* kKinds[] = {"missing", "dword", "other type"};
  *out << kKinds[value.kind] << " " << value.dword;
}

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kDesktop = "HKEY_USERS\\.Default\\Control Panel\\Desktop";
constexpr std::string_view kFlag = "ScreenSaveUsePassword";

constexpr RegistryValue kMissing{};
constexpr RegistryValue Dword(std::uint32_t value) {
  return {RegistryValue::kDword, value};
}
constexpr RegistryValue kOther{RegistryValue::kOtherType, 0};

// ASCII text as UTF-16LE with a byte-order mark.
std::string Utf16Le(std::string_view ascii) {
  std::string out = "\xFF\xFE";
  for (const char c : ascii) {
    out += c;
    out += '\0';
  }
  return out;
}

TEST(RegistryFileTest, ReadsTheFlagInEveryEncodingAndLineEnd) {
  const std::string lf =
      "Windows Registry Editor Version 5.00\n\n"
      "[HKEY_USERS\\.Default\\Control Panel\\Desktop]\n"
      "\"ScreenSaveActive\"=\"1\"\n"
      "\"ScreenSaveUsePassword\"=dword:00000001\n";
  std::string crlf;
  for (const char c : lf)
    crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  std::string regedit4 = lf;
  regedit4.replace(0, regedit4.find('\n'), "REGEDIT4");

  const struct {
    const char* what;
    std::string content;
  } cases[] = {
      {"UTF-8, LF", lf},
      {"UTF-8, CRLF", crlf},
      {"UTF-8 with BOM", "\xEF\xBB\xBF" + crlf},
      {"UTF-16LE with BOM", Utf16Le(crlf)},
      {"REGEDIT4", regedit4},
      {"no header", lf.substr(lf.find('['))},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const RegistryFile registry = RegistryFile::Parse(c.content);
    EXPECT_TRUE(registry.HasKey(kDesktop));
    EXPECT_TRUE(registry.HasKey("hkey_users\\.DEFAULT\\control panel\\desktop"));
    EXPECT_EQ(registry.Read(kDesktop, kFlag), Dword(1));
    EXPECT_EQ(registry.Read(kDesktop, "screensaveusepassword"), Dword(1));
    EXPECT_EQ(registry.Read(kDesktop, "ScreenSaveActive"), kOther);
    EXPECT_EQ(registry.Read(kDesktop, "Wallpaper"), kMissing);
  }
}

TEST(RegistryFileTest, ReadsEachKindOfValueData) {
  const struct {
    std::string_view data;  // after "ScreenSaveUsePassword"=
    RegistryValue expected;
  } cases[] = {
      {"dword:00000001", Dword(1)},
      {"dword:0000000a", Dword(10)},
      {"dword:FFFFFFFF", Dword(0xFFFFFFFF)},
      {"dword:2", Dword(2)},
      {"dword:00000001   ", Dword(1)},
      {"hex(4):01,00,00,00", Dword(1)},
      {"hex(4):78,56,34,12", Dword(0x12345678)},
      {"hex(4):01,00,\\\n  00,00", Dword(1)},
      {"hex(4):01,\\\r\n  00,\\\r\n  00,00", Dword(1)},
      {"hex(4):01,00,00", kOther},
      {"hex(4):01,00,00,00,00", kOther},
      {"hex:01,00,00,00", kOther},
      {"hex(b):01,00,00,00,00,00,00,00", kOther},
      {"hex(7):41,00,00,00,00,00", kOther},
      {"hex:", kOther},
      {"\"1\"", kOther},
      {"\"\"", kOther},
      {"\"say \\\"yes\\\" \\\\ no\"", kOther},
      {"-", kMissing},
      {"dword:123456789", kMissing},
      {"dword:", kMissing},
      {"dword:zz", kMissing},
      {"dword:1 2", kMissing},
      {"hex(4):1g,00,00,00", kMissing},
      {"hex(4):100,00,00", kMissing},
      {"hex(4:01,00,00,00", kMissing},
      {"hex(zz):01", kMissing},
      {"hexagon", kMissing},
      {"\"unterminated", kMissing},
      {"\"1\" trailing", kMissing},
      {"1", kMissing},
      {"", kMissing},
  };
  for (const auto& c : cases) {
    const std::string content =
        "REGEDIT4\n[HKEY_USERS\\.Default\\Control Panel\\Desktop]\n"
        "\"ScreenSaveUsePassword\"=" +
        std::string(c.data) + "\n\"After\"=dword:00000007\n";
    const RegistryFile registry = RegistryFile::Parse(content);
    EXPECT_EQ(registry.Read(kDesktop, kFlag), c.expected) << c.data;
    EXPECT_EQ(registry.Read(kDesktop, "After"), Dword(7)) << "the next line after " << c.data;
  }
}

TEST(RegistryFileTest, AppliesDefinitionsAndDeletionsInOrder) {
  const RegistryFile registry = RegistryFile::Parse(
      "REGEDIT4\n"
      "; a comment\n"
      "\"BeforeAnyKey\"=dword:00000001\n"
      "[HKEY_USERS\\.Default\\Control Panel\\Desktop]\n"
      "\"ScreenSaveUsePassword\"=dword:00000001\n"
      "  ; \"ScreenSaveUsePassword\"=dword:00000009\n"
      "\"Removed\"=dword:00000001\n"
      "@=dword:00000005\n"
      "\"Esc\\\"aped\"=dword:00000006\n"
      "[hkey_users\\.default\\control panel\\desktop]\n"
      "\"screensaveusepassword\"=\"1\"\n"
      "\"Removed\"=-\n"
      "[HKEY_USERS\\.Default\\Gone]\n"
      "\"Value\"=dword:00000001\n"
      "[HKEY_USERS\\.Default\\Gone\\Child]\n"
      "[HKEY_USERS\\.Default\\Gone2]\n"
      "[-HKEY_USERS\\.Default\\Gone]\n"
      "\"AfterDeletion\"=dword:00000001\n"
      "[HKEY_USERS\\.Default\\Back]\n"
      "[-HKEY_USERS\\.Default\\Back]\n"
      "[HKEY_USERS\\.Default\\Back]\n"
      "\"Value\"=dword:00000002\n"
      "[HKEY_USERS\\.Default\\Broken\n"
      "\"Value\"=dword:00000003\n");

  EXPECT_EQ(registry.Read(kDesktop, kFlag), kOther) << "a later duplicate wins";
  EXPECT_EQ(registry.Read(kDesktop, "Removed"), kMissing);
  EXPECT_EQ(registry.Read(kDesktop, ""), Dword(5)) << "the default value";
  EXPECT_EQ(registry.Read(kDesktop, "Esc\"aped"), Dword(6));
  EXPECT_EQ(registry.Read(kDesktop, "BeforeAnyKey"), kMissing);

  EXPECT_TRUE(registry.HasKey("HKEY_USERS\\.Default")) << "the parent of defined keys";
  EXPECT_TRUE(registry.HasKey("HKEY_USERS"));
  EXPECT_FALSE(registry.HasKey("HKEY_USERS\\.Def"));
  EXPECT_FALSE(registry.HasKey("HKEY_USERS\\.Default\\Control Panel\\Desk"));
  EXPECT_FALSE(registry.HasKey("HKEY_USERS\\.Default\\Control Panel\\Desktop\\Sub"));

  EXPECT_FALSE(registry.HasKey("HKEY_USERS\\.Default\\Gone"));
  EXPECT_FALSE(registry.HasKey("HKEY_USERS\\.Default\\Gone\\Child")) << "deleted with its parent";
  EXPECT_EQ(registry.Read("HKEY_USERS\\.Default\\Gone", "Value"), kMissing);
  EXPECT_EQ(registry.Read("HKEY_USERS\\.Default\\Gone", "AfterDeletion"), kMissing);
  EXPECT_TRUE(registry.HasKey("HKEY_USERS\\.Default\\Gone2")) << "a sibling, not a child";

  EXPECT_EQ(registry.Read("HKEY_USERS\\.Default\\Back", "Value"), Dword(2));
  EXPECT_FALSE(registry.HasKey("HKEY_USERS\\.Default\\Broken"));
  EXPECT_EQ(registry.Read("HKEY_USERS\\.Default\\Back", "Value"), Dword(2))
      << "values under a broken key line go nowhere";
}

TEST(RegistryFileTest, EmptyOrForeignContentHasNoKeys) {
  for (const std::string_view content :
       {std::string_view(""), std::string_view("REGEDIT4\n"), std::string_view("\xFF\xFE"),
        std::string_view("\xFF\xFE["), std::string_view("[]\n[-]\n"),
        std::string_view("\"a\"=dword:1\n")}) {
    const RegistryFile registry = RegistryFile::Parse(content);
    EXPECT_FALSE(registry.HasKey(kDesktop));
    EXPECT_FALSE(registry.HasKey(""));
    EXPECT_EQ(registry.Read(kDesktop, kFlag), kMissing);
  }
}

// Arbitrary bytes, and random damage to a real export, never crash it; the sanitizer build is what
// makes this worth running.
TEST(RegistryFileTest, SurvivesArbitraryBytes) {
  const std::string valid = Utf16Le(
      "Windows Registry Editor Version 5.00\r\n[HKEY_USERS\\.Default\\Control Panel\\Desktop]\r\n"
      "\"A\"=hex(4):01,00,\\\r\n 00,00\r\n\"B\"=\"x\\\\\"\r\n[-HKEY_USERS\\.Default]\r\n@=-\r\n");
  std::mt19937 random(12345);
  std::uniform_int_distribution<int> byte(0, 255);
  const std::string_view alphabet = "[]\\\"=-@;:,()hexdword0149aAfF \r\n\t\xFF\xFE";
  for (int round = 0; round < 3000; ++round) {
    std::string content = round % 2 == 0 ? valid : valid.substr(2);
    const int changes = 1 + static_cast<int>(random() % 8);
    for (int i = 0; i < changes && !content.empty(); ++i) {
      const std::size_t at = random() % content.size();
      if (round % 3 == 0) {
        content[at] = static_cast<char>(byte(random));
      } else {
        content[at] = alphabet[random() % alphabet.size()];
      }
    }
    if (round % 5 == 0) content.resize(random() % (content.size() + 1));
    const RegistryFile registry = RegistryFile::Parse(content);
    registry.HasKey(kDesktop);
    registry.Read(kDesktop, "A");
  }
}

TEST(RegistryFileTest, LoadsOnlyARegularFile) {
  const fs::path folder = fs::temp_directory_path() / "marulex-registry-file-test";
  fs::remove_all(folder);
  fs::create_directories(folder / "folder.reg");
  const fs::path file = folder / "desktop.reg";
  {
    std::ofstream out(file, std::ios::binary);
    out << Utf16Le(
        "Windows Registry Editor Version 5.00\r\n\r\n"
        "[HKEY_USERS\\.Default\\Control Panel\\Desktop]\r\n"
        "\"ScreenSaveUsePassword\"=dword:00000002\r\n");
  }
  const std::optional<RegistryFile> loaded = RegistryFile::Load(file);
  ASSERT_TRUE(loaded.has_value());
  EXPECT_EQ(loaded->Read(kDesktop, kFlag), Dword(2));
  EXPECT_FALSE(RegistryFile::Load(folder / "missing.reg").has_value());
  EXPECT_FALSE(RegistryFile::Load(folder / "folder.reg").has_value());
  fs::remove_all(folder);
}

}  // namespace
}  // namespace marulex

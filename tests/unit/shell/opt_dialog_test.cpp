#include "settings/opt_dialog.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "fake_platform.h"

namespace marulex {
namespace {

using testing::FakePlatform;
using testing::Shown;

class OptDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ =
        std::filesystem::temp_directory_path() /
        ("marulex-dialog-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
         ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    platform_.executable = folder_ / "marulex";
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  std::filesystem::path File() const { return folder_ / "Marulex.ini"; }
  void Store(const std::string& bytes) { std::ofstream(File(), std::ios::binary) << bytes; }
  std::string Stored() const {
    std::ifstream in(File(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  // Opens the dialog, lets `user` act on it, and tells whether it closed.
  bool Open(const std::function<void(testing::FakeDialogWindow&, SetupDialogEvents&)>& user) {
    Application application(platform_, "marulex");
    TOptDialog dialog(application);
    EXPECT_TRUE(platform_.dialog->shown);
    if (user) user(*platform_.dialog, *platform_.dialog_events);
    return platform_.dialog->closed;
  }

  std::filesystem::path folder_;
  FakePlatform platform_;
};

TEST_F(OptDialogTest, ShowsWhatTheSettingsFileHolds) {
  struct Case {
    std::optional<std::string> stored;
    std::int32_t checked;
    std::string text;
  } cases[] = {
      {std::nullopt, 1, "180"},
      {std::string("3\x01\x2C", 3), 3, "300"},
      {std::string("4\x00\xB4", 3), 4, "180"},
      {std::string("9\x00\x05", 3), 1, "5"},
      {std::string("0\x00\x05", 3), 1, "5"},
      {std::string(""), 1, "-257"},
      {std::string("2\xFF\xFF", 3), 2, "65535"},
      {std::string("2\x00\x0D", 3), 2, "-1"},
  };
  for (const Case& c : cases) {
    std::filesystem::remove(File());
    if (c.stored) Store(*c.stored);
    Open([&](testing::FakeDialogWindow& window, SetupDialogEvents&) {
      EXPECT_EQ(window.checked, c.checked);
      EXPECT_EQ(window.text, c.text);
    });
  }
}

TEST_F(OptDialogTest, OkWritesTheChosenSceneAndCountAndCloses) {
  struct Case {
    std::int32_t radio;
    std::string text;
    std::string bytes;
  } cases[] = {
      {1, "180", std::string("1\x00\xB4", 3)},          {4, "180", std::string("4\x00\xB4", 3)},
      {1, "10", std::string("1\x00\x0D\x0A", 4)},       {3, " 25", std::string("3\x00\x19", 3)},
      {2, "$1F", std::string("2\x00\x1F", 3)},          {2, "65535", std::string("2\xFF\xFF", 3)},
      {1, "2570", std::string("1\x0D\x0A\x0D\x0A", 5)},
  };
  for (const Case& c : cases) {
    const bool closed = Open([&](testing::FakeDialogWindow& window, SetupDialogEvents& events) {
      window.checked = c.radio;
      window.text = c.text;
      events.OkClicked();
    });
    EXPECT_TRUE(closed) << c.text;
    EXPECT_EQ(Stored(), c.bytes) << c.text;
    EXPECT_TRUE(platform_.messages.empty());
  }
}

TEST_F(OptDialogTest, OkRefusesAnythingButACountOfOneOrMore) {
  Store(std::string("2\x00\x07", 3));
  struct Case {
    std::string text;
    const char* message;
  } cases[] = {
      {"", kNotIntegerMessage},  {"12a", kNotIntegerMessage}, {"12 ", kNotIntegerMessage},
      {"+", kNotIntegerMessage}, {"   ", kNotIntegerMessage}, {"0", kBelowOneMessage},
      {"-3", kBelowOneMessage},
  };
  for (const Case& c : cases) {
    platform_.messages.clear();
    const bool closed = Open([&](testing::FakeDialogWindow& window, SetupDialogEvents& events) {
      window.text = c.text;
      events.OkClicked();
      EXPECT_EQ(window.text, c.text);  // what the user typed stays
    });
    EXPECT_FALSE(closed) << c.text;
    const std::vector<Shown> expected{Shown{c.message, "Marulex"}};
    EXPECT_EQ(platform_.messages, expected) << c.text;
    EXPECT_EQ(Stored(), std::string("2\x00\x07", 3));
  }
}

TEST_F(OptDialogTest, CancelWritesNothing) {
  Store(std::string("3\x00\x07", 3));
  const bool closed = Open([](testing::FakeDialogWindow& window, SetupDialogEvents& events) {
    window.checked = 4;
    window.text = "bad text";
    events.CancelClicked();
  });
  EXPECT_TRUE(closed);
  EXPECT_EQ(Stored(), std::string("3\x00\x07", 3));
  EXPECT_TRUE(platform_.messages.empty());
}

TEST_F(OptDialogTest, AFailedWriteSaysWhyAndKeepsTheDialogOpen) {
  platform_.executable = folder_ / "missing-folder" / "marulex";
  const bool closed = Open([](testing::FakeDialogWindow& window, SetupDialogEvents& events) {
    window.checked = 2;
    window.text = "77";
    events.OkClicked();
    EXPECT_EQ(window.checked, 2);
    EXPECT_EQ(window.text, "77");
  });
  EXPECT_FALSE(closed);
  ASSERT_EQ(platform_.errors.size(), 1u);
  EXPECT_EQ(platform_.errors[0].caption, "Marulex");
  EXPECT_NE(platform_.errors[0].text.find("missing-folder"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(folder_ / "missing-folder"));
}

}  // namespace
}  // namespace marulex

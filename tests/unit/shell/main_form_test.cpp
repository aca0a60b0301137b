#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>

#include "fake_platform.h"
#include "scene/scene_state.h"
#include "shell/entry.h"
#include "shell/main_form.h"

namespace marulex {
namespace {

using testing::FakePlatform;
using testing::Shown;

// The password services as a test library: they record their calls and answer as told.
struct Services {
  static inline FakePlatform* platform = nullptr;
  static inline std::int32_t answer = 1;
  static inline std::vector<std::int32_t> next_answers;  // taken first, one per check
  static inline std::vector<std::uintptr_t> verified;
  static inline std::vector<int> counter_during_check;
  static inline std::function<void()> during_check;
  static inline std::vector<std::string> changes;

  static std::int32_t Verify(std::uintptr_t window) {
    verified.push_back(window);
    counter_during_check.push_back(platform->cursor_counter);
    if (during_check) during_check();
    if (next_answers.empty()) return answer;
    const std::int32_t next = next_answers.front();
    next_answers.erase(next_answers.begin());
    return next;
  }
  static std::uint32_t Change(const char* key, std::uintptr_t parent, std::uint32_t a,
                              std::uint32_t b) {
    changes.push_back(std::string(key) + " " + std::to_string(parent) + " " + std::to_string(a) +
                      " " + std::to_string(b));
    return 0;
  }
};

class ShellTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Services::platform = &platform;
    Services::answer = 1;
    Services::verified.clear();
    Services::counter_during_check.clear();
    Services::during_check = nullptr;
    Services::changes.clear();
    Services::next_answers.clear();
  }

  int Run(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "/opt/marulex/marulex");
    return RunMarulex(arguments, platform);
  }
  SaverWindowEvents& Events() { return platform.saver_window->events; }
  void GivePasswordLibrary(bool with_entry = true) {
    auto& entries = platform.libraries["PASSWORD.CPL"];
    if (with_entry)
      entries["VerifyScreenSavePwd"] = reinterpret_cast<SystemEntry>(&Services::Verify);
  }

  FakePlatform platform;
};

TEST_F(ShellTest, RefusedCommandLinesTouchNothing) {
  for (const std::vector<std::string>& arguments :
       std::vector<std::vector<std::string>>{{"/"}, {"-x"}, {"/p"}, {"/p", "1", "2"}}) {
    FakePlatform untouched;
    std::vector<std::string> full = arguments;
    full.insert(full.begin(), "marulex");
    EXPECT_EQ(RunMarulex(full, untouched), -1);
    EXPECT_TRUE(untouched.log.empty());
    EXPECT_EQ(untouched.saver_window, nullptr);
  }
}

TEST_F(ShellTest, SaverCoversTheScreenWithTheCursorHiddenUntilTheEnd) {
  platform.screen = {800, 600};
  platform.while_running = [&](FakePlatform& p) {
    EXPECT_EQ(p.cursor_counter, -1);
    EXPECT_FALSE(p.saver_window->request.child);
    EXPECT_EQ(p.saver_window->request.width, 800);
    EXPECT_EQ(p.saver_window->request.height, 600);
    EXPECT_EQ(p.saver_window->request.tick_milliseconds, 24);
    Events().Tick();
    ASSERT_EQ(p.saver_window->presented.size(), 1u);  // the first frame: all of it
    EXPECT_EQ(p.saver_window->presented[0], (Rect{0, 0, 800, 600}));
    EXPECT_EQ(&Events().Picture(), &Events().Picture());
    EXPECT_EQ(Events().Picture().width, 800);
  };
  EXPECT_EQ(Run({"/s"}), 0);
  EXPECT_EQ(platform.title, "Marulex");
  EXPECT_EQ(platform.cursor_counter, 0);
  EXPECT_EQ(platform.log.front(), "ShowCursor(false)");
  EXPECT_EQ(platform.log.back(), "ShowCursor(true)");
  EXPECT_FALSE(platform.mutex_created);
}

TEST_F(ShellTest, TheApplicationCarriesItsDefaultTitleUnlessTheSaverNamesIt) {
  struct Case {
    std::vector<std::string> arguments;
    const char* title;
  } cases[] = {{{"x", "/c"}, "Saver"}, {{"x", "/p", "9"}, "Saver"}, {{"x", "/s"}, "Marulex"}};
  for (const Case& c : cases) {
    FakePlatform p;
    p.executable = "/opt/SAVER.SCR";
    p.windows[9] = {0, 0, 10, 10};
    EXPECT_EQ(RunMarulex(c.arguments, p), 0);
    EXPECT_EQ(p.title, c.title) << c.arguments[1];
  }
}

TEST_F(ShellTest, InputEndsTheSaverExceptAMoveToWhereTheCursorStood) {
  struct Case {
    const char* what;
    std::function<void(SaverWindowEvents&)> input;
    bool ends;
  } cases[] = {
      {"move to home", [](SaverWindowEvents& e) { e.MouseMove(10, 20); }, false},
      {"move in x", [](SaverWindowEvents& e) { e.MouseMove(11, 20); }, true},
      {"move in y", [](SaverWindowEvents& e) { e.MouseMove(10, 19); }, true},
      {"button", [](SaverWindowEvents& e) { e.MouseDown(); }, true},
      {"key", [](SaverWindowEvents& e) { e.KeyDown(0x10); }, true},
      {"close request", [](SaverWindowEvents& e) { e.CloseRequested(); }, true},
  };
  for (const Case& c : cases) {
    FakePlatform p;
    p.while_running = [&](FakePlatform& running) { c.input(running.saver_window->events); };
    EXPECT_EQ(RunMarulex(std::vector<std::string>{"m", "/s"}, p), 0);
    EXPECT_EQ(p.quit, c.ends) << c.what;
    EXPECT_TRUE(p.errors.empty());
  }
}

TEST_F(ShellTest, ThePasswordFlagDecidesWhetherTheCheckRuns) {
  struct Case {
    std::optional<RegistryValue> flag;
    bool library, entry;
    std::int32_t answer;
    bool checked, ends;
    std::optional<Shown> error;
  } cases[] = {
      {std::nullopt, true, true, 0, false, true, {}},  // no key: no check
      {RegistryValue{RegistryValue::kDword, 0}, true, true, 0, false, true, {}},
      {RegistryValue{RegistryValue::kDword, 2}, true, true, 0, false, true, {}},
      {RegistryValue{RegistryValue::kDword, 0xFFFFFFFF}, true, true, 0, false, true, {}},
      {RegistryValue{RegistryValue::kDword, 1}, false, false, 0, false, true, {}},
      {RegistryValue{RegistryValue::kDword, 1}, true, false, 0, false, true, {}},
      {RegistryValue{RegistryValue::kDword, 1}, true, true, 1, true, true, {}},
      {RegistryValue{RegistryValue::kDword, 1}, true, true, 0, true, false, {}},
      {RegistryValue{RegistryValue::kMissing, 0}, true, true, 1, false, false,
       Shown{"Failed to get data for 'ScreenSaveUsePassword'.", "Marulex"}},
      {RegistryValue{RegistryValue::kOtherType, 0}, true, true, 1, false, false,
       Shown{"Invalid data type for 'ScreenSaveUsePassword'.", "Marulex"}},
  };
  for (const Case& c : cases) {
    SetUp();
    platform = FakePlatform{};
    Services::platform = &platform;
    platform.password_flag = c.flag;
    if (c.library) GivePasswordLibrary(c.entry);
    Services::answer = c.answer;
    platform.while_running = [&](FakePlatform& p) { p.saver_window->events.MouseDown(); };
    EXPECT_EQ(Run({"/s"}), 0);
    SCOPED_TRACE(c.flag ? static_cast<int>(c.flag->kind) * 10 + static_cast<int>(c.flag->dword)
                        : -1);
    EXPECT_EQ(platform.quit, c.ends);
    EXPECT_EQ(Services::verified.size(), c.checked ? 1u : 0u);
    if (c.checked) {
      EXPECT_EQ(Services::verified[0], 0x5A5Au);  // the saver window's handle
    }
    if (c.error) {
      EXPECT_EQ(platform.errors, std::vector<Shown>{*c.error});
    } else {
      EXPECT_TRUE(platform.errors.empty());
    }
    // One hide at construction, one show at destruction, one show before a check.
    EXPECT_EQ(platform.cursor_counter, c.checked && c.answer != 0 ? 1 : 0);
    // The key is read under the default user's desktop settings and always closed again.
    if (c.flag) {
      EXPECT_EQ(std::count(platform.log.begin(), platform.log.end(),
                           "OpenUsersKey(\\.Default\\Control Panel\\Desktop)"),
                1);
      EXPECT_EQ(std::count(platform.log.begin(), platform.log.end(), "CloseKey"), 1);
    }
    if (c.library && c.flag && c.flag->kind == RegistryValue::kDword && c.flag->dword == 1) {
      EXPECT_EQ(std::count(platform.log.begin(), platform.log.end(), "FreeLibrary(PASSWORD.CPL)"),
                1);
    }
  }
}

TEST_F(ShellTest, ARefusedPasswordHidesTheCursorAgainAndMovesItsHome) {
  platform.password_flag = RegistryValue{RegistryValue::kDword, 1};
  GivePasswordLibrary();
  Services::answer = 0;
  Services::during_check = [&] {
    platform.cursor = {300, 200};  // the user moved the mouse while typing
    Events().MouseMove(1, 1);      // input during the check starts no second check
    Events().KeyDown(65);
  };
  platform.while_running = [&](FakePlatform& p) {
    Events().MouseMove(50, 50);
    EXPECT_EQ(Services::counter_during_check, std::vector<int>{0});  // visible while checking
    EXPECT_EQ(p.cursor_counter, -1);
    EXPECT_FALSE(p.quit);
    Services::during_check = nullptr;
    Events().MouseMove(300, 200);  // the new home: nothing happens
    EXPECT_EQ(Services::verified.size(), 1u);
    Services::answer = 1;
    Events().MouseMove(301, 200);
  };
  EXPECT_EQ(Run({"/s"}), 0);
  EXPECT_EQ(Services::verified.size(), 2u);
  EXPECT_TRUE(platform.quit);
  const std::vector<std::string> cursor_calls = {"ShowCursor(false)", "ShowCursor(true)",
                                                 "ShowCursor(false)", "ShowCursor(true)",
                                                 "ShowCursor(true)"};
  std::vector<std::string> seen;
  std::copy_if(platform.log.begin(), platform.log.end(), std::back_inserter(seen),
               [](const std::string& call) { return call.starts_with("ShowCursor"); });
  EXPECT_EQ(seen, cursor_calls);
}

TEST_F(ShellTest, ACloseRequestDuringTheCheckIsAnsweredAfterItAndNothingIsAskedOnceEnding) {
  platform.password_flag = RegistryValue{RegistryValue::kDword, 1};
  GivePasswordLibrary();
  Services::next_answers = {0, 1};
  Services::during_check = [&] {
    Services::during_check = nullptr;
    Events().CloseRequested();  // SIGTERM while the user types: kept, not lost
  };
  platform.while_running = [&](FakePlatform& p) {
    Events().KeyDown(32);
    EXPECT_EQ(Services::verified.size(), 2u);  // refused, then the kept request asked again
    EXPECT_TRUE(p.quit);
    const auto calls = p.log.size();
    Events().MouseDown();
    Events().CloseRequested();
    EXPECT_EQ(p.log.size(), calls);  // the program is ending: no further query
  };
  EXPECT_EQ(Run({"/s"}), 0);
}

TEST_F(ShellTest, AFlagStoredAsTextShowsTheErrorAtEveryAttemptOnly) {
  platform.password_flag = RegistryValue{RegistryValue::kOtherType, 0};
  platform.while_running = [&](FakePlatform&) {
    Events().KeyDown(13);
    Events().MouseDown();
  };
  EXPECT_EQ(Run({"/s"}), 0);
  EXPECT_EQ(platform.errors.size(), 2u);
  EXPECT_FALSE(platform.quit);
}

TEST_F(ShellTest, PreviewLivesInsideTheHostWindowAndIgnoresInput) {
  platform.windows[123] = {400, 300, 552, 412};  // 152 x 112
  platform.password_flag = RegistryValue{RegistryValue::kDword, 1};
  platform.while_running = [&](FakePlatform& p) {
    EXPECT_TRUE(p.saver_window->request.child);
    EXPECT_EQ(p.saver_window->request.parent, 123u);
    EXPECT_EQ(p.saver_window->request.width, 152);
    EXPECT_EQ(p.saver_window->request.height, 112);
    Events().MouseMove(3, 3);
    Events().MouseDown();
    Events().KeyDown(32);
    EXPECT_FALSE(p.quit);
    Events().CloseRequested();  // passes without any check
    EXPECT_TRUE(p.quit);
  };
  EXPECT_EQ(Run({"/p", "123"}), 0);
  EXPECT_EQ(platform.log[0], "MutexExists(Pevrand)");
  EXPECT_EQ(platform.log[1], "CreateHeldMutex(Pevrand)");
  EXPECT_EQ(platform.log[2], "HideApplicationWindow");
  EXPECT_EQ(platform.log[3], "ShowWindow(123,show)");
  for (const std::string& call : platform.log)
    EXPECT_EQ(call.find("OpenUsersKey"), std::string::npos);
  EXPECT_EQ(platform.cursor_counter, 1);  // the form's destruction shows it in every mode
}

TEST_F(ShellTest, PreviewEndsQuietlyWhenTheHostWindowGoes) {
  platform.windows[9] = {0, 0, 10, 10};
  platform.while_running = [&](FakePlatform&) { Events().HostWindowGone(); };
  EXPECT_EQ(Run({"/p", "9"}), 0);
  EXPECT_TRUE(platform.quit);
  EXPECT_TRUE(platform.errors.empty());
}

TEST_F(ShellTest, ASecondPreviewIsRefused) {
  platform.mutex_taken_elsewhere = true;
  platform.windows[9] = {0, 0, 10, 10};
  EXPECT_EQ(Run({"/p", "9"}), -1);
  EXPECT_FALSE(platform.mutex_created);
  EXPECT_EQ(platform.saver_window, nullptr);
  // Other modes start whether or not a preview runs.
  platform.while_running = [](FakePlatform& p) { p.saver_window->events.MouseDown(); };
  EXPECT_EQ(Run({"/s"}), 0);
}

TEST_F(ShellTest, APreviewHandleThatNamesNoWindowShowsTheErrorAndEndsWithZero) {
  struct Case {
    const char* handle;
    const char* error;
  } cases[] = {{"0", "Control 'MainForm' has no parent window."},
               {"abc", "Control 'MainForm' has no parent window."},
               {"999999999", "Error creating window."}};
  for (const Case& c : cases) {
    FakePlatform p;
    p.executable = "/usr/lib/MARULEX.SCR";
    EXPECT_EQ(RunMarulex(std::vector<std::string>{"x", "/p", c.handle}, p), 0);
    const std::vector<Shown> expected{Shown{c.error, "Marulex"}};
    EXPECT_EQ(p.errors, expected) << c.handle;
    EXPECT_EQ(p.saver_window, nullptr);
  }
}

TEST_F(ShellTest, TheMessageHookDropsOnlyTheSystemCloseAndScreenSaveCommands) {
  platform.windows[9] = {0, 0, 10, 10};
  platform.while_running = [&](FakePlatform&) {
    struct Case {
      std::uint32_t message;
      std::uint64_t wparam;
      bool dropped;
    } cases[] = {{0x0112, 0xF060, true},  {0x0112, 0xF140, true},  {0x0112, 0xF061, false},
                 {0x0112, 0xF020, false}, {0x0111, 0xF060, false}, {0x0010, 0, false}};
    for (const Case& c : cases) {
      EXPECT_EQ(Events().FilterSysCommand({c.message, c.wparam}), c.dropped) << c.wparam;
    }
  };
  EXPECT_EQ(Run({"/p", "9"}), 0);
}

TEST_F(ShellTest, PasswordChangeCallsTheServiceWithItsParent) {
  platform.libraries["MPR.DLL"]["PwdChangePasswordA"] =
      reinterpret_cast<SystemEntry>(&Services::Change);
  struct Case {
    std::vector<std::string> arguments;
    std::string call;
  } cases[] = {
      {{"/a"}, "SCRSAVE 119 0 0"},  // the foreground window
      {{"/a", "1", "2"}, "SCRSAVE 119 0 0"},
      {{"/a", "123"}, "SCRSAVE 123 0 0"},
      {{"/a", "abc"}, "SCRSAVE 0 0 0"},
  };
  for (const Case& c : cases) {
    Services::changes.clear();
    EXPECT_EQ(Run(c.arguments), 0);
    EXPECT_EQ(Services::changes, std::vector<std::string>{c.call});
  }
  EXPECT_EQ(platform.saver_window, nullptr);
  EXPECT_EQ(std::count(platform.log.begin(), platform.log.end(), "RunMessageLoop"), 0);
  // Without the library or its entry: nothing, quietly.
  platform.libraries["MPR.DLL"].clear();
  EXPECT_EQ(Run({"/a"}), 0);
  platform.libraries.clear();
  EXPECT_EQ(Run({"/a"}), 0);
  EXPECT_TRUE(platform.errors.empty());
}

TEST_F(ShellTest, TheSaverPlaysTheSceneOfTheSettingsFileSeededWithTheTime) {
  const auto folder = std::filesystem::temp_directory_path() / "marulex-shell-test";
  std::filesystem::create_directories(folder);
  {
    std::ofstream file(folder / "Marulex.ini", std::ios::binary);
    file << "3" << '\0' << '\x05';
  }
  platform.executable = folder / "marulex";
  platform.while_running = [&](FakePlatform&) {
    const Animation* animation = static_cast<TMainForm&>(Events()).animation();
    ASSERT_NE(animation, nullptr);
    EXPECT_EQ(animation->State().SceneKind, kCorinth);
    RandomSource replay(platform.now);
    EXPECT_EQ(animation->State().ColourSet, replay.Draw() % 3);
    Events().MouseDown();
  };
  EXPECT_EQ(Run({"/S"}), 0);
  std::filesystem::remove_all(folder);
}

TEST(DefaultTitleTest, IsTheFileNameWithOnlyItsFirstLetterInCapitals) {
  EXPECT_EQ(DefaultTitle("/usr/bin/marulex"), "marulex");
  EXPECT_EQ(DefaultTitle("/usr/lib/MARULEX.SCR"), "Marulex");
  EXPECT_EQ(DefaultTitle("Marulex.scr"), "Marulex");
  EXPECT_EQ(DefaultTitle("/a.b/xYZ.tar.gz"), "xyz.tar");
}

}  // namespace
}  // namespace marulex

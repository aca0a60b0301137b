// The Qt backend's own translations, where they can go wrong: the present region, the count
// field's length limit, X window ids, the preview lock, the registry stand-in, and the message
// boxes the setup dialog shows (on Qt's offscreen platform, driven through the real entry).
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "platform/qt/present_region.h"
#include "platform/qt/process_lock.h"
#include "platform/qt/qt_platform.h"
#include "platform/qt/registry_stand_in.h"
#include "platform/qt/setup_dialog.h"
#include "platform/qt/x_windows.h"
#include "scene/animation.h"
#include "scene/atlas.h"
#include "settings/opt_dialog.h"
#include "shell/entry.h"

namespace marulex::qt {
namespace {

namespace fs = std::filesystem;

struct TempFolder {
  TempFolder() {
    std::string pattern = (fs::temp_directory_path() / "marulex-qt-XXXXXX").string();
    path = ::mkdtemp(pattern.data());
  }
  ~TempFolder() { fs::remove_all(path); }
  fs::path path;
};

QRegion United(const std::vector<Rect>& rects) {
  QRegion region;
  for (const Rect& r : rects)
    region += QRect(r.x, r.y, r.width, r.height);
  return region;
}

TEST(PresentRegion, CoversExactlyThePresentedRectangles) {
  const std::vector<std::vector<Rect>> cases = {
      {},
      {{0, 0, 8, 8}},
      {{0, 0, 16, 8}, {32, 0, 8, 8}, {8, 8, 8, 8}, {0, 16, 40, 8}},  // rows from the top
      {{0, 0, 8, 8}, {8, 0, 8, 8}},                                  // touching: united
      {{10, 10, 20, 20}, {0, 0, 15, 15}},                            // overlapping, unsorted
      {{0, 0, 8, 8}, {0, 4, 8, 8}},                                  // overlapping bands
      {{0, 0, 8, 0}, {4, 4, 8, 8}},                                  // an empty one
      {{0, 0, 8, 8}, {16, 0, 8, 8}, {0, 8, 8, 8}, {16, 8, 8, 8}, {0, 16, 8, 3}},  // joinable
      {{0, 0, 8, 8}, {0, 8, 8, 8}, {0, 24, 8, 8}},  // a gap between bands
  };
  PresentRegion present;
  for (const auto& rects : cases) {
    // The same pixels; Qt's == compares how a region is cut into rectangles.
    EXPECT_TRUE(present.Set(rects).xored(United(rects)).isEmpty()) << rects.size() << " pieces";
  }
}

TEST(PresentRegion, CoversWhatTheAnimationReports) {
  const Surface atlas = LoadAtlas();
  for (const std::int32_t mode : {2, 3, 4}) {
    Animation animation(403, 257, mode, 200, 7, atlas);
    PresentRegion present;
    for (int tick = 0; tick < 30; ++tick) {
      animation.Timer1Timer();
      const QRegion changed = United(animation.Changed());
      const QRegion& region = present.Set(animation.Changed());
      ASSERT_TRUE(region.xored(changed).isEmpty()) << "mode " << mode << " tick " << tick;
    }
  }
}

// The count field as the user types into it, with the limit of 4 characters.
class CountField : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "qt_backend_test";
    static char* argv[] = {name, nullptr};
    app_ = new QApplication(argc, argv);
  }
  static void TearDownTestSuite() { delete app_; }
  static inline QApplication* app_ = nullptr;
  void SetUp() override {
    field_.setValidator(&limit_);
    QObject::connect(&field_, &QLineEdit::textChanged,
                     [this](const QString& now) { limit_.SetCurrent(now); });
  }
  void SetByProgram(const char* text) {
    limit_.SetCurrent(QString::fromUtf8(text));
    field_.setText(QString::fromUtf8(text));
  }
  LengthLimit limit_{4};
  QLineEdit field_;
};

TEST_F(CountField, TypingAndPastingStopAtTheLimit) {
  struct Case {
    const char* before;
    int cursor;
    const char* typed;   // typed key by key
    const char* pasted;  // inserted at once
    const char* after;
  };
  const Case cases[] = {
      {"", 0, "123456", nullptr, "1234"},
      {"", 0, nullptr, "123456", "1234"},
      {"12", 1, nullptr, "999", "1992"},
      {"1234", 4, "5", nullptr, "1234"},
      {"65535", 5, "1", nullptr, "65535"},  // longer from the program: stays, cannot grow
      {"65535", 5, nullptr, "9", "65535"},
      {"65535", 5, "\b", nullptr, "6553"},  // but it can shrink
      {"65535", 5, "\b9", nullptr, "6553"},
      {"65535", 5, "\b\b9", nullptr, "6559"},
  };
  for (const Case& c : cases) {
    SetByProgram(c.before);
    field_.setCursorPosition(c.cursor);
    if (c.typed != nullptr) {
      for (const char* key = c.typed; *key != '\0'; ++key) {
        if (*key == '\b') {
          QTest::keyClick(&field_, Qt::Key_Backspace);
        } else {
          QTest::keyClick(&field_, *key);
        }
      }
    }
    if (c.pasted != nullptr) field_.insert(QString::fromUtf8(c.pasted));
    EXPECT_EQ(field_.text().toStdString(), c.after)
        << c.before << " + " << (c.typed ? c.typed : c.pasted);
  }
}

TEST(XWindows, HandlesThatNameNoXWindow) {
  EXPECT_EQ(XWindowFromHandle(0), std::nullopt);
  EXPECT_EQ(XWindowFromHandle(0x20000000u), std::nullopt);
  EXPECT_EQ(XWindowFromHandle(0x100000000u + 0x3A1u), std::nullopt);  // not cut to 32 bits
  EXPECT_EQ(XWindowFromHandle(~WindowHandle{0}), std::nullopt);       // a negative number
  EXPECT_EQ(XWindowFromHandle(0x3A1u), 0x3A1u);
  EXPECT_EQ(XWindowFromHandle(0x1FFFFFFFu), 0x1FFFFFFFu);
}

TEST(PreviewLock, HeldUntilItsHolderLetsGo) {
  const TempFolder folder;
  const fs::path file = folder.path / "Pevrand";
  EXPECT_FALSE(LockHeldElsewhere(file));  // no file yet
  const int held = TakeLock(file);
  ASSERT_GE(held, 0);
  EXPECT_TRUE(LockHeldElsewhere(file));
  EXPECT_EQ(TakeLock(file), -1);
  ::close(held);
  EXPECT_FALSE(LockHeldElsewhere(file));  // the file stays, the lock does not
}

TEST(PreviewLock, LivesInTheRuntimeFolder) {
  ::setenv("XDG_RUNTIME_DIR", "/run/user/4321", 1);
  EXPECT_EQ(LockFilePath("Pevrand"), fs::path("/run/user/4321/Pevrand"));
  ::setenv("XDG_RUNTIME_DIR", "", 1);
  EXPECT_EQ(LockFilePath("Pevrand"), fs::temp_directory_path() / "Pevrand");
}

TEST(RegistryStandIn, ReadsTheKeyUnderHkeyUsers) {
  const TempFolder folder;
  const fs::path file = folder.path / "registry.reg";
  std::ofstream(file) << "REGEDIT4\n\n[HKEY_USERS\\.Default\\Control Panel\\Desktop]\n"
                         "\"ScreenSaveUsePassword\"=dword:00000001\n";
  const auto key = OpenUsersKeyIn(file, "\\.Default\\Control Panel\\Desktop");
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(key->Read("ScreenSaveUsePassword"), (RegistryValue{RegistryValue::kDword, 1}));
  EXPECT_NE(OpenUsersKeyIn(file, ".Default\\Control Panel\\Desktop"), nullptr);
  EXPECT_EQ(OpenUsersKeyIn(file, "\\.Default\\Control Panel\\Mouse"), nullptr);
  EXPECT_EQ(OpenUsersKeyIn(folder.path / "missing.reg", "\\.Default"), nullptr);

  ::setenv(kRegistryFileVariable, file.c_str(), 1);
  EXPECT_EQ(RegistryFilePath(), file);
  ::setenv(kRegistryFileVariable, "", 1);
  EXPECT_EQ(RegistryFilePath(), fs::path(kSystemRegistryFile));
}

// The real platform and entry on the offscreen platform, with the program "living" in a folder
// of the test's choosing.
class OffscreenPlatform final : public QtPlatform {
 public:
  explicit OffscreenPlatform(fs::path executable)
      : QtPlatform("marulex"), executable_(std::move(executable)) {}
  fs::path ExecutablePath() override { return executable_; }
  std::unique_ptr<SetupDialogWindow> CreateSetupDialog(SetupDialogEvents& events) override {
    auto window = QtPlatform::CreateSetupDialog(events);
    QTimer::singleShot(0, [this] { user(); });
    return window;
  }
  std::function<void()> user;  // runs once the dialog's loop runs

 private:
  fs::path executable_;
};

struct BoxSeen {
  std::string text;
  std::string caption;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  int buttons = 0;
  bool operator==(const BoxSeen&) const = default;
};

// Clicks OK with `typed` in the count field and returns the message box that comes up.
BoxSeen OkWithCount(const char* typed) {
  QWidget* dialog = nullptr;
  for (QWidget* window : QApplication::topLevelWidgets()) {
    if (window->windowTitle() == "Setup" && window->isVisible()) dialog = window;
  }
  if (dialog == nullptr) return {};
  auto* field = dialog->findChild<QLineEdit*>("Edit1");
  auto* ok = dialog->findChild<QPushButton*>("Button1");
  field->selectAll();
  field->insert(QString::fromUtf8(typed));
  BoxSeen seen;
  QTimer::singleShot(0, [&seen] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return;
    seen = {box->text().toStdString(), box->windowTitle().toStdString(), box->icon(),
            static_cast<int>(box->buttons().size())};
    box->accept();
  });
  QTest::mouseClick(ok, Qt::LeftButton);
  EXPECT_TRUE(dialog->isVisible()) << "the dialog closed";
  return seen;
}

void Cancel() {
  for (QWidget* window : QApplication::topLevelWidgets()) {
    if (auto* cancel = window->findChild<QPushButton*>("Button2")) cancel->click();
  }
}

TEST(SetupDialogMessages, SayWhatIsWrongAndKeepTheDialog) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  const TempFolder folder;
  const fs::path missing_folder = folder.path / "gone";
  struct Case {
    fs::path executable;
    const char* typed;
    BoxSeen box;
  };
  const Case cases[] = {
      {folder.path / "marulex", "12a", {kNotIntegerMessage, "Marulex", QMessageBox::NoIcon, 1}},
      {folder.path / "marulex", "0", {kBelowOneMessage, "Marulex", QMessageBox::NoIcon, 1}},
      {missing_folder / "marulex",
       "180",
       {"The settings could not be saved to " + (missing_folder / "Marulex.ini").string() +
            ": No such file or directory.",
        "Marulex", QMessageBox::Critical, 1}},
  };
  for (const Case& c : cases) {
    OffscreenPlatform platform(c.executable);
    BoxSeen seen;
    platform.user = [&] {
      seen = OkWithCount(c.typed);
      Cancel();
    };
    const std::vector<std::string> arguments = {"marulex", "/c"};
    EXPECT_EQ(RunMarulex(arguments, platform), 0);
    EXPECT_EQ(seen, c.box) << c.typed << ": " << seen.text;
    EXPECT_FALSE(fs::exists(folder.path / "Marulex.ini"));
  }
}

}  // namespace
}  // namespace marulex::qt

// TMainForm: the saver window's rules, full screen and in the preview. Its placement and cursor,
// the application's message hook, dismissal by input and the password check at closing; what it
// shows is the animation it owns.
#pragma once

#include <memory>

#include "platform/platform.h"
#include "scene/animation.h"
#include "shell/application.h"
#include "shell/command_line.h"

namespace marulex {

class TMainForm final : public SaverWindowEvents {
 public:
  // Construction: the form's place and size by mode; in the full-screen saver it remembers the
  // cursor's position and hides the cursor. Throws Exception in the preview when the preview
  // window cannot serve as a parent.
  TMainForm(Application& application, const LaunchState& launch);
  // FormDestroy: shows the cursor, in every mode.
  ~TMainForm();

  TMainForm(const TMainForm&) = delete;
  TMainForm& operator=(const TMainForm&) = delete;

  // Reads the settings file and sets up the animation for the form's size.
  void FormCreate();
  // Makes and shows the window (in the preview as a child of the host's window); from then on the
  // timer plays the animation.
  void CreateWindow();

  // The form's close operation: the close query, then the end of the message loop if it passes.
  void Close();
  // The close query; false keeps the saver on screen.
  bool FormCloseQuery();

  void FormMouseMove(std::int32_t x, std::int32_t y);
  void FormMouseDown();
  void FormKeyDown(std::int32_t key);
  void Timer1Timer();

  // SaverWindowEvents: what the backend reports, each run as an event handler.
  void MouseMove(std::int32_t x, std::int32_t y) override;
  void MouseDown() override;
  void KeyDown(std::int32_t key) override;
  void CloseRequested() override;
  void HostWindowGone() override;
  void Tick() override;
  bool FilterSysCommand(const QueuedMessage& message) override;
  const Surface& Picture() const override;

  Size ClientSize() const { return {Width, Height}; }
  Point Home() const { return CursorHome; }
  const Animation* animation() const { return animation_.get(); }

 private:
  Application& application_;
  Platform& platform_;
  const LaunchState launch_;
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  Point CursorHome;
  template <typename Handler>
  void RunInputHandler(Handler&& handler);

  bool busy_ = false;             // an input handler (and any close query in it) is running
  bool close_requested_ = false;  // a close request from outside came meanwhile
  bool quitting_ = false;         // a close passed its query: the loop is ending
  Surface atlas_;                 // Image2, which the animation draws from
  Surface blank_;                 // shown until the animation exists
  std::unique_ptr<Animation> animation_;
  std::unique_ptr<SaverWindow> window_;
};

}  // namespace marulex

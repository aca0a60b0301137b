// A test build of PASSWORD.CPL: records each password check with whether the cursor showed
// during it, and answers as the test says.
#include "test_log.h"

extern "C" __declspec(dllexport) BOOL WINAPI VerifyScreenSavePwd(HWND window) {
  CURSORINFO cursor{};
  cursor.cbSize = sizeof cursor;
  GetCursorInfo(&cursor);
  const bool shown = (cursor.flags & CURSOR_SHOWING) != 0;
  const int call = marulex_test::RecordCall("VerifyScreenSavePwd " + marulex_test::Number(window) +
                                            (shown ? " cursor-shown" : " cursor-hidden"));
  return marulex_test::AnswerFor(call);
}

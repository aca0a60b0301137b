// Test builds of the password services, as "MPR.DLL" and "PASSWORD.CPL". Each call is recorded
// as one line in the file named by MARULEX_TEST_CALLS, with what the X server shows of the cursor
// during the call. VerifyScreenSavePwd answers with the number in the file named by
// MARULEX_TEST_ANSWER (read at every call; 0 when missing).
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "tests/e2e/linux/cursor_probe.h"

namespace {

void Record(const char* line) {
  const char* file = std::getenv("MARULEX_TEST_CALLS");
  if (file == nullptr) return;
  if (std::FILE* out = std::fopen(file, "a")) {
    std::fprintf(out, "%s\n", line);
    std::fclose(out);
  }
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) std::uint32_t PwdChangePasswordA(const char* key_name,
                                                                        std::uintptr_t parent,
                                                                        std::uint32_t third,
                                                                        std::uint32_t fourth) {
  char line[256];
  std::snprintf(line, sizeof line, "PwdChangePasswordA %s %ju %u %u", key_name,
                static_cast<std::uintmax_t>(parent), third, fourth);
  Record(line);
  return 0;
}

__attribute__((visibility("default"))) std::int32_t VerifyScreenSavePwd(std::uintptr_t window) {
  int answer = 0;
  if (const char* file = std::getenv("MARULEX_TEST_ANSWER")) {
    if (std::FILE* in = std::fopen(file, "r")) {
      if (std::fscanf(in, "%d", &answer) != 1) answer = 0;
      std::fclose(in);
    }
  }
  char line[256];
  std::snprintf(line, sizeof line, "VerifyScreenSavePwd %ju cursor=%s answer=%d",
                static_cast<std::uintmax_t>(window), marulex::testing::CursorSeen(), answer);
  Record(line);
  return answer;
}
}

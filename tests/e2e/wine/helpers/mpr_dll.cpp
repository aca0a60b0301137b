// A test build of MPR.DLL: records each password-change call with its arguments.
#include "test_log.h"

extern "C" __declspec(dllexport) DWORD WINAPI
    PwdChangePasswordA(LPCSTR key_name, HWND parent, DWORD reserved1, DWORD reserved2) {
  marulex_test::RecordCall(std::string("PwdChangePasswordA ") + (key_name ? key_name : "(null)") +
                           " " + marulex_test::Number(parent) + " " + std::to_string(reserved1) +
                           " " + std::to_string(reserved2));
  return 0;
}

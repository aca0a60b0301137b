// Shared by the test builds of the password services: each call is appended as a line to the
// file named by MARULEX_TEST_LOG, and the answer of the n-th call is the n-th number in
// MARULEX_TEST_ANSWERS (the last one repeats; 1 when none is given).
#pragma once

#include <windows.h>

#include <sstream>
#include <string>
#include <vector>

namespace marulex_test {

inline std::wstring Environment(const wchar_t* name) {
  std::wstring value(32768, L'\0');
  const DWORD length =
      GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size()));
  value.resize(length < value.size() ? length : 0);
  return value;
}

// Appends the line and returns how many calls the log now holds, this one included.
inline int RecordCall(const std::string& line) {
  const std::wstring path = Environment(L"MARULEX_TEST_LOG");
  if (path.empty()) return 1;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  int lines = 1;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) {
    for (DWORD i = 0; i < got; ++i)
      lines += buffer[i] == '\n';
  }
  const std::string text = line + "\n";
  DWORD written = 0;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
  return lines;
}

inline int AnswerFor(int call) {
  std::wistringstream answers(Environment(L"MARULEX_TEST_ANSWERS"));
  std::vector<int> list;
  for (int answer = 0; answers >> answer;)
    list.push_back(answer);
  if (list.empty()) return 1;
  return list[static_cast<std::size_t>(call) <= list.size() ? static_cast<std::size_t>(call) - 1
                                                            : list.size() - 1];
}

inline std::string Number(const void* handle) {
  return std::to_string(reinterpret_cast<std::uintptr_t>(handle));
}

}  // namespace marulex_test

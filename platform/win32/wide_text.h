// UTF-8, the program's text, to and from UTF-16, the text of the wide Win32 calls.
#pragma once

#include <string>
#include <string_view>

namespace marulex::win32 {

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

}  // namespace marulex::win32

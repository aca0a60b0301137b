// The Wine tests' hands and eyes inside Wine: a host window for the preview, and small commands
// that look at and post to the program's windows. Prints UTF-8 lines; exits with 1 when what it
// was asked about does not exist.
//
//   wintool host                      a 152 x 112 preview window inside a top-level window; prints
//                                     "HWND <n>", then "CREATED <n>" when a child is made in it and
//                                     "WHEEL" when a wheel message reaches it; reads "destroy"
//                                     (destroys the preview window) and "quit" from stdin
//   wintool child <parent>            the first child: "<hwnd> <style hex> <x> <y> <w> <h>"
//   wintool find <title> [<class>]    a top-level window: "<hwnd>"
//   wintool client <hwnd>             "<width> <height>" of its client area
//   wintool controls <hwnd>           each child in z-order, one tab-separated line:
//                                     hwnd class style x y w h checked text
//   wintool texts <hwnd>              the texts of its children, one a line
//   wintool settext <hwnd> <text>     sets a window's text (WM_SETTEXT)
//   wintool type <hwnd> <text>        posts the text as WM_CHAR messages, as typing does
//   wintool click <hwnd>              posts BM_CLICK
//   wintool post <hwnd> <msg> <wparam> [<msg> <wparam>...]
//                                     posts them with the window's thread held still, so all of
//                                     them are queued before it takes the first
//   wintool state <hwnd>              "<enabled> <visible>", each 0 or 1
//   wintool foreground                "<hwnd>" of the foreground window
#include <windows.h>

#include <cwchar>
#include <string>
#include <vector>

namespace {

void Print(const std::wstring& line) {
  const std::wstring text = line + L"\n";
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size,
                      nullptr, nullptr);
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()),
            &written, nullptr);
}

std::wstring Number(HWND window) {
  return std::to_wstring(reinterpret_cast<std::uintptr_t>(window));
}

HWND Handle(const wchar_t* text) {
  return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(std::wcstoull(text, nullptr, 0)));
}

// Asks the window itself: GetWindowText gives only the stored title of another program's control.
std::wstring Text(HWND window) {
  const LRESULT length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  text.resize(static_cast<std::size_t>(
      SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
  return text;
}

std::wstring ClassName(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return name;
}

// The window's rectangle in its parent's client coordinates.
RECT PlaceInParent(HWND window) {
  RECT box;
  GetWindowRect(window, &box);
  MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&box), 2);
  return box;
}

// --- host -------------------------------------------------------------------------------------

constexpr UINT kDestroyPreview = WM_APP + 1;
constexpr UINT kQuit = WM_APP + 2;
HWND g_frame = nullptr;
HWND g_preview = nullptr;

LRESULT CALLBACK PreviewProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_PARENTNOTIFY:
      if (LOWORD(wparam) == WM_CREATE) Print(L"CREATED " + Number(reinterpret_cast<HWND>(lparam)));
      return 0;
    case WM_MOUSEWHEEL:
      // Answer first: the sender waits for the reply, and the test acts on the line.
      ReplyMessage(0);
      Print(L"WHEEL");
      return 0;
    default:
      return DefWindowProcW(window, message, wparam, lparam);
  }
}

LRESULT CALLBACK FrameProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case kDestroyPreview:
      DestroyWindow(g_preview);
      Print(L"DESTROYED");
      return 0;
    case kQuit:
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(window, message, wparam, lparam);
  }
}

DWORD WINAPI ReadRequests(void*) {
  std::string line;
  char byte = 0;
  DWORD got = 0;
  HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  while (ReadFile(input, &byte, 1, &got, nullptr) && got == 1) {
    if (byte == '\r') continue;
    if (byte != '\n') {
      line += byte;
      continue;
    }
    if (line == "destroy") PostMessageW(g_frame, kDestroyPreview, 0, 0);
    if (line == "quit") break;
    line.clear();
  }
  PostMessageW(g_frame, kQuit, 0, 0);
  return 0;
}

int Host() {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSW frame_class{};
  frame_class.lpfnWndProc = FrameProcedure;
  frame_class.hInstance = instance;
  frame_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  frame_class.lpszClassName = L"MarulexTestHost";
  RegisterClassW(&frame_class);
  WNDCLASSW preview_class = frame_class;
  preview_class.lpfnWndProc = PreviewProcedure;
  preview_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNSHADOW + 1);
  preview_class.lpszClassName = L"MarulexTestPreview";
  RegisterClassW(&preview_class);

  // Borderless, so that its place on the screen is its client's place.
  g_frame = CreateWindowExW(0, L"MarulexTestHost", L"Marulex test host",
                            WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 100, 100, 200, 160, nullptr,
                            nullptr, instance, nullptr);
  g_preview = CreateWindowExW(0, L"MarulexTestPreview", L"", WS_CHILD | WS_VISIBLE, 24, 24, 152,
                              112, g_frame, nullptr, instance, nullptr);
  if (!g_frame || !g_preview) return 1;
  Print(L"HWND " + Number(g_preview));
  CreateThread(nullptr, 0, ReadRequests, nullptr, 0, nullptr);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}

// --- commands ---------------------------------------------------------------------------------

int Post(HWND window, const std::vector<std::pair<UINT, WPARAM>>& messages) {
  DWORD process = 0;
  const DWORD thread_id = GetWindowThreadProcessId(window, &process);
  if (thread_id == 0) return 1;
  HANDLE thread = OpenThread(THREAD_SUSPEND_RESUME, FALSE, thread_id);
  if (thread) SuspendThread(thread);
  bool posted = true;
  for (const auto& [message, wparam] : messages)
    posted &= PostMessageW(window, message, wparam, 0) != 0;
  if (thread) {
    ResumeThread(thread);
    CloseHandle(thread);
  }
  // Each GetMessage first delivers the messages sent to the thread, then takes one posted message;
  // so once one more sent message than was posted has been delivered, every posted one has been
  // handled (or the window is gone, which ends the sends early).
  for (std::size_t i = 0; posted && i <= messages.size(); ++i) {
    DWORD_PTR ignored = 0;
    if (!SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 30000, &ignored)) break;
  }
  return posted ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring command = argc > 1 ? argv[1] : L"";
  if (command == L"host") return Host();
  if (command == L"foreground") {
    Print(Number(GetForegroundWindow()));
    return 0;
  }
  if (argc < 3) return 2;
  if (command == L"find") {
    HWND found = FindWindowW(argc > 3 ? argv[3] : nullptr, argv[2]);
    if (!found) return 1;
    Print(Number(found));
    return 0;
  }
  HWND window = Handle(argv[2]);
  if (!IsWindow(window)) return 1;
  if (command == L"child") {
    HWND child = GetWindow(window, GW_CHILD);
    if (!child) return 1;
    const RECT box = PlaceInParent(child);
    wchar_t style[16];
    std::swprintf(style, 16, L"0x%08X", static_cast<unsigned>(GetWindowLongW(child, GWL_STYLE)));
    Print(Number(child) + L" " + style + L" " + std::to_wstring(box.left) + L" " +
          std::to_wstring(box.top) + L" " + std::to_wstring(box.right - box.left) + L" " +
          std::to_wstring(box.bottom - box.top));
    return 0;
  }
  if (command == L"state") {
    Print(std::wstring(IsWindowEnabled(window) ? L"1" : L"0") + L" " +
          (IsWindowVisible(window) ? L"1" : L"0"));
    return 0;
  }
  if (command == L"client") {
    RECT client;
    GetClientRect(window, &client);
    Print(std::to_wstring(client.right) + L" " + std::to_wstring(client.bottom));
    return 0;
  }
  if (command == L"controls" || command == L"texts") {
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      if (command == L"texts") {
        Print(Text(child));
        continue;
      }
      const RECT box = PlaceInParent(child);
      wchar_t style[16];
      std::swprintf(style, 16, L"0x%08X", static_cast<unsigned>(GetWindowLongW(child, GWL_STYLE)));
      const bool checked = SendMessageW(child, BM_GETCHECK, 0, 0) == BST_CHECKED;
      Print(Number(child) + L"\t" + ClassName(child) + L"\t" + style + L"\t" +
            std::to_wstring(box.left) + L"\t" + std::to_wstring(box.top) + L"\t" +
            std::to_wstring(box.right - box.left) + L"\t" + std::to_wstring(box.bottom - box.top) +
            L"\t" + (checked ? L"1" : L"0") + L"\t" + Text(child));
    }
    return 0;
  }
  if (command == L"settext" && argc > 3) {
    return SendMessageW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[3])) ? 0 : 1;
  }
  if (command == L"type" && argc > 3) {
    for (const wchar_t* c = argv[3]; *c; ++c)
      PostMessageW(window, WM_CHAR, *c, 1);
    return 0;
  }
  if (command == L"click") return PostMessageW(window, BM_CLICK, 0, 0) ? 0 : 1;
  if (command == L"post" && argc >= 5 && argc % 2 == 1) {
    std::vector<std::pair<UINT, WPARAM>> messages;
    for (int i = 3; i + 1 < argc; i += 2) {
      messages.emplace_back(static_cast<UINT>(std::wcstoul(argv[i], nullptr, 0)),
                            static_cast<WPARAM>(std::wcstoull(argv[i + 1], nullptr, 0)));
    }
    return Post(window, messages);
  }
  return 2;
}

#pragma once
// Other programs of the project as a test drives them: started, their windows
// found, waited for.

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>

#include "win32/handles.h"

namespace pendrix::testing {

using UniqueProcess = UniqueHandle<HANDLE, CloseHandle>;

// A build-tree path as Wine's programs see it, through the Z: drive.
inline std::wstring winePath(const std::string& unixPath) {
  std::wstring path = unixPath.rfind('/', 0) == 0 ? L"Z:" : L"";
  for (const char c : unixPath) path += c == '/' ? L'\\' : static_cast<wchar_t>(c);
  return path;
}

inline UniqueProcess startProcess(const std::wstring& program, const std::wstring& arguments) {
  std::wstring command = L"\"" + program + L"\" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
    return UniqueProcess();
  CloseHandle(info.hThread);
  return UniqueProcess(info.hProcess);
}

// Polls `condition` every 50 ms for up to `timeout`.
inline bool waitUntil(const std::function<bool()>& condition,
                      std::chrono::milliseconds timeout = std::chrono::seconds(15)) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return true;
}

// The exit code, or -1 when the process did not end in time.
inline long waitForExit(HANDLE process, DWORD milliseconds = 15000) {
  if (WaitForSingleObject(process, milliseconds) != WAIT_OBJECT_0) return -1;
  DWORD code = 0;
  GetExitCodeProcess(process, &code);
  return static_cast<long>(code);
}

// Puts the pointer at `target` and waits until the display has it there. Wine skips
// a move to where it believes the pointer is, and on a new display it believes (0,0)
// while the real pointer rests in the middle: a step beside the target comes first.
inline bool movePointerTo(POINT target) {
  return waitUntil([&] {
    SetCursorPos(target.x + 1, target.y + 1);
    SetCursorPos(target.x, target.y);
    // Wine asks the display itself, not its own record, 100 ms after the last move.
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    POINT now{};
    return GetCursorPos(&now) && now.x == target.x && now.y == target.y;
  });
}

struct WindowQuery {
  DWORD processId = 0;  // 0: any process
  const wchar_t* className = nullptr;
  const wchar_t* caption = nullptr;
  bool visibleOnly = true;
  HWND found = nullptr;
};

inline BOOL CALLBACK matchWindow(HWND window, LPARAM data) {
  auto& q = *reinterpret_cast<WindowQuery*>(data);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (q.processId && owner != q.processId) return TRUE;
  if (q.visibleOnly && !IsWindowVisible(window)) return TRUE;
  wchar_t text[256] = {};
  if (q.className && (!GetClassNameW(window, text, 256) || lstrcmpW(text, q.className) != 0)) return TRUE;
  if (q.caption && (GetWindowTextW(window, text, 256), lstrcmpW(text, q.caption) != 0)) return TRUE;
  q.found = window;
  return FALSE;
}

// A top-level window by process, class and caption.
inline HWND findTopWindow(WindowQuery query) {
  EnumWindows(matchWindow, reinterpret_cast<LPARAM>(&query));
  return query.found;
}

inline std::wstring windowText(HWND window) {
  wchar_t text[1024] = {};
  SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 5000, nullptr);
  return text;
}

// Waits for the message box of `processId` with `caption`, reads its text and
// presses OK on it.
inline std::wstring answerMessageBox(DWORD processId, const wchar_t* caption) {
  HWND box = nullptr;
  waitUntil([&] { return (box = findTopWindow({processId, L"#32770", caption})) != nullptr; });
  if (!box) return L"(no message box)";
  const std::wstring message = windowText(GetDlgItem(box, 0xFFFF));
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  waitUntil([&] { return !IsWindow(box); });
  return message;
}

}  // namespace pendrix::testing

#include "session/return_click_win32.h"

namespace pendrix {
namespace {

BOOL CALLBACK rememberDocumentWindow(HWND window, LPARAM found) {
  wchar_t className[200] = {};
  if (GetClassNameW(window, className, 200) > 0 && lstrcmpW(className, L"_WwG") == 0)
    *reinterpret_cast<HWND*>(found) = window;
  return TRUE;
}

}  // namespace

HWND findDocumentWindow(HWND wordWindow) {
  if (!wordWindow || !IsWindow(wordWindow)) return nullptr;
  HWND found = nullptr;
  EnumChildWindows(wordWindow, rememberDocumentWindow, reinterpret_cast<LPARAM>(&found));
  return found;
}

void postReturnClick(HWND wordWindow, POINT screenPoint) {
  const HWND target = findDocumentWindow(wordWindow);
  if (!target) return;
  POINT client = screenPoint;
  ScreenToClient(target, &client);
  // Each coordinate travels in 16 bits of the message, as a mouse message packs it.
  const LPARAM point = MAKELPARAM(static_cast<WORD>(client.x), static_cast<WORD>(client.y));
  PostMessageW(target, WM_LBUTTONDOWN, MK_LBUTTON, point);
  PostMessageW(target, WM_LBUTTONUP, MK_LBUTTON, point);
}

}  // namespace pendrix

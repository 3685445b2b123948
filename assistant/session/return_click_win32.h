#pragma once
// When a session ends, a click goes back into Word's document window where the
// mouse was when the session began, so that Word has the focus and the caret again.

#include <windows.h>

namespace pendrix {

// The last descendant of `wordWindow` of class "_WwG", in the system's order; null
// when there is none (or no Word window).
HWND findDocumentWindow(HWND wordWindow);

// Posts a left-button down and up at `screenPoint` to Word's document window; does
// nothing when Word has none. Posting does not wait for Word.
void postReturnClick(HWND wordWindow, POINT screenPoint);

// A window handle that travelled as a 32-bit VT_I4: handles are 32-bit values that
// Windows sign-extends in 64-bit processes.
inline HWND windowFromI4(LONG value) {
  return reinterpret_cast<HWND>(static_cast<LONG_PTR>(value));
}
inline LONG windowToI4(HWND window) {
  return static_cast<LONG>(reinterpret_cast<LONG_PTR>(window));
}

}  // namespace pendrix

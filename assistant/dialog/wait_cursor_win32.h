#pragma once
// The wait cursor while a long command runs; the previous cursor comes back at the end.

#include <windows.h>

namespace pendrix {

class ScopedWaitCursor {
 public:
  ScopedWaitCursor() : previous_(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}
  ~ScopedWaitCursor() { SetCursor(previous_); }
  ScopedWaitCursor(const ScopedWaitCursor&) = delete;
  ScopedWaitCursor& operator=(const ScopedWaitCursor&) = delete;

 private:
  HCURSOR previous_;
};

}  // namespace pendrix

#include "dialog/key_forward_edit_win32.h"

#include <commctrl.h>

namespace pendrix {

CKeyForwardEdit::~CKeyForwardEdit() {
  if (edit_) RemoveWindowSubclass(edit_, subclassProc, 1);
}

bool CKeyForwardEdit::attach(HWND edit) {
  if (!edit || !SetWindowSubclass(edit, subclassProc, 1, 0)) return false;
  edit_ = edit;
  return true;
}

void CKeyForwardEdit::clearAndFocus() const {
  if (!edit_) return;
  SetWindowTextW(edit_, L"");
  SetFocus(edit_);
}

LRESULT CALLBACK CKeyForwardEdit::subclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                               DWORD_PTR) {
  if (message == WM_KEYDOWN) {
    // Repeat count in the low word, scan code and flags in the high word, as the
    // keyboard message had them.
    SendMessageW(GetParent(window), WM_KEYDOWN, wParam, MAKELPARAM(LOWORD(lParam), HIWORD(lParam)));
    return 0;
  }
  if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_KEYMENU && lParam != 0) {
    // An Alt key that no button took: the default handling would send the keyboard-
    // menu command to this edit, which has the focus, and the dialog (Alt+L, Alt+5)
    // would never see it.
    return SendMessageW(GetParent(window), message, wParam, lParam);
  }
  return DefSubclassProc(window, message, wParam, lParam);
}

PaintForwardStatic::~PaintForwardStatic() {
  if (control_) RemoveWindowSubclass(control_, subclassProc, 1);
}

bool PaintForwardStatic::attach(HWND control, Repaint repaint, void* owner) {
  if (!control || !SetWindowSubclass(control, subclassProc, 1, reinterpret_cast<DWORD_PTR>(this))) return false;
  control_ = control;
  repaint_ = repaint;
  owner_ = owner;
  return true;
}

LRESULT CALLBACK PaintForwardStatic::subclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                                  DWORD_PTR data) {
  auto* self = reinterpret_cast<PaintForwardStatic*>(data);
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      BeginPaint(window, &paint);
      EndPaint(window, &paint);
      if (self->repaint_) self->repaint_(self->owner_);
      return 0;
    }
    default:
      return DefSubclassProc(window, message, wParam, lParam);
  }
}

}  // namespace pendrix

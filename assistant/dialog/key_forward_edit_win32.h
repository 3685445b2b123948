#pragma once
// The dialog's tiny key-input edit: typed characters reach it as usual (and the
// dialog reads them from its text), but key-down messages go to the dialog, which
// turns cursor and delete keys into moves in the formula, and so does the keyboard-
// menu command of an Alt key that no button took.

#include <windows.h>

namespace pendrix {

class CKeyForwardEdit {
 public:
  CKeyForwardEdit() = default;
  ~CKeyForwardEdit();
  CKeyForwardEdit(const CKeyForwardEdit&) = delete;
  CKeyForwardEdit& operator=(const CKeyForwardEdit&) = delete;

  // Subclasses the dialog's edit control.
  bool attach(HWND edit);
  HWND window() const { return edit_; }

  // Empties the edit and gives it the keyboard focus.
  void clearAndFocus() const;

 private:
  static LRESULT CALLBACK subclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                       DWORD_PTR data);
  HWND edit_ = nullptr;
};

// A static control that the dialog paints itself: the control's own painting would
// wipe the preview after the dialog drew it, so its paint request goes to `repaint`.
class PaintForwardStatic {
 public:
  using Repaint = void (*)(void* owner);
  PaintForwardStatic() = default;
  ~PaintForwardStatic();
  PaintForwardStatic(const PaintForwardStatic&) = delete;
  PaintForwardStatic& operator=(const PaintForwardStatic&) = delete;

  bool attach(HWND control, Repaint repaint, void* owner);
  HWND window() const { return control_; }

 private:
  static LRESULT CALLBACK subclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                       DWORD_PTR data);
  HWND control_ = nullptr;
  Repaint repaint_ = nullptr;
  void* owner_ = nullptr;
};

}  // namespace pendrix

#pragma once
// The main dialog as the tests open it: the real template with a minimal dialog
// procedure that attaches the bitmap buttons from the control table, fills the combo
// boxes and forwards owner drawing, as the program's dialog does.

#include <windows.h>

#include <array>
#include <string>
#include <vector>

#include "dialog/bitmap_tool_button_win32.h"
#include "dialog/dialog_controls.h"
#include "tests/support/window_picture.h"
#include "win32/handles.h"

namespace pendrix::testing {

class TestDialog {
 public:
  // Opens dialog `templateId` modeless; the main dialog gets its buttons and combo boxes.
  explicit TestDialog(int templateId);
  HWND get() const { return window_.get(); }
  HWND item(int id) const { return GetDlgItem(window_.get(), id); }
  const CBitmapToolButton* button(int id) const;
  // Shows the dialog and lets it paint; false when no place on the screen shows it
  // uncovered and drawn.
  bool showAndPaint() const;

 private:
  static INT_PTR CALLBACK procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
  void initialise(HWND dialog);

  std::array<CBitmapToolButton, std::size(kButtonControls)> buttons_;
  UniqueWindow window_;
  int templateId_;
};

// Lets pending messages (painting among them) run.
void pumpMessages();
// A source-tree path for Windows programs, through Wine's Z: drive.
std::wstring winePath(const std::string& unixPath);
// The folder of the test program, where the screenshots go.
std::wstring besideTheTest(const std::wstring& name);
// The rows of a picture's text source below its comment block ("" when missing).
std::vector<std::string> sourceRows(const std::string& name);
// The colour a source character stands for.
COLORREF colourOf(char c);
// `rect` in dialog units, mapped to pixels of `dialog`.
RECT dialogRect(HWND dialog, int x, int y, int width, int height);

}  // namespace pendrix::testing

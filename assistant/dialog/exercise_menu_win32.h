#pragma once
// The owner-drawn exercise popups: each item 23 pixels high and as wide as its text in
// Arial needs beside its 16 x 16 picture (at least 150 pixels, at most the width of the
// screen's work area), the highlighted one on a grey-blue field in a blue frame. One
// object serves one showing of a popup; the items stay owner-drawn afterwards.

#include <windows.h>

#include <string>
#include <vector>

#include "win32/handles.h"

namespace pendrix {

class CExerciseMenu {
 public:
  static constexpr int kItemWidth = 150;  // the narrowest an item is
  static constexpr int kItemHeight = 23;
  static constexpr int kTextLeft = 20;
  static constexpr int kTextRight = 10;  // room after the text
  static constexpr int kFontHeight = 18;
  static constexpr int kSeparatorHeight = 5;
  static constexpr size_t kMaxItems = 40;
  static constexpr size_t kMaxText = 99;

  explicit CExerciseMenu(HMENU popup);
  CExerciseMenu(const CExerciseMenu&) = delete;
  CExerciseMenu& operator=(const CExerciseMenu&) = delete;

  // Makes item `id` owner-drawn with `text` (cut to 99 characters) and `picture`.
  void addItem(UINT id, const std::u16string& text, HBITMAP picture);
  // Shows the popup below `button`, ending at its right edge; the pick arrives at
  // `owner` as a command.
  void show(HWND owner, HWND button);

  // The owner's WM_MEASUREITEM and WM_DRAWITEM for menu items.
  void measure(MEASUREITEMSTRUCT& item) const;
  void draw(const DRAWITEMSTRUCT& item) const;

 private:
  struct Item {
    std::wstring text;
    HBITMAP picture;
  };

  HMENU popup_;
  HWND owner_ = nullptr;
  UniqueFont font_;
  std::vector<Item> items_;
};

}  // namespace pendrix

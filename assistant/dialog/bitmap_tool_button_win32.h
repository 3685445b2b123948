#pragma once
// A button of the main dialog with its own tooltip and, when its template has the
// owner-draw style, a picture instead of the caption.

#include <windows.h>

#include <string>

#include "preview/preview_gdi.h"
#include "win32/handles.h"

namespace pendrix {

class CBitmapToolButton {
 public:
  CBitmapToolButton() = default;
  CBitmapToolButton(const CBitmapToolButton&) = delete;
  CBitmapToolButton& operator=(const CBitmapToolButton&) = delete;

  // The dialog's button window; the button stays the dialog's, this object only adds to it.
  void attach(HWND button);

  // The picture from bitmap resource `id` of `instance`; 0 shows the caption again.
  // False when the resource does not load: the button then shows its caption, so a
  // missing picture never leaves it blank.
  bool setBitmap(HINSTANCE instance, int id);

  // Creates the tooltip on first use (owned by the button, one tool over its client
  // area, watching the button's mouse messages itself); a later call replaces the text
  // of that one tool. False when no button is attached or the tooltip cannot be made.
  bool setTooltip(const std::u16string& text, bool activate);

  // WM_DRAWITEM of this button: a push-button frame, pushed while selected, then the
  // caption centred on one line (bitmap 0) or the picture ANDed onto the face, centred
  // and not moving when pushed. A button with room for the picture twice over (display
  // scaling) shows it at the largest whole multiple that fits.
  void draw(const DRAWITEMSTRUCT& item) const;

  HWND window() const { return button_; }
  HWND tooltip() const { return tooltip_.get(); }
  int bitmapId() const { return bitmapId_; }

 private:
  void drawCaption(const DRAWITEMSTRUCT& item) const;
  void drawPicture(const DRAWITEMSTRUCT& item) const;

  HWND button_ = nullptr;
  UniqueWindow tooltip_;
  UniqueBitmap bitmap_;
  SIZE bitmapSize_{};
  int bitmapId_ = 0;
};

}  // namespace pendrix

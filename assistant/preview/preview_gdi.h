#pragma once
// The preview on Windows: GDI metrics for the layout and a player for its display list.

#include <windows.h>

#include <string>

#include "formula/formula_grid.h"
#include "preview/display_list.h"
#include "preview/preview_layout.h"
#include "preview/preview_metrics.h"
#include "win32/handles.h"

namespace pendrix {

// The three sign bitmaps; owned by the dialog, lent to each redraw.
struct PreviewSigns {
  UniqueBitmap dot;    // resource 133
  UniqueBitmap minus;  // resource 132
  UniqueBitmap plus;   // resource 130
  HBITMAP get(PreviewSign sign) const;
  bool loaded() const { return dot && minus && plus; }
};

PreviewSigns loadPreviewSigns(HINSTANCE instance);
// From sign_dot.bmp, sign_minus.bmp and sign_plus.bmp in `folder`.
PreviewSigns loadPreviewSignsFromFolder(const std::u16string& folder);

// The small font: the formula font's description with its height times 0.7.
LOGFONTW smallFontOf(const LOGFONTW& formula);

// Measures in the formula and small fonts made from `font` on `dc`.
class GdiPreviewMetrics : public PreviewMetrics {
 public:
  GdiPreviewMetrics(HDC dc, const LOGFONTW& font, const PreviewSigns& signs);
  ~GdiPreviewMetrics() override;
  GdiPreviewMetrics(const GdiPreviewMetrics&) = delete;
  GdiPreviewMetrics& operator=(const GdiPreviewMetrics&) = delete;

  int height() const override { return height_; }
  int descent() const override { return descent_; }
  int advance(char16_t c, PreviewFont font) const override;
  SignSize signSize(PreviewSign sign) const override;

 private:
  HDC dc_;
  const PreviewSigns& signs_;
  UniqueFont formula_;
  UniqueFont small_;
  HGDIOBJ previous_ = nullptr;
  int height_ = 14;
  int descent_ = 3;
};

struct PreviewStyle {
  LOGFONTW font{};
  COLORREF background = RGB(240, 240, 240);
  const PreviewSigns* signs = nullptr;
};

// Plays `list` onto `dc` (a whole-window context of the dialog).
void renderPreview(HDC dc, const DisplayList& list, const PreviewStyle& style);

// One redraw of the dialog's preview control: layout and painting on the dialog's
// window context, with the dialog's font as the formula font.
void redrawPreviewWindow(HWND dialog, HWND preview, FormulaGrid& grid, PreviewLayout& layout,
                         const PreviewSigns& signs, COLORREF background);

// A client point of the dialog in the window coordinates the layout uses.
POINT dialogWindowPoint(HWND dialog, POINT client);

}  // namespace pendrix

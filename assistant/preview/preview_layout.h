#pragma once
// The typeset preview of a FormulaGrid: one walk over the columns that places every
// cell, resolves a pending click into the cursor column and lists what to paint.
// The preview state (metrics and row positions of the last redraw) lives here rather
// than in the grid, so that the grid stays a plain editing model.

#include <array>

#include "formula/formula_grid.h"
#include "preview/display_list.h"
#include "preview/preview_metrics.h"

namespace pendrix {

// The preview control's and the dialog's window rectangles, both in screen coordinates.
struct PreviewArea {
  PreviewRect preview;
  PreviewRect dialog;
};

class PreviewLayout {
 public:
  static constexpr int kLastColumn = 54;  // the walk visits at most columns 0 to 54
  static constexpr int kMaxBlanks = 164;

  // Lays the grid out in dialog window coordinates. A pending click moves the grid's
  // cursor column and is cleared.
  DisplayList redraw(FormulaGrid& grid, const PreviewArea& area, const PreviewMetrics& metrics);

  // Stores x as the pending click and chooses the cursor row from y, using the
  // metrics and bar line of the last redraw; x = -1 selects the main row, no click.
  void setClick(FormulaGrid& grid, int x, int y) const;
  int rowForClick(int y) const;

  int textHeight() const { return height_; }
  int descent() const { return descent_; }
  int barLine() const { return barLine_; }
  int rowTop(int row) const { return rowTops_[row]; }

 private:
  int height_ = 14;
  int descent_ = 3;
  int barLine_ = 0;
  std::array<int, 3> rowTops_{};
};

// Width of one cell in the walk. `measuring` is the separate pass over a fraction,
// which counts a tall root with a degree as 19 instead of 17.
int previewCellWidth(const FormulaGrid& grid, int row, int column, const PreviewMetrics& metrics, bool measuring);

}  // namespace pendrix

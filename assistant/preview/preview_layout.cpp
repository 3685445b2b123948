#include "preview/preview_layout.h"

#include <algorithm>
#include <optional>

namespace pendrix {

namespace {

std::optional<PreviewSign> signFor(char16_t c) {
  if (c == u'*') return PreviewSign::Dot;
  if (c == u'-') return PreviewSign::Minus;
  if (c == u'+') return PreviewSign::Plus;
  return std::nullopt;
}

int truncated(double value) { return static_cast<int>(value); }

struct Frame {
  int x0 = 0;
  int top = 0;
  int middle = 0;
  int width = 0;
  int height = 0;
};

Frame frameOf(const PreviewArea& area) {
  Frame f;
  f.x0 = area.preview.left - area.dialog.left + 5;
  f.top = area.preview.top - area.dialog.top;
  f.width = area.preview.right - area.preview.left;
  f.height = area.preview.bottom - area.preview.top;
  f.middle = f.top + f.height / 2;
  return f;
}

// One redraw's walk. Fraction state follows the column walk: F, the two row offsets
// and the runs inside the current fraction.
class Walk {
 public:
  Walk(FormulaGrid& grid, const PreviewMetrics& metrics, const Frame& frame, const std::array<int, 3>& tops)
      : grid_(grid), metrics_(metrics), frame_(frame), tops_(tops), h_(metrics.height()) {}

  DisplayList run();

 private:
  struct Reference {
    int x;
    int width;
  };

  void erase();
  void startFraction(int column);
  void layFractionColumn(int column);
  void layOrdinaryColumn(int column);
  void layCell(int row, int column, int x);
  void drawGlyph(int row, int column, int x, int width);
  void drawRoot(int x, int y, char16_t degree);
  void drawTallRoot(int x, char16_t degree);
  void text(char16_t c, PreviewFont font, int x, int y) { list_.items.push_back(TextItem{c, font, {x, y}}); }
  void line(std::vector<PreviewPoint> points, PreviewPen pen = PreviewPen::Default) {
    list_.items.push_back(PolylineItem{std::move(points), pen});
  }
  int widerRow() const { return wn_ > wd_ ? ROW_UPPER : ROW_LOWER; }
  Reference reference(int column) const;
  void resolveClick(int column);
  void placeCaret(int visited);
  void drawFrame();

  FormulaGrid& grid_;
  const PreviewMetrics& metrics_;
  Frame frame_;
  std::array<int, 3> tops_;
  int h_;
  DisplayList list_;
  int offsetX_ = 0;
  bool inFraction_ = false;
  int wn_ = 0;
  int wd_ = 0;
  int fractionWidth_ = 0;
  std::array<int, 3> offsets_{};
  std::array<int, 3> runs_{};
  // The left edge and width of each visited column's cell in the cursor row; a
  // main-row cursor in a fraction column refers to the wider fraction row.
  std::vector<Reference> references_;
  std::array<Reference, 3> lastCell_{};
};

DisplayList Walk::run() {
  erase();
  int column = 0;
  for (; column <= PreviewLayout::kLastColumn && grid_.flags(ROW_MAIN, column) != 0; ++column) {
    if (grid_.isFractionColumn(column)) {
      if (!inFraction_) startFraction(column);
      layFractionColumn(column);
    } else {
      layOrdinaryColumn(column);
    }
    references_.push_back(reference(column));
    resolveClick(column);
  }
  placeCaret(column);
  drawFrame();
  return std::move(list_);
}

void Walk::erase() {
  const int blank = metrics_.advance(u' ', PreviewFont::Formula);
  const int u = tops_[ROW_UPPER];
  for (int i = 0; frame_.x0 + (i - 2) * blank < frame_.width && i <= PreviewLayout::kMaxBlanks; ++i) {
    const int x = frame_.x0 + i * blank;
    for (int y : {u - 4, u, tops_[ROW_MAIN], tops_[ROW_LOWER]}) text(u' ', PreviewFont::Formula, x, y);
  }
}

void Walk::startFraction(int column) {
  wn_ = wd_ = 0;
  for (int c = column; c <= PreviewLayout::kLastColumn && grid_.isFractionColumn(c); ++c) {
    wn_ += previewCellWidth(grid_, ROW_UPPER, c, metrics_, true);
    wd_ += previewCellWidth(grid_, ROW_LOWER, c, metrics_, true);
  }
  fractionWidth_ = std::max(wn_, wd_);
  offsets_ = {};
  runs_ = {};
  offsets_[ROW_UPPER] = (fractionWidth_ - wn_) / 2;
  offsets_[ROW_LOWER] = (fractionWidth_ - wd_) / 2;
  offsetX_ += 1;
  inFraction_ = true;
}

void Walk::layFractionColumn(int column) {
  for (int row : {ROW_UPPER, ROW_LOWER}) {
    const int x = frame_.x0 + offsetX_ + offsets_[row] + runs_[row];
    const int width = previewCellWidth(grid_, row, column, metrics_, false);
    layCell(row, column, x);
    line({{x - 1, frame_.middle}, {x + width + 1, frame_.middle}});
    runs_[row] += width;
  }
}

void Walk::layOrdinaryColumn(int column) {
  if (inFraction_) {
    offsetX_ += fractionWidth_;
    inFraction_ = false;
    offsets_ = {};
    runs_ = {};
  }
  const int x = frame_.x0 + offsetX_;
  layCell(ROW_MAIN, column, x);
  offsetX_ += lastCell_[ROW_MAIN].width;
}

void Walk::layCell(int row, int column, int x) {
  const int width = previewCellWidth(grid_, row, column, metrics_, false);
  lastCell_[row] = {x, width};
  list_.cells.push_back({column, row, x, tops_[row], width});
  if (grid_.flags(row, column) & (CELL_TEXT | CELL_FILLER)) drawGlyph(row, column, x, width);
}

void Walk::drawGlyph(int row, int column, int x, int width) {
  const uint16_t flags = grid_.flags(row, column);
  const char16_t c = grid_.at(row, column);
  const int y = tops_[row];
  const int u = tops_[ROW_UPPER];
  if (flags & CELL_SUPERSCRIPT) {
    text(c, PreviewFont::Small, x, y - truncated(0.2 * h_));
  } else if (flags & CELL_SUBSCRIPT) {
    text(c, PreviewFont::Small, x, y + truncated(0.4 * h_));
  } else if (auto sign = signFor(c)) {
    const SignSize size = metrics_.signSize(*sign);
    list_.items.push_back(SignItem{*sign, {x, y + (h_ - size.height) / 2}, size.width, size.height});
  } else if (c == ROOT_OPEN) {
    drawRoot(x, y, grid_.degree(row, column));
  } else if (c == ROOT_CLOSE) {
    line({{x, y - 2}, {x + 2, y - 2}});
    line({{x + 2, y - 2}, {x + 2, y + 1}});
  } else if (c == TALL_ROOT_OPEN) {
    drawTallRoot(x, grid_.degree(row, column));
  } else if (c == TALL_ROOT_CLOSE) {
    line({{x, u - 4}, {x + 4, u - 4}});
    line({{x + 4, u - 4}, {x + 4, u - 1}});
  } else if (!(flags & CELL_FILLER)) {
    text(c, PreviewFont::Formula, x, y);
  }
  if (flags & CELL_UNDER_ROOT) line({{x - 1, y - 2}, {x + width, y - 2}});
  if (flags & CELL_UNDER_TALL_ROOT) line({{x - 1, u - 4}, {x + width + 1, u - 4}});
}

void Walk::drawRoot(int x, int y, char16_t degree) {
  if (degree == 0) {
    const int a = truncated(0.3 * h_);
    line({{x, y + a}, {x + 3, y + a}, {x + 6, y + h_}, {x + 10, y - 2}});
    return;
  }
  const int b = truncated(0.4 * h_);
  line({{x, y + b + 2}, {x + 8, y + b + 2}, {x + 11, y + h_}, {x + 15, y - 2}});
  text(degree, PreviewFont::Small, x + 4, y - truncated(0.3 * h_));
}

void Walk::drawTallRoot(int x, char16_t degree) {
  const int u = tops_[ROW_UPPER];
  if (degree == 0) {
    const int c = truncated(0.3 * 2 * h_);
    line({{x, u + c}, {x + 4, u + c}, {x + 9, u + 2 * h_}, {x + 13, u - 4}});
    return;
  }
  const int d = truncated(0.4 * 2 * h_);
  line({{x, u + d + 2}, {x + 7, u + d + 2}, {x + 12, u + 2 * h_}, {x + 16, u - 4}});
  text(degree, PreviewFont::Small, x + 4, tops_[ROW_MAIN] - truncated(0.4 * h_));
}

Walk::Reference Walk::reference(int column) const {
  const int row = grid_.cursorRow();
  if (grid_.isFractionColumn(column)) return lastCell_[row == ROW_MAIN ? widerRow() : row];
  // The upper and lower cells of an ordinary column are not laid out; clicks and the
  // caret in those rows use the column's main cell.
  return lastCell_[ROW_MAIN];
}

void Walk::resolveClick(int column) {
  const int click = grid_.clickX();
  if (click < 0 || column >= grid_.length()) return;
  const Reference ref = references_.back();
  if (ref.x + ref.width - 2 < click) return;
  grid_.setCursor(grid_.cursorRow(), column);
  grid_.setClickX(-1);
}

void Walk::placeCaret(int visited) {
  if (grid_.clickX() >= 0) {
    grid_.setCursor(grid_.cursorRow(), grid_.length());
    grid_.setClickX(-1);
  }
  const int row = grid_.cursorRow();
  const int column = grid_.cursorColumn();
  int x = 0;
  if (column < visited) {
    x = references_[column].x;
  } else if (inFraction_ && row == ROW_MAIN) {
    x = frame_.x0 + offsetX_ + fractionWidth_;
  } else {
    x = frame_.x0 + offsetX_ + runs_[row] + offsets_[row];
  }
  const int y = tops_[row];
  list_.caret = {x, y + truncated(h_ - 0.9 * h_), y + truncated(0.9 * h_)};
  line({{x, list_.caret.top}, {x, list_.caret.bottom}});
}

void Walk::drawFrame() {
  const int left = frame_.x0 - 5;
  const int right = left + frame_.width;
  const int bottom = frame_.top + frame_.height;
  const int top = frame_.top;
  line({{left, top}, {right, top}}, PreviewPen::Frame);
  line({{left, top}, {left, bottom}}, PreviewPen::Frame);
  line({{right, top}, {right, bottom}}, PreviewPen::Frame);
  line({{left, bottom}, {right, bottom}}, PreviewPen::Frame);
}

}  // namespace

int previewCellWidth(const FormulaGrid& grid, int row, int column, const PreviewMetrics& metrics, bool measuring) {
  const uint16_t flags = grid.flags(row, column);
  const char16_t c = grid.at(row, column);
  const bool hasDegree = grid.degree(row, column) != 0;
  if (flags & CELL_FILLER) return 1;
  if (c == ROOT_OPEN) return hasDegree ? 16 : 11;
  if (c == TALL_ROOT_OPEN) return hasDegree ? (measuring ? 19 : 17) : 14;
  if (c == ROOT_CLOSE) return 3;
  if (c == TALL_ROOT_CLOSE) return 5;
  if (flags & (CELL_SUPERSCRIPT | CELL_SUBSCRIPT)) return metrics.advance(c, PreviewFont::Small);
  if (auto sign = signFor(c)) return metrics.signSize(*sign).width;
  return metrics.advance(c, PreviewFont::Formula);
}

DisplayList PreviewLayout::redraw(FormulaGrid& grid, const PreviewArea& area, const PreviewMetrics& metrics) {
  const Frame frame = frameOf(area);
  height_ = metrics.height();
  descent_ = metrics.descent();
  barLine_ = frame.middle;
  rowTops_ = {barLine_ - height_, barLine_ - height_ / 2, barLine_ + 4};
  DisplayList list = Walk(grid, metrics, frame, rowTops_).run();
  list.width = area.dialog.right - area.dialog.left;
  list.height = area.dialog.bottom - area.dialog.top;
  return list;
}

int PreviewLayout::rowForClick(int y) const {
  const double m = barLine_;
  const double h = height_;
  if (m - (0.9 * h + 1) / 2 < y && y < m + 0.45 * (h - descent_)) return ROW_MAIN;
  if (y > m - 0.45 * h + 3) return ROW_LOWER;
  return ROW_UPPER;
}

void PreviewLayout::setClick(FormulaGrid& grid, int x, int y) const {
  const int row = x == -1 ? ROW_MAIN : rowForClick(y);
  grid.setClickX(x < 0 ? -1 : x);
  grid.setCursor(row, grid.cursorColumn());
}

}  // namespace pendrix

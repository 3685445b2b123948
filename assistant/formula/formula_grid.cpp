#include "formula/formula_grid.h"

#include <algorithm>

namespace pendrix {

namespace {
bool inside(int row, int column) { return FormulaGrid::holds(row, column); }

bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
bool isRelationSign(char16_t c) { return c == u'<' || c == u'=' || c == u'>' || c == u'|'; }
char16_t openOf(char16_t close) { return close == TALL_ROOT_CLOSE ? TALL_ROOT_OPEN : ROOT_OPEN; }
char16_t closeOf(char16_t open) { return open == TALL_ROOT_OPEN ? TALL_ROOT_CLOSE : ROOT_CLOSE; }

// Flags of a plain column's cells and of a fraction column's cells.
constexpr uint16_t kTextCell = CELL_USED | CELL_TEXT;
constexpr uint16_t kEmptyCell = CELL_USED;
constexpr uint16_t kFractionMain = CELL_USED | CELL_FRACTION;
constexpr uint16_t kFillerCell = CELL_USED | CELL_FILLER;
// The bits of the caller's flags that an insertion takes.
constexpr uint16_t kInsertBits = CELL_SUBSCRIPT | CELL_SUPERSCRIPT | CELL_UNDER_TALL_ROOT | CELL_UNDER_ROOT;
constexpr char16_t kLetters[] = {u'x', u't', u'y', u'a', u'b', u'c'};
constexpr int kLetterCount = 6;
}  // namespace

void FormulaGrid::setCursor(int row, int column) {
  cursorRow_ = std::clamp(row, 0, kRows - 1);
  cursorColumn_ = std::clamp(column, 0, length_);
}

void FormulaGrid::clear() {
  for (int row = 0; row < kRows; ++row) {
    chars_[row].fill(0);
    flags_[row].fill(0);
    degrees_[row].fill(0);
  }
  length_ = 0;
  cursorColumn_ = 0;
  cursorRow_ = ROW_MAIN;
  clickX_ = -1;
  slotMask_ = 1;
}

void FormulaGrid::setRowText(const std::u16string& text, int row) {
  if (row < 0 || row >= kRows) return;
  const int count = std::min<int>(text.size(), kMaxColumns);
  chars_[row].fill(0);
  std::copy_n(text.begin(), count, chars_[row].begin());
  length_ = count;
  cursorRow_ = ROW_MAIN;
  cursorColumn_ = 0;
  markUsedColumns();
}

void FormulaGrid::setRowFlags(const std::u16string& rowFlags, int row) {
  if (row < 0 || row >= kRows) return;
  const int count = std::min<int>(rowFlags.size(), kMaxColumns);
  flags_[row].fill(0);
  for (int i = 0; i < count; ++i) flags_[row][i] = rowFlags[i] & kCellFlagBits;
  markUsedColumns();
}

void FormulaGrid::setRowDegrees(const std::u16string& rowDegrees, int row) {
  if (row < 0 || row >= kRows) return;
  const int count = std::min<int>(rowDegrees.size(), kMaxColumns);
  degrees_[row].fill(0);
  std::copy_n(rowDegrees.begin(), count, degrees_[row].begin());
}

// --- cells and columns ------------------------------------------------------

void FormulaGrid::setCell(int row, int column, char16_t c, uint16_t cellFlags) {
  chars_[row][column] = c;
  flags_[row][column] = cellFlags;
  degrees_[row][column] = 0;
}

void FormulaGrid::replaceDigit(int row, int column, char16_t digit) {
  const auto isDigit = [](char16_t c) { return c >= u'0' && c <= u'9'; };
  if (inside(row, column) && isDigit(chars_[row][column]) && isDigit(digit)) chars_[row][column] = digit;
}

void FormulaGrid::markUsedColumns() {
  for (int row = 0; row < kRows; ++row) {
    for (int column = 0; column < length_; ++column) flags_[row][column] |= CELL_USED;
  }
}

// Room for one column at `column`; the caller has checked that the grid is not full.
void FormulaGrid::shiftColumnsRight(int column) {
  for (int row = 0; row < kRows; ++row) {
    for (int j = length_; j > column; --j) {
      chars_[row][j] = chars_[row][j - 1];
      flags_[row][j] = flags_[row][j - 1];
      degrees_[row][j] = degrees_[row][j - 1];
    }
    setCell(row, column, u' ', kEmptyCell);
  }
  ++length_;
}

void FormulaGrid::removeColumn(int column) {
  for (int row = 0; row < kRows; ++row) {
    for (int j = column; j + 1 < length_; ++j) {
      chars_[row][j] = chars_[row][j + 1];
      flags_[row][j] = flags_[row][j + 1];
      degrees_[row][j] = degrees_[row][j + 1];
    }
    setCell(row, length_ - 1, u'\0', 0);
  }
  --length_;
  cursorColumn_ = std::min(cursorColumn_, length_);
}

int FormulaGrid::fractionRunEnd(int column) const {
  while (column + 1 < length_ && isFractionColumn(column + 1)) ++column;
  return column;
}

bool FormulaGrid::rowInsideRoot(int row, int column) const {
  const bool afterOpen = at(row, column - 1) == ROOT_OPEN || (flags(row, column - 1) & CELL_UNDER_ROOT);
  const bool beforeClose = at(row, column) == ROOT_CLOSE || (flags(row, column) & CELL_UNDER_ROOT);
  return afterOpen && beforeClose;
}

// --- insertion ---------------------------------------------------------------

void FormulaGrid::insertBlankColumn() {
  // A bare new column would have flags 0; its cells get CELL_USED here so
  // that a column in use is marked in all three rows also between two operations.
  if (length_ > kMaxColumns - 1) return;
  cursorColumn_ = std::clamp(cursorColumn_, 0, length_);
  shiftColumnsRight(cursorColumn_);
}

// Upper or lower row: a numerator or denominator character.
void FormulaGrid::insertIntoFractionRow(char16_t c, int row, int column) {
  const int other = ROW_LOWER - row;
  if (column >= length_ || (flags_[row][column] & CELL_FILLER) || chars_[row][column] == GAP) {
    if (column == length_) {
      setCell(ROW_MAIN, column, u' ', kFractionMain);
      setCell(other, column, u' ', kFillerCell);
    }
    setCell(row, column, c, kTextCell);
    return;
  }
  shiftColumnsRight(column);
  setCell(row, column, c, kTextCell);
  setCell(ROW_MAIN, column, u' ', kFractionMain);
  flags_[other][column] |= CELL_USED;
  // The other row of the run keeps its place: it moves back over the new column.
  const int last = fractionRunEnd(column);
  for (int j = column; j < last; ++j) {
    chars_[other][j] = chars_[other][j + 1];
    flags_[other][j] = flags_[other][j + 1];
    degrees_[other][j] = degrees_[other][j + 1];
  }
  setCell(other, last, u' ', kFillerCell);
}

bool FormulaGrid::insertCharacter(char16_t c, uint16_t cellFlags, int row) {
  if (length_ >= kMaxColumns) return false;
  const int n = row == -1 ? cursorRow_ : row;
  if (n < 0 || n >= kRows) return false;
  const int a = std::clamp(cursorColumn_, 0, length_);

  // Root inheritance from the neighbours in the same row.
  uint16_t kept = cellFlags & kInsertBits;
  if (a > 0 && a < length_) {
    const char16_t p = chars_[n][a - 1], q = chars_[n][a];
    const uint16_t pf = flags_[n][a - 1], qf = flags_[n][a];
    if (p == TALL_ROOT_OPEN || (pf & CELL_UNDER_TALL_ROOT)) {
      kept = q == TALL_ROOT_CLOSE ? static_cast<uint16_t>(kept | CELL_UNDER_TALL_ROOT)
                                  : static_cast<uint16_t>((kept & ~CELL_UNDER_TALL_ROOT) | (qf & CELL_UNDER_TALL_ROOT));
    }
    if ((p == ROOT_OPEN || (pf & CELL_UNDER_ROOT)) && (q == ROOT_CLOSE || (qf & CELL_UNDER_ROOT))) kept |= CELL_UNDER_ROOT;
  }

  if (n == ROW_MAIN) {
    // A main-line character cannot stand under a numerator's or denominator's root.
    if (rowInsideRoot(ROW_UPPER, a) || rowInsideRoot(ROW_LOWER, a)) return false;
    if (a < length_ && chars_[ROW_MAIN][a] != GAP) shiftColumnsRight(a);
    setCell(ROW_MAIN, a, c, kTextCell);
    setCell(ROW_UPPER, a, u'i', kEmptyCell);
    setCell(ROW_LOWER, a, u' ', kEmptyCell);
  } else {
    insertIntoFractionRow(c, n, a);
    if (kept & CELL_UNDER_TALL_ROOT) flags_[ROW_MAIN][a] |= CELL_UNDER_TALL_ROOT;
  }

  flags_[n][a] |= kept;
  cursorColumn_ = a + 1;
  length_ = std::max(length_, cursorColumn_);
  pairRoots();
  return true;
}

// Each open gets its close; the outermost root of a nest is tall when its radicand
// holds a fraction column or another root. Inner roots keep their codes.
void FormulaGrid::pairRoots() {
  std::array<bool, kCells> underTall{};
  int column = 0;
  while (column <= length_ && column < kCells) {
    if (!isRootOpen(chars_[ROW_MAIN][column])) {
      ++column;
      continue;
    }
    int depth = 1;
    bool tall = false;
    int close = -1;
    for (int j = column + 1; j <= length_ && j < kCells; ++j) {
      const char16_t c = chars_[ROW_MAIN][j];
      if (isRootOpen(c)) {
        ++depth;
        tall = true;
      } else if (flags_[ROW_MAIN][j] & CELL_FRACTION) {
        tall = true;
      } else if (isRootClose(c) && --depth == 0) {
        close = j;
        break;
      }
    }
    if (close < 0) break;  // an open without its close (a typed U+00E5) stays as it is
    chars_[ROW_MAIN][column] = tall ? TALL_ROOT_OPEN : ROOT_OPEN;
    chars_[ROW_MAIN][close] = tall ? TALL_ROOT_CLOSE : ROOT_CLOSE;
    if (tall) std::fill(underTall.begin() + column + 1, underTall.begin() + close, true);
    column = close + 1;
  }

  bool underPlain = false;
  for (int j = 0; j < length_; ++j) {
    const char16_t c = chars_[ROW_MAIN][j];
    for (int row = 0; row < kRows; ++row) {
      if (underTall[j]) {
        flags_[row][j] |= CELL_UNDER_TALL_ROOT;
      } else {
        flags_[row][j] &= ~CELL_UNDER_TALL_ROOT;
      }
    }
    if (c == ROOT_CLOSE) underPlain = false;
    if (underPlain) {
      flags_[ROW_MAIN][j] |= CELL_UNDER_ROOT;
    } else {
      flags_[ROW_MAIN][j] &= ~CELL_UNDER_ROOT;
    }
    if (c == ROOT_OPEN) underPlain = true;
  }
}

bool FormulaGrid::tooComplex() const {
  const int row = cursorRow_, column = cursorColumn_;
  const char16_t c = at(row, column);
  const uint16_t f = flags(row, column);
  if (row == ROW_MAIN) {
    const bool inTall = (f & CELL_UNDER_TALL_ROOT) || c == TALL_ROOT_CLOSE;
    const bool inPlain = (f & CELL_UNDER_ROOT) || c == ROOT_CLOSE;
    return inTall && inPlain;
  }
  return (f & CELL_UNDER_ROOT) || c == ROOT_CLOSE;
}

// --- deletion ----------------------------------------------------------------

// Upper or lower cell of a fraction: the rest of that row of the run moves left.
void FormulaGrid::removeFromFractionRow(int row, int column) {
  const int other = ROW_LOWER - row;
  const int last = fractionRunEnd(column);
  for (int j = column; j < last; ++j) {
    chars_[row][j] = chars_[row][j + 1];
    flags_[row][j] = flags_[row][j + 1];
    degrees_[row][j] = degrees_[row][j + 1];
  }
  setCell(row, last, u' ', kFillerCell | (flags_[ROW_MAIN][last] & CELL_UNDER_TALL_ROOT));
  // The literal rule looks at the other row's cell under the cursor to learn
  // whether the run now ends in a column without any character; the run's last
  // column itself is what decides it.
  if (flags_[other][last] & CELL_FILLER) removeColumn(last);
}

void FormulaGrid::removeCell(int row, int column) {
  if (row == ROW_MAIN || !isFractionColumn(column)) {
    removeColumn(column);
  } else {
    removeFromFractionRow(row, column);
  }
}

bool FormulaGrid::deleteAtCursor() {
  const int i = cursorColumn_, n = cursorRow_;
  if (i < 0 || i >= length_) return false;
  const int w = (n == ROW_MAIN || isFractionColumn(i)) ? n : ROW_MAIN;
  const char16_t c = chars_[w][i];

  if (isRootOpen(c) || isRootClose(c)) {
    // Only an empty root goes, with both its signs.
    if (isRootClose(c) && i > 0 && chars_[w][i - 1] == openOf(c)) {
      cursorColumn_ = i - 1;
      removeCell(w, i - 1);
      removeCell(w, i - 1);
    } else if (isRootOpen(c) && i + 1 < length_ && chars_[w][i + 1] == closeOf(c)) {
      removeCell(w, i);
      removeCell(w, i);
    }
    cursorColumn_ = std::min(cursorColumn_, length_);
    return false;
  }

  if (w == ROW_MAIN && isFractionColumn(i)) {
    for (int row : {ROW_UPPER, ROW_LOWER}) {
      const char16_t cell = chars_[row][i];
      if ((flags_[row][i] & CELL_UNDER_ROOT) || cell == ROOT_OPEN || cell == ROOT_CLOSE) return false;
    }
  }
  removeCell(w, i);
  return c == u' ';
}

char16_t FormulaGrid::characterAtCursor() const { return at(cursorRow_, cursorColumn_); }

void FormulaGrid::setRootDegree(char16_t c) {
  if (!inside(cursorRow_, cursorColumn_)) return;
  degrees_[cursorRow_][cursorColumn_] = c == u' ' ? u'\0' : c;
}

// --- cursor ------------------------------------------------------------------

void FormulaGrid::cursorHome() { cursorColumn_ = 0; }

void FormulaGrid::cursorLeft() { cursorColumn_ = cursorColumn_ <= 0 ? length_ : cursorColumn_ - 1; }

void FormulaGrid::cursorLeftOverFillers() {
  cursorLeft();
  if (cursorRow_ == ROW_MAIN) return;
  while (cursorColumn_ > 0 && isFiller(cursorRow_, cursorColumn_ - 1)) --cursorColumn_;
}

void FormulaGrid::cursorRight(bool wrap) {
  if (cursorColumn_ < length_) {
    ++cursorColumn_;
  } else if (wrap) {
    cursorColumn_ = 0;
  }
}

void FormulaGrid::rowUp() {
  if (cursorRow_ == ROW_UPPER) {
    cursorRow_ = ROW_MAIN;
    return;
  }
  --cursorRow_;
  if (cursorRow_ != ROW_UPPER) return;
  for (int step = 0; step < 20 && cursorColumn_ > 0 && isFiller(ROW_UPPER, cursorColumn_ - 1); ++step) --cursorColumn_;
}

void FormulaGrid::rowDown() {
  if (cursorRow_ == ROW_LOWER) {
    cursorRow_ = ROW_MAIN;
    return;
  }
  ++cursorRow_;
  if (cursorRow_ != ROW_LOWER) return;
  for (int step = 0; step < 20 && cursorColumn_ > 0 && isFiller(ROW_LOWER, cursorColumn_ - 1); ++step) --cursorColumn_;
}

void FormulaGrid::goToFirstGap() {
  cursorColumn_ = 0;
  auto hasGap = [this](int row) {
    for (int j = 0; j < length_; ++j) {
      if (chars_[row][j] == GAP) return true;
    }
    return false;
  };
  if (hasGap(ROW_UPPER)) {
    rowUp();
  } else if (hasGap(ROW_LOWER)) {
    rowDown();
  }
  while (cursorColumn_ < length_ && chars_[cursorRow_][cursorColumn_] != GAP) ++cursorColumn_;
}

// --- term extraction ---------------------------------------------------------

void FormulaGrid::appendFractionRow(std::u16string& text, int row, int first, int last) const {
  int j = first;
  while (j <= last) {
    if (flags_[row][j] & CELL_FILLER) {
      text += u' ';
      ++j;
    } else if (flags_[row][j] & CELL_SUPERSCRIPT) {
      text += u"^(";
      for (; j <= last && !(flags_[row][j] & CELL_FILLER) && (flags_[row][j] & CELL_SUPERSCRIPT); ++j) text += chars_[row][j];
      text += u')';
    } else {
      text += chars_[row][j];
      ++j;
    }
  }
}

int FormulaGrid::extractSlot(int slot, int start) {
  std::u16string& text = terms_[slot];
  text.clear();
  enum class Mixed { None, Open, Closed } mixed = Mixed::None;
  auto noteDegree = [this](int column) {
    for (int row = 0; row < kRows; ++row) {
      if (degrees_[row][column] != 0) degreeSeen_ = true;
    }
  };

  int column = start;
  while (column < length_) {
    const char16_t c = chars_[ROW_MAIN][column];
    if (isRelationSign(c)) break;
    if (isFractionColumn(column)) {
      const int last = fractionRunEnd(column);
      for (int j = column; j <= last; ++j) noteDegree(j);
      if (mixed == Mixed::Open) {
        text += u'+';
        mixed = Mixed::Closed;
      }
      text += u"((";
      appendFractionRow(text, ROW_UPPER, column, last);
      text += u")/(";
      appendFractionRow(text, ROW_LOWER, column, last);
      text += u"))";
      column = last + 1;
    } else if (flags_[ROW_MAIN][column] & CELL_SUPERSCRIPT) {
      text += u"^(";
      for (; column < length_ && !isFractionColumn(column) && (flags_[ROW_MAIN][column] & CELL_SUPERSCRIPT); ++column) {
        noteDegree(column);
        text += chars_[ROW_MAIN][column];
      }
      text += u')';
    } else {
      noteDegree(column);
      if (mixed == Mixed::Closed) {
        text += u')';
        mixed = Mixed::None;
      }
      if (isDigit(c) && mixed == Mixed::None) {
        // A whole number directly before a fraction is a mixed number: 2 1/2.
        int j = column;
        while (j < length_ && !isFractionColumn(j) && (isDigit(chars_[ROW_MAIN][j]) || chars_[ROW_MAIN][j] == u' ')) ++j;
        if (j < length_ && isFractionColumn(j)) {
          text += u'(';
          mixed = Mixed::Open;
        }
      }
      text += c;
      ++column;
    }
  }
  if (mixed == Mixed::Closed) text += u')';
  if (column > start) slotMask_ *= 2;
  return column;
}

void FormulaGrid::extractTerms() {
  for (std::u16string& text : terms_) text.clear();
  slotMask_ = 1;
  degreeSeen_ = false;
  relation1_ = 0;
  relation2_ = 0;

  auto mainAt = [this](int column) { return column < length_ ? chars_[ROW_MAIN][column] : u'\0'; };
  auto relationAt = [&](int column, int& relation) {
    switch (mainAt(column)) {
      case u'<': relation = 1; return true;
      case u'=':
      case u'|': relation = 0; return true;
      case u'>': relation = 2; return true;
      default: return false;
    }
  };

  int stop = extractSlot(0, 0);
  if (mainAt(stop) != u'=') return;
  int column = stop + 1;
  while (column < length_ && chars_[ROW_MAIN][column] == u' ' && !isFractionColumn(column)) ++column;
  stop = extractSlot(1, column);
  if (!relationAt(stop, relation1_)) return;
  stop = extractSlot(2, stop + 1);
  if (!relationAt(stop, relation2_)) return;
  stop = extractSlot(3, stop + 1);
  if (mainAt(stop) == u'=') extractSlot(4, stop + 1);
}

// --- letter search -----------------------------------------------------------

// Rows as the exercise generator loads them are terminated strings; this reads them so.
bool FormulaGrid::rowContains(int row, char16_t c) const {
  for (int j = 0; j < kCells && chars_[row][j] != u'\0'; ++j) {
    if (chars_[row][j] == c) return true;
  }
  return false;
}

std::optional<char16_t> FormulaGrid::findFirstLetter() {
  for (int i = 0; i < kLetterCount; ++i) {
    for (int row = 0; row < kRows; ++row) {
      if (rowContains(row, kLetters[i])) {
        letterIndex_ = i + 1;
        return kLetters[i];
      }
    }
  }
  letterIndex_ = kLetterCount;
  return std::nullopt;
}

std::optional<char16_t> FormulaGrid::findNextLetter() {
  for (int i = std::max(letterIndex_, 0); i < kLetterCount; ++i) {
    for (int row = 0; row < kRows; ++row) {
      if (rowContains(row, kLetters[i])) {
        letterIndex_ = i;
        return kLetters[i];
      }
    }
  }
  return std::nullopt;
}

bool FormulaGrid::containsZ() const {
  for (int row = 0; row < kRows; ++row) {
    if (rowContains(row, u'z')) return true;
  }
  return false;
}

void FormulaGrid::blankOutZ() {
  for (char16_t& c : chars_[ROW_MAIN]) {
    if (c == u'z') c = u' ';
  }
}

}  // namespace pendrix

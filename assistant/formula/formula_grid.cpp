#include "formula/formula_grid.h"

#include <algorithm>

namespace pendrix {

namespace {
bool inside(int row, int column) {
  return row >= 0 && row < FormulaGrid::kRows && column >= 0 && column < FormulaGrid::kCells;
}
}  // namespace

char16_t FormulaGrid::at(int row, int column) const {
  return inside(row, column) ? chars_[row][column] : u'\0';
}

uint16_t FormulaGrid::flags(int row, int column) const {
  return inside(row, column) ? flags_[row][column] : 0;
}

char16_t FormulaGrid::degree(int row, int column) const {
  return inside(row, column) ? degrees_[row][column] : u'\0';
}

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
}

void FormulaGrid::setRowFlags(const std::u16string& rowFlags, int row) {
  if (row < 0 || row >= kRows) return;
  const int count = std::min<int>(rowFlags.size(), kMaxColumns);
  flags_[row].fill(0);
  for (int i = 0; i < count; ++i) flags_[row][i] = rowFlags[i] & 0xFF;
}

void FormulaGrid::setRowDegrees(const std::u16string& rowDegrees, int row) {
  if (row < 0 || row >= kRows) return;
  const int count = std::min<int>(rowDegrees.size(), kMaxColumns);
  degrees_[row].fill(0);
  std::copy_n(rowDegrees.begin(), count, degrees_[row].begin());
}

}  // namespace pendrix

// Editing operations below are being filled in; these keep the core linkable.
namespace pendrix {
void FormulaGrid::insertCharacter(char16_t, uint16_t, int) {}
void FormulaGrid::insertBlankColumn() {}
bool FormulaGrid::deleteAtCursor() { return false; }
char16_t FormulaGrid::characterAtCursor() const { return at(cursorRow_, cursorColumn_); }
void FormulaGrid::setRootDegree(char16_t c) {
  if (cursorColumn_ < kCells) degrees_[cursorRow_][cursorColumn_] = c == u' ' ? 0 : c;
}
void FormulaGrid::cursorHome() { cursorColumn_ = 0; }
void FormulaGrid::cursorLeft() {}
void FormulaGrid::cursorLeftOverFillers() {}
void FormulaGrid::cursorRight(bool) {}
void FormulaGrid::rowUp() {}
void FormulaGrid::rowDown() {}
void FormulaGrid::goToFirstGap() {}
bool FormulaGrid::tooComplex() const { return false; }
void FormulaGrid::extractTerms() {}
std::optional<char16_t> FormulaGrid::findFirstLetter() { return std::nullopt; }
std::optional<char16_t> FormulaGrid::findNextLetter() { return std::nullopt; }
bool FormulaGrid::containsZ() const { return false; }
void FormulaGrid::blankOutZ() {}
}  // namespace pendrix

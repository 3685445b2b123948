#pragma once
// The formula being edited: three rows (numerators, main line, denominators) of
// UTF-16 cells, each with a flag byte and a root-degree character.

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "formula/grid_codes.h"

namespace pendrix {

class FormulaGrid {
 public:
  static constexpr int kRows = 3;
  static constexpr int kCells = 60;      // room per row
  static constexpr int kMaxColumns = 54; // columns in use at most
  static constexpr int kTermSlots = 5;

  FormulaGrid() { clear(); }

  // --- state -------------------------------------------------------------
  int length() const { return length_; }
  int cursorRow() const { return cursorRow_; }
  int cursorColumn() const { return cursorColumn_; }
  int clickX() const { return clickX_; }
  // Cells outside 0..kCells-1 read as empty. Always inline, as the preview's layout
  // and the grid's checks read every cell, the latter in the fuzz targets, whose
  // instrumentation would otherwise keep these calls out of line.
  [[gnu::always_inline]] char16_t at(int row, int column) const {
    return holds(row, column) ? chars_[row][column] : u'\0';
  }
  [[gnu::always_inline]] uint16_t flags(int row, int column) const {
    return holds(row, column) ? flags_[row][column] : 0;
  }
  [[gnu::always_inline]] char16_t degree(int row, int column) const {
    return holds(row, column) ? degrees_[row][column] : u'\0';
  }
  [[gnu::always_inline]] static constexpr bool holds(int row, int column) {
    return row >= 0 && row < kRows && column >= 0 && column < kCells;
  }
  bool isFractionColumn(int column) const { return flags(ROW_MAIN, column) & CELL_FRACTION; }
  bool isFiller(int row, int column) const { return flags(row, column) & CELL_FILLER; }

  // Used by the preview and the field reader to place the cursor directly;
  // values are clamped to the grid.
  void setCursor(int row, int column);
  void setClickX(int x) { clickX_ = x; }

  // --- editing operations -------------------------------------------------
  void clear();
  // Only CELL_SUBSCRIPT, CELL_SUPERSCRIPT, CELL_UNDER_TALL_ROOT and CELL_UNDER_ROOT of
  // `cellFlags` are taken; row -1 means the cursor row. False when the grid refused
  // the character (full, or the main line under a numerator's or denominator's root)
  // and nothing changed.
  bool insertCharacter(char16_t c, uint16_t cellFlags = 0, int row = -1);
  void insertBlankColumn();
  // Returns true when the deleted character was a space (the dialog then leaves the
  // solution display alone).
  bool deleteAtCursor();
  char16_t characterAtCursor() const;
  // Replaces one digit in place, keeping the cell's flags and degree (the digit
  // variation of the similar-exercise button). Other characters are left alone.
  void replaceDigit(int row, int column, char16_t digit);
  void setRootDegree(char16_t c);
  void cursorHome();
  void cursorLeft();
  void cursorLeftOverFillers();
  void cursorRight(bool wrap);
  void rowUp();
  void rowDown();
  void goToFirstGap();
  // True when a root may not be inserted at the cursor.
  bool tooComplex() const;

  // Stored rows of exercise files. Setting characters sets the length to the
  // text's length (at most kMaxColumns) and the cursor to column 0 of the main line.
  void setRowText(const std::u16string& text, int row);
  void setRowFlags(const std::u16string& flags, int row);
  void setRowDegrees(const std::u16string& degrees, int row);

  // --- term extraction -----------------------------------------------------
  void extractTerms();
  const std::u16string& term(int slot) const { return terms_[slot]; }
  int slotMask() const { return slotMask_; }
  int relation1() const { return relation1_; }
  int relation2() const { return relation2_; }
  bool degreeSeen() const { return degreeSeen_; }

  // --- letter search for the exercise generator ----------------------------
  std::optional<char16_t> findFirstLetter();
  std::optional<char16_t> findNextLetter();
  bool containsZ() const;
  void blankOutZ();

 private:
  void shiftColumnsRight(int column);
  void removeColumn(int column);
  void setCell(int row, int column, char16_t c, uint16_t cellFlags);
  void insertIntoFractionRow(char16_t c, int row, int column);
  void removeFromFractionRow(int row, int column);
  void removeCell(int row, int column);
  bool rowInsideRoot(int row, int column) const;
  int fractionRunEnd(int column) const;
  void pairRoots();
  void markUsedColumns();
  int extractSlot(int slot, int start);
  void appendFractionRow(std::u16string& text, int row, int first, int last) const;
  bool rowContains(int row, char16_t c) const;

  std::array<std::array<char16_t, kCells>, kRows> chars_{};
  std::array<std::array<uint16_t, kCells>, kRows> flags_{};
  std::array<std::array<char16_t, kCells>, kRows> degrees_{};
  int length_ = 0;
  int cursorRow_ = ROW_MAIN;
  int cursorColumn_ = 0;
  int clickX_ = -1;
  std::array<std::u16string, kTermSlots> terms_;
  int slotMask_ = 1;
  int relation1_ = 0;
  int relation2_ = 0;
  bool degreeSeen_ = false;
  int letterIndex_ = 0;
};

}  // namespace pendrix

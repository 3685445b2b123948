#pragma once
// The formula grid's invariants, for the grid tests and the editor's fuzz target:
// length at most 54, the used mark in every row of every used column, column kinds,
// root signs balanced in every row, and on the main line the pairing rule. Each check
// names the first breach it finds, or gives "" for a sound grid.

#include <cstdio>
#include <string>
#include <vector>

#include "formula/formula_grid.h"
#include "formula/grid_codes.h"

// Out of line, so that the fuzz targets' coverage can leave the checks out by name
// (fuzz/uncovered.txt): inlined into a target, they would count as its own code.
#if defined(__clang__)
#define PENDRIX_CHECK __attribute__((noinline))
#else
#define PENDRIX_CHECK
#endif

namespace pendrix::testing {

PENDRIX_CHECK inline std::string describeGrid(const FormulaGrid& grid) {
  std::string text = "length " + std::to_string(grid.length()) + " cursor " + std::to_string(grid.cursorRow()) +
                     "," + std::to_string(grid.cursorColumn()) + "\n";
  for (int row = 0; row < 3; ++row) {
    for (int column = 0; column < grid.length(); ++column) {
      char cell[24];
      std::snprintf(cell, sizeof cell, "%04x/%02x ", static_cast<unsigned>(grid.at(row, column)),
                    static_cast<unsigned>(grid.flags(row, column)));
      text += cell;
    }
    text += "\n";
  }
  return text;
}

// Open and close signs in order, never deeper than the grid allows.
PENDRIX_CHECK inline std::string rootsUnbalanced(const FormulaGrid& grid, int row) {
  int depth = 0;
  for (int column = 0; column < grid.length(); ++column) {
    const char16_t c = grid.at(row, column);
    if (isRootOpen(c)) ++depth;
    if (isRootClose(c) && --depth < 0) return "close without open in row " + std::to_string(row);
    if (depth > 2) return "three roots deep in row " + std::to_string(row);
  }
  return depth != 0 ? "open without close in row " + std::to_string(row) : std::string();
}

// The place is named only for a breach: the fuzz target checks every cell after
// every step, and building the text for each sound cell cost most of its time.
PENDRIX_CHECK inline std::string cellBreach(const FormulaGrid& grid, int row, int column) {
  const auto at = [&] { return std::to_string(row) + "," + std::to_string(column); };
  const uint16_t f = grid.flags(row, column);
  if (column >= grid.length())
    return grid.at(row, column) != 0 || f != 0 || grid.degree(row, column) != 0 ? "stale cell " + at() : std::string();
  if (!(f & CELL_USED)) return "no 0x20 at " + at();
  if (grid.degree(row, column) != 0 && !isRootOpen(grid.at(row, column))) return "degree off a root at " + at();
  return {};
}

PENDRIX_CHECK inline std::string columnKindBreach(const FormulaGrid& grid, int column) {
  if (grid.isFractionColumn(column)) {
    if (grid.at(ROW_MAIN, column) != u' ') return "fraction main " + std::to_string(column);
    for (int row : {ROW_UPPER, ROW_LOWER}) {
      const uint16_t f = grid.flags(row, column);
      const bool filler = f & CELL_FILLER, text = f & CELL_TEXT;
      if (filler == text || (filler && grid.at(row, column) != u' '))
        return "fraction cell " + std::to_string(row) + "," + std::to_string(column);
    }
    return {};
  }
  if (!(grid.flags(ROW_MAIN, column) & CELL_TEXT) || grid.at(ROW_UPPER, column) != u'i' ||
      grid.at(ROW_LOWER, column) != u' ' || (grid.flags(ROW_UPPER, column) & (CELL_TEXT | CELL_FILLER)) ||
      (grid.flags(ROW_LOWER, column) & (CELL_TEXT | CELL_FILLER)))
    return "plain column " + std::to_string(column);
  return {};
}

// Length and cursor.
PENDRIX_CHECK inline std::string cursorBreach(const FormulaGrid& grid) {
  const int n = grid.length();
  if (n < 0 || n > FormulaGrid::kMaxColumns) return "length " + std::to_string(n);
  if (grid.cursorColumn() < 0 || grid.cursorColumn() > n) return "cursor column";
  if (grid.cursorRow() < 0 || grid.cursorRow() > 2) return "cursor row";
  return {};
}

// Length, cursor, every cell and every used column's kind.
PENDRIX_CHECK inline std::string gridShapeBreach(const FormulaGrid& grid) {
  if (std::string breach = cursorBreach(grid); !breach.empty()) return breach;
  const int n = grid.length();
  for (int column = 0; column < FormulaGrid::kCells; ++column) {
    for (int row = 0; row < 3; ++row) {
      std::string breach = cellBreach(grid, row, column);
      if (!breach.empty()) return breach;
    }
    if (column >= n) continue;
    std::string breach = columnKindBreach(grid, column);
    if (!breach.empty()) return breach;
  }
  return {};
}

// The root signs of every row, as the root commands place them. A root marker typed
// as a character (U+00E5 to U+00E8) goes in as it is and need not have a partner.
PENDRIX_CHECK inline std::string rootsBreach(const FormulaGrid& grid) {
  for (int row = 0; row < 3; ++row) {
    std::string breach = rootsUnbalanced(grid, row);
    if (!breach.empty()) return breach;
  }
  return {};
}

// Pairing rule: the outermost root is tall exactly when its radicand holds a
// fraction column or another root; 0x04 strictly between a tall pair in all rows,
// the main cell's 0x01 exactly after a 229 and before its 230. It holds after each
// insertion; a deletion may leave a root taller than it needs to be.
PENDRIX_CHECK inline std::string rootPairingBreach(const FormulaGrid& grid) {
  const int n = grid.length();
  std::vector<bool> underTall(n, false);
  for (int column = 0; column < n; ++column) {
    if (!isRootOpen(grid.at(ROW_MAIN, column))) continue;
    int depth = 1, close = column + 1;
    bool needsTall = false;
    for (; close < n; ++close) {
      const char16_t c = grid.at(ROW_MAIN, close);
      if (isRootOpen(c)) ++depth, needsTall = true;
      else if (grid.isFractionColumn(close)) needsTall = true;
      else if (isRootClose(c) && --depth == 0) break;
    }
    const bool tall = grid.at(ROW_MAIN, column) == TALL_ROOT_OPEN;
    if (tall != needsTall) return "root at " + std::to_string(column) + " tall=" + std::to_string(tall);
    if ((grid.at(ROW_MAIN, close) == TALL_ROOT_CLOSE) != tall)
      return "close at " + std::to_string(close) + " does not match its open";
    for (int j = column + 1; j < close; ++j) underTall[j] = tall;
    column = close;
  }
  bool underPlain = false;
  for (int column = 0; column < n; ++column) {
    const char16_t c = grid.at(ROW_MAIN, column);
    for (int row = 0; row < 3; ++row) {
      if (bool(grid.flags(row, column) & CELL_UNDER_TALL_ROOT) != underTall[column])
        return "0x04 wrong at " + std::to_string(row) + "," + std::to_string(column);
    }
    if (c == ROOT_CLOSE) underPlain = false;
    if (bool(grid.flags(ROW_MAIN, column) & CELL_UNDER_ROOT) != underPlain)
      return "0x01 wrong at main " + std::to_string(column);
    if (c == ROOT_OPEN) underPlain = true;
  }
  return {};
}

}  // namespace pendrix::testing

// Grid invariants after seeded random key sequences: length at most 54, the
// used mark in every row of every used column, column kinds, root signs balanced in
// every row, and on the main line the pairing rule after each insertion.

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>

#include "editing_helpers.h"

namespace pendrix {
namespace {

using testing::Editing;

std::string describe(const FormulaGrid& grid) {
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
::testing::AssertionResult rootsBalanced(const FormulaGrid& grid, int row) {
  int depth = 0;
  for (int column = 0; column < grid.length(); ++column) {
    const char16_t c = grid.at(row, column);
    if (isRootOpen(c)) ++depth;
    if (isRootClose(c) && --depth < 0) return ::testing::AssertionFailure() << "close without open in row " << row;
    if (depth > 2) return ::testing::AssertionFailure() << "three roots deep in row " << row;
  }
  if (depth != 0) return ::testing::AssertionFailure() << "open without close in row " << row;
  return ::testing::AssertionSuccess();
}

// Pairing rule: the outermost root is tall exactly when its radicand holds a
// fraction column or another root; 0x04 strictly between a tall pair in all rows,
// the main cell's 0x01 exactly after a 229 and before its 230.
::testing::AssertionResult paired(const FormulaGrid& grid) {
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
    if (tall != needsTall) return ::testing::AssertionFailure() << "root at " << column << " tall=" << tall;
    if ((grid.at(ROW_MAIN, close) == TALL_ROOT_CLOSE) != tall)
      return ::testing::AssertionFailure() << "close at " << close << " does not match its open";
    for (int j = column + 1; j < close; ++j) underTall[j] = tall;
    column = close;
  }
  bool underPlain = false;
  for (int column = 0; column < n; ++column) {
    const char16_t c = grid.at(ROW_MAIN, column);
    for (int row = 0; row < 3; ++row) {
      if (bool(grid.flags(row, column) & CELL_UNDER_TALL_ROOT) != underTall[column])
        return ::testing::AssertionFailure() << "0x04 wrong at " << row << "," << column;
    }
    if (c == ROOT_CLOSE) underPlain = false;
    if (bool(grid.flags(ROW_MAIN, column) & CELL_UNDER_ROOT) != underPlain)
      return ::testing::AssertionFailure() << "0x01 wrong at main " << column;
    if (c == ROOT_OPEN) underPlain = true;
  }
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult wellFormed(const FormulaGrid& grid) {
  const int n = grid.length();
  if (n < 0 || n > FormulaGrid::kMaxColumns) return ::testing::AssertionFailure() << "length " << n;
  if (grid.cursorColumn() < 0 || grid.cursorColumn() > n) return ::testing::AssertionFailure() << "cursor column";
  if (grid.cursorRow() < 0 || grid.cursorRow() > 2) return ::testing::AssertionFailure() << "cursor row";
  for (int column = 0; column < FormulaGrid::kCells; ++column) {
    for (int row = 0; row < 3; ++row) {
      const uint16_t f = grid.flags(row, column);
      if (column >= n) {
        if (grid.at(row, column) != 0 || f != 0 || grid.degree(row, column) != 0)
          return ::testing::AssertionFailure() << "stale cell " << row << "," << column;
        continue;
      }
      if (!(f & CELL_USED)) return ::testing::AssertionFailure() << "no 0x20 at " << row << "," << column;
      if (grid.degree(row, column) != 0 && !isRootOpen(grid.at(row, column)))
        return ::testing::AssertionFailure() << "degree off a root at " << row << "," << column;
    }
    if (column >= n) continue;
    if (grid.isFractionColumn(column)) {
      if (grid.at(ROW_MAIN, column) != u' ') return ::testing::AssertionFailure() << "fraction main " << column;
      for (int row : {ROW_UPPER, ROW_LOWER}) {
        const uint16_t f = grid.flags(row, column);
        const bool filler = f & CELL_FILLER, text = f & CELL_TEXT;
        if (filler == text || (filler && grid.at(row, column) != u' '))
          return ::testing::AssertionFailure() << "fraction cell " << row << "," << column;
      }
    } else {
      if (!(grid.flags(ROW_MAIN, column) & CELL_TEXT) || grid.at(ROW_UPPER, column) != u'i' ||
          grid.at(ROW_LOWER, column) != u' ' || (grid.flags(ROW_UPPER, column) & (CELL_TEXT | CELL_FILLER)) ||
          (grid.flags(ROW_LOWER, column) & (CELL_TEXT | CELL_FILLER)))
        return ::testing::AssertionFailure() << "plain column " << column;
    }
  }
  for (int row = 0; row < 3; ++row) {
    auto balanced = rootsBalanced(grid, row);
    if (!balanced) return balanced;
  }
  return ::testing::AssertionSuccess();
}

std::vector<int> cellsOnly(const FormulaGrid& grid) {
  auto cells = testing::snapshot(grid).cells;
  return std::vector<int>(cells.begin() + 3, cells.end());
}

// How often the sessions reached the interesting states, so that the test notices
// when its random keys stop exercising them.
struct Coverage {
  int fraction = 0, tallRoot = 0, numeratorRoot = 0, full = 0;
};

void randomSession(uint32_t seed, int steps, Coverage& coverage) {
  std::mt19937 random(seed);
  Editing e;
  const std::u16string typed = u"0123456789xyabt+-*/=<>|_ .^\u00B0[]";
  const std::u16string alts = u"whd23tijkgxpb5l";
  const int buttons[] = {kButtonRoot,   kButtonCubeRoot,  kButtonSuperscript,  kButtonSquare, kButtonCube,
                         kButtonSubscript, kButtonIndex1, kButtonIndex2,       kButtonLessEqual,
                         kButtonGreaterEqual, kButtonX12, kButtonPlusMinus,    kButtonInnerFraction};
  bool pairedNow = true;
  std::string trail;
  for (int step = 0; step < steps; ++step) {
    const auto before = cellsOnly(e.grid);
    bool deletion = false;
    const int kind = static_cast<int>(random() % 100);
    if (kind < 45) {
      const char16_t c = typed[random() % typed.size()];
      e.editor.typeCharacter(c);
      trail += "t";
    } else if (kind < 75) {
      const auto key = static_cast<EditorKey>(random() % 8);
      deletion = key == EditorKey::Delete || key == EditorKey::Backspace;
      e.editor.keyDown(key);
      trail += "k" + std::to_string(static_cast<int>(key));
    } else if (kind < 93) {
      const int button = buttons[random() % std::size(buttons)];
      e.editor.pressButton(button);
      trail += "b" + std::to_string(button);
    } else if (kind < 98) {
      const char16_t c = alts[random() % alts.size()];
      e.notifier.answer = random() % 4 == 0;
      e.editor.altCharacter(c);
      trail += "a";
    } else {
      e.editor.setRootDegreeAtCursor(random() % 2 ? u"3" : u" ");
      trail += "d";
    }
    trail += " ";
    ASSERT_TRUE(wellFormed(e.grid)) << "seed " << seed << " step " << step << "\n" << trail << "\n" << describe(e.grid);
    if (cellsOnly(e.grid) != before && kind < 98) pairedNow = !deletion;
    if (pairedNow) {
      ASSERT_TRUE(paired(e.grid)) << "seed " << seed << " step " << step << "\n" << trail << "\n" << describe(e.grid);
    }
    for (int column = 0; column < e.grid.length(); ++column) {
      coverage.fraction += e.grid.isFractionColumn(column);
      coverage.tallRoot += e.grid.at(ROW_MAIN, column) == TALL_ROOT_OPEN;
      coverage.numeratorRoot += isRootOpen(e.grid.at(ROW_UPPER, column)) || isRootOpen(e.grid.at(ROW_LOWER, column));
    }
    coverage.full += e.grid.length() == FormulaGrid::kMaxColumns;
    // Term extraction must run on whatever the keys made.
    if (step % 16 == 0) e.grid.extractTerms();
  }
}

TEST(GridInvariants, RandomKeySequences) {
  Coverage coverage;
  for (uint32_t seed = 1; seed <= 300; ++seed) {
    randomSession(seed, 400, coverage);
    if (HasFatalFailure()) return;
  }
  EXPECT_GT(coverage.fraction, 1000);
  EXPECT_GT(coverage.tallRoot, 100);
  EXPECT_GT(coverage.numeratorRoot, 100);
  EXPECT_GT(coverage.full, 10);
}

TEST(GridInvariants, RandomSequencesThatFillTheGrid) {
  // Mostly typing, so that the limit of 54 columns is reached and pressed against.
  for (uint32_t seed = 1000; seed < 1040; ++seed) {
    std::mt19937 random(seed);
    Editing e;
    for (int step = 0; step < 300; ++step) {
      switch (random() % 10) {
        case 0: e.editor.keyDown(random() % 2 ? EditorKey::Up : EditorKey::Down); break;
        case 1: e.editor.pressButton(random() % 2 ? kButtonRoot : kButtonCubeRoot); break;
        case 2: e.editor.keyDown(EditorKey::Left); break;
        default: e.editor.typeCharacter(static_cast<char16_t>(u'a' + random() % 5)); break;
      }
      ASSERT_TRUE(wellFormed(e.grid)) << "seed " << seed << " step " << step << "\n" << describe(e.grid);
    }
    EXPECT_GE(e.grid.length(), 40) << seed;
  }
}

}  // namespace
}  // namespace pendrix

// Clicks in the preview: the row from y in floating point, the column from x
// during the next redraw.
#include <gtest/gtest.h>

#include "formula/formula_grid.h"
#include "preview/preview_layout.h"

namespace pendrix {
namespace {

// The fixed model: H = 18, D = 4, characters 9 wide, small 6, signs 15 and 16.
constexpr PreviewArea kArea{{10, 30, 310, 81}, {0, 0, 400, 200}};
constexpr int kX0 = 15;
constexpr int kBar = 55;  // 30 + 51 / 2

FormulaGrid plainGrid(const std::u16string& text) {
  FormulaGrid grid;
  grid.setRowText(text, ROW_MAIN);
  grid.setRowFlags(std::u16string(text.size(), u'\x22'), ROW_MAIN);
  grid.setRowFlags(std::u16string(text.size(), u'\x20'), ROW_UPPER);
  grid.setRowFlags(std::u16string(text.size(), u'\x20'), ROW_LOWER);
  return grid;
}

class Click : public ::testing::Test {
 protected:
  void SetUp() override {
    FormulaGrid empty;
    layout.redraw(empty, kArea, metrics);
  }
  DisplayList clickAt(FormulaGrid& grid, int x, int y) {
    layout.setClick(grid, x, y);
    return layout.redraw(grid, kArea, metrics);
  }
  FixedPreviewMetrics metrics;
  PreviewLayout layout;
};

TEST_F(Click, RowBandsUseUnroundedBounds) {
  // Main band: 55 - (16.2 + 1) / 2 = 46.4 < y < 55 + 0.45 * 14 = 61.3.
  EXPECT_EQ(layout.rowForClick(47), ROW_MAIN);
  EXPECT_EQ(layout.rowForClick(61), ROW_MAIN);
  EXPECT_EQ(layout.rowForClick(62), ROW_LOWER);
  EXPECT_EQ(layout.rowForClick(46), ROW_UPPER);
  EXPECT_EQ(layout.rowForClick(10), ROW_UPPER);
  EXPECT_EQ(layout.rowForClick(150), ROW_LOWER);
}

TEST_F(Click, SetClickChoosesTheRowButNotTheColumn) {
  FormulaGrid grid = plainGrid(u"abc");
  grid.setCursor(ROW_MAIN, 2);
  layout.setClick(grid, 20, 40);
  EXPECT_EQ(grid.cursorRow(), ROW_UPPER);
  EXPECT_EQ(grid.cursorColumn(), 2);
  EXPECT_EQ(grid.clickX(), 20);
  layout.setClick(grid, -1, 40);
  EXPECT_EQ(grid.cursorRow(), ROW_MAIN);
  EXPECT_EQ(grid.clickX(), -1);
}

TEST_F(Click, RightOfTheLastCellGoesBehindTheLastColumn) {
  FormulaGrid grid = plainGrid(u"abc");
  const DisplayList list = clickAt(grid, 200, kBar);
  EXPECT_EQ(grid.cursorColumn(), 3);
  EXPECT_EQ(grid.clickX(), -1);
  EXPECT_EQ(list.caret.x, kX0 + 27);
}

TEST_F(Click, BetweenCellsTheRightEdgeMinusTwoDecides) {
  FormulaGrid grid = plainGrid(u"abc");
  // Column 0 covers 15..24; its right edge for clicks is 15 + 9 - 2 = 22.
  clickAt(grid, 22, kBar);
  EXPECT_EQ(grid.cursorColumn(), 0);
  clickAt(grid, 23, kBar);
  EXPECT_EQ(grid.cursorColumn(), 1);
  const DisplayList list = clickAt(grid, 31, kBar);
  EXPECT_EQ(grid.cursorColumn(), 1);
  EXPECT_EQ(list.caret.x, kX0 + 9);
  clickAt(grid, 0, kBar);
  EXPECT_EQ(grid.cursorColumn(), 0);
}

TEST_F(Click, MainRowOnAFractionUsesTheWiderRow) {
  // a, then fraction 1 over 234, then b.
  FormulaGrid grid;
  grid.setRowText(u"i1  i", ROW_UPPER);
  grid.setRowText(u" 234 ", ROW_LOWER);
  grid.setRowText(u"a   b", ROW_MAIN);
  grid.setRowFlags(u"\x20\x22\x30\x30\x20", ROW_UPPER);
  grid.setRowFlags(u"\x20\x22\x22\x22\x20", ROW_LOWER);
  grid.setRowFlags(u"\x22\x28\x28\x28\x22", ROW_MAIN);
  // Denominator cells at 25, 34, 43 (9 wide) are the wider row.
  const DisplayList list = clickAt(grid, 41, kBar);
  EXPECT_EQ(grid.cursorColumn(), 2);
  EXPECT_EQ(list.caret.x, 34);
  clickAt(grid, 54, kBar);
  EXPECT_EQ(grid.cursorColumn(), 4);  // b at 52..61

  // In the upper row the numerator's own cells count: 1 at 25 + (27 - 11) / 2 = 33
  // (right edge 40), then a filler of width 1 at 42.
  const DisplayList upper = clickAt(grid, 41, kBar - 20);
  EXPECT_EQ(grid.cursorRow(), ROW_UPPER);
  EXPECT_EQ(grid.cursorColumn(), 2);
  EXPECT_EQ(upper.caret.x, 42);
  EXPECT_EQ(upper.caret.top, layout.rowTop(ROW_UPPER) + 1);
}

TEST_F(Click, BelowTheBandInAnOrdinaryColumnSelectsTheLowerRow) {
  FormulaGrid grid = plainGrid(u"abc");
  const DisplayList list = clickAt(grid, 30, kBar + 20);
  EXPECT_EQ(grid.cursorRow(), ROW_LOWER);
  EXPECT_EQ(grid.cursorColumn(), 1);
  EXPECT_EQ(list.caret.x, kX0 + 9);
  EXPECT_EQ(list.caret.top, layout.rowTop(ROW_LOWER) + 1);
}

TEST_F(Click, ClickInAFormulaEndingInAFractionPutsTheCaretBehindIt) {
  FormulaGrid grid;
  grid.setRowText(u"i1", ROW_UPPER);
  grid.setRowText(u" 2", ROW_LOWER);
  grid.setRowText(u"a ", ROW_MAIN);
  grid.setRowFlags(u"\x20\x22", ROW_UPPER);
  grid.setRowFlags(u"\x20\x22", ROW_LOWER);
  grid.setRowFlags(u"\x22\x28", ROW_MAIN);
  const DisplayList list = clickAt(grid, 300, kBar);
  EXPECT_EQ(grid.cursorColumn(), 2);
  EXPECT_EQ(list.caret.x, kX0 + 9 + 1 + 9);
}

TEST_F(Click, EmptyFormulaClickLeavesTheCursorAtZero) {
  FormulaGrid grid;
  const DisplayList list = clickAt(grid, 100, kBar);
  EXPECT_EQ(grid.cursorColumn(), 0);
  EXPECT_EQ(grid.clickX(), -1);
  EXPECT_EQ(list.caret.x, kX0);
}

}  // namespace
}  // namespace pendrix

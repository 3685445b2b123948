// The similar-exercise button: new digits 1 to 9, everything else kept.
#include <gtest/gtest.h>

#include "exercises/vary_digits.h"
#include "formula/formula_grid.h"

namespace pendrix {
namespace {

// "12/x" over "0+3", with a superscript 7 on the main line: every kind of cell the
// variation meets (digits in all rows, 0, letters, operators, a flagged cell).
FormulaGrid sampleGrid() {
  FormulaGrid grid;
  grid.setRowText(u"12/x 9", ROW_UPPER);
  grid.setRowText(u"a+b 07", ROW_MAIN);
  grid.setRowText(u"0+3  5", ROW_LOWER);
  grid.setRowFlags(std::u16string(5, u'\0') + char16_t(CELL_SUPERSCRIPT), ROW_MAIN);
  return grid;
}

TEST(VaryDigits, DrawsNewNonZeroDigitsAndKeepsEverythingElse) {
  int changed = 0;
  for (uint32_t seed = 1; seed <= 200; ++seed) {
    SCOPED_TRACE(testing::Message() << "seed " << seed);
    FormulaGrid grid = sampleGrid();
    const FormulaGrid before = grid;
    CrtRandom source(seed);
    ExerciseRandom random(source);
    varyDigits(grid, random);
    ASSERT_EQ(grid.length(), before.length());
    for (int row = 0; row < FormulaGrid::kRows; ++row) {
      for (int column = 0; column < grid.length(); ++column) {
        const char16_t old = before.at(row, column), now = grid.at(row, column);
        ASSERT_EQ(grid.flags(row, column), before.flags(row, column)) << row << "," << column;
        if (old >= u'1' && old <= u'9') {
          ASSERT_GE(now, u'1');
          ASSERT_LE(now, u'9');
          changed += now != old;
        } else {
          ASSERT_EQ(now, old) << row << "," << column;  // 0, letters, operators, blanks
        }
      }
    }
  }
  EXPECT_GT(changed, 200);  // the digits really vary
}

TEST(VaryDigits, SmallDigitsStayMostlySmall) {
  // '1' and '2' draw in the mode that favours the lower half, '7' to '9' evenly.
  double smallSum = 0, largeSum = 0;
  const int runs = 2000;
  CrtRandom source(7);
  ExerciseRandom random(source);
  for (int i = 0; i < runs; ++i) {
    FormulaGrid small, large;
    small.setRowText(u"1", ROW_UPPER);
    large.setRowText(u"9", ROW_UPPER);
    varyDigits(small, random);
    varyDigits(large, random);
    smallSum += small.at(ROW_UPPER, 0) - u'0';
    largeSum += large.at(ROW_UPPER, 0) - u'0';
  }
  EXPECT_LT(smallSum / runs, 4.5);
  EXPECT_NEAR(largeSum / runs, 5.0, 0.4);
}

TEST(VaryDigits, EmptyGridAndReplaceDigitBounds) {
  FormulaGrid grid;
  CrtRandom source(1);
  ExerciseRandom random(source);
  varyDigits(grid, random);
  EXPECT_EQ(grid.length(), 0);
  grid.setRowText(u"x5", ROW_MAIN);
  grid.replaceDigit(ROW_MAIN, 0, u'3');   // not a digit: stays
  grid.replaceDigit(ROW_MAIN, 1, u'y');   // not a digit: refused
  grid.replaceDigit(ROW_MAIN, 99, u'3');  // outside the grid: ignored
  EXPECT_EQ(grid.at(ROW_MAIN, 0), u'x');
  EXPECT_EQ(grid.at(ROW_MAIN, 1), u'5');
  grid.replaceDigit(ROW_MAIN, 1, u'8');
  EXPECT_EQ(grid.at(ROW_MAIN, 1), u'8');
}

}  // namespace
}  // namespace pendrix

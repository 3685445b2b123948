// The solution line and the small point size, without Word.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "formula/word_output_rules.h"

namespace pendrix {
namespace {

TEST(SolutionLine, AddsTheConditionOnlyWhenItSaysSomething) {
  struct Row {
    std::u16string value, condition, line;
  };
  const Row rows[] = {
      {u"3.000", u"", u"L = { 3.000 }"},
      {u"3.000", u"()", u"L = { 3.000 }"},
      {u"3.000", u"(x)", u"L = { 3.000 }"},  // three characters: still no condition
      {u"3.000", u"(x≠)", u"L = { 3.000 |x≠ }"},
      {u"", u"", u"L = {  }"},
      {u"-2.000; 2.000", u"(x ≠ 0)", u"L = { -2.000; 2.000 |x ≠ 0 }"},
      {u"-3,000", u"{ 3,000 }", u"L = { -3,000 | 3,000  }"},
      // Every number: the set of all numbers, in letters every font of Word has.
      {u"alle x", u" ", u"L = IR"},
      {u"alle x", u"", u"L = IR"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.condition.begin(), row.condition.end()));
    EXPECT_EQ(solutionLine(row.value, row.condition), row.line);
  }
}

TEST(SmallFontSize, IsAWholeShareOfTheTextSizeWithinFiveToFortyEight) {
  struct Row {
    int size, raiseSize, small;
  };
  const Row rows[] = {
      {12, 70, 8},    // 840 / 100
      {12, 8, 8},     // 0.96 cuts to 0: below 5
      {10, 50, 5},    // the smallest kept
      {10, 49, 8},    // 4.9 cuts to 4
      {96, 50, 48},   // the largest kept
      {98, 50, 8},    // 49
      {20, 60, 12},
      {0, 70, 8},
      {12, -70, 8},
      {1638, std::numeric_limits<int>::max(), 8},  // no overflow into the kept range
      {std::numeric_limits<int>::min(), std::numeric_limits<int>::min(), 8},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << row.size << " pt, raise size " << row.raiseSize);
    EXPECT_EQ(smallFontSize(row.size, row.raiseSize), row.small);
  }
}

TEST(WholePoints, CutsTowardZeroAndRefusesWhatNoIntHolds) {
  EXPECT_EQ(wholePoints(10.5), 10);
  EXPECT_EQ(wholePoints(11.99), 11);
  EXPECT_EQ(wholePoints(12.0), 12);
  EXPECT_EQ(wholePoints(9999999.0), 9999999);  // Word's answer for mixed sizes
  EXPECT_EQ(wholePoints(std::nan("")), 0);
  EXPECT_EQ(wholePoints(std::numeric_limits<double>::infinity()), 0);
  EXPECT_EQ(wholePoints(1e300), 0);
}

}  // namespace
}  // namespace pendrix

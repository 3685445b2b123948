// Term extraction into the five slots, and the letter search.

#include <gtest/gtest.h>

#include "editing_helpers.h"

namespace pendrix {
namespace {

using testing::Editing;

TEST(GridTerms, EquationSplitsIntoTwoSlots) {
  Editing e;
  e.type(u"y = 2x + 1");
  e.grid.extractTerms();
  EXPECT_EQ(e.grid.term(0), u"y ");
  EXPECT_EQ(e.grid.term(1), u"2x + 1");
  EXPECT_EQ(e.grid.slotMask(), 4);
  EXPECT_EQ(e.grid.term(2), u"");
}

TEST(GridTerms, TermWithoutRelationFillsSlotZero) {
  Editing e;
  e.type(u"3*4");
  e.grid.extractTerms();
  EXPECT_EQ(e.grid.term(0), u"3*4");
  EXPECT_EQ(e.grid.slotMask(), 2);
}

TEST(GridTerms, EmptyGridAndEmptySides) {
  FormulaGrid grid;
  grid.extractTerms();
  EXPECT_EQ(grid.slotMask(), 1);
  EXPECT_EQ(grid.term(0), u"");

  Editing e;
  e.type(u"=5");
  e.grid.extractTerms();
  EXPECT_EQ(e.grid.slotMask(), 2);  // slot 0 took no column
  EXPECT_EQ(e.grid.term(1), u"5");
}

TEST(GridTerms, RelationsFillSlotsTwoToFour) {
  Editing e;
  e.type(u"y=a<b>c=d");
  e.grid.extractTerms();
  EXPECT_EQ(e.grid.term(0), u"y");
  EXPECT_EQ(e.grid.term(1), u"a");
  EXPECT_EQ(e.grid.term(2), u"b");
  EXPECT_EQ(e.grid.term(3), u"c");
  EXPECT_EQ(e.grid.term(4), u"d");
  EXPECT_EQ(e.grid.relation1(), 1);
  EXPECT_EQ(e.grid.relation2(), 2);
  EXPECT_EQ(e.grid.slotMask(), 32);

  Editing bar;
  bar.type(u"y=a|b");
  bar.grid.extractTerms();
  EXPECT_EQ(bar.grid.relation1(), 0);
  EXPECT_EQ(bar.grid.term(2), u"b");
  EXPECT_EQ(bar.grid.slotMask(), 8);
}

TEST(GridTerms, OnlyAnEqualsSignAfterSlotZeroContinues) {
  Editing e;
  e.type(u"a<b");
  e.grid.extractTerms();
  EXPECT_EQ(e.grid.term(0), u"a");
  EXPECT_EQ(e.grid.term(1), u"");
  EXPECT_EQ(e.grid.slotMask(), 2);
}

TEST(GridTerms, SuperscriptRunOnTheMainLine) {
  Editing e;
  e.type(u"x^2");
  e.grid.extractTerms();
  EXPECT_EQ(e.grid.term(0), u"x^(2)");

  Editing run;
  run.type(u"x^1^2+3");
  run.grid.extractTerms();
  EXPECT_EQ(run.grid.term(0), u"x^(12)+3");
}

TEST(GridTerms, SubscriptsPassUnchanged) {
  Editing e;
  e.press(kButtonX12);
  e.grid.extractTerms();
  EXPECT_EQ(e.grid.term(0), u"x1/2");
}

TEST(GridTerms, MixedNumber) {
  Editing e;
  e.type(u"2 ").key(EditorKey::Up).type(u"1").key(EditorKey::Down).key(EditorKey::Down).type(u"2");
  e.grid.extractTerms();
  EXPECT_EQ(e.grid.term(0), u"(2 +((1)/(2)))");
}

TEST(GridTerms, MixedNumberClosesBeforeTheNextCharacter) {
  Editing e;
  e.type(u"12").key(EditorKey::Up).type(u"1").key(EditorKey::Down).key(EditorKey::Down).type(u"3");
  e.key(EditorKey::Up).key(EditorKey::End).type(u"+x");
  e.grid.extractTerms();
  EXPECT_EQ(e.grid.term(0), u"(12+((1)/(3)))+x");
}

TEST(GridTerms, FractionWithFillersAndSuperscript) {
  Editing e;
  e.key(EditorKey::Up).type(u"a^2").key(EditorKey::Down).key(EditorKey::Down).type(u"b");
  e.grid.extractTerms();
  EXPECT_EQ(e.grid.term(0), u"((a^(2))/(b ))");
}

TEST(GridTerms, DigitsNotBeforeAFractionAreNoMixedNumber) {
  Editing e;
  e.type(u"2 x");
  e.key(EditorKey::Up).type(u"1").key(EditorKey::Down).key(EditorKey::Down).type(u"2");
  e.grid.extractTerms();
  EXPECT_EQ(e.grid.term(0), u"2 x((1)/(2))");
}

TEST(GridTerms, SpacesAfterTheEqualsSignAreSkippedButNotAFraction) {
  Editing e;
  e.type(u"x=  ").key(EditorKey::Up).type(u"1").key(EditorKey::Down).key(EditorKey::Down).type(u"2");
  e.grid.extractTerms();
  EXPECT_EQ(e.grid.term(1), u"((1)/(2))");
}

TEST(GridTerms, RootCodesPassThroughAndDegreesAreSeen) {
  Editing e;
  e.press(kButtonRoot).type(u"x");
  e.grid.extractTerms();
  EXPECT_EQ(e.grid.term(0), (std::u16string{ROOT_OPEN, u'x', ROOT_CLOSE}));
  EXPECT_FALSE(e.grid.degreeSeen());

  Editing cube;
  cube.press(kButtonCubeRoot).type(u"8");
  cube.grid.extractTerms();
  EXPECT_TRUE(cube.grid.degreeSeen());
}

TEST(GridTerms, LongestExtractionIsKept) {
  // 27 fraction columns with a superscript in both rows: every column costs brackets.
  Editing e;
  for (int i = 0; i < 27; ++i) e.type(u"1").key(EditorKey::Up).type(u"^2").key(EditorKey::Down).key(EditorKey::Down).type(u"^3").key(EditorKey::Up);
  ASSERT_EQ(e.grid.length(), 54);
  e.grid.extractTerms();
  // The last denominator is refused: the grid was full after its numerator.
  std::u16string expected;
  for (int i = 0; i < 26; ++i) expected += u"(1+((^(2))/(^(3))))";
  expected += u"(1+((^(2))/( )))";
  EXPECT_EQ(e.grid.term(0), expected);
  EXPECT_GT(e.grid.term(0).size(), 170u);
}

TEST(GridLetters, FirstAndNextLetter) {
  Editing e;
  e.type(u"2t+y=a");
  auto first = e.grid.findFirstLetter();
  ASSERT_TRUE(first);
  EXPECT_EQ(*first, u't');
  auto next = e.grid.findNextLetter();
  ASSERT_TRUE(next);
  EXPECT_EQ(*next, u'y');
  // the index stays at the letter found
  EXPECT_EQ(*e.grid.findNextLetter(), u'y');
}

TEST(GridLetters, LettersInTheOtherRowsCount) {
  Editing e;
  e.key(EditorKey::Down).type(u"c");
  EXPECT_EQ(*e.grid.findFirstLetter(), u'c');
  EXPECT_FALSE(e.grid.findNextLetter());
}

TEST(GridLetters, NoLetter) {
  Editing e;
  e.type(u"12+3");  // the upper row's "i" is no letter of the search
  EXPECT_FALSE(e.grid.findFirstLetter());
  EXPECT_FALSE(e.grid.findNextLetter());
}

TEST(GridLetters, ContainsAndBlanksOutZ) {
  Editing e;
  e.type(u"2z+z=4");
  EXPECT_TRUE(e.grid.containsZ());
  e.grid.blankOutZ();
  EXPECT_EQ(testing::rowText(e.grid, ROW_MAIN), u"2 + =4");
  EXPECT_FALSE(e.grid.containsZ());

  Editing upper;
  upper.key(EditorKey::Up).type(u"z");
  EXPECT_TRUE(upper.grid.containsZ());
  upper.grid.blankOutZ();  // only the main row
  EXPECT_TRUE(upper.grid.containsZ());
}

}  // namespace
}  // namespace pendrix

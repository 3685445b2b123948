// Insertion, root inheritance and pairing, Too complex, fractions.

#include <gtest/gtest.h>

#include "editing_helpers.h"

namespace pendrix {
namespace {

using testing::Editing;
using testing::rowFlags;
using testing::rowText;
using testing::snapshot;

TEST(GridInsert, MainLineCharacterMakesAPlainColumn) {
  FormulaGrid grid;
  grid.insertCharacter(u'a');
  EXPECT_EQ(grid.length(), 1);
  EXPECT_EQ(grid.cursorColumn(), 1);
  EXPECT_EQ(grid.at(ROW_UPPER, 0), u'i');
  EXPECT_EQ(grid.flags(ROW_UPPER, 0), 0x20);
  EXPECT_EQ(grid.at(ROW_MAIN, 0), u'a');
  EXPECT_EQ(grid.flags(ROW_MAIN, 0), 0x22);
  EXPECT_EQ(grid.at(ROW_LOWER, 0), u' ');
  EXPECT_EQ(grid.flags(ROW_LOWER, 0), 0x20);
}

TEST(GridInsert, OnlySubscriptSuperscriptAndRootBitsAreTaken) {
  FormulaGrid grid;
  grid.insertCharacter(u'a', 0xFF);
  // 0x01 and 0x04 are taken but pairing clears them outside a root.
  EXPECT_EQ(grid.flags(ROW_MAIN, 0), 0xE2);
}

TEST(GridInsert, InsertInTheMiddleShiftsTheRest) {
  Editing e;
  e.type(u"ac").key(EditorKey::Left).type(u"b");
  EXPECT_EQ(rowText(e.grid, ROW_MAIN), u"abc");
  EXPECT_EQ(e.grid.cursorColumn(), 2);
}

TEST(GridInsert, TypingAtAGapOverwritesIt) {
  Editing e;
  e.type(u"a_c").key(EditorKey::Home).key(EditorKey::Right).type(u"b");
  EXPECT_EQ(rowText(e.grid, ROW_MAIN), u"abc");
  EXPECT_EQ(e.grid.length(), 3);
}

TEST(GridInsert, FullGridRefusesTypingAlsoAtAGap) {
  Editing e;
  e.type(std::u16string(53, u'a') + u"_");
  ASSERT_EQ(e.grid.length(), 54);
  e.key(EditorKey::Left);  // on the gap
  ASSERT_EQ(e.grid.characterAtCursor(), GAP);
  const auto before = snapshot(e.grid);
  e.type(u"b");
  EXPECT_EQ(snapshot(e.grid), before);
  e.key(EditorKey::Home);
  const auto atStart = snapshot(e.grid);
  e.type(u"b");
  EXPECT_EQ(snapshot(e.grid), atStart);
}

TEST(GridInsert, FullGridRefusesTypingAlsoAtAFiller) {
  Editing e;
  e.key(EditorKey::Down).type(u"a");  // a fraction column with an empty numerator
  e.key(EditorKey::Up).type(std::u16string(53, u'b'));
  ASSERT_EQ(e.grid.length(), 54);
  e.key(EditorKey::Home).key(EditorKey::Up);
  ASSERT_EQ(e.grid.cursorRow(), ROW_UPPER);
  ASSERT_TRUE(e.grid.isFiller(ROW_UPPER, 0));
  const auto before = snapshot(e.grid);
  e.type(u"1");
  EXPECT_EQ(snapshot(e.grid), before);
  e.press(kButtonRoot);
  EXPECT_EQ(snapshot(e.grid), before);
}

TEST(GridInsert, RootButtonNeedsRoomForBothSigns) {
  Editing e;
  e.type(std::u16string(53, u'a'));
  const auto before = snapshot(e.grid);
  e.press(kButtonRoot);
  EXPECT_EQ(snapshot(e.grid), before);
  e.press(kButtonCubeRoot);
  EXPECT_EQ(snapshot(e.grid), before);
}

TEST(GridInsert, RootThenCharacterIsUnderThePlainRoot) {
  Editing e;
  e.press(kButtonRoot);
  EXPECT_EQ(e.grid.cursorColumn(), 1);
  e.type(u"x");
  EXPECT_EQ(rowText(e.grid, ROW_MAIN), (std::u16string{ROOT_OPEN, u'x', ROOT_CLOSE}));
  EXPECT_EQ(e.grid.flags(ROW_MAIN, 1), 0x23);
  EXPECT_EQ(e.grid.flags(ROW_MAIN, 0), 0x22);
  EXPECT_EQ(e.grid.flags(ROW_MAIN, 2), 0x22);
  EXPECT_EQ(e.grid.cursorColumn(), 2);
}

TEST(GridInsert, FractionInsideARootMakesItTall) {
  Editing e;
  e.press(kButtonRoot).type(u"x");
  e.key(EditorKey::Up).type(u"1");
  EXPECT_EQ(e.grid.at(ROW_MAIN, 0), TALL_ROOT_OPEN);
  EXPECT_EQ(e.grid.at(ROW_MAIN, 3), TALL_ROOT_CLOSE);
  EXPECT_TRUE(e.grid.isFractionColumn(2));
  // Every row of the columns between the signs carries 0x04, the signs do not;
  // the x is no longer under a plain root.
  for (int row = 0; row < 3; ++row) {
    EXPECT_TRUE(e.grid.flags(row, 1) & CELL_UNDER_TALL_ROOT) << row;
    EXPECT_TRUE(e.grid.flags(row, 2) & CELL_UNDER_TALL_ROOT) << row;
    EXPECT_FALSE(e.grid.flags(row, 0) & CELL_UNDER_TALL_ROOT) << row;
    EXPECT_FALSE(e.grid.flags(row, 3) & CELL_UNDER_TALL_ROOT) << row;
  }
  EXPECT_EQ(e.grid.flags(ROW_MAIN, 1), 0x26);
  EXPECT_EQ(e.grid.flags(ROW_MAIN, 2), 0x2C);
  EXPECT_EQ(e.grid.flags(ROW_UPPER, 2), 0x26);
  EXPECT_EQ(e.grid.flags(ROW_LOWER, 2), 0x34);
}

TEST(GridInsert, RootInsideARootMakesTheOuterTallAndTheInnerStaysPlain) {
  Editing e;
  e.press(kButtonRoot).press(kButtonRoot).type(u"y");
  EXPECT_EQ(rowText(e.grid, ROW_MAIN),
            (std::u16string{TALL_ROOT_OPEN, ROOT_OPEN, u'y', ROOT_CLOSE, TALL_ROOT_CLOSE}));
  EXPECT_EQ(e.grid.flags(ROW_MAIN, 2), 0x27);  // inside both
  EXPECT_EQ(e.grid.flags(ROW_MAIN, 1), 0x26);
  EXPECT_EQ(e.grid.flags(ROW_MAIN, 3), 0x26);
}

TEST(GridInsert, CubeRootCarriesDegreeThreeAndASpaceClearsIt) {
  Editing e;
  e.press(kButtonCubeRoot);
  EXPECT_EQ(rowText(e.grid, ROW_MAIN), (std::u16string{ROOT_OPEN, ROOT_CLOSE}));
  EXPECT_EQ(e.grid.degree(ROW_MAIN, 0), u'3');
  EXPECT_EQ(e.grid.degree(ROW_MAIN, 1), 0);
  EXPECT_EQ(e.grid.cursorColumn(), 1);
  e.key(EditorKey::Left);
  EXPECT_TRUE(e.editor.setRootDegreeAtCursor(u" "));
  EXPECT_EQ(e.grid.degree(ROW_MAIN, 0), 0);
  EXPECT_TRUE(e.editor.setRootDegreeAtCursor(u"4x"));
  EXPECT_EQ(e.grid.degree(ROW_MAIN, 0), u'4');
  EXPECT_TRUE(e.editor.setRootDegreeAtCursor(u""));
  EXPECT_EQ(e.grid.degree(ROW_MAIN, 0), 0);
}

TEST(GridInsert, DegreePromptOnlyOnARootOpen) {
  Editing e;
  e.type(u"ab").key(EditorKey::Left);
  const auto before = snapshot(e.grid);
  EXPECT_FALSE(e.editor.setRootDegreeAtCursor(u"3"));
  EXPECT_EQ(snapshot(e.grid), before);
}

TEST(GridInsert, ThirdRootOnTheMainLineIsRefused) {
  Editing e;
  e.press(kButtonRoot).press(kButtonRoot);
  ASSERT_TRUE(e.grid.tooComplex());
  const auto before = snapshot(e.grid);
  e.press(kButtonRoot);
  EXPECT_EQ(snapshot(e.grid), before);
  e.press(kButtonCubeRoot);
  EXPECT_EQ(snapshot(e.grid), before);
  e.type(u"y");  // inside the inner root, also after a character
  EXPECT_TRUE(e.grid.tooComplex());
}

TEST(GridInsert, SecondRootInANumeratorIsRefused) {
  Editing e;
  e.key(EditorKey::Up).press(kButtonRoot);
  EXPECT_EQ(rowText(e.grid, ROW_UPPER), (std::u16string{ROOT_OPEN, ROOT_CLOSE}));
  EXPECT_TRUE(e.grid.isFractionColumn(0));
  ASSERT_TRUE(e.grid.tooComplex());  // standing on the 230
  e.type(u"x");
  EXPECT_EQ(e.grid.flags(ROW_UPPER, 1), 0x23);
  ASSERT_TRUE(e.grid.tooComplex());
  const auto before = snapshot(e.grid);
  e.press(kButtonRoot);
  EXPECT_EQ(snapshot(e.grid), before);
}

TEST(GridInsert, MainLineUnderANumeratorRootIsRefused) {
  Editing e;
  e.key(EditorKey::Up).press(kButtonRoot).type(u"x").key(EditorKey::Down);
  ASSERT_EQ(e.grid.cursorRow(), ROW_MAIN);
  ASSERT_EQ(e.grid.cursorColumn(), 2);
  const auto before = snapshot(e.grid);
  e.type(u"y");
  EXPECT_EQ(snapshot(e.grid), before);
}

TEST(GridInsert, ThreeUpperAfterOneLowerIsOneRunWithTwoFillers) {
  Editing e;
  e.key(EditorKey::Down).type(u"a");
  EXPECT_EQ(e.grid.flags(ROW_UPPER, 0), 0x30);
  e.key(EditorKey::Up).key(EditorKey::Up);
  ASSERT_EQ(e.grid.cursorRow(), ROW_UPPER);
  ASSERT_EQ(e.grid.cursorColumn(), 0);  // moved left over the filler
  e.type(u"123");
  ASSERT_EQ(e.grid.length(), 3);
  EXPECT_EQ(rowText(e.grid, ROW_UPPER), u"123");
  EXPECT_EQ(rowText(e.grid, ROW_LOWER), u"a  ");
  EXPECT_EQ(rowFlags(e.grid, ROW_UPPER), (std::vector<int>{0x22, 0x22, 0x22}));
  EXPECT_EQ(rowFlags(e.grid, ROW_MAIN), (std::vector<int>{0x28, 0x28, 0x28}));
  EXPECT_EQ(rowFlags(e.grid, ROW_LOWER), (std::vector<int>{0x22, 0x30, 0x30}));
}

TEST(GridInsert, NumeratorInsertKeepsTheDenominatorInPlace) {
  Editing e;
  e.key(EditorKey::Up).type(u"12").key(EditorKey::Down).key(EditorKey::Down);
  ASSERT_EQ(e.grid.cursorColumn(), 0);
  e.type(u"34").key(EditorKey::Up).key(EditorKey::Up);
  ASSERT_EQ(e.grid.cursorColumn(), 2);
  e.key(EditorKey::Left).type(u"c");
  EXPECT_EQ(rowText(e.grid, ROW_UPPER), u"1c2");
  EXPECT_EQ(rowText(e.grid, ROW_LOWER), u"34 ");
  EXPECT_EQ(rowFlags(e.grid, ROW_LOWER), (std::vector<int>{0x22, 0x22, 0x30}));
}

TEST(GridInsert, DenominatorInsertKeepsTheNumeratorInPlace) {
  Editing e;
  e.key(EditorKey::Up).type(u"12").key(EditorKey::Down).key(EditorKey::Down).type(u"34");
  e.key(EditorKey::Home).type(u"d");
  EXPECT_EQ(rowText(e.grid, ROW_LOWER), u"d34");
  EXPECT_EQ(rowText(e.grid, ROW_UPPER), u"12 ");
  EXPECT_EQ(e.grid.flags(ROW_UPPER, 2), 0x30);
}

TEST(GridInsert, NumeratorBeforeAPlainColumnStartsANewFractionColumn) {
  Editing e;
  e.type(u"x").key(EditorKey::Home).key(EditorKey::Up).type(u"1");
  ASSERT_EQ(e.grid.length(), 2);
  EXPECT_TRUE(e.grid.isFractionColumn(0));
  EXPECT_EQ(e.grid.flags(ROW_LOWER, 0), 0x30);
  EXPECT_EQ(e.grid.at(ROW_MAIN, 1), u'x');
}

TEST(GridInsert, InsertionBeforeATallCloseInheritsTheTallFlag) {
  Editing e;
  e.press(kButtonRoot).key(EditorKey::Up).type(u"1").type(u"2");
  // the numerator grows inside the tall root
  for (int column = 1; column <= 2; ++column) EXPECT_TRUE(e.grid.flags(ROW_UPPER, column) & CELL_UNDER_TALL_ROOT);
  EXPECT_EQ(e.grid.at(ROW_MAIN, 3), TALL_ROOT_CLOSE);
}

TEST(GridInsert, SuperscriptAndSubscriptFlags) {
  Editing e;
  e.type(u"x^2y°3");
  EXPECT_EQ(rowFlags(e.grid, ROW_MAIN), (std::vector<int>{0x22, 0x62, 0x22, 0xA2}));
}

TEST(GridInsert, BlankColumnKeepsEveryUsedColumnMarked) {
  FormulaGrid grid;
  grid.insertCharacter(u'a');
  grid.cursorHome();
  grid.insertBlankColumn();
  ASSERT_EQ(grid.length(), 2);
  EXPECT_EQ(grid.at(ROW_MAIN, 0), u' ');
  EXPECT_EQ(grid.at(ROW_MAIN, 1), u'a');
  for (int row = 0; row < 3; ++row) EXPECT_TRUE(grid.flags(row, 0) & CELL_USED);
}

TEST(GridInsert, ClearResetsEverything) {
  Editing e;
  e.press(kButtonCubeRoot).key(EditorKey::Up);
  e.grid.setClickX(40);
  e.grid.clear();
  EXPECT_EQ(e.grid.length(), 0);
  EXPECT_EQ(e.grid.cursorRow(), ROW_MAIN);
  EXPECT_EQ(e.grid.cursorColumn(), 0);
  EXPECT_EQ(e.grid.clickX(), -1);
  EXPECT_EQ(e.grid.slotMask(), 1);
  EXPECT_EQ(e.grid.degree(ROW_MAIN, 0), 0);
}

TEST(GridInsert, StoredRowsKeepTheLimitsAndTheUsedMark) {
  FormulaGrid grid;
  grid.setRowText(std::u16string(70, u'a'), ROW_MAIN);
  EXPECT_EQ(grid.length(), FormulaGrid::kMaxColumns);
  grid.setRowFlags(std::u16string(70, u'\x02'), ROW_MAIN);
  for (int row = 0; row < 3; ++row) {
    for (int column = 0; column < grid.length(); ++column) ASSERT_TRUE(grid.flags(row, column) & CELL_USED);
  }
  EXPECT_EQ(grid.flags(ROW_MAIN, 54), 0);
  EXPECT_EQ(grid.cursorRow(), ROW_MAIN);
  EXPECT_EQ(grid.cursorColumn(), 0);
}

}  // namespace
}  // namespace pendrix

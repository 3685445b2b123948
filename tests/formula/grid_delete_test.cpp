// Delete with root markers and fraction runs; the cursor operations.

#include <gtest/gtest.h>

#include "editing_helpers.h"

namespace pendrix {
namespace {

using testing::Editing;
using testing::rowFlags;
using testing::rowText;
using testing::snapshot;

TEST(GridDelete, DeleteRemovesTheColumnAndTellsWhetherItWasASpace) {
  FormulaGrid grid;
  for (char16_t c : std::u16string(u"a b")) grid.insertCharacter(c);
  grid.cursorHome();
  EXPECT_FALSE(grid.deleteAtCursor());
  EXPECT_EQ(rowText(grid, ROW_MAIN), u" b");
  EXPECT_TRUE(grid.deleteAtCursor());
  EXPECT_EQ(rowText(grid, ROW_MAIN), u"b");
  EXPECT_EQ(grid.length(), 1);
  // the vacated columns are empty again
  EXPECT_EQ(grid.at(ROW_MAIN, 1), 0);
  EXPECT_EQ(grid.flags(ROW_UPPER, 1), 0);
}

TEST(GridDelete, DeleteAtTheEndDoesNothing) {
  Editing e;
  e.type(u"ab");
  const auto before = snapshot(e.grid);
  EXPECT_FALSE(e.grid.deleteAtCursor());
  EXPECT_EQ(snapshot(e.grid), before);
}

TEST(GridDelete, BackspaceAfterAnEmptyRootRemovesBothSigns) {
  Editing e;
  e.type(u"a").press(kButtonRoot).key(EditorKey::Right);
  ASSERT_EQ(e.grid.cursorColumn(), 3);
  e.key(EditorKey::Backspace);
  EXPECT_EQ(rowText(e.grid, ROW_MAIN), u"a");
  EXPECT_EQ(e.grid.cursorColumn(), 1);
}

TEST(GridDelete, DeleteInsideAnEmptyRootRemovesBothSigns) {
  Editing e;
  e.press(kButtonRoot).key(EditorKey::Delete);
  EXPECT_EQ(e.grid.length(), 0);
  EXPECT_EQ(e.grid.cursorColumn(), 0);
  e.press(kButtonRoot).key(EditorKey::Left).key(EditorKey::Delete);  // on the open
  EXPECT_EQ(e.grid.length(), 0);
}

TEST(GridDelete, DeleteOnARootWithContentDoesNothing) {
  Editing e;
  e.press(kButtonRoot).type(u"x").key(EditorKey::Home);
  auto before = snapshot(e.grid);
  e.key(EditorKey::Delete);
  EXPECT_EQ(snapshot(e.grid), before);
  e.key(EditorKey::End);  // no gap: to the end
  e.key(EditorKey::Backspace);  // onto the close
  before = snapshot(e.grid);
  EXPECT_FALSE(e.grid.deleteAtCursor());
  EXPECT_EQ(snapshot(e.grid), before);
}

TEST(GridDelete, DeletingATallRootsContentLeavesTheRoot) {
  Editing e;
  e.press(kButtonRoot).key(EditorKey::Up).type(u"1").key(EditorKey::Left);
  ASSERT_EQ(e.grid.at(ROW_MAIN, 0), TALL_ROOT_OPEN);
  e.key(EditorKey::Delete);  // the numerator's only character: the column goes
  ASSERT_EQ(e.grid.length(), 2);
  // pairing runs after insertions only; the empty root still goes as a pair
  e.key(EditorKey::Down).key(EditorKey::Home).key(EditorKey::Delete);
  EXPECT_EQ(e.grid.length(), 0);
}

TEST(GridDelete, NumeratorCharacterMovesTheRestLeft) {
  Editing e;
  e.key(EditorKey::Up).type(u"123").key(EditorKey::Down).key(EditorKey::Down).type(u"45");
  e.key(EditorKey::Up).key(EditorKey::Up).key(EditorKey::Home);
  EXPECT_FALSE(e.grid.deleteAtCursor());
  ASSERT_EQ(e.grid.length(), 2);
  EXPECT_EQ(rowText(e.grid, ROW_UPPER), u"23");
  EXPECT_EQ(rowText(e.grid, ROW_LOWER), u"45");
  EXPECT_FALSE(e.grid.deleteAtCursor());
  EXPECT_EQ(rowText(e.grid, ROW_UPPER), u"3 ");
  EXPECT_EQ(e.grid.flags(ROW_UPPER, 1), 0x30);
  EXPECT_EQ(e.grid.length(), 2);
}

TEST(GridDelete, RunEndingInFillersOnBothRowsLosesItsLastColumn) {
  Editing e;
  e.key(EditorKey::Up).type(u"123").key(EditorKey::Down).key(EditorKey::Down).type(u"4");
  e.key(EditorKey::Up).key(EditorKey::Up).key(EditorKey::Home);
  e.grid.deleteAtCursor();
  EXPECT_EQ(e.grid.length(), 2);
  EXPECT_EQ(rowText(e.grid, ROW_UPPER), u"23");
  EXPECT_EQ(rowText(e.grid, ROW_LOWER), u"4 ");
  EXPECT_EQ(rowFlags(e.grid, ROW_LOWER), (std::vector<int>{0x22, 0x30}));
}

TEST(GridDelete, DenominatorIsTheMirror) {
  Editing e;
  e.key(EditorKey::Up).type(u"1").key(EditorKey::Down).key(EditorKey::Down).type(u"23");
  e.key(EditorKey::Home).grid.deleteAtCursor();
  EXPECT_EQ(e.grid.length(), 1);
  EXPECT_EQ(rowText(e.grid, ROW_UPPER), u"1");
  EXPECT_EQ(rowText(e.grid, ROW_LOWER), u"3");
}

TEST(GridDelete, MainLineAtAFractionColumnRemovesTheWholeColumn) {
  Editing e;
  e.type(u"a").key(EditorKey::Up).type(u"1").key(EditorKey::Down).key(EditorKey::Left);
  ASSERT_EQ(e.grid.cursorRow(), ROW_MAIN);
  ASSERT_EQ(e.grid.cursorColumn(), 1);
  EXPECT_TRUE(e.grid.deleteAtCursor());  // the main cell of a fraction is a space
  EXPECT_EQ(rowText(e.grid, ROW_MAIN), u"a");
}

TEST(GridDelete, MainLineAtAFractionWithARootInsideDoesNothing) {
  Editing e;
  e.key(EditorKey::Up).press(kButtonRoot).type(u"x").key(EditorKey::Down).key(EditorKey::Home);
  const auto before = snapshot(e.grid);
  EXPECT_FALSE(e.grid.deleteAtCursor());
  EXPECT_EQ(snapshot(e.grid), before);
}

TEST(GridDelete, UpperCellOfAPlainColumnDeletesTheMainCharacter) {
  Editing e;
  e.type(u"ab").key(EditorKey::Home).key(EditorKey::Up);
  e.grid.deleteAtCursor();
  EXPECT_EQ(rowText(e.grid, ROW_MAIN), u"b");
}

TEST(GridDelete, EmptyRootInANumeratorGoesAsAPair) {
  Editing e;
  e.key(EditorKey::Up).type(u"1").press(kButtonRoot);
  ASSERT_EQ(rowText(e.grid, ROW_UPPER), (std::u16string{u'1', ROOT_OPEN, ROOT_CLOSE}));
  e.key(EditorKey::Delete);
  EXPECT_EQ(rowText(e.grid, ROW_UPPER), u"1");
  EXPECT_EQ(e.grid.length(), 1);
  EXPECT_EQ(e.grid.cursorColumn(), 1);
}

TEST(GridCursor, LeftWrapsFromColumnZeroToTheEnd) {
  Editing e;
  e.type(u"abc").key(EditorKey::Home);
  e.grid.cursorLeft();
  EXPECT_EQ(e.grid.cursorColumn(), 3);
}

TEST(GridCursor, RightStopsOrWraps) {
  Editing e;
  e.type(u"ab");
  e.grid.cursorRight(false);
  EXPECT_EQ(e.grid.cursorColumn(), 2);
  e.grid.cursorRight(true);
  EXPECT_EQ(e.grid.cursorColumn(), 0);
  e.grid.cursorRight(true);
  EXPECT_EQ(e.grid.cursorColumn(), 1);
}

TEST(GridCursor, LeftOverFillersInTheUpperRow) {
  Editing e;
  e.key(EditorKey::Down).type(u"abc").key(EditorKey::Up).key(EditorKey::Up);
  ASSERT_EQ(e.grid.cursorColumn(), 0);
  e.type(u"1").key(EditorKey::End);  // no gap: the end of the row
  ASSERT_EQ(e.grid.cursorColumn(), 3);
  e.key(EditorKey::Left);
  EXPECT_EQ(e.grid.cursorColumn(), 1);
  e.grid.setCursor(ROW_MAIN, 3);
  e.key(EditorKey::Left);  // the main line has no fillers
  EXPECT_EQ(e.grid.cursorColumn(), 2);
}

TEST(GridCursor, RowsStopAtTheEdgesAndReturnToTheMainLine) {
  FormulaGrid grid;
  grid.rowUp();
  EXPECT_EQ(grid.cursorRow(), ROW_UPPER);
  grid.rowUp();
  EXPECT_EQ(grid.cursorRow(), ROW_MAIN);
  grid.rowDown();
  EXPECT_EQ(grid.cursorRow(), ROW_LOWER);
  grid.rowDown();
  EXPECT_EQ(grid.cursorRow(), ROW_MAIN);
  grid.rowUp();
  grid.rowDown();
  EXPECT_EQ(grid.cursorRow(), ROW_MAIN);
}

TEST(GridCursor, ArrivingInTheLowerRowMovesLeftOverFillers) {
  Editing e;
  e.key(EditorKey::Up).type(u"1234").key(EditorKey::Down).key(EditorKey::Down);
  EXPECT_EQ(e.grid.cursorColumn(), 0);
}

TEST(GridCursor, GoToFirstGap) {
  Editing e;
  e.type(u"a_b_");
  e.key(EditorKey::End);
  EXPECT_EQ(e.grid.cursorRow(), ROW_MAIN);
  EXPECT_EQ(e.grid.cursorColumn(), 1);

  Editing upper;
  upper.type(u"x=").key(EditorKey::Up).type(u"1_").key(EditorKey::Down).key(EditorKey::Down).type(u"2");
  upper.key(EditorKey::Up).key(EditorKey::End);
  EXPECT_EQ(upper.grid.cursorRow(), ROW_UPPER);
  EXPECT_EQ(upper.grid.cursorColumn(), 3);

  Editing lower;
  lower.key(EditorKey::Down).type(u"3_").key(EditorKey::Up).key(EditorKey::End);
  EXPECT_EQ(lower.grid.cursorRow(), ROW_LOWER);
  EXPECT_EQ(lower.grid.cursorColumn(), 1);
}

TEST(GridCursor, SetCursorIsClamped) {
  Editing e;
  e.type(u"ab");
  e.grid.setCursor(7, 9);
  EXPECT_EQ(e.grid.cursorRow(), ROW_LOWER);
  EXPECT_EQ(e.grid.cursorColumn(), 2);
}

}  // namespace
}  // namespace pendrix

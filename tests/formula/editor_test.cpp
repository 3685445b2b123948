// The dialog's input on the formula, through FormulaEditor.

#include <gtest/gtest.h>

#include "editing_helpers.h"

namespace pendrix {
namespace {

using testing::Editing;
using testing::rowFlags;
using testing::rowText;
using testing::snapshot;

// The display starts with some solution so that a reset is visible.
void showSolution(Editing& e) {
  e.display.setValueText(u"7.000");
  e.display.setStatusText(u"2.000");
}

bool displayReset(const Editing& e) { return e.display.value == u"----" && e.display.status == u" "; }

TEST(Editor, CaretTwoIsASuperscriptTwo) {
  Editing e;
  e.type(u"^2");
  ASSERT_EQ(e.grid.length(), 1);
  EXPECT_EQ(e.grid.at(ROW_MAIN, 0), u'2');
  EXPECT_EQ(e.grid.flags(ROW_MAIN, 0), 0x62);
  EXPECT_FALSE(e.editor.superscriptPending());
}

TEST(Editor, PendingModeLastsForOneCharacter) {
  Editing e;
  e.type(u"^23");
  EXPECT_EQ(rowFlags(e.grid, ROW_MAIN), (std::vector<int>{0x62, 0x22}));
}

TEST(Editor, SubscriptWinsOverSuperscript) {
  Editing e;
  e.type(u"^\u00B0a");
  ASSERT_EQ(e.grid.length(), 1);
  EXPECT_EQ(e.grid.at(ROW_MAIN, 0), u'a');
  EXPECT_EQ(e.grid.flags(ROW_MAIN, 0), 0xA2);
  EXPECT_FALSE(e.editor.superscriptPending());
  EXPECT_FALSE(e.editor.subscriptPending());
}

TEST(Editor, CaretAndDegreeSignAreNotInserted) {
  Editing e;
  showSolution(e);
  e.type(u"^\u00B0");
  EXPECT_EQ(e.grid.length(), 0);
  EXPECT_EQ(e.display.value, u"7.000");
}

TEST(Editor, NulIsTheDialogsOwnEmptying) {
  Editing e;
  e.editor.typeCharacter(u'\0');
  EXPECT_EQ(e.grid.length(), 0);
}

TEST(Editor, SpaceDoesNotResetTheSolutionDisplay) {
  Editing e;
  showSolution(e);
  e.type(u" ");
  EXPECT_EQ(e.grid.length(), 1);
  EXPECT_EQ(e.display.value, u"7.000");
  EXPECT_EQ(e.display.status, u"2.000");
  e.type(u"x");
  EXPECT_TRUE(displayReset(e));
}

TEST(Editor, DeleteResetsTheDisplayUnlessASpaceWent) {
  Editing e;
  e.type(u"a ").key(EditorKey::Home);
  showSolution(e);
  e.key(EditorKey::Right).key(EditorKey::Delete);  // the space
  EXPECT_EQ(e.display.value, u"7.000");
  e.key(EditorKey::Backspace);  // the a
  EXPECT_TRUE(displayReset(e));
  EXPECT_EQ(e.grid.length(), 0);
}

TEST(Editor, CursorKeysMapOntoTheGrid) {
  Editing e;
  e.type(u"a_b");
  e.key(EditorKey::Home);
  EXPECT_EQ(e.grid.cursorColumn(), 0);
  e.key(EditorKey::End);
  EXPECT_EQ(e.grid.cursorColumn(), 1);
  e.key(EditorKey::Right).key(EditorKey::Right).key(EditorKey::Right);  // wraps
  EXPECT_EQ(e.grid.cursorColumn(), 0);
  e.key(EditorKey::Left);  // wraps
  EXPECT_EQ(e.grid.cursorColumn(), 3);
  e.key(EditorKey::Up);
  EXPECT_EQ(e.grid.cursorRow(), ROW_UPPER);
  e.key(EditorKey::Down);
  EXPECT_EQ(e.grid.cursorRow(), ROW_MAIN);
  e.key(EditorKey::Down);
  EXPECT_EQ(e.grid.cursorRow(), ROW_LOWER);
}

TEST(Editor, AltDigitInsertsASuperscriptDigit) {
  Editing e;
  showSolution(e);
  const AltKeyResult result = e.editor.altCharacter(u'5');
  EXPECT_TRUE(result.handled);
  EXPECT_EQ(result.button, 0);
  ASSERT_EQ(e.grid.length(), 1);
  EXPECT_EQ(e.grid.at(ROW_MAIN, 0), u'5');
  EXPECT_EQ(e.grid.flags(ROW_MAIN, 0), 0x62);
  EXPECT_TRUE(displayReset(e));
}

TEST(Editor, AltTwoAndThreeReachTheirButtons) {
  Editing e;
  e.type(u"\u00B0");  // pending subscript is cancelled by the button
  EXPECT_EQ(e.editor.altCharacter(u'2').button, kButtonSquare);
  EXPECT_EQ(e.editor.altCharacter(u'3').button, kButtonCube);
  EXPECT_EQ(rowText(e.grid, ROW_MAIN), u"23");
  EXPECT_EQ(rowFlags(e.grid, ROW_MAIN), (std::vector<int>{0x62, 0x62}));
  EXPECT_FALSE(e.editor.subscriptPending());
}

TEST(Editor, AltLAsksEvenWhenEmptyAndClearsOnYes) {
  Editing e;
  e.notifier.answer = true;
  EXPECT_TRUE(e.editor.altCharacter(u'l').handled);
  EXPECT_EQ(e.notifier.questions, 1);
  EXPECT_EQ(e.notifier.lastText, u"Wollen Sie wirklich löschen ?");
  EXPECT_EQ(e.notifier.lastCaption, u"Feld löschen");

  e.type(u"x+1").key(EditorKey::Up);
  showSolution(e);
  e.editor.altCharacter(u'l');
  EXPECT_EQ(e.notifier.questions, 2);
  EXPECT_EQ(e.grid.length(), 0);
  EXPECT_EQ(e.grid.cursorRow(), ROW_MAIN);
  // The old solution does not stay beside the empty formula.
  EXPECT_TRUE(displayReset(e));
}

TEST(Editor, AltLAnsweredNoLeavesTheFormula) {
  Editing e;
  e.notifier.answer = false;
  e.type(u"x+1");
  showSolution(e);
  const auto before = snapshot(e.grid);
  e.editor.altCharacter(u'l');
  EXPECT_EQ(e.notifier.questions, 1);
  EXPECT_EQ(snapshot(e.grid), before);
  EXPECT_EQ(e.display.value, u"7.000");
}

TEST(Editor, OnlyLowerCaseLAsks) {
  Editing e;
  const AltKeyResult result = e.editor.altCharacter(u'L');
  EXPECT_FALSE(result.handled);
  EXPECT_EQ(e.notifier.questions, 0);
}

TEST(Editor, AltLettersPressTheirButtonsCaseInsensitively) {
  Editing e;
  EXPECT_EQ(e.editor.altCharacter(u'W').button, kButtonRoot);
  EXPECT_EQ(e.grid.length(), 2);
  e.grid.clear();
  EXPECT_EQ(e.editor.altCharacter(u'k').button, kButtonLessEqual);
  EXPECT_EQ(e.editor.altCharacter(u'G').button, kButtonGreaterEqual);
  EXPECT_EQ(e.editor.altCharacter(u'p').button, kButtonPlusMinus);
  EXPECT_EQ(rowText(e.grid, ROW_MAIN), u"\u2264\u2265\u00B1");
  EXPECT_EQ(buttonForMnemonic(u'h'), kButtonSuperscript);
  EXPECT_EQ(buttonForMnemonic(u'T'), kButtonSubscript);
  EXPECT_EQ(buttonForMnemonic(u'i'), kButtonIndex1);
  EXPECT_EQ(buttonForMnemonic(u'J'), kButtonIndex2);
  EXPECT_EQ(buttonForMnemonic(u'd'), kButtonCubeRoot);
  EXPECT_EQ(buttonForMnemonic(u'x'), kButtonX12);
  EXPECT_EQ(buttonForMnemonic(u'B'), kButtonInnerFraction);
  EXPECT_EQ(buttonForMnemonic(u'l'), 0);
  EXPECT_EQ(buttonForMnemonic(u'q'), 0);
}

TEST(Editor, ButtonsOfOtherSubsystemsAreNotHandled) {
  Editing e;
  e.type(u"x");
  showSolution(e);
  const auto before = snapshot(e.grid);
  for (char16_t c : std::u16string(u"unNeEaA\u00E4\u00C4")) {
    const AltKeyResult result = e.editor.altCharacter(c);
    EXPECT_FALSE(result.handled) << char(c);
    EXPECT_NE(result.button, 0) << char(c);
  }
  EXPECT_EQ(e.editor.altCharacter(u'u').button, kButtonExerciseFile);
  EXPECT_EQ(e.editor.altCharacter(u'n').button, kButtonNewExercise);
  EXPECT_EQ(e.editor.altCharacter(u'e').button, kButtonInsertIntoWord);
  EXPECT_EQ(e.editor.altCharacter(u'a').button, kButtonExerciseType);
  EXPECT_EQ(e.editor.altCharacter(u'\u00E4').button, kButtonVaryDigits);
  for (int id : {2, 1003, 1008, 1010, 1011, 1012, 1026, 1027, 1028, 1030, 4711}) EXPECT_FALSE(e.editor.pressButton(id)) << id;
  EXPECT_EQ(snapshot(e.grid), before);
  EXPECT_EQ(e.display.value, u"7.000");
  EXPECT_FALSE(e.editor.altCharacter(u'q').handled);
}

TEST(Editor, SuperscriptAndSubscriptButtonsOnlySetTheMode) {
  Editing e;
  showSolution(e);
  e.press(kButtonSuperscript);
  EXPECT_TRUE(e.editor.superscriptPending());
  EXPECT_EQ(e.display.value, u"7.000");
  e.type(u"n");
  EXPECT_EQ(e.grid.flags(ROW_MAIN, 0), 0x62);
  e.press(kButtonSubscript);
  EXPECT_TRUE(e.editor.subscriptPending());
  e.type(u"k");
  EXPECT_EQ(e.grid.flags(ROW_MAIN, 1), 0xA2);
}

TEST(Editor, ButtonsThatCancelThePendingModes) {
  for (int button : {kButtonRoot, kButtonCubeRoot, kButtonSquare, kButtonCube, kButtonIndex1, kButtonIndex2, kButtonX12}) {
    Editing e;
    e.press(kButtonSuperscript).press(kButtonSubscript).press(button);
    EXPECT_FALSE(e.editor.superscriptPending()) << button;
    EXPECT_FALSE(e.editor.subscriptPending()) << button;
  }
  for (int button : {kButtonLessEqual, kButtonGreaterEqual, kButtonPlusMinus, kButtonInnerFraction}) {
    Editing e;
    e.press(kButtonSuperscript).press(button);
    EXPECT_TRUE(e.editor.superscriptPending()) << button;
  }
}

TEST(Editor, InsertionButtons) {
  Editing e;
  showSolution(e);
  e.press(kButtonSquare).press(kButtonCube).press(kButtonIndex1).press(kButtonIndex2);
  EXPECT_EQ(rowText(e.grid, ROW_MAIN), u"2312");
  EXPECT_EQ(rowFlags(e.grid, ROW_MAIN), (std::vector<int>{0x62, 0x62, 0xA2, 0xA2}));
  EXPECT_TRUE(displayReset(e));

  Editing x;
  x.press(kButtonX12);
  EXPECT_EQ(rowText(x.grid, ROW_MAIN), u"x1/2");
  EXPECT_EQ(rowFlags(x.grid, ROW_MAIN), (std::vector<int>{0x22, 0xA2, 0xA2, 0xA2}));
}

TEST(Editor, InnerFractionUsesTheBracketSettingAndStandsAfterTheOpen) {
  Editing e;
  e.press(kButtonInnerFraction);
  EXPECT_EQ(rowText(e.grid, ROW_MAIN), u"[/]");
  EXPECT_EQ(e.grid.cursorColumn(), 1);
}

TEST(Editor, RootButtonsResetTheDisplayOnlyWhenARootWentIn) {
  Editing e;
  showSolution(e);
  e.press(kButtonRoot).press(kButtonRoot);
  EXPECT_TRUE(displayReset(e));
  showSolution(e);
  e.press(kButtonRoot);  // refused: three deep
  EXPECT_EQ(e.display.value, u"7.000");
}

TEST(Editor, DegreeAnswerResetsTheDisplay) {
  Editing e;
  e.press(kButtonRoot).key(EditorKey::Left);
  showSolution(e);
  EXPECT_TRUE(e.editor.setRootDegreeAtCursor(u"5"));
  EXPECT_EQ(e.grid.degree(ROW_MAIN, 0), u'5');
  EXPECT_TRUE(displayReset(e));
}

// The root marks and control characters are the grid's own codes: typed, they would
// be written as root switches and brackets, so the keyboard cannot put them in.
TEST(Editor, TypedGridCodesChangeNothing) {
  std::u16string codes;
  for (char16_t c = 1; c < 0x20; ++c) codes += c;
  for (char16_t c = 0x7F; c <= 0x9F; ++c) codes += c;
  codes += u"\u00E5\u00E6\u00E7\u00E8\uFFFF";
  Editing e;
  e.press(kButtonRoot).type(u"x").key(EditorKey::Up).type(u"1").key(EditorKey::Down, 2).type(u"2");
  e.press(kButtonSuperscript);
  showSolution(e);
  const auto before = snapshot(e.grid);
  for (const char16_t c : codes) {
    e.editor.typeCharacter(c);
    EXPECT_EQ(snapshot(e.grid), before) << std::hex << int(c);
  }
  EXPECT_EQ(e.display.value, u"7.000");
  EXPECT_TRUE(e.editor.superscriptPending()) << "a refused character keeps the pending mode";
  // The neighbours of the codes are ordinary characters.
  for (const char16_t c : std::u16string(u" \u00A0\u00E4\u00E9\u00FF~")) EXPECT_FALSE(isGridCode(c)) << int(c);
}

// A grid of `used` columns on the main line (cursor at `cursor`), or of one column
// less with a numerator root over the cursor, whose main line takes nothing.
Editing nearlyFull(int used, int cursor) {
  Editing e;
  e.type(std::u16string(static_cast<size_t>(used), u'a'));
  e.grid.setCursor(ROW_MAIN, cursor);
  return e;
}

Editing underANumeratorRoot() {
  Editing e;
  e.type(u"ab").key(EditorKey::Home).key(EditorKey::Up).press(kButtonRoot).type(u"1");
  e.key(EditorKey::Down);  // the main line, under the root of the numerator
  return e;
}

// Every formula button on a full and nearly full grid, and where the main line takes
// nothing: its whole construct goes in, or grid, cursor and displays stay as they were.
TEST(Editor, FormulaButtonsInsertWholeOrNothing) {
  const struct {
    int button;
    int columns;  // the construct's width
  } buttons[] = {{kButtonRoot, 2},       {kButtonCubeRoot, 2},     {kButtonSquare, 1},    {kButtonCube, 1},
                 {kButtonIndex1, 1},     {kButtonIndex2, 1},       {kButtonLessEqual, 1}, {kButtonGreaterEqual, 1},
                 {kButtonPlusMinus, 1},  {kButtonX12, 4},          {kButtonInnerFraction, 3}};
  for (const auto& b : buttons) {
    for (int used = FormulaGrid::kMaxColumns - 4; used <= FormulaGrid::kMaxColumns; ++used) {
      for (const int cursor : {0, used / 2, used}) {
        SCOPED_TRACE(::testing::Message() << "button " << b.button << ", " << used << " columns, cursor " << cursor);
        Editing e = nearlyFull(used, cursor);
        showSolution(e);
        const auto before = snapshot(e.grid);
        e.press(b.button);
        if (used + b.columns > FormulaGrid::kMaxColumns) {
          EXPECT_EQ(snapshot(e.grid), before);
          EXPECT_EQ(e.display.value, u"7.000");
          EXPECT_EQ(e.display.status, u"2.000");
        } else {
          EXPECT_EQ(e.grid.length(), used + b.columns);
          EXPECT_TRUE(displayReset(e));
        }
      }
    }
    SCOPED_TRACE(::testing::Message() << "button " << b.button << " under a numerator's root");
    Editing e = underANumeratorRoot();
    showSolution(e);
    const auto before = snapshot(e.grid);
    e.press(b.button);
    EXPECT_EQ(snapshot(e.grid), before);
    EXPECT_EQ(e.display.value, u"7.000");
  }
}

TEST(Editor, InnerFractionOnANearlyFullGridLeavesNoHalfBracket) {
  Editing e = nearlyFull(52, 52);
  e.press(kButtonInnerFraction);
  EXPECT_EQ(e.grid.length(), 52);
  EXPECT_EQ(rowText(e.grid, ROW_MAIN).find(u'['), std::u16string::npos);
  Editing full = nearlyFull(54, 0);
  full.press(kButtonInnerFraction);
  EXPECT_EQ(full.grid.cursorColumn(), 0) << "the cursor does not wrap to the end";
  Editing x = nearlyFull(51, 51);
  x.press(kButtonX12);
  EXPECT_EQ(x.grid.length(), 51) << "no bare x with a part of its index";
}

TEST(Editor, AltDigitOnAFullGridLeavesTheDisplay) {
  Editing e = nearlyFull(54, 54);
  showSolution(e);
  e.editor.altCharacter(u'7');
  EXPECT_EQ(e.grid.length(), 54);
  EXPECT_EQ(e.display.value, u"7.000");
}

// A degree that would end or open the root's argument in the field code is refused.
TEST(Editor, RootDegreesThatBreakTheFieldCodeAreRefused) {
  for (const char16_t separator : {u';', u','}) {
    for (const char16_t c : std::u16string(u"();,\\\u00E5\u00E8\x01")) {
      const bool refused = c == separator || c == u'(' || c == u')' || c == u'\\' || isGridCode(c);
      EXPECT_EQ(isRootDegreeAllowed(c, separator), !refused) << int(c) << " with " << char(separator);
    }
    EXPECT_TRUE(isRootDegreeAllowed(u'n', separator));
    EXPECT_TRUE(isRootDegreeAllowed(u' ', separator));
  }
  Editing e;
  e.press(kButtonRoot).key(EditorKey::Left);
  showSolution(e);
  EXPECT_FALSE(e.editor.setRootDegreeAtCursor(u";"));
  EXPECT_FALSE(e.editor.setRootDegreeAtCursor(u"("));
  EXPECT_EQ(e.grid.degree(ROW_MAIN, 0), u'\0');
  EXPECT_EQ(e.display.value, u"7.000");
  EXPECT_EQ(rootDegreeHint(u';'), u"\u201E;\u201C kann kein Wurzelexponent sein.");
}

}  // namespace
}  // namespace pendrix

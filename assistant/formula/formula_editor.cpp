#include "formula/formula_editor.h"

namespace pendrix {

namespace {

char16_t lowerCase(char16_t c) {
  if (c >= u'A' && c <= u'Z') return static_cast<char16_t>(c - u'A' + u'a');
  if (c == u'\u00C4') return u'\u00E4';
  if (c == u'\u00D6') return u'\u00F6';
  if (c == u'\u00DC') return u'\u00FC';
  return c;
}

bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

}  // namespace

int buttonForMnemonic(char16_t c) {
  // The "&" letters of the button captions of the dialog's buttons.
  struct Mnemonic {
    char16_t letter;
    int button;
  };
  static constexpr Mnemonic kMnemonics[] = {
      {u'w', kButtonRoot},           {u'h', kButtonSuperscript},    {u'2', kButtonSquare},
      {u'3', kButtonCube},           {u'u', kButtonExerciseFile},   {u'n', kButtonNewExercise},
      {u't', kButtonSubscript},      {u'i', kButtonIndex1},         {u'j', kButtonIndex2},
      {u'd', kButtonCubeRoot},       {u'k', kButtonLessEqual},      {u'g', kButtonGreaterEqual},
      {u'x', kButtonX12},            {u'p', kButtonPlusMinus},      {u'e', kButtonInsertIntoWord},
      {u'a', kButtonExerciseType},   {u'\u00E4', kButtonVaryDigits}, {u'b', kButtonInnerFraction},
  };
  const char16_t key = lowerCase(c);
  for (const Mnemonic& m : kMnemonics) {
    if (m.letter == key) return m.button;
  }
  return 0;
}

FormulaEditor::FormulaEditor(FormulaGrid& grid, const Settings& settings, Notifier& notifier,
                             SolutionDisplay& display)
    : grid_(grid), settings_(settings), notifier_(notifier), display_(display) {}

void FormulaEditor::typeCharacter(char16_t c) {
  if (c == u'\0') return;  // the dialog emptying its own edit
  if (c == u'^') {
    superscriptPending_ = true;
    return;
  }
  if (c == u'\u00B0') {
    subscriptPending_ = true;
    return;
  }
  uint16_t flags = 0;
  if (superscriptPending_) {
    superscriptPending_ = false;
    flags = CELL_SUPERSCRIPT;
  }
  if (subscriptPending_) {
    subscriptPending_ = false;
    flags = CELL_SUBSCRIPT;
  }
  if (c != u' ') resetSolutionDisplay(display_);
  grid_.insertCharacter(c, flags);
}

void FormulaEditor::keyDown(EditorKey key) {
  switch (key) {
    case EditorKey::Left: grid_.cursorLeftOverFillers(); break;
    case EditorKey::Right: grid_.cursorRight(true); break;
    case EditorKey::Up: grid_.rowUp(); break;
    case EditorKey::Down: grid_.rowDown(); break;
    case EditorKey::Home: grid_.cursorHome(); break;
    case EditorKey::End: grid_.goToFirstGap(); break;
    case EditorKey::Delete:
      if (!grid_.deleteAtCursor()) resetSolutionDisplay(display_);
      break;
    case EditorKey::Backspace:
      grid_.cursorLeft();
      if (!grid_.deleteAtCursor()) resetSolutionDisplay(display_);
      break;
  }
}

AltKeyResult FormulaEditor::altCharacter(char16_t c) {
  if (const int button = buttonForMnemonic(c)) return {pressButton(button), button};
  // No control took the key: the dialog examines the character as typed.
  if (c == u'l') {
    if (notifier_.askYesNo(kClearCaption, kClearQuestion)) grid_.clear();
    return {true, 0};
  }
  if (isDigit(c)) {
    grid_.insertCharacter(c, CELL_SUPERSCRIPT);
    resetSolutionDisplay(display_);
    return {true, 0};
  }
  return {false, 0};
}

static int rootSigns(const FormulaGrid& grid) {
  int count = 0;
  for (int row = 0; row < FormulaGrid::kRows; ++row) {
    for (int column = 0; column < grid.length(); ++column) {
      if (isRootOpen(grid.at(row, column)) || isRootClose(grid.at(row, column))) ++count;
    }
  }
  return count;
}

void FormulaEditor::insertRoot(bool cube) {
  if (grid_.tooComplex()) return;  // refused silently
  // A root goes in whole or not at all: in a grid with one free column the open
  // would fit and the close not, and an open without its close breaks the pairing.
  FormulaGrid trial = grid_;
  trial.insertCharacter(ROOT_OPEN);
  if (cube) {
    trial.cursorLeft();
    trial.setRootDegree(u'3');
    trial.cursorRight(false);
  }
  trial.insertCharacter(ROOT_CLOSE);
  trial.cursorLeft();
  if (rootSigns(trial) != rootSigns(grid_) + 2) return;
  grid_ = trial;
  resetSolutionDisplay(display_);
}

bool FormulaEditor::pressButton(int controlId) {
  switch (controlId) {
    case kButtonRoot:
    case kButtonCubeRoot:
    case kButtonSquare:
    case kButtonCube:
    case kButtonIndex1:
    case kButtonIndex2:
    case kButtonX12:
      superscriptPending_ = false;
      subscriptPending_ = false;
      break;
    default: break;
  }
  switch (controlId) {
    case kButtonRoot: insertRoot(false); return true;
    case kButtonCubeRoot: insertRoot(true); return true;
    case kButtonSuperscript: superscriptPending_ = true; return true;
    case kButtonSubscript: subscriptPending_ = true; return true;
    case kButtonSquare: grid_.insertCharacter(u'2', CELL_SUPERSCRIPT); break;
    case kButtonCube: grid_.insertCharacter(u'3', CELL_SUPERSCRIPT); break;
    case kButtonIndex1: grid_.insertCharacter(u'1', CELL_SUBSCRIPT); break;
    case kButtonIndex2: grid_.insertCharacter(u'2', CELL_SUBSCRIPT); break;
    case kButtonLessEqual: grid_.insertCharacter(u'\u2264'); break;
    case kButtonGreaterEqual: grid_.insertCharacter(u'\u2265'); break;
    case kButtonPlusMinus: grid_.insertCharacter(u'\u00B1'); break;
    case kButtonX12:
      grid_.insertCharacter(u'x');
      grid_.insertCharacter(u'1', CELL_SUBSCRIPT);
      grid_.insertCharacter(u'/', CELL_SUBSCRIPT);
      grid_.insertCharacter(u'2', CELL_SUBSCRIPT);
      break;
    case kButtonInnerFraction:
      grid_.insertCharacter(settings_->bracketOpen);
      grid_.insertCharacter(u'/');
      grid_.insertCharacter(settings_->bracketClose);
      grid_.cursorLeft();
      grid_.cursorLeft();
      break;
    default: return false;
  }
  resetSolutionDisplay(display_);
  return true;
}

bool FormulaEditor::setRootDegreeAtCursor(const std::u16string& answer) {
  if (!isRootOpen(grid_.characterAtCursor())) return false;
  resetSolutionDisplay(display_);
  grid_.setRootDegree(answer.empty() ? u' ' : answer[0]);
  return true;
}

}  // namespace pendrix

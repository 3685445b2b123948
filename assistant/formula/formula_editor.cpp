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
  // A typed U+00E5 would be a root mark and a control character no character at
  // all; both would break the field code.
  if (isGridCode(c)) return;
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

namespace {

// Both signs of a root go in, or neither: an open without its close breaks the pairing.
bool insertRoot(FormulaGrid& g, bool cube) {
  if (g.tooComplex() || !g.insertCharacter(ROOT_OPEN)) return false;
  if (cube) {
    g.cursorLeft();
    g.setRootDegree(u'3');
    g.cursorRight(false);
  }
  if (!g.insertCharacter(ROOT_CLOSE)) return false;
  g.cursorLeft();
  return true;
}

bool insertX12(FormulaGrid& g) {
  return g.insertCharacter(u'x') && g.insertCharacter(u'1', CELL_SUBSCRIPT) && g.insertCharacter(u'/', CELL_SUBSCRIPT) &&
         g.insertCharacter(u'2', CELL_SUBSCRIPT);
}

// The brackets of an inner fraction with its bar; the cursor stands before the bar.
bool insertInnerFraction(FormulaGrid& g, const SettingsRecord& settings) {
  if (!g.insertCharacter(settings.bracketOpen) || !g.insertCharacter(u'/') || !g.insertCharacter(settings.bracketClose))
    return false;
  g.cursorLeft();
  g.cursorLeft();
  return true;
}

}  // namespace

template <typename Steps>
void FormulaEditor::insertWhole(Steps steps) {
  FormulaGrid trial = grid_;
  if (!steps(trial)) return;  // refused: nothing visible happens
  grid_ = std::move(trial);
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
  const auto character = [this](char16_t c, uint16_t flags = 0) {
    insertWhole([c, flags](FormulaGrid& g) { return g.insertCharacter(c, flags); });
  };
  switch (controlId) {
    case kButtonRoot: insertWhole([](FormulaGrid& g) { return insertRoot(g, false); }); return true;
    case kButtonCubeRoot: insertWhole([](FormulaGrid& g) { return insertRoot(g, true); }); return true;
    case kButtonSuperscript: superscriptPending_ = true; return true;
    case kButtonSubscript: subscriptPending_ = true; return true;
    case kButtonSquare: character(u'2', CELL_SUPERSCRIPT); return true;
    case kButtonCube: character(u'3', CELL_SUPERSCRIPT); return true;
    case kButtonIndex1: character(u'1', CELL_SUBSCRIPT); return true;
    case kButtonIndex2: character(u'2', CELL_SUBSCRIPT); return true;
    case kButtonLessEqual: character(u'\u2264'); return true;
    case kButtonGreaterEqual: character(u'\u2265'); return true;
    case kButtonPlusMinus: character(u'\u00B1'); return true;
    case kButtonX12: insertWhole(insertX12); return true;
    case kButtonInnerFraction:
      insertWhole([this](FormulaGrid& g) { return insertInnerFraction(g, settings_.record()); });
      return true;
    default: return false;
  }
}

AltKeyResult FormulaEditor::altCharacter(char16_t c) {
  if (const int button = buttonForMnemonic(c)) return {pressButton(button), button};
  // No control took the key: the dialog examines the character as typed.
  if (c == u'l') {
    // The old solution would stay beside the empty formula, ready to be written.
    if (notifier_.askYesNo(kClearCaption, kClearQuestion)) {
      grid_.clear();
      resetSolutionDisplay(display_);
    }
    return {true, 0};
  }
  if (isDigit(c)) {
    insertWhole([c](FormulaGrid& g) { return g.insertCharacter(c, CELL_SUPERSCRIPT); });
    return {true, 0};
  }
  return {false, 0};
}

bool isRootDegreeAllowed(char16_t c, char16_t separator) {
  return !isGridCode(c) && c != separator && c != u'(' && c != u')' && c != u'\\';
}

std::u16string rootDegreeHint(char16_t refused) {
  return u"\u201E" + std::u16string(1, refused) + u"\u201C kann kein Wurzelexponent sein.";
}

bool FormulaEditor::setRootDegreeAtCursor(const std::u16string& answer) {
  const char16_t degree = answer.empty() ? u' ' : answer[0];
  if (!isRootOpen(grid_.characterAtCursor()) || !isRootDegreeAllowed(degree, settings_->listSeparator)) return false;
  resetSolutionDisplay(display_);
  grid_.setRootDegree(degree);
  return true;
}

}  // namespace pendrix

#pragma once
// The main dialog's input on the formula: typed characters with the
// pending superscript/subscript modes, the cursor and delete keys, Alt keys and the
// formula buttons, each mapped onto FormulaGrid operations. The dialog forwards to
// it and redraws the preview afterwards; buttons of other subsystems come back as
// not handled so that the dialog can run them.

#include <cstdint>

#include "formula/formula_grid.h"
#include "formula/solution_display.h"
#include "resources/resource.h"
#include "session/notifier.h"
#include "session/settings.h"

namespace pendrix {

// Control ids of the formula buttons, from the dialog's resource ids.
inline constexpr int kButtonRoot = IDC_ROOT;
inline constexpr int kButtonSuperscript = IDC_SUPERSCRIPT;
inline constexpr int kButtonSquare = IDC_SQUARE;
inline constexpr int kButtonCube = IDC_CUBE;
inline constexpr int kButtonExerciseFile = IDC_EXERCISE_FILE;
inline constexpr int kButtonInsertIntoWord = IDC_INSERT;
inline constexpr int kButtonExerciseType = IDC_EXERCISE_TYPE;
inline constexpr int kButtonNewExercise = IDC_NEW_EXERCISE;
inline constexpr int kButtonSubscript = IDC_SUBSCRIPT;
inline constexpr int kButtonIndex1 = IDC_INDEX1;
inline constexpr int kButtonIndex2 = IDC_INDEX2;
inline constexpr int kButtonCubeRoot = IDC_CUBE_ROOT;
inline constexpr int kButtonLessEqual = IDC_LESS_EQUAL;
inline constexpr int kButtonGreaterEqual = IDC_GREATER_EQUAL;
inline constexpr int kButtonX12 = IDC_X12;
inline constexpr int kButtonPlusMinus = IDC_PLUS_MINUS;
inline constexpr int kButtonVaryDigits = IDC_VARY_DIGITS;
inline constexpr int kButtonInnerFraction = IDC_INNER_FRACTION;

inline constexpr char16_t kClearQuestion[] = u"Wollen Sie wirklich löschen ?";
inline constexpr char16_t kClearCaption[] = u"Feld löschen";

// Whether `c` may stand as a root degree in a field code written with `separator`:
// the separator, a bracket or a backslash would end or open the root's argument, and
// the grid's own codes mean something else.
bool isRootDegreeAllowed(char16_t c, char16_t separator);
// The root-degree prompt's hint for a character it refuses.
std::u16string rootDegreeHint(char16_t refused);

enum class EditorKey { Left, Right, Up, Down, Home, End, Delete, Backspace };

// What an Alt key did. `button` is the control whose caption carries the mnemonic
// (0 when none does); `handled` is false when that button belongs to another
// subsystem (exercises, Word output) or the key means nothing to the formula.
struct AltKeyResult {
  bool handled = false;
  int button = 0;
};

// The button whose caption has `c` as its mnemonic (case-insensitive), or 0.
int buttonForMnemonic(char16_t c);

class FormulaEditor {
 public:
  // All four must outlive the editor.
  FormulaEditor(FormulaGrid& grid, const Settings& settings, Notifier& notifier, SolutionDisplay& display);

  // A character that arrived in the key-input edit ("Typed character"). The grid's
  // own codes are refused: nothing changes, not even a pending mode.
  void typeCharacter(char16_t c);
  // "Cursor and delete keys".
  void keyDown(EditorKey key);
  // Alt with a character: the button with that mnemonic, else the unhandled-Alt
  // step ('l' asks and clears, a digit goes in as superscript).
  AltKeyResult altCharacter(char16_t c);
  // A formula button by control id; false when the id is not a formula button. A
  // button puts its whole construct in or, where the grid refuses any part of it
  // (full, or the main line under a numerator's root), nothing: grid, cursor and
  // displays stay as they were.
  bool pressButton(int controlId);
  // The root-degree prompt's answer for the root sign at the cursor (a double click
  // on it): the first character, a space or an empty answer meaning no degree.
  // False (and nothing changes) when the cursor does not stand on a root open or the
  // character may not be a degree.
  bool setRootDegreeAtCursor(const std::u16string& answer);

  bool superscriptPending() const { return superscriptPending_; }
  bool subscriptPending() const { return subscriptPending_; }

 private:
  // Runs `steps` on a copy of the grid and keeps the copy only when every step went in.
  template <typename Steps>
  void insertWhole(Steps steps);

  FormulaGrid& grid_;
  const Settings& settings_;
  Notifier& notifier_;
  SolutionDisplay& display_;
  bool superscriptPending_ = false;
  bool subscriptPending_ = false;
};

}  // namespace pendrix

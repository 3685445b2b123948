#pragma once
// A formula editor over a fresh grid, for the grid and editor tests: types text as
// the dialog's key-input edit receives it and takes snapshots to compare grids. And
// the code positions that Word output reaches by walking an EQ code's offsets.

#include <string>
#include <vector>

#include "formula/eq_writer.h"
#include "formula/formula_editor.h"
#include "formula/formula_grid.h"
#include "formula/solution_display.h"
#include "session/notifier.h"
#include "session/settings.h"

namespace pendrix::testing {

// The first offset counts from one before the code's start, each later one from
// the previous position.
inline std::vector<size_t> offsetPositions(const EqCode& code) {
  std::vector<size_t> positions;
  size_t position = 0;
  for (size_t i = 0; i < code.smallOffsets.size(); ++i) {
    position = i == 0 ? code.smallOffsets[0] - 1 : position + code.smallOffsets[i];
    positions.push_back(position);
  }
  return positions;
}

// Answers every question with `answer` and counts the questions.
class CountingNotifier : public Notifier {
 public:
  explicit CountingNotifier(bool answer = true) : answer(answer) {}
  void showInfo(const std::u16string&, const std::u16string&) override { ++infos; }
  bool askYesNo(const std::u16string& caption, const std::u16string& text) override {
    ++questions;
    lastCaption = caption;
    lastText = text;
    return answer;
  }
  bool answer;
  int infos = 0;
  int questions = 0;
  std::u16string lastCaption, lastText;
};

struct Editing {
  FormulaGrid grid;
  Settings settings;
  CountingNotifier notifier;
  RecordingSolutionDisplay display;
  FormulaEditor editor{grid, settings, notifier, display};

  Editing& type(const std::u16string& text) {
    for (char16_t c : text) editor.typeCharacter(c);
    return *this;
  }
  Editing& key(EditorKey k, int times = 1) {
    for (int i = 0; i < times; ++i) editor.keyDown(k);
    return *this;
  }
  Editing& press(int button) {
    editor.pressButton(button);
    return *this;
  }
};

// The used columns of one row, characters and flags.
inline std::u16string rowText(const FormulaGrid& grid, int row) {
  std::u16string text;
  for (int column = 0; column < grid.length(); ++column) text += grid.at(row, column);
  return text;
}

inline std::vector<int> rowFlags(const FormulaGrid& grid, int row) {
  std::vector<int> flags;
  for (int column = 0; column < grid.length(); ++column) flags.push_back(grid.flags(row, column));
  return flags;
}

// Everything observable of a grid's cells and cursor, for "nothing happened" checks.
struct GridSnapshot {
  std::vector<int> cells;
  bool operator==(const GridSnapshot&) const = default;
};

inline GridSnapshot snapshot(const FormulaGrid& grid) {
  GridSnapshot s;
  s.cells = {grid.length(), grid.cursorRow(), grid.cursorColumn()};
  for (int row = 0; row < FormulaGrid::kRows; ++row) {
    for (int column = 0; column < FormulaGrid::kCells; ++column) {
      s.cells.push_back(grid.at(row, column));
      s.cells.push_back(grid.flags(row, column));
      s.cells.push_back(grid.degree(row, column));
    }
  }
  return s;
}

}  // namespace pendrix::testing

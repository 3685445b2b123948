#pragma once
// The exercise command as the dialog runs it, over the real grid, evaluator and
// solver, with the dialog's displays recorded.

#include <string>
#include <vector>

#include "exercises/exercise_command.h"
#include "solver/equation_solver.h"

namespace pendrix {

struct ExerciseDialog : ExerciseView {
  void showStatement(const std::u16string& text) override { statement = text; }
  void rememberExerciseNumber(int number) override { remembered = number; }
  void solve() override {
    ++solves;
    if (solveEnabled) EquationSolver(left, right).solve(grid, notifier, display);
  }

  FormulaGrid grid;
  TermEvaluator left;
  TermEvaluator right;
  RecordingSolutionDisplay display;
  RecordingNotifier notifier;
  CrtRandom source;
  ExerciseRandom random{source};
  ExerciseCommand command{{grid, left, right, display, notifier, *this, random}};
  std::u16string statement;
  int remembered = -1;
  int solves = 0;
  bool solveEnabled = true;
};

inline std::u16string rowText(const FormulaGrid& grid, int row) {
  std::u16string text;
  for (int column = 0; column < grid.length(); ++column) text += grid.at(row, column);
  return text;
}

inline std::string narrow(const std::u16string& s) {
  std::string out;
  for (char16_t c : s) out += c < 128 ? static_cast<char>(c) : '?';
  return out;
}

// Left minus right of the grid's equation for the unknown x.
inline double gridDifference(FormulaGrid& grid, double x) {
  grid.extractTerms();
  TermEvaluator left, right;
  left.SetText(grid.term(0));
  left.Parse();
  right.SetText(grid.term(1));
  right.Parse();
  left.SetUnknown(x);
  right.SetUnknown(x);
  left.Evaluate();
  right.Evaluate();
  return left.Result() - right.Result();
}

}  // namespace pendrix

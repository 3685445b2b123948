#pragma once
// The solve command: the value of a term without unknowns, or up to two solutions of
// an equation in x found by a numerical search (scan with secant steps, Newton's rule
// with a numerical slope, then touching zeros).

#include <string>
#include <vector>

#include "formula/formula_grid.h"
#include "formula/solution_display.h"
#include "session/notifier.h"
#include "solver/term_evaluator.h"

namespace pendrix {

inline constexpr char16_t kOneUnknownMessage[] =
    u"Eine Lösung wird nur für Terme und Gleichungen mit einer Unbekannten berechnet";
inline constexpr char16_t kOneUnknownCaption[] = u"Info";

// "%*.*f" with width 0 and precision 3, and the second solution's "{ %*.*f }".
std::u16string formatSolution(double value);
std::u16string formatSecondSolution(double value);

class EquationSolver {
 public:
  struct Sample {
    double x;
    double d;
  };

  // The evaluators belong to the dialog (left and right side); they must outlive this.
  EquationSolver(TermEvaluator& left, TermEvaluator& right) : left_(left), right_(right) {}

  void solve(FormulaGrid& grid, Notifier& notifier, SolutionDisplay& display);
  // The equation left = right, for callers that hold the texts already.
  void solveEquation(std::u16string_view left, std::u16string_view right, SolutionDisplay& display);

  int solutionCount() const { return count_; }
  // How many times D(x) was computed in the last solve.
  long evaluations() const { return evaluations_; }

 private:
  struct Difference {
    double d;
    bool ok;
  };
  Difference difference(double x);
  void solveTerm(FormulaGrid& grid, Notifier& notifier, SolutionDisplay& display);
  void scanWithSecant();
  bool secant(double lower, double upper);
  void newton();
  bool newtonFrom(double start);
  void touchingZeros();
  void touchingZeroNear(double c);
  // True when the command is finished (a second, different solution was shown).
  bool accept(double s);

  TermEvaluator& left_;
  TermEvaluator& right_;
  SolutionDisplay* display_ = nullptr;
  std::vector<Sample> samples_;
  int count_ = 0;
  double first_ = 0;
  bool done_ = false;
  long evaluations_ = 0;
};

}  // namespace pendrix

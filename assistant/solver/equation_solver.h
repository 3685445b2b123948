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

// "%*.*f" with width 0 and precision 3, and the second solution's "{ %*.*f }". The
// point is the C locale's; the displays show the user's decimal symbol.
std::u16string formatSolution(double value);
std::u16string formatSecondSolution(double value);

// True when the two parsed sides agree, but for rounding, at every point of the
// solver's scan: an equation that every number solves (7(x+9)=7x+63). Leaves the
// unknown's value of both evaluators at the last point.
bool sidesAgreeEverywhere(TermEvaluator& left, TermEvaluator& right);

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
  // Both sides, as they are parsed, agree at `x` but for rounding.
  bool sidesAgreeAt(double x) { return difference(x).sidesAgree; }
  // The equation held at every sample of the scan.
  bool everyNumberSolves() const { return agreedEverywhere_ && count_ == 0; }
  // How many times D(x) was computed in the last solve.
  long evaluations() const { return evaluations_; }

 private:
  struct Difference {
    double d;
    bool ok;
    bool sidesAgree;  // equal but for rounding
  };
  Difference difference(double x);
  void solveTerm(FormulaGrid& grid, Notifier& notifier, SolutionDisplay& display);
  void scanWithSecant();
  // After a scan that found nothing: true (and the display says so) when both sides
  // agreed at every sample, so that every number is a solution.
  bool showEveryNumber();
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
  bool agreedEverywhere_ = false;
  long evaluations_ = 0;
};

}  // namespace pendrix

#pragma once
// What an exercise promises a teacher, and the check of one drawn instance against it:
// the formula as the pupil sees it (no blank inside, no factor 1, no trivial or improper
// fraction, numbers of a school size) and what it asks for (a whole value, exactly so
// many solutions and never an identity). Values come from the core's evaluator, never
// from the display's text.

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "exercises/exercise_generator.h"
#include "exercises/exercise_set.h"
#include "formula/formula_grid.h"
#include "solver/term_evaluator.h"

namespace pendrix {

// What the exercise asks for.
enum class Shape {
  Value,         // a term without letters: its value
  Simplify,      // a term with letters, to be rewritten (no value)
  Equation,      // an equation in x: its solutions
  FillIn,        // an equation whose z the pupil fills in
  Substitution,  // "x=4|3x+5=_": the term's value for the given x
};

enum PromiseFlag : unsigned {
  kWhole = 1,              // the value, or every solution, is a whole number
  kNonNegative = 2,        // the value, or every solution, is not below 0
  kNegative = 4,           // at least one solution is below 0
  kFractional = 8,         // at least one solution is not whole
  kProperOnly = 16,   // every fraction written is below 1 (numerator below denominator)
  kReducible = 32,         // a fraction written can be reduced
  kTwoDecimals = 64,       // the value has at most two decimals
  kPositiveSolution = 128, // every solution is above 0
  kZeroSolution = 256,     // one solution is 0 (an equation without a number)
  kZeroRight = 512,        // the equation is written as … = 0
};

struct Promise {
  const char* area;   // the file's title
  const char* title;  // the exercise's title in the menu
  Shape shape;
  int solutions;  // Equation: exactly this many (0, 1 or 2)
  unsigned flags;
  double largestNumber;  // of every number written in the formula
  double largestResult;  // of the value's or a solution's size
  double largestDenominator = 20;
};

// One drawn instance: the grid as shown, and the rows with a fill-in's z still in them.
struct Drawn {
  FormulaGrid grid;
  ExerciseRows rows;
  ExerciseRows flags;
  double unknown = 0;  // the drawn x of a "Gleichung"
  bool drawnUnknownShown = false;
};

// "a x^2 + b x + c" fitted to left minus right; nullopt when the difference is no
// polynomial of degree 2 or less.
struct Quadratic {
  double a, b, c;
};

class PromiseCheck {
 public:
  explicit PromiseCheck(const Promise& promise) : p_(promise) {}

  // The faults of one instance, each a short sentence; empty when it keeps the promise.
  std::vector<std::string> faults(Drawn& drawn);

  // The solutions found for the last equation checked.
  const std::vector<double>& solutions() const { return solutions_; }

 private:
  void checkCells(Drawn& drawn);
  void checkTerms(Drawn& drawn);
  void checkNumbers(const std::u16string& term);
  void checkFractions(const std::u16string& term);
  void checkValue(Drawn& drawn);
  void checkEquation(Drawn& drawn, char16_t unknown);
  void checkSubstitution(Drawn& drawn);
  void checkResult(double value, const char* what);
  void fault(const std::string& text) { faults_.push_back(text); }

  const Promise& p_;
  std::vector<std::string> faults_;
  std::vector<double> solutions_;
  bool reducible_ = false;
};

// Loads shown rows into a grid as the exercise command does.
void loadShown(FormulaGrid& grid, const ExerciseRows& rows, const ExerciseRows& flags);

std::string describe(const FormulaGrid& grid);

}  // namespace pendrix

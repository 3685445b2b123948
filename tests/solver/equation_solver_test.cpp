#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "formula/formula_editor.h"
#include "solver/equation_solver.h"

namespace pendrix {
namespace {

class EquationSolverTest : public ::testing::Test {
 protected:
  // Typed as on the keyboard: "^" makes the next character a superscript.
  void solveTyped(std::u16string_view keys) {
    FormulaGrid grid;
    RecordingSolutionDisplay editing;
    FormulaEditor editor(grid, settings_, notifier_, editing);
    for (char16_t c : keys) editor.typeCharacter(c);
    solver_.solve(grid, notifier_, display_);
  }
  void solveSides(std::u16string_view left, std::u16string_view right) {
    // As the solve command prepares the fields before an equation's search.
    display_.setValueText(kNoSolutionText);
    display_.setStatusText(u"");
    solver_.solveEquation(left, right, display_);
  }

  Settings settings_;
  RecordingNotifier notifier_;
  RecordingSolutionDisplay display_;
  TermEvaluator left_;
  TermEvaluator right_;
  EquationSolver solver_{left_, right_};
};

TEST_F(EquationSolverTest, FormatsWithThreeDecimals) {
  EXPECT_EQ(formatSolution(2.5), u"2.500");
  EXPECT_EQ(formatSolution(-2), u"-2.000");
  EXPECT_EQ(formatSecondSolution(2), u"{ 2.000 }");
  EXPECT_EQ(formatSolution(1e300).size(), 305u);
}

TEST_F(EquationSolverTest, TermsWithoutUnknownsShowTheirValue) {
  solveTyped(u"7:2");
  EXPECT_EQ(display_.value, u"3.500");
  EXPECT_EQ(display_.status, u"");
  solveTyped(u"1:0");
  EXPECT_EQ(display_.value, u"----");
  solveTyped(u"ln(0)");
  EXPECT_EQ(display_.value, u"----");
  EXPECT_TRUE(notifier_.messages.empty());
}

// The letters of the evaluator's function names are no unknowns.
TEST_F(EquationSolverTest, TermsWithFunctionsShowTheirValue) {
  const struct {
    const char16_t* keys;
    const char16_t* value;
  } rows[] = {{u"cos(0)", u"1.000"},       {u"exp(1)", u"2.718"},         {u"pot(2;3)", u"8.000"},
              {u"sin(0)+cos(0)", u"1.000"}, {u"ln(exp(2))", u"2.000"},    {u"wur(9)+pot(3;2)", u"12.000"}};
  for (const auto& row : rows) {
    notifier_.messages.clear();
    solveTyped(row.keys);
    EXPECT_EQ(display_.value, row.value);
    EXPECT_TRUE(notifier_.messages.empty());
  }
}

TEST_F(EquationSolverTest, TermsWithLettersOrGapsGetTheMessage) {
  // "tan(" is no function of the evaluator: its t is the parameter.
  for (const char16_t* keys : {u"2x", u"a+1", u"_+1", u"tan(0)", u"cos(x)", u"exp(1)+c", u"2<x", u"^x2"}) {
    notifier_.messages.clear();
    solveTyped(keys);
    ASSERT_EQ(notifier_.messages.size(), 1u);
    EXPECT_EQ(notifier_.messages[0], kOneUnknownMessage);
    EXPECT_EQ(display_.value, u"----");
  }
}

TEST_F(EquationSolverTest, LinearAndQuadraticEquations) {
  solveTyped(u"2x+1=7");
  EXPECT_EQ(display_.value, u"3.000");
  EXPECT_EQ(display_.status, u"");
  EXPECT_EQ(solver_.solutionCount(), 1);

  solveTyped(u"x^2=4");
  EXPECT_EQ(display_.value, u"-2.000");
  EXPECT_EQ(display_.status, u"{ 2.000 }");
  EXPECT_EQ(solver_.solutionCount(), 2);
}

// Sides that agree at every point of the scan: every number solves the equation,
// where Newton's rule would have shown the first point it tried.
TEST_F(EquationSolverTest, EquationsTrueForEveryNumberSaySo) {
  for (const char16_t* keys : {u"7(x+9)=7x+63", u"2(x+5)=2x+10", u"x=x", u"(x+1)^2=x^2+2x+1", u"x:4=0,25x",
                               u"sin(x)^2+cos(x)^2=1", u"3(x+7)=3x+21"}) {
    solveTyped(keys);
    EXPECT_EQ(display_.value, kEveryNumberText);
    EXPECT_EQ(display_.status, u"");
  }
  for (const std::pair<const char16_t*, const char16_t*> row :
       {std::pair{u"x=x+1", u"----"}, {u"x=x+0,000001", u"----"}, {u"2x=2x+1", u"----"}, {u"x^2=x^2+x", u"0.000"}}) {
    solveTyped(row.first);
    EXPECT_EQ(display_.value, row.second);
  }
  TermEvaluator left, right;
  left.SetText(u"7(x+9)");
  left.Parse();
  right.SetText(u"7x+63");
  right.Parse();
  EXPECT_TRUE(sidesAgreeEverywhere(left, right));
  right.SetText(u"7x+62");
  right.Parse();
  EXPECT_FALSE(sidesAgreeEverywhere(left, right));
}

TEST_F(EquationSolverTest, TouchingZeroIsOneSolution) {
  solveTyped(u"(x-2)^2=0");
  EXPECT_EQ(display_.value, u"2.000");
  EXPECT_EQ(display_.status, u"");
  solveSides(u"(x+3)^(2)", u"0");
  EXPECT_EQ(display_.value, u"-3.000");
  EXPECT_EQ(display_.status, u"");
}

// Distinct solutions are shown however close they lie, a double root once. The first
// display is what the search meets first: the upward scan, then after its first hit
// the downward scan from 1000.1, then Newton's rule from the best samples and the far
// points, then touching zeros.
TEST_F(EquationSolverTest, DistinctRootsAndDoubleRoots) {
  struct Row {
    const char16_t* left;
    const char16_t* right;
    const char16_t* value;
    const char16_t* status;
  };
  const Row rows[] = {
      // Roots 0.002 apart inside one scan interval: no sign change, Newton's rule finds both.
      {u"(x-0.999)*(x-1.001)", u"0", u"0.999", u"{ 1.001 }"},
      {u"(x-1.2)*(x-1.202)", u"0", u"1.200", u"{ 1.202 }"},
      {u"(x)^(2)", u"0.000001", u"-0.001", u"{ 0.001 }"},
      // Three roots whose middle one is the midpoint of the others: the upward scan
      // meets 1, the downward scan 3.
      {u"(x-1)*(x-2)*(x-3)", u"0", u"1.000", u"{ 3.000 }"},
      {u"(x+1)*x*(x-1)", u"0", u"-1.000", u"{ 1.000 }"},
      // Double roots, reached by Newton's rule from both sides: shown once.
      {u"(x-0.5)^(2)", u"0", u"0.500", u""},
      {u"(x-1)^(2)", u"0", u"1.000", u""},
      {u"(2*x-2)^(2)", u"0", u"1.000", u""},
      // The scan finds 3 first; Newton's rule adds the root beyond the scan range.
      {u"(x-3)*(x-5000)", u"0", u"3.000", u"{ 5000.000 }"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.left, row.left + std::char_traits<char16_t>::length(row.left)));
    solveSides(row.left, row.right);
    EXPECT_EQ(display_.value, row.value);
    EXPECT_EQ(display_.status, row.status);
    EXPECT_EQ(solver_.solutionCount(), row.status[0] ? 2 : 1);
  }
}

TEST_F(EquationSolverTest, TwoDoubleRootsAreTwoSolutions) {
  // The residual tolerance accepts points a little off a flat zero, so only the
  // neighbourhood is certain; the two must not be merged into one.
  solveSides(u"(x-0.5)^(2)*(x-1)^(2)", u"0");
  ASSERT_EQ(solver_.solutionCount(), 2);
  ASSERT_EQ(display_.status.substr(0, 2), u"{ ");
  const std::string first(display_.value.begin(), display_.value.end());
  const std::string second(display_.status.begin() + 2, display_.status.end() - 2);
  const double low = std::min(std::stod(first), std::stod(second));
  const double high = std::max(std::stod(first), std::stod(second));
  EXPECT_NEAR(low, 0.5, 0.003);
  EXPECT_NEAR(high, 1.0, 0.003);
}

TEST_F(EquationSolverTest, TypedExamplesOfCloseAndMultipleRoots) {
  solveTyped(u"x^2=0.000001");
  EXPECT_EQ(display_.value, u"-0.001");
  EXPECT_EQ(display_.status, u"{ 0.001 }");
  solveTyped(u"(x-1)(x-2)(x-3)=0");
  EXPECT_EQ(display_.value, u"1.000");
  EXPECT_EQ(display_.status, u"{ 3.000 }");
  solveTyped(u"(x-2)^2=0");
  EXPECT_EQ(display_.value, u"2.000");
  EXPECT_EQ(display_.status, u"");
}

TEST_F(EquationSolverTest, NoSolutionAndFarSolutions) {
  solveTyped(u"x=x+1");
  EXPECT_EQ(display_.value, u"----");
  EXPECT_EQ(display_.status, u"");
  EXPECT_EQ(solver_.solutionCount(), 0);
  solveTyped(u"x=5000000");
  EXPECT_EQ(display_.value, u"5000000.000");
  solveSides(u"x", u"-20000");
  EXPECT_EQ(display_.value, u"-20000.000");
}

TEST_F(EquationSolverTest, FailingSamplesDoNotStopTheSearch) {
  solveSides(u"((1)/(x))", u"2");
  EXPECT_EQ(display_.value, u"0.500");
  solveSides(u"wur(x)", u"3");
  EXPECT_EQ(display_.value, u"9.000");
  solveSides(u"ln(x)", u"0");
  EXPECT_EQ(display_.value, u"1.000");
}

TEST_F(EquationSolverTest, RootDegreeAndTooManySidesAreNotSolved) {
  FormulaGrid grid;
  RecordingSolutionDisplay editing;
  FormulaEditor editor(grid, settings_, notifier_, editing);
  editor.pressButton(kButtonCubeRoot);
  editor.typeCharacter(u'8');
  solver_.solve(grid, notifier_, display_);
  EXPECT_EQ(display_.value, u"----");
  EXPECT_TRUE(notifier_.messages.empty());

  solveTyped(u"1=1=1");
  EXPECT_EQ(display_.value, u"----");
}

}  // namespace
}  // namespace pendrix

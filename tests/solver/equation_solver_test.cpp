#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formula/formula_editor.h"
#include "solver/equation_solver.h"

namespace pendrix {
namespace {

struct RecordingNotifier : Notifier {
  std::vector<std::u16string> messages;
  void showInfo(const std::u16string&, const std::u16string& text) override { messages.push_back(text); }
  bool askYesNo(const std::u16string&, const std::u16string&) override { return true; }
};

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
  void solveSides(std::u16string_view left, std::u16string_view right) { solver_.solveEquation(left, right, display_); }

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

TEST_F(EquationSolverTest, TermsWithLettersOrGapsGetTheMessage) {
  for (const char16_t* keys : {u"2x", u"a+1", u"_+1"}) {
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

TEST_F(EquationSolverTest, TouchingZeroIsOneSolution) {
  solveTyped(u"(x-2)^2=0");
  EXPECT_EQ(display_.value, u"2.000");
  EXPECT_EQ(display_.status, u"");
  solveSides(u"(x+3)^(2)", u"0");
  EXPECT_EQ(display_.value, u"-3.000");
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

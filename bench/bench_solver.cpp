// One evaluation of a typical chain, and full solves of the equation cases, including
// the worst case without a solution, where every phase runs to its end.

#include <benchmark/benchmark.h>

#include "formula/solution_display.h"
#include "solver/equation_solver.h"

namespace {

using pendrix::EquationSolver;
using pendrix::RecordingSolutionDisplay;
using pendrix::TermEvaluator;

void evaluateTypicalChain(benchmark::State& state) {
  TermEvaluator evaluator;
  evaluator.SetText(u"3x^(2)-((2x+1)/(x-4))+5:2-x*7");
  evaluator.Parse();
  state.counters["nodes"] = static_cast<double>(evaluator.nodes().size());
  double x = 1.5;
  for (auto _ : state) {
    evaluator.SetUnknown(x);
    benchmark::DoNotOptimize(evaluator.Evaluate());
    benchmark::DoNotOptimize(evaluator.Result());
  }
}
BENCHMARK(evaluateTypicalChain);

void solve(benchmark::State& state, const char16_t* left, const char16_t* right) {
  TermEvaluator leftSide;
  TermEvaluator rightSide;
  EquationSolver solver(leftSide, rightSide);
  RecordingSolutionDisplay display;
  for (auto _ : state) {
    solver.solveEquation(left, right, display);
    benchmark::DoNotOptimize(display.value);
  }
  state.counters["D_evaluations"] = static_cast<double>(solver.evaluations());
}
BENCHMARK_CAPTURE(solve, linear_2x_plus_1_eq_7, u"2x+1", u"7")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(solve, square_x2_eq_4, u"x^(2)", u"4")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(solve, touching_x_minus_2_squared, u"(x-2)^(2)", u"0")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(solve, far_x_eq_5000000, u"x", u"5000000")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(solve, worst_x_eq_x_plus_1, u"x", u"x+1")->Unit(benchmark::kMicrosecond);

}  // namespace

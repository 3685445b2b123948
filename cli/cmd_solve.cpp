// pendrix-cli eval and solve: the term evaluator and the solve command on the console.

#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "cli_common.h"
#include "commands.h"
#include "session/text_codec.h"
#include "solver/equation_solver.h"
#include "solver/term_evaluator.h"

namespace pendrix::cli {

namespace {

std::string fullPrecision(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.17g", value);
  return text;
}

bool parseDouble(const std::string& text, double& value) {
  try {
    size_t used = 0;
    value = std::stod(text, &used);
    return used == text.size();
  } catch (...) {
    return false;
  }
}

class RecordingNotifier : public Notifier {
 public:
  void showInfo(const std::u16string&, const std::u16string& text) override { messages.push_back(text); }
  bool askYesNo(const std::u16string&, const std::u16string& text) override {
    messages.push_back(text);
    return true;
  }
  std::vector<std::u16string> messages;
};

}  // namespace

int runEval(const Args& args, std::ostream& out, std::ostream& err) {
  double x = 0;
  double t = 0;
  std::string text;
  bool haveText = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const bool option = !haveText && (args[i] == "--x" || args[i] == "--t");
    if (option) {
      if (i + 1 >= args.size() || !parseDouble(args[i + 1], args[i] == "--x" ? x : t)) {
        err << "pendrix-cli eval: " << args[i] << " needs a number\n";
        return 2;
      }
      ++i;
    } else if (!haveText && args[i] == "--" && i + 1 < args.size()) {
      text = args[++i];
      haveText = true;
    } else if (!haveText) {
      text = args[i];
      haveText = true;
    } else {
      err << "pendrix-cli eval: one TEXT only\n";
      return 2;
    }
  }
  if (!haveText) {
    err << "pendrix-cli eval: TEXT missing\n";
    return 2;
  }
  resetEvaluationIndicators();
  TermEvaluator evaluator;
  evaluator.SetText(fromUtf8(text));
  evaluator.Parse();
  evaluator.SetUnknown(x);
  evaluator.SetParameter(t);
  const int error = evaluator.Evaluate();
  out << "value=" << fullPrecision(evaluator.Result()) << "\n"
      << "error=" << error << "\n"
      << "DivisionByZeroCount=" << DivisionByZeroCount << "\n"
      << "FractionalQuotientCount=" << FractionalQuotientCount << "\n"
      << "NegativeValueFlag=" << (NegativeValueFlag ? 1 : 0) << "\n"
      << "GapFlag=" << (GapFlag ? 1 : 0) << "\n"
      << "stop=" << evaluator.stopPosition() << "\n";
  return 0;
}

int runSolve(const Args& args, std::ostream& out, std::ostream& err) {
  FormulaArgs formula;
  if (!parseFormulaArgs(args, formula, err)) return 2;
  FormulaGrid grid;
  RecordingNotifier notifier;
  RecordingSolutionDisplay display;
  if (!typeKeys(formula.keys, grid, formula.settings, notifier, display, err)) return 2;
  notifier.messages.clear();
  TermEvaluator left(formula.settings.record());
  TermEvaluator right(formula.settings.record());
  EquationSolver(left, right).solve(grid, notifier, display);
  const char16_t decimal = shownDecimalSymbol(formula.settings);
  out << printable(withDecimalSymbol(display.value, decimal)) << "\n"
      << printable(withDecimalSymbol(display.status, decimal)) << "\n";
  for (const std::u16string& message : notifier.messages) out << "message: " << messageLine(message) << "\n";
  return 0;
}

}  // namespace pendrix::cli

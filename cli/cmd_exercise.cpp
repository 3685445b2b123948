// pendrix-cli exercise FILE N [--seed S] [--settings FILE] [--again]: opens the
// exercise file (completing it as the assistant does), runs the exercise command
// for exercise N and prints, one item per line:
//   row0= row1= row2=     the grid rows after the command, cell by cell as grid prints them
//   eq=                   the EQ field code of that grid, in the settings' notation
//   text=                 the statement text
//   display1009= display1031=
//   message: TEXT         for every message box, in order
// --again runs the command once more with -1 (the same exercise, new numbers) and
// prints the same block again. Without --seed the current time seeds the draws.

#include <ctime>
#include <ostream>
#include <string>
#include <vector>

#include "cli_common.h"
#include "commands.h"
#include "exercises/exercise_command.h"
#include "formula/eq_writer.h"
#include "session/text_codec.h"
#include "solver/equation_solver.h"

namespace pendrix::cli {

namespace {

struct ConsoleDialog : ExerciseView {
  void showStatement(const std::u16string& text) override { statement = text; }
  void rememberExerciseNumber(int) override {}  // the console leaves the settings file alone
  void solve() override { EquationSolver(left, right).solve(grid, notifier, display); }

  explicit ConsoleDialog(uint32_t seed) : source(seed) {}
  FormulaGrid grid;
  TermEvaluator left;
  TermEvaluator right;
  RecordingSolutionDisplay display;
  RecordingNotifier notifier;
  CrtRandom source;
  ExerciseRandom random{source};
  ExerciseCommand command{{grid, left, right, display, notifier, *this, random}};
  std::u16string statement;
};

struct ExerciseArgs {
  std::string file;
  int number = 0;
  uint32_t seed = 0;
  bool seeded = false;
  bool again = false;
  std::string settings;
};

bool parseNumber(const std::string& text, long long& value) {
  try {
    size_t used = 0;
    value = std::stoll(text, &used);
    return used == text.size();
  } catch (...) {
    return false;
  }
}

bool parseArgs(const Args& args, ExerciseArgs& out, std::ostream& err) {
  std::vector<std::string> positional;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    long long value = 0;
    if (arg == "--again") {
      out.again = true;
    } else if (arg == "--seed" || arg == "--settings") {
      if (i + 1 >= args.size()) {
        err << "pendrix-cli: " << arg << " needs a value\n";
        return false;
      }
      const std::string& next = args[++i];
      if (arg == "--settings") {
        out.settings = next;
      } else if (!parseNumber(next, value) || value < 0 || value > 0xFFFFFFFFLL) {
        err << "pendrix-cli: --seed needs a number from 0 to 4294967295\n";
        return false;
      } else {
        out.seed = static_cast<uint32_t>(value);
        out.seeded = true;
      }
    } else {
      positional.push_back(arg);
    }
  }
  long long number = 0;
  if (positional.size() != 2 || !parseNumber(positional[1], number) || number < -1 || number > 1000) {
    err << "pendrix-cli: usage: exercise FILE N [--seed S] [--settings FILE] [--again]\n";
    return false;
  }
  out.file = positional[0];
  out.number = static_cast<int>(number);
  return true;
}

void printRun(ConsoleDialog& dialog, const Settings& settings, std::ostream& out) {
  for (int row = 0; row < FormulaGrid::kRows; ++row) out << "row" << row << "=" << rowCells(dialog.grid, row) << "\n";
  out << "eq=" << printable(generateEqCode(dialog.grid, settings.record()).text) << "\n";
  out << "text=" << printable(dialog.statement) << "\n";
  const char16_t decimal = shownDecimalSymbol(settings);
  out << "display1009=" << printable(withDecimalSymbol(dialog.display.value, decimal)) << "\n";
  out << "display1031=" << printable(withDecimalSymbol(dialog.display.status, decimal)) << "\n";
  for (const std::u16string& message : dialog.notifier.messages) out << "message: " << messageLine(message) << "\n";
  dialog.notifier.messages.clear();
}

}  // namespace

int runExercise(const Args& args, std::ostream& out, std::ostream& err) {
  ExerciseArgs parsed;
  if (!parseArgs(args, parsed, err)) return 2;
  // The notation of the settings file shapes the EQ code and the shown values only;
  // the draws do not depend on it.
  FormulaArgs notation;
  if (!parsed.settings.empty() && !parseFormulaArgs({"--settings", parsed.settings, ""}, notation, err)) return 2;
  const uint32_t seed = parsed.seeded ? parsed.seed : static_cast<uint32_t>(std::time(nullptr));
  ConsoleDialog dialog(seed);
  auto store = makePortableProfileStore();
  ExerciseSet set(*store);
  set.Open(fromUtf8(parsed.file));
  dialog.command.setExerciseSet(&set, set.Kind());
  resetSolutionDisplay(dialog.display);
  dialog.command.run(parsed.number);
  printRun(dialog, notation.settings, out);
  if (parsed.again) {
    dialog.command.run(-1);
    printRun(dialog, notation.settings, out);
  }
  return 0;
}

}  // namespace pendrix::cli

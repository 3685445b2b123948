// pendrix-cli worksheet [--settings FILE] FILE [--count N] [--mode all|one|mixed]
// [--exercise N] [--seed S]: draws a worksheet from the exercise file (completing it as
// the assistant does) with the assistant's own code and prints it, one item per line:
//   Arbeitsblatt: TITLE     the heading, TITLE being the file name without extension
//   1) TEXT                 each exercise's number and text line,
//   EQ ...                  then its field code in the settings' notation
//   Lösungen                the answer key's heading,
//   1) KEY                  then each exercise's solution line or value
//   message: TEXT           what the assistant says about places left out
// --mode one needs --exercise. Without --seed the current time seeds the draws.

#include <ctime>
#include <ostream>
#include <string>
#include <vector>

#include "cli_common.h"
#include "commands.h"
#include "exercises/exercise_menus.h"
#include "exercises/worksheet.h"
#include "session/text_codec.h"

namespace pendrix::cli {

namespace {

constexpr char kUsage[] =
    "pendrix-cli: usage: worksheet [--settings FILE] FILE [--count N] [--mode all|one|mixed] [--exercise N] "
    "[--seed S]\n";

struct WorksheetArgs {
  std::string file;
  std::string settings;
  WorksheetRequest request;
  uint32_t seed = 0;
  bool seeded = false;
};

bool parseNumber(const std::string& text, long long low, long long high, long long& value) {
  try {
    size_t used = 0;
    value = std::stoll(text, &used);
    return used == text.size() && value >= low && value <= high;
  } catch (...) {
    return false;
  }
}

bool parseMode(const std::string& text, WorksheetMode& mode) {
  static constexpr struct {
    const char* name;
    WorksheetMode mode;
  } kModes[] = {{"all", WorksheetMode::InOrder}, {"one", WorksheetMode::ChosenExercise}, {"mixed", WorksheetMode::Mixed}};
  for (const auto& entry : kModes) {
    if (text != entry.name) continue;
    mode = entry.mode;
    return true;
  }
  return false;
}

bool parseArgs(const Args& args, WorksheetArgs& out, std::ostream& err) {
  std::vector<std::string> positional;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg.rfind("--", 0) != 0) {
      positional.push_back(arg);
      continue;
    }
    if (i + 1 >= args.size()) {
      err << "pendrix-cli: " << shownArgument(arg) << " needs a value\n";
      return false;
    }
    const std::string& value = args[++i];
    long long number = 0;
    if (arg == "--settings") {
      out.settings = value;
    } else if (arg == "--mode") {
      if (!parseMode(value, out.request.mode)) {
        err << "pendrix-cli: --mode is all, one or mixed\n";
        return false;
      }
    } else if (arg == "--count") {
      if (!parseNumber(value, kMinWorksheetCount, kMaxWorksheetCount, number)) {
        err << "pendrix-cli: --count needs a number from 1 to 40\n";
        return false;
      }
      out.request.count = static_cast<int>(number);
    } else if (arg == "--exercise") {
      if (!parseNumber(value, 1, kMaxExercises, number)) {
        err << "pendrix-cli: --exercise needs a number from 1 to 21\n";
        return false;
      }
      out.request.chosenExercise = static_cast<int>(number);
    } else if (arg == "--seed") {
      if (!parseNumber(value, 0, 0xFFFFFFFFLL, number)) {
        err << "pendrix-cli: --seed needs a number from 0 to 4294967295\n";
        return false;
      }
      out.seed = static_cast<uint32_t>(number);
      out.seeded = true;
    } else {
      err << "pendrix-cli: unknown option " << shownArgument(arg) << "\n" << kUsage;
      return false;
    }
  }
  if (positional.size() != 1) {
    err << kUsage;
    return false;
  }
  if (out.request.mode == WorksheetMode::ChosenExercise && out.request.chosenExercise < 1) {
    err << "pendrix-cli: --mode one needs --exercise N\n";
    return false;
  }
  out.file = positional[0];
  return true;
}

void printSheet(const Worksheet& sheet, const ExerciseSet& set, std::ostream& out) {
  out << printable(kWorksheetHeading + sheet.title) << "\n";
  for (size_t i = 0; i < sheet.entries.size(); ++i) {
    const WorksheetEntry& entry = sheet.entries[i];
    out << printable(numberedLine(static_cast<int>(i + 1), entry.statement)) << "\n";
    out << printable(entry.code.text) << "\n";
  }
  out << printable(kSolutionsHeading) << "\n";
  for (size_t i = 0; i < sheet.entries.size(); ++i)
    out << printable(numberedLine(static_cast<int>(i + 1), sheet.entries[i].key)) << "\n";
  const std::u16string message = sheet.entries.empty() ? kNothingDrawn : leftOutMessage(sheet, set);
  if (!message.empty()) out << "message: " << messageLine(message) << "\n";
}

}  // namespace

int runWorksheet(const Args& args, std::ostream& out, std::ostream& err) {
  WorksheetArgs parsed;
  if (!parseArgs(args, parsed, err)) return 2;
  FormulaArgs notation;
  if (!parsed.settings.empty() && !parseFormulaArgs({"--settings", parsed.settings, ""}, notation, err)) return 2;
  auto store = makePortableProfileStore();
  ExerciseSet set(*store);
  const std::u16string path = fromUtf8(parsed.file);
  set.Open(path);
  if (parsed.request.mode == WorksheetMode::ChosenExercise && parsed.request.chosenExercise > set.count()) {
    err << "pendrix-cli: the file has " << set.count() << " exercises\n";
    return 2;
  }
  CrtRandom source(parsed.seeded ? parsed.seed : static_cast<uint32_t>(std::time(nullptr)));
  ExerciseRandom random(source);
  const Worksheet sheet = drawWorksheet(set, exerciseFileTitle(path), parsed.request, notation.settings.record(), random);
  printSheet(sheet, set, out);
  return 0;
}

}  // namespace pendrix::cli

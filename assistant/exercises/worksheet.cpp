#include "exercises/worksheet.h"

#include <algorithm>
#include <optional>
#include <set>
#include <utility>

#include "exercises/exercise_command.h"
#include "formula/word_output_rules.h"
#include "solver/equation_solver.h"

namespace pendrix {
namespace {

std::u16string decimal(int value) {
  const std::string text = std::to_string(value);
  return std::u16string(text.begin(), text.end());
}

// The solution display pads its texts for the centred control; the sheet does not.
std::u16string withoutBlanks(const std::u16string& text) {
  const size_t first = text.find_first_not_of(u' ');
  if (first == std::u16string::npos) return {};
  return text.substr(first, text.find_last_not_of(u' ') - first + 1);
}

// One exercise command of its own, as the dialog has one, over a grid, evaluators and
// displays that only the sheet sees: the dialog's formula and settings stay as they are.
class PlaceDrawer final : private ExerciseView {
 public:
  PlaceDrawer(ExerciseSet& set, const SettingsRecord& notation, ExerciseRandom& random)
      : set_(set), kind_(set.Kind()), notation_(notation), command_({grid_, left_, right_, display_, notifier_, *this, random}) {}

  // One fresh instance of `exercise`, or none when the command gave up on it.
  std::optional<WorksheetEntry> draw(int exercise) {
    notifier_.messages.clear();
    statement_.clear();
    solved_ = false;
    resetSolutionDisplay(display_);
    // A fill-in exercise turns the command's kind into "Gleichung" for itself only.
    command_.setExerciseSet(&set_, kind_);
    command_.run(exercise);
    if (!notifier_.messages.empty()) return std::nullopt;
    WorksheetEntry entry;
    entry.exercise = exercise;
    entry.statement = statement_;
    entry.code = generateEqCode(grid_, notation_);
    entry.kind = command_.kind();
    entry.key = key(entry.kind);
    entry.rows = command_.generator().shown();
    return entry;
  }

 private:
  void showStatement(const std::u16string& text) override { statement_ = text; }
  void rememberExerciseNumber(int) override {}  // the dialog's remembered choice stays
  void solve() override {
    EquationSolver(left_, right_).solve(grid_, notifier_, display_);
    solved_ = true;
  }

  // The line the solution display's "insert solution" would write for an equation,
  // "= " and the value for a term.
  std::u16string key(ExerciseKind kind) const {
    const std::u16string value = withoutBlanks(display_.value);
    if (value.empty() || value == kNoSolutionText) {
      // The solver searched its whole range: the equation has no solution there.
      return solved_ && kind != ExerciseKind::Term ? kEmptySolutionSet : kKeyNotComputed;
    }
    return kind == ExerciseKind::Term ? u"= " + value : solutionLine(value, display_.status);
  }

  ExerciseSet& set_;
  const ExerciseKind kind_;
  const SettingsRecord& notation_;
  FormulaGrid grid_;
  TermEvaluator left_;
  TermEvaluator right_;
  RecordingSolutionDisplay display_;
  RecordingNotifier notifier_;
  ExerciseCommand command_;
  std::u16string statement_;
  bool solved_ = false;
};

// "gemischt": the area's exercises dealt from a shuffled pile, each once before any
// comes again, so that a sheet mixes as many of them as it has places for.
class MixedPile {
 public:
  MixedPile(int exercises, ExerciseRandom& random) : exercises_(exercises), random_(random) {}

  // The next exercise that can still give new formulas; when none can, the next one
  // dealt (its place is then left out).
  int next(const std::vector<bool>& exhausted) {
    for (int dealt = 0; dealt < 2 * exercises_; ++dealt) {
      const int exercise = deal();
      if (!exhausted[exercise]) return exercise;
    }
    return deal();
  }

 private:
  int deal() {
    if (pile_.empty()) {
      for (int n = exercises_; n >= 1; --n) pile_.push_back(n);
      for (size_t i = pile_.size(); i > 1; --i)
        std::swap(pile_[i - 1], pile_[static_cast<size_t>(random_.draw()) % i]);
    }
    const int exercise = pile_.back();
    pile_.pop_back();
    return exercise;
  }

  int exercises_;
  ExerciseRandom& random_;
  std::vector<int> pile_;
};

}  // namespace

Worksheet drawWorksheet(ExerciseSet& set, const std::u16string& title, const WorksheetRequest& request,
                        const SettingsRecord& notation, ExerciseRandom& random) {
  Worksheet sheet;
  sheet.title = title;
  sheet.requested = std::clamp(request.count, kMinWorksheetCount, kMaxWorksheetCount);
  const int exercises = set.count();
  std::vector<bool> exhausted(static_cast<size_t>(exercises) + 1, false);
  std::set<std::u16string> codes;
  PlaceDrawer drawer(set, notation, random);
  MixedPile pile(exercises, random);

  // A new formula of `exercise` for the next place; an exercise that cannot give one
  // within the draws of a place gets no further place.
  const auto place = [&](int exercise) {
    if (exercise < 1 || exercise > exercises || exhausted[exercise]) return false;
    for (int draw = 0; draw < kDrawsPerPlace; ++draw) {
      std::optional<WorksheetEntry> entry = drawer.draw(exercise);
      if (!entry || !codes.insert(entry->code.text).second) continue;
      sheet.entries.push_back(std::move(*entry));
      return true;
    }
    exhausted[exercise] = true;
    return false;
  };
  const auto anyLeft = [&] { return std::find(exhausted.begin() + 1, exhausted.end(), false) != exhausted.end(); };

  for (int n = 0; n < sheet.requested; ++n) {
    int exercise = 0;
    switch (request.mode) {
      case WorksheetMode::InOrder: exercise = exercises > 0 ? n % exercises + 1 : 0; break;
      case WorksheetMode::ChosenExercise: exercise = request.chosenExercise; break;
      case WorksheetMode::Mixed: exercise = exercises > 0 ? pile.next(exhausted) : 0; break;
    }
    bool placed = place(exercise);
    // A mixed place is no exercise's own: the next one dealt takes it.
    while (!placed && request.mode == WorksheetMode::Mixed && exercises > 0 && anyLeft()) {
      exercise = pile.next(exhausted);
      placed = place(exercise);
    }
    if (!placed) sheet.leftOut.push_back(exercise);
  }
  return sheet;
}

std::u16string numberedLine(int number, const std::u16string& text) { return decimal(number) + u") " + text; }

std::u16string leftOutMessage(const Worksheet& sheet, const ExerciseSet& set) {
  if (sheet.leftOut.empty()) return {};
  std::vector<std::pair<int, int>> counts;  // exercise, places left out
  for (int exercise : sheet.leftOut) {
    auto found = std::find_if(counts.begin(), counts.end(), [&](const auto& c) { return c.first == exercise; });
    if (found == counts.end()) {
      counts.emplace_back(exercise, 1);
    } else {
      ++found->second;
    }
  }
  std::u16string text = u"Auf dem Arbeitsblatt stehen " + decimal(static_cast<int>(sheet.entries.size())) +
                        u" von " + decimal(sheet.requested) +
                        u" Aufgaben.\nAusgelassen, weil sich keine neue Formel ziehen ließ:";
  for (size_t i = 0; i < counts.size(); ++i) {
    text += i == 0 ? u" „" : u", „";
    const int exercise = counts[i].first;
    text += (exercise >= 1 ? set.Title(exercise - 1) : kNoTitle) + u"“ " + decimal(counts[i].second) + u"-mal";
  }
  return text + u".";
}

}  // namespace pendrix

// The exercise command over the real grid, evaluator and solver: the shipped files
// drawn 200 times each, and the rules of acceptance and display.
#include <gtest/gtest.h>

#include <chrono>

#include <cmath>
#include <filesystem>
#include <map>
#include <vector>

#include "shipped_draws.h"
#include "exercise_harness.h"

namespace pendrix {
namespace {

namespace fs = std::filesystem;

// Writes keys into memory, as a file that is already complete would be read.
class MemoryStore : public ProfileStore {
 public:
  std::map<std::u16string, std::u16string> values;
  std::u16string readString(const std::u16string&, const std::u16string&, const std::u16string& key,
                            const std::u16string& fallback, size_t capacity) override {
    auto it = values.find(key);
    return it == values.end() ? fallback : it->second.substr(0, capacity - 1);
  }
  bool writeString(const std::u16string&, const std::u16string&, const std::u16string& key,
                   const std::u16string& value) override {
    values[key] = value;
    return true;
  }
  bool writeKeepsContent(const std::u16string&) override { return true; }
};

TEST(ExerciseCommand, WithoutAChosenExerciseAsksForOne) {
  ExerciseDialog dialog;
  dialog.command.run(-1);
  ASSERT_EQ(dialog.notifier.messages, std::vector<std::u16string>{kChooseExerciseFirst});
  MemoryStore store;
  ExerciseSet set(store);
  set.Open(u"empty.wrx");
  dialog.command.setExerciseSet(&set, set.Kind());
  dialog.command.run(3);  // the file has no third exercise
  EXPECT_EQ(dialog.notifier.messages.size(), 2u);
  EXPECT_EQ(dialog.remembered, 3);
}

TEST(ExerciseCommand, LinearEquationRightSideFitsTheDrawnSolution) {
  MemoryStore store;
  store.values = {{u"Anzahl", u"2"},           {u"TermTyp", u"Gleichung"}, {u"TITEL__0", u"lineare Gleichung"},
                  {u"TEXT___0", u"Löse die Gleichung"}, {u"AUFGABE1", u"3x+5=99L"}, {u"PARAX__0", u"2"},
                  {u"AUFGABE4", u"2(x+3)=99L"}, {u"PARAX__1", u"2"}};
  ExerciseSet set(store);
  set.Open(u"linear.wrx");
  ExerciseDialog dialog;
  dialog.command.setExerciseSet(&set, set.Kind());
  for (uint32_t seed = 1; seed <= 100; ++seed) {
    dialog.source.seed(seed);
    dialog.command.run(seed % 2 ? 1 : -1);
    ASSERT_TRUE(dialog.notifier.messages.empty());
    EXPECT_EQ(dialog.statement, u"Löse die Gleichung");
    const std::u16string main = rowText(dialog.grid, ROW_MAIN);
    const double x = dialog.command.unknownValue();
    ASSERT_GE(x, 1);
    ASSERT_LE(x, 9);
    ASSERT_EQ(dialog.display.value, formatSolution(x)) << narrow(main);
    ASSERT_EQ(gridDifference(dialog.grid, x), 0) << narrow(main);
    ASSERT_GE(main[0], u'1');
    ASSERT_LE(main[0], u'3');
    ASSERT_GE(main[3], u'1');
    ASSERT_LE(main[3], u'5');
  }
  EXPECT_EQ(dialog.remembered, 1);
}

TEST(ExerciseCommand, TermWithAnyQuotientIsAcceptedAtOnce) {
  MemoryStore store;
  store.values = {{u"Anzahl", u"3"}, {u"AUFGABE1", u"12:5"}, {u"AUFGABE4", u"9:0"}, {u"AUFGABE7", u"999:9T"}};
  ExerciseSet set(store);
  set.Open(u"terms.wrx");
  ExerciseDialog dialog;
  dialog.command.setExerciseSet(&set, set.Kind());
  for (uint32_t seed = 1; seed <= 50; ++seed) {
    dialog.source.seed(seed);
    dialog.command.run(1);
    ASSERT_TRUE(dialog.notifier.messages.empty());
    const std::u16string main = rowText(dialog.grid, ROW_MAIN);
    const double a = std::stod(narrow(main.substr(0, main.find(u':'))));
    const double b = std::stod(narrow(main.substr(main.find(u':') + 1)));
    ASSERT_EQ(dialog.display.value, formatSolution(a / b));
  }
  // Only a division by zero starts a new attempt; after 100 the grid stays empty.
  dialog.command.run(2);
  EXPECT_EQ(dialog.notifier.messages, std::vector<std::u16string>{kTryAgain});
  EXPECT_EQ(dialog.grid.length(), 0);
  EXPECT_EQ(dialog.display.value, kNoSolutionText);
  // T is raised until the quotient is whole (or its limit is reached).
  int whole = 0;
  for (uint32_t seed = 1; seed <= 50; ++seed) {
    dialog.source.seed(seed);
    dialog.command.run(3);
    const std::u16string main = rowText(dialog.grid, ROW_MAIN);
    const long a = std::stol(narrow(main.substr(0, 3)));
    const long b = std::stol(narrow(main.substr(4)));
    whole += a % b == 0;
    ASSERT_TRUE(a % b == 0 || b == 99) << narrow(main);
  }
  EXPECT_GT(whole, 0);
}

TEST(ExerciseCommand, ZExercisesCountAsEquationsAndHideTheirZ) {
  MemoryStore store;
  store.values = {{u"Anzahl", u"1"}, {u"AUFGABE1", u"99+z=99L"}, {u"PARAX__0", u"2"}};
  ExerciseSet set(store);
  set.Open(u"z.wrx");
  ExerciseDialog dialog;
  dialog.command.setExerciseSet(&set, set.Kind());
  dialog.command.run(1);
  ASSERT_TRUE(dialog.notifier.messages.empty());
  EXPECT_EQ(dialog.command.kind(), ExerciseKind::Equation);
  EXPECT_EQ(rowText(dialog.grid, ROW_MAIN).find(u'z'), std::u16string::npos);
  EXPECT_EQ(rowText(dialog.grid, ROW_MAIN)[3], u' ');  // the blank the pupil fills in
  EXPECT_EQ(dialog.display.value, formatSolution(dialog.command.unknownValue()));
}

fs::path shippedDirectory() {
  return fs::path(PENDRIX_TEST_DATA).parent_path().parent_path() / "assistant" / "exercises" / "files";
}

// Every exercise of every shipped file, drawn with seeds of its own, shows what its kind
// shows (what each promises a teacher is the library test's business).
TEST(ShippedExercises, EveryExerciseShowsItsValueOrSolution) {
  constexpr int kDraws = kShippedDraws / 5;
  constexpr int kSolvedDraws = 10;  // the full numerical search is slow; run it on some draws
  MemoryStore unusedStore;
  auto store = makePortableProfileStore();
  const fs::path copies = fs::temp_directory_path() / ("pendrix-exercise-command-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
  fs::remove_all(copies);
  fs::create_directories(copies);
  int files = 0;
  for (const auto& entry : fs::directory_iterator(shippedDirectory())) {
    if (entry.path().extension() != ".wrx") continue;
    ++files;
    const fs::path file = copies / entry.path().filename();
    fs::copy_file(entry.path(), file);
    ExerciseSet set(*store);
    set.Open(file.u16string());
    ExerciseDialog dialog;
    dialog.command.setExerciseSet(&set, set.Kind());
    for (int n = 1; n <= set.count(); ++n) {
      for (int draw = 0; draw < kDraws; ++draw) {
        dialog.source.seed(static_cast<uint32_t>(1000 * n + draw));
        dialog.solveEnabled = draw < kSolvedDraws;
        dialog.command.run(n);
        const std::string where = entry.path().filename().string() + " #" + std::to_string(n) + " " +
                                  narrow(rowText(dialog.grid, ROW_MAIN));
        ASSERT_TRUE(dialog.notifier.messages.empty()) << where;
        const double x = dialog.command.unknownValue();
        switch (set.Kind()) {
          case ExerciseKind::Term: {
            // A term with letters is to be rewritten: it has no value to show.
            const std::u16string all = rowText(dialog.grid, ROW_UPPER) + rowText(dialog.grid, ROW_MAIN);
            if (all.find_first_of(u"xtyabc") != std::u16string::npos) {
              ASSERT_EQ(dialog.display.value, kNoSolutionText) << where;
            } else {
              ASSERT_NE(dialog.display.value, kNoSolutionText) << where;
              ASSERT_FALSE(dialog.display.value.empty()) << where;
            }
            break;
          }
          case ExerciseKind::Equation:
            // A fill-in gap or a value to compute keeps the answer back; an equation
            // that every number solves says so instead of the drawn value; a fraction
            // shows as one.
            if (rowText(dialog.grid, ROW_MAIN).find(GAP) != std::u16string::npos) {
              ASSERT_EQ(dialog.display.value, u"") << where;
            } else if (sidesAgreeEverywhere(dialog.left, dialog.right)) {
              ASSERT_EQ(dialog.display.value, kEveryNumberText) << where;
            } else if (x != std::floor(x)) {
              ASSERT_NE(dialog.display.value.find(u'/'), std::u16string::npos) << where;
            } else {
              ASSERT_EQ(dialog.display.value, formatSolution(x)) << where;
            }
            // A fill-in shows its z as the blank to fill in.
            if (set.Template(ROW_MAIN).find(u'z') == std::u16string::npos)
              ASSERT_LT(std::fabs(gridDifference(dialog.grid, x)), 1e-6) << where;
            break;
          case ExerciseKind::Equation2:
            // An equation without solution is drawn with a large x that only makes
            // its left side the larger one; the solve command then finds nothing.
            if (set.xKind(n - 1) == kLargeInteger) {
              if (dialog.solveEnabled) ASSERT_EQ(dialog.display.value, kNoSolutionText) << where;
              break;
            }
            ASSERT_LT(std::fabs(gridDifference(dialog.grid, x)), 1e-6) << where;
            if (dialog.solveEnabled) {
              // The numerical search finds a solution 0 as a tiny negative number.
              const auto shows = [&](double s) {
                return dialog.display.value == formatSolution(s) || dialog.display.status == formatSecondSolution(s);
              };
              ASSERT_TRUE(shows(x) || (x == 0 && shows(-0.0)))
                  << where << " " << narrow(dialog.display.value) << " " << narrow(dialog.display.status);
            }
            break;
        }
      }
    }
  }
  EXPECT_GE(files, 6);
  fs::remove_all(copies);
}

}  // namespace
}  // namespace pendrix

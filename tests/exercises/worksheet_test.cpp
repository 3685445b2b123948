// The worksheet as a teacher gets it: each mode fills its places in its order, no
// formula stands twice, every answer in the key is the solver's, an exercise that
// cannot be drawn is tried again and then named as left out; and the dialog's
// choices kept in the settings file.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "exercises/worksheet.h"
#include "exercises/worksheet_choices.h"
#include "formula/word_output_rules.h"
#include "session/text_codec.h"
#include "solver/equation_solver.h"

namespace pendrix {
namespace {

namespace fs = std::filesystem;

// The sanitizer build runs some fifty times slower: it draws smaller sheets.
#ifdef __SANITIZE_ADDRESS__
constexpr int kAreaSheet = 12;
constexpr int kChosenSheet = 3;
#else
constexpr int kAreaSheet = kMaxWorksheetCount;
constexpr int kChosenSheet = 10;
#endif

fs::path shippedDirectory() {
  return fs::path(PENDRIX_TEST_DATA).parent_path().parent_path() / "assistant" / "exercises" / "files";
}

std::string narrow(const std::u16string& text) { return toUtf8(text); }

// Opening completes a file, so the tests work on copies in a folder of their own.
class Worksheets : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() /
              ("pendrix-worksheets-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  fs::path shipped(const std::string& area) {
    const fs::path copy = folder_ / fs::path(fromUtf8(area + ".wrx"));
    fs::copy_file(shippedDirectory() / fs::path(fromUtf8(area + ".wrx")), copy, fs::copy_options::overwrite_existing);
    return copy;
  }
  std::vector<fs::path> shippedAreas() {
    std::vector<fs::path> areas;
    for (const auto& entry : fs::directory_iterator(shippedDirectory()))
      if (entry.path().extension() == ".wrx") areas.push_back(shipped(narrow(entry.path().stem().u16string())));
    return areas;
  }
  fs::path ownFile(const std::string& name, const std::string& content) {
    const fs::path file = folder_ / name;
    std::ofstream(file, std::ios::binary) << content;
    return file;
  }
  Worksheet draw(ExerciseSet& set, WorksheetMode mode, int count, int chosen = -1, uint32_t seed = 1) {
    CrtRandom source(seed);
    ExerciseRandom random(source);
    return drawWorksheet(set, u"Bereich", {mode, count, chosen}, notation_.record(), random);
  }

  fs::path folder_;
  std::unique_ptr<ProfileStore> store_ = makePortableProfileStore();
  Settings notation_;
};

std::vector<int> exercisesOf(const Worksheet& sheet) {
  std::vector<int> out;
  for (const WorksheetEntry& entry : sheet.entries) out.push_back(entry.exercise);
  return out;
}

TEST_F(Worksheets, EachModeFillsItsPlacesInItsOrder) {
  ExerciseSet set(*store_);
  set.Open(shipped("Lineare Gleichungen").u16string());
  ASSERT_EQ(set.count(), 15);
  const auto inOrder = [](int count) {
    std::vector<int> out;
    for (int place = 0; place < count; ++place) out.push_back(place % 15 + 1);
    return out;
  };
  const struct {
    WorksheetMode mode;
    int count;
    int chosen;
    std::vector<int> exercises;  // empty: checked below
  } rows[] = {
      {WorksheetMode::InOrder, 1, -1, inOrder(1)},
      {WorksheetMode::InOrder, 10, -1, inOrder(10)},
      {WorksheetMode::InOrder, 20, -1, inOrder(20)},  // past the last exercise it starts again
      {WorksheetMode::InOrder, 40, -1, inOrder(40)},
      {WorksheetMode::ChosenExercise, 1, 3, {3}},
      {WorksheetMode::ChosenExercise, 12, 6, std::vector<int>(12, 6)},
      {WorksheetMode::Mixed, 15, -1, {}},
      {WorksheetMode::Mixed, 40, -1, {}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(::testing::Message() << "mode " << static_cast<int>(row.mode) << ", " << row.count << " places");
    const Worksheet sheet = draw(set, row.mode, row.count, row.chosen);
    EXPECT_EQ(sheet.requested, row.count);
    EXPECT_EQ(sheet.title, u"Bereich");
    ASSERT_EQ(sheet.entries.size(), static_cast<size_t>(row.count));
    EXPECT_TRUE(sheet.leftOut.empty());
    const std::vector<int> drawn = exercisesOf(sheet);
    if (!row.exercises.empty()) {
      EXPECT_EQ(drawn, row.exercises);
    } else {
      // Mixed: each exercise once before any comes again, in an order of chance.
      std::map<int, int> times;
      for (int exercise : drawn) ++times[exercise];
      EXPECT_EQ(times.size(), 15u);
      for (const auto& [exercise, n] : times) {
        EXPECT_GE(n, row.count / 15) << "exercise " << exercise;
        EXPECT_LE(n, (row.count + 14) / 15) << "exercise " << exercise;
      }
      std::set<int> firstRound(drawn.begin(), drawn.begin() + 15);
      EXPECT_EQ(firstRound.size(), 15u);
      EXPECT_NE(drawn, inOrder(row.count));
    }
    for (const WorksheetEntry& entry : sheet.entries) {
      set.Select(entry.exercise);
      EXPECT_EQ(entry.statement, set.Text());
      EXPECT_EQ(entry.code.text.rfind(u"EQ ", 0), 0u);
      EXPECT_EQ(entry.key.rfind(u"L = { ", 0), 0u) << narrow(entry.key);
    }
  }
  // The same seed gives the same sheet; another seed other numbers.
  const Worksheet again = draw(set, WorksheetMode::InOrder, 10);
  const Worksheet first = draw(set, WorksheetMode::InOrder, 10);
  const Worksheet other = draw(set, WorksheetMode::InOrder, 10, -1, 2);
  for (size_t i = 0; i < 10; ++i) EXPECT_EQ(first.entries[i].code.text, again.entries[i].code.text);
  size_t differing = 0;
  for (size_t i = 0; i < 10; ++i) differing += first.entries[i].code.text != other.entries[i].code.text;
  EXPECT_GE(differing, 5u);
}

// The numbers of a key line "L = { a | b }" or a value line "= v"; fractions as the
// display writes them ("7/8", "- 7/9").
std::vector<double> keyNumbers(const std::u16string& key) {
  const std::string text = narrow(key);
  const size_t open = text.find('{');
  const size_t close = text.rfind('}');
  std::string inner = open == std::string::npos ? text.substr(2) : text.substr(open + 1, close - open - 1);
  std::vector<double> out;
  size_t start = 0;
  while (start <= inner.size()) {
    const size_t bar = inner.find('|', start);
    std::string part = inner.substr(start, bar == std::string::npos ? std::string::npos : bar - start);
    part.erase(std::remove(part.begin(), part.end(), ' '), part.end());
    if (!part.empty()) {
      const size_t slash = part.find('/');
      out.push_back(slash == std::string::npos ? std::stod(part)
                                               : std::stod(part.substr(0, slash)) / std::stod(part.substr(slash + 1)));
    }
    if (bar == std::string::npos) break;
    start = bar + 1;
  }
  return out;
}

// What the solve button shows for the drawn rows: the value or the solutions.
RecordingSolutionDisplay solved(const WorksheetEntry& entry) {
  FormulaGrid grid;
  for (int row : {ROW_UPPER, ROW_LOWER, ROW_MAIN}) grid.setRowText(entry.rows.rows[row], row);
  for (int row = 0; row < 3; ++row) grid.setRowFlags(entry.rows.flags[row], row);
  TermEvaluator left, right;
  // A fill-in exercise's hidden number is its unknown z.
  if (grid.containsZ()) {
    left.setUnknownLetter(u'z');
    right.setUnknownLetter(u'z');
  }
  RecordingSolutionDisplay display;
  RecordingNotifier quiet;
  resetSolutionDisplay(display);
  EquationSolver(left, right).solve(grid, quiet, display);
  return display;
}

void expectKeyOfSolver(const WorksheetEntry& entry) {
  const RecordingSolutionDisplay display = solved(entry);
  const std::u16string value = display.value;
  SCOPED_TRACE("code " + narrow(entry.code.text) + ", key " + narrow(entry.key) + ", solver " + narrow(value) + " " +
               narrow(display.status));
  if (entry.key == kKeyNotComputed) {
    EXPECT_TRUE(value == kNoSolutionText || value.empty());
    return;
  }
  if (entry.kind == ExerciseKind::Term) {
    EXPECT_EQ(entry.key, u"= " + value);
    return;
  }
  if (entry.key == kEmptySolutionSet) {
    EXPECT_EQ(value, kNoSolutionText);
    EXPECT_EQ(entry.kind, ExerciseKind::Equation2);
    return;
  }
  std::vector<double> found;
  if (value != kNoSolutionText) found.push_back(std::stod(narrow(value)));
  if (display.status.size() > 3) found.push_back(keyNumbers(u"{" + display.status.substr(1))[0]);
  const std::vector<double> numbers = keyNumbers(entry.key);
  ASSERT_FALSE(numbers.empty());
  for (double number : numbers) {
    const bool matched = std::any_of(found.begin(), found.end(), [&](double s) { return std::fabs(s - number) < 0.0015; });
    EXPECT_TRUE(matched) << number;
  }
  if (entry.kind == ExerciseKind::Equation2) {
    EXPECT_EQ(entry.key, solutionLine(value, display.status));
  }
}

void expectSoundSheet(const Worksheet& sheet) {
  EXPECT_EQ(sheet.entries.size() + sheet.leftOut.size(), static_cast<size_t>(sheet.requested));
  std::set<std::u16string> codes;
  for (const WorksheetEntry& entry : sheet.entries) {
    EXPECT_TRUE(codes.insert(entry.code.text).second) << "twice: " << narrow(entry.code.text);
    expectKeyOfSolver(entry);
  }
}

// Every shipped area in every mode: no formula twice, and every key line says what the
// solver finds for the drawn formula.
TEST_F(Worksheets, NoFormulaTwiceAndEveryKeyIsTheSolvers) {
  const std::vector<fs::path> areas = shippedAreas();
  ASSERT_GE(areas.size(), 16u);
  int keysChecked = 0;
  for (const fs::path& area : areas) {
    SCOPED_TRACE(area.filename().string());
    ExerciseSet set(*store_);
    set.Open(area.u16string());
    for (WorksheetMode mode : {WorksheetMode::InOrder, WorksheetMode::Mixed}) {
      const Worksheet sheet = draw(set, mode, kAreaSheet, -1, 7);
      expectSoundSheet(sheet);
      // An exercise left out has no more formulas than the sheet holds of it: a sheet of
      // its own, with places to spare, finds no further one.
      for (int exercise : std::set<int>(sheet.leftOut.begin(), sheet.leftOut.end())) {
        const std::vector<int> drawn = exercisesOf(sheet);
        const auto onSheet = static_cast<size_t>(std::count(drawn.begin(), drawn.end(), exercise));
        EXPECT_LE(draw(set, WorksheetMode::ChosenExercise, kMaxWorksheetCount, exercise, 13).entries.size(), onSheet)
            << narrow(leftOutMessage(sheet, set));
      }
      keysChecked += static_cast<int>(sheet.entries.size());
    }
    for (int exercise = 1; exercise <= set.count(); ++exercise) {
      SCOPED_TRACE(exercise);
      const Worksheet sheet = draw(set, WorksheetMode::ChosenExercise, kChosenSheet, exercise, 11);
      expectSoundSheet(sheet);
      for (const WorksheetEntry& entry : sheet.entries) EXPECT_EQ(entry.exercise, exercise);
      keysChecked += static_cast<int>(sheet.entries.size());
    }
  }
  EXPECT_GE(keysChecked, 16 * 2 * kAreaSheet);
}

TEST_F(Worksheets, KeysOfTermsEquationsAndExercisesWithoutAnAnswer) {
  const fs::path file = ownFile("Schlüssel.wrx",
                                "[AUFGABE]\r\nAnzahl=1\r\nTermTyp=Term\r\nTITEL__0=Summe\r\nTEXT___0=Berechne.\r\n"
                                "AUFGABE1=3+4\r\n");
  ExerciseSet terms(*store_);
  terms.Open(file.u16string());
  const Worksheet sum = draw(terms, WorksheetMode::InOrder, 1);
  ASSERT_EQ(sum.entries.size(), 1u);
  EXPECT_EQ(sum.entries[0].key, u"= 7.000");

  ExerciseSet simplify(*store_);
  simplify.Open(shipped("Terme vereinfachen").u16string());
  const Worksheet letters = draw(simplify, WorksheetMode::ChosenExercise, 1, 1);
  ASSERT_EQ(letters.entries.size(), 1u);
  EXPECT_EQ(letters.entries[0].key, kKeyNotComputed);

  ExerciseSet quadratic(*store_);
  quadratic.Open(shipped("Quadratische Gleichungen").u16string());
  for (int exercise = 1; exercise <= quadratic.count(); ++exercise) {
    quadratic.Select(exercise);
    if (quadratic.Title(exercise - 1) != u"keine Lösung") continue;
    const Worksheet none = draw(quadratic, WorksheetMode::ChosenExercise, 2, exercise);
    ASSERT_EQ(none.entries.size(), 2u);
    EXPECT_EQ(none.entries[0].key, kEmptySolutionSet);
  }
  const Worksheet two = draw(quadratic, WorksheetMode::ChosenExercise, 1, 1);
  ASSERT_EQ(two.entries.size(), 1u);
  EXPECT_NE(two.entries[0].key.find(u" |"), std::u16string::npos) << narrow(two.entries[0].key);

  // A fraction drawn for the unknown is written as the display writes it, without its padding.
  ExerciseSet linear(*store_);
  linear.Open(shipped("Lineare Gleichungen").u16string());
  const Worksheet fraction = draw(linear, WorksheetMode::ChosenExercise, 1, 12);
  ASSERT_EQ(fraction.entries.size(), 1u);
  EXPECT_NE(fraction.entries[0].key.find(u"/"), std::u16string::npos) << narrow(fraction.entries[0].key);
  EXPECT_EQ(fraction.entries[0].key.find(u"{  "), std::u16string::npos) << narrow(fraction.entries[0].key);
}

// "1$1" has two formulas only, "9:0" none (every attempt divides by zero), "9+9" many.
constexpr char kFewFormulas[] =
    "[AUFGABE]\r\nAnzahl=3\r\nTermTyp=Term\r\n"
    "TITEL__0=Zwei Formeln\r\nTEXT___0=Rechne.\r\nAUFGABE1=1$1\r\n"
    "TITEL__1=Durch null\r\nTEXT___1=Teile.\r\nAUFGABE4=9:0\r\n"
    "TITEL__2=Viele Formeln\r\nTEXT___2=Addiere.\r\nAUFGABE7=9+9\r\n";

TEST_F(Worksheets, APlaceThatRepeatsAFormulaIsDrawnAgainThenLeftOutAndNamed) {
  ExerciseSet set(*store_);
  set.Open(ownFile("Wenige.wrx", kFewFormulas).u16string());
  // Whatever the seed, the second place gets the other formula: a draw that repeats the
  // first is drawn again; the third place cannot get a new one.
  for (uint32_t seed = 1; seed <= 40; ++seed) {
    SCOPED_TRACE(seed);
    const Worksheet sheet = draw(set, WorksheetMode::ChosenExercise, 3, 1, seed);
    ASSERT_EQ(sheet.entries.size(), 2u);
    EXPECT_NE(sheet.entries[0].code.text, sheet.entries[1].code.text);
    EXPECT_EQ(sheet.leftOut, std::vector<int>{1});
  }
  const Worksheet sheet = draw(set, WorksheetMode::ChosenExercise, 5, 1);
  EXPECT_EQ(sheet.leftOut, std::vector<int>(3, 1));
  EXPECT_EQ(leftOutMessage(sheet, set),
            u"Auf dem Arbeitsblatt stehen 2 von 5 Aufgaben.\n"
            u"Ausgelassen, weil sich keine neue Formel ziehen ließ: „Zwei Formeln“ 3-mal.");
}

TEST_F(Worksheets, AnExerciseThatCannotBeDrawnIsLeftOutAndNamed) {
  ExerciseSet set(*store_);
  set.Open(ownFile("Wenige.wrx", kFewFormulas).u16string());
  // In order: 1, 2, 3, 1, 2, 3. The second exercise fails at both of its places.
  const Worksheet sheet = draw(set, WorksheetMode::InOrder, 6);
  EXPECT_EQ(exercisesOf(sheet), (std::vector<int>{1, 3, 1, 3}));
  EXPECT_EQ(sheet.leftOut, (std::vector<int>{2, 2}));
  EXPECT_EQ(leftOutMessage(sheet, set),
            u"Auf dem Arbeitsblatt stehen 4 von 6 Aufgaben.\n"
            u"Ausgelassen, weil sich keine neue Formel ziehen ließ: „Durch null“ 2-mal.");

  // Mixed deals another exercise for the place while one can give new formulas.
  const Worksheet mixed = draw(set, WorksheetMode::Mixed, 8);
  EXPECT_EQ(mixed.entries.size(), 8u) << narrow(leftOutMessage(mixed, set));
  for (int exercise : exercisesOf(mixed)) EXPECT_NE(exercise, 2);

  // Nothing to draw: no entries, every place left out.
  const Worksheet none = draw(set, WorksheetMode::ChosenExercise, 4, 2);
  EXPECT_TRUE(none.entries.empty());
  EXPECT_EQ(none.leftOut.size(), 4u);
  ExerciseSet empty(*store_);
  empty.Open((folder_ / "fehlt.wrx").u16string());
  EXPECT_TRUE(draw(empty, WorksheetMode::Mixed, 3).entries.empty());
  EXPECT_EQ(leftOutMessage(draw(set, WorksheetMode::InOrder, 1), set), u"");
}

TEST_F(Worksheets, TheDialogsChoicesAreKeptInTheSettingsFile) {
  const std::u16string file = (folder_ / "WordZomb.ini").u16string();
  const WorksheetChoices defaults = loadWorksheetChoices(*store_, file);
  EXPECT_EQ(defaults.mode, WorksheetMode::InOrder);
  EXPECT_EQ(defaults.count, 10);
  EXPECT_TRUE(defaults.solutions);
  EXPECT_EQ(defaults.emptyLines, 2);

  ASSERT_TRUE(saveWorksheetChoices(*store_, file, {WorksheetMode::Mixed, 40, false, 0}));
  const WorksheetChoices kept = loadWorksheetChoices(*store_, file);
  EXPECT_EQ(kept.mode, WorksheetMode::Mixed);
  EXPECT_EQ(kept.count, 40);
  EXPECT_FALSE(kept.solutions);
  EXPECT_EQ(kept.emptyLines, 0);
  EXPECT_EQ(store_->readString(file, kSettingsSection, u"ArbeitsblattAnzahl", u"", 100), u"40");

  // Out of range, each key reads as its default.
  for (const auto& [key, value] : {std::pair{u"ArbeitsblattAuswahl", u"3"}, std::pair{u"ArbeitsblattAnzahl", u"41"},
                                   std::pair{u"ArbeitsblattLoesungen", u"2"}, std::pair{u"ArbeitsblattLeerzeilen", u"-1"}})
    store_->writeString(file, kSettingsSection, key, value);
  const WorksheetChoices fallen = loadWorksheetChoices(*store_, file);
  EXPECT_EQ(fallen.mode, WorksheetMode::InOrder);
  EXPECT_EQ(fallen.count, 10);
  EXPECT_TRUE(fallen.solutions);
  EXPECT_EQ(fallen.emptyLines, 2);

  // Without a settings file the choices hold for the session only.
  EXPECT_FALSE(saveWorksheetChoices(*store_, u"", {}));
  EXPECT_EQ(loadWorksheetChoices(*store_, u"").count, 10);
}

}  // namespace
}  // namespace pendrix

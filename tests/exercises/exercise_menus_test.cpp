// The exercise menus' model: the file list, choosing a file and an exercise, and
// the choice remembered across starts, over copies of the shipped files.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>

#include "exercises/exercise_menus.h"
#include "solver/equation_solver.h"

namespace pendrix {
namespace {

namespace fs = std::filesystem;

fs::path shippedDirectory() {
  return fs::path(PENDRIX_TEST_DATA).parent_path().parent_path() / "assistant" / "exercises" / "files";
}

// One dialog's worth of exercise machinery over a settings file of its own.
struct Session : ExerciseView {
  explicit Session(ProfileStore& store, const fs::path& settingsFile) : store(store) {
    settings.load(store, settingsFile.u16string(), notifier, [] { return std::u16string(u";"); });
  }
  void showStatement(const std::u16string& text) override { statement = text; }
  void rememberExerciseNumber(int number) override { settings.setExerciseNumber(number); }
  void solve() override { EquationSolver(left, right).solve(grid, notifier, display); }

  ProfileStore& store;
  Settings settings;
  RecordingNotifier notifier;
  FormulaGrid grid;
  TermEvaluator left, right;
  RecordingSolutionDisplay display;
  CrtRandom source{3};
  ExerciseRandom random{source};
  ExerciseCommand command{{grid, left, right, display, notifier, *this, random}};
  ExerciseMenus menus{store, settings, command, notifier};
  std::u16string statement;
};

class ExerciseMenusTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("pendrix-menus-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    fs::create_directories(dir_ / "Einstellung");
    for (const auto& entry : fs::directory_iterator(shippedDirectory()))
      if (entry.path().extension() == ".wrx") fs::copy_file(entry.path(), dir_ / entry.path().filename());
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::vector<std::u16string> found() const {
    std::vector<std::u16string> paths;
    for (const auto& entry : fs::directory_iterator(dir_))
      if (entry.path().extension() == ".wrx") paths.push_back(entry.path().u16string());
    return paths;
  }
  fs::path settingsFile() const { return dir_ / "Einstellung" / "WordZomb.ini"; }
  int indexOf(const Session& session, const std::u16string& title) const {
    for (size_t i = 0; i < session.menus.files().size(); ++i)
      if (session.menus.files()[i].title == title) return static_cast<int>(i);
    return -1;
  }

  fs::path dir_;
  std::unique_ptr<ProfileStore> store_ = makePortableProfileStore();
};

TEST_F(ExerciseMenusTest, ListsTheShippedFilesSortedAndDrawsTheChosenExercise) {
  Session session(*store_, settingsFile());
  session.menus.build(found());
  std::vector<std::u16string> titles;
  for (const auto& file : session.menus.files()) titles.push_back(file.title);
  const std::vector<std::u16string> expected = {
      u"Bruchrechnung",       u"Dezimalzahlen",           u"Gleichungen mit Brüchen", u"Gleichungen mit Klammern",
      u"Lineare Gleichungen", u"Lückenaufgaben",          u"Negative Zahlen",         u"Potenzen und Wurzeln",
      u"Potenzgesetze",       u"Prozentrechnung",         u"Quadratische Gleichungen", u"Quadratwurzeln",
      u"Sachaufgaben",        u"Terme berechnen",         u"Terme mit Variablen",     u"Terme vereinfachen"};
  EXPECT_EQ(titles, expected);
  EXPECT_EQ(session.menus.currentFileIndex(), -1);

  // "ATyp" before any area: the user is told, nothing opens.
  EXPECT_FALSE(session.menus.chooseFile(-1));
  ASSERT_EQ(session.notifier.messages.size(), 1u);
  EXPECT_EQ(session.notifier.messages[0], kChooseAreaFirst);

  const int linear = indexOf(session, u"Lineare Gleichungen");
  ASSERT_TRUE(session.menus.chooseFile(linear));
  EXPECT_GE(session.menus.exerciseTitles().size(), 3u);
  session.menus.chooseExercise(3);
  EXPECT_FALSE(session.statement.empty());
  EXPECT_NE(session.display.value, u"----") << "the drawn equation is solved at once";
  EXPECT_EQ(session.settings->menuNumber, linear);
  EXPECT_EQ(session.settings->exercisePath, session.menus.files()[linear].path);
  EXPECT_EQ(session.settings->exerciseNumber, 3);
  EXPECT_FALSE(session.menus.chooseFile(99));
}

TEST_F(ExerciseMenusTest, ARestartRestoresTheChoiceUnlessItIsGone) {
  const std::u16string linearTitle = u"Lineare Gleichungen";
  {
    Session first(*store_, settingsFile());
    first.menus.build(found());
    ASSERT_TRUE(first.menus.chooseFile(indexOf(first, linearTitle)));
    first.menus.chooseExercise(2);
  }
  {
    Session second(*store_, settingsFile());
    second.menus.build(found());
    ASSERT_NE(second.menus.openSet(), nullptr);
    EXPECT_EQ(second.menus.currentExerciseNumber(), 2);
    EXPECT_EQ(second.menus.currentFileIndex(), indexOf(second, linearTitle));
    second.command.run(-1);  // "Neu": the same exercise with new numbers
    EXPECT_TRUE(second.notifier.messages.empty());
    EXPECT_FALSE(second.statement.empty());
    EXPECT_TRUE(second.menus.chooseFile(-1)) << "ATyp opens the remembered file without the file menu";
  }
  // An exercise number beyond the file's restores nothing.
  store_->writeString(settingsFile().u16string(), kSettingsSection, u"AufgabeNummer", u"99");
  {
    Session third(*store_, settingsFile());
    third.menus.build(found());
    EXPECT_EQ(third.menus.openSet(), nullptr);
    EXPECT_EQ(third.menus.currentExerciseNumber(), -1);
  }
  // The remembered file is gone: nothing is restored, the menu index alone stays valid.
  store_->writeString(settingsFile().u16string(), kSettingsSection, u"AufgabeNummer", u"2");
  fs::remove(dir_ / "Lineare Gleichungen.wrx");
  Session fourth(*store_, settingsFile());
  fourth.menus.build(found());
  EXPECT_EQ(fourth.menus.openSet(), nullptr);
  EXPECT_EQ(fourth.menus.currentExerciseNumber(), -1);
}

// The user's own folder, the one for all users and the install directory: a file of
// the same name counts once, from the first folder that has it.
TEST(ExerciseFolders, AFileOfTheSameNameIsListedOnceFromTheFirstFolder) {
  const std::vector<std::vector<std::u16string>> folders = {
      {u"C:\\Users\\L\\Documents\\Pendrix-Aufgaben\\Bruchrechnung.wrx", u"C:\\Users\\L\\Documents\\Pendrix-Aufgaben\\Mein Test.wrx"},
      {u"C:\\ProgramData\\Pendrix\\Aufgaben\\BRUCHRECHNUNG.wrx", u"C:\\ProgramData\\Pendrix\\Aufgaben\\Übungen.wrx",
       u"C:\\ProgramData\\Pendrix\\Aufgaben\\übungen.wrx"},
      {u"C:\\Programme\\Pendrix\\Bruchrechnung.wrx", u"C:\\Programme\\Pendrix\\ÜBUNGEN.wrx",
       u"C:\\Programme\\Pendrix\\Lineare Gleichungen.wrx"},
  };
  const std::vector<std::u16string> expected = {
      u"C:\\Users\\L\\Documents\\Pendrix-Aufgaben\\Bruchrechnung.wrx", u"C:\\Users\\L\\Documents\\Pendrix-Aufgaben\\Mein Test.wrx",
      // Within one folder two names that differ in case are two files (a file system
      // that tells them apart); across folders they are one.
      u"C:\\ProgramData\\Pendrix\\Aufgaben\\Übungen.wrx", u"C:\\ProgramData\\Pendrix\\Aufgaben\\übungen.wrx",
      u"C:\\Programme\\Pendrix\\Lineare Gleichungen.wrx"};
  EXPECT_EQ(mergeExerciseFolders(folders), expected);
  EXPECT_TRUE(mergeExerciseFolders({}).empty());
}

// The menu number is an index in the listing of its day; the remembered file is the
// area after a restart wherever new files have pushed it, and a file of its name from
// another folder stands in for it.
TEST_F(ExerciseMenusTest, TheRememberedAreaStaysWhenFilesAreAddedOrStandIn) {
  const std::u16string linearTitle = u"Lineare Gleichungen";
  {
    Session first(*store_, settingsFile());
    first.menus.build(found());
    ASSERT_TRUE(first.menus.chooseFile(indexOf(first, linearTitle)));
    first.menus.chooseExercise(4);
  }
  std::ofstream(dir_ / "Aaa eigene Aufgaben.wrx") << "[AUFGABE]\nAnzahl=1\nAUFGABE1=2x=99L\n";
  {
    Session second(*store_, settingsFile());
    second.menus.build(found());
    EXPECT_EQ(second.menus.currentFileIndex(), indexOf(second, linearTitle));
    ASSERT_TRUE(second.menus.chooseFile(-1));
    EXPECT_EQ(second.menus.openSet()->file(), (dir_ / "Lineare Gleichungen.wrx").u16string());
    EXPECT_EQ(second.menus.currentExerciseNumber(), 4);
  }
  // A teacher's own "Lineare Gleichungen" in a folder listed before the install directory.
  const fs::path own = dir_ / "eigene";
  fs::create_directories(own);
  fs::copy_file(dir_ / "Lineare Gleichungen.wrx", own / "Lineare Gleichungen.wrx");
  Session third(*store_, settingsFile());
  third.menus.build(mergeExerciseFolders({{(own / "Lineare Gleichungen.wrx").u16string()}, found()}));
  ASSERT_EQ(std::count_if(third.menus.files().begin(), third.menus.files().end(),
                          [&](const ExerciseFileEntry& e) { return e.title == linearTitle; }),
            1);
  EXPECT_EQ(third.menus.currentFileIndex(), indexOf(third, linearTitle));
  ASSERT_NE(third.menus.openSet(), nullptr);
  EXPECT_EQ(third.menus.openSet()->file(), (own / "Lineare Gleichungen.wrx").u16string());
  EXPECT_EQ(third.menus.currentExerciseNumber(), 4);
}

TEST_F(ExerciseMenusTest, FortyFilesAtMostCaseOrderAndLongNames) {
  std::vector<std::u16string> paths;
  for (int i = 0; i < 45; ++i) paths.push_back(u"C:\\P\\Datei" + std::u16string(1, char16_t(u'A' + i % 26)) + u".wrx");
  paths.insert(paths.begin(), u"C:\\P\\bruch.wrx");
  paths.insert(paths.begin(), u"C:\\P\\Zahlen.wrx");
  paths.insert(paths.begin(), u"C:\\P\\" + std::u16string(400, u'x') + u".wrx");  // could not be opened again
  paths.insert(paths.begin(), u"C:\\P\\Übungen für Größen.wrx");
  Session session(*store_, settingsFile());
  session.menus.build(paths);
  const auto& files = session.menus.files();
  ASSERT_EQ(files.size(), 40u);
  // Capitals before small letters, umlauts after both, as plain code order has it.
  EXPECT_EQ(files[files.size() - 2].title, u"bruch");
  EXPECT_EQ(files.back().title, u"Übungen für Größen");
  EXPECT_EQ(files[files.size() - 3].title, u"Zahlen");
  for (const auto& file : files) EXPECT_LE(file.path.size(), kMaxExercisePath);

  Session empty(*store_, settingsFile());
  empty.menus.build({});
  EXPECT_TRUE(empty.menus.files().empty());
  EXPECT_FALSE(empty.menus.chooseFile(-1));
  EXPECT_EQ(empty.notifier.messages.size(), 1u);
}

// A name of 200 characters with umlauts: its title is cut to 199, its path is what
// the next start reads only 99 characters of.
std::u16string longUmlautName(char16_t first) {
  std::u16string name(1, first);
  while (name.size() < 200) name += u" Übungen für Größen und Brüche";
  return name.substr(0, 200);
}

TEST_F(ExerciseMenusTest, SixtyFilesLongUmlautNamesAndFiftyExercises) {
  const int shipped = static_cast<int>(found().size());
  for (int i = 0; i < 57 - shipped; ++i) std::ofstream(dir_ / ("Blatt " + std::to_string(i) + ".wrx")) << "[AUFGABE]\nAnzahl=1\n";
  std::string fifty = "[AUFGABE]\r\nAnzahl=50\r\nTermTyp=Gleichung\r\n";
  for (int n = 0; n < 50; ++n) fifty += "AUFGABE" + std::to_string(3 * n + 1) + "=" + std::to_string(n + 2) + "x=99L\r\n";
  std::ofstream(dir_ / "Fünfzig.wrx") << fifty;
  for (char16_t first : {u'A', u'Ä'}) std::ofstream(dir_ / (longUmlautName(first) + u".wrx")) << fifty;
  ASSERT_EQ(found().size(), 60u);

  std::vector<std::u16string> paths = found();
  paths.insert(paths.begin(), (dir_ / (longUmlautName(u'A') + u".wrx")).u16string());
  paths.erase(std::find(paths.begin() + 1, paths.end(), paths.front()));
  Session session(*store_, settingsFile());
  session.menus.build(paths);
  const auto& files = session.menus.files();
  ASSERT_EQ(files.size(), 40u);
  EXPECT_TRUE(std::is_sorted(files.begin(), files.end(), [](auto& a, auto& b) { return a.title < b.title; }));
  const int longOne = indexOf(session, longUmlautName(u'A').substr(0, 199));
  ASSERT_GE(longOne, 0) << "the first file found is listed, its title cut to 199";

  ASSERT_TRUE(session.menus.chooseFile(longOne));
  EXPECT_EQ(session.menus.exerciseTitles().size(), 21u);
  session.menus.chooseExercise(21);
  EXPECT_EQ(session.settings->exerciseNumber, 21);
  EXPECT_EQ(session.settings->exercisePath, files[longOne].path);
  EXPECT_TRUE(session.notifier.messages.empty());

  // The next start reads 99 characters of the remembered path: the exercise is not
  // restored, the area is, and "ATyp" opens it.
  Session next(*store_, settingsFile());
  next.menus.build(paths);
  EXPECT_EQ(next.settings->exercisePath, files[longOne].path.substr(0, 99));
  EXPECT_EQ(next.menus.openSet(), nullptr);
  EXPECT_EQ(next.menus.currentFileIndex(), longOne);
  EXPECT_TRUE(next.menus.chooseFile(-1));
  EXPECT_EQ(next.menus.exerciseTitles().size(), 21u);
}

TEST(ExerciseFileTitle, NameWithoutItsExtension) {
  EXPECT_EQ(exerciseFileTitle(u"C:\\x\\Lineare Gleichungen.wrx"), u"Lineare Gleichungen");
  EXPECT_EQ(exerciseFileTitle(u"Terme.v2.wrx"), u"Terme.v2");
  EXPECT_EQ(exerciseFileTitle(u"C:\\.wrx"), u".wrx");
  EXPECT_EQ(exerciseFileTitle(u"/tmp/ohne"), u"ohne");
}

}  // namespace
}  // namespace pendrix

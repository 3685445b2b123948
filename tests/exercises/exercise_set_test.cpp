// Opening, completing and choosing from exercise files.
#include <gtest/gtest.h>

#include <chrono>

#include <filesystem>
#include <fstream>
#include <map>
#include <vector>

#include "exercises/exercise_file_text.h"
#include "exercises/exercise_set.h"
#include "session/text_codec.h"

namespace pendrix {
namespace {

// Remembers every write in order, so the completion order can be checked.
class RecordingStore : public ProfileStore {
 public:
  std::map<std::u16string, std::u16string> values;
  std::vector<std::u16string> writes;

  std::u16string readString(const std::u16string&, const std::u16string&, const std::u16string& key,
                            const std::u16string& fallback, size_t capacity) override {
    auto it = values.find(key);
    if (it == values.end()) return fallback;
    return it->second.substr(0, capacity - 1);
  }
  bool writeString(const std::u16string&, const std::u16string&, const std::u16string& key,
                   const std::u16string& value) override {
    values[key] = value;
    writes.push_back(key);
    return true;
  }
  bool writeKeepsContent(const std::u16string&) override { return true; }
};

TEST(ExerciseKey, StemAndNumberWithoutLeadingZeros) {
  EXPECT_EQ(exerciseKey(u"AUFGABE", 0), u"AUFGABE0");
  EXPECT_EQ(exerciseKey(u"AUFGABE", 17), u"AUFGABE17");
  EXPECT_EQ(exerciseKey(u"TEXT___", 3), u"TEXT___3");
}

TEST(ExerciseSetOpen, CompletesMissingKeysInOrderWithDefaults) {
  RecordingStore store;
  store.values[u"Anzahl"] = u"1";
  store.values[u"AUFGABE1"] = u"2x+3=11";
  ExerciseSet set(store);
  set.Open(u"a.wrx");

  std::vector<std::u16string> expected;
  for (int n = 0; n < 63; ++n)
    if (n != 1) expected.push_back(exerciseKey(u"AUFGABE", n));
  for (int n = 0; n < 63; ++n) expected.push_back(exerciseKey(u"CHARTYP", n));
  for (const char16_t* stem : {u"TEXT___", u"TITEL__", u"TYP____", u"PARAX__", u"PARAT__"})
    for (int n = 0; n < 21; ++n) expected.push_back(exerciseKey(stem, n));
  expected.push_back(u"TermTyp");
  EXPECT_EQ(store.writes, expected);

  EXPECT_EQ(store.values[u"AUFGABE0"], u"");
  EXPECT_EQ(store.values[u"TYP____20"], u"0");
  EXPECT_EQ(store.values[u"PARAX__0"], u"-1");
  EXPECT_EQ(store.values[u"PARAT__20"], u"-1");
  EXPECT_EQ(store.values[u"TermTyp"], u"Term");
  EXPECT_EQ(store.values[u"AUFGABE1"], u"2x+3=11");

  EXPECT_EQ(set.count(), 1);
  EXPECT_EQ(set.current(), 1);
  set.Select(1);
  EXPECT_EQ(set.Template(0), u"");
  EXPECT_EQ(set.Template(1), u"2x+3=11");
  EXPECT_EQ(set.Template(2), u"");
  EXPECT_EQ(set.Kind(), ExerciseKind::Term);
}

TEST(ExerciseSetOpen, RewritesIntegersThatReadAsTheMissingMarkAndAddsAnzahl) {
  RecordingStore store;
  store.values[u"TYP____4"] = u"32000";
  store.values[u"PARAX__2"] = u"7";
  ExerciseSet set(store);
  set.Open(u"a.wrx");
  EXPECT_EQ(store.values[u"TYP____4"], u"0");
  EXPECT_EQ(store.values[u"PARAX__2"], u"7");
  EXPECT_EQ(store.values[u"Anzahl"], u"0");
  EXPECT_EQ(store.writes.back(), u"TermTyp");
  EXPECT_EQ(set.count(), 0);
  EXPECT_EQ(set.current(), 0);
  EXPECT_EQ(set.Title(0), u"Leer");
}

TEST(ExerciseSetOpen, CountIsClampedToTwentyOneAndZero) {
  for (const auto& [anzahl, count] : std::vector<std::pair<std::u16string, int>>{
           {u"99", 21}, {u"-5", 0}, {u"abc", 0}, {u"7x", 7}, {u"21", 21}}) {
    RecordingStore store;
    store.values[u"Anzahl"] = anzahl;
    ExerciseSet set(store);
    set.Open(u"a.wrx");
    EXPECT_EQ(set.count(), count) << std::string(anzahl.begin(), anzahl.end());
    set.Select(22);
    EXPECT_EQ(set.current(), count == 21 ? 1 : 0);
  }
}

TEST(ExerciseSetSelect, UsesThreeRowKeysPerExercise) {
  RecordingStore store;
  store.values[u"Anzahl"] = u"21";
  store.values[u"AUFGABE3"] = u"up";
  store.values[u"AUFGABE4"] = u"main";
  store.values[u"AUFGABE5"] = u"low";
  store.values[u"CHARTYP4"] = u"\"\"";
  store.values[u"AUFGABE60"] = u"u21";
  store.values[u"AUFGABE62"] = u"l21";
  ExerciseSet set(store);
  set.Open(u"a.wrx");
  set.Select(2);
  EXPECT_EQ(set.current(), 2);
  EXPECT_EQ(set.Template(0), u"up");
  EXPECT_EQ(set.Template(1), u"main");
  EXPECT_EQ(set.Template(2), u"low");
  EXPECT_EQ(set.Flags(1), u"\"\"");
  set.Select(21);
  EXPECT_EQ(set.Template(0), u"u21");
  EXPECT_EQ(set.Template(2), u"l21");
}

TEST(ExerciseSetSelect, PastTheEndAndOutsideNumbers) {
  RecordingStore store;
  store.values[u"Anzahl"] = u"2";
  store.values[u"AUFGABE1"] = u"first";
  ExerciseSet set(store);
  set.Open(u"a.wrx");
  set.Select(3);
  EXPECT_TRUE(set.pastEnd());
  EXPECT_EQ(set.current(), 1);
  EXPECT_EQ(set.Template(1), u"");  // no rows read at the mark
  for (int number : {0, -1, 4, 1000}) {
    set.Select(number);
    EXPECT_EQ(set.current(), 0);
    EXPECT_FALSE(set.pastEnd());
  }
}

TEST(ExerciseSetTexts, TitlesShowRootSignAndKindIsCaseSensitive) {
  RecordingStore store;
  store.values[u"Anzahl"] = u"2";
  store.values[u"TITEL__0"] = u"\u00E5 ziehen";
  store.values[u"TITEL__1"] = u"zwei";
  store.values[u"TEXT___1"] = u"Löse die Gleichung";
  store.values[u"TermTyp"] = u"gleichung";
  store.values[u"PARAX__1"] = u"2";
  ExerciseSet set(store);
  set.Open(u"a.wrx");
  EXPECT_EQ(set.Title(0), u"\u221A ziehen");
  EXPECT_EQ(set.Title(2), u"Leer");
  EXPECT_EQ(set.Kind(), ExerciseKind::Term);
  set.Select(2);
  EXPECT_EQ(set.Title(-1), u"zwei");
  EXPECT_EQ(set.Text(), u"Löse die Gleichung");
  EXPECT_EQ(set.xKind(1), 2);
  EXPECT_EQ(set.tKind(1), -1);
  store.values[u"TermTyp"] = u"Gleichung2";
  EXPECT_EQ(set.Kind(), ExerciseKind::Equation2);
  store.values[u"TermTyp"] = u"Gleichung";
  EXPECT_EQ(set.Kind(), ExerciseKind::Equation);
}

TEST(ExerciseSetFile, RealFileIsCompletedAndLongValuesAreCut) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / ("pendrix-exercise-set-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  const fs::path file = dir / "probe.wrx";
  std::ofstream(file) << "[AUFGABE]\nAnzahl=1\nAUFGABE1=" << std::string(150, '7') << "\nTITEL__0="
                      << std::string(120, 'a') << "\n";
  auto store = makePortableProfileStore();
  ExerciseSet set(*store);
  set.Open(file.u16string());
  set.Select(1);
  EXPECT_EQ(set.Template(1).size(), 99u);
  EXPECT_EQ(set.Title(0).size(), 99u);
  ExerciseSet again(*store);
  again.Open(file.u16string());
  EXPECT_EQ(readProfileInt(*store, file.u16string(), u"AUFGABE", u"PARAT__20", 5), -1);
  EXPECT_EQ(store->readString(file.u16string(), u"AUFGABE", u"TermTyp", u"", 100), u"Term");
  fs::remove_all(dir);
}

std::string utf16Bytes(const std::u16string& text) {
  std::string bytes;
  for (char16_t c : text) bytes += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
  return bytes;
}

std::string fiftyExercises() {
  std::string text = "[AUFGABE]\r\nAnzahl=50\r\nTermTyp=Gleichung\r\n";
  for (int n = 0; n < 50; ++n) {
    text += "TITEL__" + std::to_string(n) + "=Aufgabe " + std::to_string(n + 1) + "\r\n";
    text += "AUFGABE" + std::to_string(3 * n + 1) + "=" + std::to_string(n + 1) + "x=99L\r\n";
  }
  return text;
}

struct BadExerciseFile {
  const char* name;
  std::string bytes;
  int count;
  std::u16string firstTitle;
  ExerciseKind kind;
  std::u16string mainRowOfLast;  // the main template row of exercise `count`
  std::u16string anzahlAfter;    // as the file holds it after opening
  bool completed;
  bool becomesUnicode = false;   // UTF-8 is rewritten as UTF-16
};

// Opening completes the file without changing what it held, and the Unicode file stays
// Unicode; a file the system cannot read (no section to be found) is not completed,
// since the system functions would rewrite it from nothing.
TEST(ExerciseSetFile, BadFilesOpenAsWhatTheyHoldAndKeepIt) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / "pendrix-exercise-bad-files";
  fs::remove_all(dir);
  fs::create_directories(dir);
  const std::u16string unicode =
      u"[AUFGABE]\r\nAnzahl=2\r\nTermTyp=Gleichung2\r\nTITEL__0=\u00E5 und Br\u00FCche\r\nAUFGABE4=\u00E52\u00E6x=99L\r\n";
  const BadExerciseFile cases[] = {
      {"malformed", "Anzahl=7\r\n[AUFGABE]\r\nAnzahl=2x\r\n==\r\nTITEL__0\r\nAUFGABE4=3x\r\n[AUFGABE\r\nAnzahl=9\r\n", 2,
       u"", ExerciseKind::Term, u"3x", u"2x", true},
      {"empty", "", 0, u"Leer", ExerciseKind::Term, u"", u"0", true},
      {"utf-16 with mark", "\xFF\xFE" + utf16Bytes(unicode), 2, u"\u221A und Br\u00FCche", ExerciseKind::Equation2,
       u"\u00E52\u00E6x=99L", u"2", true},
      {"utf-16 without mark", utf16Bytes(unicode), 0, u"Leer", ExerciseKind::Term, u"", u"", false},
      {"binary", std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR=\xFF", 18), 0, u"Leer", ExerciseKind::Term, u"", u"", false},
      {"fifty exercises", fiftyExercises(), 21, u"Aufgabe 1", ExerciseKind::Equation, u"21x=99L", u"50", true},
      // What Notepad writes today, and the ANSI of older ones.
      {"utf-8 with mark", "\xEF\xBB\xBF" + toUtf8(unicode), 2, u"\u221A und Br\u00FCche", ExerciseKind::Equation2,
       u"\u00E52\u00E6x=99L", u"2", true, true},
      {"utf-8 without mark", toUtf8(unicode), 2, u"\u221A und Br\u00FCche", ExerciseKind::Equation2,
       u"\u00E52\u00E6x=99L", u"2", true, true},
      {"ansi", "[AUFGABE]\r\nAnzahl=1\r\nTITEL__0=Gr\xF6\xDF" "en und Br\xFC" "che\r\nAUFGABE1=2x=4\r\n", 1,
       u"Gr\u00F6\u00DFen und Br\u00FCche", ExerciseKind::Term, u"2x=4", u"1", true},
  };
  auto store = makePortableProfileStore();
  for (const BadExerciseFile& bad : cases) {
    SCOPED_TRACE(bad.name);
    const fs::path file = dir / (std::string(bad.name) + ".wrx");
    std::ofstream(file, std::ios::binary) << bad.bytes;
    ExerciseSet set(*store);
    set.Open(file.u16string());
    EXPECT_EQ(set.count(), bad.count);
    EXPECT_EQ(set.Title(0), bad.firstTitle);
    EXPECT_EQ(set.Kind(), bad.kind);
    EXPECT_EQ(set.Title(bad.count), u"Leer");
    set.Select(bad.count);
    EXPECT_EQ(set.Template(1), bad.mainRowOfLast);
    set.Select(bad.count + 1);
    EXPECT_EQ(set.current(), bad.count > 0 ? 1 : 0);

    EXPECT_EQ(store->readString(file.u16string(), kExerciseSection, u"Anzahl", u"", 100), bad.anzahlAfter);
    EXPECT_EQ(readProfileInt(*store, file.u16string(), kExerciseSection, u"PARAT__20", 5), bad.completed ? -1 : 5);
    std::ifstream in(file, std::ios::binary);
    const std::string after((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(after.rfind("\xFF\xFE", 0) == 0, bad.becomesUnicode || bad.bytes.rfind("\xFF\xFE", 0) == 0)
        << "the encoding stays, UTF-8 becomes UTF-16";
    if (!bad.completed) {
      EXPECT_EQ(after, bad.bytes) << "a file the system cannot read is left as it is";
    }
  }
  // Exercises beyond 21 stay in the file, unused.
  EXPECT_EQ(store->readString((dir / "fifty exercises.wrx").u16string(), kExerciseSection, u"TITEL__49", u"", 100),
            u"Aufgabe 50");
  fs::remove_all(dir);
}

// A UTF-8 file that cannot be rewritten (here the place for the new file is taken) is
// read from a UTF-16 copy and stays as it was.
TEST(ExerciseSetFile, AUtf8FileThatCannotBeRewrittenIsReadFromACopy) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / "pendrix-exercise-utf8-kept";
  fs::remove_all(dir);
  fs::create_directories(dir / u"Brüche.wrx.neu");
  const fs::path file = dir / u"Brüche.wrx";
  const std::string bytes = "[AUFGABE]\r\nAnzahl=1\r\nTITEL__0=K\xC3\xBCrzen\r\nAUFGABE1=2x=4\r\n";
  std::ofstream(file, std::ios::binary) << bytes;
  const std::u16string copies = (dir / "Kopien").u16string();
  const std::u16string opened = unicodeExerciseFile(file.u16string(), copies);
  EXPECT_NE(opened, file.u16string());
  EXPECT_EQ(opened.rfind(copies, 0), 0u);
  EXPECT_EQ(unicodeExerciseFile(file.u16string(), copies), opened) << "the same copy every time";
  auto store = makePortableProfileStore();
  EXPECT_EQ(store->readString(opened, kExerciseSection, u"TITEL__0", u"", 100), u"K\u00FCrzen");
  {
    std::ifstream in(file, std::ios::binary);
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()), bytes);
  }
  EXPECT_EQ(detectTextEncoding(bytes), TextEncoding::Utf8);
  EXPECT_EQ(detectTextEncoding("Gr\xF6\xDF" "e"), TextEncoding::Ansi);
  EXPECT_EQ(detectTextEncoding("[AUFGABE]"), TextEncoding::Ansi);
  EXPECT_EQ(detectTextEncoding("\xFE\xFF\0["), TextEncoding::Utf16);
  fs::remove_all(dir);
}

// A path longer than the set's 255 characters is not cut into another file's name.
TEST(ExerciseSetFile, APathTooLongOpensNothingAndCreatesNothing) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / "pendrix-exercise-long-path" / std::string(120, 'a');
  fs::remove_all(dir.parent_path());
  fs::create_directories(dir);
  const fs::path file = dir / (std::string(150, 'b') + ".wrx");
  std::ofstream(file) << "[AUFGABE]\nAnzahl=1\nAUFGABE1=2x=4\n";
  ASSERT_GT(file.u16string().size(), 255u);
  auto store = makePortableProfileStore();
  ExerciseSet set(*store);
  set.Open(file.u16string());
  EXPECT_EQ(set.count(), 0);
  EXPECT_EQ(set.Kind(), ExerciseKind::Term);
  set.Select(1);
  EXPECT_EQ(set.current(), 0);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
  EXPECT_FALSE(isOpenableExercisePath(file.u16string()));
  EXPECT_FALSE(isOpenableExercisePath(u""));
  EXPECT_TRUE(isOpenableExercisePath(std::u16string(255, u'p')));
  fs::remove_all(dir.parent_path());
}

}  // namespace
}  // namespace pendrix

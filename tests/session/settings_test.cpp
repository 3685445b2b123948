#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "session/settings.h"
#include "support/settings_bounds.h"

namespace pendrix {
namespace {

namespace fs = std::filesystem;

struct RecordingNotifier : Notifier {
  std::vector<std::u16string> messages;
  void showInfo(const std::u16string& caption, const std::u16string& text) override {
    messages.push_back(caption + u": " + text);
  }
  bool askYesNo(const std::u16string&, const std::u16string&) override { return true; }
};

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("pendrix-settings-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    path_ = (dir_ / "WordZomb.ini").u16string();
  }
  void TearDown() override { fs::remove_all(dir_); }

  void writeFile(const std::string& keys) { std::ofstream(dir_ / "WordZomb.ini") << "[EINSTELLUNGEN]\n" << keys; }
  void load(const std::u16string& systemSeparator = u";") {
    settings_.load(*store_, path_, notifier_, [systemSeparator] { return systemSeparator; });
  }
  std::u16string stored(const char16_t* key) {
    return store_->readString(path_, kSettingsSection, key, u"<missing>", 100);
  }

  fs::path dir_;
  std::u16string path_;
  std::unique_ptr<ProfileStore> store_ = makePortableProfileStore();
  RecordingNotifier notifier_;
  Settings settings_;
};

TEST_F(SettingsTest, DefaultsHoldBeforeAnyLoad) {
  const SettingsRecord& r = settings_.record();
  EXPECT_EQ(r.listSeparator, u';');
  EXPECT_EQ(r.bracketOpen, u'[');
  EXPECT_EQ(r.wordMinus, u'\u2212');
  EXPECT_EQ(r.wordTimes, u'*');
  EXPECT_EQ(r.raiseDigit, u'5');
  EXPECT_EQ(r.exerciseNumber, -1);
  EXPECT_EQ(r.functionNames[3], u"wur(");
  // Without a settings file a choice holds for the run but is not written anywhere.
  EXPECT_FALSE(settings_.setTimesChoice(1));
  EXPECT_EQ(settings_->wordTimes, u'\u00B7');
}

TEST_F(SettingsTest, FirstStartWritesOnlyTheSeparator) {
  load();
  EXPECT_TRUE(notifier_.messages.empty());
  EXPECT_EQ(stored(u"Strichpunkt"), u";");
  EXPECT_EQ(stored(u"MalPunkt"), u"<missing>");
  EXPECT_EQ(settings_->exercisePath, u" ");
  EXPECT_EQ(settings_->raiseSize, 8);
}

TEST_F(SettingsTest, ACommaLocaleWarnsOnceAndIsRemembered) {
  load(u",");
  ASSERT_EQ(notifier_.messages.size(), 1u);
  EXPECT_EQ(notifier_.messages[0], std::u16string(u"Info: ") + kListSeparatorWarning);
  EXPECT_EQ(settings_->listSeparator, u',');
  EXPECT_EQ(stored(u"Strichpunkt"), u",");

  load(u";");  // the next start: the key is decided, nothing is asked
  EXPECT_EQ(notifier_.messages.size(), 1u);
  EXPECT_EQ(settings_->listSeparator, u',');
}

TEST_F(SettingsTest, UndecidedSeparatorKeys) {
  writeFile("Strichpunkt=z\n");
  load(u",");
  EXPECT_EQ(settings_->listSeparator, u',');
  EXPECT_EQ(notifier_.messages.size(), 1u);

  writeFile("Strichpunkt=\n");
  load(u"");  // the system gives no answer: the semicolon stays and is stored
  EXPECT_EQ(settings_->listSeparator, u';');
  EXPECT_EQ(stored(u"Strichpunkt"), u";");
}

TEST_F(SettingsTest, OnlyTheFirstCharacterOfTheSeparatorCounts) {
  writeFile("Strichpunkt=;x\n");
  load(u",");
  EXPECT_EQ(settings_->listSeparator, u';');
  EXPECT_TRUE(notifier_.messages.empty());
}

TEST_F(SettingsTest, OutOfRangeValuesFallBack) {
  writeFile("Strichpunkt=;\nMinusZeichen=7\nBruchKlammer=3\nMalPunkt=-2\nHochStellung=0\nTiefStellung=12\n");
  load();
  EXPECT_EQ(settings_->wordMinus, u'-');
  EXPECT_EQ(settings_->bracketOpen, u'[');
  EXPECT_EQ(settings_->bracketClose, u']');
  EXPECT_EQ(settings_->bracketChoice, 3);  // the combo box then shows no selection
  EXPECT_EQ(settings_->wordTimes, u'*');
  EXPECT_EQ(settings_->raiseDigit, u'5');
  EXPECT_EQ(settings_->lowerDigit, u'5');
}

TEST_F(SettingsTest, KeysDeriveTheirCharacters) {
  writeFile("Strichpunkt=;\nMinusZeichen=0\nBruchKlammer=2\nMalPunkt=3\nHochStellung=3\nTiefStellung=9\n"
            "AufgabeNummer=4\nMenuNummer=2\nAufgabePfad=C:\\Aufgaben\\Brueche.wrx\nHochZahl=60\n");
  load();
  EXPECT_EQ(settings_->wordMinus, u'\u2212');
  EXPECT_EQ(settings_->bracketOpen, u'<');
  EXPECT_EQ(settings_->bracketClose, u'>');
  EXPECT_EQ(settings_->wordTimes, u'\u2219');
  EXPECT_EQ(settings_->raiseDigit, u'3');
  EXPECT_EQ(settings_->lowerDigit, u'9');
  EXPECT_EQ(settings_->exerciseNumber, 4);
  EXPECT_EQ(settings_->menuNumber, 2);
  EXPECT_EQ(settings_->exercisePath, u"C:\\Aufgaben\\Brueche.wrx");
  EXPECT_EQ(settings_->raiseSize, 60);
}

// DezimalZeichen chooses the decimal symbol of shown values; anything but a point or
// a comma leaves it to the locale, and the key is never written.
TEST_F(SettingsTest, DecimalSymbolIsAPointACommaOrTheLocales) {
  const std::pair<const char*, char16_t> rows[] = {{"DezimalZeichen=,\n", u','}, {"DezimalZeichen=.\n", u'.'},
                                                   {"dezimalzeichen = \",\"\n", u','}, {"DezimalZeichen=;\n", 0},
                                                   {"DezimalZeichen=,,\n", 0},        {"", 0}};
  for (const auto& [keys, symbol] : rows) {
    SCOPED_TRACE(keys);
    writeFile(std::string("Strichpunkt=;\n") + keys);
    load();
    EXPECT_EQ(settings_->decimalSymbol, symbol);
  }
  EXPECT_EQ(stored(kDecimalSymbolKey), u"<missing>");
  EXPECT_EQ(Settings().record().decimalSymbol, u'\0');
}

TEST_F(SettingsTest, SettersWriteTheirKeyAtOnce) {
  load();
  EXPECT_TRUE(settings_.setBracketChoice(1));
  EXPECT_EQ(settings_->bracketOpen, u'{');
  EXPECT_TRUE(settings_.setMinusChoice(1));
  EXPECT_EQ(settings_->wordMinus, u'-');
  EXPECT_TRUE(settings_.setPlusChoice(0));
  EXPECT_TRUE(settings_.setExerciseNumber(-1));
  EXPECT_TRUE(settings_.setMenuNumber(12));
  EXPECT_TRUE(settings_.setExercisePath(u"D:\\Übungen\\Wurzeln für Klasse 9.wrx"));
  EXPECT_EQ(stored(u"BruchKlammer"), u"1");
  EXPECT_EQ(stored(u"MinusZeichen"), u"1");
  EXPECT_EQ(stored(u"PlusZeichen"), u"0");
  EXPECT_EQ(stored(u"AufgabeNummer"), u"-1");
  EXPECT_EQ(stored(u"MenuNummer"), u"12");

  Settings again;
  again.load(*store_, path_, notifier_, [] { return u";"; });
  EXPECT_EQ(again->bracketClose, u'}');
  EXPECT_EQ(again->exercisePath, u"D:\\Übungen\\Wurzeln für Klasse 9.wrx");
}

TEST_F(SettingsTest, AFailedWriteKeepsTheValueForThisRun) {
  settings_.load(*store_, (dir_ / "Einstellung" / "WordZomb.ini").u16string(), notifier_, [] { return u";"; });
  EXPECT_FALSE(settings_.setTimesChoice(2));
  EXPECT_EQ(settings_->wordTimes, u'\u2022');
}

// Whatever a settings file holds, the derived characters stay among their choices
// and a path read from it has at most 99 characters.
void expectSoundRecord(const SettingsRecord& r) {
  EXPECT_EQ(testing::settingsRecordBreach(r), "");
  EXPECT_LE(r.exercisePath.size(), 99u);
}

struct BadFile {
  const char* name;
  std::string bytes;
  char16_t wordTimes, bracketOpen, raiseDigit, listSeparator;
};

std::vector<BadFile> badFiles() {
  const std::string keep = "[EINSTELLUNGEN]\r\nEigenes=behalten\r\n";
  std::string binary;
  for (int i = 0; i < 4096; ++i) binary += static_cast<char>((i * 7919) >> 3);
  return {
      {"binary", binary, u'*', u'[', u'5', u';'},
      {"truncated", keep + "Strichpunkt=,\r\nMalPunkt=2\r\nBruchKla", u'\u2022', u'[', u'5', u','},
      {"huge", keep + "BruchKlammer=1\r\nAufgabePfad=" + std::string(1 << 20, 'p') + "\r\n", u'*', u'{', u'5', u';'},
      {"over-long values",
       keep + "MalPunkt=" + std::string(40, '1') + "\r\nHochStellung=99999999999\r\nStrichpunkt=" +
           std::string(200, ',') + "\r\nAufgabeNummer=-99999999999999\r\nAufgabePfad=" + std::string(300, 'q'),
       u'*', u'[', u'5', u','},
      {"wrong values",
       keep + "BruchKlammer=eckig\r\nMalPunkt=x\r\nMinusZeichen=ja\r\nStrichpunkt=\r\nAufgabeNummer=eins\r\n"
              "MenuNummer=\r\nHochZahl=viel\r\nHochStellung=-3\r\nTiefStellung=10\r\n",
       u'*', u'[', u'5', u';'},
      {"wrong names", keep + "MalPunkte=2\r\nBruch Klammer=1\r\nHoch=3\r\n[EINSTELLUNG]\r\nStrichpunkt=,\r\n", u'*', u'[',
       u'5', u';'},
  };
}

TEST_F(SettingsTest, BadFilesGiveSoundValuesAndLoseNothing) {
  for (const BadFile& bad : badFiles()) {
    SCOPED_TRACE(bad.name);
    std::ofstream(dir_ / "WordZomb.ini", std::ios::binary) << bad.bytes;
    const bool hadOwnKey = bad.bytes.find("Eigenes=behalten") != std::string::npos;
    load();
    expectSoundRecord(settings_.record());
    EXPECT_EQ(settings_->wordTimes, bad.wordTimes);
    EXPECT_EQ(settings_->bracketOpen, bad.bracketOpen);
    EXPECT_EQ(settings_->raiseDigit, bad.raiseDigit);
    EXPECT_EQ(settings_->listSeparator, bad.listSeparator);
    EXPECT_TRUE(notifier_.messages.empty());

    EXPECT_TRUE(settings_.setTimesChoice(3));
    EXPECT_TRUE(settings_.setExercisePath(u"C:\\Übungen\\Brüche.wrx"));
    Settings again;
    again.load(*store_, path_, notifier_, [] { return u","; });
    EXPECT_EQ(again->wordTimes, u'\u2219');
    EXPECT_EQ(again->exercisePath, u"C:\\Übungen\\Brüche.wrx");
    EXPECT_EQ(again->listSeparator, bad.listSeparator) << "the separator is decided once";
    if (hadOwnKey) {
      EXPECT_EQ(stored(u"Eigenes"), u"behalten");
    }
  }
}

// A settings file that cannot be written (here a folder stands in its place): the
// choices hold for this run, nothing is asked twice, nothing breaks.
TEST_F(SettingsTest, AnUnwritableFileKeepsTheChoicesForTheRun) {
  fs::create_directories(dir_ / "WordZomb.ini");
  load(u",");
  EXPECT_EQ(settings_->listSeparator, u',');
  EXPECT_FALSE(settings_.setBracketChoice(2));
  EXPECT_EQ(settings_->bracketClose, u'>');
  EXPECT_FALSE(settings_.setExercisePath(u"C:\\a.wrx"));
  EXPECT_EQ(settings_->exercisePath, u"C:\\a.wrx");
  EXPECT_TRUE(fs::is_directory(dir_ / "WordZomb.ini"));
}

TEST(InstallDirectory, ComesFromTheRegisteredProgramPath) {
  EXPECT_EQ(installDirectoryFromServerPath(u"C:\\PROGRA~1\\PENDRIX\\PENDRIX.EXE"), u"C:\\PROGRA~1\\PENDRIX");
  EXPECT_EQ(installDirectoryFromServerPath(u"C:\\PENDRIX.EXE"), u"C:");
  EXPECT_EQ(installDirectoryFromServerPath(u"PENDRIX.EXE"), u"");
  EXPECT_EQ(installDirectoryFromServerPath(u""), u"");
}

TEST(InstallDirectory, QuotesAndSwitchesAreStripped) {
  EXPECT_EQ(installDirectoryFromServerPath(u"\"C:\\Program Files\\Pendrix\\Pendrix.exe\" /Automation"),
            u"C:\\Program Files\\Pendrix");
  // A backslash in the arguments must not mislead the search for the folder.
  EXPECT_EQ(installDirectoryFromServerPath(u"C:\\Pendrix\\Pendrix.exe /Automation -x C:\\temp"), u"C:\\Pendrix");
  EXPECT_EQ(installDirectoryFromServerPath(u"  C:\\Program Files\\Pendrix\\Pendrix.exe  "), u"C:\\Program Files\\Pendrix");
  EXPECT_EQ(installDirectoryFromServerPath(u"\"C:\\Pendrix\\Pendrix.exe"), u"C:\\Pendrix");
}

}  // namespace
}  // namespace pendrix

// The KEYS language and the grid and terms commands of pendrix-cli.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli_common.h"
#include "commands.h"

namespace pendrix::cli {
namespace {

namespace fs = std::filesystem;

struct KeysRun {
  int code;
  std::string out, err;
};

KeysRun cli(const Args& args) {
  std::ostringstream out, err;
  const int code = runCli(args, out, err);
  return {code, out.str(), err.str()};
}

// The value of one "name=value" line of the output.
std::string line(const std::string& out, const std::string& name) {
  std::istringstream lines(out);
  for (std::string l; std::getline(lines, l);) {
    if (l.rfind(name + "=", 0) == 0) return l.substr(name.size() + 1);
  }
  return "<missing " + name + ">";
}

class SettingsFile {
 public:
  explicit SettingsFile(const std::string& keys) {
    path_ = fs::temp_directory_path() /
            ("pendrix-cli-keys-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + ".ini");
    std::ofstream(path_, std::ios::binary) << "[EINSTELLUNGEN]\r\n" << keys;
  }
  ~SettingsFile() { fs::remove(path_); }
  std::string path() const { return path_.string(); }
  std::string content() const {
    std::ifstream in(path_, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

 private:
  fs::path path_;
};

TEST(CliGrid, PrintsRowsFlagsCursorAndDegrees) {
  const KeysRun run = cli({"grid", "{CubeRoot}x"});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out,
            "length=3\n"
            "cursor=1 2\n"
            "row0=i i i\n"
            "flags0=20 20 20\n"
            "row1=U+00E5 x U+00E6\n"
            "flags1=22 23 22\n"
            "row2=U+0020 U+0020 U+0020\n"
            "flags2=20 20 20\n"
            "degree=1 0 3\n");
}

TEST(CliGrid, FractionInsideARootIsTall) {
  const KeysRun run = cli({"grid", "{Root}x{Up}1"});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(line(run.out, "row1"), "U+00E7 x U+0020 U+00E8");
  EXPECT_EQ(line(run.out, "flags1"), "22 26 2c 22");
  EXPECT_EQ(line(run.out, "row0"), "i i 1 i");
  EXPECT_EQ(line(run.out, "flags2"), "20 24 34 20");
}

TEST(CliGrid, EmptyGrid) {
  const KeysRun run = cli({"grid", ""});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out, "length=0\ncursor=1 0\nrow0=\nflags0=\nrow1=\nflags1=\nrow2=\nflags2=\n");
}

TEST(CliKeys, CaretAndDegreeSignSetTheModes) {
  const KeysRun run = cli({"grid", "^2\u00B0a^\u00B0b"});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(line(run.out, "row1"), "2 a b");
  EXPECT_EQ(line(run.out, "flags1"), "62 a2 a2");
}

TEST(CliKeys, DoubledBracesTypeBraces) {
  const KeysRun run = cli({"grid", "{{x}}"});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(line(run.out, "row1"), "{ x }");
}

TEST(CliKeys, KeysAndButtons) {
  const KeysRun run = cli({"grid", "ab{Left}{Left}{Delete}c{End}{Home}{Right}{Backspace}"
                               "{LessEqual}{GreaterEqual}{PlusMinus}{Square}{Cube}{Index1}{Index2}"});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(line(run.out, "row1"), "\u2264 \u2265 \u00B1 2 3 1 2 b");
  EXPECT_EQ(line(run.out, "flags1"), "22 22 22 62 62 a2 a2 22");
}

TEST(CliKeys, UpDownAndInnerFraction) {
  const KeysRun run = cli({"grid", "{Up}1{Down}{Down}{InnerFraction}"});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(line(run.out, "row2"), "[ / ]");
  EXPECT_EQ(line(run.out, "cursor"), "2 1");
}

TEST(CliKeys, SuperscriptAndSubscriptButtonsAndX12) {
  const KeysRun run = cli({"grid", "{Superscript}n{Subscript}k{X12}"});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(line(run.out, "row1"), "n k x 1 / 2");
  EXPECT_EQ(line(run.out, "flags1"), "62 a2 22 a2 a2 a2");
}

TEST(CliKeys, AltKeys) {
  KeysRun run = cli({"grid", "x{Alt+5}{Alt+W}"});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(line(run.out, "row1"), "x 5 U+00E5 U+00E6");
  run = cli({"grid", "x+1{Alt+l}y"});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(line(run.out, "row1"), "y");
  run = cli({"grid", "x{Alt+q}"});  // nothing takes it, nothing happens
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(line(run.out, "row1"), "x");
}

TEST(CliKeys, AltOnAButtonOfAnotherSubsystemIsAnError) {
  const KeysRun run = cli({"grid", "x{Alt+u}"});
  EXPECT_EQ(run.code, 2);
  EXPECT_NE(run.err.find("1008"), std::string::npos) << run.err;
  EXPECT_EQ(run.out, "");
}

TEST(CliKeys, DegreeActsOnTheRootAtTheCursor) {
  KeysRun run = cli({"grid", "{CubeRoot}{Left}{Degree= }"});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out.find("degree="), std::string::npos) << run.out;
  run = cli({"grid", "{Root}{Left}{Degree=5}"});
  EXPECT_EQ(line(run.out, "degree"), "1 0 5");
  run = cli({"grid", "{Root}{Left}{Degree=}"});
  EXPECT_EQ(run.out.find("degree="), std::string::npos);
  run = cli({"grid", "{Root}{Degree=5}"});  // on the close: no root open, nothing
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out.find("degree="), std::string::npos);
}

TEST(CliKeys, MalformedKeysAreErrors) {
  for (const char* keys : {"{Foo}", "x{left}", "{Alt+}", "{Alt+ab}", "a}b", "{Root", "{}"}) {
    const KeysRun run = cli({"grid", keys});
    EXPECT_EQ(run.code, 2) << keys;
    EXPECT_FALSE(run.err.empty()) << keys;
    EXPECT_EQ(run.out, "") << keys;
  }
  const KeysRun run = cli({"terms", "{Foo}"});
  EXPECT_EQ(run.code, 2);
  EXPECT_NE(run.err.find("{Foo}"), std::string::npos) << run.err;
}

TEST(CliArgs, ExactlyOneKeysArgument) {
  EXPECT_EQ(cli({"grid"}).code, 2);
  EXPECT_EQ(cli({"grid", "a", "b"}).code, 2);
  EXPECT_EQ(cli({"grid", "--settings"}).code, 2);
  EXPECT_EQ(cli({"grid", "--bogus", "a"}).code, 2);
  const KeysRun run = cli({"grid", "--", "--1"});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(line(run.out, "row1"), "- - 1");
}

TEST(CliArgs, MissingSettingsFileIsAnError) {
  const KeysRun run = cli({"grid", "--settings", (fs::temp_directory_path() / "pendrix-no-such.ini").string(), "x"});
  EXPECT_EQ(run.code, 2);
  EXPECT_NE(run.err.find("pendrix-no-such.ini"), std::string::npos) << run.err;
}

TEST(CliArgs, SettingsFileIsReadAndLeftAsItIs) {
  const SettingsFile file("BruchKlammer=1\r\n");
  const std::string before = file.content();
  const KeysRun run = cli({"grid", "--settings", file.path(), "{InnerFraction}"});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(line(run.out, "row1"), "{ / }");
  EXPECT_EQ(file.content(), before);  // no Strichpunkt written
}

TEST(CliArgs, ParseFormulaArgsLoadsTheRecord) {
  const SettingsFile file("MalPunkt=2\r\nStrichpunkt=,\r\n");
  FormulaArgs parsed;
  std::ostringstream err;
  ASSERT_TRUE(parseFormulaArgs({"--settings", file.path(), "2*3"}, parsed, err)) << err.str();
  EXPECT_EQ(parsed.keys, "2*3");
  EXPECT_EQ(parsed.settings->wordTimes, u'\u2022');
  EXPECT_EQ(parsed.settings->listSeparator, u',');
  EXPECT_EQ(settingsPathFromArgs({"--settings", file.path(), "2*3"}), file.path());

  FormulaArgs defaults;
  ASSERT_TRUE(parseFormulaArgs({"x"}, defaults, err));
  EXPECT_EQ(defaults.settings->listSeparator, u';');
  EXPECT_EQ(defaults.settings->bracketOpen, u'[');
  EXPECT_EQ(settingsPathFromArgs({"x"}), "");
}

TEST(CliArgs, UndecidedSeparatorCountsAsSemicolon) {
  const SettingsFile file("Strichpunkt=z\r\n");
  FormulaArgs parsed;
  std::ostringstream err;
  ASSERT_TRUE(parseFormulaArgs({"--settings", file.path(), "x"}, parsed, err)) << err.str();
  EXPECT_EQ(parsed.settings->listSeparator, u';');
}

TEST(CliTypeKeys, AltLAnsweredNoLeavesTheFormula) {
  FormulaGrid grid;
  Settings settings;
  SilentNotifier no(false);
  RecordingSolutionDisplay display;
  std::ostringstream err;
  ASSERT_TRUE(typeKeys("x+1{Alt+l}", grid, settings, no, display, err));
  EXPECT_EQ(grid.length(), 3);
  EXPECT_EQ(display.value, u"----");
}

TEST(CliTerms, EquationSlotsAndMask) {
  const KeysRun run = cli({"terms", "y = 2x + 1"});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out,
            "mask=4\n"
            "relation1=0\n"
            "relation2=0\n"
            "degreeSeen=0\n"
            "term0=y \n"
            "term1=2x + 1\n"
            "term2=\n"
            "term3=\n"
            "term4=\n");
}

TEST(CliTerms, MixedNumberSuperscriptAndRelations) {
  KeysRun run = cli({"terms", "2 {Up}1{Down}{Down}2"});
  EXPECT_EQ(line(run.out, "term0"), "(2 +((1)/(2)))");
  run = cli({"terms", "x^2"});
  EXPECT_EQ(line(run.out, "term0"), "x^(2)");
  run = cli({"terms", "y=a<b>c=d"});
  EXPECT_EQ(line(run.out, "mask"), "32");
  EXPECT_EQ(line(run.out, "relation1"), "1");
  EXPECT_EQ(line(run.out, "relation2"), "2");
  EXPECT_EQ(line(run.out, "term4"), "d");
  run = cli({"terms", "{CubeRoot}8"});
  EXPECT_EQ(line(run.out, "degreeSeen"), "1");
  EXPECT_EQ(line(run.out, "term0"), "\u00E58\u00E6");
}

}  // namespace
}  // namespace pendrix::cli

// pendrix-cli exercise: a file with the linear example, drawn, printed and repeated.
#include <gtest/gtest.h>

#include <chrono>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "commands.h"

namespace pendrix::cli {
namespace {

namespace fs = std::filesystem;

class CliExercise : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("pendrix-cli-exercise-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    file_ = (dir_ / "linear.wrx").string();
    std::ofstream(file_) << "[AUFGABE]\nAnzahl=2\nTermTyp=Gleichung\nTITEL__0=lineare Gleichung\n"
                            "TEXT___0=Solve it\nAUFGABE1=3x+5=99L\nPARAX__0=2\nAUFGABE4=9:0\n";
  }
  void TearDown() override { fs::remove_all(dir_); }

  int run(const Args& args) {
    out_.str("");
    err_.str("");
    return runCli(args, out_, err_);
  }
  std::string value(const std::string& key, int block = 0) const {
    std::istringstream lines(out_.str());
    std::string line;
    int seen = 0;
    while (std::getline(lines, line))
      if (line.rfind(key + "=", 0) == 0 && seen++ == block) return line.substr(key.size() + 1);
    return "<missing>";
  }

  // The row as text again: cells are blank-separated, U+XXXX stands for one code.
  std::string rowText(const std::string& key, int block = 0) const {
    std::istringstream cells(value(key, block));
    std::string text;
    for (std::string cell; cells >> cell;)
      text += cell.rfind("U+", 0) == 0 ? std::string(1, static_cast<char>(std::stoi(cell.substr(2), nullptr, 16))) : cell;
    return text;
  }

  fs::path dir_;
  std::string file_;
  std::ostringstream out_, err_;
};

TEST_F(CliExercise, PrintsTheDrawnEquationAndItsSolution) {
  ASSERT_EQ(run({"exercise", file_, "1", "--seed", "1", "--again"}), 0) << err_.str();
  for (int block : {0, 1}) {
    const std::string row = rowText("row1", block);
    ASSERT_EQ(row.substr(1, 2), "x+") << row;
    EXPECT_EQ(value("eq", block), "EQ " + row);
    // The formula has no upper or lower row: their cells are empty, shown as codes.
    EXPECT_EQ(value("row0", block).substr(0, 14), "U+0000 U+0000 ") << value("row0", block);
    const int a = row[0] - '0', b = row[3] - '0';
    const int c = std::stoi(row.substr(5));
    const double x = std::stod(value("display1009", block));
    EXPECT_EQ(a * x + b, c) << row;
    EXPECT_EQ(value("text", block), "Solve it");
  }
  EXPECT_EQ(out_.str().find("message:"), std::string::npos);
  // The same seed draws the same exercise.
  const std::string first = out_.str();
  run({"exercise", file_, "1", "--seed", "1", "--again"});
  EXPECT_EQ(out_.str(), first);
  // Opening completed the file.
  std::ifstream completed(file_);
  const std::string content((std::istreambuf_iterator<char>(completed)), std::istreambuf_iterator<char>());
  EXPECT_NE(content.find("PARAT__20=-1"), std::string::npos);
}

// An own file's 2(x+5)=2x+99L, fitted at L, is true for every x: the display says
// so rather than showing the drawn x.
TEST_F(CliExercise, AnEquationForEveryNumberSaysSo) {
  const std::string own = (dir_ / "identity.wrx").string();
  std::ofstream(own) << "[AUFGABE]\nAnzahl=1\nTermTyp=Gleichung\nTITEL__0=immer wahr\nAUFGABE1=2(x+5)=2x+99L\n"
                        "PARAX__0=2\n";
  ASSERT_EQ(run({"exercise", own, "1", "--seed", "4"}), 0) << err_.str();
  EXPECT_EQ(rowText("row1").substr(0, 11), "2(x+5)=2x+1") << rowText("row1");
  EXPECT_EQ(value("display1009"), "alle x");
  const fs::path settings = dir_ / "WordZomb.ini";
  std::ofstream(settings) << "[EINSTELLUNGEN]\nStrichpunkt=;\nDezimalZeichen=,\n";
  ASSERT_EQ(run({"exercise", file_, "1", "--seed", "1", "--settings", settings.string()}), 0) << err_.str();
  EXPECT_NE(value("display1009").find(','), std::string::npos) << value("display1009");
}

TEST_F(CliExercise, MessagesAndUsageErrors) {
  ASSERT_EQ(run({"exercise", file_, "-1", "--seed", "3"}), 0);
  EXPECT_NE(out_.str().find("message: Bitte zuerst eine Aufgabe auswählen."), std::string::npos);
  ASSERT_EQ(run({"exercise", file_, "2", "--seed", "3"}), 0);
  EXPECT_NE(out_.str().find("message: Versuch es nocheinmal oder wähle eine andere Aufgabe"), std::string::npos);
  EXPECT_EQ(value("row1"), "");
  EXPECT_EQ(value("display1009"), "----");
  EXPECT_EQ(run({"exercise", file_}), 2);
  EXPECT_EQ(run({"exercise", file_, "1", "--seed"}), 2);
  EXPECT_EQ(run({"exercise", file_, "1", "--seed", "x"}), 2);
  EXPECT_EQ(run({"exercise", file_, "one"}), 2);
}

}  // namespace
}  // namespace pendrix::cli

// Every command's output is UTF-8 text without control characters other than the line
// feeds that end its lines, whatever the formula, field code or exercise holds.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "commands.h"

namespace pendrix::cli {
namespace {

namespace fs = std::filesystem;

// "" when `bytes` is clean text, else what is wrong and where.
std::string textFault(const std::string& bytes) {
  for (size_t i = 0; i < bytes.size();) {
    const auto lead = static_cast<uint8_t>(bytes[i]);
    const int extra = lead < 0x80 ? 0 : (lead >> 5) == 0x6 ? 1 : (lead >> 4) == 0xE ? 2 : (lead >> 3) == 0x1E ? 3 : -1;
    if (extra < 0 || i + extra >= bytes.size()) return "bad UTF-8 lead at " + std::to_string(i);
    uint32_t cp = extra > 0 ? lead & (0x3F >> extra) : lead;
    for (int k = 1; k <= extra; ++k) {
      const auto next = static_cast<uint8_t>(bytes[i + k]);
      if ((next & 0xC0) != 0x80) return "bad UTF-8 continuation at " + std::to_string(i + k);
      cp = cp << 6 | (next & 0x3F);
    }
    constexpr uint32_t kShortest[] = {0, 0x80, 0x800, 0x10000};
    if (cp < kShortest[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
      return "invalid code point at " + std::to_string(i);
    if (cp != '\n' && (cp < 0x20 || (cp >= 0x7F && cp <= 0x9F)))
      return "control character " + std::to_string(cp) + " at " + std::to_string(i);
    i += extra + 1;
  }
  return "";
}

TEST(CliOutputCheck, FindsWhatItLooksFor) {
  EXPECT_EQ(textFault("row0=x\nä√\n"), "");
  EXPECT_NE(textFault(std::string("row0=\0\0", 7)), "");
  EXPECT_NE(textFault("a\rb"), "");
  EXPECT_NE(textFault("\xC2\x85"), "");  // U+0085, a C1 control
  EXPECT_NE(textFault("\xC3"), "");
  EXPECT_NE(textFault("\xED\xA0\x80"), "");  // a surrogate
  EXPECT_NE(textFault("\xC0\xAF"), "");      // overlong
}

class CliOutput : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("pendrix-cli-output-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    fs::create_directories(dir_);
    exercises_ = (dir_ / "mixed.wrx").string();
    // One main-row equation, one fraction term, one exercise with a control character.
    std::ofstream(exercises_) << "[AUFGABE]\nAnzahl=3\nTermTyp=Gleichung\nTITEL__0=gemischt\nTEXT___0=L\xC3\xB6se\n"
                                 "AUFGABE1=3x+5=99L\nPARAX__0=2\nAUFGABE2=12:5\nAUFGABE3=2\x01x=4\n";
  }
  void TearDown() override { fs::remove_all(dir_); }

  void expectClean(const Args& args) {
    std::ostringstream out, err;
    runCli(args, out, err);
    std::string shown;
    for (const std::string& arg : args) shown += "[" + arg + "]";
    EXPECT_EQ(textFault(out.str()), "") << shown << "\n" << out.str();
    EXPECT_EQ(textFault(err.str()), "") << shown << "\n" << err.str();
    if (!out.str().empty()) {
      EXPECT_EQ(out.str().back(), '\n') << shown;
    }
  }

  fs::path dir_;
  std::string exercises_;
};

TEST_F(CliOutput, EveryCommandPrintsCleanLines) {
  const std::vector<std::string> keys = {
      "3x+5=17", "x^2=4", "{Root}9+{CubeRoot}8", "{InnerFraction}1{Down}2", std::string("a\x01" "b=\x1b"),
      "1\x7f" "2\xC2\x85", "\xFF\xFE=x", "{Degree=\x02}", "{Bad\x01}",
  };
  const std::string svg = (dir_ / "out.svg").string();
  std::vector<Args> runs = {{"--help"}, {"nonsense\x01"}};
  for (const std::string& k : keys) {
    for (const char* command : {"eq", "offsets", "grid", "terms", "solve", "eval"}) runs.push_back({command, "--", k});
    runs.push_back({"preview", k, "--svg", svg});
  }
  for (const char* code : {"EQ \\r(x)", "EQ \\r(2;\\r(2;\\r(2;9)))", "EQ \x01\\f(1;2)\x1b", "EQ \\s\\up5(\x7f)"})
    runs.push_back({"read", code});
  for (const char* number : {"-1", "1", "2", "3", "4"})
    runs.push_back({"exercise", exercises_, number, "--seed", "1", "--again"});
  for (const Args& args : runs) expectClean(args);
}

}  // namespace
}  // namespace pendrix::cli

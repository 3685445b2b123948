// pendrix-cli worksheet: the sheet the assistant's own code draws, printed line by line,
// and the arguments it refuses.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "commands.h"
#include "exercises/worksheet.h"
#include "session/text_codec.h"

namespace pendrix::cli {
namespace {

namespace fs = std::filesystem;

class CliWorksheet : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("pendrix-cli-worksheet-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    fs::create_directories(dir_);
    file_ = (dir_ / "Gleichungen.wrx").string();
    std::ofstream(file_, std::ios::binary)
        << "[AUFGABE]\r\nAnzahl=2\r\nTermTyp=Gleichung\r\nTITEL__0=linear\r\nTEXT___0=Löse.\r\nAUFGABE1=3x+5=99L\r\n"
           "PARAX__0=2\r\nTITEL__1=Faktor\r\nTEXT___1=Löse auch.\r\nAUFGABE4=9x=99L\r\nPARAX__1=2\r\n";
  }
  void TearDown() override { fs::remove_all(dir_); }

  int run(const Args& args) {
    out_.str("");
    err_.str("");
    return runCli(args, out_, err_);
  }
  std::vector<std::string> lines() const {
    std::vector<std::string> out;
    std::istringstream text(out_.str());
    for (std::string line; std::getline(text, line);) out.push_back(line);
    return out;
  }

  fs::path dir_;
  std::string file_;
  std::ostringstream out_, err_;
};

TEST_F(CliWorksheet, PrintsTheHeadingEachExerciseWithItsCodeAndTheKey) {
  ASSERT_EQ(run({"worksheet", file_, "--count", "3", "--seed", "4"}), 0) << err_.str();
  const std::vector<std::string> printed = lines();
  ASSERT_EQ(printed.size(), 1u + 2 * 3 + 1 + 3) << out_.str();
  EXPECT_EQ(printed[0], "Arbeitsblatt: Gleichungen");
  EXPECT_EQ(printed[1], "1) Löse.");
  EXPECT_EQ(printed[3], "2) Löse auch.");
  EXPECT_EQ(printed[5], "3) Löse.");
  for (int i : {2, 4, 6}) EXPECT_EQ(printed[i].rfind("EQ ", 0), 0u) << printed[i];
  EXPECT_EQ(printed[7], "Lösungen");
  for (int i : {8, 9, 10}) EXPECT_EQ(printed[i].rfind(std::to_string(i - 7) + ") L = { ", 0), 0u) << printed[i];

  // The core's sheet for the same seed, line for line.
  auto store = makePortableProfileStore();
  ExerciseSet set(*store);
  set.Open(fromUtf8(file_));
  CrtRandom source(4);
  ExerciseRandom random(source);
  Settings defaults;
  const Worksheet sheet = drawWorksheet(set, u"Gleichungen", {WorksheetMode::InOrder, 3, -1}, defaults.record(), random);
  ASSERT_EQ(sheet.entries.size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(printed[2 + 2 * i], toUtf8(sheet.entries[i].code.text));
    EXPECT_EQ(printed[8 + i], toUtf8(numberedLine(static_cast<int>(i + 1), sheet.entries[i].key)));
  }
  // The same seed prints the same sheet.
  const std::string first = out_.str();
  ASSERT_EQ(run({"worksheet", file_, "--count", "3", "--seed", "4"}), 0);
  EXPECT_EQ(out_.str(), first);
}

TEST_F(CliWorksheet, OneExerciseAndThePlacesLeftOut) {
  // "9x=99L" with x from 1 to 9 and a factor of 1 to 9 has more than forty formulas;
  // an exercise of zeros, which stay as written, has one.
  ASSERT_EQ(run({"worksheet", file_, "--mode", "one", "--exercise", "2", "--count", "40", "--seed", "9"}), 0);
  EXPECT_EQ(out_.str().find("message:"), std::string::npos) << out_.str();
  EXPECT_NE(out_.str().find("40) Löse auch."), std::string::npos);

  const std::string fixed = (dir_ / "Fest.wrx").string();
  std::ofstream(fixed, std::ios::binary) << "[AUFGABE]\r\nAnzahl=1\r\nTITEL__0=Fest\r\nTEXT___0=Rechne.\r\nAUFGABE1=0+0\r\n";
  ASSERT_EQ(run({"worksheet", fixed, "--mode", "mixed", "--count", "4", "--seed", "1"}), 0);
  EXPECT_NE(out_.str().find("1) = 0.000"), std::string::npos) << out_.str();
  EXPECT_NE(out_.str().find("message: Auf dem Arbeitsblatt stehen 1 von 4 Aufgaben.\\n"
                            "Ausgelassen, weil sich keine neue Formel ziehen ließ: „Fest“ 3-mal."),
            std::string::npos)
      << out_.str();

  ASSERT_EQ(run({"worksheet", (dir_ / "fehlt.wrx").string(), "--seed", "1"}), 0);
  EXPECT_NE(out_.str().find("message: Für das Arbeitsblatt ließ sich keine Aufgabe ziehen."), std::string::npos);
}

TEST_F(CliWorksheet, RefusesWhatItCannotDraw) {
  const std::vector<Args> refused = {
      {"worksheet"},
      {"worksheet", file_, file_},
      {"worksheet", file_, "--count", "0"},
      {"worksheet", file_, "--count", "41"},
      {"worksheet", file_, "--count", "zehn"},
      {"worksheet", file_, "--mode", "alle"},
      {"worksheet", file_, "--mode", "one"},
      {"worksheet", file_, "--mode", "one", "--exercise", "3"},
      {"worksheet", file_, "--seed", "-1"},
      {"worksheet", file_, "--seed"},
      {"worksheet", file_, "--settings", (dir_ / "fehlt.ini").string()},
      {"worksheet", file_, "--farbe", "rot"},
  };
  for (const Args& args : refused) {
    SCOPED_TRACE(args.size() > 2 ? args[2] : "");
    EXPECT_EQ(run(args), 2);
    EXPECT_FALSE(err_.str().empty());
    EXPECT_TRUE(out_.str().empty());
  }
}

}  // namespace
}  // namespace pendrix::cli

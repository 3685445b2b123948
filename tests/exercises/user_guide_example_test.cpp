// The exercise file that the user guide explains to teachers (docs/Beispiel.wrx): the
// guide quotes it as it is, and every exercise in it gives usable equations.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "exercise_harness.h"
#include "exercises/exercise_generator.h"
#include "session/text_codec.h"

namespace pendrix {
namespace {

namespace fs = std::filesystem;

constexpr int kDraws = 60;

fs::path docs() { return fs::path(PENDRIX_TEST_DATA).parent_path().parent_path() / "docs"; }

std::string fileBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The file as a teacher saves it from Notepad ("Unicode"): UTF-16 with its byte-order
// mark and CRLF lines; as the guide prints it: UTF-8 with LF lines.
std::string exampleAsPrinted() {
  const std::string bytes = fileBytes(docs() / "Beispiel.wrx");
  if (bytes.size() < 2 || bytes.substr(0, 2) != "\xFF\xFE") return {};
  std::u16string text;
  for (size_t i = 2; i + 1 < bytes.size(); i += 2)
    text += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8);
  std::string printed;
  for (const char c : toUtf8(text))
    if (c != '\r') printed += c;
  return printed;
}

TEST(UserGuideExample, TheGuideQuotesTheFileAsItIs) {
  const std::string example = exampleAsPrinted();
  ASSERT_FALSE(example.empty()) << "docs/Beispiel.wrx is not a UTF-16 file with its byte-order mark";
  const std::string guide = fileBytes(docs() / "Benutzerhandbuch.md");
  EXPECT_NE(guide.find("```ini\n" + example + "```\n"), std::string::npos)
      << "the guide does not quote docs/Beispiel.wrx verbatim";
}

// Opening completes a file, so the test works on a copy.
class ExampleFile : public ::testing::Test {
 protected:
  void SetUp() override {
    copy_ = fs::temp_directory_path() /
            ("pendrix-guide-example-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()) + ".wrx");
    fs::copy_file(docs() / "Beispiel.wrx", copy_);
    set_.Open(copy_.u16string());
  }
  void TearDown() override { fs::remove(copy_); }

  fs::path copy_;
  std::unique_ptr<ProfileStore> store_ = makePortableProfileStore();
  ExerciseSet set_{*store_};
};

TEST_F(ExampleFile, ItsTitlesTextsAndKindReadBack) {
  ASSERT_EQ(set_.count(), 4);
  EXPECT_EQ(set_.Kind(), ExerciseKind::Equation);
  const char16_t* titles[] = {u"x mit Zahl", u"Klammer", u"x im Quadrat", u"Bruch"};
  for (int n = 0; n < 4; ++n) {
    EXPECT_EQ(set_.Title(n), titles[n]);
    set_.Select(n + 1);
    EXPECT_EQ(set_.Text().substr(0, 19), u"Löse die Gleichung.");
    for (int row = 0; row < 3; ++row) {
      EXPECT_EQ(set_.Template(row).size(), set_.Template(1).size()) << "exercise " << n + 1 << " row " << row;
      EXPECT_EQ(set_.Flags(row).size(), set_.Template(row).size()) << "exercise " << n + 1 << " row " << row;
    }
  }
}

// Each exercise drawn as the dialog draws it: accepted, of the template's shape (a
// number narrower than its placeholder closes up), no placeholder and no blank left,
// and the unknown shown is a solution of the equation in the grid.
TEST_F(ExampleFile, EveryExerciseDrawsSolvableEquationsOfItsShape) {
  ExerciseDialog dialog;
  dialog.command.setExerciseSet(&set_, set_.Kind());
  for (int n = 1; n <= set_.count(); ++n) {
    set_.Select(n);
    const size_t columns = set_.Template(1).size();
    for (uint32_t seed = 1; seed <= kDraws; ++seed) {
      SCOPED_TRACE("exercise " + std::to_string(n) + ", seed " + std::to_string(seed));
      dialog.source.seed(seed);
      dialog.command.run(n);
      ASSERT_TRUE(dialog.notifier.messages.empty()) << narrow(dialog.notifier.messages.front());
      const std::u16string main = rowText(dialog.grid, ROW_MAIN);
      ASSERT_LE(static_cast<size_t>(dialog.grid.length()), columns) << narrow(main);
      ASSERT_GE(static_cast<size_t>(dialog.grid.length()), columns - 2) << narrow(main);
      if (n != 4) {
        ASSERT_EQ(main.find(u' '), std::u16string::npos) << narrow(main);
      }
      for (int row = 0; row < 3; ++row)
        ASSERT_EQ(rowText(dialog.grid, row).find_first_of(u"L_"), std::u16string::npos) << narrow(main);
      const double x = dialog.command.unknownValue();
      ASSERT_EQ(dialog.display.value, formatSolution(x)) << narrow(main);
      ASSERT_LT(std::fabs(gridDifference(dialog.grid, x)), 1e-9) << narrow(main);
    }
  }
}

}  // namespace
}  // namespace pendrix

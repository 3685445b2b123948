// The exercise files that ship with the assistant: complete, readable and able to
// produce fresh instances without overrunning a grid row.
#include <gtest/gtest.h>

#include <chrono>

#include <filesystem>
#include <string>
#include <vector>

#include "shipped_draws.h"
#include "exercises/exercise_generator.h"
#include "exercises/exercise_set.h"

namespace pendrix {
namespace {

namespace fs = std::filesystem;

constexpr int kDrawsPerExercise = kShippedDraws;
constexpr char16_t kLeftOverPlaceholders[] = u"ikIJvVsSABDEFMNOQpPTULGWZu$&!?cdefghH";

// Next to the test data: <repo>/tests/data names the repository.
fs::path shippedDirectory() {
  return fs::path(PENDRIX_TEST_DATA).parent_path().parent_path() / "assistant" / "exercises" / "files";
}

// Opening completes a file, so the tests work on copies.
class ShippedFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    copies_ = fs::temp_directory_path() / ("pendrix-shipped-exercises-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    fs::remove_all(copies_);
    fs::create_directories(copies_);
    for (const auto& entry : fs::directory_iterator(shippedDirectory())) {
      if (entry.path().extension() != ".wrx") continue;
      fs::copy_file(entry.path(), copies_ / entry.path().filename());
      files_.push_back(copies_ / entry.path().filename());
    }
  }
  void TearDown() override { fs::remove_all(copies_); }

  fs::path copies_;
  std::vector<fs::path> files_;
  std::unique_ptr<ProfileStore> store_ = makePortableProfileStore();
};

TEST_F(ShippedFiles, TwelveAreasOfEightToTwentyOneExercises) {
  ASSERT_GE(files_.size(), 12u);
  int equationFiles = 0;
  for (const fs::path& file : files_) {
    ExerciseSet set(*store_);
    set.Open(file.u16string());
    EXPECT_GE(set.count(), 8) << file;
    EXPECT_LE(set.count(), 21) << file;
    equationFiles += set.Kind() != ExerciseKind::Term;
    for (int n = 1; n <= set.count(); ++n) {
      set.Select(n);
      EXPECT_NE(set.Title(n - 1), u"") << file << " " << n;
      EXPECT_NE(set.Title(n - 1), kNoTitle) << file << " " << n;
      EXPECT_NE(set.Text(), u"") << file << " " << n;
      EXPECT_FALSE(set.Template(1).empty()) << file << " " << n;
      for (int row = 0; row < 3; ++row) {
        EXPECT_LE(set.Template(row).size(), kMaxRowColumns) << file << " " << n;
        EXPECT_EQ(set.Flags(row).size(), set.Template(row).size()) << file << " " << n << " row " << row;
      }
      // An equation has its unknown (x, or the z of a fill-in) and says how it is drawn.
      if (set.Kind() != ExerciseKind::Term) {
        EXPECT_NE((set.Template(0) + set.Template(1) + set.Template(2)).find_first_of(u"xz"), std::u16string::npos)
            << file << " " << n;
        EXPECT_NE(set.xKind(n - 1), -1) << file << " " << n;
      }
    }
  }
  EXPECT_GE(equationFiles, 6);
  ExerciseSet fractions(*store_);
  fractions.Open((copies_ / "Bruchrechnung.wrx").u16string());
  EXPECT_EQ(fractions.Title(1), u"Br\u00FCche addieren");  // the files are UTF-16, umlauts survive
}

TEST_F(ShippedFiles, EveryExerciseGeneratesTwoHundredFittingInstances) {
  CrtRandom source;
  ExerciseRandom random(source);
  ExerciseGenerator generator(random);
  for (const fs::path& file : files_) {
    ExerciseSet set(*store_);
    set.Open(file.u16string());
    for (int n = 1; n <= set.count(); ++n) {
      set.Select(n);
      const ExerciseRows templates{set.Template(0), set.Template(1), set.Template(2)};
      const ExerciseRows flags{set.Flags(0), set.Flags(1), set.Flags(2)};
      for (int draw = 0; draw < kDrawsPerExercise; ++draw) {
        source.seed(static_cast<uint32_t>(draw * 7919 + n));
        generator.GenerateRows(templates, flags);
        for (int row = 0; row < 3; ++row) {
          const std::u16string& generated = generator.rows()[row];
          ASSERT_EQ(generated.size(), templates[row].size()) << file << " " << n;
          ASSERT_EQ(generated.find_first_of(kLeftOverPlaceholders), std::u16string::npos)
              << file << " " << n << " " << std::string(generated.begin(), generated.end());
        }
        if (generator.mark(u'L').present()) {
          ASSERT_GE(generator.numberAt(generator.mark(u'L')), 1);
        }
      }
    }
  }
}

}  // namespace
}  // namespace pendrix

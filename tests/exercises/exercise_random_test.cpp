// The random rules: the runtime's generator, RandomInRange, DrawValue and tables.
#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "exercises/exercise_random.h"

namespace pendrix {
namespace {

// Hands out a fixed sequence and counts the draws.
class ScriptedRandom : public RandomSource {
 public:
  explicit ScriptedRandom(std::vector<int> values) : values_(std::move(values)) {}
  int next() override {
    const int v = values_.empty() ? 0 : values_[calls_ % values_.size()];
    ++calls_;
    return v;
  }
  int calls() const { return calls_; }

 private:
  std::vector<int> values_;
  int calls_ = 0;
};

TEST(CrtRandom, MatchesTheMicrosoftRuntime) {
  CrtRandom random(1);
  EXPECT_EQ(random.next(), 41);
  EXPECT_EQ(random.next(), 18467);
  EXPECT_EQ(random.next(), 6334);
  random.seed(1);
  EXPECT_EQ(random.next(), 41);
  CrtRandom other(12345);
  for (int i = 0; i < 1000; ++i) {
    const int v = other.next();
    ASSERT_GE(v, 0);
    ASSERT_LE(v, 32767);
  }
}

TEST(RandomInRange, SingleValueRangeAndStaysInRange) {
  CrtRandom source(7);
  ExerciseRandom random(source);
  for (int i = 0; i < 50; ++i) EXPECT_EQ(RandomInRange(random, 5, 5, 0), 5);
  for (int mode : {0, 1, 2}) {
    std::set<int64_t> seen;
    for (int i = 0; i < 3000; ++i) {
      const int64_t v = RandomInRange(random, 3, 12, mode);
      ASSERT_GE(v, 3);
      ASSERT_LE(v, 12);
      seen.insert(v);
    }
    EXPECT_EQ(seen.size(), 10u) << "mode " << mode;
  }
}

TEST(RandomInRange, TwoOfThreeHitsOfOneAreDrawnAgain) {
  ScriptedRandom source({0});
  ExerciseRandom random(source);
  std::vector<int> callsPerDraw;
  for (int i = 0; i < 6; ++i) {
    const int before = source.calls();
    EXPECT_EQ(RandomInRange(random, 1, 1, 0), 1);
    callsPerDraw.push_back(source.calls() - before);
  }
  EXPECT_EQ(callsPerDraw, (std::vector<int>{2, 2, 1, 2, 2, 1}));
}

TEST(RandomInRange, WideRangesCoverLargeNumbersWithinBounds) {
  CrtRandom source(99);
  ExerciseRandom random(source);
  int64_t largest = 0;
  int negatives = 0;
  for (int i = 0; i < 5000; ++i) {
    const int64_t v = RandomInRange(random, -99999999, 99999999, 0);
    ASSERT_GE(v, -99999999);
    ASSERT_LE(v, 99999999);
    largest = std::max(largest, v);
    negatives += v < 0;
  }
  EXPECT_GT(largest, 1000000);
  EXPECT_GT(negatives, 0);
  for (int i = 0; i < 2000; ++i) {
    const int64_t v = RandomInRange(random, 1000, 999999, 0);
    ASSERT_GE(v, 1000);
    ASSERT_LE(v, 999999);
  }
}

TEST(RandomInRange, InvertedRangeGivesItsLowEnd) {
  CrtRandom source(3);
  ExerciseRandom random(source);
  EXPECT_EQ(RandomInRange(random, 9, 4, 0), 9);
}

TEST(DrawValue, IntegerKindsStayInTheirRanges) {
  struct Range {
    int kind;
    int lo, hi;
  };
  const Range ranges[] = {{1, 0, 9},    {2, 1, 9},     {3, -9, 9},   {4, 0, 20},   {5, 1, 20},
                          {6, -20, 20}, {7, 0, 99},    {8, 1, 99},   {9, -99, 99}, {10, 1, 999},
                          {11, -999, 999}, {16, 1000, 999999}};
  CrtRandom source(5);
  ExerciseRandom random(source);
  for (const Range& r : ranges) {
    for (int i = 0; i < 500; ++i) {
      const DrawnValue v = DrawValue(random, r.kind);
      ASSERT_TRUE(v.fractionText.empty());
      ASSERT_EQ(v.value, std::floor(v.value));
      ASSERT_GE(v.value, r.lo) << r.kind;
      ASSERT_LE(v.value, r.hi) << r.kind;
    }
  }
  EXPECT_EQ(DrawValue(random, -1).value, 1);
  EXPECT_EQ(DrawValue(random, 17).value, 1);
}

TEST(DrawValue, FractionKindsShowTheirText) {
  CrtRandom source(11);
  ExerciseRandom random(source);
  bool sawNegative = false, sawInteger = false, sawImproper = false;
  for (int i = 0; i < 2000; ++i) {
    const DrawnValue proper = DrawValue(random, 12);
    ASSERT_GT(proper.value, 0);
    ASSERT_LT(proper.value, 1);
    ASSERT_EQ(proper.fractionText.substr(0, 2), u"  ");
    const DrawnValue signedProper = DrawValue(random, 13);
    ASSERT_LT(std::fabs(signedProper.value), 1);
    ASSERT_EQ(signedProper.fractionText[0] == u'-', signedProper.value < 0);
    sawNegative |= signedProper.value < 0;
    for (int kind : {14, 15}) {
      const DrawnValue mixed = DrawValue(random, kind);
      if (mixed.fractionText.empty()) {
        sawInteger = true;
        ASSERT_EQ(mixed.value, std::floor(mixed.value));
      } else {
        sawImproper |= std::fabs(mixed.value) > 1;
      }
    }
  }
  EXPECT_TRUE(sawNegative);
  EXPECT_TRUE(sawInteger);
  EXPECT_TRUE(sawImproper);
}

TEST(FractionTables, TextsValuesAndPairs) {
  EXPECT_EQ(fractionText(kFractionTable[0], false), u"  1/2");
  EXPECT_EQ(fractionText(kFractionTable[53], false), u"  17/9");
  EXPECT_EQ(fractionText(kFractionTable[26], true), u"- 8/9");
  for (int i = 0; i < kProperFractions; ++i)
    EXPECT_LT(kFractionTable[i].numerator, kFractionTable[i].denominator);
  for (int i = kProperFractions; i < kAllFractions; ++i)
    EXPECT_GT(kFractionTable[i].numerator, kFractionTable[i].denominator);
  EXPECT_EQ(kFractionPairTable[25].numerator, 4);
  EXPECT_EQ(kFractionPairTable[25].denominator, 8);
}

TEST(PrimeTable, HundredSeventyPrimesUpTo1013) {
  int count = 0;
  for (int n = -5; n < 3000; ++n) count += isTablePrime(n);
  EXPECT_EQ(count, 170);
  EXPECT_TRUE(isTablePrime(2));
  EXPECT_TRUE(isTablePrime(1013));
  EXPECT_FALSE(isTablePrime(1019));
  EXPECT_FALSE(isTablePrime(1));
  EXPECT_FALSE(isTablePrime(91));
}

}  // namespace
}  // namespace pendrix

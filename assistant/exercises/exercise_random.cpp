#include "exercises/exercise_random.h"

#include <algorithm>
#include <array>

namespace pendrix {

const Fraction kFractionTable[kAllFractions] = {
    {1, 2},  {1, 3},  {2, 3},  {1, 4},  {3, 4},  {1, 5},  {2, 5},  {3, 5},  {4, 5},
    {1, 6},  {5, 6},  {1, 7},  {2, 7},  {3, 7},  {4, 7},  {5, 7},  {6, 7},  {1, 8},
    {3, 8},  {5, 8},  {7, 8},  {1, 9},  {2, 9},  {4, 9},  {5, 9},  {7, 9},  {8, 9},
    {3, 2},  {4, 3},  {5, 3},  {5, 4},  {7, 4},  {6, 5},  {7, 5},  {8, 5},  {9, 5},
    {7, 6},  {11, 6}, {8, 7},  {9, 7},  {10, 7}, {11, 7}, {12, 7}, {13, 7}, {9, 8},
    {11, 8}, {13, 8}, {15, 8}, {10, 9}, {11, 9}, {13, 9}, {14, 9}, {16, 9}, {17, 9},
};

const Fraction kFractionPairTable[kFractionPairs] = {
    {1, 2}, {1, 4}, {1, 5}, {1, 8}, {2, 5}, {3, 4}, {3, 5}, {3, 8}, {4, 5},
    {5, 8}, {7, 8}, {1, 2}, {1, 4}, {1, 5}, {1, 8}, {2, 5}, {3, 4}, {3, 5},
    {3, 8}, {4, 5}, {5, 8}, {7, 8}, {2, 4}, {3, 6}, {2, 8}, {4, 8},
};

int CrtRandom::next() {
  state_ = state_ * 214013u + 2531011u;
  return static_cast<int>((state_ >> 16) & 0x7FFF);
}

namespace {

constexpr int64_t kBlock = 32000;

// C's % on a possibly empty range; an empty or inverted range contributes nothing.
int64_t drawBelow(ExerciseRandom& random, int64_t n) {
  const int64_t r = random.draw();
  return n > 0 ? r % n : 0;
}

bool inMiddleThird(int64_t d, int64_t n) {
  return static_cast<double>(d) >= n * 0.333 && static_cast<double>(d) <= n * 0.666;
}

}  // namespace

int64_t RandomInRange(ExerciseRandom& random, int64_t lo, int64_t hi, int mode) {
  // The runtime gives only 15 bits, so wide ranges first pick a block of 32000.
  int64_t c = 0;
  if (hi >= 32001) {
    const int64_t e = hi / kBlock - lo / kBlock;
    int64_t d = drawBelow(random, e);
    if (d >= e / 2) d = drawBelow(random, e);
    c = (lo / kBlock + d) * kBlock;
    lo = std::max<int64_t>(lo - c, 0);
    hi = std::max<int64_t>(hi - c, 0);
  }
  const int64_t n = hi - lo + 1;
  int64_t d = drawBelow(random, n);
  if (c + lo + d == 1) {
    // Small exercises with a factor 1 are dull: two of three such hits are redrawn.
    int& ones = random.onesCounter();
    if (++ones > 2) {
      ones = 0;
    } else {
      d = drawBelow(random, n);
    }
  }
  const int64_t base = c + lo;
  if (mode == 0) return base + d;
  if (mode == 1) {
    if (d <= n / 2) return base + d;
    const int64_t f = drawBelow(random, n);
    if (f <= n / 2) return base + f;
  } else if (mode == 2 && inMiddleThird(d, n)) {
    return base + d;
  }
  return base + drawBelow(random, n);
}

std::u16string fractionText(const Fraction& fraction, bool negative) {
  std::u16string text = negative ? u"- " : u"  ";
  for (char ch : std::to_string(fraction.numerator)) text += static_cast<char16_t>(ch);
  text += u'/';
  for (char ch : std::to_string(fraction.denominator)) text += static_cast<char16_t>(ch);
  return text;
}

namespace {

DrawnValue integerIn(ExerciseRandom& random, int lo, int hi) {
  return {static_cast<double>(RandomInRange(random, lo, hi, 0)), {}};
}

DrawnValue fractionOf(ExerciseRandom& random, int count, bool negative) {
  const Fraction& f = kFractionTable[RandomInRange(random, 0, count - 1, 0)];
  const double value = static_cast<double>(f.numerator) / f.denominator;
  return {negative ? -value : value, fractionText(f, negative)};
}

}  // namespace

DrawnValue DrawValue(ExerciseRandom& random, int kind) {
  struct IntegerKind {
    ValueKind kind;
    int lo, hi;
  };
  static constexpr IntegerKind kIntegerKinds[] = {
      {kWideInteger, -99999999, 99999999}, {kDigit, 0, 9},        {kNonZeroDigit, 1, 9},
      {kSignedDigit, -9, 9},               {kUpTo20, 0, 20},      {kOneTo20, 1, 20},
      {kSignedUpTo20, -20, 20},            {kUpTo99, 0, 99},      {kOneTo99, 1, 99},
      {kSignedUpTo99, -99, 99},            {kOneTo999, 1, 999},   {kSignedUpTo999, -999, 999},
      {kLargeInteger, 1000, 999999},
  };
  for (const IntegerKind& row : kIntegerKinds)
    if (row.kind == kind) return integerIn(random, row.lo, row.hi);
  switch (kind) {
    case kProperFraction: return fractionOf(random, kProperFractions, false);
    case kSignedProperFraction: {
      const bool negative = RandomInRange(random, 0, 100, 0) >= 50;
      return fractionOf(random, kProperFractions, negative);
    }
    case kDigitOrFraction: {
      if (RandomInRange(random, 0, 100, 0) > 49) return integerIn(random, 0, 9);
      return fractionOf(random, kAllFractions, false);
    }
    case kSignedDigitOrFraction: {
      const int64_t pick = RandomInRange(random, 0, 200, 0);
      if (pick > 99) return integerIn(random, -9, 9);
      return fractionOf(random, kAllFractions, pick >= 50);
    }
    default: return {};
  }
}

bool isTablePrime(int64_t n) {
  static const std::array<bool, 1014> sieve = [] {
    std::array<bool, 1014> s{};
    s.fill(true);
    s[0] = s[1] = false;
    for (int i = 2; i * i < 1014; ++i)
      if (s[i])
        for (int j = i * i; j < 1014; j += i) s[j] = false;
    return s;
  }();
  return n >= 2 && n <= 1013 && sieve[n];
}

}  // namespace pendrix

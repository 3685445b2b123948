#pragma once
// The random rules of the exercise generator. Exercises must draw the same numbers
// from the same seed on every build, so the generator is the C runtime's linear
// congruential rand() as Windows has it, not std::rand.

#include <cstdint>
#include <string>

namespace pendrix {

class RandomSource {
 public:
  virtual ~RandomSource() = default;
  // 0 to 32767.
  virtual int next() = 0;
};

class CrtRandom : public RandomSource {
 public:
  explicit CrtRandom(uint32_t seed = 1) : state_(seed) {}
  void seed(uint32_t seed) { state_ = seed; }
  int next() override;

 private:
  uint32_t state_;
};

// The draws of one dialog: the random source and the process-wide counter of
// draws that hit exactly 1.
class ExerciseRandom {
 public:
  explicit ExerciseRandom(RandomSource& source) : source_(source) {}
  int draw() { return source_.next(); }
  int& onesCounter() { return onesCounter_; }

 private:
  RandomSource& source_;
  int onesCounter_ = 0;
};

// Mode 0 draws evenly; mode 1 favours the lower half, mode 2 the middle third.
int64_t RandomInRange(ExerciseRandom& random, int64_t lo, int64_t hi, int mode);

// The codes of PARAX__ and PARAT__ in an exercise file: how the unknown's and the
// parameter's values are drawn. A file may hold any number; every other one draws 1.
enum ValueKind : int {
  kUnsetKind = -1,              // 1 (a file without PARAX__ or PARAT__)
  kWideInteger = 0,             // integer in -99999999 to 99999999
  kDigit = 1,                   // 0 to 9
  kNonZeroDigit = 2,            // 1 to 9
  kSignedDigit = 3,             // -9 to 9
  kUpTo20 = 4,                  // 0 to 20
  kOneTo20 = 5,                 // 1 to 20
  kSignedUpTo20 = 6,            // -20 to 20
  kUpTo99 = 7,                  // 0 to 99
  kOneTo99 = 8,                 // 1 to 99
  kSignedUpTo99 = 9,            // -99 to 99
  kOneTo999 = 10,               // 1 to 999
  kSignedUpTo999 = 11,          // -999 to 999
  kProperFraction = 12,         // one of the 27 proper fractions
  kSignedProperFraction = 13,   // a proper fraction, negative in about half the draws
  kDigitOrFraction = 14,        // 0 to 9, or one of the 54 fractions
  kSignedDigitOrFraction = 15,  // -9 to 9, or one of the 54 fractions or its negative
  kLargeInteger = 16,           // 1000 to 999999; its equations hold as left > right
};

struct DrawnValue {
  double value = 1;
  std::u16string fractionText;  // empty unless a fraction kind chose a fraction
};

// `kind` is a ValueKind or any other number read from a file.
DrawnValue DrawValue(ExerciseRandom& random, int kind);

struct Fraction {
  int numerator;
  int denominator;
};

inline constexpr int kProperFractions = 27;
inline constexpr int kAllFractions = 54;
inline constexpr int kFractionPairs = 26;
extern const Fraction kFractionTable[kAllFractions];
extern const Fraction kFractionPairTable[kFractionPairs];

// "  n/d", or "- n/d" for the negative.
std::u16string fractionText(const Fraction& fraction, bool negative);

// One of the 170 primes from 2 to 1013; larger numbers never count as prime.
bool isTablePrime(int64_t n);

}  // namespace pendrix

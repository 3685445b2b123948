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

// The codes of PARAX__ and PARAT__ in an exercise file (the table beside the generator,
// exercises/exercise_generator.h, says what each draws). A file may hold any number.
enum ValueKind : int {
  kUnsetKind = -1,
  kWideInteger = 0,
  kDigit = 1,
  kNonZeroDigit = 2,
  kSignedDigit = 3,
  kUpTo20 = 4,
  kOneTo20 = 5,
  kSignedUpTo20 = 6,
  kUpTo99 = 7,
  kOneTo99 = 8,
  kSignedUpTo99 = 9,
  kOneTo999 = 10,
  kSignedUpTo999 = 11,
  kProperFraction = 12,
  kSignedProperFraction = 13,
  kDigitOrFraction = 14,
  kSignedDigitOrFraction = 15,
  kLargeInteger = 16,
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

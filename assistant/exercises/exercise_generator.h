#pragma once
// Turns the three template rows of an exercise into working rows with fresh
// numbers, operators, exponents and letters.
//
// The letters of a template row, as teachers write them into exercise files:
//
//   letter        in a number token (a run of digits and these letters; a change between
//                 a superscript cell and a plain one ends the token, so 99 before a
//                 superscript 2 is a drawn base under an exponent as written)
//   ------------  ---------------------------------------------------------------
//   digits        the token's maximum, digit by digit, with s read as 8 and every other
//                 letter as 9; 0 stays 0; a token ending in a superscript cell keeps its
//                 number (an exponent)
//   i, k          digit limit at the letter's position; the draw favours low numbers;
//                 i writes the number right-aligned
//   I, J          numerator and denominator of one drawn fraction pair
//   v, V          v becomes a divisor of V other than 1 where V has one in v's range
//                 (V is neither prime nor 1)
//   s, S          s stays below S
//   A to F        the same number wherever the letter stands
//   M, N          different numbers
//   O, Q          numbers at least 2 apart
//   p, P          p is neither prime nor 1; P shares a factor with p and differs from it
//   W             a square
//   Z             a square times 2 to 8
//   u             the number as written (also ends the maximum's digits)
//   T, U          numbers the exercise command raises until a quotient is whole
//   L, G          numbers the exercise command sets to make an equation hold
//
//   A drawn number that multiplies or divides (it stands directly before a letter, an
//   opening bracket, a root or an exponent, beside "*" or ":", or as a denominator) is
//   never 1 unless its token allows nothing else. A number narrower than its token
//   leaves blanks in the working rows; the shown rows close them up.
//
//   placeholder   outside number tokens
//   ------------  ---------------------------------------------------------------
//   $  &  !  ?    "-" or "+";  "+" or "*";  "*" or ":";  "-", "+" or "*"
//   h, H          an exponent digit 2 to 4, 2 to 9 (its cell becomes superscript)
//   c, d          the letters x and t
//   e             x or t at random
//   f             x or t, the same for every f of the exercise
//   g             x or t, alternating from one g to the next
//
//   value kind    PARAX__ / PARAT__: how the unknown's and the parameter's values are
//                 drawn (ValueKind in exercises/exercise_random.h); any other code gives 1
//   ------------  ---------------------------------------------------------------
//   0             -99999999 to 99999999               kWideInteger
//   1, 2, 3       0 to 9, 1 to 9, -9 to 9             kDigit, kNonZeroDigit, kSignedDigit
//   4, 5, 6       0 to 20, 1 to 20, -20 to 20         kUpTo20, kOneTo20, kSignedUpTo20
//   7, 8, 9       0 to 99, 1 to 99, -99 to 99         kUpTo99, kOneTo99, kSignedUpTo99
//   10, 11        1 to 999, -999 to 999               kOneTo999, kSignedUpTo999
//   12            one of the 27 proper fractions      kProperFraction
//   13            the same, negative in half          kSignedProperFraction
//   14            0 to 9, or one of the 54 fractions  kDigitOrFraction
//   15            -9 to 9, or one of the 54 fractions or its negative
//                                                     kSignedDigitOrFraction
//   16            1000 to 999999; its equation holds as left > right
//                                                     kLargeInteger

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "exercises/exercise_random.h"

namespace pendrix {

using ExerciseRows = std::array<std::u16string, 3>;

// Working rows as the grid shows them: without the blanks a number narrower than its
// token left behind (a numerator or denominator keeps them at its end, where neither
// the field code nor the preview shows them).
struct ShownRows {
  ExerciseRows rows;
  ExerciseRows flags;
};

inline constexpr size_t kMaxRowColumns = 54;

// Where the generator put the number of a T, U, L or G placeholder.
struct NumberMark {
  int row = -1;
  int position = -1;
  int64_t limit = 0;  // T and U: the exclusive bound of increments; L and G: the token's maximum
  int width = 0;      // cells the number may occupy

  bool present() const { return row >= 0; }
};

class ExerciseGenerator {
 public:
  explicit ExerciseGenerator(ExerciseRandom& random) : random_(random) {}

  // One generation pass. Rows and flag rows longer than a grid row are cut to it.
  void GenerateRows(const ExerciseRows& templates, const ExerciseRows& templateFlags);

  const ExerciseRows& rows() const { return rows_; }
  const ExerciseRows& flags() const { return flags_; }
  ShownRows shown() const;
  const NumberMark& mark(char16_t letter) const;
  void resetMarks();

  // The number standing at a mark in the working rows (0 when there is none).
  int64_t numberAt(const NumberMark& mark) const;
  // T or U: +1 unless the number has reached its limit minus 1.
  bool incrementNumber(char16_t letter);
  // L or G: writes `value` when it lies in `lowest` to the token's maximum.
  bool setNumber(char16_t letter, int64_t value, int64_t lowest = 1);
  // L: adds the integer part of `amount`; refused when the result leaves 1 to the maximum.
  bool addToL(double amount);

 private:
  struct Letter {
    bool known = false;
    int64_t value = 0;
  };
  struct Token;

  void resetMemory();
  void generateRow(int row, const std::u16string& templ, const std::u16string& templFlags);
  void generateToken(int row, const std::u16string& templ, size_t start, size_t end);
  int64_t adjustValue(const Token& token, int64_t value);
  int64_t adjustV(const Token& token, int64_t value);
  int64_t adjustS(const Token& token, int64_t value);
  int64_t adjustPair(const Token& token, int64_t value);
  int64_t adjustPartners(const Token& token, int64_t value);
  int64_t adjustPrimes(const Token& token, int64_t value);
  void recordMarks(int row, const std::u16string& templ, const Token& token);
  char16_t placeholder(int row, size_t column, char16_t ch);
  int64_t redraw(const Token& token);
  bool standsAsFactor(int row, const std::u16string& templ, size_t start, size_t end) const;
  Letter& letter(char16_t ch) { return letters_[ch & 0x7F]; }
  NumberMark& markOf(char16_t letter);
  void writeNumber(int row, size_t position, size_t width, int64_t value, bool rightAligned);

  ExerciseRandom& random_;
  ExerciseRows rows_;
  ExerciseRows flags_;
  std::array<std::vector<bool>, 3> padding_;  // cells of a number token that its digits left blank
  std::array<Letter, 128> letters_{};
  int pairIndex_ = -1;
  char16_t fLetter_ = 0;
  char16_t gLetter_ = 0;
  int ikCounter_ = 0;
  std::array<NumberMark, 4> marks_{};  // T, U, L, G
};

// Digit or one of the letters that stand for a drawn number at this position.
bool isNumberCharacter(const std::u16string& row, size_t position);

}  // namespace pendrix

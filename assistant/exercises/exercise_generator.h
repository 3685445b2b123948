#pragma once
// Turns the three template rows of an exercise into working rows with fresh
// numbers, operators, exponents and letters.

#include <array>
#include <cstdint>
#include <string>

#include "exercises/exercise_random.h"

namespace pendrix {

using ExerciseRows = std::array<std::u16string, 3>;

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
  Letter& letter(char16_t ch) { return letters_[ch & 0x7F]; }
  NumberMark& markOf(char16_t letter);
  void writeNumber(int row, size_t position, size_t width, int64_t value, bool rightAligned);

  ExerciseRandom& random_;
  ExerciseRows rows_;
  ExerciseRows flags_;
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

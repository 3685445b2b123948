// The placeholder rules of one generation pass, checked over many seeds.
#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <string>

#include "exercises/exercise_generator.h"
#include "formula/grid_codes.h"

namespace pendrix {
namespace {

constexpr int kDraws = 400;

class Generator : public ::testing::Test {
 protected:
  // Generates `main` (and optional upper/lower rows) with a fresh seed each time.
  const ExerciseRows& generate(const std::u16string& main, const std::u16string& mainFlags = u"",
                               const std::u16string& upper = u"", const std::u16string& lower = u"") {
    source_.seed(++seed_);
    generator_.GenerateRows({upper, main, lower}, {u"", mainFlags, u""});
    return generator_.rows();
  }
  int64_t numberIn(const std::u16string& row, size_t at) {
    int64_t v = 0;
    while (at < row.size() && row[at] >= u'0' && row[at] <= u'9') v = v * 10 + (row[at++] - u'0');
    return v;
  }
  std::string narrow(const std::u16string& s) { return std::string(s.begin(), s.end()); }
  // Fraction templates: upper and lower rows with plain flags.
  const ExerciseRows& generateFraction(const std::u16string& upper, const std::u16string& main,
                                       const std::u16string& lower, const std::u16string& mainFlags) {
    source_.seed(++seed_);
    generator_.GenerateRows({upper, main, lower}, {std::u16string(upper.size(), u'\x22'), mainFlags,
                                                   std::u16string(lower.size(), u'\x22')});
    return generator_.rows();
  }

  CrtRandom source_;
  ExerciseRandom random_{source_};
  ExerciseGenerator generator_{random_};
  uint32_t seed_ = 0;
};

TEST_F(Generator, TemplateNumbersGiveTheirRanges) {
  struct Case {
    const char16_t* templ;
    int64_t lo, hi;
  };
  for (const Case& c : {Case{u"37", 1, 37}, Case{u"75", 10, 75}, Case{u"999", 100, 999}, Case{u"0", 0, 0},
                        Case{u"5", 1, 5}, Case{u"9A", 10, 99}}) {
    int64_t seenLo = 1 << 30, seenHi = -1;
    for (int i = 0; i < 5 * kDraws; ++i) {
      const int64_t v = numberIn(generate(c.templ)[1], 0);
      seenLo = std::min(seenLo, v);
      seenHi = std::max(seenHi, v);
    }
    EXPECT_EQ(seenLo, c.lo) << narrow(c.templ);
    EXPECT_EQ(seenHi, c.hi) << narrow(c.templ);
  }
}

TEST_F(Generator, ZeroAndExponentsStayAsWritten) {
  // "x2+30": the 2 is a superscript cell.
  const std::u16string flags = u"\x22\x62\x22\x22\x22";
  for (int i = 0; i < kDraws; ++i) {
    const std::u16string& row = generate(u"x2+0-3", flags)[1];
    ASSERT_EQ(row.substr(0, 5), u"x2+0-") << narrow(row);
    ASSERT_GE(row[5], u'1');
  }
}

TEST_F(Generator, DivisionVByVIsAlwaysWhole) {
  for (int i = 0; i < kDraws; ++i) {
    const std::u16string& row = generate(u"99V:9v")[1];
    const size_t colon = row.find(u':');
    const int64_t big = numberIn(row, 0), small = numberIn(row, colon + 1);
    ASSERT_GT(small, 0) << narrow(row);
    ASSERT_EQ(big % small, 0) << narrow(row);
    ASSERT_LE(small, 99);
  }
}

TEST_F(Generator, LetterRelations) {
  for (int i = 0; i < kDraws; ++i) {
    const std::u16string& row = generate(u"9A+9A-9M+9N")[1];
    ASSERT_EQ(row.substr(0, 2), row.substr(3, 2)) << narrow(row);
    ASSERT_NE(numberIn(row, 6), numberIn(row, 9)) << narrow(row);
    const std::u16string& sizes = generate(u"99S-9s")[1];
    ASSERT_LT(numberIn(sizes, 4), numberIn(sizes, 0)) << narrow(sizes);
    const std::u16string& pair = generate(u"I/J")[1];
    const int64_t num = numberIn(pair, 0), den = numberIn(pair, 2);
    ASSERT_LT(num, den);
    ASSERT_TRUE(den == 2 || den == 4 || den == 5 || den == 8 || den == 6) << narrow(pair);
    const std::u16string& shared = generate(u"99p:99P")[1];
    const int64_t p = numberIn(shared, 0), q = numberIn(shared, shared.find(u':') + 1);
    ASSERT_NE(p, q);
    const std::u16string& apart = generate(u"9O+9Q")[1];
    ASSERT_NE(numberIn(apart, 0), numberIn(apart, 3)) << narrow(apart);
  }
}

TEST_F(Generator, SquaresAndDigitLimitedNumbers) {
  for (int i = 0; i < kDraws; ++i) {
    const std::u16string& squares = generate(u"99W")[1];
    const int64_t w = numberIn(squares, 0);
    const auto root = static_cast<int64_t>(std::sqrt(static_cast<double>(w)));
    ASSERT_EQ(root * root, w) << narrow(squares);
    const std::u16string& z = generate(u"Z+99Z")[1];
    ASSERT_EQ(z.size(), 5u);
    ASSERT_NE(z[0], u' ') << narrow(z);
    ASSERT_EQ(z[1], u'+') << narrow(z);
    const std::u16string& right = generate(u"99i")[1];
    ASSERT_NE(right[2], u' ') << narrow(right);  // right-aligned in its token
    const std::u16string& kept = generate(u"42u")[1];
    ASSERT_EQ(kept, u"42 ");
  }
}

TEST_F(Generator, OperatorExponentAndLetterPlaceholders) {
  bool sawPlus = false, sawTimes = false, sawColon = false;
  for (int i = 0; i < kDraws; ++i) {
    const std::u16string& row = generate(u"x$y&z!w?cdefgg ah")[1];
    ASSERT_TRUE(row[1] == u'-' || row[1] == u'+');
    ASSERT_TRUE(row[3] == u'+' || row[3] == u'*');
    ASSERT_TRUE(row[5] == u'*' || row[5] == u':');
    ASSERT_TRUE(row[7] == u'-' || row[7] == u'+' || row[7] == u'*');
    sawPlus |= row[1] == u'+';
    sawTimes |= row[3] == u'*';
    sawColon |= row[5] == u':';
    ASSERT_EQ(row.substr(8, 2), u"xt");
    ASSERT_TRUE(row[10] == u'x' || row[10] == u't');
    ASSERT_TRUE(row[11] == u'x' || row[11] == u't');
    ASSERT_NE(row[12], row[13]);  // g alternates
    ASSERT_GE(row[16], u'2');
    ASSERT_LE(row[16], u'4');
    ASSERT_TRUE(generator_.flags()[1][16] & 0x40);
  }
  EXPECT_TRUE(sawPlus && sawTimes && sawColon);
  const std::u16string cent = generate(u"Cent+1C")[1];
  EXPECT_EQ(cent[0], u'C');  // the C of a unit stays a letter
  EXPECT_EQ(cent.substr(2, 3), u"nt+");
}

TEST_F(Generator, LinearEquationRightSideIsMadeToFit) {
  for (int i = 0; i < kDraws; ++i) {
    const std::u16string& row = generate(u"3x+5=99L")[1];
    const int64_t a = numberIn(row, 0), b = numberIn(row, 3);
    ASSERT_GE(a, 1);
    ASSERT_LE(a, 3);
    ASSERT_GE(b, 1);
    ASSERT_LE(b, 5);
    const NumberMark& l = generator_.mark(u'L');
    ASSERT_EQ(l.row, 1);
    ASSERT_EQ(l.position, 5);
    ASSERT_EQ(l.limit, 999);
    const int64_t right = generator_.numberAt(l);
    ASSERT_GE(right, 100);
    const int x = 7;
    const double difference = static_cast<double>(a * x + b - right);
    ASSERT_TRUE(generator_.addToL(difference));
    ASSERT_EQ(generator_.numberAt(l), a * x + b) << narrow(generator_.rows()[1]);
    ASSERT_FALSE(generator_.addToL(-1000));
    ASSERT_FALSE(generator_.addToL(1.0e308));
  }
}

TEST_F(Generator, IncrementsStopBelowTheirLimit) {
  generate(u"12:5T");
  const NumberMark& t = generator_.mark(u'T');
  ASSERT_EQ(t.limit, 100);
  ASSERT_EQ(t.position, 3);
  int steps = 0;
  while (generator_.incrementNumber(u'T')) ++steps;
  EXPECT_EQ(generator_.numberAt(t), 99);
  EXPECT_EQ(generator_.rows()[1].substr(2), u":99");
  EXPECT_GE(steps, 0);
  EXPECT_FALSE(generator_.incrementNumber(u'U'));
  generate(u"U+1");
  EXPECT_EQ(generator_.mark(u'U').limit, 10);
  while (generator_.incrementNumber(u'U')) {
  }
  EXPECT_EQ(generator_.rows()[1], u"9+1");
}

// Inputs the fuzz run found (fuzz/corpus/exercise_generator/): each once made a signed
// overflow or an out-of-range conversion; each must now stay within its token.
TEST_F(Generator, LongDigitRunsSaturateTheIncrementLimit) {
  generate(u"1234567890123456789012T+1");
  const NumberMark& t = generator_.mark(u'T');
  ASSERT_TRUE(t.present());
  EXPECT_EQ(t.limit, 1000000000);  // one above the largest number a row is read as
  const std::u16string before = generator_.rows()[1];
  EXPECT_FALSE(generator_.incrementNumber(u'T'));  // already at the largest number
  EXPECT_EQ(generator_.rows()[1], before);
  generate(u"12345678T");
  EXPECT_EQ(generator_.mark(u'T').limit, 1000000000);
  EXPECT_TRUE(generator_.incrementNumber(u'T'));
}

TEST_F(Generator, SquaresOfValuesOutsideTheirTokenStayInIt) {
  // M equal to N at a maximum of 0 steps down to -1; W then squared a negative.
  for (int i = 0; i < 20; ++i) {
    const ExerciseRows& rows = generate(u"0uN+0uMW+0uNZ");
    ASSERT_EQ(rows[1], u"0  +0   +0   ");
  }
  // A W or Z that takes a letter's value above its own maximum squares within that maximum.
  for (int i = 0; i < kDraws; ++i) {
    const std::u16string& row = generate(u"99999999A+AW+AZ")[1];
    const size_t w = row.find(u'+') + 1;
    const int64_t square = numberIn(row, w);
    const auto root = static_cast<int64_t>(std::sqrt(static_cast<double>(square)));
    ASSERT_EQ(root * root, square) << narrow(row);
    ASSERT_LE(square, 99) << narrow(row);
    ASSERT_LE(numberIn(row, row.find(u'+', w) + 1), 99) << narrow(row);
  }
}

TEST_F(Generator, OverlongRowsAreCutToTheGrid) {
  const std::u16string longRow(99, u'9');
  const std::u16string longFlags(120, u'\x62');
  for (int i = 0; i < 20; ++i) {
    const ExerciseRows& rows = generate(longRow, longFlags, longRow, u"h" + longRow);
    for (int r = 0; r < 3; ++r) {
      ASSERT_LE(rows[r].size(), kMaxRowColumns);
      ASSERT_LE(generator_.flags()[r].size(), kMaxRowColumns);
    }
    ASSERT_EQ(rows[1].size(), kMaxRowColumns);
  }
}

// A drawn number that multiplies or divides is never 1; one that is added may be.
TEST_F(Generator, NoDrawnFactorOrDivisorOne) {
  struct Case {
    const char16_t* templ;
    size_t at;  // where the number stands in the row
    bool factor;
  };
  const std::u16string plain(20, u'\x22');
  for (const Case& c : {Case{u"9x+9", 0, true}, Case{u"9(x+2)", 0, true}, Case{u"9*x", 0, true},
                        Case{u"x:9", 2, true}, Case{u"(-9)*4", 2, true}, Case{u"9\u00E5x\u00E6", 0, true},
                        Case{u"x+9", 2, false}, Case{u"(x-9)", 3, false}}) {
    int ones = 0;
    for (int i = 0; i < kDraws; ++i) ones += numberIn(generate(c.templ, plain)[1], c.at) == 1;
    if (c.factor) {
      EXPECT_EQ(ones, 0) << narrow(c.templ);
    } else {
      EXPECT_GT(ones, 0) << narrow(c.templ) << ": an addend may well be 1";
    }
  }
  // A denominator, and the base of a power (its exponent a superscript cell).
  for (int i = 0; i < kDraws; ++i) {
    ASSERT_NE(generateFraction(u"9", u" ", u"9", u"\x28")[2], u"1");
    const std::u16string& power = generate(u"992", u"\x22\x22\x62")[1];
    ASSERT_GE(numberIn(power, 0), 10) << narrow(power);
    ASSERT_EQ(power[2], u'2') << "the exponent stays as written";
  }
}

TEST_F(Generator, TiedLettersKeepTheirPromiseOnEveryDraw) {
  for (int i = 0; i < 5 * kDraws; ++i) {
    const int64_t v = numberIn(generate(u"V")[1], 0);
    ASSERT_TRUE(v == 2 || v == 4 || v == 6 || v == 8 || v == 9) << v;
    const std::u16string& quotient = generate(u"9V:v")[1];
    const int64_t big = numberIn(quotient, 0), small = numberIn(quotient, quotient.find(u':') + 1);
    ASSERT_GE(small, 2) << narrow(quotient);
    ASSERT_EQ(big % small, 0) << narrow(quotient);
    const ExerciseRows& fraction = generateFraction(u"s", u" ", u"S", u"\x28");
    ASSERT_LT(numberIn(fraction[0], 0), numberIn(fraction[2], 0)) << narrow(fraction[0]) << "/" << narrow(fraction[2]);
    const std::u16string& shared = generate(u"p+9P")[1];
    const int64_t p = numberIn(shared, 0), q = numberIn(shared, 2);
    ASSERT_GT(std::gcd(p, q), 1) << narrow(shared);
    ASSERT_NE(p, 1);
    const std::u16string& apart = generate(u"O+Q")[1];
    ASSERT_GE(std::llabs(numberIn(apart, 0) - numberIn(apart, 2)), 2) << narrow(apart);
  }
}

// Tokens as wide as a number may be: finding a divisor or a shared factor costs the
// square root of the number, never a walk through the token's whole range.
TEST_F(Generator, WideTokensKeepTheirPromiseWithoutAWalkThroughTheirRange) {
  const auto isPrime = [](int64_t n) {
    for (int64_t d = 2; d * d <= n; ++d)
      if (n % d == 0) return false;
    return n >= 2;
  };
  for (int i = 0; i < kDraws / 4; ++i) {
    const std::u16string& quotient = generate(u"99999999V:99999999v")[1];
    const int64_t big = numberIn(quotient, 0), small = numberIn(quotient, quotient.find(u':') + 1);
    ASSERT_EQ(big % small, 0) << narrow(quotient);
    ASSERT_TRUE(small >= 2 || big == 1) << narrow(quotient);
    const std::u16string& shared = generate(u"99999999p+99999999P")[1];
    const int64_t p = numberIn(shared, 0), q = numberIn(shared, shared.find(u'+') + 1);
    // Only a prime p with no other multiple within the token shares no factor.
    ASSERT_TRUE(std::gcd(p, q) > 1 || (isPrime(p) && 2 * p > 999999999)) << narrow(shared);
  }
}

// The shown rows close up what a number narrower than its token left blank: in the
// main row the column goes, in a numerator or denominator the blank moves to its end,
// and a fraction column left empty above and below goes too.
TEST_F(Generator, ShownRowsCloseUpNarrowNumbers) {
  generateFraction(u"      ", u"99L=9x", u"      ", u"\x22\x22\x22\x22\x22\x22");
  ASSERT_TRUE(generator_.setNumber(u'L', 41));
  EXPECT_EQ(generator_.rows()[1].substr(0, 4), u"41 =");
  ShownRows shown = generator_.shown();
  EXPECT_EQ(shown.rows[1].substr(0, 3), u"41=");
  EXPECT_EQ(shown.flags[1].size(), shown.rows[1].size());
  EXPECT_EQ(shown.rows[0].size(), shown.rows[1].size());

  // 12u/(100u): the numerator "12" and the denominator "100" in a fraction four wide.
  generateFraction(u"12u ", u"    +x", u"100u", u"\x28\x28\x28\x28\x22\x22");
  shown = generator_.shown();
  EXPECT_EQ(shown.rows[0], u"12 ") << narrow(shown.rows[0]);
  EXPECT_EQ(shown.rows[2], u"100") << narrow(shown.rows[2]);
  EXPECT_EQ(shown.rows[1], u"   +x");

  // A number inside a numerator: its blank goes behind what follows it.
  generateFraction(u"2u+x", u"    ", u"99+9", u"\x28\x28\x28\x28");
  shown = generator_.shown();
  EXPECT_EQ(shown.rows[0], u"2+x ");
  EXPECT_EQ(shown.flags[0][3], CELL_USED | CELL_FILLER) << "a blank that moved is a filler";
  EXPECT_EQ(shown.rows[2].size(), 4u);
}

}  // namespace
}  // namespace pendrix

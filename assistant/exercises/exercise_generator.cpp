#include "exercises/exercise_generator.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <optional>
#include <vector>

#include "formula/grid_codes.h"

namespace pendrix {

namespace {

constexpr char16_t kNumberLetters[] = u"ikIJvVsSABCDEFMNOQpPTULGWZu";
constexpr int64_t kLargestMaximum = 999999999;
constexpr int kDefaultDigitLimit = 20;

bool isDigit(char16_t ch) { return ch >= u'0' && ch <= u'9'; }

bool isFactorOne(int64_t v) { return v == 1 || (v != 2 && isTablePrime(v)); }

size_t digitCount(int64_t value) { return std::to_string(std::max<int64_t>(value, 0)).size(); }

uint16_t flagAt(const std::u16string& row, size_t column) {
  return column < row.size() ? static_cast<uint16_t>(row[column]) : 0;
}

// s stands for 8, u for the end of the digits, every other letter for 9.
std::u16string maximumText(const std::u16string& token) {
  std::u16string text = token;
  for (char16_t& ch : text) {
    if (isDigit(ch)) continue;
    ch = ch == u's' ? u'8' : (ch == u'u' ? u' ' : u'9');
  }
  return text;
}

// Like atoi, but saturating, so an absurdly long token cannot overflow.
int64_t leadingNumber(const std::u16string& text) {
  size_t i = 0;
  while (i < text.size() && text[i] == u' ') ++i;
  int64_t value = 0;
  for (; i < text.size() && isDigit(text[i]); ++i)
    value = std::min(value * 10 + (text[i] - u'0'), kLargestMaximum);
  return value;
}

// Exact for every value a token can hold; a value outside 0 to `max` is first brought
// into it, so a negative or huge value never reaches the square root.
int64_t floorSquareRoot(int64_t value, int64_t max) {
  value = std::clamp<int64_t>(value, 0, std::max<int64_t>(max, 0));
  auto root = static_cast<int64_t>(std::sqrt(static_cast<double>(value)));
  while (root > 0 && root * root > value) --root;
  while ((root + 1) * (root + 1) <= value) ++root;
  return root;
}

// The divisors of n >= 1 in ascending order. Trial division to the square root keeps
// a prime near the largest maximum at some 30,000 steps instead of a billion.
std::vector<int64_t> divisorsOf(int64_t n) {
  std::vector<int64_t> low, high;
  for (int64_t d = 1; d * d <= n; ++d) {
    if (n % d != 0) continue;
    low.push_back(d);
    if (d != n / d) high.push_back(n / d);
  }
  low.insert(low.end(), high.rbegin(), high.rend());
  return low;
}

// The prime factors of |n|, each once.
std::vector<int64_t> primeFactorsOf(int64_t n) {
  std::vector<int64_t> primes;
  n = n < 0 ? -n : n;
  for (int64_t d = 2; d * d <= n; ++d) {
    if (n % d != 0) continue;
    primes.push_back(d);
    while (n % d == 0) n /= d;
  }
  if (n > 1) primes.push_back(n);
  return primes;
}

// Of two candidates for the number nearest to `from`, the nearer (the lower on a tie).
std::optional<int64_t> nearer(std::optional<int64_t> best, int64_t candidate, int64_t from) {
  if (!best) return candidate;
  const int64_t distance = std::llabs(candidate - from), bestDistance = std::llabs(*best - from);
  return distance < bestDistance || (distance == bestDistance && candidate < *best) ? candidate : *best;
}

// The divisor in lo to hi nearest to `from` (the lower on a tie); 0 when none is.
int64_t nearestDivisor(const std::vector<int64_t>& divisors, int64_t from, int64_t lo, int64_t hi) {
  if (lo > hi) return 0;
  from = std::clamp(from, lo, hi);
  std::optional<int64_t> best;
  const auto above = std::lower_bound(divisors.begin(), divisors.end(), from);
  if (above != divisors.end() && *above <= hi) best = nearer(best, *above, from);
  if (above != divisors.begin() && *(above - 1) >= lo) best = nearer(best, *(above - 1), from);
  return best.value_or(0);
}

// The number in lo to hi other than `of` nearest to `from` (the lower on a tie) that
// shares a factor with `of`, that is a multiple of one of its primes; 0 when none is.
int64_t nearestSharingFactor(int64_t of, int64_t from, int64_t lo, int64_t hi) {
  if (lo > hi) return 0;
  from = std::clamp(from, lo, hi);
  std::optional<int64_t> best;
  for (const int64_t prime : primeFactorsOf(of)) {
    int64_t below = from / prime * prime;
    if (below > from) below -= prime;
    // The multiples either side of `from`, and one further on each side for `of` itself.
    for (const int64_t multiple : {below - prime, below, below + prime, below + 2 * prime})
      if (multiple >= lo && multiple <= hi && multiple != of) best = nearer(best, multiple, from);
  }
  return best.value_or(0);
}

// The number in lo to hi nearest to `from` (the lower one on a tie) that `fits`; 0 when
// none does.
template <typename Fits>
int64_t nearestFitting(int64_t from, int64_t lo, int64_t hi, Fits fits) {
  if (lo > hi) return 0;
  from = std::clamp(from, lo, hi);
  for (int64_t step = 0; from - step >= lo || from + step <= hi; ++step) {
    if (from - step >= lo && fits(from - step)) return from - step;
    if (from + step <= hi && fits(from + step)) return from + step;
  }
  return 0;
}

bool isBlankCell(const std::u16string& row, size_t column) {
  return column >= row.size() || row[column] == u' ' || row[column] == u'\0';
}

bool isLetter(char16_t ch) { return (ch >= u'a' && ch <= u'z') || (ch >= u'A' && ch <= u'Z'); }

}  // namespace

bool isNumberCharacter(const std::u16string& row, size_t position) {
  const char16_t ch = row[position];
  if (isDigit(ch)) return true;
  if (ch == u'C' && row.compare(position + 1, 3, u"ent") == 0) return false;
  return std::u16string_view(kNumberLetters).find(ch) != std::u16string_view::npos;
}

struct ExerciseGenerator::Token {
  std::u16string text;
  size_t start = 0;
  int64_t lower = 0;
  int64_t max = 0;
  int mode = 0;
  bool factor = false;  // multiplies or divides, so a 1 would be written for nothing
  bool has(char16_t ch) const { return text.find(ch) != std::u16string::npos; }
  int64_t lowest() const { return factor && max >= 2 ? std::max<int64_t>(lower, 2) : lower; }
};

void ExerciseGenerator::resetMemory() {
  letters_ = {};
  pairIndex_ = -1;
  fLetter_ = 0;
  gLetter_ = 0;
  ikCounter_ = 0;
  resetMarks();
}

void ExerciseGenerator::resetMarks() { marks_ = {}; }

NumberMark& ExerciseGenerator::markOf(char16_t letter) {
  static constexpr char16_t kMarked[] = u"TULG";
  const size_t i = std::u16string_view(kMarked).find(letter);
  return marks_[i < marks_.size() ? i : 0];
}

const NumberMark& ExerciseGenerator::mark(char16_t letter) const {
  return const_cast<ExerciseGenerator*>(this)->markOf(letter);
}

void ExerciseGenerator::GenerateRows(const ExerciseRows& templates, const ExerciseRows& templateFlags) {
  resetMemory();
  for (int row = 0; row < 3; ++row) {
    const std::u16string templ = templates[row].substr(0, kMaxRowColumns);
    generateRow(row, templ, templateFlags[row].substr(0, kMaxRowColumns));
  }
}

void ExerciseGenerator::generateRow(int row, const std::u16string& templ, const std::u16string& templFlags) {
  rows_[row] = templ;
  flags_[row] = templFlags;
  padding_[row].assign(templ.size(), false);
  const auto raised = [&](size_t column) { return (flagAt(flags_[row], column) & CELL_SUPERSCRIPT) != 0; };
  size_t i = 0;
  while (i < templ.size()) {
    if (isNumberCharacter(templ, i)) {
      // A base and its exponent are two numbers even where no sign stands between them.
      size_t end = i;
      while (end < templ.size() && isNumberCharacter(templ, end) && raised(end) == raised(i)) ++end;
      generateToken(row, templ, i, end);
      i = end;
      continue;
    }
    rows_[row][i] = placeholder(row, i, templ[i]);
    ++i;
  }
}

void ExerciseGenerator::generateToken(int row, const std::u16string& templ, size_t start, size_t end) {
  Token token;
  token.text = templ.substr(start, end - start);
  token.start = start;
  const size_t length = token.text.size();
  const size_t posI = token.text.find(u'i');
  const size_t posK = token.text.find(u'k');
  const bool digitLimited = posI != std::u16string::npos || posK != std::u16string::npos;
  const size_t limitI = posI != std::u16string::npos ? posI : kDefaultDigitLimit;
  const size_t limitK = posK != std::u16string::npos ? posK : kDefaultDigitLimit;

  const std::u16string maxText = maximumText(token.text);
  token.max = leadingNumber(maxText);
  token.lower = token.max != 0 ? 1 : 0;
  if (flagAt(flags_[row], end - 1) & CELL_SUPERSCRIPT) {
    // Exponents stay as the author wrote them.
    token.lower = token.max;
  } else {
    size_t j = 1;
    for (; j + 1 < length && j <= limitI && j <= limitK; ++j) token.lower = std::min(token.lower * 10, kLargestMaximum);
    if (maxText[0] >= u'6' && maxText[0] <= u'9' && token.max > 9 && j <= limitI && j <= limitK)
      token.lower *= 10;
    token.lower = std::min(token.lower, token.max);
  }
  if (digitLimited) {
    ikCounter_ = (ikCounter_ + 1) % 3;
    if (ikCounter_ == 0) {
      for (int64_t factor : {1000, 100, 10}) {
        if (token.lower * factor < token.max) {
          token.max = std::max(token.lower, token.lower * factor);
          break;
        }
      }
    }
    token.mode = 1;
  }
  token.factor = token.lower < token.max && standsAsFactor(row, templ, start, end);

  int64_t value = RandomInRange(random_, token.lower, token.max, token.mode);
  if (value == 1 && token.lowest() > 1) value = redraw(token);
  value = adjustValue(token, value);
  // A number never takes more cells than its token has.
  if (value < 0 || digitCount(value) > length) value = std::clamp(value, token.lower, token.max);
  writeNumber(row, start, length, value, posI != std::u16string::npos);

  for (char16_t ch : u"vVsSABCDEFMNOQpP") {
    if (ch != 0 && token.has(ch) && !letter(ch).known) letter(ch) = {true, value};
  }
  recordMarks(row, templ, token);
}

int64_t ExerciseGenerator::redraw(const Token& token) {
  return RandomInRange(random_, token.lowest(), token.max, token.mode);
}

// Directly before a letter, an opening bracket, a root or an exponent, beside a
// multiplication or division sign, or under a fraction bar.
bool ExerciseGenerator::standsAsFactor(int row, const std::u16string& templ, size_t start, size_t end) const {
  if (flagAt(flags_[row], start) & CELL_SUPERSCRIPT) return false;
  if (row == ROW_LOWER && (flagAt(flags_[ROW_MAIN], start) & CELL_FRACTION)) return true;
  if (end < templ.size()) {
    const char16_t next = templ[end];
    if ((flagAt(flags_[row], end) & CELL_SUPERSCRIPT) || isLetter(next) || isRootOpen(next)) return true;
    if (std::u16string_view(u"(*:/!&?").find(next) != std::u16string_view::npos) return true;
  }
  if (start == 0) return false;
  const char16_t previous = rows_[row][start - 1];
  if (previous == u'*' || previous == u':' || previous == u'/') return true;
  // A signed number in brackets multiplies as its brackets do: (-9)*9.
  const bool signedInBrackets = start >= 2 && (previous == u'-' || previous == u'+') && rows_[row][start - 2] == u'(' &&
                                end < templ.size() && templ[end] == u')';
  return signedInBrackets && standsAsFactor(row, templ, start - 2, end + 1);
}

int64_t ExerciseGenerator::adjustValue(const Token& token, int64_t value) {
  value = adjustV(token, value);
  value = adjustS(token, value);
  value = adjustPair(token, value);
  for (char16_t ch = u'A'; ch <= u'F'; ++ch)
    if (token.has(ch) && letter(ch).known) value = letter(ch).value;
  value = adjustPartners(token, value);
  value = adjustPrimes(token, value);
  if (token.has(u'W')) {
    const int64_t root = floorSquareRoot(value, token.max);
    value = root * root;
  }
  if (token.has(u'Z')) {
    const int64_t z = std::max<int64_t>(std::clamp<int64_t>(value, 0, token.max) / 10, 2);
    const int64_t root = std::max<int64_t>(floorSquareRoot(z, z), 2);
    int64_t factor = RandomInRange(random_, 2, 8, 0);
    while (factor > 1 && root * root * factor > token.max) --factor;
    value = root * root * factor;
  }
  if (token.has(u'u')) value = token.max;
  return value;
}

int64_t ExerciseGenerator::adjustV(const Token& token, int64_t value) {
  const Letter big = letter(u'V');
  const Letter small = letter(u'v');
  if (token.has(u'v') && big.known) {
    for (int k = 0; k < 2 && value == 1; ++k) value = redraw(token);
    if (value > big.value) value = big.value - 1;
    if (big.value < 1) return value;
    value = std::max<int64_t>(value, 1);
    const std::vector<int64_t> divisors = divisorsOf(big.value);
    // The largest divisor up to the value drawn, or the smallest from it on when V is
    // at least twice the value and the token leaves room.
    int64_t divisor = *(std::upper_bound(divisors.begin(), divisors.end(), value) - 1);
    if (big.value / value >= 2 && token.max > 2 * value) {
      const auto up = std::lower_bound(divisors.begin(), divisors.end(), value);
      if (up != divisors.end() && *up <= std::min(big.value, token.max)) divisor = *up;
    }
    if (divisor > 1) return divisor;
    // Dividing by 1 is no exercise: the nearest other divisor within the token, V
    // itself only when it has no smaller one.
    if (const int64_t d = nearestDivisor(divisors, value, 2, std::min(token.max, big.value - 1))) return d;
    if (const int64_t d = nearestDivisor(divisors, value, 2, std::min(token.max, big.value))) return d;
    return divisor;
  }
  if (token.has(u'V') && small.known && small.value > 0) {
    const int64_t top = (token.max / small.value) * small.value;
    if (value < small.value || value > top) value = RandomInRange(random_, small.value, top, token.mode);
    return (value + small.value - 1) / small.value * small.value;
  }
  if (token.has(u'V')) {
    for (int k = 0; k < 2 && isFactorOne(value); ++k) value = redraw(token);
    if (isFactorOne(value)) {
      const int64_t other = nearestFitting(value, token.lowest(), token.max, [](int64_t n) { return !isFactorOne(n); });
      if (other != 0) value = other;
    }
  }
  return value;
}

int64_t ExerciseGenerator::adjustS(const Token& token, int64_t value) {
  const Letter big = letter(u'S');
  const Letter small = letter(u's');
  if (token.has(u's')) {
    if (!big.known) return RandomInRange(random_, token.lowest(), token.max, 1);
    if (value >= big.value) return RandomInRange(random_, token.lowest(), std::min(big.value - 1, token.max), 0);
  }
  if (token.has(u'S') && small.known) {
    for (int k = 0; k < 3 && value <= small.value; ++k) value = RandomInRange(random_, small.value, token.max, 0);
    if (value <= small.value && small.value < token.max) value = small.value + 1;
  }
  return value;
}

int64_t ExerciseGenerator::adjustPair(const Token& token, int64_t value) {
  const bool numerator = token.has(u'I');
  if (!numerator && !token.has(u'J')) return value;
  if (pairIndex_ < 0) pairIndex_ = static_cast<int>(RandomInRange(random_, 0, kFractionPairs - 1, 0));
  const Fraction& pair = kFractionPairTable[pairIndex_];
  return numerator ? pair.numerator : pair.denominator;
}

int64_t ExerciseGenerator::adjustPartners(const Token& token, int64_t value) {
  const auto apart = [&](char16_t self, char16_t other) {
    const Letter partner = letter(other);
    if (!token.has(self) || !partner.known || value != partner.value) return;
    value = redraw(token);
    if (value == partner.value) value += value < token.max ? 1 : -1;
  };
  apart(u'M', u'N');
  apart(u'N', u'M');
  const auto distant = [&](char16_t self, char16_t other) {
    const Letter partner = letter(other);
    if (!token.has(self) || !partner.known) return;
    for (int k = 0; k < 3 && std::llabs(value - partner.value) <= 1; ++k) value = redraw(token);
    if (std::llabs(value - partner.value) > 1) return;
    const auto apartEnough = [&](int64_t n) { return std::llabs(n - partner.value) > 1; };
    if (const int64_t other = nearestFitting(value, std::max<int64_t>(token.lowest(), 1), token.max, apartEnough)) {
      value = other;
      return;
    }
    if (value != partner.value) return;
    for (int64_t step : {2, 1, -1}) {
      if (value + step >= token.lower && value + step <= token.max) {
        value += step;
        return;
      }
    }
  };
  distant(u'O', u'Q');
  distant(u'Q', u'O');
  return value;
}

int64_t ExerciseGenerator::adjustPrimes(const Token& token, int64_t value) {
  if (token.has(u'p')) {
    for (int k = 0; k < 3 && isFactorOne(value); ++k) value = redraw(token);
    if (isFactorOne(value)) {
      const int64_t other = nearestFitting(value, token.lowest(), token.max, [](int64_t n) { return !isFactorOne(n); });
      if (other != 0) value = other;
    }
  }
  const Letter small = letter(u'p');
  if (token.has(u'P') && small.known) {
    for (int k = 0; k < 5 && std::gcd(value, small.value) <= 2; ++k) value = redraw(token);
    for (int k = 0; k < 10 && std::gcd(value, small.value) <= 1; ++k) value = redraw(token);
    if (value == small.value) {
      value = small.value < token.max ? RandomInRange(random_, small.value + 1, token.max, 0)
                                      : RandomInRange(random_, token.lower, small.value - 1, 0);
    }
    // The shared factor is what p and P are for: the nearest number that has one.
    if (value == small.value || std::gcd(value, small.value) <= 1) {
      if (const int64_t other = nearestSharingFactor(small.value, value, token.lowest(), token.max)) value = other;
    }
  }
  return value;
}

void ExerciseGenerator::recordMarks(int row, const std::u16string& templ, const Token& token) {
  for (char16_t ch : {u'T', u'U'}) {
    const size_t at = token.text.find(ch);
    if (at == std::u16string::npos) continue;
    size_t begin = token.start + at;
    while (begin > token.start && isDigit(templ[begin - 1])) --begin;
    const size_t digits = token.start + at - begin;
    // No number read back from a row exceeds kLargestMaximum, so a longer run of
    // digits only needs a limit above it.
    int64_t limit = 10;
    for (size_t d = 0; d < digits && limit <= kLargestMaximum; ++d) limit *= 10;
    markOf(ch) = {row, static_cast<int>(begin), limit, static_cast<int>(token.start + token.text.size() - begin)};
  }
  for (char16_t ch : {u'L', u'G'}) {
    if (!token.has(ch)) continue;
    markOf(ch) = {row, static_cast<int>(token.start), token.max, static_cast<int>(digitCount(token.max))};
  }
}

char16_t ExerciseGenerator::placeholder(int row, size_t column, char16_t ch) {
  const auto pick = [&](int lo, int hi) { return RandomInRange(random_, lo, hi, 0); };
  switch (ch) {
    case u'$': return pick(2, 7) <= 4 ? u'-' : u'+';
    case u'&': return pick(5, 10) <= 7 ? u'+' : u'*';
    case u'!': return pick(8, 13) <= 10 ? u'*' : u':';
    case u'?': {
      const int64_t d = pick(2, 10);
      return d <= 4 ? u'-' : (d <= 7 ? u'+' : u'*');
    }
    case u'h':
    case u'H': {
      const int64_t digit = ch == u'h' ? pick(2, 4) : pick(2, 9);
      if (flags_[row].size() <= column) flags_[row].resize(column + 1, u'\0');
      flags_[row][column] = static_cast<char16_t>(flags_[row][column] | CELL_SUPERSCRIPT);
      return static_cast<char16_t>(u'0' + digit);
    }
    case u'c': return u'x';
    case u'd': return u't';
    case u'e': return pick(1, 100) < 50 ? u'x' : u't';
    case u'f':
      if (fLetter_ == 0) fLetter_ = pick(1, 100) < 50 ? u'x' : u't';
      return fLetter_;
    case u'g':
      gLetter_ = gLetter_ == 0 ? (pick(1, 100) < 50 ? u'x' : u't') : (gLetter_ == u'x' ? u't' : u'x');
      return gLetter_;
    default: return ch;
  }
}

void ExerciseGenerator::writeNumber(int row, size_t position, size_t width, int64_t value, bool rightAligned) {
  std::u16string& text = rows_[row];
  if (position >= text.size()) return;
  width = std::min(width, text.size() - position);
  std::u16string digits;
  for (char ch : std::to_string(value)) digits += static_cast<char16_t>(ch);
  if (digits.size() > width) return;
  std::fill_n(text.begin() + position, width, u' ');
  const size_t offset = rightAligned ? width - digits.size() : 0;
  std::copy(digits.begin(), digits.end(), text.begin() + position + offset);
  std::vector<bool>& padding = padding_[row];
  if (padding.size() < text.size()) padding.resize(text.size(), false);
  for (size_t i = 0; i < width; ++i) padding[position + i] = i < offset || i >= offset + digits.size();
}

namespace {

struct Columns {
  ExerciseRows& rows;
  ExerciseRows& flags;
  std::array<std::vector<bool>, 3>& padding;

  void erase(size_t column) {
    for (int r = 0; r < 3; ++r) {
      if (column < rows[r].size()) rows[r].erase(column, 1);
      if (column < flags[r].size()) flags[r].erase(column, 1);
      if (column < padding[r].size()) padding[r].erase(padding[r].begin() + static_cast<std::ptrdiff_t>(column));
    }
  }
  bool isFraction(size_t column) const { return flagAt(flags[ROW_MAIN], column) & CELL_FRACTION; }
  bool padded(int row, size_t column) const { return column < padding[row].size() && padding[row][column]; }

  // Blanks a number left inside a numerator or denominator go to the part's end.
  void packPart(int row, size_t begin, size_t end) {
    std::u16string& text = rows[row];
    std::u16string& rowFlags = flags[row];
    end = std::min(end, text.size());
    if (rowFlags.size() < end) rowFlags.resize(end, u'\0');
    if (padding[row].size() < end) padding[row].resize(end, false);
    std::u16string keptText, keptFlags;
    for (size_t c = begin; c < end; ++c) {
      if (padded(row, c)) continue;
      keptText += text[c];
      keptFlags += rowFlags[c];
    }
    for (size_t c = begin; c < end; ++c) {
      const size_t k = c - begin;
      const bool kept = k < keptText.size();
      text[c] = kept ? keptText[k] : u' ';
      rowFlags[c] = kept ? keptFlags[k] : static_cast<char16_t>(CELL_USED | CELL_FILLER);
      padding[row][c] = !kept;
    }
  }
};

}  // namespace

ShownRows ExerciseGenerator::shown() const {
  ShownRows out{rows_, flags_};
  std::array<std::vector<bool>, 3> padding = padding_;
  Columns columns{out.rows, out.flags, padding};
  // Outside fractions a column holds nothing above or below its main-row cell.
  for (size_t c = out.rows[ROW_MAIN].size(); c-- > 0;) {
    if (columns.padded(ROW_MAIN, c) && !columns.isFraction(c) && isBlankCell(out.rows[ROW_UPPER], c) &&
        isBlankCell(out.rows[ROW_LOWER], c))
      columns.erase(c);
  }
  // Each fraction: its parts packed, then the columns that both parts left empty at its
  // end removed, one column always kept.
  for (size_t begin = 0; begin < out.rows[ROW_MAIN].size();) {
    if (!columns.isFraction(begin)) {
      ++begin;
      continue;
    }
    size_t end = begin;
    while (end < out.rows[ROW_MAIN].size() && columns.isFraction(end)) ++end;
    for (int row : {ROW_UPPER, ROW_LOWER}) columns.packPart(row, begin, end);
    while (end - begin > 1 && (columns.padded(ROW_UPPER, end - 1) || columns.padded(ROW_LOWER, end - 1)) &&
           isBlankCell(out.rows[ROW_UPPER], end - 1) && isBlankCell(out.rows[ROW_LOWER], end - 1)) {
      columns.erase(end - 1);
      --end;
    }
    begin = end;
  }
  return out;
}

int64_t ExerciseGenerator::numberAt(const NumberMark& mark) const {
  if (!mark.present()) return 0;
  const std::u16string& text = rows_[mark.row];
  if (static_cast<size_t>(mark.position) >= text.size()) return 0;
  return leadingNumber(text.substr(mark.position, mark.width));
}

bool ExerciseGenerator::incrementNumber(char16_t letter) {
  const NumberMark& m = mark(letter);
  if (!m.present()) return false;
  const int64_t value = numberAt(m);
  if (value >= m.limit - 1) return false;
  writeNumber(m.row, m.position, m.width, value + 1, false);
  return true;
}

bool ExerciseGenerator::setNumber(char16_t letter, int64_t value, int64_t lowest) {
  const NumberMark& m = mark(letter);
  if (!m.present() || value < lowest || value > m.limit) return false;
  if (digitCount(value) > static_cast<size_t>(m.width)) return false;
  writeNumber(m.row, m.position, m.width, value, false);
  return true;
}

bool ExerciseGenerator::addToL(double amount) {
  if (!std::isfinite(amount) || std::fabs(amount) > 1e12) return false;
  const NumberMark& m = mark(u'L');
  return setNumber(u'L', numberAt(m) + static_cast<int64_t>(amount));
}

}  // namespace pendrix

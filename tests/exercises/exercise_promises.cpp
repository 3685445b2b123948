#include "exercise_promises.h"

#include <algorithm>
#include <numeric>
#include <sstream>

#include "solver/evaluation_indicators.h"

namespace pendrix {
namespace {

constexpr char16_t kPlaceholders[] = u"ikIJvVsSABDEFMNOQpPTULGWZu$&!?cdefghH";

std::string narrowText(const std::u16string& s) {
  std::string out;
  for (char16_t c : s) out += c < 128 ? static_cast<char>(c) : (c == ROOT_OPEN ? 'V' : (c == ROOT_CLOSE ? '|' : '?'));
  return out;
}

bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
bool isLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }
bool isWhole(double v) { return std::fabs(v - std::round(v)) < 1e-9 * std::max(1.0, std::fabs(v)); }

// A solution found by fitting carries rounding errors: the fraction of small numbers
// it stands for, when it is one.
double snapped(double s) {
  const double scaled = s * 2520;
  return isWhole(scaled) ? std::round(scaled) / 2520 : s;
}

struct Evaluation {
  double value = 0;
  int error = 0;
  uint32_t fractionalQuotients = 0;
};

Evaluation evaluate(const std::u16string& text, char16_t unknown, double x) {
  TermEvaluator term;
  term.setUnknownLetter(unknown);
  term.SetText(text);
  term.Parse();
  term.SetUnknown(x);
  resetEvaluationIndicators();
  Evaluation e;
  e.error = term.Evaluate();
  e.value = term.Result();
  e.fractionalQuotients = FractionalQuotientCount;
  return e;
}

// A number written in a term text: its digits, and where they stand.
struct WrittenNumber {
  size_t begin, end;
  double value;
};

std::vector<WrittenNumber> numbersIn(const std::u16string& text) {
  std::vector<WrittenNumber> numbers;
  for (size_t i = 0; i < text.size();) {
    if (!isDigit(text[i])) {
      ++i;
      continue;
    }
    size_t j = i;
    while (j < text.size() && (isDigit(text[j]) || ((text[j] == u'.' || text[j] == u',') && j + 1 < text.size() && isDigit(text[j + 1]))))
      ++j;
    std::string digits;
    for (size_t k = i; k < j; ++k) digits += text[k] == u',' ? '.' : static_cast<char>(text[k]);
    numbers.push_back({i, j, std::stod(digits)});
    i = j;
  }
  return numbers;
}

std::optional<Quadratic> fitDifference(const std::u16string& left, const std::u16string& right, char16_t unknown) {
  const auto f = [&](double x) -> std::optional<double> {
    const Evaluation l = evaluate(left, unknown, x);
    const Evaluation r = evaluate(right, unknown, x);
    if (l.error != kNoError || r.error != kNoError) return std::nullopt;
    return l.value - r.value;
  };
  const auto f0 = f(0), f1 = f(1), fm = f(-1);
  if (!f0 || !f1 || !fm) return std::nullopt;
  const Quadratic q{(*f1 + *fm - 2 * *f0) / 2, (*f1 - *fm) / 2, *f0};
  for (double x : {2.0, -3.0, 0.5, 7.0, -11.0}) {
    const auto fx = f(x);
    const double expected = q.a * x * x + q.b * x + q.c;
    if (!fx || std::fabs(*fx - expected) > 1e-7 * (1 + std::fabs(expected))) return std::nullopt;
  }
  return q;
}

}  // namespace

void loadShown(FormulaGrid& grid, const ExerciseRows& rows, const ExerciseRows& flags) {
  grid.clear();
  for (int row : {ROW_UPPER, ROW_LOWER, ROW_MAIN}) grid.setRowText(rows[row], row);
  for (int row = 0; row < 3; ++row) grid.setRowFlags(flags[row], row);
  grid.extractTerms();
}

std::string describe(const FormulaGrid& grid) {
  std::string out;
  for (int row = 0; row < 3; ++row) {
    std::u16string text;
    for (int c = 0; c < grid.length(); ++c) text += grid.at(row, c) ? grid.at(row, c) : u' ';
    out += (row ? " / " : "") + std::string("\"") + narrowText(text) + "\"";
  }
  return out;
}

std::vector<std::string> PromiseCheck::faults(Drawn& drawn) {
  faults_.clear();
  solutions_.clear();
  drawn.grid.extractTerms();
  reducible_ = false;
  checkCells(drawn);
  checkTerms(drawn);
  if ((p_.flags & kReducible) && !reducible_) fault("no fraction that can be reduced");
  switch (p_.shape) {
    case Shape::Value: checkValue(drawn); break;
    case Shape::Simplify: break;
    case Shape::Equation: checkEquation(drawn, u'x'); break;
    case Shape::FillIn: checkEquation(drawn, u'z'); break;
    case Shape::Substitution: checkSubstitution(drawn); break;
  }
  return faults_;
}

// Blanks only where the formula has fractions (above and below the bar's main row, and
// after a numerator or denominator) and where a fill-in's z stood; no placeholder left.
void PromiseCheck::checkCells(Drawn& drawn) {
  const FormulaGrid& g = drawn.grid;
  const std::u16string& withZ = drawn.rows[ROW_MAIN];
  // Cells without a character of their own (above a main-row character) are not shown.
  for (int row = 0; row < 3; ++row)
    for (int c = 0; c < g.length(); ++c)
      if ((g.flags(row, c) & CELL_TEXT) && std::u16string_view(kPlaceholders).find(g.at(row, c)) != std::u16string_view::npos)
        return fault("a placeholder is left in the formula: " + narrowText(std::u16string(1, g.at(row, c))));
  for (int c = 0; c < g.length(); ++c) {
    const bool z = static_cast<size_t>(c) < withZ.size() && withZ[c] == u'z';
    if (!g.isFractionColumn(c) && (g.at(ROW_MAIN, c) == u' ' || g.at(ROW_MAIN, c) == 0) && !z)
      return fault("a blank inside the formula");
  }
  for (int begin = 0; begin < g.length();) {
    if (!g.isFractionColumn(begin)) {
      ++begin;
      continue;
    }
    int end = begin;
    while (end < g.length() && g.isFractionColumn(end)) ++end;
    for (int row : {ROW_UPPER, ROW_LOWER}) {
      std::u16string part;
      for (int c = begin; c < end; ++c) part += g.isFiller(row, c) || g.at(row, c) == 0 ? u' ' : g.at(row, c);
      const size_t first = part.find_first_not_of(u' '), last = part.find_last_not_of(u' ');
      if (first == std::u16string::npos) return fault("an empty numerator or denominator");
      if (part.substr(first, last - first + 1).find(u' ') != std::u16string::npos)
        return fault("a blank inside a numerator or denominator");
    }
    begin = end;
  }
}

void PromiseCheck::checkTerms(Drawn& drawn) {
  // A fill-in's numbers as they stand beside its z.
  FormulaGrid withZ;
  if (p_.shape == Shape::FillIn) loadShown(withZ, drawn.rows, drawn.flags);
  const FormulaGrid& grid = p_.shape == Shape::FillIn ? withZ : drawn.grid;
  for (int slot = 0; slot < FormulaGrid::kTermSlots; ++slot) {
    // As the evaluator reads it: blanks are the cell check's business.
    std::u16string term = grid.term(slot);
    term.erase(std::remove(term.begin(), term.end(), u' '), term.end());
    checkNumbers(term);
    checkFractions(term);
  }
}

// No factor, divisor, base or exponent 1 and no coefficient 0; no number larger than
// the school range of the exercise.
void PromiseCheck::checkNumbers(const std::u16string& term) {
  for (const WrittenNumber& n : numbersIn(term)) {
    if (n.value > p_.largestNumber) fault("the number " + narrowText(term.substr(n.begin, n.end - n.begin)) + " is too large");
    const bool enclosed = n.begin > 0 && term[n.begin - 1] == u'(' && n.end < term.size() && term[n.end] == u')';
    const char16_t outside = n.begin > 1 ? term[n.begin - 2] : 0;
    if (enclosed && outside != u'^' && outside != u'(' && outside != u'/') fault("needless brackets around a number");
    if (n.value != 1 && n.value != 0) continue;
    const char16_t before = n.begin > 0 ? term[n.begin - 1] : 0;
    const char16_t before2 = n.begin > 1 ? term[n.begin - 2] : 0;
    const char16_t after = n.end < term.size() ? term[n.end] : 0;
    const char16_t after2 = n.end + 1 < term.size() ? term[n.end + 1] : 0;
    const auto multiplier = [](char16_t next, char16_t next2) {
      return isLetter(next) || isRootOpen(next) || next == u'^' || (next == u'(' && next2 != u'(') || next == u'*' ||
             next == u':' || next == u'/';
    };
    const auto divisor = [](char16_t previous) { return previous == u'*' || previous == u':' || previous == u'/'; };
    // A signed number in brackets, (-1), multiplies as its brackets do.
    const bool bracketed = (before == u'-' || before == u'+') && before2 == u'(' && after == u')';
    const char16_t beyond = n.end + 2 < term.size() ? term[n.end + 2] : 0;
    const bool multiplies = multiplier(after, after2) || (bracketed && multiplier(after2, beyond));
    const bool divides = divisor(before) || (bracketed && n.begin > 2 && divisor(term[n.begin - 3]));
    const bool exponent = before == u'(' && before2 == u'^';
    if (n.value == 1 && (multiplies || divides || exponent)) fault("a factor 1 is written");
    if (n.value == 0 && (multiplies || exponent)) fault("a coefficient 0 is written");
  }
}

// Fractions of two whole numbers: a denominator of 2 or more in the school range, never
// a whole number in disguise; a mixed number's fraction is proper.
void PromiseCheck::checkFractions(const std::u16string& term) {
  const auto integerAt = [&](size_t at, size_t& end) -> std::optional<long> {
    size_t j = at;
    while (j < term.size() && isDigit(term[j])) ++j;
    if (j == at) return std::nullopt;
    end = j;
    return std::stol(narrowText(term.substr(at, j - at)));
  };
  for (size_t at = term.find(u"(("); at != std::u16string::npos; at = term.find(u"((", at + 1)) {
    size_t end = 0;
    const auto numerator = integerAt(at + 2, end);
    if (!numerator || term.compare(end, 3, u")/(") != 0) continue;
    const auto denominator = integerAt(end + 3, end);
    if (!denominator || term.compare(end, 2, u"))") != 0) continue;
    const long n = *numerator, d = *denominator;
    const bool mixed = at > 0 && term[at - 1] == u'+' && at > 1 && isDigit(term[at - 2]);
    if (d < 2) fault("a denominator below 2");
    else if (n == 0 || n % d == 0) fault("a fraction that is a whole number");
    if (d > p_.largestDenominator) fault("a denominator above " + std::to_string(static_cast<int>(p_.largestDenominator)));
    if (mixed && n >= d) fault("an improper mixed number");
    if ((p_.flags & kProperOnly) && n >= d) fault("an improper fraction");
    reducible_ |= std::gcd(n, d) > 1;
  }
}

void PromiseCheck::checkResult(double value, const char* what) {
  std::ostringstream shown;
  shown << value;
  if (std::fabs(value) > p_.largestResult) fault(std::string(what) + " " + shown.str() + " is too large");
  if ((p_.flags & kWhole) && !isWhole(value)) fault(std::string(what) + " " + shown.str() + " is not whole");
  if ((p_.flags & kNonNegative) && value < 0) fault(std::string(what) + " " + shown.str() + " is negative");
  if ((p_.flags & kPositiveSolution) && value <= 0) fault(std::string(what) + " " + shown.str() + " is not positive");
  if ((p_.flags & kTwoDecimals) && !isWhole(value * 100)) fault(std::string(what) + " " + shown.str() + " has more than two decimals");
}

void PromiseCheck::checkValue(Drawn& drawn) {
  const Evaluation e = evaluate(drawn.grid.term(0), u'x', 0);
  if (e.error != kNoError) return fault("the term cannot be computed");
  if ((p_.flags & kWhole) && e.fractionalQuotients > 0) fault("a quotient inside the term is not whole");
  checkResult(e.value, "the value");
}

void PromiseCheck::checkEquation(Drawn& drawn, char16_t unknown) {
  FormulaGrid withZ;
  FormulaGrid& grid = unknown == u'z' ? withZ : drawn.grid;
  if (unknown == u'z') {
    ExerciseRows flags = drawn.flags;
    loadShown(withZ, drawn.rows, flags);
  }
  const auto q = fitDifference(grid.term(0), grid.term(1), unknown);
  if (!q) return fault("the equation is no polynomial of degree 2 or less");
  const double scale = 1 + std::fabs(q->a) + std::fabs(q->b) + std::fabs(q->c);
  if (std::fabs(q->a) < 1e-9 * scale) {
    if (std::fabs(q->b) < 1e-9 * scale) {
      if (std::fabs(q->c) < 1e-9 * scale) return fault("the equation holds for every x");
    } else {
      solutions_.push_back(snapped(-q->c / q->b));
    }
  } else {
    const double d = q->b * q->b - 4 * q->a * q->c;
    if (std::fabs(d) < 1e-9 * (q->b * q->b + std::fabs(4 * q->a * q->c))) {
      solutions_.push_back(snapped(-q->b / (2 * q->a)));
    } else if (d > 0) {
      const double root = std::sqrt(d);
      solutions_.push_back(snapped((-q->b - root) / (2 * q->a)));
      solutions_.push_back(snapped((-q->b + root) / (2 * q->a)));
    }
  }
  if (static_cast<int>(solutions_.size()) != p_.solutions)
    fault(std::to_string(solutions_.size()) + " solutions instead of " + std::to_string(p_.solutions));
  if (drawn.drawnUnknownShown &&
      std::none_of(solutions_.begin(), solutions_.end(), [&](double s) { return std::fabs(s - drawn.unknown) < 1e-9; }))
    fault("the solution shown is none of the equation");
  bool negative = false, fractional = false;
  for (double s : solutions_) {
    checkResult(s, "the solution");
    negative |= s < 0;
    fractional |= !isWhole(s);
    if (!isWhole(s * 2520)) fault("a solution that is no fraction of small numbers");
  }
  if ((p_.flags & kNegative) && !negative && !solutions_.empty()) fault("no negative solution");
  if ((p_.flags & kZeroSolution) && std::none_of(solutions_.begin(), solutions_.end(), [](double s) { return s == 0; }))
    fault("no solution 0");
  if ((p_.flags & kZeroRight) && grid.term(1) != u"0") fault("not of the form … = 0");
  if ((p_.flags & kFractional) && !fractional && !solutions_.empty()) fault("no solution that is a fraction");
}

void PromiseCheck::checkSubstitution(Drawn& drawn) {
  const FormulaGrid& g = drawn.grid;
  if (g.term(0) != u"x" || g.term(3) != u"_") return fault("not of the form x=…|term=_");
  const Evaluation given = evaluate(g.term(1), u'x', 0);
  if (given.error != kNoError || std::fabs(given.value - drawn.unknown) > 1e-9) fault("the x shown is not the x drawn");
  const Evaluation e = evaluate(g.term(2), u'x', given.value);
  if (e.error != kNoError) return fault("the term cannot be computed for the x given");
  if ((p_.flags & kWhole) && e.fractionalQuotients > 0) fault("a quotient inside the term is not whole");
  checkResult(e.value, "the value");
}

}  // namespace pendrix

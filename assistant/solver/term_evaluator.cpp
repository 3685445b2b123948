#include "solver/term_evaluator.h"

#include <charconv>
#include <cmath>
#include <string>

#include "formula/grid_codes.h"

namespace pendrix {

namespace {

constexpr std::u16string_view kRootFunction = u"wur(";
// Between pot's base and exponent; the comma is the decimal comma.
constexpr char16_t kArgumentSeparator = u';';

bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
bool contains(std::u16string_view set, char16_t c) { return c != 0 && set.find(c) != std::u16string_view::npos; }

struct FunctionName {
  std::u16string_view name;
  TermKind kind;
};
constexpr FunctionName kFunctions[] = {
    {u"ln(", Logarithm}, {u"sin(", Sine}, {u"cos(", Cosine}, {u"wur(", Root}, {u"pot(", Pot}, {u"exp(", Exponential},
};

}  // namespace

size_t functionNameLength(std::u16string_view text) {
  for (const FunctionName& function : kFunctions) {
    if (text.starts_with(function.name)) return function.name.size();
  }
  return 0;
}

TermEvaluator::TermEvaluator(const SettingsRecord& characters)
    : unknownLetter_(characters.variableX),
      parameterLetter_(characters.variableT),
      times_(characters.timesChar),
      minus_(characters.minusChar),
      plus_(characters.plusChar),
      divide_(characters.divideChar),
      fraction_(characters.fractionChar),
      power_(characters.powerChar) {
  text_.reserve(kWorkCapacity);
}

void TermEvaluator::Clear() {
  nodes_.clear();
  text_.clear();
  stopPosition_ = -1;
  position_ = 0;
  loaded_ = false;
  parsed_ = false;
  error_ = kNoError;
}

int TermEvaluator::SetText(std::u16string_view text) {
  Clear();
  if (text.size() >= static_cast<size_t>(kTextLimit)) {
    error_ = kTextTooLong;
    return 1;
  }
  const bool hasRoot = text.find(ROOT_OPEN) != text.npos || text.find(TALL_ROOT_OPEN) != text.npos;
  for (char16_t c : text.empty() ? std::u16string_view(u"0") : text) {
    if (hasRoot && isRootOpen(c)) {
      text_ += kRootFunction;
    } else if (hasRoot && isRootClose(c)) {
      text_ += u')';
    } else {
      text_ += c;
    }
  }
  if (text_.size() >= static_cast<size_t>(kTextLimit)) {
    text_.clear();
    error_ = kTextTooLong;
    return 1;
  }
  loaded_ = true;
  return 0;
}

// --- rewriting ---------------------------------------------------------------

char16_t TermEvaluator::at(int position) const {
  return position >= 0 && position < static_cast<int>(text_.size()) ? text_[position] : char16_t{0};
}

bool TermEvaluator::isOperandStart(char16_t c) const { return c == u'(' || isDigit(c) || isLetter(c); }

// An overflow leaves the text as it was and makes the term unusable (error 1), so
// nothing is ever parsed from a half-rewritten text.
bool TermEvaluator::insertAt(int position, std::u16string_view what) {
  if (!loaded_) return false;
  if (text_.size() + what.size() > static_cast<size_t>(kWorkCapacity)) {
    loaded_ = false;
    error_ = kTextTooLong;
    return false;
  }
  text_.insert(static_cast<size_t>(position), what);
  return true;
}

int TermEvaluator::matchingClose(int open) const {
  int depth = 0;
  for (int i = open; i < static_cast<int>(text_.size()); ++i) {
    if (text_[i] == u'(') ++depth;
    if (text_[i] == u')' && --depth == 0) return i;
  }
  return static_cast<int>(text_.size());
}

int TermEvaluator::matchingOpen(int close) const {
  int depth = 0;
  for (int i = close; i >= 0; --i) {
    if (text_[i] == u')') ++depth;
    if (text_[i] == u'(' && --depth == 0) return i;
  }
  return -1;
}

void TermEvaluator::removeSpaces() { std::erase(text_, u' '); }

void TermEvaluator::prefixLeadingSign() {
  bool signSeen = false;
  bool signedOperand = false;
  for (int i = 0; i + 1 < static_cast<int>(text_.size()); ++i) {
    const char16_t c = text_[i];
    if (c == plus_ || c == minus_) {
      signSeen = true;
      continue;
    }
    signedOperand = signSeen && isOperandStart(c);
    break;
  }
  if (signedOperand && !insertAt(0, u"0")) return;
  for (int i = 0; i + 2 < static_cast<int>(text_.size()); ++i) {
    const bool sign = text_[i + 1] == plus_ || text_[i + 1] == minus_;
    const bool opens = text_[i] == u'(' || text_[i] == kArgumentSeparator;
    if (opens && sign && text_[i + 2] == u'(' && !insertAt(i + 1, u"0")) return;
  }
}

void TermEvaluator::insertImplicitProducts() {
  const char16_t times[] = {times_, 0};
  for (int i = 0; i + 1 < static_cast<int>(text_.size()); ++i) {
    // The letters of a function name are no factors: the t of "pot(" would otherwise
    // get a product sign before its bracket.
    if (const size_t name = functionNameLength(std::u16string_view(text_).substr(static_cast<size_t>(i)))) {
      i += static_cast<int>(name) - 1;
      continue;
    }
    const char16_t c = text_[i];
    const char16_t d = text_[i + 1];
    const bool before = isDigit(c) || isLetter(c) || c == u')';
    const bool product = (isDigit(c) && (isLetter(d) || d == u'(')) ||
                         ((c == u')' || isLetter(c)) && (isDigit(d) || isLetter(d) || d == u'(')) ||
                         (before && std::u16string_view(text_).substr(i + 1).starts_with(kRootFunction));
    if (product && !insertAt(i + 1, times)) return;
  }
}

bool TermEvaluator::powerNeedsBrackets(int start, int end) const {
  const char16_t ops[] = {minus_, plus_, times_, divide_, 0};
  return contains(ops, at(end)) || (contains(ops, at(start)) && start < end);
}

bool TermEvaluator::productNeedsBrackets(int start, int end) const {
  const char16_t ops[] = {minus_, plus_, 0};
  return contains(ops, at(end)) || (contains(ops, at(start)) && start < end);
}

bool TermEvaluator::chainNeedsBrackets(int start, int end) const {
  const char16_t ops[] = {minus_, plus_, times_, divide_, 0};
  if (end >= static_cast<int>(text_.size()) || contains(ops, at(end))) return true;
  return (at(end) == u')' || at(end) == kArgumentSeparator) && contains(ops, at(start)) && start < end;
}

bool TermEvaluator::differenceNeedsBrackets(int start, int end) const { return productNeedsBrackets(start, end); }

void TermEvaluator::bracketPass(std::u16string_view triggers, std::u16string_view backStops,
                                std::u16string_view forwardStops, int firstPosition,
                                bool (TermEvaluator::*needsBrackets)(int, int) const) {
  for (int i = firstPosition; loaded_ && i < static_cast<int>(text_.size()); ++i) {
    if (!contains(triggers, text_[i])) continue;
    int start = i - 1;
    while (start >= 0 && !contains(backStops, text_[start])) {
      start = text_[start] == u')' ? matchingOpen(start) - 1 : start - 1;
    }
    start = std::max(start, -1);
    const int length = static_cast<int>(text_.size());
    int end = i + 1;
    while (end < length && (end == i + 1 || !contains(forwardStops, text_[end]))) {
      end = text_[end] == u'(' ? matchingClose(end) + 1 : end + 1;
    }
    end = std::min(end, length);
    if (!(this->*needsBrackets)(start, end)) continue;
    if (!insertAt(end, u")") || !insertAt(start <= 0 ? 0 : start + 1, u"(")) return;
    ++i;
  }
}

// <term> = <chain>, read after the passes have bracketed every operator's operands
void TermEvaluator::Parse() {
  if (!loaded_) return;
  const char16_t power[] = {power_, 0};
  const char16_t products[] = {times_, divide_, 0};
  const char16_t minus[] = {minus_, 0};
  // pot's separator ends an operand as a bracket does.
  const char16_t allOpen[] = {minus_, plus_, times_, divide_, u'(', kArgumentSeparator, 0};
  const char16_t allClose[] = {minus_, plus_, times_, divide_, u')', kArgumentSeparator, 0};
  const char16_t sumsOpen[] = {minus_, plus_, u'(', kArgumentSeparator, 0};
  const char16_t sumsClose[] = {minus_, plus_, u')', kArgumentSeparator, 0};
  removeSpaces();
  prefixLeadingSign();
  insertImplicitProducts();
  bracketPass(power, allOpen, allClose, 1, &TermEvaluator::powerNeedsBrackets);
  bracketPass(products, sumsOpen, sumsClose, 1, &TermEvaluator::productNeedsBrackets);
  bracketPass(products, allOpen, allClose, 0, &TermEvaluator::chainNeedsBrackets);
  bracketPass(minus, allOpen, allClose, 0, &TermEvaluator::differenceNeedsBrackets);
  prefixLeadingSign();
  if (!loaded_) return;

  nodes_.clear();
  position_ = 0;
  stopPosition_ = -1;
  parseChain(newNode(kNoNode));
  if (stopPosition_ < 0 && position_ < static_cast<int>(text_.size())) stopPosition_ = position_;
  parsed_ = true;
}

// --- parsing -----------------------------------------------------------------

int TermEvaluator::newNode(int parent) {
  nodes_.push_back(TermNode{});
  nodes_.back().parent = parent;
  return static_cast<int>(nodes_.size()) - 1;
}

uint32_t TermEvaluator::operatorAt(int position) const {
  const char16_t c = at(position);
  if (c == 0) return kNone;
  if (c == plus_) return Add;
  if (c == minus_) return Subtract;
  if (c == times_) return Multiply;
  if (c == divide_ || c == fraction_) return Divide;
  if (c == power_) return Power;
  if (c == u'>') return Greater;
  if (c == u'<') return Less;
  return kNone;
}

// <chain> = (<function> | <operand>) {<op> (<function> | <operand>)}, <op> = + - * : / ^ < >
// The chain is walked in a loop; only bracketed sub-terms recurse, so the depth is
// bounded by the bracket nesting of a text below kWorkCapacity.
void TermEvaluator::parseChain(int node) {
  while (stopPosition_ < 0) {
    if (!parseFunction(node)) parseOperand(node);
    if (stopPosition_ >= 0) return;
    if (at(position_) == GAP) GapFlag = false;
    const uint32_t op = operatorAt(position_);
    if (op == kNone) return;
    ++position_;
    nodes_[node].op = op;
    const int next = newNode(node);
    nodes_[node].next = next;
    node = next;
  }
}

// <function> = ("(" | "ln(" | "sin(" | "cos(" | "wur(" | "exp(") <chain> ")" | "pot(" <chain> [";" <chain>] ")"
bool TermEvaluator::parseFunction(int node) {
  TermKind kind = kEmpty;
  size_t length = 0;
  const std::u16string_view rest = std::u16string_view(text_).substr(static_cast<size_t>(position_));
  if (rest.starts_with(u"(")) {
    kind = Group;
    length = 1;
  }
  for (const FunctionName& function : kFunctions) {
    if (kind == kEmpty && rest.starts_with(function.name)) {
      kind = function.kind;
      length = function.name.size();
    }
  }
  if (kind == kEmpty) return false;
  nodes_[node].kind = kind;
  position_ += static_cast<int>(length);
  const int argument = newNode(node);
  nodes_[node].argument = argument;
  parseChain(argument);
  if (stopPosition_ >= 0) return true;
  if (kind == Pot && at(position_) == kArgumentSeparator) {
    ++position_;
    const int exponent = newNode(node);
    nodes_[node].exponent = exponent;
    parseChain(exponent);
    if (stopPosition_ >= 0) return true;
  }
  if (at(position_) == u')') {
    ++position_;
  } else {
    stopAt(position_);
  }
  return true;
}

// <operand> = ["+" | "-"] <letter> | <number>; a gap "_" is read as the digit 1
void TermEvaluator::parseOperand(int node) {
  if (at(position_) == GAP) {
    text_[position_] = u'1';
    GapFlag = false;
  }
  const char16_t c = at(position_);
  const char16_t d = at(position_ + 1);
  const bool signedLetter = (c == plus_ || c == minus_) && isLetter(d);
  const char16_t letter = signedLetter ? d : c;
  if (!isLetter(letter)) {
    parseNumber(node);
    return;
  }
  const bool negated = signedLetter && c == minus_;
  if (letter == unknownLetter_) {
    nodes_[node].kind = negated ? NegatedUnknown : Unknown;
  } else {
    nodes_[node].kind = negated ? NegatedParameter : Parameter;
  }
  position_ += signedLetter ? 2 : 1;
}

// <number> = ["+" | "-"] {<digit>} [("." | ",") {<digit>}], at least one character
void TermEvaluator::parseNumber(int node) {
  const int start = position_;
  if (at(position_) == plus_ || at(position_) == minus_) ++position_;
  while (isDigit(at(position_))) ++position_;
  if (at(position_) == u'.' || at(position_) == u',') {
    text_[position_++] = u'.';
    while (isDigit(at(position_))) ++position_;
  }
  if (position_ == start) {
    stopAt(position_);
    return;
  }
  std::string digits;
  for (int i = start; i < position_; ++i) {
    const char16_t c = text_[i];
    if (c == minus_) digits += '-';
    else if (c != plus_) digits += static_cast<char>(c);
  }
  double value = 0;
  std::from_chars(digits.data(), digits.data() + digits.size(), value);
  nodes_[node].kind = Number;
  nodes_[node].number = value;
}

// --- evaluation --------------------------------------------------------------

int TermEvaluator::Evaluate() {
  NegativeValueFlag = false;
  if (!parsed_ || !loaded_ || nodes_.empty()) {
    result_ = 0;
    return error_;
  }
  error_ = kNoError;
  result_ = evaluateChain(0);
  if (result_ < 0) NegativeValueFlag = true;
  return error_;
}

double TermEvaluator::evaluateChain(int node) {
  const TermNode& current = nodes_[node];
  double left = operandValue(current);
  if (left < 0) NegativeValueFlag = true;
  if (current.op == kNone || current.next == kNoNode) return left;
  return combine(left, current.op, current.next);
}

double TermEvaluator::operandValue(const TermNode& node) {
  auto argument = [&] { return node.argument == kNoNode ? 0.0 : evaluateChain(node.argument); };
  switch (node.kind) {
    case Unknown: return unknownValue_;
    case NegatedUnknown: return -unknownValue_;
    case Parameter: return parameterValue_;
    case NegatedParameter: return -parameterValue_;
    case Number: return node.number;
    case Group: return argument();
    case Sine: return std::sin(argument());
    case Cosine: return std::cos(argument());
    case Exponential: return std::exp(argument());
    case Pot: {
      // Without an exponent pot has no rule and is worth 0.
      if (node.exponent == kNoNode) return 0;
      const double base = argument();
      return std::pow(base, evaluateChain(node.exponent));
    }
    case Logarithm: {
      const double value = argument();
      if (value > 0) return std::log(value);
      fail(kLogarithmDomain);
      return 0;
    }
    case Root: {
      const double value = argument();
      if (value >= 0) return std::sqrt(value);
      fail(kRootDomain);
      return 1;
    }
    default: return 0;  // empty
  }
}

double TermEvaluator::combine(double left, uint32_t op, int rest) {
  const double right = evaluateChain(rest);
  switch (op) {
    case Add: return left + right;
    case Subtract: return left - right;
    case Multiply: return left * right;
    case Power: return std::pow(left, right);
    case Divide: {
      if (right == 0) {
        ++DivisionByZeroCount;
        fail(kDivisionByZero);
        return kDivisionByZeroValue;
      }
      const double quotient = left / right;
      if (quotient != std::trunc(quotient)) ++FractionalQuotientCount;
      return quotient;
    }
    case Greater: {
      const bool failed = right == kGreaterFailed || right == kLessFailed;
      return !failed && left > right ? left : kGreaterFailed;
    }
    case Less: {
      const bool failed = right == kGreaterFailed || right == kLessFailed;
      return !failed && left < right ? left : kLessFailed;
    }
    default: return left;
  }
}

}  // namespace pendrix

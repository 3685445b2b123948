#pragma once
// One side of a formula as a chain of operands, each with the operator that
// follows it; every operator takes the whole rest of the chain as its right operand,
// so the text is first rewritten with brackets to get ordinary precedence.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "session/settings.h"
#include "solver/evaluation_indicators.h"

namespace pendrix {

enum TermKind : uint32_t {
  kEmpty = 0,
  Unknown = 1,
  NegatedUnknown = 2,
  Parameter = 3,
  NegatedParameter = 4,
  Number = 5,
  Group = 6,
  Sine = 7,
  Cosine = 8,
  Logarithm = 10,
  Root = 11,
  Pot = 12,  // pot(base;exponent)
  Exponential = 13,
};

enum TermOperator : uint32_t {
  kNone = 0,
  Add = 1,
  Subtract = 2,
  Multiply = 3,
  Divide = 4,
  Power = 5,
  Greater = 7,
  Less = 8,
};

inline constexpr int kNoNode = -1;

// The length of the function name ("ln(", "sin(", "cos(", "wur(", "pot(", "exp(") that
// `text` starts with, or 0: the letters of a name stand for no unknown.
size_t functionNameLength(std::u16string_view text);

// Links are indices into the evaluator's node store, which owns every node; clearing
// the store frees the whole chain without recursion.
struct TermNode {
  uint32_t kind = kEmpty;
  double number = 0;
  int32_t next = kNoNode;
  int32_t parent = kNoNode;
  int32_t argument = kNoNode;
  int32_t exponent = kNoNode;  // pot's second argument
  uint32_t op = kNone;
};

enum EvaluationError : int {
  kNoError = 0,
  kTextTooLong = 1,
  kDivisionByZero = 1000,
  kLogarithmDomain = 1001,
  kRootDomain = 1002,
};

class TermEvaluator {
 public:
  static constexpr int kTextLimit = 200;
  // The passes insert brackets, "0" and "*": a text below kTextLimit grows to at most
  // about 2500 units, so this capacity is never reached by an accepted text.
  static constexpr int kWorkCapacity = 4096;
  static constexpr double kDivisionByZeroValue = 10000000;
  static constexpr double kGreaterFailed = 11111111;
  static constexpr double kLessFailed = -11111111;

  explicit TermEvaluator(const SettingsRecord& characters = SettingsRecord{});

  void Clear();
  int SetText(std::u16string_view text);
  void Parse();
  void SetUnknown(double value) { unknownValue_ = value; }
  void SetParameter(double value) { parameterValue_ = value; }
  int Evaluate();
  double Result() const { return result_; }

  // The exercise run switches the unknown to "z" and back.
  void setUnknownLetter(char16_t letter) { unknownLetter_ = letter; }
  int stopPosition() const { return stopPosition_; }
  int errorCode() const { return error_; }
  const std::u16string& text() const { return text_; }
  const std::vector<TermNode>& nodes() const { return nodes_; }

 private:
  // Rewriting passes.
  void removeSpaces();
  void prefixLeadingSign();
  void insertImplicitProducts();
  void bracketPass(std::u16string_view triggers, std::u16string_view backStops, std::u16string_view forwardStops,
                   int firstPosition, bool (TermEvaluator::*needsBrackets)(int, int) const);
  bool powerNeedsBrackets(int start, int end) const;
  bool productNeedsBrackets(int start, int end) const;
  bool chainNeedsBrackets(int start, int end) const;
  bool differenceNeedsBrackets(int start, int end) const;
  bool insertAt(int position, std::u16string_view what);
  int matchingClose(int open) const;
  int matchingOpen(int close) const;
  char16_t at(int position) const;
  bool isOperandStart(char16_t c) const;
  bool isLetter(char16_t c) const { return c == unknownLetter_ || c == parameterLetter_; }

  // Parser.
  int newNode(int parent);
  void parseChain(int node);
  bool parseFunction(int node);
  void parseOperand(int node);
  void parseNumber(int node);
  uint32_t operatorAt(int position) const;
  void stopAt(int position) {
    if (stopPosition_ < 0) stopPosition_ = position;
  }

  // Evaluation.
  double evaluateChain(int node);
  double operandValue(const TermNode& node);
  double combine(double left, uint32_t op, int rest);
  void fail(int code) {
    if (error_ == kNoError) error_ = code;
  }

  std::u16string text_;
  int stopPosition_ = -1;
  double result_ = 0;
  double unknownValue_ = 0;
  double parameterValue_ = 0;
  std::vector<TermNode> nodes_;  // nodes_[0] is the root
  int position_ = 0;
  bool loaded_ = false;
  bool parsed_ = false;
  int error_ = kNoError;

  char16_t unknownLetter_;
  char16_t parameterLetter_;
  char16_t times_;
  char16_t minus_;
  char16_t plus_;
  char16_t divide_;
  char16_t fraction_;
  char16_t power_;
};

}  // namespace pendrix

#include <gtest/gtest.h>

#include <string>

#include "solver/term_evaluator.h"

namespace pendrix {
namespace {

struct Outcome {
  double value;
  int error;
  int stop;
};

Outcome evaluate(std::u16string_view text, double x = 0, double t = 0) {
  TermEvaluator evaluator;
  evaluator.SetText(text);
  evaluator.Parse();
  evaluator.SetUnknown(x);
  evaluator.SetParameter(t);
  const int error = evaluator.Evaluate();
  return {evaluator.Result(), error, evaluator.stopPosition()};
}

class TermEvaluatorTest : public ::testing::Test {
 protected:
  void SetUp() override { resetEvaluationIndicators(); }
};

struct Row {
  const char16_t* text;
  double x;
  double value;
};

TEST_F(TermEvaluatorTest, PrecedenceAndImplicitProductsFromTheRewriting) {
  const Row rows[] = {
      {u"", 5, 0},          {u"3x", 2, 6},        {u"2(x+1)", 2, 6},    {u"(x+1)(x-1)", 2, 3},
      {u"2wur(9)", 0, 6},   {u"-x+1", 3, -2},     {u"12-4-2", 0, 6},    {u"12:4:3", 0, 1},
      {u"12:4*3", 0, 9},    {u"2+3*4", 0, 14},    {u"2*3^2", 0, 18},    {u"1,5+x", 1, 2.5},
      {u"1/0+2", 0, 0.5},   {u"x<5", 3, 3},       {u"x<5", 7, -11111111}, {u"x>5", 3, 11111111},
      {u"2*-3", 0, -6},     {u"1<x<5", 3, 1},     {u"1<x<5", 6, -11111111}, {u"a - b", 0, 0},
      {u"2 + 3 * 4", 0, 14}, {u"x^2-2x+1", 3, 4}, {u"((1)/(2))+x", 1, 1.5}, {u"(2 +((1)/(2)))", 0, 2.5},
      {u"-(-(x))", 4, 4},   {u"xt", 3, 0},        {u"10-2*3-1", 0, 3},  {u"2^3^2", 0, 512},
  };
  for (const Row& row : rows) {
    const Outcome outcome = evaluate(row.text, row.x);
    EXPECT_DOUBLE_EQ(outcome.value, row.value) << std::string(row.text, row.text + std::char_traits<char16_t>::length(row.text));
    EXPECT_EQ(outcome.error, 0);
  }
}

TEST_F(TermEvaluatorTest, RootMarkersBecomeSquareRoots) {
  EXPECT_DOUBLE_EQ(evaluate(u"2\u00E5" u"9\u00E6").value, 6);
  EXPECT_DOUBLE_EQ(evaluate(u"\u00E7((1)/(4))\u00E8+x", 1).value, 1.5);
  EXPECT_DOUBLE_EQ(evaluate(u"x\u00E5x\u00E6", 4).value, 8);
}

TEST_F(TermEvaluatorTest, DivisionIndicators) {
  Outcome outcome = evaluate(u"(1:0)+2");
  EXPECT_DOUBLE_EQ(outcome.value, 10000002);
  EXPECT_EQ(outcome.error, kDivisionByZero);
  EXPECT_EQ(DivisionByZeroCount, 1u);
  EXPECT_EQ(FractionalQuotientCount, 0u);

  resetEvaluationIndicators();
  EXPECT_DOUBLE_EQ(evaluate(u"7:2").value, 3.5);
  EXPECT_EQ(FractionalQuotientCount, 1u);
  resetEvaluationIndicators();
  EXPECT_DOUBLE_EQ(evaluate(u"8:2").value, 4);
  EXPECT_EQ(FractionalQuotientCount, 0u);
  EXPECT_DOUBLE_EQ(evaluate(u"-7:2").value, -3.5);
  EXPECT_EQ(FractionalQuotientCount, 1u);
}

TEST_F(TermEvaluatorTest, DomainErrorsGiveSubstituteValues) {
  Outcome outcome = evaluate(u"ln(0)");
  EXPECT_EQ(outcome.error, kLogarithmDomain);
  EXPECT_DOUBLE_EQ(outcome.value, 0);
  outcome = evaluate(u"wur(-4)");
  EXPECT_EQ(outcome.error, kRootDomain);
  EXPECT_DOUBLE_EQ(outcome.value, 1);
  outcome = evaluate(u"wur(-4)+ln(0)");
  EXPECT_NE(outcome.error, 0);
  EXPECT_DOUBLE_EQ(outcome.value, 1);
  EXPECT_NEAR(evaluate(u"ln(exp(2))+sin(0)+cos(0)").value, 3, 1e-12);
  EXPECT_DOUBLE_EQ(evaluate(u"pot(4)").value, 0);
}

// pot(base;exponent) is the power; the separator bounds its operands as a bracket does.
TEST_F(TermEvaluatorTest, PotTakesABaseAndAnExponent) {
  const struct {
    const char16_t* term;
    double x, value;
  } rows[] = {{u"pot(2;3)", 0, 8},         {u"pot(1-2*3;2)", 0, 25},    {u"pot(x;2)+1", 3, 10},
              {u"2*pot(2;3-1)", 0, 8},      {u"pot(2;-1)", 0, 0.5},      {u"pot(2;-(x+1))", 1, 0.25},
              {u"pot(9;1:2)*2", 0, 6},     {u"pot(pot(2;2);3)", 0, 64}, {u"pot(2,5;2)", 0, 6.25}};
  for (const auto& row : rows) {
    const Outcome outcome = evaluate(row.term, row.x);
    EXPECT_DOUBLE_EQ(outcome.value, row.value) << std::string(row.term, row.term + std::char_traits<char16_t>::length(row.term));
    EXPECT_EQ(outcome.stop, -1);
  }
  EXPECT_GE(evaluate(u"pot(2;3;4)").stop, 0);
}

TEST_F(TermEvaluatorTest, NegativeValueFlagFollowsOperandsAndResult) {
  evaluate(u"-x+1", 3);
  EXPECT_TRUE(NegativeValueFlag);
  evaluate(u"x+1", 3);
  EXPECT_FALSE(NegativeValueFlag);
  evaluate(u"2*-3");
  EXPECT_TRUE(NegativeValueFlag);
}

TEST_F(TermEvaluatorTest, GapIsReadAsOneAndClearsTheGapFlag) {
  Outcome outcome = evaluate(u"_+2");
  EXPECT_DOUBLE_EQ(outcome.value, 3);
  EXPECT_FALSE(GapFlag);
  resetEvaluationIndicators();
  outcome = evaluate(u"2_");
  EXPECT_FALSE(GapFlag);
  EXPECT_EQ(outcome.stop, 1);
  EXPECT_DOUBLE_EQ(outcome.value, 2);
}

TEST_F(TermEvaluatorTest, ParsingStopsEarlyAndKeepsWhatWasBuilt) {
  Outcome outcome = evaluate(u"tan(x)", 2, 5);
  EXPECT_DOUBLE_EQ(outcome.value, 5);  // the t is the parameter, "a" stops
  EXPECT_EQ(outcome.stop, 1);
  EXPECT_EQ(outcome.error, 0);
  outcome = evaluate(u"2sin(x)");
  EXPECT_GE(outcome.stop, 0);
  outcome = evaluate(u"(1+2");
  EXPECT_GE(outcome.stop, 0);
  EXPECT_EQ(evaluate(u"2+3").stop, -1);
  outcome = evaluate(u"4#5");
  EXPECT_DOUBLE_EQ(outcome.value, 4);
  EXPECT_EQ(outcome.stop, 1);
}

TEST_F(TermEvaluatorTest, LengthLimitBeforeAndAfterRootExpansion) {
  std::u16string text(199, u'1');
  EXPECT_EQ(evaluate(text).error, 0);
  TermEvaluator evaluator;
  EXPECT_EQ(evaluator.SetText(std::u16string(200, u'1')), 1);
  evaluator.Parse();
  EXPECT_EQ(evaluator.Evaluate(), kTextTooLong);
  // 66 roots of one digit: 198 characters, 330 once expanded.
  std::u16string roots;
  for (int i = 0; i < 66; ++i) roots += u"\u00E54\u00E6";
  EXPECT_EQ(evaluator.SetText(roots), 1);
  EXPECT_EQ(evaluator.SetText(u"\u00E54\u00E6"), 0);
}

TEST_F(TermEvaluatorTest, LongestRewritingsStayWithinTheWorkingText) {
  const std::u16string patterns[] = {u"x", u"1x", u"x*", u"2^", u"-(", u"(-(", u"x-", u"1:", u")("};
  for (const std::u16string& pattern : patterns) {
    std::u16string text;
    while (text.size() + pattern.size() < 200) text += pattern;
    TermEvaluator evaluator;
    ASSERT_EQ(evaluator.SetText(text), 0);
    evaluator.Parse();
    EXPECT_LE(evaluator.text().size(), static_cast<size_t>(TermEvaluator::kWorkCapacity));
    EXPECT_NE(evaluator.errorCode(), kTextTooLong);
    evaluator.Evaluate();
  }
}

TEST_F(TermEvaluatorTest, DeepBracketsEvaluate) {
  std::u16string text = std::u16string(99, u'(') + u"x" + std::u16string(99, u')');
  Outcome outcome = evaluate(text, 7);
  EXPECT_DOUBLE_EQ(outcome.value, 7);
  EXPECT_EQ(outcome.stop, -1);
  text = std::u16string(198, u'(') + u"1";
  outcome = evaluate(text);
  EXPECT_GE(outcome.stop, 0);
}

TEST_F(TermEvaluatorTest, ReevaluatesTheSameChain) {
  TermEvaluator evaluator;
  evaluator.SetText(u"x^2-4");
  evaluator.Parse();
  const size_t nodes = evaluator.nodes().size();
  for (double x : {-2.0, 0.0, 3.0}) {
    evaluator.SetUnknown(x);
    EXPECT_EQ(evaluator.Evaluate(), 0);
    EXPECT_DOUBLE_EQ(evaluator.Result(), x * x - 4);
  }
  EXPECT_EQ(evaluator.nodes().size(), nodes);
  evaluator.Clear();
  EXPECT_EQ(evaluator.Evaluate(), 0);
  EXPECT_DOUBLE_EQ(evaluator.Result(), 0);
}

TEST_F(TermEvaluatorTest, UnknownLetterCanBeSwitched) {
  TermEvaluator evaluator;
  evaluator.setUnknownLetter(u'z');
  evaluator.SetText(u"2z+x");
  evaluator.Parse();
  evaluator.SetUnknown(3);
  evaluator.Evaluate();
  EXPECT_DOUBLE_EQ(evaluator.Result(), 6);  // x is no operand now: parsing stops there
  EXPECT_GE(evaluator.stopPosition(), 0);
}

}  // namespace
}  // namespace pendrix

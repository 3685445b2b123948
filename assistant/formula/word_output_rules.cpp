#include "formula/word_output_rules.h"

#include <cmath>
#include <cstdint>
#include <limits>

#include "formula/solution_display.h"

namespace pendrix {

namespace {
constexpr int kSmallestSmallSize = 5;
constexpr int kLargestSmallSize = 48;
constexpr int kFallbackSmallSize = 8;
// Brackets alone, or a bracket around one character, say nothing worth writing.
constexpr size_t kShortestCondition = 4;
}  // namespace

std::u16string solutionLine(const std::u16string& value, const std::u16string& condition) {
  if (value == kEveryNumberText) return kEveryNumberLine;
  std::u16string line = u"L = { " + value;
  if (condition.size() >= kShortestCondition) line += u" |" + condition.substr(1, condition.size() - 2);
  return line + u" }";
}

int smallFontSize(int size, int raiseSize) {
  // In 64 bits, so that a raise size from a hand-edited settings file cannot overflow.
  const int64_t small = static_cast<int64_t>(size) * raiseSize / 100;
  return small < kSmallestSmallSize || small > kLargestSmallSize ? kFallbackSmallSize : static_cast<int>(small);
}

int wholePoints(double size) {
  if (!std::isfinite(size)) return 0;
  const double whole = std::trunc(size);
  if (whole < std::numeric_limits<int>::min() || whole > std::numeric_limits<int>::max()) return 0;
  return static_cast<int>(whole);
}

}  // namespace pendrix

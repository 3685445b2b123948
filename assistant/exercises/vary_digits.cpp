#include "exercises/vary_digits.h"

namespace pendrix {
namespace {

bool isNonZeroDigit(char16_t c) { return c >= u'1' && c <= u'9'; }

// The draw mode that keeps a new digit near the size of the one it replaces.
int modeForDigit(char16_t digit) { return digit <= u'2' ? 1 : digit <= u'6' ? 2 : 3; }

char16_t drawDigit(ExerciseRandom& random, int mode) {
  return static_cast<char16_t>(RandomInRange(random, u'1', u'9', mode));
}

}  // namespace

void varyDigits(FormulaGrid& grid, ExerciseRandom& random) {
  int mode = 1;  // carries over from column to column
  for (int column = 0; column < grid.length(); ++column) {
    const char16_t upper = grid.at(ROW_UPPER, column);
    if (isNonZeroDigit(upper)) {
      mode = modeForDigit(upper);
      grid.replaceDigit(ROW_UPPER, column, drawDigit(random, mode));
    }
    for (const int row : {ROW_MAIN, ROW_LOWER}) {
      if (!isNonZeroDigit(grid.at(row, column))) continue;
      // Below a numerator the new numerator sets the size; anything up to '9'
      // counts (empty cells and operators as small), any other character keeps it.
      const char16_t above = grid.at(ROW_UPPER, column);
      if (above <= u'9') mode = modeForDigit(above);
      grid.replaceDigit(row, column, drawDigit(random, mode));
    }
  }
}

}  // namespace pendrix

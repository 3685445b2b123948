#pragma once
// The similar-exercise button: the digits 1 to 9 of the formula are drawn anew, small
// ones staying small, while 0 and every other character stay, so the exercise keeps
// its shape and its zeros.

#include "exercises/exercise_random.h"
#include "formula/formula_grid.h"

namespace pendrix {

void varyDigits(FormulaGrid& grid, ExerciseRandom& random);

}  // namespace pendrix

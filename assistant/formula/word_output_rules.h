#pragma once
// The rules of what goes into Word that need no Word: the solution line and the
// point size of superscripts, subscripts and root degrees.

#include <string>

namespace pendrix {

// "L = { value }"; a condition of more than three characters (its brackets
// included) adds " |" and the condition without its first and last character. An
// equation solved by every number gets "L = IR", the set of all numbers as German
// school texts write it where a font has no double-struck R.
inline constexpr char16_t kEveryNumberLine[] = u"L = IR";
std::u16string solutionLine(const std::u16string& value, const std::u16string& condition);

// The small size for a text of `size` whole points: size x raiseSize / 100, cut to a
// whole number; 8 when that is below 5 or above 48.
int smallFontSize(int size, int raiseSize);

// A point size as Word reports it, cut to a whole number. Values no whole number
// can hold (not a number, beyond the int range) give 0.
int wholePoints(double size);

}  // namespace pendrix

#pragma once
// Turns the formula grid into the code of a Word "EQ" field, and records where the
// superscripts, subscripts and root degrees stand in it so that Word output can
// give them a small font size.

#include <string>
#include <vector>

#include "formula/formula_grid.h"
#include "session/settings.h"

namespace pendrix {

struct EqCode {
  std::u16string text;  // starts with "EQ "
  // Steps from one small character of `text` to the next; the first entry counts
  // one step more, from before the code's first character. Every entry leads to a
  // position inside `text`.
  std::vector<int> smallOffsets;
  bool smallCharactersPresent = false;
};

// The code has no fixed capacity: a 54-column grid of superscript fractions needs
// more than 600 units, and every small character of it is listed.
EqCode generateEqCode(const FormulaGrid& grid, const SettingsRecord& settings);

// The offset scan on its own, for a code that is already written.
std::vector<int> smallCharacterOffsets(const std::u16string& code, char16_t separator, bool& degreeFound);

}  // namespace pendrix

// pendrix-cli grid and terms: the formula grid and its term texts after typing KEYS.
//
// grid prints, one item per line:
//   length=N
//   cursor=ROW COLUMN
//   row0=CELLS / flags0=HEX, row1=... / flags1=..., row2=... / flags2=...
//   degree=ROW COLUMN CELL          one line for each cell with a root degree
// CELLS are the used columns separated by single blanks (cellToken in cli_common.h).
// HEX are the cells' flag bytes as two lower-case hex digits, separated by blanks.
//
// terms prints mask=, relation1=, relation2=, degreeSeen= (0 or 1) and term0= to
// term4= with the texts as extracted (root codes pass through as UTF-8, control
// characters are written as U+XXXX).

#include <cstdio>
#include <ostream>
#include <string>

#include "cli_common.h"
#include "commands.h"
#include "formula/formula_grid.h"
#include "session/text_codec.h"

namespace pendrix::cli {

namespace {

std::string hexByte(unsigned value) {
  char buffer[4];
  std::snprintf(buffer, sizeof buffer, "%02x", value & kCellFlagBits);
  return buffer;
}

// Types the KEYS of `args` into `grid`; false after an error message.
bool buildGrid(const Args& args, FormulaGrid& grid, std::ostream& err) {
  FormulaArgs parsed;
  if (!parseFormulaArgs(args, parsed, err)) return false;
  SilentNotifier yes(true);  // {Alt+l} answers the clear question with Yes
  RecordingSolutionDisplay display;
  return typeKeys(parsed.keys, grid, parsed.settings, yes, display, err);
}

}  // namespace

int runGrid(const Args& args, std::ostream& out, std::ostream& err) {
  FormulaGrid grid;
  if (!buildGrid(args, grid, err)) return 2;
  out << "length=" << grid.length() << "\n";
  out << "cursor=" << grid.cursorRow() << " " << grid.cursorColumn() << "\n";
  for (int row = 0; row < FormulaGrid::kRows; ++row) {
    std::string flags;
    for (int column = 0; column < grid.length(); ++column) {
      if (column > 0) flags += ' ';
      flags += hexByte(grid.flags(row, column));
    }
    out << "row" << row << "=" << rowCells(grid, row) << "\n";
    out << "flags" << row << "=" << flags << "\n";
  }
  for (int row = 0; row < FormulaGrid::kRows; ++row) {
    for (int column = 0; column < grid.length(); ++column) {
      if (const char16_t d = grid.degree(row, column)) {
        out << "degree=" << row << " " << column << " " << cellToken(d) << "\n";
      }
    }
  }
  return 0;
}

int runTerms(const Args& args, std::ostream& out, std::ostream& err) {
  FormulaGrid grid;
  if (!buildGrid(args, grid, err)) return 2;
  grid.extractTerms();
  out << "mask=" << grid.slotMask() << "\n";
  out << "relation1=" << grid.relation1() << "\n";
  out << "relation2=" << grid.relation2() << "\n";
  out << "degreeSeen=" << (grid.degreeSeen() ? 1 : 0) << "\n";
  for (int slot = 0; slot < FormulaGrid::kTermSlots; ++slot) {
    out << "term" << slot << "=" << printable(grid.term(slot)) << "\n";
  }
  return 0;
}

}  // namespace pendrix::cli

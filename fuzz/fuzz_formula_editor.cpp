// Key sequences on the formula editor, as the dialog hands them over: typed
// characters, cursor and delete keys, formula buttons, Alt keys and root degrees. The
// grid must keep its shape after every step; its roots stay balanced, and paired after
// every step that is not a deletion. A typed grid code (a root mark, a control
// character) changes nothing. Term extraction and the EQ code must cope with whatever
// the keys made.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>
#include <vector>

#include "formula/editing_helpers.h"
#include "formula/grid_codes.h"
#include "support/grid_invariants.h"

// The target's own checks, left out of its coverage (uncovered.txt).
namespace fuzzcheck {

// The cells and the length, without the cursor: a step that only moves the cursor
// changes nothing the cell checks and the pairing rule look at. A fixed array, as
// it is taken at every step.
struct Cells {
  static constexpr int kCount = pendrix::FormulaGrid::kRows * pendrix::FormulaGrid::kCells;
  std::array<char16_t, kCount> characters{};
  std::array<uint16_t, kCount> flags{};
  std::array<char16_t, kCount> degrees{};
  int length = 0;
  bool operator==(const Cells&) const = default;
};

PENDRIX_CHECK bool sameCells(const Cells& a, const Cells& b) { return a == b; }

PENDRIX_CHECK Cells cellsOf(const pendrix::FormulaGrid& grid) {
  Cells cells;
  cells.length = grid.length();
  for (int row = 0, i = 0; row < pendrix::FormulaGrid::kRows; ++row) {
    for (int column = 0; column < pendrix::FormulaGrid::kCells; ++column, ++i) {
      cells.characters[i] = grid.at(row, column);
      cells.flags[i] = grid.flags(row, column);
      cells.degrees[i] = grid.degree(row, column);
    }
  }
  return cells;
}

}  // namespace fuzzcheck

namespace {

using pendrix::EditorKey;
using fuzzcheck::cellsOf;
using fuzzcheck::sameCells;

// Characters a pupil types, the notation's signs and the root markers; other bytes
// go in as they are.
constexpr char16_t kTyped[] = u"0123456789xyabt+-*/:=<>|_ .^()[]\u00B0\u00E5\u00E6\u00E7\u00E8";
constexpr int kButtons[] = {pendrix::kButtonRoot,        pendrix::kButtonCubeRoot,     pendrix::kButtonSuperscript,
                            pendrix::kButtonSquare,      pendrix::kButtonCube,         pendrix::kButtonSubscript,
                            pendrix::kButtonIndex1,      pendrix::kButtonIndex2,       pendrix::kButtonLessEqual,
                            pendrix::kButtonGreaterEqual, pendrix::kButtonX12,         pendrix::kButtonPlusMinus,
                            pendrix::kButtonInnerFraction, pendrix::kButtonVaryDigits, pendrix::kButtonInsertIntoWord};

[[noreturn]] void breach(const std::string& what, const pendrix::FormulaGrid& grid, size_t step) {
  std::fprintf(stderr, "step %zu: %s\n%s", step, what.c_str(), pendrix::testing::describeGrid(grid).c_str());
  std::abort();
}

// The grid's shape and its roots after every step that changed a cell.
void checkGrid(const pendrix::FormulaGrid& grid, bool paired, size_t step) {
  const std::string shape = pendrix::testing::gridShapeBreach(grid);
  if (!shape.empty()) breach(shape, grid, step);
  const std::string roots = pendrix::testing::rootsBreach(grid);
  if (!roots.empty()) breach(roots, grid, step);
  const std::string pairing = paired ? pendrix::testing::rootPairingBreach(grid) : std::string();
  if (!pairing.empty()) breach(pairing, grid, step);
}

}  // namespace

// Each step takes two bytes: the operation in the high bits of the first, its
// argument in the rest.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  pendrix::testing::Editing e;
  bool pairedNow = true;
  checkGrid(e.grid, pairedNow, 0);
  fuzzcheck::Cells before = cellsOf(e.grid);
  for (size_t i = 0; i + 1 < size; i += 2) {
    const uint8_t op = data[i] >> 5, low = data[i] & 0x1F, arg = data[i + 1];
    const char16_t typed = op <= 1 ? kTyped[arg % (std::size(kTyped) - 1)] : static_cast<char16_t>(low << 8 | arg);
    bool deletion = false, degree = false;
    switch (op) {
      case 0:
      case 1:
      case 2: e.editor.typeCharacter(typed); break;
      case 3:
      case 4: {
        const auto key = static_cast<EditorKey>(arg % 8);
        deletion = key == EditorKey::Delete || key == EditorKey::Backspace;
        e.editor.keyDown(key);
        break;
      }
      case 5: e.editor.pressButton(kButtons[arg % std::size(kButtons)]); break;
      case 6:
        e.notifier.answer = low & 1;
        e.editor.altCharacter(static_cast<char16_t>(arg));
        break;
      default:
        degree = true;
        e.editor.setRootDegreeAtCursor(low & 1 ? std::u16string(1, static_cast<char16_t>(arg)) : u"");
        break;
    }
    fuzzcheck::Cells after = cellsOf(e.grid);
    if (op <= 2 && pendrix::isGridCode(typed) && !sameCells(after, before))
      breach("a typed grid code went in", e.grid, i / 2);
    if (sameCells(after, before)) {
      // Only the cursor moved, if anything: every other check would find what it found.
      const std::string cursor = pendrix::testing::cursorBreach(e.grid);
      if (!cursor.empty()) breach(cursor, e.grid, i / 2);
    } else {
      if (!degree) pairedNow = !deletion;
      checkGrid(e.grid, pairedNow, i / 2);
      before = std::move(after);
    }
    if (i % 32 == 0) {
      e.grid.extractTerms();
      pendrix::generateEqCode(e.grid, e.settings.record());
    }
  }
  return 0;
}

// Key sequences on the formula editor, as the dialog hands them over: typed
// characters, cursor and delete keys, formula buttons, Alt keys and root degrees. The
// grid must keep its shape after every step; its roots stay balanced, and paired after
// every step that is not a deletion, until a root marker is typed as a character
// (every character goes into the grid as it is, U+00E5 to U+00E8 too). Term
// extraction and the EQ code must cope with whatever the keys made.
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

namespace {

using pendrix::EditorKey;

// Characters a pupil types, the notation's signs and the root markers; other bytes
// go in as they are.
constexpr char16_t kTyped[] = u"0123456789xyabt+-*/:=<>|_ .^()[]\u00B0\u00E5\u00E6\u00E7\u00E8";
constexpr int kButtons[] = {pendrix::kButtonRoot,        pendrix::kButtonCubeRoot,     pendrix::kButtonSuperscript,
                            pendrix::kButtonSquare,      pendrix::kButtonCube,         pendrix::kButtonSubscript,
                            pendrix::kButtonIndex1,      pendrix::kButtonIndex2,       pendrix::kButtonLessEqual,
                            pendrix::kButtonGreaterEqual, pendrix::kButtonX12,         pendrix::kButtonPlusMinus,
                            pendrix::kButtonInnerFraction, pendrix::kButtonVaryDigits, pendrix::kButtonInsertIntoWord};

// The cells without the cursor: a step that only moves the cursor changes nothing
// the pairing rule looks at.
std::vector<int> cellsOf(const pendrix::FormulaGrid& grid) {
  const std::vector<int> all = pendrix::testing::snapshot(grid).cells;
  return std::vector<int>(all.begin() + 3, all.end());
}

[[noreturn]] void breach(const std::string& what, const pendrix::FormulaGrid& grid, size_t step) {
  std::fprintf(stderr, "step %zu: %s\n%s", step, what.c_str(), pendrix::testing::describeGrid(grid).c_str());
  std::abort();
}

}  // namespace

// Each step takes two bytes: the operation in the high bits of the first, its
// argument in the rest.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  pendrix::testing::Editing e;
  bool pairedNow = true, markerTyped = false;
  for (size_t i = 0; i + 1 < size; i += 2) {
    const uint8_t op = data[i] >> 5, low = data[i] & 0x1F, arg = data[i + 1];
    const char16_t typed = op <= 1 ? kTyped[arg % (std::size(kTyped) - 1)] : static_cast<char16_t>(low << 8 | arg);
    const auto before = cellsOf(e.grid);
    // Once a marker went in as a typed character, the root rules are the user's.
    if (op <= 2 && typed >= pendrix::ROOT_OPEN && typed <= pendrix::TALL_ROOT_CLOSE) markerTyped = true;
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
    const std::string shape = pendrix::testing::gridShapeBreach(e.grid);
    if (!shape.empty()) breach(shape, e.grid, i / 2);
    if (!degree && cellsOf(e.grid) != before) pairedNow = !deletion;
    if (!markerTyped) {
      const std::string roots = pendrix::testing::rootsBreach(e.grid);
      if (!roots.empty()) breach(roots, e.grid, i / 2);
      const std::string pairing = pairedNow ? pendrix::testing::rootPairingBreach(e.grid) : "";
      if (!pairing.empty()) breach(pairing, e.grid, i / 2);
    }
    if (i % 32 == 0) {
      e.grid.extractTerms();
      pendrix::generateEqCode(e.grid, e.settings.record());
    }
  }
  return 0;
}

// Grid invariants after seeded random key sequences: length at most 54, the
// used mark in every row of every used column, column kinds, root signs balanced in
// every row, and on the main line the pairing rule after each insertion.

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "editing_helpers.h"
#include "support/grid_invariants.h"

namespace pendrix {
namespace {

using testing::Editing;

::testing::AssertionResult holds(const std::string& breach) {
  return breach.empty() ? ::testing::AssertionSuccess() : ::testing::AssertionFailure() << breach;
}

::testing::AssertionResult wellFormed(const FormulaGrid& grid) {
  return holds(testing::gridShapeBreach(grid) + testing::rootsBreach(grid));
}
::testing::AssertionResult paired(const FormulaGrid& grid) { return holds(testing::rootPairingBreach(grid)); }
using testing::describeGrid;

std::vector<int> cellsOnly(const FormulaGrid& grid) {
  auto cells = testing::snapshot(grid).cells;
  return std::vector<int>(cells.begin() + 3, cells.end());
}

// How often the sessions reached the interesting states, so that the test notices
// when its random keys stop exercising them.
struct Coverage {
  int fraction = 0, tallRoot = 0, numeratorRoot = 0, full = 0;
};

void randomSession(uint32_t seed, int steps, Coverage& coverage) {
  std::mt19937 random(seed);
  Editing e;
  const std::u16string typed = u"0123456789xyabt+-*/=<>|_ .^\u00B0[]";
  const std::u16string alts = u"whd23tijkgxpb5l";
  const int buttons[] = {kButtonRoot,   kButtonCubeRoot,  kButtonSuperscript,  kButtonSquare, kButtonCube,
                         kButtonSubscript, kButtonIndex1, kButtonIndex2,       kButtonLessEqual,
                         kButtonGreaterEqual, kButtonX12, kButtonPlusMinus,    kButtonInnerFraction};
  bool pairedNow = true;
  std::string trail;
  for (int step = 0; step < steps; ++step) {
    const auto before = cellsOnly(e.grid);
    bool deletion = false;
    const int kind = static_cast<int>(random() % 100);
    if (kind < 45) {
      const char16_t c = typed[random() % typed.size()];
      e.editor.typeCharacter(c);
      trail += "t";
    } else if (kind < 75) {
      const auto key = static_cast<EditorKey>(random() % 8);
      deletion = key == EditorKey::Delete || key == EditorKey::Backspace;
      e.editor.keyDown(key);
      trail += "k" + std::to_string(static_cast<int>(key));
    } else if (kind < 93) {
      const int button = buttons[random() % std::size(buttons)];
      e.editor.pressButton(button);
      trail += "b" + std::to_string(button);
    } else if (kind < 98) {
      const char16_t c = alts[random() % alts.size()];
      e.notifier.answer = random() % 4 == 0;
      e.editor.altCharacter(c);
      trail += "a";
    } else {
      e.editor.setRootDegreeAtCursor(random() % 2 ? u"3" : u" ");
      trail += "d";
    }
    trail += " ";
    ASSERT_TRUE(wellFormed(e.grid)) << "seed " << seed << " step " << step << "\n" << trail << "\n" << describeGrid(e.grid);
    if (cellsOnly(e.grid) != before && kind < 98) pairedNow = !deletion;
    if (pairedNow) {
      ASSERT_TRUE(paired(e.grid)) << "seed " << seed << " step " << step << "\n" << trail << "\n" << describeGrid(e.grid);
    }
    for (int column = 0; column < e.grid.length(); ++column) {
      coverage.fraction += e.grid.isFractionColumn(column);
      coverage.tallRoot += e.grid.at(ROW_MAIN, column) == TALL_ROOT_OPEN;
      coverage.numeratorRoot += isRootOpen(e.grid.at(ROW_UPPER, column)) || isRootOpen(e.grid.at(ROW_LOWER, column));
    }
    coverage.full += e.grid.length() == FormulaGrid::kMaxColumns;
    // Term extraction must run on whatever the keys made.
    if (step % 16 == 0) e.grid.extractTerms();
  }
}

TEST(GridInvariants, RandomKeySequences) {
  Coverage coverage;
  for (uint32_t seed = 1; seed <= 300; ++seed) {
    randomSession(seed, 400, coverage);
    if (HasFatalFailure()) return;
  }
  EXPECT_GT(coverage.fraction, 1000);
  EXPECT_GT(coverage.tallRoot, 100);
  EXPECT_GT(coverage.numeratorRoot, 100);
  EXPECT_GT(coverage.full, 10);
}

TEST(GridInvariants, RandomSequencesThatFillTheGrid) {
  // Mostly typing, so that the limit of 54 columns is reached and pressed against.
  for (uint32_t seed = 1000; seed < 1040; ++seed) {
    std::mt19937 random(seed);
    Editing e;
    for (int step = 0; step < 300; ++step) {
      switch (random() % 10) {
        case 0: e.editor.keyDown(random() % 2 ? EditorKey::Up : EditorKey::Down); break;
        case 1: e.editor.pressButton(random() % 2 ? kButtonRoot : kButtonCubeRoot); break;
        case 2: e.editor.keyDown(EditorKey::Left); break;
        default: e.editor.typeCharacter(static_cast<char16_t>(u'a' + random() % 5)); break;
      }
      ASSERT_TRUE(wellFormed(e.grid)) << "seed " << seed << " step " << step << "\n" << describeGrid(e.grid);
    }
    EXPECT_GE(e.grid.length(), 40) << seed;
  }
}

}  // namespace
}  // namespace pendrix

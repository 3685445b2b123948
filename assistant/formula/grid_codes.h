#pragma once
// The character codes and cell flags of the formula grid. Every part of the core that
// reads or writes grid rows (the grid, the EQ writer and reader, the evaluator, the
// exercise files and the generator) takes them from here, so that stored exercise
// files and the term texts keep one meaning for each code.

#include <cstdint>

namespace pendrix {

// Root marks around a root's radicand in a row; the tall root spans a fraction.
inline constexpr char16_t ROOT_OPEN = 0x00E5;
inline constexpr char16_t ROOT_CLOSE = 0x00E6;
inline constexpr char16_t TALL_ROOT_OPEN = 0x00E7;
inline constexpr char16_t TALL_ROOT_CLOSE = 0x00E8;
// A gap the user still has to fill in.
inline constexpr char16_t GAP = u'_';

// One flag byte per cell; exercise files store these bytes as their flag rows.
enum CellFlag : uint16_t {
  CELL_UNDER_ROOT = 0x01,
  CELL_TEXT = 0x02,
  CELL_UNDER_TALL_ROOT = 0x04,
  CELL_FRACTION = 0x08,
  CELL_FILLER = 0x10,
  CELL_USED = 0x20,
  CELL_SUPERSCRIPT = 0x40,
  CELL_SUBSCRIPT = 0x80,
};
// A flag row's units carry the flag byte in their low eight bits.
inline constexpr uint16_t kCellFlagBits = 0xFF;

inline constexpr int ROW_UPPER = 0;
inline constexpr int ROW_MAIN = 1;
inline constexpr int ROW_LOWER = 2;

inline bool isRootOpen(char16_t c) { return c == ROOT_OPEN || c == TALL_ROOT_OPEN; }
inline bool isRootClose(char16_t c) { return c == ROOT_CLOSE || c == TALL_ROOT_CLOSE; }
inline bool isRootMark(char16_t c) { return c >= ROOT_OPEN && c <= TALL_ROOT_CLOSE; }

// Codes that mean something to the grid or to the texts made from it rather than a
// character of the formula: the root marks, and control characters (a NUL ends a
// stored row, the others are no characters of a formula at all). No key puts them
// into a formula.
inline bool isGridCode(char16_t c) {
  return c < 0x20 || (c >= 0x7F && c <= 0x9F) || isRootMark(c) || c >= 0xFFFE;
}

}  // namespace pendrix

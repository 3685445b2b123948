#include "formula/eq_writer.h"

#include <algorithm>
#include <vector>

namespace pendrix {
namespace {

constexpr uint16_t kShiftFlags = CELL_SUPERSCRIPT | CELL_SUBSCRIPT;

// What a code unit of the first pass is: a character of the formula, or part of the
// field's own syntax (a switch, the brackets around its arguments, a separator).
enum class Unit : char { Text, Syntax };

// Grid to code, with the root codes still in place. Beside every code unit the
// degree of the root it opens is kept (0 for all other units), so that the root
// pass can find it after later units have been cut.
class GridPass {
 public:
  GridPass(const FormulaGrid& grid, const SettingsRecord& settings) : grid_(grid), settings_(settings) {}

  void run() {
    putText(u"EQ ");
    for (int column = 0; column < grid_.length();) column = writeMainColumn(column);
    escapeText();
  }

  std::u16string code;
  std::u16string degrees;
  bool shiftRunWritten = false;

 private:
  int writeMainColumn(int column) {
    const uint16_t flags = grid_.flags(ROW_MAIN, column);
    if (flags & CELL_FRACTION) return writeFraction(column);
    if (flags & kShiftFlags) return writeShiftRun(ROW_MAIN, column, grid_.length(), flags);
    writeCell(ROW_MAIN, column);
    return column + 1;
  }

  int writeFraction(int begin) {
    int end = begin;
    while (end < grid_.length() && grid_.isFractionColumn(end)) ++end;
    putText(u"\\f(");
    writeFractionPart(ROW_UPPER, begin, end);
    put(settings_.listSeparator);
    writeFractionPart(ROW_LOWER, begin, end);
    put(u')');
    return end;
  }

  // Blanks around a numerator or denominator stem from left alignment and fillers,
  // so they are dropped; blanks inside a raised or lowered run belong to it.
  void writeFractionPart(int row, int begin, int end) {
    int column = begin;
    while (column < end && !isShifted(row, column) && cellCharacter(row, column) == u' ') ++column;
    const size_t start = code.size();
    while (column < end) {
      if (isShifted(row, column)) {
        column = writeShiftRun(row, column, end, grid_.flags(row, column));
      } else {
        writeCell(row, column);
        ++column;
      }
    }
    while (code.size() > start && code.back() == u' ') {
      code.pop_back();
      degrees.pop_back();
      units_.pop_back();
    }
  }

  // A superscript wins over a subscript on a cell that carries both.
  int writeShiftRun(int row, int column, int end, uint16_t firstFlags) {
    const bool up = firstFlags & CELL_SUPERSCRIPT;
    const uint16_t flag = up ? CELL_SUPERSCRIPT : CELL_SUBSCRIPT;
    putText(up ? u"\\s\\up" : u"\\s\\do");
    put(up ? settings_.raiseDigit : settings_.lowerDigit);
    put(u'(');
    for (; column < end && (grid_.flags(row, column) & flag) && isShifted(row, column); ++column) writeCell(row, column);
    put(u')');
    shiftRunWritten = true;
    return column;
  }

  void writeCell(int row, int column) {
    const char16_t c = cellCharacter(row, column);
    if (isRootMark(c)) {
      put(c, isRootOpen(c) ? grid_.degree(row, column) : u'\0');
    } else {
      putCharacter(substitute(c));
    }
  }

  // Fillers and fraction columns never start a run, whatever flags they carry.
  bool isShifted(int row, int column) const {
    const uint16_t flags = grid_.flags(row, column);
    if (!(flags & kShiftFlags) || (flags & CELL_FILLER)) return false;
    return row != ROW_MAIN || !(flags & CELL_FRACTION);
  }

  // An empty cell in a used column (a short stored row) is written as a blank: a
  // zero unit would end the field code for every reader of the text.
  char16_t cellCharacter(int row, int column) const {
    const char16_t c = grid_.at(row, column);
    return c == u'\0' || grid_.isFiller(row, column) ? u' ' : c;
  }

  char16_t substitute(char16_t c) const {
    switch (c) {
      case u'*': return settings_.wordTimes;
      case u'-': return settings_.wordMinus;
      case u'.': return u',';
      default: return c;
    }
  }

  void put(char16_t c, char16_t degree = u'\0', Unit unit = Unit::Syntax) {
    code.push_back(c);
    degrees.push_back(degree);
    units_.push_back(unit);
  }
  void putCharacter(char16_t c) { put(c, u'\0', Unit::Text); }
  void putText(std::u16string_view text) {
    for (char16_t c : text) put(c);
  }

  bool opensArgument(size_t i) const { return units_[i] == Unit::Syntax && (code[i] == u'(' || isRootOpen(code[i])); }
  bool closesArgument(size_t i) const { return units_[i] == Unit::Syntax && (code[i] == u')' || isRootClose(code[i])); }

  // A character of the formula that Word's field syntax would read as syntax gets a
  // backslash: every backslash, the separator inside a switch's arguments, and a
  // parenthesis without its partner inside the same argument. Matched parentheses
  // stay as typed, so "2(x+1)" keeps its code.
  void escapeText() {
    std::vector<bool> escaped(code.size(), false);
    std::vector<size_t> open;     // the formula's own "(" still waiting for a partner
    std::vector<size_t> floors;   // per open argument: how many of those lie outside it
    const auto unmatchedUpTo = [&](size_t floor) {
      while (open.size() > floor) {
        escaped[open.back()] = true;
        open.pop_back();
      }
    };
    for (size_t i = 0; i < code.size(); ++i) {
      const char16_t c = code[i];
      if (opensArgument(i)) {
        floors.push_back(open.size());
      } else if (closesArgument(i)) {
        if (!floors.empty()) {
          unmatchedUpTo(floors.back());
          floors.pop_back();
        }
      } else if (units_[i] != Unit::Text) {
        continue;
      } else if (c == u'\\') {
        escaped[i] = true;
      } else if (c == settings_.listSeparator && !floors.empty()) {
        escaped[i] = true;
      } else if (c == u'(') {
        open.push_back(i);
      } else if (c == u')') {
        if (open.size() > (floors.empty() ? 0 : floors.back())) {
          open.pop_back();
        } else {
          escaped[i] = true;
        }
      }
    }
    unmatchedUpTo(0);
    if (std::none_of(escaped.begin(), escaped.end(), [](bool e) { return e; })) return;
    std::u16string outCode, outDegrees;
    for (size_t i = 0; i < code.size(); ++i) {
      if (escaped[i]) {
        outCode += u'\\';
        outDegrees += u'\0';
      }
      outCode += code[i];
      outDegrees += degrees[i];
    }
    code = std::move(outCode);
    degrees = std::move(outDegrees);
  }

  const FormulaGrid& grid_;
  const SettingsRecord& settings_;
  std::vector<Unit> units_;
};

std::u16string writeRoots(const std::u16string& code, const std::u16string& degrees, char16_t separator) {
  if (std::none_of(code.begin(), code.end(), isRootOpen)) return code;
  std::u16string out;
  out.reserve(code.size() * 2);
  for (size_t i = 0; i < code.size(); ++i) {
    if (isRootOpen(code[i])) {
      out += u"\\r(";
      if (degrees[i] != u'\0') out += degrees[i];
      out += separator;
    } else if (isRootClose(code[i])) {
      out += u')';
    } else {
      out += code[i];
    }
  }
  return out;
}

// Once the formula holds an inner-fraction pair, every "/" of the code is taken as
// an inner fraction bar, the one of an "x 1/2" subscript included.
std::u16string writeInnerFractions(const std::u16string& code, const SettingsRecord& settings) {
  const auto holds = [&code](char16_t c) { return code.find(c) != std::u16string::npos; };
  if (!holds(settings.bracketOpen) || !holds(settings.bracketClose) || !holds(u'/')) return code;
  std::u16string out;
  out.reserve(code.size() * 2);
  for (char16_t c : code) {
    if (c == settings.bracketOpen) {
      out += u"\\f(";
    } else if (c == u'/') {
      out += settings.listSeparator;
    } else if (c == settings.bracketClose) {
      out += u')';
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace

// The scan covers the whole code, however long, so that every small character of a
// long formula is shrunk; a position is recorded only when it lies inside the code,
// so Word output never walks past the field's end. For a code of up to 399 units
// this lists exactly what a scan of indices 0 to 398 with its look-ahead limits does.
std::vector<int> smallCharacterOffsets(const std::u16string& code, char16_t separator, bool& degreeFound) {
  std::vector<int> offsets;
  size_t last = 0;
  bool inRun = false;
  int depth = 0;
  const auto unit = [&code](size_t i) { return i < code.size() ? code[i] : u'\0'; };
  const auto record = [&](size_t index) {
    offsets.push_back(static_cast<int>(index - last) + (offsets.empty() ? 1 : 0));
    last = index;
  };
  const auto isLetter = [](char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); };
  for (size_t i = 0; i < code.size(); ++i) {
    if (unit(i) == u'\\' && i + 1 < code.size() && !isLetter(code[i + 1])) {
      // An escaped character ("\(", "\;", "\\") is text: small with its backslash
      // inside a run, and no bracket of the run.
      if (inRun && depth > 0) {
        record(i);
        record(i + 1);
      }
      ++i;
    } else if (unit(i) == u'\\' && unit(i + 1) == u'r' && i + 4 < code.size() && code[i + 4] == separator) {
      // "\r(" degree separator: a blank degree is no character to shrink.
      if (code[i + 3] != u' ') {
        degreeFound = true;
        i += 3;
        record(i);
      }
    } else if (unit(i) == u'\\' && unit(i + 1) == u's' && unit(i + 2) == u'\\' && i + 7 < code.size()) {
      // "\s\up5(" or "\s\do5(": the run's text starts after these seven units.
      i += 7;
      inRun = true;
      depth = 1;
      record(i);
    } else if (inRun && depth > 0) {
      if (code[i] == u'(') ++depth;
      if (code[i] == u')') --depth;
      record(i);
    }
  }
  return offsets;
}

EqCode generateEqCode(const FormulaGrid& grid, const SettingsRecord& settings) {
  GridPass pass(grid, settings);
  pass.run();
  EqCode result;
  result.text = writeInnerFractions(writeRoots(pass.code, pass.degrees, settings.listSeparator), settings);
  result.smallCharactersPresent = pass.shiftRunWritten;
  bool degreeFound = false;
  result.smallOffsets = smallCharacterOffsets(result.text, settings.listSeparator, degreeFound);
  result.smallCharactersPresent = result.smallCharactersPresent || degreeFound;
  return result;
}

}  // namespace pendrix

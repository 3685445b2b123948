#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "editing_helpers.h"
#include "formula/eq_writer.h"

namespace pendrix {
namespace {

using testing::Editing;

// One grid column as the editor lays it out; the grid is filled through the stored
// row setters, so these tests do not depend on the insertion rules.
struct Column {
  char16_t upper = u'i', main = u' ', lower = u' ';
  uint16_t upperFlags = CELL_USED, mainFlags = CELL_USED | CELL_TEXT, lowerFlags = CELL_USED;
  char16_t upperDegree = 0, mainDegree = 0, lowerDegree = 0;
};

Column plain(char16_t c, uint16_t extra = 0, char16_t degree = 0) {
  Column column;
  column.main = c;
  column.mainFlags |= extra;
  column.mainDegree = degree;
  return column;
}

// A zero character stands for a filler in that row.
Column fraction(char16_t numerator, char16_t denominator, uint16_t numeratorExtra = 0,
                uint16_t denominatorExtra = 0) {
  Column column;
  column.main = u' ';
  column.mainFlags = CELL_USED | CELL_FRACTION;
  const auto part = [](char16_t c, uint16_t extra, char16_t& cell, uint16_t& flags) {
    cell = c ? c : u' ';
    flags = c ? CELL_USED | CELL_TEXT | extra : CELL_USED | CELL_FILLER;
  };
  part(numerator, numeratorExtra, column.upper, column.upperFlags);
  part(denominator, denominatorExtra, column.lower, column.lowerFlags);
  return column;
}

void append(std::vector<Column>& columns, std::u16string_view text, uint16_t extra = 0) {
  for (char16_t c : text) columns.push_back(plain(c, extra));
}

// A fraction run: numerator and denominator left-aligned, the shorter padded with fillers.
void appendFraction(std::vector<Column>& columns, std::u16string_view numerator, std::u16string_view denominator) {
  for (size_t i = 0; i < std::max(numerator.size(), denominator.size()); ++i) {
    columns.push_back(fraction(i < numerator.size() ? numerator[i] : 0, i < denominator.size() ? denominator[i] : 0));
  }
}

FormulaGrid makeGrid(const std::vector<Column>& columns) {
  std::u16string text[3], flags[3], degrees[3];
  for (const Column& column : columns) {
    const char16_t cells[] = {column.upper, column.main, column.lower};
    const uint16_t cellFlags[] = {column.upperFlags, column.mainFlags, column.lowerFlags};
    const char16_t cellDegrees[] = {column.upperDegree, column.mainDegree, column.lowerDegree};
    for (int row = 0; row < 3; ++row) {
      text[row] += cells[row];
      flags[row] += static_cast<char16_t>(cellFlags[row]);
      degrees[row] += cellDegrees[row];
    }
  }
  FormulaGrid grid;
  for (int row = 0; row < 3; ++row) {
    grid.setRowText(text[row], row);
    grid.setRowFlags(flags[row], row);
    grid.setRowDegrees(degrees[row], row);
  }
  return grid;
}

// The settings of the worked results: separator ";", digits 5, "*" and "-" as typed.
SettingsRecord workedSettings() {
  Settings settings;
  settings.setMinusChoice(1);
  SettingsRecord record = settings.record();
  EXPECT_EQ(record.listSeparator, u';');
  return record;
}

EqCode generate(const std::vector<Column>& columns, const SettingsRecord& settings = workedSettings()) {
  return generateEqCode(makeGrid(columns), settings);
}

TEST(EqWriterTest, WorkedResults) {
  std::vector<Column> square{plain(u'x'), plain(u'2', CELL_SUPERSCRIPT)};
  append(square, u" + 1");
  EXPECT_EQ(generate(square).text, u"EQ x\\s\\up5(2) + 1");

  std::vector<Column> half;
  appendFraction(half, u"1", u"2");
  EXPECT_EQ(generate(half).text, u"EQ \\f(1;2)");

  std::vector<Column> inner;
  appendFraction(inner, u"[1/3]", u"2");
  EXPECT_EQ(generate(inner).text, u"EQ \\f(\\f(1;3);2)");

  EXPECT_EQ(generate({plain(u'x'), plain(u'1', CELL_SUBSCRIPT)}).text, u"EQ x\\s\\do5(1)");

  EXPECT_EQ(generate({plain(ROOT_OPEN, 0, u'7'), plain(u'3', CELL_UNDER_ROOT), plain(ROOT_CLOSE)}).text,
            u"EQ \\r(7;3)");

  const uint16_t tall = CELL_UNDER_TALL_ROOT;
  EXPECT_EQ(generate({plain(TALL_ROOT_OPEN, 0, u'2'), plain(ROOT_OPEN, tall, u'2'),
                      plain(u'9', tall | CELL_UNDER_ROOT), plain(u'9', tall | CELL_UNDER_ROOT),
                      plain(ROOT_CLOSE, tall), plain(TALL_ROOT_CLOSE)})
                .text,
            u"EQ \\r(2;\\r(2;99))");

  std::vector<Column> product;
  append(product, u"(x-100)(x+1000) = 0");
  EXPECT_EQ(generate(product).text, u"EQ (x-100)(x+1000) = 0");

  std::vector<Column> times;
  append(times, u"5 * 8x = ");
  EXPECT_EQ(generate(times).text, u"EQ 5 * 8x = ");
}

TEST(EqWriterTest, EmptyGridIsTheBareSwitch) {
  const EqCode code = generate({});
  EXPECT_EQ(code.text, u"EQ ");
  EXPECT_TRUE(code.smallOffsets.empty());
  EXPECT_FALSE(code.smallCharactersPresent);
}

TEST(EqWriterTest, BlanksAroundFractionPartsDropButMainLineBlanksStay) {
  std::vector<Column> columns;
  append(columns, u"  ");
  appendFraction(columns, u" 1 ", u"  2");
  append(columns, u"  ");
  EXPECT_EQ(generate(columns).text, u"EQ   \\f(1;2)  ");

  // A numerator of blanks only leaves nothing between "\f(" and the separator.
  std::vector<Column> blank;
  appendFraction(blank, u"  ", u"x");
  EXPECT_EQ(generate(blank).text, u"EQ \\f(;x)");
}

TEST(EqWriterTest, SignsAreSubstitutedEverywhere) {
  std::vector<Column> columns;
  append(columns, u"1.5-2*3");
  append(columns, u".5-", CELL_SUPERSCRIPT);
  append(columns, u"*a", CELL_SUBSCRIPT);
  columns.push_back(fraction(u'.', u'*'));
  columns.push_back(fraction(u'5', u'-', CELL_SUPERSCRIPT));

  EXPECT_EQ(generate(columns).text, u"EQ 1,5-2*3\\s\\up5(,5-)\\s\\do5(*a)\\f(,\\s\\up5(5);*-)");

  Settings dot;
  dot.setTimesChoice(1);
  EXPECT_EQ(generate(columns, dot.record()).text,
            u"EQ 1,5\u22122\u00B73\\s\\up5(,5\u2212)\\s\\do5(\u00B7a)\\f(,\\s\\up5(5);\u00B7\u2212)");
}

TEST(EqWriterTest, ShiftRunsFollowTheSettingsAndTheirFlags) {
  SettingsRecord settings = workedSettings();
  settings.raiseDigit = u'3';
  settings.lowerDigit = u'8';
  // A run ends where its flag changes; a cell with both flags starts a raised run.
  std::vector<Column> columns{plain(u'4', CELL_SUPERSCRIPT | CELL_SUBSCRIPT), plain(u'3', CELL_SUBSCRIPT),
                              plain(u'a'), plain(u'1', CELL_SUPERSCRIPT), plain(u'2', CELL_SUPERSCRIPT)};
  const EqCode code = generate(columns, settings);
  EXPECT_EQ(code.text, u"EQ \\s\\up3(4)\\s\\do8(3)a\\s\\up3(12)");
  EXPECT_TRUE(code.smallCharactersPresent);

  // A raised run stops at a fraction column even when that column's main cell is marked raised.
  Column marked = fraction(u'1', u'2');
  marked.mainFlags |= CELL_SUPERSCRIPT;
  EXPECT_EQ(generate({plain(u'x', CELL_SUPERSCRIPT), marked}).text, u"EQ \\s\\up5(x)\\f(1;2)");
}

TEST(EqWriterTest, SquareRootHasNoDegreeAndNothingSmall) {
  const EqCode code = generate({plain(ROOT_OPEN), plain(u'x', CELL_UNDER_ROOT), plain(ROOT_CLOSE)});
  EXPECT_EQ(code.text, u"EQ \\r(;x)");
  EXPECT_TRUE(code.smallOffsets.empty());
  EXPECT_FALSE(code.smallCharactersPresent);

  // A stored blank degree is written but not shrunk.
  const EqCode blank = generate({plain(ROOT_OPEN, 0, u' '), plain(u'x', CELL_UNDER_ROOT), plain(ROOT_CLOSE)});
  EXPECT_EQ(blank.text, u"EQ \\r( ;x)");
  EXPECT_TRUE(blank.smallOffsets.empty());
  EXPECT_FALSE(blank.smallCharactersPresent);
}

TEST(EqWriterTest, RootDegreesComeFromTheirOwnRow) {
  Column open = fraction(ROOT_OPEN, TALL_ROOT_OPEN);
  open.upperDegree = u'4';
  open.lowerDegree = u'5';
  open.mainDegree = u'9';  // a main-line degree of a fraction column belongs to no root
  std::vector<Column> columns{open, fraction(u'a', u'b'), fraction(ROOT_CLOSE, TALL_ROOT_CLOSE)};
  EXPECT_EQ(generate(columns).text, u"EQ \\f(\\r(4;a);\\r(5;b))");
}

TEST(EqWriterTest, InnerFractionBracketsTurnEverySlashIntoTheSeparator) {
  std::vector<Column> x12{plain(u'x')};
  append(x12, u"1/2", CELL_SUBSCRIPT);
  EXPECT_EQ(generate(x12).text, u"EQ x\\s\\do5(1/2)");

  std::vector<Column> withInner = x12;
  append(withInner, u" ");
  appendFraction(withInner, u"[1/3]", u"4");
  EXPECT_EQ(generate(withInner).text, u"EQ x\\s\\do5(1;2) \\f(\\f(1;3);4)");

  // Brackets without a slash are ordinary characters.
  std::vector<Column> noSlash;
  append(noSlash, u"[a]");
  EXPECT_EQ(generate(noSlash).text, u"EQ [a]");

  Settings braces;
  braces.setBracketChoice(1);
  SettingsRecord settings = braces.record();
  settings.listSeparator = u',';
  std::vector<Column> braced;
  appendFraction(braced, u"{1/3}", u"[2/5]");
  EXPECT_EQ(generate(braced, settings).text, u"EQ \\f(\\f(1,3),[2,5])");
}

// Expected offsets follow the scan rule: the first entry is the index of the first
// small character plus one, every other entry the distance from the previous one.
TEST(EqWriterTest, OffsetsOfASuperscript) {
  std::vector<Column> columns{plain(u'x'), plain(u'2', CELL_SUPERSCRIPT)};
  append(columns, u" + 1");
  const EqCode code = generate(columns);
  // "EQ x\s\up5(2) + 1": "\s\" at 4, so the "2" at 4 + 7 = 11 gives 12; its ")" at 12 gives 1.
  EXPECT_EQ(code.smallOffsets, (std::vector<int>{12, 1}));
  EXPECT_TRUE(code.smallCharactersPresent);
}

TEST(EqWriterTest, OffsetsOfRootDegreesAndSubscripts) {
  // "EQ \r(7;3)": "\r" at 3 with ";" at 7, so the degree at 6 gives 7.
  const EqCode seventh = generate({plain(ROOT_OPEN, 0, u'7'), plain(u'3', CELL_UNDER_ROOT), plain(ROOT_CLOSE)});
  EXPECT_EQ(seventh.smallOffsets, (std::vector<int>{7}));
  EXPECT_TRUE(seventh.smallCharactersPresent);

  // "EQ \r(2;\r(2;99))": degrees at 6 and 11, so 7 and 5.
  const uint16_t tall = CELL_UNDER_TALL_ROOT;
  const EqCode nested =
      generate({plain(TALL_ROOT_OPEN, 0, u'2'), plain(ROOT_OPEN, tall, u'2'), plain(u'9', tall | CELL_UNDER_ROOT),
                plain(ROOT_CLOSE, tall), plain(TALL_ROOT_CLOSE)});
  EXPECT_EQ(nested.text, u"EQ \\r(2;\\r(2;9))");
  EXPECT_EQ(nested.smallOffsets, (std::vector<int>{7, 5}));

  // "EQ \r(3;x\s\do5(1))": degree at 6 gives 7; "\s\" at 9 puts the "1" at 16 (10 on),
  // its ")" at 17 (1 on); the root's ")" at 18 is outside the run.
  const EqCode mixed = generate({plain(ROOT_OPEN, 0, u'3'), plain(u'x', CELL_UNDER_ROOT),
                                 plain(u'1', CELL_UNDER_ROOT | CELL_SUBSCRIPT), plain(ROOT_CLOSE)});
  EXPECT_EQ(mixed.text, u"EQ \\r(3;x\\s\\do5(1))");
  EXPECT_EQ(mixed.smallOffsets, (std::vector<int>{7, 10, 1}));

  // "EQ a\s\up5(2(3))b": in the run "(" deepens and ")" lifts, each recorded:
  // "2" at 11 gives 12, then "(" 12, "3" 13, ")" 14, ")" 15 one step each; "b" is not small.
  std::vector<Column> paren{plain(u'a')};
  append(paren, u"2(3)", CELL_SUPERSCRIPT);
  append(paren, u"b");
  const EqCode deep = generate(paren);
  EXPECT_EQ(deep.text, u"EQ a\\s\\up5(2(3))b");
  EXPECT_EQ(deep.smallOffsets, (std::vector<int>{12, 1, 1, 1, 1}));
}

TEST(EqWriterTest, OffsetsFollowTheSeparator) {
  SettingsRecord settings = workedSettings();
  settings.listSeparator = u',';
  const EqCode code = generate({plain(ROOT_OPEN, 0, u'3'), plain(u'8', CELL_UNDER_ROOT), plain(ROOT_CLOSE)}, settings);
  EXPECT_EQ(code.text, u"EQ \\r(3,8)");
  EXPECT_EQ(code.smallOffsets, (std::vector<int>{7}));
  // Scanned with another separator the degree is not recognised.
  bool degreeFound = false;
  EXPECT_TRUE(smallCharacterOffsets(code.text, u';', degreeFound).empty());
  EXPECT_FALSE(degreeFound);
}

TEST(EqWriterTest, OffsetsNeverLeadPastTheCode) {
  bool degreeFound = false;
  // A switch cut short at the end of a code has no character to shrink.
  EXPECT_TRUE(smallCharacterOffsets(u"EQ x\\s\\up5(", u';', degreeFound).empty());
  EXPECT_TRUE(smallCharacterOffsets(u"EQ \\r(3", u';', degreeFound).empty());
  // An unbalanced "(" in a run keeps the run open to the end of the code, and no further.
  const std::u16string open = u"EQ \\s\\up5(2() + 1";
  const std::vector<int> offsets = smallCharacterOffsets(open, u';', degreeFound);
  int position = -1;
  for (int step : offsets) position += step;
  EXPECT_EQ(position, static_cast<int>(open.size()) - 1);
}

// 27 one-column fractions of raised characters alternating with plain columns: 23
// units per fraction, 651 in all, well past the 400 units of a small buffer.
TEST(EqWriterTest, WorstCaseGridGeneratesCompletely) {
  std::vector<Column> columns;
  for (int i = 0; i < FormulaGrid::kMaxColumns / 2; ++i) {
    columns.push_back(fraction(u'2', u'3', CELL_SUPERSCRIPT, CELL_SUPERSCRIPT));
    columns.push_back(plain(u'+'));
  }
  const FormulaGrid grid = makeGrid(columns);
  ASSERT_EQ(grid.length(), FormulaGrid::kMaxColumns);
  const EqCode code = generateEqCode(grid, workedSettings());

  std::u16string expected = u"EQ ";
  for (int i = 0; i < FormulaGrid::kMaxColumns / 2; ++i) expected += u"\\f(\\s\\up5(2);\\s\\up5(3))+";
  EXPECT_EQ(code.text, expected);
  EXPECT_EQ(code.text.size(), 651u);

  // Every raised digit and the ")" closing its run are reached, the last ones far beyond index 398.
  const std::vector<size_t> positions = pendrix::testing::offsetPositions(code);
  ASSERT_EQ(positions.size(), 4u * 27u);
  for (size_t i = 0; i < positions.size(); i += 2) {
    EXPECT_EQ(code.text[positions[i]], i % 4 == 0 ? u'2' : u'3') << i;
    EXPECT_EQ(code.text[positions[i + 1]], u')') << i;
  }
  EXPECT_GT(positions.back(), 398u);
}

TEST(EqWriterTest, ShortCodesScanAsWithinTheSmallBuffer) {
  // The pattern cut to fit below 399 units lists every small character, with the
  // same entries as the start of the long code.
  std::vector<Column> shortColumns, longColumns;
  for (int i = 0; i < FormulaGrid::kMaxColumns / 2; ++i) {
    auto& columns = i < 16 ? shortColumns : longColumns;
    columns.push_back(fraction(u'2', u'3', CELL_SUPERSCRIPT, CELL_SUPERSCRIPT));
    columns.push_back(plain(u'+'));
  }
  longColumns.insert(longColumns.begin(), shortColumns.begin(), shortColumns.end());
  const EqCode shortCode = generate(shortColumns);
  const EqCode longCode = generate(longColumns);
  ASSERT_LT(shortCode.text.size(), 399u);
  ASSERT_EQ(shortCode.smallOffsets.size(), 4u * 16u);
  EXPECT_EQ(shortCode.smallOffsets.front(), 14);  // "EQ \f(\s\" puts the first "2" at 13
  EXPECT_TRUE(std::equal(shortCode.smallOffsets.begin(), shortCode.smallOffsets.end(), longCode.smallOffsets.begin()));
}

// Typed characters that Word's field syntax reads as syntax are escaped where it would
// read them so; matched brackets, and separators outside every switch, stay as typed.
TEST(EqWriterTest, SyntaxCharactersOfTheFormulaAreEscaped) {
  const auto typed = [](std::u16string_view keys, char16_t separator = u';') {
    Editing e;
    SettingsRecord record = e.settings.record();
    record.listSeparator = separator;
    for (const char16_t c : keys) {
      if (c == u'W') e.press(kButtonRoot);
      else if (c == u'U') e.key(EditorKey::Up);
      else if (c == u'D') e.key(EditorKey::Down);
      else e.type(std::u16string(1, c));
    }
    return generateEqCode(e.grid, record);
  };
  EXPECT_EQ(typed(u"2(x+1);a,b").text, u"EQ 2(x+1);a,b");
  EXPECT_EQ(typed(u"W(x").text, u"EQ \\r(;\\(x)");
  EXPECT_EQ(typed(u"W)x").text, u"EQ \\r(;\\)x)");
  EXPECT_EQ(typed(u"W(x)").text, u"EQ \\r(;(x))");
  EXPECT_EQ(typed(u"a\\f(1").text, u"EQ a\\\\f\\(1");
  EXPECT_EQ(typed(u"Ua;bDD2").text, u"EQ \\f(a\\;b;2)");
  EXPECT_EQ(typed(u"Ua.bDD2", u',').text, u"EQ \\f(a\\,b,2)");
  EXPECT_EQ(typed(u"Ua;bDD2", u',').text, u"EQ \\f(a;b,2)");
  EXPECT_EQ(typed(u"x^(").text, u"EQ x\\s\\up5(\\()");
  // A bracket opened in a numerator and closed on the main line is no pair.
  EXPECT_EQ(typed(u"U(1DD2U").text.substr(0, 8), u"EQ \\f(\\(");
}

// An escaped character in a raised run is small with its backslash and leaves the
// run's brackets as they are.
TEST(EqWriterTest, OffsetsOfEscapedCharacters) {
  Editing e;
  e.type(u"x^(^2");
  const EqCode code = generateEqCode(e.grid, workedSettings());
  ASSERT_EQ(code.text, u"EQ x\\s\\up5(\\(2)");
  std::u16string small;
  for (const size_t position : pendrix::testing::offsetPositions(code)) small += code.text[position];
  EXPECT_EQ(small, u"\\(2)");
}

TEST(EqWriterTest, EmptyCellsOfUsedColumnsBecomeBlanks) {
  FormulaGrid grid;
  grid.setRowText(u"a", ROW_MAIN);
  grid.setRowText(u"abc", ROW_UPPER);  // the length now counts three columns
  grid.setRowFlags(u"\x22\x22\x22", ROW_MAIN);
  const EqCode code = generateEqCode(grid, workedSettings());
  EXPECT_EQ(code.text, u"EQ a  ");
  EXPECT_EQ(code.text.find(u'\0'), std::u16string::npos);
}

}  // namespace
}  // namespace pendrix

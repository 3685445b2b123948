// The preview layout against a metrics model whose widths differ by font and
// character, so that a cell measured in the wrong font or row shows.
#include <gtest/gtest.h>

#include <map>

#include "formula/formula_grid.h"
#include "preview/preview_layout.h"

namespace pendrix {
namespace {

class TableMetrics : public PreviewMetrics {
 public:
  int height() const override { return 20; }
  int descent() const override { return 4; }
  int advance(char16_t c, PreviewFont font) const override {
    static const std::map<char16_t, int> formula{{u'x', 10}, {u'1', 8}, {u'2', 9}, {u'3', 7}, {u'a', 11}, {u' ', 5}};
    if (font == PreviewFont::Small) return c == u' ' ? 3 : 6;
    auto it = formula.find(c);
    return it == formula.end() ? 12 : it->second;
  }
  SignSize signSize(PreviewSign sign) const override {
    return sign == PreviewSign::Dot ? SignSize{15, 13} : SignSize{16, 16};
  }
};

// Preview window at screen (110, 240), 300 x 50; dialog at (100, 200): x0 = 15,
// t = 40, bar line m = 65; rows at 45, 55 and 69 with H = 20.
constexpr PreviewArea kArea{{110, 240, 410, 290}, {100, 200, 500, 400}};
constexpr int kX0 = 15;
constexpr int kBar = 65;

// Grid builder from row strings: main row characters with '|' marking fraction
// columns whose upper and lower characters come from the other strings ('.' = filler);
// mainFlags adds flags per main cell.
struct Rows {
  std::u16string upper, main, lower, mainFlags;
};

FormulaGrid makeGrid(std::u16string upper, std::u16string main, std::u16string lower = u"",
                     std::u16string mainFlags = u"") {
  const Rows rows{upper, main, lower, mainFlags};
  FormulaGrid grid;
  std::u16string up, mid, low, fu, fm, fl;
  for (size_t i = 0; i < rows.main.size(); ++i) {
    const bool fraction = rows.main[i] == u'|';
    const char16_t extra = i < rows.mainFlags.size() ? rows.mainFlags[i] : 0;
    mid += fraction ? u' ' : rows.main[i];
    fm += static_cast<char16_t>((fraction ? 0x28 : 0x22) | extra);
    for (auto [source, chars, flags] : {std::tuple{&rows.upper, &up, &fu}, std::tuple{&rows.lower, &low, &fl}}) {
      const char16_t c = i < source->size() ? (*source)[i] : u' ';
      const bool filler = !fraction || c == u'.';
      *chars += fraction && !filler ? c : (source == &rows.upper && !fraction ? u'i' : u' ');
      *flags += static_cast<char16_t>(fraction ? (filler ? 0x30 : 0x22) | (extra & 0x04) : 0x20);
    }
  }
  grid.setRowText(up, ROW_UPPER);
  grid.setRowText(low, ROW_LOWER);
  grid.setRowText(mid, ROW_MAIN);
  grid.setRowFlags(fu, ROW_UPPER);
  grid.setRowFlags(fm, ROW_MAIN);
  grid.setRowFlags(fl, ROW_LOWER);
  return grid;
}

const CellBox* cell(const DisplayList& list, int column, int row) {
  for (const CellBox& box : list.cells)
    if (box.column == column && box.row == row) return &box;
  return nullptr;
}

std::vector<TextItem> texts(const DisplayList& list, bool blanks = false) {
  std::vector<TextItem> out;
  for (const DisplayItem& item : list.items)
    if (auto* t = std::get_if<TextItem>(&item); t && (blanks || t->character != u' ')) out.push_back(*t);
  return out;
}

std::vector<PolylineItem> polylines(const DisplayList& list) {
  std::vector<PolylineItem> out;
  for (const DisplayItem& item : list.items)
    if (auto* p = std::get_if<PolylineItem>(&item)) out.push_back(*p);
  return out;
}

bool hasLine(const DisplayList& list, std::vector<PreviewPoint> points) {
  for (const PolylineItem& p : polylines(list))
    if (p.points == points) return true;
  return false;
}

class Layout : public ::testing::Test {
 protected:
  DisplayList draw(FormulaGrid& grid) { return layout.redraw(grid, kArea, metrics); }
  TableMetrics metrics;
  PreviewLayout layout;
};

TEST_F(Layout, RowsAndBarFollowTheWindowRectangles) {
  FormulaGrid grid;
  const DisplayList list = draw(grid);
  EXPECT_EQ(layout.barLine(), kBar);
  EXPECT_EQ(layout.rowTop(ROW_UPPER), kBar - 20);
  EXPECT_EQ(layout.rowTop(ROW_MAIN), kBar - 10);
  EXPECT_EQ(layout.rowTop(ROW_LOWER), kBar + 4);
  EXPECT_TRUE(list.cells.empty());
  // An empty formula puts the caret at x0 in the current row.
  EXPECT_EQ(list.caret.x, kX0);
  EXPECT_EQ(list.caret.top, kBar - 10 + 2);
  EXPECT_EQ(list.caret.bottom, kBar - 10 + 18);
}

TEST_F(Layout, StartsWithTheMetricsOfANewGridAndRefreshesThem) {
  EXPECT_EQ(layout.textHeight(), 14);
  EXPECT_EQ(layout.descent(), 3);
  FormulaGrid grid;
  draw(grid);
  EXPECT_EQ(layout.textHeight(), 20);
  EXPECT_EQ(layout.descent(), 4);
}

TEST_F(Layout, EraseDrawsFourRowsOfBlanksAcrossThePreview) {
  FormulaGrid grid;
  const std::vector<TextItem> blanks = texts(draw(grid), true);
  // i runs while 15 + (i - 2) * 5 < 300: i = 0 .. 58.
  ASSERT_EQ(blanks.size(), 59u * 4);
  EXPECT_EQ(blanks[0].at, (PreviewPoint{kX0, kBar - 24}));
  EXPECT_EQ(blanks[1].at, (PreviewPoint{kX0, kBar - 20}));
  EXPECT_EQ(blanks[2].at, (PreviewPoint{kX0, kBar - 10}));
  EXPECT_EQ(blanks[3].at, (PreviewPoint{kX0, kBar + 4}));
  EXPECT_EQ(blanks.back().at.x, kX0 + 58 * 5);
}

TEST_F(Layout, CellWidthsByKind) {
  FormulaGrid grid = makeGrid(u"", u"x*+-a2", u"", {0, 0, 0, 0, 0, CELL_SUPERSCRIPT});
  const DisplayList list = draw(grid);
  const int expected[] = {10, 15, 16, 16, 11, 6};
  int x = kX0;
  for (int column = 0; column < 6; ++column) {
    const CellBox* box = cell(list, column, ROW_MAIN);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->x, x) << column;
    EXPECT_EQ(box->width, expected[column]) << column;
    x += expected[column];
  }
  // Upper and lower cells of ordinary columns are not laid out.
  EXPECT_EQ(cell(list, 0, ROW_UPPER), nullptr);
  EXPECT_EQ(cell(list, 0, ROW_LOWER), nullptr);
}

TEST_F(Layout, RootCodeWidthsWithAndWithoutDegree) {
  FormulaGrid grid = makeGrid(u"", std::u16string{ROOT_OPEN, u'x', ROOT_CLOSE, ROOT_OPEN, ROOT_CLOSE, TALL_ROOT_OPEN,
                                                   TALL_ROOT_CLOSE, TALL_ROOT_OPEN, TALL_ROOT_CLOSE});
  grid.setRowDegrees(std::u16string{0, 0, 0, u'3', 0, 0, 0, u'3'}, ROW_MAIN);
  const DisplayList list = draw(grid);
  const int expected[] = {11, 10, 3, 16, 3, 14, 5, 17, 5};
  for (int column = 0; column < 9; ++column) EXPECT_EQ(cell(list, column, ROW_MAIN)->width, expected[column]);
}

TEST_F(Layout, SignsAreBitmapsCentredOnTheirRowAndSuperscriptSignsText) {
  FormulaGrid grid = makeGrid(u"", u"**-", u"", {0, CELL_SUPERSCRIPT});
  const DisplayList list = draw(grid);
  std::vector<SignItem> signs;
  for (const DisplayItem& item : list.items)
    if (auto* s = std::get_if<SignItem>(&item)) signs.push_back(*s);
  ASSERT_EQ(signs.size(), 2u);
  EXPECT_EQ(signs[0].sign, PreviewSign::Dot);
  EXPECT_EQ(signs[0].at, (PreviewPoint{kX0, kBar - 10 + (20 - 13) / 2}));
  EXPECT_EQ(signs[1].sign, PreviewSign::Minus);
  EXPECT_EQ(signs[1].at, (PreviewPoint{kX0 + 15 + 6, kBar - 10 + 2}));
  const std::vector<TextItem> text = texts(list);
  ASSERT_EQ(text.size(), 1u);
  EXPECT_EQ(text[0].character, u'*');
  EXPECT_EQ(text[0].font, PreviewFont::Small);
  EXPECT_EQ(text[0].at, (PreviewPoint{kX0 + 15, kBar - 10 - 4}));
}

TEST_F(Layout, SuperscriptRaisedAndSubscriptLowered) {
  FormulaGrid grid = makeGrid(u"", u"x2a", u"", {0, CELL_SUPERSCRIPT, CELL_SUBSCRIPT});
  const std::vector<TextItem> text = texts(draw(grid));
  ASSERT_EQ(text.size(), 3u);
  EXPECT_EQ(text[0].at, (PreviewPoint{kX0, kBar - 10}));
  EXPECT_EQ(text[0].font, PreviewFont::Formula);
  EXPECT_EQ(text[1].at, (PreviewPoint{kX0 + 10, kBar - 10 - 4}));  // trunc(0.2 * 20)
  EXPECT_EQ(text[1].font, PreviewFont::Small);
  EXPECT_EQ(text[2].at, (PreviewPoint{kX0 + 16, kBar - 10 + 8}));  // trunc(0.4 * 20)
}

TEST_F(Layout, WiderNumeratorCentresTheDenominator) {
  // x, then a fraction 123 over 2 (fillers after it), then a.
  FormulaGrid grid = makeGrid(u" 123", u"x|||a", u" 2..");
  const DisplayList list = draw(grid);
  const int start = kX0 + 10 + 1;  // one pixel before the fraction
  const int wn = 8 + 9 + 7, wd = 9 + 1 + 1;
  EXPECT_EQ(cell(list, 1, ROW_UPPER)->x, start);
  EXPECT_EQ(cell(list, 2, ROW_UPPER)->x, start + 8);
  EXPECT_EQ(cell(list, 1, ROW_LOWER)->x, start + (wn - wd) / 2);
  EXPECT_EQ(cell(list, 3, ROW_LOWER)->x, start + (wn - wd) / 2 + 10);
  EXPECT_EQ(cell(list, 4, ROW_MAIN)->x, start + wn);
  EXPECT_EQ(cell(list, 1, ROW_MAIN), nullptr);  // main cells of fractions take no room
  // The bar pieces span the wider row plus one pixel on each side.
  EXPECT_TRUE(hasLine(list, {{start - 1, kBar}, {start + 8 + 1, kBar}}));
  EXPECT_TRUE(hasLine(list, {{start + 8 + 9 - 1, kBar}, {start + wn + 1, kBar}}));
}

TEST_F(Layout, WiderDenominatorCentresTheNumerator) {
  FormulaGrid grid = makeGrid(u"3.", u"||", u"aa");
  const DisplayList list = draw(grid);
  EXPECT_EQ(cell(list, 0, ROW_LOWER)->x, kX0 + 1);
  EXPECT_EQ(cell(list, 0, ROW_UPPER)->x, kX0 + 1 + (22 - 8) / 2);
}

TEST_F(Layout, AdjacentFractionsAreOneRun) {
  // Typed as 1/aa then 2/3 with no ordinary column between: one fraction 12 over aa3.
  FormulaGrid grid = makeGrid(u"1.2", u"|||", u"aa3");
  const DisplayList list = draw(grid);
  const int wn = 8 + 1 + 9, wd = 11 + 11 + 7;
  EXPECT_EQ(cell(list, 0, ROW_LOWER)->x, kX0 + 1);
  EXPECT_EQ(cell(list, 2, ROW_LOWER)->x, kX0 + 1 + 22);
  EXPECT_EQ(cell(list, 0, ROW_UPPER)->x, kX0 + 1 + (wd - wn) / 2);
  EXPECT_EQ(cell(list, 2, ROW_UPPER)->x, kX0 + 1 + (wd - wn) / 2 + 9);
  // Behind the run the caret in the main row stands after the whole fraction.
  grid.setCursor(ROW_MAIN, 3);
  EXPECT_EQ(draw(grid).caret.x, kX0 + 1 + wd);
}

TEST_F(Layout, PlainRootSignsAndBars) {
  FormulaGrid grid = makeGrid(u"", std::u16string{ROOT_OPEN, u'x', ROOT_CLOSE}, u"", {0, CELL_UNDER_ROOT});
  const DisplayList list = draw(grid);
  const int y = kBar - 10, x = kX0;
  EXPECT_TRUE(hasLine(list, {{x, y + 6}, {x + 3, y + 6}, {x + 6, y + 20}, {x + 10, y - 2}}));
  EXPECT_TRUE(hasLine(list, {{x + 11 - 1, y - 2}, {x + 11 + 10, y - 2}}));
  EXPECT_TRUE(hasLine(list, {{x + 21, y - 2}, {x + 23, y - 2}}));
  EXPECT_TRUE(hasLine(list, {{x + 23, y - 2}, {x + 23, y + 1}}));
}

TEST_F(Layout, CubeRootShowsItsDegreeInTheSmallFont) {
  FormulaGrid grid = makeGrid(u"", std::u16string{ROOT_OPEN, u'x', ROOT_CLOSE}, u"", {0, CELL_UNDER_ROOT});
  grid.setRowDegrees(u"3", ROW_MAIN);
  const DisplayList list = draw(grid);
  const int y = kBar - 10, x = kX0;
  EXPECT_TRUE(hasLine(list, {{x, y + 10}, {x + 8, y + 10}, {x + 11, y + 20}, {x + 15, y - 2}}));
  const std::vector<TextItem> text = texts(list);
  ASSERT_EQ(text.size(), 2u);
  EXPECT_EQ(text[0].character, u'3');
  EXPECT_EQ(text[0].font, PreviewFont::Small);
  EXPECT_EQ(text[0].at, (PreviewPoint{x + 4, y - 6}));
  EXPECT_EQ(cell(list, 1, ROW_MAIN)->x, x + 16);
}

TEST_F(Layout, TallRootReachesFromAboveTheNumeratorToBelowTheBar) {
  // Tall root around 1 over 2, with degree 3.
  const uint16_t t = CELL_UNDER_TALL_ROOT;
  FormulaGrid grid = makeGrid(u" 1", std::u16string{TALL_ROOT_OPEN, u'|', TALL_ROOT_CLOSE}, u" 2", {0, t, 0});
  const DisplayList plain = draw(grid);
  const int u = kBar - 20, x = kX0;
  EXPECT_TRUE(hasLine(plain, {{x, u + 12}, {x + 4, u + 12}, {x + 9, u + 40}, {x + 13, u - 4}}));
  const int fx = x + 14 + 1;
  EXPECT_TRUE(hasLine(plain, {{fx - 1, u - 4}, {fx + 8 + 1, u - 4}}));  // bar over the numerator
  EXPECT_TRUE(hasLine(plain, {{fx + 9, u - 4}, {fx + 13, u - 4}}));     // closing hook after the wider row
  EXPECT_TRUE(hasLine(plain, {{fx + 13, u - 4}, {fx + 13, u - 1}}));

  grid.setRowDegrees(u"3", ROW_MAIN);
  const DisplayList degree = draw(grid);
  EXPECT_TRUE(hasLine(degree, {{x, u + 18}, {x + 7, u + 18}, {x + 12, u + 40}, {x + 16, u - 4}}));
  const std::vector<TextItem> text = texts(degree);
  ASSERT_FALSE(text.empty());
  EXPECT_EQ(text[0].at, (PreviewPoint{x + 4, kBar - 10 - 8}));
  EXPECT_EQ(cell(degree, 1, ROW_UPPER)->x, x + 17 + 1);
}

TEST_F(Layout, CaretAtEveryColumnOfAFormulaWithFractionsAndRoots) {
  // x, root(a), fraction 1 over 23, 2
  FormulaGrid grid = makeGrid(u"    1.", std::u16string{u'x', ROOT_OPEN, u'a', ROOT_CLOSE, u'|', u'|', u'2'}, u"    23",
                               {0, 0, CELL_UNDER_ROOT});
  const int f = kX0 + 10 + 11 + 11 + 3 + 1;  // left edge of the fraction
  const int wn = 8 + 1, wd = 9 + 7;
  const int mainX[] = {kX0, kX0 + 10, kX0 + 21, kX0 + 32, f, f + 9, f + wd, f + wd + 9};
  const int upperX[] = {kX0, kX0 + 10, kX0 + 21, kX0 + 32, f + (wd - wn) / 2, f + (wd - wn) / 2 + 8, f + wd,
                        f + wd + 9};
  const int lowerX[] = {kX0, kX0 + 10, kX0 + 21, kX0 + 32, f, f + 9, f + wd, f + wd + 9};
  for (int column = 0; column <= 7; ++column) {
    for (auto [row, xs] : {std::pair{ROW_MAIN, mainX}, std::pair{ROW_UPPER, upperX}, std::pair{ROW_LOWER, lowerX}}) {
      grid.setCursor(row, column);
      const DisplayList list = draw(grid);
      EXPECT_EQ(list.caret.x, xs[column]) << "row " << row << " column " << column;
      EXPECT_EQ(list.caret.top, layout.rowTop(row) + 2);
      EXPECT_TRUE(hasLine(list, {{xs[column], list.caret.top}, {xs[column], list.caret.bottom}}));
    }
  }
}

TEST_F(Layout, CaretAtTheEndOfAFormulaThatEndsInAFraction) {
  FormulaGrid grid = makeGrid(u"x1a", u"x||", u"x2.");
  const int f = kX0 + 10 + 1;
  grid.setCursor(ROW_MAIN, 3);
  EXPECT_EQ(draw(grid).caret.x, f + 19);
  grid.setCursor(ROW_UPPER, 3);
  EXPECT_EQ(draw(grid).caret.x, f + 19);
  grid.setCursor(ROW_LOWER, 3);
  EXPECT_EQ(draw(grid).caret.x, f + (19 - 10) / 2 + 10);
}

TEST_F(Layout, WideContentIsNotClipped) {
  FormulaGrid grid = makeGrid(u"", std::u16string(54, u'a'));
  const DisplayList list = draw(grid);
  EXPECT_EQ(cell(list, 53, ROW_MAIN)->x, kX0 + 53 * 11);
  EXPECT_GT(cell(list, 53, ROW_MAIN)->x, 300);
}

TEST_F(Layout, FrameIsTheLastThingDrawnInTheFramePen) {
  FormulaGrid grid = makeGrid(u"", u"x");
  const std::vector<PolylineItem> lines = polylines(draw(grid));
  ASSERT_GE(lines.size(), 5u);
  const int l = 10, r = 310, t = 40, b = 90;
  const std::vector<std::vector<PreviewPoint>> edges = {
      {{l, t}, {r, t}}, {{l, t}, {l, b}}, {{r, t}, {r, b}}, {{l, b}, {r, b}}};
  for (size_t i = 0; i < 4; ++i) {
    const PolylineItem& edge = lines[lines.size() - 4 + i];
    EXPECT_EQ(edge.pen, PreviewPen::Frame);
    EXPECT_EQ(edge.points, edges[i]);
  }
  EXPECT_EQ(lines[lines.size() - 5].pen, PreviewPen::Default);  // the caret before it
}

}  // namespace
}  // namespace pendrix

// The real GDI renderer under Wine: a formula with a fraction, a cube root, a tall
// root, an exponent and the three signs painted into an off-screen bitmap, checked at
// the pixels the layout computed and kept as preview_render.bmp beside the test.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <stdexcept>
#include <string>

#include "formula/formula_grid.h"
#include "preview/preview_gdi.h"
#include "preview/preview_layout.h"

namespace pendrix {
namespace {

constexpr int kWidth = 480;
constexpr int kHeight = 140;
constexpr COLORREF kBackground = RGB(240, 240, 240);
constexpr PreviewArea kArea{{12, 40, 450, 112}, {0, 0, kWidth, kHeight}};

// The sign bitmaps in the source tree, through Wine's Z: drive.
std::u16string bitmapFolder() {
  std::string data = PENDRIX_TEST_DATA;  // <source>/tests/data
  data = data.substr(0, data.rfind("/tests")) + "/assistant/resources/bitmaps";
  std::u16string path = u"Z:" + std::u16string(data.begin(), data.end());
  for (char16_t& c : path)
    if (c == u'/') c = u'\\';
  return path;
}

std::u16string besideTheTest(const std::u16string& name) {
  wchar_t module[MAX_PATH]{};
  GetModuleFileNameW(nullptr, module, MAX_PATH);
  std::u16string path = fromWide(module);
  return path.substr(0, path.find_last_of(u"\\/") + 1) + name;
}

// x^2 + root3(a) * tallroot(1/2) - b, with the cursor behind the last column.
FormulaGrid testFormula() {
  constexpr char16_t kFractionCell = CELL_USED | CELL_TEXT | CELL_UNDER_TALL_ROOT;
  std::u16string outerFlags(12, CELL_USED);
  outerFlags[8] = kFractionCell;
  FormulaGrid grid;
  grid.setRowText(u"iiiiiiii1iii", ROW_UPPER);
  grid.setRowText(u"        2   ", ROW_LOWER);
  grid.setRowText(std::u16string{u'x', u'2', u'+', ROOT_OPEN, u'a', ROOT_CLOSE, u'*', TALL_ROOT_OPEN, u' ',
                                 TALL_ROOT_CLOSE, u'-', u'b'},
                  ROW_MAIN);
  grid.setRowFlags(outerFlags, ROW_UPPER);
  grid.setRowFlags(outerFlags, ROW_LOWER);
  grid.setRowFlags(std::u16string{0x22, 0x62, 0x22, 0x22, 0x23, 0x22, 0x22, 0x22, 0x2C, 0x22, 0x22, 0x22}, ROW_MAIN);
  grid.setRowDegrees(u"   3", ROW_MAIN);
  grid.setCursor(ROW_MAIN, grid.length());
  return grid;
}

class Canvas {
 public:
  Canvas() : dc_(CreateCompatibleDC(nullptr)) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), kWidth, -kHeight, 1, 32, BI_RGB};
    bitmap_.reset(CreateDIBSection(dc_.get(), &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0));
    previous_ = SelectObject(dc_.get(), bitmap_.get());
    for (int i = 0; i < kWidth * kHeight; ++i) bits_[i] = 0xF0F0F0;
  }
  ~Canvas() { SelectObject(dc_.get(), previous_); }
  HDC dc() const { return dc_.get(); }
  // A canvas that is anything but clean: stripes of black and of another grey.
  void scribble() {
    for (int i = 0; i < kWidth * kHeight; ++i) bits_[i] = (i / 7) % 2 ? 0x000000 : 0x404040;
  }
  bool samePixels(const Canvas& other) const {
    GdiFlush();
    return std::equal(bits_, bits_ + kWidth * kHeight, other.bits_);
  }
  COLORREF pixel(int x, int y) const {
    GdiFlush();
    const uint32_t v = bits_[y * kWidth + x];
    return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
  }
  bool dark(int x, int y) const { return GetRValue(pixel(x, y)) < 100; }
  bool anyDark(int x0, int y0, int x1, int y1) const {
    for (int y = y0; y <= y1; ++y)
      for (int x = x0; x <= x1; ++x)
        if (dark(x, y)) return true;
    return false;
  }
  void save(const std::u16string& path) const {
    GdiFlush();
    const uint32_t pixelBytes = kWidth * kHeight * 4;
    BITMAPFILEHEADER file{0x4D42, static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + pixelBytes),
                          0, 0, sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)};
    BITMAPINFOHEADER info{sizeof(BITMAPINFOHEADER), kWidth, -kHeight, 1, 32, BI_RGB};
    std::ofstream out(reinterpret_cast<const wchar_t*>(path.c_str()), std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&info), sizeof info);
    out.write(reinterpret_cast<const char*>(bits_), pixelBytes);
  }

 private:
  UniqueMemoryDc dc_;
  UniqueBitmap bitmap_;
  HGDIOBJ previous_ = nullptr;
  uint32_t* bits_ = nullptr;
};

const CellBox& cellAt(const DisplayList& list, int column, int row) {
  for (const CellBox& box : list.cells)
    if (box.column == column && box.row == row) return box;
  throw std::runtime_error("cell not laid out");
}

TEST(PreviewRender, PaintsTheLaidOutFormula) {
  const std::u16string folder = bitmapFolder();
  const PreviewSigns signs = loadPreviewSignsFromFolder(folder);
  ASSERT_TRUE(signs.loaded()) << "error " << GetLastError() << " in " << std::string(folder.begin(), folder.end());
  Canvas canvas;
  PreviewStyle style;
  style.font.lfHeight = -16;  // Arial 12 points at 96 dots per inch
  style.font.lfWeight = FW_NORMAL;
  wcscpy(style.font.lfFaceName, L"Arial");
  style.background = kBackground;
  style.signs = &signs;

  FormulaGrid grid = testFormula();
  PreviewLayout layout;
  DisplayList list;
  {
    GdiPreviewMetrics metrics(canvas.dc(), style.font, signs);
    EXPECT_GT(metrics.advance(u'x', PreviewFont::Formula), metrics.advance(u'x', PreviewFont::Small));
    EXPECT_EQ(metrics.signSize(PreviewSign::Dot).width, 15);
    EXPECT_EQ(metrics.signSize(PreviewSign::Plus).height, 16);
    list = layout.redraw(grid, kArea, metrics);
  }
  renderPreview(canvas.dc(), list, style);
  canvas.save(besideTheTest(u"preview_render.bmp"));

  const int h = layout.textHeight();
  const int m = layout.barLine();
  const int y = layout.rowTop(ROW_MAIN);
  const int u = layout.rowTop(ROW_UPPER);
  ASSERT_GE(h, 16);

  // Fraction bar under the numerator, and the numerator and denominator glyphs.
  const CellBox& numerator = cellAt(list, 8, ROW_UPPER);
  EXPECT_TRUE(canvas.dark(numerator.x + 1, m));
  EXPECT_TRUE(canvas.anyDark(numerator.x, u, numerator.x + numerator.width - 1, u + h - 1));
  EXPECT_TRUE(canvas.anyDark(numerator.x, m + 4, numerator.x + numerator.width - 1, m + 4 + h - 1));

  // Cube root: the sign's first stroke, its bar over a, and the small 3.
  const CellBox& cube = cellAt(list, 3, ROW_MAIN);
  const int b = static_cast<int>(0.4 * h);
  EXPECT_TRUE(canvas.dark(cube.x + 4, y + b + 2));
  EXPECT_TRUE(canvas.dark(cellAt(list, 4, ROW_MAIN).x + 2, y - 2));
  EXPECT_TRUE(canvas.anyDark(cube.x + 4, y - static_cast<int>(0.3 * h), cube.x + 8, y + b));

  // Tall root: its first stroke, and the bar at u - 4 over the numerator.
  const CellBox& tall = cellAt(list, 7, ROW_MAIN);
  EXPECT_TRUE(canvas.dark(tall.x + 2, u + static_cast<int>(0.3 * 2 * h)));
  EXPECT_TRUE(canvas.dark(numerator.x + 2, u - 4));
  EXPECT_TRUE(canvas.dark(tall.x + 9, u + 2 * h - 1));

  // Signs: bitmaps ANDed in, so their white corners keep the background.
  const CellBox& dot = cellAt(list, 6, ROW_MAIN);
  const int dotTop = y + (h - 15) / 2;
  EXPECT_TRUE(canvas.dark(dot.x + 7, dotTop + 7));
  EXPECT_EQ(canvas.pixel(dot.x, dotTop), kBackground);
  const CellBox& plus = cellAt(list, 2, ROW_MAIN);
  const int signTop = y + (h - 16) / 2;
  EXPECT_TRUE(canvas.dark(plus.x + 7, signTop + 4));
  EXPECT_TRUE(canvas.dark(plus.x + 4, signTop + 7));
  const CellBox& minus = cellAt(list, 10, ROW_MAIN);
  EXPECT_TRUE(canvas.dark(minus.x + 4, signTop + 7));
  EXPECT_FALSE(canvas.dark(minus.x + 7, signTop + 4));

  // Exponent: small glyph raised above the main row's top.
  const CellBox& exponent = cellAt(list, 1, ROW_MAIN);
  EXPECT_TRUE(canvas.anyDark(exponent.x, y - static_cast<int>(0.2 * h), exponent.x + exponent.width - 1, y));

  // Caret behind b, and nothing to its right.
  EXPECT_TRUE(canvas.dark(list.caret.x, (list.caret.top + list.caret.bottom) / 2));
  EXPECT_FALSE(canvas.anyDark(list.caret.x + 2, list.caret.top, list.caret.x + 20, list.caret.bottom));

  // Frame in light grey, erased background inside.
  EXPECT_EQ(canvas.pixel(40, kArea.preview.top), RGB(192, 192, 192));
  EXPECT_EQ(canvas.pixel(kArea.preview.left, 60), RGB(192, 192, 192));
  EXPECT_EQ(canvas.pixel(kArea.preview.left + 2, m), kBackground);
}

// The layout wipes the preview with a few hundred blanks; the renderer draws each
// line's run of them in one call. Over a scribbled canvas, that paints exactly what
// one call per item paints.
TEST(PreviewRender, BlankRunsPaintWhatSingleBlanksPaint) {
  PreviewStyle style;
  style.font.lfHeight = -16;
  wcscpy(style.font.lfFaceName, L"Arial");
  style.background = kBackground;
  Canvas runs, singles;
  runs.scribble();
  singles.scribble();
  FormulaGrid grid = testFormula();
  PreviewLayout layout;
  DisplayList list;
  {
    const PreviewSigns none;
    GdiPreviewMetrics metrics(runs.dc(), style.font, none);
    list = layout.redraw(grid, kArea, metrics);
  }
  DisplayList onlyText;
  for (const DisplayItem& item : list.items)
    if (std::holds_alternative<TextItem>(item)) onlyText.items.push_back(item);
  ASSERT_GT(onlyText.items.size(), 200u) << "the layout no longer wipes with blanks";
  renderPreview(runs.dc(), onlyText, style);
  // One GDI call per item, as the layout lists them.
  UniqueFont formula(CreateFontIndirectW(&style.font));
  const LOGFONTW smallDescription = smallFontOf(style.font);
  UniqueFont small(CreateFontIndirectW(&smallDescription));
  SetBkMode(singles.dc(), OPAQUE);
  SetBkColor(singles.dc(), style.background);
  for (const DisplayItem& item : onlyText.items) {
    const TextItem& text = std::get<TextItem>(item);
    SelectedObject font(singles.dc(), text.font == PreviewFont::Formula ? formula.get() : small.get());
    TextOutW(singles.dc(), text.at.x, text.at.y, reinterpret_cast<const wchar_t*>(&text.character), 1);
  }
  EXPECT_TRUE(runs.samePixels(singles));
  EXPECT_EQ(runs.pixel(kArea.preview.right - 10, layout.barLine()), kBackground) << "the wipe left the scribble";
}

}  // namespace
}  // namespace pendrix

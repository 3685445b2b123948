#include "preview/preview_gdi.h"

#include <algorithm>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace pendrix {

namespace {

constexpr int kDotId = 133;
constexpr int kMinusId = 132;
constexpr int kPlusId = 130;
constexpr COLORREF kFramePen = RGB(192, 192, 192);
// Room around the preview control for its frame.
constexpr int kBufferMargin = 4;

HBITMAP loadResource(HINSTANCE instance, int id) {
  return static_cast<HBITMAP>(LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}

HBITMAP loadFile(const std::u16string& path) {
  return static_cast<HBITMAP>(LoadImageW(nullptr, wide(path), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
}

class Player {
 public:
  Player(HDC dc, const PreviewStyle& style, HFONT small)
      : dc_(dc), style_(style), small_(small), memory_(CreateCompatibleDC(dc)) {
    SIZE blank{};
    if (GetTextExtentPoint32W(dc_, L" ", 1, &blank)) blankAdvance_ = blank.cx;
  }

  // Plays the item at `i` and returns the index of the next one to play.
  size_t play(const std::vector<DisplayItem>& items, size_t i) const {
    if (blankAt(items, i)) return playBlanks(items, i);
    std::visit(*this, items[i]);
    return i + 1;
  }

  void operator()(const TextItem& item) const {
    if (item.font == PreviewFont::Formula) {
      TextOutW(dc_, item.at.x, item.at.y, reinterpret_cast<const wchar_t*>(&item.character), 1);
      return;
    }
    // The small font is selected for one character, as the formula font stays selected.
    SelectedObject selected(dc_, small_);
    TextOutW(dc_, item.at.x, item.at.y, reinterpret_cast<const wchar_t*>(&item.character), 1);
  }

  void operator()(const SignItem& item) const {
    if (!style_.signs || !memory_) return;
    SelectedObject selected(memory_.get(), style_.signs->get(item.sign));
    BitBlt(dc_, item.at.x, item.at.y, item.width, item.height, memory_.get(), 0, 0, SRCAND);
  }

  void operator()(const PolylineItem& item) const {
    if (item.points.empty()) return;
    std::optional<SelectedObject> pen;
    if (item.pen == PreviewPen::Frame) pen.emplace(dc_, framePen_.get());
    MoveToEx(dc_, item.points[0].x, item.points[0].y, nullptr);
    for (size_t i = 1; i < item.points.size(); ++i) LineTo(dc_, item.points[i].x, item.points[i].y);
  }

 private:
  // The layout wipes the preview with a few hundred formula-font blanks, row after
  // row in turn. Blanks painted one after the other only fill their boxes with the
  // background, so their order does not matter: each line's blanks that stand side
  // by side go out in one call, exactly as single calls would draw them.
  size_t playBlanks(const std::vector<DisplayItem>& items, size_t i) const {
    std::vector<PreviewPoint> blanks;
    size_t end = i;
    for (; blankAt(items, end); ++end) blanks.push_back(std::get<TextItem>(items[end]).at);
    std::sort(blanks.begin(), blanks.end(),
              [](const PreviewPoint& a, const PreviewPoint& b) { return a.y != b.y ? a.y < b.y : a.x < b.x; });
    for (size_t first = 0; first < blanks.size();) {
      size_t n = 1;
      while (first + n < blanks.size() && blanks[first + n].y == blanks[first].y &&
             blanks[first + n].x == blanks[first].x + static_cast<int>(n) * blankAdvance_)
        ++n;
      const std::wstring run(n, L' ');
      TextOutW(dc_, blanks[first].x, blanks[first].y, run.c_str(), static_cast<int>(n));
      first += n;
    }
    return end;
  }
  static const TextItem* blankAt(const std::vector<DisplayItem>& items, size_t i) {
    if (i >= items.size()) return nullptr;
    const TextItem* text = std::get_if<TextItem>(&items[i]);
    return text && text->character == u' ' && text->font == PreviewFont::Formula ? text : nullptr;
  }

  HDC dc_;
  const PreviewStyle& style_;
  HFONT small_;
  UniqueMemoryDc memory_;
  UniquePen framePen_{CreatePen(PS_SOLID, 1, kFramePen)};
  int blankAdvance_ = 0;
};

}  // namespace

HBITMAP PreviewSigns::get(PreviewSign sign) const {
  switch (sign) {
    case PreviewSign::Dot: return dot.get();
    case PreviewSign::Minus: return minus.get();
    case PreviewSign::Plus: return plus.get();
  }
  return nullptr;
}

PreviewSigns loadPreviewSigns(HINSTANCE instance) {
  PreviewSigns signs;
  signs.dot.reset(loadResource(instance, kDotId));
  signs.minus.reset(loadResource(instance, kMinusId));
  signs.plus.reset(loadResource(instance, kPlusId));
  return signs;
}

PreviewSigns loadPreviewSignsFromFolder(const std::u16string& folder) {
  PreviewSigns signs;
  signs.dot.reset(loadFile(folder + u"\\sign_dot.bmp"));
  signs.minus.reset(loadFile(folder + u"\\sign_minus.bmp"));
  signs.plus.reset(loadFile(folder + u"\\sign_plus.bmp"));
  return signs;
}

LOGFONTW smallFontOf(const LOGFONTW& formula) {
  LOGFONTW small = formula;
  small.lfHeight = static_cast<LONG>(formula.lfHeight * 0.7);
  return small;
}

GdiPreviewMetrics::GdiPreviewMetrics(HDC dc, const LOGFONTW& font, const PreviewSigns& signs)
    : dc_(dc), signs_(signs), formula_(CreateFontIndirectW(&font)) {
  const LOGFONTW small = smallFontOf(font);
  small_.reset(CreateFontIndirectW(&small));
  if (formula_) previous_ = SelectObject(dc_, formula_.get());
  TEXTMETRICW metrics{};
  if (GetTextMetricsW(dc_, &metrics)) {
    height_ = metrics.tmHeight;
    descent_ = metrics.tmDescent;
  }
}

GdiPreviewMetrics::~GdiPreviewMetrics() {
  if (previous_) SelectObject(dc_, previous_);
}

int GdiPreviewMetrics::advance(char16_t c, PreviewFont font) const {
  HGDIOBJ previous = nullptr;
  if (font == PreviewFont::Small && small_) previous = SelectObject(dc_, small_.get());
  SIZE size{};
  GetTextExtentPoint32W(dc_, reinterpret_cast<const wchar_t*>(&c), 1, &size);
  if (previous) SelectObject(dc_, previous);
  return size.cx;
}

SignSize GdiPreviewMetrics::signSize(PreviewSign sign) const {
  BITMAP bitmap{};
  if (!GetObjectW(signs_.get(sign), sizeof bitmap, &bitmap)) return {};
  return {bitmap.bmWidth, bitmap.bmHeight};
}

void renderPreview(HDC dc, const DisplayList& list, const PreviewStyle& style) {
  UniqueFont formula(CreateFontIndirectW(&style.font));
  const LOGFONTW smallDescription = smallFontOf(style.font);
  UniqueFont small(CreateFontIndirectW(&smallDescription));
  SelectedObject font(dc, formula.get());
  const int oldMode = SetBkMode(dc, OPAQUE);
  const COLORREF oldBackground = SetBkColor(dc, style.background);
  const COLORREF oldText = SetTextColor(dc, RGB(0, 0, 0));
  {
    const Player player(dc, style, small.get());
    for (size_t i = 0; i < list.items.size();) i = player.play(list.items, i);
  }
  SetTextColor(dc, oldText);
  SetBkColor(dc, oldBackground);
  SetBkMode(dc, oldMode);
}

void redrawPreviewWindow(HWND dialog, HWND preview, FormulaGrid& grid, PreviewLayout& layout,
                         const PreviewSigns& signs, COLORREF background) {
  RECT previewRect{}, dialogRect{};
  GetWindowRect(preview, &previewRect);
  GetWindowRect(dialog, &dialogRect);
  const PreviewArea area{{previewRect.left, previewRect.top, previewRect.right, previewRect.bottom},
                         {dialogRect.left, dialogRect.top, dialogRect.right, dialogRect.bottom}};
  PreviewStyle style;
  style.background = background;
  style.signs = &signs;
  HFONT dialogFont = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
  if (!dialogFont || !GetObjectW(dialogFont, sizeof style.font, &style.font)) {
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof style.font, &style.font);
  }
  WindowDc dc(dialog);
  if (!dc.get()) return;
  // The formula is drawn into a picture of the preview's area first and copied in
  // one go, so a keystroke never shows the blanks that wipe the old formula.
  const RECT target{previewRect.left - dialogRect.left - kBufferMargin, previewRect.top - dialogRect.top - kBufferMargin,
                    previewRect.right - dialogRect.left + kBufferMargin,
                    previewRect.bottom - dialogRect.top + kBufferMargin};
  const int width = target.right - target.left, height = target.bottom - target.top;
  UniqueMemoryDc memory(CreateCompatibleDC(dc.get()));
  UniqueBitmap picture(memory ? CreateCompatibleBitmap(dc.get(), width, height) : nullptr);
  const HDC canvas = picture ? memory.get() : dc.get();  // short of memory: straight onto the window
  SelectedObject selected(memory.get(), picture.get());
  if (picture) {
    BitBlt(canvas, 0, 0, width, height, dc.get(), target.left, target.top, SRCCOPY);
    SetViewportOrgEx(canvas, -target.left, -target.top, nullptr);
  }
  DisplayList list;
  {
    GdiPreviewMetrics metrics(canvas, style.font, signs);
    list = layout.redraw(grid, area, metrics);
  }
  renderPreview(canvas, list, style);
  if (picture) {
    SetViewportOrgEx(canvas, 0, 0, nullptr);
    BitBlt(dc.get(), target.left, target.top, width, height, canvas, 0, 0, SRCCOPY);
  }
}

POINT dialogWindowPoint(HWND dialog, POINT client) {
  RECT window{};
  GetWindowRect(dialog, &window);
  ClientToScreen(dialog, &client);
  return {client.x - window.left, client.y - window.top};
}

}  // namespace pendrix

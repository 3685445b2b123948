#include "wordhost/host_window.h"

#include <windowsx.h>

#include <algorithm>
#include <cmath>
#include <iterator>

#include "wordhost/events.h"

namespace pendrix::wordhost {
namespace {

constexpr int kBarRowHeight = 30;
constexpr int kMargin = 8;
constexpr COLORREF kTextColor = RGB(0, 0, 0);
constexpr COLORREF kHiddenCodeColor = RGB(128, 128, 128);
constexpr COLORREF kBraceColor = RGB(0, 0, 192);
constexpr UINT_PTR kCloseRetryTimer = 1;
// Automation calls come in bursts (a worksheet makes a thousand in a row), and each
// drawing of the whole story costs more than a call: the window is drawn once the
// calls pause for this long.
constexpr UINT_PTR kRedrawTimer = 2;
constexpr UINT kRedrawPauseMs = 40;

template <typename T>
T* windowOwner(HWND window, UINT message, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* owner = static_cast<T*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(owner));
    return owner;
  }
  return reinterpret_cast<T*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

bool endsLine(char16_t c) { return c == kParagraphMark || c == kPageBreak; }

// As Word's draft view shows a manual page break: a dotted rule to the right edge
// with the word in its middle.
void drawPageBreak(HDC dc, int left, int middle) {
  RECT client{};
  GetClipBox(dc, &client);
  const int right = std::max<int>(client.right, left + 200) - kMargin;
  const SelectedObject font(dc, GetStockObject(DEFAULT_GUI_FONT));
  static constexpr wchar_t kLabel[] = L"Seitenumbruch";
  SIZE label{};
  GetTextExtentPoint32W(dc, kLabel, static_cast<int>(std::size(kLabel) - 1), &label);
  const int labelLeft = left + (right - left - label.cx) / 2;
  for (int x = left; x < right; x += 3)
    if (x < labelLeft - 4 || x > labelLeft + label.cx + 4) SetPixel(dc, x, middle, kHiddenCodeColor);
  SetTextColor(dc, kHiddenCodeColor);
  TextOutW(dc, labelLeft, middle - label.cy / 2, kLabel, static_cast<int>(std::size(kLabel) - 1));
}

struct Glyph {
  size_t position;
  wchar_t text;  // 0: nothing drawn (a paragraph mark, a hidden field mark)
  float size;
  COLORREF color;
};

}  // namespace

HostWindow::HostWindow(std::shared_ptr<HostState> state) : state_(std::move(state)) {}

HostWindow::~HostWindow() {
  if (main_) DestroyWindow(main_);
}

bool HostWindow::create(int show) {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW mainClass{};
  mainClass.cbSize = sizeof mainClass;
  mainClass.lpfnWndProc = mainProc;
  mainClass.hInstance = instance;
  mainClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  mainClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  mainClass.lpszClassName = kMainWindowClass;
  WNDCLASSEXW documentClass{};
  documentClass.cbSize = sizeof documentClass;
  documentClass.style = CS_DBLCLKS;
  documentClass.lpfnWndProc = documentProc;
  documentClass.hInstance = instance;
  documentClass.hCursor = LoadCursorW(nullptr, IDC_IBEAM);
  documentClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  documentClass.lpszClassName = kDocumentWindowClass;
  // A second window of the process finds its classes registered.
  for (const WNDCLASSEXW* windowClass : {&mainClass, &documentClass})
    if (!RegisterClassExW(windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
  main_ = CreateWindowExW(0, kMainWindowClass, L"Dokument1 - Microsoft Word", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                          CW_USEDEFAULT, 800, 600, nullptr, nullptr, instance, this);
  if (!main_) return false;
  RECT client{};
  GetClientRect(main_, &client);
  document_ = CreateWindowExW(WS_EX_CLIENTEDGE, kDocumentWindowClass, L"", WS_CHILD | WS_VISIBLE, 0, kBarRowHeight,
                              client.right, std::max<LONG>(client.bottom - kBarRowHeight, 0), main_, nullptr,
                              instance, this);
  if (!document_) return false;
  ShowWindow(main_, show);
  UpdateWindow(main_);
  return true;
}

void HostWindow::refresh() {
  if (!main_ || !SetTimer(main_, kRedrawTimer, kRedrawPauseMs, nullptr)) redraw();
}

void HostWindow::redraw() {
  if (main_) InvalidateRect(main_, nullptr, TRUE);
  if (document_) InvalidateRect(document_, nullptr, TRUE);
}

LRESULT CALLBACK HostWindow::mainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  HostWindow* self = windowOwner<HostWindow>(window, message, lParam);
  if (!self) return DefWindowProcW(window, message, wParam, lParam);
  try {
    return self->onMain(window, message, wParam, lParam);
  } catch (...) {
    return 0;
  }
}

LRESULT CALLBACK HostWindow::documentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  HostWindow* self = windowOwner<HostWindow>(window, message, lParam);
  if (!self) return DefWindowProcW(window, message, wParam, lParam);
  try {
    return self->onDocument(window, message, wParam, lParam);
  } catch (...) {
    return 0;
  }
}

LRESULT HostWindow::onMain(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      if (document_)
        MoveWindow(document_, 0, kBarRowHeight, LOWORD(lParam), std::max(HIWORD(lParam) - kBarRowHeight, 0), TRUE);
      return 0;
    case WM_PAINT: {
      const PaintDc dc(window);
      if (dc.get()) paintBars(dc.get());
      return 0;
    }
    case WM_LBUTTONDOWN: {
      const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      for (const BarButton& button : barButtons()) {
        if (PtInRect(&button.rect, point)) {
          clickButton(state_, button.barId, button.buttonId);
          refresh();
          break;
        }
      }
      return 0;
    }
    case WM_CLOSE:
      // A sink that is running (an add-in inside its event, waiting on another
      // process) must not see its host go: close once it has returned.
      if (state_->eventDepth > 0) {
        SetTimer(window, kCloseRetryTimer, 100, nullptr);
        return 0;
      }
      if (onClose) onClose();
      DestroyWindow(window);
      return 0;
    case WM_TIMER:
      if (wParam == kRedrawTimer) {
        KillTimer(window, kRedrawTimer);
        redraw();
      }
      if (wParam == kCloseRetryTimer) {
        KillTimer(window, kCloseRetryTimer);
        PostMessageW(window, WM_CLOSE, 0, 0);
      }
      return 0;
    case WM_DESTROY:
      main_ = nullptr;
      document_ = nullptr;
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

LRESULT HostWindow::onDocument(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      const PaintDc dc(window);
      if (dc.get()) paintDocument(dc.get());
      return 0;
    }
    case WM_LBUTTONDOWN: {
      // Logged, so that a test sees where a click coming back from the assistant landed.
      state_->log("_WwG.LButtonDown(" + std::to_string(GET_X_LPARAM(lParam)) + "," +
                  std::to_string(GET_Y_LPARAM(lParam)) + ")");
      const size_t position = positionAt({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      state_->document.setSelection(position, position);
      SetFocus(window);
      refresh();
      return 0;
    }
    case WM_LBUTTONDBLCLK: {
      bool cancelled = false;
      doubleClickAt(state_, positionAt({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}), cancelled);
      refresh();
      return 0;
    }
    case WM_CHAR:
      if (wParam == L'\r') {
        state_->document.typeParagraph();
      } else if (wParam >= 0x20) {
        state_->document.typeText(std::u16string(1, static_cast<char16_t>(wParam)));
      }
      refresh();
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

std::vector<HostWindow::BarButton> HostWindow::barButtons() const {
  std::vector<BarButton> out;
  int x = 4;
  for (const BarData& bar : state_->bars.bars()) {
    if (!bar.visible) continue;
    for (const ButtonData& button : bar.buttons) {
      std::wstring caption(button.caption.begin(), button.caption.end());
      if (caption.empty()) caption = L"#" + std::to_wstring(button.faceId);
      const int width = std::max(24, 16 + 7 * static_cast<int>(caption.size()));
      out.push_back({bar.id, button.id, RECT{x, 3, x + width, kBarRowHeight - 3}, caption});
      x += width + 4;
    }
    x += 12;
  }
  return out;
}

void HostWindow::paintBars(HDC dc) {
  SetBkMode(dc, TRANSPARENT);
  const SelectedObject font(dc, GetStockObject(DEFAULT_GUI_FONT));
  for (BarButton& button : barButtons()) {
    DrawEdge(dc, &button.rect, EDGE_RAISED, BF_RECT);
    DrawTextW(dc, button.caption.c_str(), static_cast<int>(button.caption.size()), &button.rect,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }
}

HFONT FontCache::fontFor(HDC dc, float size) {
  const int halfPoints = std::clamp(static_cast<int>(std::lround(size * 2)), 2, 400);
  for (const auto& [key, font] : fonts_)
    if (key == halfPoints) return font.get();
  if (fonts_.size() >= kMaxFonts) {
    SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    fonts_.clear();
  }
  UniqueFont font(CreateFontW(-MulDiv(halfPoints, 96, 144), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                              OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Arial"));
  if (!font) return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  const HFONT made = font.get();
  fonts_.emplace_back(halfPoints, std::move(font));
  return made;
}

bool FontCache::holds(HGDIOBJ font) const {
  return std::any_of(fonts_.begin(), fonts_.end(), [&](const auto& entry) { return entry.second.get() == font; });
}

void HostWindow::paintDocument(HDC dc) {
  const DocumentModel& doc = state_->document;
  const std::vector<Character>& story = doc.story();
  const bool codes = doc.showFieldCodes();
  std::vector<Glyph> glyphs;
  int depth = 0;
  for (size_t i = 0; i < story.size(); ++i) {
    const char16_t ch = story[i].ch;
    if (ch == kFieldBegin || ch == kFieldEnd) {
      depth += ch == kFieldBegin ? 1 : -1;
      // Without field codes a field shows its code in grey as its result.
      glyphs.push_back({i, codes ? (ch == kFieldBegin ? L'{' : L'}') : L'\0', story[i].size, kBraceColor});
    } else if (ch == kParagraphMark || ch == kPageBreak) {
      glyphs.push_back({i, L'\0', story[i].size, kTextColor});
    } else {
      glyphs.push_back({i, static_cast<wchar_t>(ch), story[i].size, depth > 0 && !codes ? kHiddenCodeColor : kTextColor});
    }
  }

  const Selection selection = doc.selection();
  boxes_.clear();
  SetBkMode(dc, TRANSPARENT);
  // The context's own font comes back at the end, whatever the cache did meanwhile.
  const SelectedObject originalFont(dc, GetStockObject(DEFAULT_GUI_FONT));
  int top = kMargin;
  size_t lineStart = 0;
  while (lineStart <= glyphs.size()) {
    size_t lineEnd = lineStart;
    while (lineEnd < glyphs.size() && !endsLine(story[glyphs[lineEnd].position].ch)) ++lineEnd;
    const size_t stop = std::min(lineEnd + 1, glyphs.size());  // the mark belongs to its line
    // Measure first: the line's baseline lies below its tallest character.
    TEXTMETRICW metrics{};
    SelectObject(dc, fonts_.fontFor(dc, kDefaultSize));
    GetTextMetricsW(dc, &metrics);
    int ascent = metrics.tmAscent, descent = metrics.tmDescent;
    for (size_t g = lineStart; g < stop; ++g) {
      SelectObject(dc, fonts_.fontFor(dc, glyphs[g].size));
      GetTextMetricsW(dc, &metrics);
      ascent = std::max<int>(ascent, metrics.tmAscent);
      descent = std::max<int>(descent, metrics.tmDescent);
    }
    int x = kMargin;
    for (size_t g = lineStart; g < stop; ++g) {
      const Glyph& glyph = glyphs[g];
      SelectObject(dc, fonts_.fontFor(dc, glyph.size));
      GetTextMetricsW(dc, &metrics);
      SIZE extent{glyph.text ? 0 : 4, 0};
      if (glyph.text) GetTextExtentPoint32W(dc, &glyph.text, 1, &extent);
      const RECT box{x, top, x + extent.cx, top + ascent + descent};
      const bool selected = glyph.position >= selection.start() && glyph.position < selection.end();
      if (selected) FillRect(dc, &box, GetSysColorBrush(COLOR_HIGHLIGHT));
      SetTextColor(dc, selected ? GetSysColor(COLOR_HIGHLIGHTTEXT) : glyph.color);
      if (glyph.text) TextOutW(dc, x, top + ascent - metrics.tmAscent, &glyph.text, 1);
      boxes_.push_back({glyph.position, box});
      x += extent.cx;
    }
    if (selection.collapsed()) {
      int caretX = -1;
      for (size_t b = boxes_.size() - (stop - lineStart); b < boxes_.size(); ++b) {
        if (boxes_[b].position == selection.active) caretX = boxes_[b].rect.left;
        if (boxes_[b].position + 1 == selection.active && !endsLine(story[boxes_[b].position].ch))
          caretX = boxes_[b].rect.right;
      }
      if (stop == lineStart && selection.active == story.size()) caretX = kMargin;
      if (caretX >= 0) PatBlt(dc, caretX, top, 1, ascent + descent, DSTINVERT);
    }
    if (lineEnd < glyphs.size() && story[glyphs[lineEnd].position].ch == kPageBreak)
      drawPageBreak(dc, x, top + (ascent + descent) / 2);
    top += ascent + descent + 2;
    if (lineEnd >= glyphs.size()) break;
    lineStart = lineEnd + 1;
  }
}

std::optional<RECT> HostWindow::boxOf(size_t position) const {
  for (const Box& box : boxes_)
    if (box.position == position) return box.rect;
  return std::nullopt;
}

size_t HostWindow::positionAt(POINT point) const {
  const size_t length = state_->document.length();
  const Box* lineLast = nullptr;
  for (const Box& box : boxes_) {
    if (point.y < box.rect.top || point.y >= box.rect.bottom) continue;
    if (point.x < (box.rect.left + box.rect.right) / 2) return box.position;
    lineLast = &box;
  }
  if (!lineLast) return length;
  const bool isMark = endsLine(state_->document.story()[std::min(lineLast->position, length - 1)].ch);
  return std::min(isMark ? lineLast->position : lineLast->position + 1, length);
}

}  // namespace pendrix::wordhost

#include "wordhost/host_window.h"

#include <windowsx.h>
#include <commctrl.h>
#include <olectl.h>

#include <algorithm>
#include <cmath>
#include <iterator>

#include "wordhost/events.h"
#include "wordhost/ribbon.h"

namespace pendrix::wordhost {
namespace {

constexpr int kBarRowHeight = 30;
// A ribbon-era Word: the row of tab names over the chosen tab's groups.
constexpr int kTabRowHeight = 24;
constexpr int kRibbonBodyHeight = 94;
constexpr int kLargeButtonHeight = 70;
constexpr int kSmallButtonHeight = 22;
constexpr int kGroupLabelHeight = 16;
constexpr wchar_t kStartTab[] = L"Start";
constexpr wchar_t kAddinsTab[] = L"Add-Ins";
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
  const INITCOMMONCONTROLSEX tooltips{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES};
  InitCommonControlsEx(&tooltips);
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
  document_ = CreateWindowExW(WS_EX_CLIENTEDGE, kDocumentWindowClass, L"", WS_CHILD | WS_VISIBLE, 0, bandHeight(),
                              client.right, std::max<LONG>(client.bottom - bandHeight(), 0), main_, nullptr,
                              instance, this);
  if (!document_) return false;
  // The buttons' screen tips: the caption of a bar's button, title and text of a ribbon's.
  tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, main_, nullptr, instance, nullptr);
  if (tooltip_) SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, 320);
  ShowWindow(main_, show);
  UpdateWindow(main_);
  return true;
}

// The fonts of every size in the story are made at each change, as drawing after each
// change made them: the drawing waits for a pause, and which states it sees depends on
// the machine's speed, but the fonts the host holds do not.
void HostWindow::refresh() {
  for (const wordhost::Character& c : state_->document.story()) fonts_.fontFor(nullptr, c.size);
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
        MoveWindow(document_, 0, bandHeight(), LOWORD(lParam), std::max(HIWORD(lParam) - bandHeight(), 0), TRUE);
      return 0;
    case WM_PAINT: {
      const PaintDc dc(window);
      if (dc.get()) paintBand(dc.get());
      return 0;
    }
    case WM_LBUTTONDOWN:
      onBandClick({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      return 0;
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

int HostWindow::bandHeight() const {
  return state_->ui == HostUi::Ribbon ? kTabRowHeight + kRibbonBodyHeight : kBarRowHeight;
}

namespace {

std::wstring wideOf(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }

int textWidth(const std::wstring& text) { return 7 * static_cast<int>(text.size()); }

}  // namespace

// The bars' buttons in one row from `top`, each bar after the one before.
void HostWindow::barRow(std::vector<BandItem>& items, int top) const {
  int x = 4;
  for (const BarData& bar : state_->bars.bars()) {
    if (!bar.visible) continue;
    for (const ButtonData& button : bar.buttons) {
      std::wstring caption = wideOf(button.caption);
      if (caption.empty()) caption = L"#" + std::to_wstring(button.faceId);
      const int width = std::max(24, 16 + textWidth(caption));
      BandItem item{BandItem::Kind::BarButton, RECT{x, top + 3, x + width, top + kBarRowHeight - 3}, caption, caption,
                    bar.id, button.id, {}};
      items.push_back(std::move(item));
      x += width + 4;
    }
    x += 12;
  }
}

// The tab's groups side by side: a large button takes the group's height, normal
// ones stand three to a column; the group's name lies below its buttons.
void HostWindow::ribbonGroups(std::vector<BandItem>& items, const std::wstring& tabLabel) const {
  const int top = kTabRowHeight + 4;
  int x = 6;
  for (const AddinRibbon& ribbon : state_->ribbons)
    for (const RibbonTab& tab : ribbon.tabs) {
      if (wideOf(tab.label) != tabLabel) continue;
      for (const RibbonGroup& group : tab.groups) {
        const int groupLeft = x;
        int row = 0;
        int columnWidth = 0;
        for (const RibbonButton& button : group.buttons) {
          BandItem item{BandItem::Kind::RibbonButton, {}, wideOf(button.label)};
          item.tip = wideOf(button.screentip.empty() ? button.label : button.screentip);
          if (!button.supertip.empty()) item.tip += L"\r\n" + wideOf(button.supertip);
          item.ribbonId = button.id;
          item.large = button.large;
          item.picture = button.picture.get();
          if (button.large) {
            if (row > 0) x += columnWidth + 4;
            const int width = std::max(48, textWidth(item.text) + 10);
            item.rect = RECT{x, top, x + width, top + kLargeButtonHeight};
            x += width + 4;
            row = 0;
            columnWidth = 0;
          } else {
            const int width = 28 + textWidth(item.text);
            item.rect = RECT{x, top + row * kSmallButtonHeight, x + width, top + (row + 1) * kSmallButtonHeight};
            columnWidth = std::max(columnWidth, width);
            if (++row == 3) {
              x += columnWidth + 4;
              row = 0;
              columnWidth = 0;
            }
          }
          items.push_back(std::move(item));
        }
        if (row > 0) x += columnWidth + 4;
        const int right = std::max(x, groupLeft + textWidth(wideOf(group.label)) + 12);
        items.push_back(BandItem{BandItem::Kind::GroupName,
                                 RECT{groupLeft, kTabRowHeight + kRibbonBodyHeight - kGroupLabelHeight - 2, right,
                                      kTabRowHeight + kRibbonBodyHeight - 2},
                                 wideOf(group.label)});
        x = right + 8;
      }
    }
}

// The tab shown: the one the user chose while it is there, else the first add-in's
// tab, else "Add-Ins" with the bars, else "Start".
std::wstring HostWindow::shownTab() const {
  std::vector<std::wstring> tabs;
  for (const AddinRibbon& ribbon : state_->ribbons)
    for (const RibbonTab& tab : ribbon.tabs) tabs.push_back(wideOf(tab.label));
  const bool bars = std::any_of(state_->bars.bars().begin(), state_->bars.bars().end(),
                                [](const BarData& bar) { return bar.visible; });
  if (!chosenTab_.empty() &&
      (chosenTab_ == kStartTab || (chosenTab_ == kAddinsTab && bars) ||
       std::find(tabs.begin(), tabs.end(), chosenTab_) != tabs.end()))
    return chosenTab_;
  if (!tabs.empty()) return tabs.front();
  return bars ? kAddinsTab : kStartTab;
}

std::vector<HostWindow::BandItem> HostWindow::bandItems() const {
  std::vector<BandItem> items;
  if (state_->ui != HostUi::Ribbon) {
    barRow(items, 0);
    return items;
  }
  std::vector<std::wstring> names = {kStartTab};
  if (std::any_of(state_->bars.bars().begin(), state_->bars.bars().end(), [](const BarData& bar) { return bar.visible; }))
    names.push_back(kAddinsTab);
  for (const AddinRibbon& ribbon : state_->ribbons)
    for (const RibbonTab& tab : ribbon.tabs) names.push_back(wideOf(tab.label));
  const std::wstring shown = shownTab();
  int x = 4;
  for (const std::wstring& name : names) {
    const int width = 20 + textWidth(name);
    BandItem tab{BandItem::Kind::Tab, RECT{x, 2, x + width, kTabRowHeight}, name};
    tab.selected = name == shown;
    items.push_back(std::move(tab));
    x += width + 2;
  }
  if (shown == kAddinsTab) {
    barRow(items, kTabRowHeight + 4);
  } else if (shown != kStartTab) {
    ribbonGroups(items, shown);
  }
  return items;
}

void HostWindow::onBandClick(POINT point) {
  for (const BandItem& item : bandItems()) {
    if (!PtInRect(&item.rect, point)) continue;
    switch (item.kind) {
      case BandItem::Kind::Tab:
        chosenTab_ = item.text;
        break;
      case BandItem::Kind::GroupName:
        break;
      case BandItem::Kind::BarButton:
        clickButton(state_, item.barId, item.buttonId);
        break;
      case BandItem::Kind::RibbonButton:
        pressRibbonButton(state_, item.ribbonId);
        break;
    }
    refresh();
    return;
  }
}

namespace {

// A ribbon picture (an IPictureDisp holding a bitmap) scaled into `box`, its alpha
// channel laid over the ribbon's background.
void drawPicture(HDC dc, IDispatch* picture, const RECT& box) {
  ComPtr<IPicture> asPicture;
  OLE_HANDLE handle = 0;
  if (!picture || FAILED(picture->QueryInterface(IID_IPicture, asPicture.putVoid())) ||
      FAILED(asPicture->get_Handle(&handle)))
    return;
  const auto bitmap = reinterpret_cast<HBITMAP>(static_cast<UINT_PTR>(handle));
  BITMAP info{};
  if (!GetObjectW(bitmap, sizeof info, &info)) return;
  const UniqueMemoryDc source(CreateCompatibleDC(dc));
  if (!source) return;
  const SelectedObject selected(source.get(), bitmap);
  const int width = box.right - box.left, height = box.bottom - box.top;
  if (info.bmBitsPixel == 32) {
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    AlphaBlend(dc, box.left, box.top, width, height, source.get(), 0, 0, info.bmWidth, info.bmHeight, blend);
  } else {
    StretchBlt(dc, box.left, box.top, width, height, source.get(), 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
  }
}

}  // namespace

void HostWindow::paintBand(HDC dc) {
  SetBkMode(dc, TRANSPARENT);
  const SelectedObject font(dc, GetStockObject(DEFAULT_GUI_FONT));
  const std::vector<BandItem> items = bandItems();
  if (state_->ui == HostUi::Ribbon) {
    RECT client{};
    GetClientRect(main_, &client);
    RECT body{0, kTabRowHeight, client.right, kTabRowHeight + kRibbonBodyHeight};
    FillRect(dc, &body, GetSysColorBrush(COLOR_WINDOW));
    DrawEdge(dc, &body, EDGE_ETCHED, BF_TOP | BF_BOTTOM);
  }
  for (const BandItem& item : items) {
    RECT rect = item.rect;
    switch (item.kind) {
      case BandItem::Kind::GroupName:  // with the line that ends the group
        SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
        DrawTextW(dc, item.text.c_str(), -1, &rect, DT_CENTER | DT_BOTTOM | DT_SINGLELINE);
        MoveToEx(dc, rect.right + 3, kTabRowHeight + 6, nullptr);
        LineTo(dc, rect.right + 3, kTabRowHeight + kRibbonBodyHeight - 6);
        break;
      case BandItem::Kind::Tab:
        if (item.selected) {
          FillRect(dc, &rect, GetSysColorBrush(COLOR_WINDOW));
          DrawEdge(dc, &rect, EDGE_RAISED, BF_LEFT | BF_TOP | BF_RIGHT);
        }
        SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
        DrawTextW(dc, item.text.c_str(), -1, &rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        break;
      case BandItem::Kind::BarButton:
        DrawEdge(dc, &rect, EDGE_RAISED, BF_RECT);
        SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
        DrawTextW(dc, item.text.c_str(), -1, &rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        break;
      case BandItem::Kind::RibbonButton: {
        SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
        if (item.large) {
          const int left = (rect.left + rect.right) / 2 - 16;
          drawPicture(dc, item.picture, RECT{left, rect.top + 4, left + 32, rect.top + 36});
          RECT label{rect.left, rect.top + 40, rect.right, rect.bottom};
          DrawTextW(dc, item.text.c_str(), -1, &label, DT_CENTER | DT_TOP | DT_SINGLELINE);
        } else {
          drawPicture(dc, item.picture, RECT{rect.left + 3, rect.top + 3, rect.left + 19, rect.top + 19});
          RECT label{rect.left + 24, rect.top, rect.right, rect.bottom};
          DrawTextW(dc, item.text.c_str(), -1, &label, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
        }
        break;
      }
    }
  }
  updateTips(items);
}

// One tool per button, set afresh only when the buttons changed.
void HostWindow::updateTips(const std::vector<BandItem>& items) {
  if (!tooltip_) return;
  std::vector<std::pair<RECT, std::wstring>> tips;
  for (const BandItem& item : items)
    if (!item.tip.empty()) tips.emplace_back(item.rect, item.tip);
  const auto same = [](const std::pair<RECT, std::wstring>& a, const std::pair<RECT, std::wstring>& b) {
    return EqualRect(&a.first, &b.first) && a.second == b.second;
  };
  if (std::equal(tips.begin(), tips.end(), tips_.begin(), tips_.end(), same)) return;
  TOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.hwnd = main_;
  for (size_t i = 0; i < tips_.size(); ++i) {
    tool.uId = i + 1;
    SendMessageW(tooltip_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
  for (size_t i = 0; i < tips.size(); ++i) {
    tool.uFlags = TTF_SUBCLASS;
    tool.uId = i + 1;
    tool.rect = tips[i].first;
    tool.lpszText = tips[i].second.data();
    SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
  tips_ = std::move(tips);
}

HFONT FontCache::fontFor(HDC dc, float size) {
  const int halfPoints = std::clamp(static_cast<int>(std::lround(size * 2)), 2, 400);
  for (const auto& [key, font] : fonts_)
    if (key == halfPoints) return font.get();
  if (fonts_.size() >= kMaxFonts) {
    if (dc) SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
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

std::optional<RECT> HostWindow::ribbonButtonRect(const std::u16string& id) const {
  for (const BandItem& item : bandItems())
    if (item.kind == BandItem::Kind::RibbonButton && item.ribbonId == id) return item.rect;
  return std::nullopt;
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

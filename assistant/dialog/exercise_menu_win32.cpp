#include "dialog/exercise_menu_win32.h"

#include <algorithm>

namespace pendrix {
namespace {

constexpr COLORREF kHighlight = RGB(161, 166, 184);
constexpr COLORREF kFrame = RGB(50, 80, 250);
constexpr int kPictureLeft = 2;
constexpr int kPictureSize = 16;

// Puts the previous GDI object back when the scope ends.
class Selected {
 public:
  Selected(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  ~Selected() {
    if (previous_) SelectObject(dc_, previous_);
  }
  Selected(const Selected&) = delete;
  Selected& operator=(const Selected&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

using UniqueGdi = UniqueHandle<HGDIOBJ, DeleteObject>;
using UniqueDc = UniqueHandle<HDC, DeleteDC>;

void drawPicture(HDC dc, HBITMAP picture, const RECT& rect) {
  if (!picture) return;
  UniqueDc memory(CreateCompatibleDC(dc));
  if (!memory) return;
  Selected selected(memory.get(), picture);
  const int top = rect.top + (rect.bottom - rect.top - kPictureSize) / 2 + 2;
  BitBlt(dc, rect.left + kPictureLeft, top, kPictureSize, kPictureSize, memory.get(), 0, 0, SRCCOPY);
}

HFONT createMenuFont() {
  return CreateFontW(CExerciseMenu::kFontHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Arial");
}

int textWidth(HFONT font, const std::wstring& text) {
  HDC screen = GetDC(nullptr);
  if (!screen) return 0;
  SIZE size{};
  {
    Selected selected(screen, font);
    GetTextExtentPoint32W(screen, text.c_str(), static_cast<int>(text.size()), &size);
  }
  ReleaseDC(nullptr, screen);
  return size.cx;
}

// A popup wider than the screen could not be shown whole: such a title is cut with an
// ellipsis instead.
int workAreaWidth(HWND owner) {
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (!GetMonitorInfoW(MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST), &monitor)) return 1 << 16;
  return monitor.rcWork.right - monitor.rcWork.left - 2 * GetSystemMetrics(SM_CXEDGE);
}

}  // namespace

CExerciseMenu::CExerciseMenu(HMENU popup) : popup_(popup), font_(createMenuFont()) {}


void CExerciseMenu::addItem(UINT id, const std::u16string& text, HBITMAP picture) {
  if (items_.size() >= kMaxItems) return;
  const std::u16string shown = text.substr(0, kMaxText);
  items_.push_back({std::wstring(shown.begin(), shown.end()), picture});
  MENUITEMINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_FTYPE | MIIM_DATA;
  info.fType = MFT_OWNERDRAW;
  info.dwItemData = items_.size();  // 1-based, so that 0 marks an item of no record
  SetMenuItemInfoW(popup_, id, FALSE, &info);
}

void CExerciseMenu::show(HWND owner, HWND button) {
  RECT rect{};
  GetWindowRect(button, &rect);
  owner_ = owner;
  TrackPopupMenu(popup_, TPM_RIGHTALIGN | TPM_RIGHTBUTTON, rect.right, rect.bottom, 0, owner, nullptr);
  owner_ = nullptr;
}

void CExerciseMenu::measure(MEASUREITEMSTRUCT& item) const {
  item.itemHeight = item.itemData == 0 ? kSeparatorHeight : kItemHeight;
  item.itemWidth = kItemWidth;
  if (item.itemData == 0 || item.itemData > items_.size()) return;
  const int needed = kTextLeft + textWidth(font_.get(), items_[item.itemData - 1].text) + kTextRight;
  item.itemWidth = static_cast<UINT>(std::clamp(needed, kItemWidth, std::max(kItemWidth, workAreaWidth(owner_))));
}

void CExerciseMenu::draw(const DRAWITEMSTRUCT& item) const {
  const HDC dc = item.hDC;
  RECT rect = item.rcItem;
  if (item.itemData == 0 || item.itemData > items_.size()) {
    DrawEdge(dc, &rect, EDGE_ETCHED, BF_TOP);  // a separator
    return;
  }
  const Item& entry = items_[item.itemData - 1];
  const bool highlighted = (item.itemState & ODS_SELECTED) != 0;
  const COLORREF background = highlighted ? kHighlight : GetSysColor(COLOR_MENU);
  {
    UniqueGdi brush(CreateSolidBrush(background));
    FillRect(dc, &rect, static_cast<HBRUSH>(brush.get()));
  }
  if (highlighted) {
    UniqueGdi pen(CreatePen(PS_INSIDEFRAME, 1, kFrame));
    Selected framePen(dc, pen.get());
    Selected hollow(dc, GetStockObject(HOLLOW_BRUSH));
    Rectangle(dc, rect.left, rect.top, rect.right, rect.bottom);
  }
  drawPicture(dc, entry.picture, rect);
  Selected textFont(dc, font_.get());
  const COLORREF oldText = SetTextColor(dc, GetSysColor(COLOR_MENUTEXT));
  const COLORREF oldBack = SetBkColor(dc, background);
  RECT text = rect;
  text.left += kTextLeft;
  text.right -= kTextRight / 2;
  DrawTextW(dc, entry.text.c_str(), -1, &text, DT_SINGLELINE | DT_VCENTER | DT_NOCLIP | DT_END_ELLIPSIS);
  SetBkColor(dc, oldBack);
  SetTextColor(dc, oldText);
}

}  // namespace pendrix

#include "dialog/bitmap_tool_button_win32.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

namespace pendrix {
namespace {

// Puts back whatever the drawing selected or set on a device context it was lent.
class SavedDcState {
 public:
  explicit SavedDcState(HDC dc) : dc_(dc), saved_(SaveDC(dc)) {}
  ~SavedDcState() {
    if (saved_) RestoreDC(dc_, saved_);
  }
  SavedDcState(const SavedDcState&) = delete;
  SavedDcState& operator=(const SavedDcState&) = delete;

 private:
  HDC dc_;
  int saved_;
};

// Version 2 of the structure is understood by every common-controls version the
// program may meet; the later fields are not used.
TOOLINFOW toolFor(HWND button, const std::u16string& text) {
  TOOLINFOW tool{};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;
  tool.uFlags = TTF_SUBCLASS;
  tool.hwnd = button;
  tool.uId = 1;
  GetClientRect(button, &tool.rect);
  tool.lpszText = const_cast<wchar_t*>(wide(text));
  return tool;
}

std::u16string windowText(HWND window) {
  std::vector<wchar_t> text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1);
  const int length = GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
  return fromWide(text.data(), static_cast<size_t>(length));
}

// The picture grows by whole multiples with the button (display scaling).
int pictureScale(const RECT& area, SIZE picture) {
  // Inside the push-button frame, with a pixel to spare on each side.
  const int border = 2 * GetSystemMetrics(SM_CXEDGE) + 2;
  const int across = (area.right - area.left - border) / std::max<LONG>(picture.cx, 1);
  const int down = (area.bottom - area.top - border) / std::max<LONG>(picture.cy, 1);
  return std::max(1, std::min(across, down));
}

}  // namespace

void CBitmapToolButton::attach(HWND button) { button_ = button; }

bool CBitmapToolButton::setBitmap(HINSTANCE instance, int id) {
  bitmap_.reset();
  bitmapSize_ = {};
  bitmapId_ = 0;
  if (id == 0) return true;
  bitmap_.reset(static_cast<HBITMAP>(
      LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  BITMAP info{};
  if (!bitmap_ || !GetObjectW(bitmap_.get(), sizeof info, &info)) {
    bitmap_.reset();
    return false;
  }
  bitmapSize_ = {info.bmWidth, info.bmHeight};
  bitmapId_ = id;
  return true;
}

bool CBitmapToolButton::setTooltip(const std::u16string& text, bool activate) {
  if (!button_) return false;
  if (!tooltip_) {
    tooltip_.reset(CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, button_,
                                   nullptr, GetModuleHandleW(nullptr), nullptr));
    if (!tooltip_) return false;
  }
  TOOLINFOW tool = toolFor(button_, text);
  if (SendMessageW(tooltip_.get(), TTM_GETTOOLCOUNT, 0, 0) == 0) {
    if (!SendMessageW(tooltip_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool))) return false;
  } else {
    SendMessageW(tooltip_.get(), TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
  }
  SendMessageW(tooltip_.get(), TTM_ACTIVATE, activate, 0);
  return true;
}

void CBitmapToolButton::draw(const DRAWITEMSTRUCT& item) const {
  RECT frame = item.rcItem;
  const UINT pushed = (item.itemState & ODS_SELECTED) ? DFCS_PUSHED : 0;
  DrawFrameControl(item.hDC, &frame, DFC_BUTTON, DFCS_BUTTONPUSH | pushed);
  if (bitmap_) {
    drawPicture(item);
  } else {
    drawCaption(item);
  }
}

void CBitmapToolButton::drawCaption(const DRAWITEMSTRUCT& item) const {
  SavedDcState saved(item.hDC);
  if (const auto font = reinterpret_cast<HFONT>(SendMessageW(item.hwndItem, WM_GETFONT, 0, 0))) {
    SelectObject(item.hDC, font);
  }
  SetBkMode(item.hDC, TRANSPARENT);
  const bool disabled = item.itemState & ODS_DISABLED;
  SetTextColor(item.hDC, GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
  RECT area = item.rcItem;
  const std::u16string caption = windowText(item.hwndItem);
  DrawTextW(item.hDC, wide(caption), -1, &area, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

void CBitmapToolButton::drawPicture(const DRAWITEMSTRUCT& item) const {
  UniqueMemoryDc memory(CreateCompatibleDC(item.hDC));
  if (!memory) return;
  SavedDcState savedMemory(memory.get());
  SavedDcState savedTarget(item.hDC);
  SelectObject(memory.get(), bitmap_.get());
  const RECT& area = item.rcItem;
  const int scale = pictureScale(area, bitmapSize_);
  const int width = bitmapSize_.cx * scale;
  const int height = bitmapSize_.cy * scale;
  const int x = area.left + (area.right - area.left - width) / 2;
  const int y = area.top + (area.bottom - area.top - height) / 2;
  // AND: white picture pixels leave the face as it is, dark ones darken it. Whole
  // pixels only, so that a picture grown with the scaling keeps its sharp edges.
  SetStretchBltMode(item.hDC, COLORONCOLOR);
  StretchBlt(item.hDC, x, y, width, height, memory.get(), 0, 0, bitmapSize_.cx, bitmapSize_.cy, SRCAND);
}

}  // namespace pendrix

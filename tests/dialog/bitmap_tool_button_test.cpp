// CBitmapToolButton on its own: drawing into an off-screen surface read back pixel by
// pixel, and its one tooltip.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "test_dialog.h"

namespace pendrix::testing {
namespace {

constexpr int kWidth = 60;
constexpr int kHeight = 30;

// A plain window class: unlike a static control, it takes the mouse's hit tests, so the
// cursor can rest on its button.
const wchar_t* hostClass() {
  static const ATOM atom = [] {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = L"PendrixButtonHost";
    return RegisterClassW(&windowClass);
  }();
  return atom ? L"PendrixButtonHost" : L"Static";
}

// A top-level window with one owner-drawn button, as the dialog template makes them.
class ButtonHost {
 public:
  explicit ButtonHost(const wchar_t* caption)
      : parent_(CreateWindowExW(0, hostClass(), L"", WS_POPUP, 100, 100, 200, 100, nullptr, nullptr, nullptr, nullptr)),
        font_(CreateFontW(-16, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, NONANTIALIASED_QUALITY, 0, L"Arial")) {
    button_ = CreateWindowExW(0, L"Button", caption, WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, 10, 10, kWidth, kHeight,
                              parent_.get(), reinterpret_cast<HMENU>(1004), nullptr, nullptr);
    SendMessageW(button_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
  }
  HWND button() const { return button_; }
  HWND parent() const { return parent_.get(); }

 private:
  UniqueWindow parent_;
  UniqueFont font_;
  HWND button_ = nullptr;
};

// The button's face drawn off screen, for reading back.
class Picture {
 public:
  explicit Picture(int width = kWidth, int height = kHeight)
      : dc_(CreateCompatibleDC(nullptr)), width_(width), height_(height) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    bitmap_.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    old_ = SelectObject(dc_.get(), bitmap_.get());
  }
  ~Picture() { SelectObject(dc_.get(), old_); }

  void draw(const CBitmapToolButton& button, UINT state = 0) {
    DRAWITEMSTRUCT item{ODT_BUTTON, 1004, 0, ODA_DRAWENTIRE, state, button.window(), dc_.get(), {0, 0, width_, height_}, 0};
    button.draw(item);
    GdiFlush();
  }
  COLORREF at(int x, int y) const { return GetPixel(dc_.get(), x, y); }
  int count(COLORREF colour, const RECT& area) const {
    int n = 0;
    for (int y = area.top; y < area.bottom; ++y)
      for (int x = area.left; x < area.right; ++x) n += at(x, y) == colour;
    return n;
  }

 private:
  UniqueMemoryDc dc_;
  UniqueBitmap bitmap_;
  HGDIOBJ old_ = nullptr;
  int width_;
  int height_;
};

constexpr RECT kInside{3, 3, kWidth - 3, kHeight - 3};

struct CaptionInk {
  int pixels = 0;
  int longestLine = 0;  // the longest horizontal run of text pixels: an underline
};

CaptionInk captionInk(const wchar_t* caption) {
  ButtonHost host(caption);
  CBitmapToolButton button;
  button.attach(host.button());
  Picture picture;
  picture.draw(button);
  CaptionInk ink;
  const COLORREF text = GetSysColor(COLOR_BTNTEXT);
  ink.pixels = picture.count(text, kInside);
  for (LONG y = kInside.top; y < kInside.bottom; ++y) {
    int run = 0;
    for (LONG x = kInside.left; x < kInside.right; ++x) {
      run = picture.at(x, y) == text ? run + 1 : 0;
      ink.longestLine = std::max(ink.longestLine, run);
    }
  }
  return ink;
}

TEST(BitmapToolButton, WithoutBitmapDrawsTheCaptionWithItsMnemonic) {
  const CaptionInk plain = captionInk(L"W");
  const CaptionInk mnemonic = captionInk(L"&W");
  const CaptionInk literal = captionInk(L"&&W");
  EXPECT_GT(plain.pixels, 20);
  EXPECT_LT(plain.longestLine, 7);
  // The mnemonic is an underline as wide as the letter, not a printed '&'.
  EXPECT_GE(mnemonic.longestLine, 10);
  EXPECT_LT(mnemonic.pixels - plain.pixels, 20);
  EXPECT_LT(literal.longestLine, 7);
  EXPECT_GT(literal.pixels, plain.pixels + 15);
}

// What the AND of a picture pixel and the button face gives.
COLORREF andedWithFace(char c) {
  const COLORREF picture = colourOf(c);
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  return RGB(GetRValue(picture) & GetRValue(face), GetGValue(picture) & GetGValue(face),
             GetBValue(picture) & GetBValue(face));
}

TEST(BitmapToolButton, PictureIsAndedOntoTheFaceCentredAndStaysWhenPushed) {
  ButtonHost host(L"&W");
  CBitmapToolButton button;
  button.attach(host.button());
  ASSERT_TRUE(button.setBitmap(GetModuleHandleW(nullptr), IDB_ROOT));
  EXPECT_EQ(button.bitmapId(), IDB_ROOT);
  const std::vector<std::string> rows = sourceRows("button_root");
  ASSERT_FALSE(rows.empty());
  const int left = (kWidth - static_cast<int>(rows[0].size())) / 2;
  const int top = (kHeight - static_cast<int>(rows.size())) / 2;
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  for (UINT state : {0u, UINT(ODS_SELECTED)}) {
    SCOPED_TRACE(state);
    Picture picture;
    picture.draw(button, state);
    int wrong = 0;
    for (size_t y = 0; y < rows.size(); ++y)
      for (size_t x = 0; x < rows[y].size(); ++x)
        if (picture.at(left + x, top + y) != andedWithFace(rows[y][x]) && wrong++ < 3)
          ADD_FAILURE() << "pixel " << x << "," << y;
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(picture.at(left, top), face) << "white picture pixels leave the face";
    EXPECT_EQ(picture.count(GetSysColor(COLOR_BTNTEXT), {0, 0, left, kHeight}), 0) << "no caption beside the picture";
  }
  Picture normal, pushed;
  normal.draw(button, 0);
  pushed.draw(button, ODS_SELECTED);
  EXPECT_NE(normal.at(0, 0), pushed.at(0, 0)) << "the frame shows the pushed state";
}

// At 150 % a button has room for its picture twice over: every picture pixel becomes
// a 2 x 2 block, still centred.
TEST(BitmapToolButton, PictureGrowsByWholeMultiplesInALargerButton) {
  ButtonHost host(L"&W");
  CBitmapToolButton button;
  button.attach(host.button());
  ASSERT_TRUE(button.setBitmap(GetModuleHandleW(nullptr), IDB_ROOT));
  const std::vector<std::string> rows = sourceRows("button_root");
  ASSERT_FALSE(rows.empty());
  constexpr int kLargeWidth = 56, kLargeHeight = 49;
  Picture picture(kLargeWidth, kLargeHeight);
  picture.draw(button);
  const int left = (kLargeWidth - 2 * static_cast<int>(rows[0].size())) / 2;
  const int top = (kLargeHeight - 2 * static_cast<int>(rows.size())) / 2;
  int wrong = 0;
  for (size_t y = 0; y < rows.size(); ++y)
    for (size_t x = 0; x < rows[y].size(); ++x)
      for (int dy = 0; dy < 2; ++dy)
        for (int dx = 0; dx < 2; ++dx)
          if (picture.at(left + 2 * x + dx, top + 2 * y + dy) != andedWithFace(rows[y][x]) && wrong++ < 3)
            ADD_FAILURE() << "pixel " << x << "," << y;
  EXPECT_EQ(wrong, 0);
}

TEST(BitmapToolButton, MissingOrZeroBitmapShowsTheCaption) {
  ButtonHost host(L"&W");
  CBitmapToolButton button;
  button.attach(host.button());
  ASSERT_TRUE(button.setBitmap(GetModuleHandleW(nullptr), IDB_ROOT));
  EXPECT_FALSE(button.setBitmap(GetModuleHandleW(nullptr), 9999));
  EXPECT_EQ(button.bitmapId(), 0);
  Picture missing;
  missing.draw(button);
  EXPECT_GT(missing.count(GetSysColor(COLOR_BTNTEXT), kInside), 20);

  ASSERT_TRUE(button.setBitmap(GetModuleHandleW(nullptr), IDB_ROOT));
  EXPECT_TRUE(button.setBitmap(GetModuleHandleW(nullptr), 0));
  EXPECT_EQ(button.bitmapId(), 0);
  Picture zero;
  zero.draw(button);
  EXPECT_EQ(zero.count(GetSysColor(COLOR_BTNTEXT), kInside), missing.count(GetSysColor(COLOR_BTNTEXT), kInside));
}

struct ToolState {
  int count = 0;
  std::wstring text;
  UINT flags = 0;
  RECT rect{};
};

ToolState toolOf(const CBitmapToolButton& button) {
  ToolState state;
  state.count = static_cast<int>(SendMessageW(button.tooltip(), TTM_GETTOOLCOUNT, 0, 0));
  wchar_t text[128]{};
  TTTOOLINFOW tool{};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;
  tool.hwnd = button.window();
  tool.uId = 1;
  tool.lpszText = text;
  SendMessageW(button.tooltip(), TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&tool));
  state.flags = tool.uFlags;
  state.rect = tool.rect;
  SendMessageW(button.tooltip(), TTM_GETTEXTW, 128, reinterpret_cast<LPARAM>(&tool));
  state.text = text;
  return state;
}

TEST(BitmapToolButton, TooltipIsCreatedOnceAndItsTextReplaced) {
  CBitmapToolButton detached;
  EXPECT_FALSE(detached.setTooltip(u"Wurzel (Alt+W)", true));
  EXPECT_EQ(detached.tooltip(), nullptr);

  ButtonHost host(L"&W");
  CBitmapToolButton button;
  button.attach(host.button());
  ASSERT_TRUE(button.setTooltip(u"Wurzel (Alt+W)", true));
  const HWND tooltip = button.tooltip();
  ASSERT_TRUE(tooltip);
  ToolState first = toolOf(button);
  EXPECT_EQ(first.count, 1);
  EXPECT_EQ(first.text, L"Wurzel (Alt+W)");
  EXPECT_TRUE(first.flags & TTF_SUBCLASS) << "the tooltip watches the button's mouse messages itself";
  RECT client{};
  GetClientRect(host.button(), &client);
  EXPECT_TRUE(EqualRect(&first.rect, &client));

  ASSERT_TRUE(button.setTooltip(u"größer gleich (Alt+G)", false));
  EXPECT_EQ(button.tooltip(), tooltip);
  ToolState second = toolOf(button);
  EXPECT_EQ(second.count, 1);
  EXPECT_EQ(second.text, L"größer gleich (Alt+G)");
}

// Shows the host above all other windows, at a place where the button's middle is
// really the uppermost window: the tooltip looks there before it shows, and the other
// test programs' windows share the screen. Leaves the pointer over the button.
bool showUncovered(const ButtonHost& host) {
  for (int y = 100; y < 700; y += 150) {
    for (int x = 100; x < 900; x += 200) {
      SetWindowPos(host.parent(), HWND_TOPMOST, x, y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
      UpdateWindow(host.parent());
      RECT rect{};
      GetWindowRect(host.button(), &rect);
      const POINT middle{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
      SetCursorPos(middle.x, middle.y);
      if (WindowFromPoint(middle) == host.button()) return true;
    }
  }
  return false;
}

// The mouse resting on the button shows the tip without the dialog relaying anything;
// a deactivated tooltip stays hidden.
TEST(BitmapToolButton, TipAppearsOverTheButtonOnlyWhenActive) {
  for (bool active : {true, false}) {
    SCOPED_TRACE(active);
    ButtonHost host(L"&W");
    CBitmapToolButton button;
    button.attach(host.button());
    ASSERT_TRUE(button.setTooltip(u"Wurzel (Alt+W)", active));
    ASSERT_TRUE(showUncovered(host)) << "no place on the screen where the button is uppermost";
    // One move, as a resting mouse makes: each further move would restart the delay.
    SendMessageW(host.button(), WM_MOUSEMOVE, 0, MAKELPARAM(kWidth / 2, kHeight / 2));
    bool shown = false;
    for (int i = 0; i < 40 && !shown; ++i) {
      pumpMessages();
      Sleep(50);
      shown = IsWindowVisible(button.tooltip());
    }
    POINT cursor{};
    GetCursorPos(&cursor);
    EXPECT_EQ(shown, active) << cursor.x << "," << cursor.y << " window " << WindowFromPoint(cursor) << " button "
                             << host.button() << " parent " << host.parent();
  }
}

}  // namespace
}  // namespace pendrix::testing

#include "test_dialog.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <vector>

#include "preview/preview_gdi.h"

namespace pendrix::testing {

TestDialog::TestDialog(int templateId) : templateId_(templateId) {
  window_.reset(CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId), nullptr, &procedure,
                                   reinterpret_cast<LPARAM>(this)));
}

const CBitmapToolButton* TestDialog::button(int id) const {
  for (const CBitmapToolButton& b : buttons_)
    if (b.window() && GetDlgCtrlID(b.window()) == id) return &b;
  return nullptr;
}

void TestDialog::initialise(HWND dialog) {
  if (templateId_ != IDD_PENDRIX_DIALOG) return;
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  for (size_t i = 0; i < std::size(kButtonControls); ++i) {
    const ButtonControl& control = kButtonControls[i];
    buttons_[i].attach(GetDlgItem(dialog, control.id));
    buttons_[i].setBitmap(instance, control.bitmapId);
    buttons_[i].setTooltip(std::u16string(control.tooltip), true);
  }
  for (const ComboControl& combo : kComboControls) {
    for (std::u16string_view item : combo.items) {
      const std::u16string text(item);
      SendDlgItemMessageW(dialog, combo.id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide(text)));
    }
    SendDlgItemMessageW(dialog, combo.id, CB_SETCURSEL, 0, 0);
  }
}

INT_PTR CALLBACK TestDialog::procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    reinterpret_cast<TestDialog*>(lParam)->initialise(dialog);
    return TRUE;
  }
  auto* self = reinterpret_cast<TestDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
  if (message == WM_DRAWITEM && self) {
    const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    if (const CBitmapToolButton* button = self->button(static_cast<int>(item.CtlID))) {
      button->draw(item);
      return TRUE;
    }
  }
  return FALSE;
}

namespace {

// Nothing of another window lies over the middle of `window`.
bool uppermost(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return GetAncestor(WindowFromPoint({(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2}), GA_ROOT) == window;
}

}  // namespace

bool TestDialog::showAndPaint() const {
  // Above every other window on the display, for pictures taken from the screen; where
  // another program's window still lies over it, somewhere else.
  for (const POINT place : {POINT{-1, -1}, POINT{40, 40}, POINT{400, 300}, POINT{700, 80}}) {
    const UINT keepPlace = place.x < 0 ? SWP_NOMOVE : 0;
    SetWindowPos(window_.get(), HWND_TOPMOST, place.x, place.y, 0, 0, keepPlace | SWP_NOSIZE | SWP_SHOWWINDOW);
    UpdateWindow(window_.get());
    RedrawWindow(window_.get(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    for (int i = 0; i < 20; ++i) {
      pumpMessages();
      Sleep(50);
      if (i >= 4 && uppermost(window_.get())) return true;
    }
  }
  return false;
}

void pumpMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

std::wstring winePath(const std::string& unixPath) {
  std::wstring path = L"Z:" + std::wstring(unixPath.begin(), unixPath.end());
  for (wchar_t& c : path)
    if (c == L'/') c = L'\\';
  return path;
}

std::wstring besideTheTest(const std::wstring& name) {
  wchar_t module[MAX_PATH]{};
  GetModuleFileNameW(nullptr, module, MAX_PATH);
  std::wstring path = module;
  return path.substr(0, path.find_last_of(L"\\/") + 1) + name;
}

std::vector<std::string> sourceRows(const std::string& name) {
  std::ifstream in(std::filesystem::path(winePath(std::string(BITMAP_SOURCE_DIR) + "/" + name + ".txt")));
  std::vector<std::string> rows;
  std::string line;
  bool inComment = true;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (inComment && line.rfind("# ", 0) == 0) continue;
    inComment = false;
    rows.push_back(line);
  }
  return rows;
}

COLORREF colourOf(char c) {
  switch (c) {
    case '#': return RGB(0, 0, 0);
    case '.': return RGB(255, 255, 255);
    case 'b': return RGB(0, 64, 192);
    default: return CLR_INVALID;
  }
}

RECT dialogRect(HWND dialog, int x, int y, int width, int height) {
  // The dialog manager maps position and size each on its own, not the far edge.
  RECT units{x, y, width, height};
  MapDialogRect(dialog, &units);
  return {units.left, units.top, units.left + units.right, units.top + units.bottom};
}

}  // namespace pendrix::testing

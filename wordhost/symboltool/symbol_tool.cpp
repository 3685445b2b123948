#include "symbol_tool.h"

#include <windowsx.h>

#include <cstdio>
#include <new>
#include <utility>

#include "win32/late_binding.h"

namespace pendrix::wordhost {
namespace {

// Word keeps the keyboard focus while the user picks symbols, as with any tool palette.
constexpr DWORD kExStyle = WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE;
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr UINT_PTR kClientTimer = 1;

std::u16string hexCode(HRESULT hr) {
  char text[16];
  std::snprintf(text, sizeof(text), "0x%08lX", static_cast<unsigned long>(hr));
  return std::u16string(text, text + std::char_traits<char>::length(text));
}

std::wstring symbolText(size_t index) {
  const std::u16string_view symbol = symbols::kSymbols[index];
  return std::wstring(symbol.begin(), symbol.end());
}

}  // namespace

SymbolTool::~SymbolTool() {
  if (window_) DestroyWindow(window_);
}

bool SymbolTool::createWindow(HINSTANCE instance) {
  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = windowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kSymbolWindowClass;
  if (!RegisterClassExW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;

  RECT frame = {0, 0, symbols::clientWidth(), symbols::clientHeight()};
  AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
  font_.reset(CreateFontW(-20, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                      CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Arial"));
  window_ = CreateWindowExW(kExStyle, kSymbolWindowClass, kSymbolWindowCaption, kStyle, 80, 80,
                            frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, instance, this);
  if (!window_) return false;
  ShowWindow(window_, SW_SHOWNOACTIVATE);
  UpdateWindow(window_);
  return true;
}

void SymbolTool::expectClientWithin(UINT milliseconds) {
  if (window_) SetTimer(window_, kClientTimer, milliseconds, nullptr);
}

void SymbolTool::setApplication(IDispatch* application) { application_ = ComPtr<IDispatch>(application); }

void SymbolTool::record(const std::u16string& line) {
  try {
    log_.add(line);
  } catch (const std::bad_alloc&) {
    // The log is for tests; losing a line must not stop the tool.
  }
}

void SymbolTool::typeSymbol(size_t index) {
  if (index >= symbols::kSymbols.size()) return;
  const std::u16string symbol(symbols::kSymbols[index]);
  if (typing_) {
    record(u"TypeText " + symbol + u" dropped: busy");
    return;
  }
  typing_ = true;
  const HRESULT hr = typeIntoWord(symbolText(index));
  typing_ = false;
  if (SUCCEEDED(hr))
    record(u"TypeText " + symbol);
  else
    record(u"TypeText " + symbol + u" failed " + hexCode(hr));
}

HRESULT SymbolTool::typeIntoWord(const std::wstring& text) {
  // Held for the call: Word may be handed over anew while it runs.
  const ComPtr<IDispatch> application = application_;
  if (!application) return E_POINTER;
  ComPtr<IDispatch> selection;
  PENDRIX_RETURN_IF_FAILED(getObjectByName(application.get(), L"Selection", selection));
  Variant argument = Variant::fromString(text.c_str());
  return invokeByName(selection.get(), L"TypeText", DISPATCH_METHOD, argument.get(), 1, nullptr);
}

LRESULT CALLBACK SymbolTool::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    static_cast<SymbolTool*>(create->lpCreateParams)->window_ = window;
  }
  auto* tool = reinterpret_cast<SymbolTool*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!tool) return DefWindowProcW(window, message, wParam, lParam);
  try {
    return tool->handle(message, wParam, lParam);
  } catch (...) {
    return DefWindowProcW(window, message, wParam, lParam);
  }
}

LRESULT SymbolTool::handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_LBUTTONDOWN:
      pressed_ = symbols::symbolAt(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      return 0;
    case WM_LBUTTONUP: {
      // A click is a press and a release on the same symbol.
      const std::optional<size_t> released = symbols::symbolAt(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      const std::optional<size_t> pressed = std::exchange(pressed_, std::nullopt);
      if (released && released == pressed) typeSymbol(*released);
      return 0;
    }
    case WM_TIMER:
      if (wParam != kClientTimer) return 0;
      KillTimer(window_, kClientTimer);
      if (!hadClient_) DestroyWindow(window_);
      return 0;
    case WM_PAINT:
      paint();
      return 0;
    case WM_PRINTCLIENT: {
      // Pictures of the window (PrintWindow) ask for the client area this way.
      const HDC dc = reinterpret_cast<HDC>(wParam);
      RECT client;
      GetClientRect(window_, &client);
      FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
      drawSymbols(dc);
      return 0;
    }
    case WM_DESTROY:
      SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
      window_ = nullptr;
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(window_, message, wParam, lParam);
  }
}

void SymbolTool::paint() {
  const PaintDc dc(window_);
  if (dc.get()) drawSymbols(dc.get());
}

void SymbolTool::drawSymbols(HDC dc) const {
  const SelectedObject font(dc, font_.get());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  for (size_t index = 0; index < symbols::kSymbols.size(); ++index) {
    const symbols::CellRect cell = symbols::cellRect(index);
    RECT rect = {cell.left, cell.top, cell.right, cell.bottom};
    FillRect(dc, &rect, GetSysColorBrush(COLOR_WINDOW));
    FrameRect(dc, &rect, GetSysColorBrush(COLOR_BTNSHADOW));
    const std::wstring text = symbolText(index);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }
}

}  // namespace pendrix::wordhost

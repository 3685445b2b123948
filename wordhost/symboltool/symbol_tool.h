#pragma once
// The symbol tool's window and its link to Word: a small topmost window with a grid
// of symbols; a click on one types it at Word's selection.

#include <windows.h>
#include <oaidl.h>

#include <cstddef>
#include <optional>
#include <string>

#include "win32/com.h"
#include "win32/handles.h"
#include "symbol_tool_core.h"

namespace pendrix::wordhost {

inline constexpr wchar_t kSymbolWindowClass[] = L"PendrixSymbolTool";
inline constexpr wchar_t kSymbolWindowCaption[] = L"Symbole";

class SymbolTool {
 public:
  SymbolTool() = default;
  SymbolTool(const SymbolTool&) = delete;
  SymbolTool& operator=(const SymbolTool&) = delete;
  ~SymbolTool();

  // Creates and shows the window. Closing it ends the message loop.
  bool createWindow(HINSTANCE instance);
  HWND window() const { return window_; }

  // Started by COM: closes the window unless a client creates the object in time,
  // so that a failed activation leaves no process behind.
  void expectClientWithin(UINT milliseconds);
  void noteClient() { hadClient_ = true; }

  // Word's application object; null lets go of it.
  void setApplication(IDispatch* application);
  // Types symbol `index` at Word's selection. A failing Word call is only logged.
  void typeSymbol(size_t index);

  void record(const std::u16string& line);
  std::u16string callLog() const { return log_.text(); }

 private:
  static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
  void paint();
  void drawSymbols(HDC dc) const;
  HRESULT typeIntoWord(const std::wstring& text);

  HWND window_ = nullptr;
  UniqueFont font_;
  ComPtr<IDispatch> application_;
  symbols::CallLog log_;
  std::optional<size_t> pressed_;
  bool hadClient_ = false;
  bool typing_ = false;  // a click while Word is being called waits for nobody: it is dropped
};

}  // namespace pendrix::wordhost

#pragma once
// The host's windows, found by class name as Word's are: the main window
// "OpusApp" with the command bars as a row of buttons, and the document window
// "_WwG" that draws the story, its fields and the selection.

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "win32/handles.h"
#include "wordhost/host_state.h"

namespace pendrix::wordhost {

inline constexpr wchar_t kMainWindowClass[] = L"OpusApp";
inline constexpr wchar_t kDocumentWindowClass[] = L"_WwG";

// The document's fonts, one per point size. Bounded: when it is full it starts
// afresh, after putting the stock font into the context it paints, because a font
// still selected in a context cannot be deleted (it would stay behind, lost).
class FontCache {
 public:
  static constexpr size_t kMaxFonts = 64;

  // The font for `size` points, to be selected into `dc`.
  HFONT fontFor(HDC dc, float size);
  size_t size() const { return fonts_.size(); }
  bool holds(HGDIOBJ font) const;

 private:
  std::vector<std::pair<int, UniqueFont>> fonts_;
};

class HostWindow {
 public:
  explicit HostWindow(std::shared_ptr<HostState> state);
  ~HostWindow();
  HostWindow(const HostWindow&) = delete;
  HostWindow& operator=(const HostWindow&) = delete;

  bool create(int show);
  HWND mainWindow() const { return main_; }
  HWND documentWindow() const { return document_; }
  // The windows are drawn anew once changes pause (see kRedrawPauseMs).
  void refresh();
  // Where the last paint drew a story position, in document window coordinates.
  std::optional<RECT> boxOf(size_t position) const;
  // Runs when the user or Quit closes the main window, before it is destroyed.
  std::function<void()> onClose;

 private:
  void redraw();
  struct Box {
    size_t position;
    RECT rect;
  };
  struct BarButton {
    int barId;
    int buttonId;
    RECT rect;
    std::wstring caption;
  };

  static LRESULT CALLBACK mainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK documentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT onMain(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT onDocument(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  std::vector<BarButton> barButtons() const;
  void paintBars(HDC dc);
  void paintDocument(HDC dc);
  size_t positionAt(POINT point) const;

  std::shared_ptr<HostState> state_;
  HWND main_ = nullptr;
  HWND document_ = nullptr;
  std::vector<Box> boxes_;  // from the last paint, for hit testing
  FontCache fonts_;
};

}  // namespace pendrix::wordhost

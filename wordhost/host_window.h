#pragma once
// The host's windows, found by class name as Word's are: the main window "OpusApp"
// and the document window "_WwG" that draws the story, its fields and the selection.
// Word 2003's main window shows the command bars as a row of buttons; a ribbon-era
// Word's shows a row of tabs ("Start", "Add-Ins" with the add-ins' bars, then each
// add-in's tab) over the chosen tab's groups, whose buttons carry the add-in's
// pictures and screen tips.

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

  // The font for `size` points, to be selected into `dc` (null: made, not selected).
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
  // Where the ribbon button with that id is, in main window coordinates, while its tab shows.
  std::optional<RECT> ribbonButtonRect(const std::u16string& id) const;
  // Runs when the user or Quit closes the main window, before it is destroyed.
  std::function<void()> onClose;

 private:
  void redraw();
  struct Box {
    size_t position;
    RECT rect;
  };
  // A part of the band above the document: a tab, a group's name, a command-bar
  // button or a ribbon button.
  struct BandItem {
    enum class Kind { Tab, GroupName, BarButton, RibbonButton } kind;
    RECT rect;
    std::wstring text;
    std::wstring tip;
    int barId = 0;
    int buttonId = 0;
    std::u16string ribbonId;
    bool large = false;
    bool selected = false;
    IDispatch* picture = nullptr;  // held by the host state's ribbon
  };

  static LRESULT CALLBACK mainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK documentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT onMain(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT onDocument(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  int bandHeight() const;
  std::vector<BandItem> bandItems() const;
  void barRow(std::vector<BandItem>& items, int top) const;
  void ribbonGroups(std::vector<BandItem>& items, const std::wstring& tab) const;
  std::wstring shownTab() const;
  void onBandClick(POINT point);
  void paintBand(HDC dc);
  void updateTips(const std::vector<BandItem>& items);
  void paintDocument(HDC dc);
  size_t positionAt(POINT point) const;

  std::shared_ptr<HostState> state_;
  HWND main_ = nullptr;
  HWND document_ = nullptr;
  std::vector<Box> boxes_;  // from the last paint, for hit testing
  FontCache fonts_;
  std::wstring chosenTab_;  // the tab the user clicked; empty: the host's choice
  HWND tooltip_ = nullptr;
  std::vector<std::pair<RECT, std::wstring>> tips_;  // the tooltip's tools, as last set
};

}  // namespace pendrix::wordhost

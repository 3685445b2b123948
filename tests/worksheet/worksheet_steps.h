#pragma once
// What the worksheet test and its benchmark do as the user does: keys to whatever has
// the focus in the assistant, the area picked from its popup, the item "Arbeitsblatt …"
// chosen, the dialog filled, and the stand-in's document read back.

#include <regex>
#include <string>
#include <vector>

#include "assistant/assistant_fixture.h"
#include "chain.h"

namespace pendrix::testing {

inline constexpr wchar_t kWorksheetCaption[] = L"Arbeitsblatt";
// "Lineare Gleichungen", the fifth of the shipped areas in the sorted menu.
inline constexpr int kLinearArea = 4;
inline constexpr int kLinearExercises = 15;

// Without a window manager (Xvfb) Wine's X11 driver waits up to two seconds for one to
// take down every closing dialog; drawing the frames and captions of these programs'
// windows itself, as Windows does, it closes them at once, and the pictures show the
// frames. Set before the programs start.
inline constexpr const wchar_t* kSelfFramedPrograms[] = {
    L"Software\\Wine\\AppDefaults\\Pendrix.exe\\X11 Driver", L"Software\\Wine\\AppDefaults\\wordhost.exe\\X11 Driver"};

inline void drawOwnFrames(bool on) {
  for (const wchar_t* key : kSelfFramedPrograms) {
    if (on) RegSetKeyValueW(HKEY_CURRENT_USER, key, L"Managed", REG_SZ, L"N", 2 * sizeof(wchar_t));
    else RegDeleteKeyValueW(HKEY_CURRENT_USER, key, L"Managed");
  }
}

// The whole chain with both programs drawing their own frames, for the suite's time.
class SelfFramedChainSuite : public ChainSuite {
 protected:
  static void SetUpTestSuite() {
    drawOwnFrames(true);
    ChainSuite::SetUpTestSuite();
  }
  static void TearDownTestSuite() {
    ChainSuite::TearDownTestSuite();
    drawOwnFrames(false);
  }
};

// A key to the window that has the keyboard focus in `window`'s thread, as the
// keyboard puts it there.
inline void pressKeyInFocus(HWND window, WPARAM key) {
  HWND target = focusOf(window);
  if (!target) target = window;
  PostMessageW(target, WM_KEYDOWN, key, 1);
  PostMessageW(target, WM_KEYUP, key, 0xC0000001);
}

inline void typeText(HWND window, const std::wstring& text) {
  const HWND target = focusOf(window);
  for (const wchar_t c : text) PostMessageW(target ? target : window, WM_CHAR, c, 1);
}

inline DWORD processOfWindow(HWND window) {
  DWORD id = 0;
  GetWindowThreadProcessId(window, &id);
  return id;
}

inline HWND popupOf(DWORD processId) { return findTopWindow({processId, L"#32768"}); }

inline void pressMenuKeys(HWND popup, std::initializer_list<WPARAM> keys) {
  for (const WPARAM key : keys) {
    PostMessageW(popup, WM_KEYDOWN, key, 1);
    PostMessageW(popup, WM_KEYUP, key, 0xC0000001);
  }
}

// "Aufgabe", the area `area` by keys, then the exercise popup that opens at once;
// returns it open (or null).
inline HWND openExercisePopup(HWND dialog, int area) {
  const DWORD id = processOfWindow(dialog);
  movePointerTo({0, 0});  // a popup opening under the pointer would take its item as the start
  PostMessageW(GetDlgItem(dialog, IDC_EXERCISE_FILE), BM_CLICK, 0, 0);
  HWND popup = nullptr;
  if (!waitUntil([&] { return (popup = popupOf(id)) != nullptr; })) return nullptr;
  for (int n = 0; n <= area; ++n) pressMenuKeys(popup, {VK_DOWN});
  pressMenuKeys(popup, {VK_RETURN});
  HWND exercises = nullptr;
  waitUntil([&] { return (exercises = popupOf(id)) != nullptr && exercises != popup; });
  return exercises;
}

inline HWND waitForWorksheetDialog(DWORD processId) {
  HWND found = nullptr;
  waitUntil([&] { return (found = findTopWindow({processId, L"#32770", kWorksheetCaption})) != nullptr && IsWindowVisible(found); });
  return found;
}

// Tab to the next control; true once it has the focus.
inline bool tabTo(HWND dialog, int id) {
  pressKeyInFocus(dialog, VK_TAB);
  return waitUntil([&] { return focusOf(dialog) == GetDlgItem(dialog, id); });
}

// Types over the number box that has the focus; true once it shows `text`.
inline bool typeNumber(HWND dialog, int id, const std::wstring& text) {
  typeText(dialog, text);
  return waitUntil([&] { return windowText(GetDlgItem(dialog, id)) == text; });
}

// The paragraphs of the stand-in's decoded dump, as UTF-8, field marks and page
// breaks included.
inline std::vector<std::string> paragraphsOf(const std::string& dump) {
  std::vector<std::string> out;
  const std::regex paragraph(R"re(\{"start":\d+,"characters":\[(.*?)\]\})re");
  const std::regex character(R"re("char":"([^"]*)")re");
  for (auto p = std::sregex_iterator(dump.begin(), dump.end(), paragraph); p != std::sregex_iterator(); ++p) {
    const std::string inner = (*p)[1].str();
    std::string text;
    for (auto c = std::sregex_iterator(inner.begin(), inner.end(), character); c != std::sregex_iterator(); ++c)
      text += (*c)[1].str();
    out.push_back(text);
  }
  return out;
}

// The stand-in's counts of the document's fields and of open custom undo records.
inline long fieldCount(IDispatch* word) {
  ComPtr<IDispatch> document = wordhost::testing::get(word, pendrix::word::kDispidActiveDocument);
  ComPtr<IDispatch> fields = wordhost::testing::get(document.get(), pendrix::word::kDispidDocumentFields);
  CallResult r = invoke(fields.get(), pendrix::word::kDispidFieldsCount, DISPATCH_PROPERTYGET);
  return r.value.get()->vt == VT_I4 ? r.value.get()->lVal : -1;
}

inline long openUndoRecords(IDispatch* word) {
  ComPtr<IDispatch> undo = wordhost::testing::get(word, pendrix::word::kDispidUndoRecord);
  CallResult r = invoke(undo.get(), pendrix::word::kDispidCustomRecordLevel, DISPATCH_PROPERTYGET);
  return r.value.get()->vt == VT_I4 ? r.value.get()->lVal : -1;
}

// Waits until the document holds `fields` fields and no undo record is open: the
// sheet is written.
inline bool waitForSheet(IDispatch* word, long fields, std::chrono::milliseconds timeout = std::chrono::seconds(60)) {
  return waitUntil([&] { return fieldCount(word) >= fields && openUndoRecords(word) == 0; }, timeout);
}

}  // namespace pendrix::testing

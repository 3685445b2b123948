#pragma once
// What the end-to-end tests of Pendrix.exe share: the Word stand-in in a process of
// its own, an assistant started through COM as the add-in starts it, and the
// program's settings file beside it.

#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <filesystem>

#include "win32/office_interfaces.h"
#include "dispatch_helpers.h"
#include "resources/resource.h"
#include "support/document_dump.h"
#include "support/process_win32.h"
#include "support/window_picture.h"
#include "win32/assistant_dispids.h"
#include "win32/class_ids.h"

namespace pendrix::testing {

using wordhost::testing::CallResult;
using wordhost::testing::invoke;
using wordhost::testing::str;
using wordhost::testing::text;
namespace a = pendrix::assistant_dispid;
namespace w = pendrix::word;

inline constexpr DWORD kAllContexts = 23;  // in-process, handler, local and remote server, as Word's add-in asks

inline std::wstring pictureDirectory() { return winePath(SCREENSHOT_DIR); }

// The settings file beside the program in the build tree, which serves as its
// install directory.
inline std::wstring settingsFilePath() {
  const std::wstring program = winePath(PENDRIX_EXE);
  return program.substr(0, program.rfind(L'\\')) + L"\\Einstellung\\WordZomb.ini";
}

// Default settings with the list separator decided, so no start asks about it.
inline void resetSettingsFile() {
  DeleteFileW(settingsFilePath().c_str());
  WritePrivateProfileStringW(L"EINSTELLUNGEN", L"Strichpunkt", L";", settingsFilePath().c_str());
}

// The assistant's tooltip windows; a tip made for a button is owned by the dialog
// as well, a popup's owner being a top-level window.
inline int tooltipsOf(HWND dialog) {
  struct Search {
    HWND dialog;
    DWORD processId = 0;
    int tooltips = 0;
  } search{dialog};
  GetWindowThreadProcessId(dialog, &search.processId);
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        auto& s = *reinterpret_cast<Search*>(data);
        DWORD owner = 0;
        wchar_t name[64] = {};
        GetWindowThreadProcessId(window, &owner);
        if (owner == s.processId && GetClassNameW(window, name, 64) && lstrcmpiW(name, TOOLTIPS_CLASSW) == 0 &&
            GetWindow(window, GW_OWNER) == s.dialog)
          ++s.tooltips;
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.tooltips;
}

// The field codes of a dump, each without the blanks Word may keep around it, each
// followed by "|".
inline std::string trimmedFieldCodes(const std::string& dump) {
  std::string out, code;
  for (const char c : fieldCodes(dump)) {
    if (c != '|') {
      code += c;
      continue;
    }
    const size_t begin = code.find_first_not_of(' ');
    out += (begin == std::string::npos ? "" : code.substr(begin, code.find_last_not_of(' ') - begin + 1)) + "|";
    code.clear();
  }
  return out;
}

inline bool saveScreenPicture(const std::wstring& file) { return saveWindowPicture(GetDesktopWindow(), file); }

// The LocalServer32 value of the assistant's class, or "" when there is none.
inline std::wstring registeredServer() {
  const std::wstring key = L"CLSID\\" + std::wstring(reinterpret_cast<const wchar_t*>(kAssistantAppKey)) +
                           L"\\LocalServer32";
  wchar_t value[1024] = {};
  DWORD bytes = sizeof value;
  if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value, &bytes) != ERROR_SUCCESS)
    return L"";
  return value;
}

inline void setRegisteredServer(const std::wstring& path) {
  const std::wstring key = L"CLSID\\" + std::wstring(reinterpret_cast<const wchar_t*>(kAssistantAppKey)) +
                           L"\\LocalServer32";
  RegSetKeyValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, REG_SZ, path.c_str(),
                  static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t)));
}

inline std::wstring shortPath(const std::wstring& path) {
  wchar_t out[MAX_PATH] = {};
  return GetShortPathNameW(path.c_str(), out, MAX_PATH) ? out : path;
}

// The stand-in Word, one process for the whole suite.
class Word {
 public:
  // Without the add-ins unless asked: most tests play the add-in themselves.
  void start(bool withAddins = false) {
    bars_ = std::filesystem::temp_directory_path() / ("assistant-test-bars-" + std::to_string(GetCurrentProcessId()));
    process_ = startProcess(winePath(WORDHOST_EXE),
                            std::wstring(withAddins ? L"" : L"--no-addins ") + L"--bars \"" + bars_.wstring() + L"\"");
    ASSERT_TRUE(process_);
    ASSERT_TRUE(waitUntil([&] {
      ComPtr<IUnknown> unknown;
      if (FAILED(GetActiveObject(w::kClsidApplication, nullptr, unknown.put()))) return false;
      return SUCCEEDED(unknown->QueryInterface(IID_IDispatch, app_.putVoid()));
    })) << "wordhost did not register Word.Application";
    main_ = findTopWindow({GetProcessId(process_.get()), L"OpusApp"});
    ASSERT_NE(main_, nullptr);
  }
  void stop() {
    if (!app_) return;
    invoke(app_.get(), L"Quit", DISPATCH_METHOD);
    app_.reset();
    EXPECT_EQ(waitForExit(process_.get()), 0);
    std::error_code ec;
    std::filesystem::remove(bars_, ec);
  }

  // Word gone as when it crashes: no shutdown, no reference given back.
  void kill() {
    TerminateProcess(process_.get(), 1);
    WaitForSingleObject(process_.get(), 15000);
    app_.reset();
    std::error_code ec;
    std::filesystem::remove(bars_, ec);
  }

  IDispatch* app() const { return app_.get(); }
  HANDLE process() const { return process_.get(); }
  DWORD processId() const { return GetProcessId(process_.get()); }
  HWND mainWindow() const { return main_; }
  HWND documentWindow() const { return FindWindowExW(main_, nullptr, L"_WwG", nullptr); }

  // A fresh document: "Aufgabe:  Ende" with the insertion point between the blanks.
  void newDocument() {
    call(L"ClearDocument");
    call(L"InsertText", L"Aufgabe:  Ende");
    std::vector<Variant> at;
    at.push_back(Variant::fromI4(9));
    at.push_back(Variant::fromI4(9));
    ASSERT_EQ(invoke(app(), L"SetSelection", DISPATCH_METHOD, std::move(at)).hr, S_OK);
    call(L"ClearCallLog");
  }
  HRESULT call(const wchar_t* member, const wchar_t* argument = nullptr) {
    std::vector<Variant> args;
    if (argument) args.push_back(str(argument));
    return invoke(app(), member, DISPATCH_METHOD, std::move(args)).hr;
  }
  void fail(const wchar_t* member, HRESULT hr) {
    std::vector<Variant> args;
    args.push_back(str(member));
    args.push_back(Variant::fromI4(hr));
    ASSERT_EQ(invoke(app(), L"FailMember", DISPATCH_METHOD, std::move(args)).hr, S_OK);
  }
  // A counter of the stand-in (LiveObjects, ConnectedSinks), -1 when it cannot be read.
  long count(const wchar_t* member) {
    CallResult r = invoke(app(), member, DISPATCH_PROPERTYGET);
    return SUCCEEDED(r.hr) && r.value.get()->vt == VT_I4 ? r.value.get()->lVal : -1;
  }
  std::string dump() { return decoded(utf8(text(invoke(app(), L"DocumentDump", DISPATCH_METHOD)))); }
  std::string callLog() { return utf8(text(invoke(app(), L"CallLog", DISPATCH_METHOD))); }
  ComPtr<IDispatch> field(long index) {
    ComPtr<IDispatch> document = wordhost::testing::get(app(), w::kDispidActiveDocument);
    ComPtr<IDispatch> fields = wordhost::testing::get(document.get(), w::kDispidDocumentFields);
    std::vector<Variant> args;
    args.push_back(Variant::fromI4(index));
    CallResult r = invoke(fields.get(), w::kDispidFieldsItem, DISPATCH_METHOD, std::move(args));
    return r.object() ? ComPtr<IDispatch>(r.object()) : ComPtr<IDispatch>();
  }

 private:
  UniqueProcess process_;
  ComPtr<IDispatch> app_;
  HWND main_ = nullptr;
  std::filesystem::path bars_;
};

// One assistant process, created and handed Word as the add-in does.
class Assistant {
 public:
  // CoCreateInstance, OleRun, IDispatch; then 5, 2, 3, 4, 1 and, with a field, 6.
  void start(Word& word, IDispatch* field = nullptr) {
    ComPtr<IUnknown> unknown;
    ASSERT_EQ(CoCreateInstance(toClsid(kAssistantAppId), nullptr, kAllContexts, IID_IUnknown, unknown.putVoid()),
              S_OK);
    ASSERT_EQ(OleRun(unknown.get()), S_OK);
    ASSERT_EQ(unknown->QueryInterface(IID_IDispatch, object_.putVoid()), S_OK);
    ASSERT_EQ(method(a::kSetWordApplication, word.app()), S_OK);
    RECT document{};
    GetWindowRect(word.documentWindow(), &document);
    click_ = {document.left + 40, document.top + 12};
    ASSERT_EQ(put(a::kWordWindowHandle, static_cast<LONG>(reinterpret_cast<LONG_PTR>(word.mainWindow()))), S_OK);
    ASSERT_EQ(put(a::kCursorXPos, click_.x), S_OK);
    ASSERT_EQ(put(a::kCursorYPos, click_.y), S_OK);
    dialog_ = reinterpret_cast<HWND>(static_cast<LONG_PTR>(get(a::kWindowHandle)));
    ASSERT_TRUE(IsWindow(dialog_));
    DWORD id = 0;
    GetWindowThreadProcessId(dialog_, &id);
    process_ = UniqueProcess(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, id));
    processId_ = id;
    if (field) {
      ASSERT_EQ(method(a::kSetWordField, field), S_OK);
    }
    ASSERT_TRUE(waitUntil([&] { return IsWindowVisible(dialog_) != FALSE; }));
  }

  HRESULT method(DISPID id, IDispatch* argument) {
    std::vector<Variant> args;
    args.push_back(Variant::fromDispatch(argument));
    CallResult r = invoke(object_.get(), id, DISPATCH_METHOD, std::move(args));
    if (SUCCEEDED(r.hr)) {
      EXPECT_EQ(r.value.get()->vt, VT_I4);
    }
    return r.hr;
  }
  HRESULT put(DISPID id, LONG value) {
    std::vector<Variant> args;
    args.push_back(Variant::fromI4(value));
    return invoke(object_.get(), id, DISPATCH_PROPERTYPUT, std::move(args)).hr;
  }
  LONG get(DISPID id) {
    CallResult r = invoke(object_.get(), id, DISPATCH_PROPERTYGET);
    EXPECT_EQ(r.hr, S_OK);
    return r.value.get()->vt == VT_I4 ? r.value.get()->lVal : 0;
  }
  void release() { object_.reset(); }
  // The last resort of a test that failed with a popup or a box still open: the
  // process this test started goes, so that nothing of it outlives the test.
  void endForSure() {
    if (!process_ || WaitForSingleObject(process_.get(), 0) == WAIT_OBJECT_0) return;
    PostMessageW(dialog_, WM_CANCELMODE, 0, 0);
    PostMessageW(control(IDCANCEL), BM_CLICK, 0, 0);
    release();
    if (waitForExit(process_.get(), 10000) == -1) TerminateProcess(process_.get(), 3);
  }

  HWND dialog() const { return dialog_; }
  HANDLE process() const { return process_.get(); }
  POINT clickPoint() const { return click_; }
  HWND control(int id) const { return GetDlgItem(dialog_, id); }
  std::wstring textOf(int id) const { return windowText(control(id)); }

  // Characters as the keyboard puts them into the key-input edit.
  void type(const std::wstring& keys) {
    for (const wchar_t c : keys)
      SendMessageTimeoutW(control(IDC_KEY_INPUT), WM_CHAR, c, 1, SMTO_NORMAL, 10000, nullptr);
  }
  // A click that may open a message box: posted, so the test stays free to answer it.
  void click(int id) { PostMessageW(control(id), BM_CLICK, 0, 0); }
  // A click whose command ends before this returns.
  void clickAndWait(int id) { SendMessageTimeoutW(control(id), BM_CLICK, 0, 0, SMTO_NORMAL, 20000, nullptr); }
  void pressEnter() {
    PostMessageW(control(IDC_KEY_INPUT), WM_KEYDOWN, VK_RETURN, 1);
    PostMessageW(control(IDC_KEY_INPUT), WM_KEYUP, VK_RETURN, 0xC0000001);
  }

  std::wstring answerMessageBox(const wchar_t* caption) { return testing::answerMessageBox(processId_, caption); }
  // A visible top-level window of the assistant (a popup menu, a message box, a
  // combo box's list), waited for.
  HWND waitForWindow(const wchar_t* className, const wchar_t* caption = nullptr) const {
    HWND found = nullptr;
    waitUntil([&] { return (found = findTopWindow({processId_, className, caption})) != nullptr; });
    return found;
  }
  bool waitUntilGone(HWND window) const { return waitUntil([&] { return !IsWindow(window) || !IsWindowVisible(window); }); }
  // The dialog in front, so that keys reach it.
  bool bringToFront() const {
    return waitUntil([&] {
      if (GetForegroundWindow() != dialog_) SetForegroundWindow(dialog_);
      return GetForegroundWindow() == dialog_;
    });
  }
  DWORD processId() const { return processId_; }
  long waitForEnd() { return waitForExit(process_.get()); }

 private:
  ComPtr<IDispatch> object_;
  HWND dialog_ = nullptr;
  UniqueProcess process_;
  DWORD processId_ = 0;
  POINT click_{};
};

// --- real input ---------------------------------------------------------------
// Keys and clicks as the keyboard and the mouse give them: a key goes to whatever
// window of the foreground program has the focus, a click to the window under the
// pointer. Nothing here names the control it means to reach.

inline INPUT keyEvent(WORD key, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC));
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  return input;
}

inline INPUT characterEvent(wchar_t c, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wScan = c;
  input.ki.dwFlags = KEYEVENTF_UNICODE | (up ? KEYEVENTF_KEYUP : 0);
  return input;
}

inline bool sendInputs(std::vector<INPUT> inputs) {
  return SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) == inputs.size();
}

// Each character as a key press of its own, whatever the keyboard layout.
inline bool typeKeys(const std::wstring& text) {
  std::vector<INPUT> inputs;
  for (const wchar_t c : text) {
    inputs.push_back(characterEvent(c, false));
    inputs.push_back(characterEvent(c, true));
  }
  return sendInputs(inputs);
}

inline bool pressKey(WORD key) { return sendInputs({keyEvent(key, false), keyEvent(key, true)}); }

// Alt held while `key` (a letter's virtual key, 'L') goes down and up.
inline bool pressAlt(WORD key) {
  return sendInputs({keyEvent(VK_MENU, false), keyEvent(key, false), keyEvent(key, true), keyEvent(VK_MENU, true)});
}

inline POINT centreOf(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

// The pointer moved as a mouse moves it, to `screen`: an absolute move through the
// input queue (a popup menu of another program may hold the mouse, which a
// SetCursorPos does not get past), checked on the display.
inline bool moveMouseTo(POINT screen) {
  const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
  return waitUntil([&] {
    for (const POINT p : {POINT{screen.x + 1, screen.y + 1}, screen}) {
      INPUT move{};
      move.type = INPUT_MOUSE;
      move.mi.dx = static_cast<LONG>((p.x * 65535LL + (width - 1) / 2) / (width - 1));
      move.mi.dy = static_cast<LONG>((p.y * 65535LL + (height - 1) / 2) / (height - 1));
      move.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
      SendInput(1, &move, sizeof move);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    POINT now{};
    return GetCursorPos(&now) && now.x == screen.x && now.y == screen.y;
  });
}

// `clicks` clicks of the left button where the pointer is, all in one go: two are a
// double click for Windows, whatever the machine's load.
inline bool clickHere(int clicks = 1) {
  std::vector<INPUT> inputs;
  for (int i = 0; i < clicks; ++i) {
    for (const DWORD flag : {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP}) {
      INPUT input{};
      input.type = INPUT_MOUSE;
      input.mi.dwFlags = flag;
      inputs.push_back(input);
    }
  }
  return sendInputs(inputs);
}

// The same at `screen`. (While a popup menu holds the mouse the pointer does not move:
// put it in place before the popup opens.)
inline bool clickAt(POINT screen, int clicks = 1) { return moveMouseTo(screen) && clickHere(clicks); }

// The decimal symbol of the prefix's locale, which the assistant shows without a
// DezimalZeichen of its own.
inline wchar_t localeDecimalSymbol() {
  wchar_t symbol[4] = {};
  return GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, symbol, 4) > 1 ? symbol[0] : L'.';
}

// The focus window of the thread that owns `window`.
inline HWND focusOf(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus : nullptr;
}

// The stand-in Word of the whole run.
inline Word& standInWord() {
  static Word instance;
  return instance;
}

}  // namespace pendrix::testing

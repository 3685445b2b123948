// The whole chain from the registry alone: wordhost.exe finds the add-in in Word's
// add-in key, loads Tarnel, the bar appears (with its hint in Word 2003, with the
// add-in's ribbon tab in a ribbon-era Word), the buttons start the test assistant and
// the symbol tool with Word's window as their owner; a second start reuses the bar
// silently, a start whose bars Word forgot shows no hint again, and unloading the
// add-in takes the bar and the tab away.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <regex>
#include <string>
#include <thread>

#include "addin_fixture.h"
#include "first_start_hint.h"
#include "win32/office_interfaces.h"
#include "resources/resource.h"
#include "support/process_win32.h"
#include "support/running_word.h"
#include "support/window_picture.h"
#include "win32/com.h"
#include "win32/late_binding.h"

namespace pendrix::addin::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;
using ::testing::StartsWith;
using UniqueProcess = UniqueHandle<HANDLE, CloseHandle>;

struct Host {
  UniqueProcess process;
  DWORD processId = 0;
  ComPtr<IDispatch> app;

  // A test that failed before quitting Word leaves no Word for the next one.
  ~Host() {
    app.reset();
    if (process && WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT) {
      TerminateProcess(process.get(), 1);
      WaitForSingleObject(process.get(), 5000);
    }
  }
};

// Which Word the stand-in plays.
struct Mode {
  const char* name;
  const wchar_t* option;
  bool ribbon;
};
void PrintTo(const Mode& mode, std::ostream* out) { *out << mode.name; }
constexpr Mode kMenus = {"menus", L"--menus", false};
constexpr Mode kRibbon = {"ribbon", L"--ribbon", true};

void startHost(const std::wstring& bars, Host& host, const Mode& mode = kMenus) {
  std::wstring command = L"\"" + winePath(WORDHOST_EXE) + L"\" " + mode.option + L" --bars \"" + bars + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
      << GetLastError();
  host.process = UniqueProcess(info.hProcess);
  host.processId = info.dwProcessId;
  CloseHandle(info.hThread);
  for (int i = 0; i < 150 && !host.app; ++i) {
    if (WaitForSingleObject(host.process.get(), 100) == WAIT_OBJECT_0) break;
    host.app = pendrix::testing::runningWord();
  }
  ASSERT_TRUE(host.app) << "wordhost did not register Word.Application";
}

void quitHost(Host& host) {
  Variant ignored;
  EXPECT_EQ(invokeByName(host.app.get(), L"Quit", DISPATCH_METHOD, nullptr, 0, &ignored), S_OK);
  host.app.reset();
  ASSERT_EQ(WaitForSingleObject(host.process.get(), 20000), WAIT_OBJECT_0) << "wordhost did not end after Quit";
  DWORD exitCode = 1;
  GetExitCodeProcess(host.process.get(), &exitCode);
  EXPECT_EQ(exitCode, 0u);
}

long intCall(IDispatch* app, const wchar_t* name, std::vector<Variant> args = {}) {
  Variant result;
  if (FAILED(invokeByName(app, name, DISPATCH_METHOD | DISPATCH_PROPERTYGET, args, &result))) return -1;
  if (FAILED(VariantChangeType(result.get(), result.get(), 0, VT_I4))) return -1;
  return result.get()->lVal;
}

std::string dumpOf(IDispatch* app) {
  Bstr text;
  Variant result;
  if (FAILED(invokeByName(app, L"DocumentDump", DISPATCH_METHOD, nullptr, 0, &result)) || result.get()->vt != VT_BSTR)
    return {};
  const std::wstring wide(result.get()->bstrVal, SysStringLen(result.get()->bstrVal));
  return std::string(wide.begin(), wide.end());  // the dump escapes everything beyond ASCII
}

// The add-in has built its bar and connected its three sinks.
bool waitUntilConnected(IDispatch* app) {
  for (int i = 0; i < 200; ++i) {
    if (intCall(app, L"ConnectedSinks") == 3) return true;
    Sleep(50);
  }
  return false;
}

struct WindowSearch {
  DWORD processId;  // 0: any process
  const wchar_t* className;
  const wchar_t* caption;
  HWND found;
};

BOOL CALLBACK matchWindow(HWND window, LPARAM param) {
  auto* s = reinterpret_cast<WindowSearch*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  wchar_t text[128] = {};
  if (s->processId && owner != s->processId) return TRUE;
  if (s->className && (GetClassNameW(window, text, 128), lstrcmpW(text, s->className) != 0)) return TRUE;
  if (s->caption && (GetWindowTextW(window, text, 128), lstrcmpW(text, s->caption) != 0)) return TRUE;
  s->found = window;
  return FALSE;
}

// A top-level window of another process, by class or caption.
HWND windowOf(DWORD processId, const wchar_t* className, const wchar_t* caption = nullptr) {
  WindowSearch search{processId, className, caption, nullptr};
  EnumWindows(matchWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND waitForWindow(DWORD processId, const wchar_t* className, const wchar_t* caption = nullptr) {
  for (int i = 0; i < 200; ++i) {
    if (const HWND found = windowOf(processId, className, caption)) return found;
    Sleep(50);
  }
  return nullptr;
}

std::wstring asInteger(HWND window) { return std::to_wstring(static_cast<LONG>(reinterpret_cast<LONG_PTR>(window))); }

class AddinInWordhost : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_FALSE) << "the apartment of the test program";
    ASSERT_FALSE(pendrix::testing::runningWord()) << "another Word stand-in is already running";
    ASSERT_EQ(Tarnel::call("DllRegisterServer"), S_OK);
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kFirstStartHintKey, kFirstStartHintValue);  // a user new to the add-in
    log_ = uniqueTempFile(L"asp");
    bars_ = uniqueTempFile(L"bar");
    DeleteFileW(bars_.c_str());  // Word has never kept a bar
    registerAssistantStub(log_);
    registerSymbolTool();
  }
  void TearDown() override {
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kFirstStartHintKey, kFirstStartHintValue);
    Tarnel::call("DllUnregisterServer");
    unregisterCompanions();
    DeleteFileW(log_.c_str());
    DeleteFileW(bars_.c_str());
    CoUninitialize();
  }

  std::wstring log_;
  std::wstring bars_;
};

// The stand-in as Word 2003 and as a ribbon-era Word.
class AddinInEitherWord : public AddinInWordhost, public ::testing::WithParamInterface<Mode> {
 protected:
  // A user's click on the add-in's "ZombTerm" or "ZbGlyphor": on the bar in Word 2003,
  // on the add-in's tab in a ribbon-era Word.
  void press(IDispatch* app, const wchar_t* button) {
    if (!GetParam().ribbon) {
      EXPECT_EQ(intCall(app, L"ClickControl", argList(Variant::fromString(button))), 1);
      return;
    }
    Variant ignored;
    EXPECT_EQ(invokeByName(app, L"ClickRibbonControl", DISPATCH_METHOD, argList(Variant::fromString(button)), &ignored),
              S_OK);
  }
  std::wstring picture(const wchar_t* name) const {
    return winePath(PICTURE_DIR) + L"\\" + name + (GetParam().ribbon ? L"-ribbon" : L"") +
           (sizeof(void*) == 8 ? L"" : L"-32") + L".bmp";
  }
};

TEST_P(AddinInEitherWord, FirstStartBuildsTheBarWhoseButtonsStartTheCompanionsOwnedByWord) {
  const bool ribbon = GetParam().ribbon;
  Host host;
  std::optional<InfoBoxWatcher> hints;
  hints.emplace(0);  // replaced as soon as the host's process id is known
  startHost(bars_, host, GetParam());
  if (HasFatalFailure()) return;
  hints.emplace(host.processId);
  if (!ribbon) {
    ASSERT_TRUE(hints->waitFor(1, 15000)) << "no hint on the first start";
    EXPECT_EQ(hints->texts()[0], kHintText);
  }
  ASSERT_TRUE(waitUntilConnected(host.app.get()));
  const std::string dump = dumpOf(host.app.get());
  EXPECT_THAT(dump, HasSubstr(kFullBarDump)) << "the bar, in Word 2003 and on the ribbon's Add-Ins tab";
  if (ribbon) {
    EXPECT_THAT(dump, HasSubstr(R"("tabs":[{"id":"PendrixTab","label":"Pendrix","groups":[{"id":"PendrixFormeln",)"));
    EXPECT_THAT(dump, HasSubstr(R"("onAction":"OnZombTerm","picture":"32x32"})"));
    EXPECT_THAT(dump, HasSubstr(R"("onAction":"OnZbGlyphor","picture":"16x16"})"));
    EXPECT_FALSE(hints->waitFor(1, 1500)) << "the hint came over a ribbon";
  } else {
    EXPECT_THAT(dump, HasSubstr(R"("ribbon":[])")) << "Word 2003 asked for a ribbon";
  }
  const HWND word = windowOf(host.processId, L"OpusApp");
  ASSERT_NE(word, nullptr);
  // The pointer in a corner: no screen tip stands in the pictures.
  pendrix::testing::movePointerTo({GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1});
  if (ribbon) EXPECT_TRUE(pendrix::testing::saveWindowPicture(word, picture(L"addin-word-with-tab")));

  // The term button: the assistant gets Word, Word's window, the cursor, in order.
  press(host.app.get(), L"ZombTerm");
  std::vector<DWORD> assistants = stubProcesses(log_);
  ASSERT_EQ(assistants.size(), 1u);
  const HeldProcess firstAssistant = holdProcess(assistants[0]);
  ASSERT_TRUE(firstAssistant) << "the first assistant is gone";
  EXPECT_THAT(callsOf(log_, assistants[0]),
              ElementsAre(L"Started", L"SetWordApplication name=Microsoft Word", L"WordWindowHandle=" + asInteger(word),
                          StartsWith(L"CursorXPos="), StartsWith(L"CursorYPos="), L"WindowHandle"));
  const HWND first = waitForWindow(assistants[0], L"PendrixAssistantStub");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(GetWindow(first, GW_OWNER), word);
  // The screen: Word's window with its bar or tab, the assistant over it.
  EXPECT_TRUE(pendrix::testing::saveWindowPicture(GetDesktopWindow(), picture(L"addin-assistant-over-host")));

  // A second click replaces the first assistant, whose process ends.
  press(host.app.get(), L"ZombTerm");
  assistants = stubProcesses(log_);
  ASSERT_EQ(assistants.size(), 2u);
  EXPECT_NE(assistants[1], assistants[0]);
  const HeldProcess secondAssistant = holdProcess(assistants[1]);
  EXPECT_TRUE(processEnds(firstAssistant, 15000)) << "the first assistant was not let go";
  EXPECT_EQ(callsOf(log_, assistants[0]).back(), L"Released");

  // The symbol button: the symbol tool's window, owned by Word's.
  press(host.app.get(), L"ZbGlyphor");
  const HWND symbols = waitForWindow(0, nullptr, L"Symbole");
  ASSERT_NE(symbols, nullptr);
  EXPECT_EQ(GetWindow(symbols, GW_OWNER), word);
  DWORD symbolId = 0;
  GetWindowThreadProcessId(symbols, &symbolId);
  const HeldProcess symbolProcess = holdProcess(symbolId);

  quitHost(host);
  EXPECT_TRUE(processEnds(secondAssistant, 15000)) << "closing Word lets go of the assistant";
  EXPECT_TRUE(processEnds(symbolProcess, 15000)) << "closing Word lets go of the symbol tool";
  EXPECT_EQ(hints->texts().size(), ribbon ? 0u : 1u) << "the hint came once, and only without a ribbon";
}

TEST_P(AddinInEitherWord, SecondStartReusesTheBarSilentlyAndUnloadingTakesItAway) {
  {
    // The first start, only to have Word keep the bar.
    Host host;
    startHost(bars_, host, GetParam());
    if (HasFatalFailure()) return;
    InfoBoxWatcher hints(host.processId);
    if (!GetParam().ribbon) ASSERT_TRUE(hints.waitFor(1, 15000));
    ASSERT_TRUE(waitUntilConnected(host.app.get()));
    quitHost(host);
  }
  Host host;
  startHost(bars_, host, GetParam());
  if (HasFatalFailure()) return;
  InfoBoxWatcher hints(host.processId);
  ASSERT_TRUE(waitUntilConnected(host.app.get()));
  EXPECT_THAT(dumpOf(host.app.get()), HasSubstr(kFullBarDump)) << "one bar, each button once";
  EXPECT_FALSE(hints.waitFor(1, 1000)) << "the hint came again";

  Variant ignored;
  EXPECT_EQ(invokeByName(host.app.get(), L"UnloadAddin", DISPATCH_METHOD, argList(Variant::fromString(kProgId)), &ignored),
            S_OK);
  EXPECT_THAT(dumpOf(host.app.get()), HasSubstr(R"("commandBars":[],"ribbon":[])")) << "the bar and the tab went";
  EXPECT_EQ(intCall(host.app.get(), L"ConnectedSinks"), 0);
  quitHost(host);
}

INSTANTIATE_TEST_SUITE_P(Words, AddinInEitherWord, ::testing::Values(kMenus, kRibbon),
                         [](const ::testing::TestParamInfo<Mode>& info) { return std::string(info.param.name); });

// A school network resets Word's template at every logon: the bar is new at the next
// start, but the user has seen the hint and is not asked again.
TEST_F(AddinInWordhost, TheHintComesOncePerUserWhenWordForgetsItsBars) {
  {
    Host host;
    startHost(bars_, host);
    if (HasFatalFailure()) return;
    InfoBoxWatcher hints(host.processId);
    ASSERT_TRUE(hints.waitFor(1, 15000)) << "no hint on the first start";
    ASSERT_TRUE(waitUntilConnected(host.app.get()));
    quitHost(host);
  }
  ASSERT_TRUE(DeleteFileW(bars_.c_str())) << "Word kept no bars";
  Host host;
  startHost(bars_, host);
  if (HasFatalFailure()) return;
  InfoBoxWatcher hints(host.processId);
  ASSERT_TRUE(waitUntilConnected(host.app.get()));
  EXPECT_THAT(dumpOf(host.app.get()), HasSubstr(kFullBarDump)) << "the bar is built anew";
  EXPECT_FALSE(hints.waitFor(1, 1500)) << "the hint came again";
  quitHost(host);
}

#ifdef PENDRIX_EXE
// The real assistant beside the add-in's build: its settings decide the list
// separator already, so no question blocks its start.
std::wstring assistantSettings() {
  const std::wstring program = winePath(PENDRIX_EXE);
  return program.substr(0, program.rfind(L'\\')) + L"\\Einstellung\\WordZomb.ini";
}

void prepareAssistantSettings() {
  const std::wstring settings = assistantSettings();
  DeleteFileW(settings.c_str());
  WritePrivateProfileStringW(L"EINSTELLUNGEN", L"Strichpunkt", L";", settings.c_str());
}

void registerRealAssistant() {
  const std::wstring program = winePath(PENDRIX_EXE);
  wchar_t shortForm[MAX_PATH] = {};
  const std::wstring server = GetShortPathNameW(program.c_str(), shortForm, MAX_PATH) ? shortForm : program;
  writeText(HKEY_CLASSES_ROOT, classKey(kAssistantAppKey) + L"\\LocalServer32", nullptr, server);
}

// The assistant's dialog of a process other than `notOf`, once it shows.
HWND waitForAssistant(DWORD notOf) {
  for (int i = 0; i < 300; ++i) {
    const HWND dialog = windowOf(0, L"#32770", L" Calvora");
    DWORD owner = 0;
    if (dialog) GetWindowThreadProcessId(dialog, &owner);
    if (dialog && owner != notOf && IsWindowVisible(dialog)) return dialog;
    Sleep(50);
  }
  return nullptr;
}

UniqueProcess processOf(HWND window) {
  DWORD id = 0;
  GetWindowThreadProcessId(window, &id);
  return UniqueProcess(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, id));
}

// Keys as the keyboard puts them into the key-input edit, then OK.
void typeAndConfirm(HWND dialog, const std::wstring& keys) {
  const HWND input = GetDlgItem(dialog, IDC_KEY_INPUT);
  ASSERT_NE(input, nullptr);
  for (const wchar_t c : keys) SendMessageTimeoutW(input, WM_CHAR, c, 1, SMTO_NORMAL, 10000, nullptr);
  PostMessageW(GetDlgItem(dialog, IDC_OK), BM_CLICK, 0, 0);
}

// The only field of a dump: where it begins and its code, as the dump writes it.
struct DumpedField {
  size_t count = 0;
  std::string begin;
  std::string code;
};
DumpedField fieldOf(const std::string& dump) {
  const std::regex pattern(R"re("index":(\d+),"begin":(\d+),"end":\d+,"code":"([^"]*)")re");
  DumpedField field;
  for (auto it = std::sregex_iterator(dump.begin(), dump.end(), pattern); it != std::sregex_iterator(); ++it, ++field.count) {
    field.begin = (*it)[2].str();
    field.code = (*it)[3].str();
  }
  return field;
}

class AddinWithTheAssistant : public AddinInWordhost {
 protected:
  void SetUp() override {
    AddinInWordhost::SetUp();
    if (HasFatalFailure()) return;
    prepareAssistantSettings();
    registerRealAssistant();
  }
};

// Word's add-in key, the add-in's and the assistant's class registrations are all
// there is: the term button opens the assistant over Word, OK writes the formula as
// a field, a double click on that field reopens it, and OK replaces the code in place.
TEST_F(AddinWithTheAssistant, TheTermButtonWritesAFieldAndADoubleClickEditsItInPlace) {
  Host host;
  startHost(bars_, host);
  if (HasFatalFailure()) return;
  InfoBoxWatcher hints(host.processId);  // answers the first start's hint
  ASSERT_TRUE(waitUntilConnected(host.app.get()));
  EXPECT_THAT(dumpOf(host.app.get()), HasSubstr(kFullBarDump));
  const HWND word = windowOf(host.processId, L"OpusApp");
  ASSERT_NE(word, nullptr);

  EXPECT_EQ(intCall(host.app.get(), L"ClickControl", argList(Variant::fromString(L"ZombTerm"))), 1);
  const HWND first = waitForAssistant(host.processId);
  ASSERT_NE(first, nullptr) << "the term button opened no assistant";
  EXPECT_EQ(GetWindow(first, GW_OWNER), word);
  UniqueProcess firstProcess = processOf(first);
  typeAndConfirm(first, L"x^2+1");
  ASSERT_EQ(WaitForSingleObject(firstProcess.get(), 20000), WAIT_OBJECT_0) << "OK did not end the assistant";
  const DumpedField written = fieldOf(dumpOf(host.app.get()));
  ASSERT_EQ(written.count, 1u) << dumpOf(host.app.get());
  EXPECT_THAT(written.code, HasSubstr(R"(EQ x\u005cs\u005cup5(2)+1)"));

  // A double click on the field: Word's own action is cancelled and the assistant
  // opens with the field's formula, to which "+2" is added.
  Variant cancelled;
  ASSERT_EQ(invokeByName(host.app.get(), L"DoubleClickField", DISPATCH_METHOD, argList(Variant::fromI4(1)), &cancelled),
            S_OK);
  EXPECT_EQ(cancelled.get()->vt, VT_BOOL);
  EXPECT_EQ(cancelled.get()->boolVal, VARIANT_TRUE) << "Word's own double click was not cancelled";
  const HWND second = waitForAssistant(host.processId);
  ASSERT_NE(second, nullptr) << "the double click opened no assistant";
  EXPECT_EQ(GetWindow(second, GW_OWNER), word);
  UniqueProcess secondProcess = processOf(second);
  EXPECT_NE(GetProcessId(secondProcess.get()), GetProcessId(firstProcess.get()));
  EXPECT_TRUE(pendrix::testing::saveWindowPicture(GetDesktopWindow(),
                                                  winePath(PICTURE_DIR) + L"\\addin-real-assistant-over-host.bmp"));
  typeAndConfirm(second, L"+2");
  ASSERT_EQ(WaitForSingleObject(secondProcess.get(), 20000), WAIT_OBJECT_0) << "OK did not end the assistant";
  const std::string dump = dumpOf(host.app.get());
  const DumpedField replaced = fieldOf(dump);
  ASSERT_EQ(replaced.count, 1u) << dump;
  // Word's closing blank of the code is not read into the formula: the keys follow
  // the formula directly, and editing a field again does not grow it.
  EXPECT_EQ(replaced.code, R"(EQ x\u005cs\u005cup5(2)+1+2)") << dump;
  EXPECT_EQ(replaced.begin, written.begin) << "the field moved: " << dump;

  quitHost(host);
}

// A first start asks about the list separator once its window is up and Word has made
// itself its owner. Once answered, the window is in front of Word, its key input holding
// the keyboard: the program was started by COM, not by Word, and must not leave the
// pupil typing into Word.
TEST_F(AddinWithTheAssistant, TheAssistantOpensInFrontOfWordAfterItsFirstStartQuestions) {
  DeleteFileW(assistantSettings().c_str());
  Host host;
  startHost(bars_, host);
  if (HasFatalFailure()) return;
  InfoBoxWatcher boxes(InfoBoxWatcher::kAnyProcess);  // Word's hint and the assistant's questions
  ASSERT_TRUE(waitUntilConnected(host.app.get()));
  const HWND word = windowOf(host.processId, L"OpusApp");
  ASSERT_NE(word, nullptr);
  SetForegroundWindow(word);  // the user works in Word

  EXPECT_EQ(intCall(host.app.get(), L"ClickControl", argList(Variant::fromString(L"ZombTerm"))), 1);
  const HWND dialog = waitForAssistant(host.processId);
  ASSERT_NE(dialog, nullptr) << "the term button opened no assistant";
  UniqueProcess process = processOf(dialog);
  EXPECT_TRUE(pendrix::testing::waitUntil([&] {
    const std::vector<std::wstring> texts = boxes.texts();
    return std::any_of(texts.begin(), texts.end(),
                       [](const std::wstring& text) { return text.find(L"Listentrennzeichen") != std::wstring::npos; });
  })) << "the first start asked nothing";
  EXPECT_TRUE(pendrix::testing::waitUntil([&] { return GetForegroundWindow() == dialog; }))
      << "in front: " << GetForegroundWindow() << ", the assistant " << dialog;
  GUITHREADINFO thread{sizeof thread};
  ASSERT_TRUE(GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &thread));
  EXPECT_EQ(thread.hwndFocus, GetDlgItem(dialog, IDC_KEY_INPUT));
  RECT rect{};
  GetWindowRect(dialog, &rect);
  const POINT middle{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
  const HWND uppermost = GetAncestor(WindowFromPoint(middle), GA_ROOT);
  wchar_t className[64] = {};
  GetClassNameW(uppermost, className, 64);
  RECT over{};
  GetWindowRect(uppermost, &over);
  EXPECT_EQ(uppermost, dialog) << "another window lies over the assistant: " << className << " " << over.left << ","
                               << over.top << "-" << over.right << "," << over.bottom << " over " << rect.left << ","
                               << rect.top << "-" << rect.right << "," << rect.bottom;
  EXPECT_TRUE(pendrix::testing::saveWindowPicture(GetDesktopWindow(),
                                                  winePath(PICTURE_DIR) + L"\\addin-first-start-in-front.bmp"));

  PostMessageW(GetDlgItem(dialog, IDC_CANCEL), BM_CLICK, 0, 0);
  EXPECT_TRUE(pendrix::testing::waitUntil([&] { return !IsWindowVisible(dialog); }));
  quitHost(host);
  EXPECT_EQ(WaitForSingleObject(process.get(), 20000), WAIT_OBJECT_0) << "the assistant outlived Word";
}
// A call into the running Word made from a thread of its own, as Word's user makes it:
// this thread stays free to look at the screen while Word waits in the call.
class CallIntoWord {
 public:
  CallIntoWord(const wchar_t* member, std::wstring textArgument, long numberArgument)
      : thread_([this, member, textArgument, numberArgument] {
          CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
          {
            const ComPtr<IDispatch> word = pendrix::testing::runningWord();
            Variant ignored;
            hr_ = word ? invokeByName(word.get(), member, DISPATCH_METHOD,
                                      argList(textArgument.empty() ? Variant::fromI4(numberArgument)
                                                                   : Variant::fromString(textArgument.c_str())),
                                      &ignored)
                       : E_UNEXPECTED;
          }
          CoUninitialize();
          returned_ = true;
        }) {}
  ~CallIntoWord() { thread_.join(); }
  bool returned() const { return returned_; }
  HRESULT result() const { return hr_; }

 private:
  std::atomic<bool> returned_{false};
  std::atomic<HRESULT> hr_{E_PENDING};
  std::thread thread_;
};

// Whether `upper` lies above `lower` on the screen: earlier in the desktop's z-order.
bool liesAbove(HWND upper, HWND lower) {
  for (HWND window = GetTopWindow(nullptr); window; window = GetWindow(window, GW_HWNDNEXT)) {
    if (window == upper) return true;
    if (window == lower) return false;
  }
  return false;
}

// The message box of the assistant's process, captioned `caption`, once it shows.
HWND waitForAssistantBox(const wchar_t* caption, DWORD notOf) {
  HWND found = nullptr;
  pendrix::testing::waitUntil([&] {
    for (HWND box = nullptr; (box = FindWindowExW(nullptr, box, L"#32770", caption)) != nullptr;) {
      DWORD owner = 0;
      GetWindowThreadProcessId(box, &owner);
      if (owner != notOf && IsWindowVisible(box)) found = box;
    }
    return found != nullptr;
  }, std::chrono::seconds(30));
  return found;
}

// While Word waits in a call into the assistant its window is frozen: a message of
// the assistant shown then keeps Word waiting, perhaps hidden behind it. Both messages
// that come up while Word calls (the first start's question about the list separator
// while Word creates the assistant, the reader's "Formel zu komplex" while Word hands
// over the field) are shown only once Word's calls have returned, owned by the
// assistant's window, above Word.
struct WaitingMessage {
  const char* what;
  bool firstStart;          // no settings yet: the list separator is asked
  const wchar_t* field;     // the field double-clicked, or none for a click on ZombTerm
  const wchar_t* caption;
  const wchar_t* text;      // a part of the message
  const wchar_t* picture;
};
void PrintTo(const WaitingMessage& message, std::ostream* out) { *out << message.what; }

class AssistantMessagesWhileWordWaits : public AddinWithTheAssistant,
                                        public ::testing::WithParamInterface<WaitingMessage> {};

TEST_P(AssistantMessagesWhileWordWaits, ComeAfterWordsCallsHaveReturnedAboveWord) {
  const WaitingMessage& message = GetParam();
  if (message.firstStart) DeleteFileW(assistantSettings().c_str());
  Host host;
  startHost(bars_, host);
  if (HasFatalFailure()) return;
  InfoBoxWatcher hints(host.processId);  // answers Word's own first-start hint
  ASSERT_TRUE(waitUntilConnected(host.app.get()));
  const HWND word = windowOf(host.processId, L"OpusApp");
  ASSERT_NE(word, nullptr);
  if (message.field) {
    Variant ignored;
    ASSERT_EQ(invokeByName(host.app.get(), L"InsertField", DISPATCH_METHOD, argList(Variant::fromString(message.field)),
                           &ignored),
              S_OK);
  }

  // Nobody answers a message: the click and the double click must return all the same.
  std::optional<CallIntoWord> call;
  if (message.field) {
    call.emplace(L"DoubleClickField", L"", 1);
  } else {
    call.emplace(L"ClickControl", L"ZombTerm", 0);
  }
  const bool returned = pendrix::testing::waitUntil([&] { return call->returned(); }, std::chrono::seconds(40));
  EXPECT_TRUE(returned) << "Word waits in its call while the assistant shows its message";
  const HWND box = waitForAssistantBox(message.caption, host.processId);
  ASSERT_NE(box, nullptr) << "no message";
  EXPECT_THAT(dialogText(box), HasSubstr(message.text));
  if (returned) {
    EXPECT_EQ(call->result(), S_OK);
    const HWND dialog = waitForAssistant(host.processId);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(GetWindow(box, GW_OWNER), dialog) << "the message belongs to the assistant's window";
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), word);
    EXPECT_TRUE(liesAbove(box, word)) << "the message lies behind Word";
    EXPECT_TRUE(pendrix::testing::saveWindowPicture(GetDesktopWindow(), winePath(PICTURE_DIR) + message.picture));
  }
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(pendrix::testing::waitUntil([&] { return call->returned(); }, std::chrono::seconds(40)));
  if (const HWND dialog = waitForAssistant(host.processId)) PostMessageW(GetDlgItem(dialog, IDC_CANCEL), BM_CLICK, 0, 0);
  call.reset();
  quitHost(host);
}

INSTANTIATE_TEST_SUITE_P(
    Assistant, AssistantMessagesWhileWordWaits,
    ::testing::Values(
        WaitingMessage{"the_list_separator_at_the_first_start", true, nullptr, L"Info", L"Listentrennzeichen",
                       L"\\addin-first-start-question-over-word.bmp"},
        WaitingMessage{"a_field_too_complex", false, L"EQ \\r(2;\\r(2;\\r(2;9)))", L"Info", L"Formel zu komplex",
                       L"\\addin-too-complex-over-word.bmp"}),
    [](const ::testing::TestParamInfo<WaitingMessage>& info) { return std::string(info.param.what); });
#endif  // PENDRIX_EXE

}  // namespace
}  // namespace pendrix::addin::testing

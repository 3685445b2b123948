// The whole chain under faults: the Word stand-in (wordhost.exe) fails, one member at
// a time, the calls that the assistant (Pendrix.exe, started through COM) and the
// add-in (Tarnel, loaded in the stand-in) make on it; then the stand-in is killed
// under open assistants, and an assistant is killed under the add-in. Each time the
// programs report what the user must see, stay usable and give back what they took.

#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <thread>

#include "addin_fixture.h"
#include "assistant/assistant_fixture.h"
#include "session/registration_win32.h"
#include "win32/late_binding.h"

namespace pendrix {
namespace {

using namespace pendrix::testing;
using addin::testing::InfoBoxWatcher;
using addin::testing::Tarnel;

constexpr wchar_t kProgId[] = L"Glyphor.ZombAddin";
constexpr wchar_t kBarName[] = L"VoZozu-Diror";
constexpr wchar_t kWordsText[] = L"Injected failure";  // the stand-in's text of DISP_E_EXCEPTION
constexpr wchar_t kNoText[] = L"Befehl fehlgeschlagen.";

// The two ways a Word call fails: Word raises an error with its text, or Word is gone.
struct Failure {
  HRESULT hr;
  const wchar_t* message;  // what the assistant shows for it
};
constexpr Failure kFailures[] = {{DISP_E_EXCEPTION, kWordsText}, {RPC_E_DISCONNECTED, kNoText}};

// Wine's X11 driver waits up to two seconds for a window manager to take down a
// closing message box; Xvfb has none. The assistants started here run with windows
// that no window manager manages, which closes their message boxes at once.
constexpr wchar_t kAssistantX11Settings[] = L"Software\\Wine\\AppDefaults\\Pendrix.exe\\X11 Driver";

class FaultEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    ASSERT_HRESULT_SUCCEEDED(OleInitialize(nullptr));
    RegSetKeyValueW(HKEY_CURRENT_USER, kAssistantX11Settings, L"Managed", REG_SZ, L"N", 2 * sizeof(wchar_t));
    resetSettingsFile();
    registerAssistantClass(fromWide(shortPath(winePath(PENDRIX_EXE)).c_str()));
    // Listed in Word's add-in key; the stand-in starts without add-ins and loads it
    // when a test asks.
    ASSERT_EQ(Tarnel::call("DllRegisterServer"), S_OK);
    standInWord().start();
  }
  void TearDown() override {
    standInWord().stop();
    Tarnel::call("DllUnregisterServer");
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kAssistantX11Settings, L"Managed");
    OleUninitialize();
  }
};
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new FaultEnvironment);

// The visible assistant dialogs and their processes.
std::vector<std::pair<HWND, DWORD>> assistantDialogs() {
  std::vector<std::pair<HWND, DWORD>> found;
  HWND dialog = nullptr;
  while ((dialog = FindWindowExW(nullptr, dialog, L"#32770", L" Calvora")) != nullptr) {
    DWORD process = 0;
    GetWindowThreadProcessId(dialog, &process);
    if (IsWindowVisible(dialog)) found.emplace_back(dialog, process);
  }
  return found;
}

// A window's process, held open: Wine gives a freed process id to the next process,
// so the tests name processes by handle, never by a bare id.
UniqueProcess processOf(HWND window) {
  DWORD id = 0;
  GetWindowThreadProcessId(window, &id);
  return UniqueProcess(id ? OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION, FALSE, id) : nullptr);
}

// An assistant the add-in opened, of none of the processes in `known`.
HWND waitForNewAssistant(std::initializer_list<HANDLE> known) {
  std::set<DWORD> ids;
  for (const HANDLE process : known) ids.insert(GetProcessId(process));
  HWND opened = nullptr;
  waitUntil([&] {
    for (const auto& [dialog, process] : assistantDialogs())
      if (!ids.contains(process)) opened = dialog;
    return opened != nullptr;
  });
  return opened;
}

bool processEnds(const UniqueProcess& process) {
  return process && WaitForSingleObject(process.get(), 15000) == WAIT_OBJECT_0;
}

class Faults : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(word_.app()) << "the stand-in is gone";
    word_.newDocument();
    // Each test meets the add-in as a user who never saw its first-start hint.
    RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\Pendrix\\Tarnel", L"HinweisGezeigt");
  }
  // The stand-in's counters come back to where they were once a session is over.
  void expectCountsBackTo(long objects, long sinks) {
    EXPECT_TRUE(waitUntil([&] { return word_.count(L"LiveObjects") == objects; }))
        << "objects alive: " << word_.count(L"LiveObjects") << ", before: " << objects;
    EXPECT_EQ(word_.count(L"ConnectedSinks"), sinks);
  }
  HRESULT loadAddin() { return word_.call(L"LoadAddin", kProgId); }
  long callCount(const wchar_t* member, const wchar_t* argument) {
    CallResult r = invoke(word_.app(), member, DISPATCH_METHOD, argList(str(argument)));
    return SUCCEEDED(r.hr) && r.value.get()->vt == VT_I4 ? r.value.get()->lVal : -1;
  }
  // DoubleClickField(1): whether a sink cancelled Word's own action.
  bool doubleClickFirstField() {
    CallResult r = invoke(word_.app(), L"DoubleClickField", DISPATCH_METHOD, argList(Variant::fromI4(1)));
    EXPECT_EQ(r.hr, S_OK);
    return r.value.get()->vt == VT_BOOL && r.value.get()->boolVal != VARIANT_FALSE;
  }
  ComPtr<IDispatch> bar() {
    ComPtr<IDispatch> bars = wordhost::testing::get(word_.app(), L"CommandBars");
    CallResult r = invoke(bars.get(), L"Item", DISPATCH_METHOD, argList(str(kBarName)));
    return r.object() ? ComPtr<IDispatch>(r.object()) : ComPtr<IDispatch>();
  }
  void removeBar() {
    if (ComPtr<IDispatch> found = bar()) invoke(found.get(), L"Delete", DISPATCH_METHOD);
  }
  // The bar as a user who deleted both buttons leaves it.
  void addEmptyBar() {
    ComPtr<IDispatch> bars = wordhost::testing::get(word_.app(), L"CommandBars");
    ASSERT_EQ(invoke(bars.get(), L"Add", DISPATCH_METHOD, argList(str(kBarName), Variant::fromI4(4))).hr, S_OK);
  }

  Word& word_ = standInWord();
};

// The insert, text-line and solution commands of one assistant, each Word call
// failing in turn both ways: a message with Word's text, or the general one when
// there is none; the command stops, the field codes are hidden again, and the next
// command works. A failed OK says so too and keeps the session; OK again ends it.
TEST_F(Faults, EveryWordCallOfTheWritingCommandsFailsInTurn) {
  const long objects = word_.count(L"LiveObjects");
  Assistant assistant;
  assistant.start(word_);
  if (HasFatalFailure()) return;
  assistant.type(L"x^2");
  const struct {
    int button;
    const wchar_t* member;
  } rows[] = {
      {IDC_INSERT, L"Selection"},         {IDC_INSERT, L"Range"},          {IDC_INSERT, L"Text"},
      {IDC_INSERT, L"Fields"},            {IDC_INSERT, L"Add"},            {IDC_INSERT, L"ActiveWindow"},
      {IDC_INSERT, L"View"},              {IDC_INSERT, L"ShowFieldCodes"}, {IDC_INSERT, L"MoveRight"},
      {IDC_INSERT, L"Font"},              {IDC_INSERT, L"Size"},           {IDC_INSERT, L"EndKey"},
      {IDC_INSERT, L"TypeParagraph"},     {IDC_INSERT_TEXT, L"Selection"}, {IDC_INSERT_TEXT, L"Range"},
      {IDC_INSERT_TEXT, L"Text"},         {IDC_INSERT_TEXT, L"EndKey"},    {IDC_INSERT_TEXT, L"TypeParagraph"},
      {IDC_INSERT_SOLUTION, L"Selection"}, {IDC_INSERT_SOLUTION, L"EndKey"}, {IDC_INSERT_SOLUTION, L"Range"},
      {IDC_INSERT_SOLUTION, L"Text"},     {IDC_INSERT_SOLUTION, L"TypeParagraph"},
  };
  for (const Failure& failure : kFailures) {
    for (const auto& row : rows) {
      SCOPED_TRACE(utf8(row.member) + " failing with " + std::to_string(failure.hr) + " in command " +
                   std::to_string(row.button));
      word_.fail(row.member, failure.hr);
      assistant.click(row.button);
      EXPECT_EQ(assistant.answerMessageBox(L"Pendrix"), failure.message);
      word_.fail(row.member, S_OK);
      EXPECT_NE(word_.dump().find("\"showFieldCodes\":false"), std::string::npos) << "left in the code view";
    }
  }

  // Still usable: typing goes on, and the next command writes.
  word_.newDocument();
  assistant.type(L"+1");
  assistant.clickAndWait(IDC_INSERT);
  EXPECT_EQ(fieldCodes(word_.dump()), " EQ x\\s\\up5(2)+1 |");

  word_.fail(L"Size", RPC_E_DISCONNECTED);
  assistant.click(IDC_OK);
  EXPECT_EQ(assistant.answerMessageBox(L"Pendrix"), L"Befehl fehlgeschlagen.") << "OK keeps the formula and says so";
  word_.fail(L"Size", S_OK);
  assistant.click(IDC_OK);
  EXPECT_EQ(assistant.waitForEnd(), 0) << "OK again ends the session";
  assistant.release();
  expectCountsBackTo(objects, 0);
}

// A field handed over whose code cannot be read: the user is told, the formula stays
// as it was, and a later hand-over and OK work; a failure in field editing is shown,
// and OK again writes the field.
TEST_F(Faults, AFieldThatCannotBeReadIsReportedAndTheFormulaStays) {
  ASSERT_EQ(word_.call(L"InsertField", L"EQ \\r(7;3)"), S_OK);
  const long objects = word_.count(L"LiveObjects");
  {
    ComPtr<IDispatch> field = word_.field(1);
    Assistant assistant;
    assistant.start(word_, field.get());
    if (HasFatalFailure()) return;
    for (const Failure& failure : kFailures) {
      for (const wchar_t* member : {L"Code", L"Text"}) {
        SCOPED_TRACE(utf8(member) + " failing with " + std::to_string(failure.hr));
        word_.fail(member, failure.hr);
        EXPECT_EQ(assistant.method(a::kSetWordField, field.get()), S_OK) << "the add-in checks nothing more";
        if (failure.hr == DISP_E_EXCEPTION && utf8(member) == "Code") {
          waitUntil([&] { return findTopWindow({0, L"#32770", L"Pendrix"}) != nullptr; });
          saveScreenPicture(pictureDirectory() + L"/field-load-failure.bmp");
        }
        EXPECT_EQ(assistant.answerMessageBox(L"Pendrix"), failure.message);
        word_.fail(member, S_OK);
      }
    }
    assistant.type(L"+1");
    word_.fail(L"Select", DISP_E_EXCEPTION);
    assistant.click(IDC_OK);
    EXPECT_EQ(assistant.answerMessageBox(L"Pendrix"), L"Injected failure");
    word_.fail(L"Select", S_OK);
    assistant.click(IDC_OK);
    EXPECT_EQ(assistant.waitForEnd(), 0);
    EXPECT_EQ(findTopWindow({0, L"#32770", L"Pendrix"}), nullptr) << "a message left open";
    // The code went in before Select failed: the formula read at the start, then the keys.
    EXPECT_EQ(fieldCodes(word_.dump()), "EQ \\r(7;3)+1|");
  }
  expectCountsBackTo(objects, 0);
}

// Every host member the add-in calls while it builds its bar fails in turn: the
// load returns that failure at once (nothing is called after it), no sink stays
// connected and every object is given back; a failing Item only means no bar yet.
TEST_F(Faults, EveryHostCallOfTheAddinsStartFailsInTurn) {
  InfoBoxWatcher hints(word_.processId());
  const long objects = word_.count(L"LiveObjects");
  const struct {
    const wchar_t* member;
    bool barFirst;  // the bar is there already, without buttons
    HRESULT expected;
  } rows[] = {
      {L"Name", false, DISP_E_EXCEPTION},     {L"CommandBars", false, DISP_E_EXCEPTION},
      {L"Add", false, DISP_E_EXCEPTION},      {L"Controls", false, DISP_E_EXCEPTION},
      {L"Add", true, DISP_E_EXCEPTION},       {L"Caption", false, DISP_E_EXCEPTION},
      {L"Enabled", false, DISP_E_EXCEPTION},  {L"Style", false, DISP_E_EXCEPTION},
      {L"FaceId", false, DISP_E_EXCEPTION},   {L"Tag", false, DISP_E_EXCEPTION},
      {L"Visible", false, DISP_E_EXCEPTION},  {L"Item", false, S_OK},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(utf8(row.member) + (row.barFirst ? " with the bar there" : ""));
    removeBar();
    if (row.barFirst) addEmptyBar();
    word_.call(L"ClearCallLog");
    word_.fail(row.member, DISP_E_EXCEPTION);
    EXPECT_EQ(loadAddin(), row.expected);
    word_.fail(row.member, S_OK);
    if (SUCCEEDED(row.expected)) {
      EXPECT_EQ(word_.count(L"ConnectedSinks"), 3);
      EXPECT_EQ(word_.call(L"UnloadAddin", kProgId), S_OK);
      continue;
    }
    // The failing call is the add-in's last.
    const std::string log = word_.callLog();
    const size_t clearing = log.rfind("Application.FailMember(");
    const size_t last = log.rfind('\n', clearing - 2);
    const std::string lastCall = log.substr(last + 1, clearing - last - 2);
    EXPECT_NE(lastCall.find("." + utf8(row.member)), std::string::npos) << log;
    EXPECT_EQ(word_.count(L"ConnectedSinks"), 0);
    removeBar();
    EXPECT_TRUE(waitUntil([&] { return word_.count(L"LiveObjects") == objects; }))
        << "objects alive: " << word_.count(L"LiveObjects") << ", before: " << objects;
  }
  EXPECT_EQ(hints.texts().size(), 1u) << "the hint comes with a bar built whole";

  // The host went on, and a load without faults works.
  removeBar();
  EXPECT_EQ(loadAddin(), S_OK);
  EXPECT_EQ(word_.count(L"ConnectedSinks"), 3);
  EXPECT_EQ(word_.call(L"UnloadAddin", kProgId), S_OK);
  expectCountsBackTo(objects, 0);
}

// The double click's calls fail in turn: the add-in starts nothing, gives Word no
// Cancel and answers the event with S_OK. A term click whose assistant cannot take
// Word still opens the assistant; later a double click and a click work.
TEST_F(Faults, FailuresInClicksAndDoubleClicksAreSwallowed) {
  ASSERT_EQ(word_.call(L"InsertField", L"EQ x"), S_OK);
  InfoBoxWatcher hints(word_.processId());
  const long objects = word_.count(L"LiveObjects");
  ASSERT_EQ(loadAddin(), S_OK);
  word_.call(L"ClearCallLog");
  for (const wchar_t* member : {L"Selection", L"Fields", L"Count", L"Item", L"Code", L"Text"}) {
    SCOPED_TRACE(utf8(member));
    word_.fail(member, DISP_E_EXCEPTION);
    EXPECT_FALSE(doubleClickFirstField()) << "Word's own action was cancelled";
    word_.fail(member, S_OK);
    EXPECT_TRUE(assistantDialogs().empty()) << "an assistant was started";
  }
  // The assistant cannot take Word's application: it opens without Word.
  word_.fail(L"Application", DISP_E_EXCEPTION);
  EXPECT_EQ(callCount(L"ClickControl", L"ZombTerm"), 1);
  word_.fail(L"Application", S_OK);
  const HWND withoutWord = waitForNewAssistant({});
  ASSERT_NE(withoutWord, nullptr);
  const UniqueProcess withoutWordProcess = processOf(withoutWord);
  EXPECT_EQ(GetWindow(withoutWord, GW_OWNER), word_.mainWindow());
  EXPECT_EQ(word_.callLog().find("Sink.Invoke"), std::string::npos) << "a sink failed an event";

  // Later the double click opens the field, and OK writes it back.
  EXPECT_TRUE(doubleClickFirstField());
  const HWND editing = waitForNewAssistant({withoutWordProcess.get()});
  ASSERT_NE(editing, nullptr);
  EXPECT_TRUE(processEnds(withoutWordProcess)) << "the replaced assistant was not let go";
  const UniqueProcess editingProcess = processOf(editing);
  for (const wchar_t c : std::wstring(L"+1"))
    SendMessageTimeoutW(GetDlgItem(editing, IDC_KEY_INPUT), WM_CHAR, c, 1, SMTO_NORMAL, 10000, nullptr);
  PostMessageW(GetDlgItem(editing, IDC_OK), BM_CLICK, 0, 0);
  EXPECT_TRUE(processEnds(editingProcess));
  EXPECT_EQ(fieldCodes(word_.dump()), "EQ x+1|");
  EXPECT_EQ(word_.call(L"UnloadAddin", kProgId), S_OK);
  expectCountsBackTo(objects, 0);
  EXPECT_EQ(hints.texts().size(), 1u);
}

// An assistant killed while the add-in holds it: the next click starts a new one.
TEST_F(Faults, AKilledAssistantIsReplacedAtTheNextClick) {
  InfoBoxWatcher hints(word_.processId());
  ASSERT_EQ(loadAddin(), S_OK);
  EXPECT_EQ(callCount(L"ClickControl", L"ZombTerm"), 1);
  const HWND first = waitForNewAssistant({});
  ASSERT_NE(first, nullptr);
  const UniqueProcess killed = processOf(first);
  ASSERT_TRUE(TerminateProcess(killed.get(), 1));
  ASSERT_EQ(WaitForSingleObject(killed.get(), 15000), WAIT_OBJECT_0);
  word_.call(L"ClearCallLog");
  EXPECT_EQ(callCount(L"ClickControl", L"ZombTerm"), 1);
  const HWND second = waitForNewAssistant({killed.get()});
  ASSERT_NE(second, nullptr) << "no new assistant after the old one died";
  EXPECT_EQ(GetWindow(second, GW_OWNER), word_.mainWindow());
  EXPECT_EQ(word_.callLog().find("Sink.Invoke"), std::string::npos) << "a sink failed an event";
  const UniqueProcess secondProcess = processOf(second);
  EXPECT_EQ(word_.call(L"UnloadAddin", kProgId), S_OK);
  EXPECT_TRUE(processEnds(secondProcess)) << "unloading the add-in lets go of the assistant";
}

// A window of Word's class that belongs to another program (a second Word), in front
// of everything, with a thread of its own that answers its messages.
class ForeignWordWindow {
 public:
  ForeignWordWindow() : thread_([this] { run(); }) { waitUntil([&] { return window_.load() != nullptr; }); }
  ~ForeignWordWindow() {
    if (HWND window = window_.load()) PostMessageW(window, WM_CLOSE, 0, 0);
    thread_.join();
  }
  HWND window() const { return window_.load(); }

 private:
  void run() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = [](HWND window, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
      if (message == WM_DESTROY) PostQuitMessage(0);
      return DefWindowProcW(window, message, wParam, lParam);
    };
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"OpusApp";
    RegisterClassW(&windowClass);
    const HWND window = CreateWindowExW(WS_EX_TOPMOST, L"OpusApp", L"Anderes Word", WS_OVERLAPPEDWINDOW, 0, 0, 300,
                                        200, nullptr, nullptr, windowClass.hInstance, nullptr);
    ShowWindow(window, SW_SHOWNOACTIVATE);
    window_ = window;
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    UnregisterClassW(L"OpusApp", windowClass.hInstance);
  }

  std::atomic<HWND> window_{nullptr};
  std::thread thread_;
};

// Another program's window of Word's class lies in front: the assistant the add-in
// opens belongs to the Word whose button was clicked, which owns it.
TEST_F(Faults, AnotherWordsWindowInFrontIsNotTakenForWord) {
  InfoBoxWatcher hints(word_.processId());
  const ForeignWordWindow other;
  ASSERT_NE(other.window(), nullptr);
  ASSERT_EQ(FindWindowW(L"OpusApp", nullptr), other.window()) << "the other window is not in front";
  ASSERT_EQ(loadAddin(), S_OK);
  EXPECT_EQ(callCount(L"ClickControl", L"ZombTerm"), 1);
  const HWND opened = waitForNewAssistant({});
  ASSERT_NE(opened, nullptr) << "no assistant opened";
  EXPECT_EQ(GetWindow(opened, GW_OWNER), word_.mainWindow());
  const UniqueProcess process = processOf(opened);
  EXPECT_EQ(word_.call(L"UnloadAddin", kProgId), S_OK);
  EXPECT_TRUE(processEnds(process)) << "unloading the add-in lets go of the assistant";
}

// Word busy while a writing command runs (a dialog of its own open): the assistant
// calls again for up to ten seconds, its window answering meanwhile. A short spell
// passes unnoticed; a longer one ends the command with the failure, the formula stays,
// and the next command writes it.
TEST_F(Faults, AWritingCommandWaitsOutABusyWordAndReportsALongerSpell) {
  const long objects = word_.count(L"LiveObjects");
  Assistant assistant;
  assistant.start(word_);
  if (HasFatalFailure()) return;
  assistant.type(L"x^2");
  const auto busyFor = [&](long milliseconds) {
    return invoke(word_.app(), L"Busy", DISPATCH_METHOD, argList(Variant::fromI4(milliseconds))).hr;
  };
  const auto wordAnswers = [&] { return invoke(word_.app(), L"Name", DISPATCH_PROPERTYGET).hr == S_OK; };

  // The window is asked from beside while the command runs; the click returns once
  // the command has ended.
  ASSERT_EQ(busyFor(3000), S_OK);
  std::atomic<bool> commandEnded{false};
  std::atomic<int> asked{0}, unanswered{0};
  std::thread probe([&] {
    while (!commandEnded) {
      DWORD_PTR ignored = 0;
      ++asked;
      if (!SendMessageTimeoutW(assistant.dialog(), WM_NULL, 0, 0, SMTO_NORMAL, 3000, &ignored)) ++unanswered;
      Sleep(100);
    }
  });
  assistant.clickAndWait(IDC_INSERT);
  commandEnded = true;
  probe.join();
  EXPECT_GT(asked.load(), 5) << "the command did not wait for Word";
  EXPECT_EQ(unanswered.load(), 0) << "the assistant's window did not answer while it waited for Word";
  EXPECT_EQ(fieldCodes(word_.dump()), " EQ x\\s\\up5(2) |");
  EXPECT_NE(word_.callLog().find("Busy.Refused"), std::string::npos) << "Word was never busy for the assistant";
  EXPECT_EQ(findTopWindow({0, L"#32770", L"Pendrix"}), nullptr) << "a short spell was reported";

  word_.newDocument();
  ASSERT_EQ(busyFor(13000), S_OK);
  assistant.click(IDC_INSERT);
  EXPECT_EQ(assistant.answerMessageBox(L"Pendrix"), kNoText) << "the long spell was not reported";
  ASSERT_TRUE(waitUntil(wordAnswers, std::chrono::seconds(20))) << "the spell did not end";
  EXPECT_EQ(fieldCodes(word_.dump()), "") << "written into a busy Word";
  assistant.clickAndWait(IDC_INSERT);
  EXPECT_EQ(fieldCodes(word_.dump()), " EQ x\\s\\up5(2) |") << "the formula was lost";
  EXPECT_NE(word_.dump().find("\"showFieldCodes\":false"), std::string::npos) << "left in the code view";

  assistant.click(IDC_OK);
  EXPECT_EQ(assistant.waitForEnd(), 0);
  assistant.release();
  expectCountsBackTo(objects, 0);
}

// Word killed under two open assistants, one held by this test, one by the add-in
// that died with Word: typing still works, Word's commands report the failure, and
// OK and Cancel end the processes. Runs last: the stand-in does not come back.
TEST_F(Faults, WordKilledUnderOpenAssistants) {
  InfoBoxWatcher hints(word_.processId());
  ASSERT_EQ(loadAddin(), S_OK);
  Assistant held;
  held.start(word_);
  if (HasFatalFailure()) return;
  EXPECT_EQ(callCount(L"ClickControl", L"ZombTerm"), 1);
  const HWND byAddin = waitForNewAssistant({held.process()});
  ASSERT_NE(byAddin, nullptr);
  const UniqueProcess byAddinProcess = processOf(byAddin);

  word_.kill();
  held.type(L"2x=6");
  held.pressEnter();
  EXPECT_TRUE(waitUntil([&] { return held.textOf(IDC_SOLUTION) == L"3.000"; })) << utf8(held.textOf(IDC_SOLUTION));
  for (const int command : {IDC_INSERT, IDC_INSERT_TEXT, IDC_INSERT_SOLUTION}) {
    SCOPED_TRACE(command);
    held.click(command);
    EXPECT_EQ(held.answerMessageBox(L"Pendrix"), kNoText);
  }
  held.click(IDC_OK);
  EXPECT_EQ(held.waitForEnd(), 0);

  PostMessageW(GetDlgItem(byAddin, IDCANCEL), BM_CLICK, 0, 0);
  EXPECT_TRUE(processEnds(byAddinProcess)) << "Cancel left the assistant of a dead Word waiting";
}

}  // namespace
}  // namespace pendrix

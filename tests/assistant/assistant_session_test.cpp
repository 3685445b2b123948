// Pendrix.exe as the add-in and the user meet it: started through COM from the
// class registration, handed Word (the stand-in, in a process of its own), driven
// through its windows with messages, and ended every way a session ends. What
// reached Word is read back from the stand-in's document dump and call log.

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "addin/office_interfaces.h"
#include "dispatch_helpers.h"
#include "resources/resource.h"
#include "session/text_codec.h"
#include "support/process_win32.h"
#include "support/screenshot_win32.h"
#include "win32/assistant_dispids.h"
#include "win32/class_ids.h"

namespace pendrix {
namespace {

using namespace pendrix::testing;
using wordhost::testing::CallResult;
using wordhost::testing::invoke;
using wordhost::testing::str;
using wordhost::testing::text;
namespace a = pendrix::assistant;
namespace w = pendrix::word;

constexpr DWORD kAllContexts = 23;  // in-process, handler, local and remote server, as Word's add-in asks
const std::string kPictures = SCREENSHOT_DIR;

std::string utf8(const std::wstring& text) { return toUtf8(fromWide(text.c_str())); }

// The LocalServer32 value of the assistant's class, or "" when there is none.
std::wstring registeredServer() {
  const std::wstring key = L"CLSID\\" + std::wstring(reinterpret_cast<const wchar_t*>(kAssistantAppKey)) +
                           L"\\LocalServer32";
  wchar_t value[1024] = {};
  DWORD bytes = sizeof value;
  if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value, &bytes) != ERROR_SUCCESS)
    return L"";
  return value;
}

void setRegisteredServer(const std::wstring& path) {
  const std::wstring key = L"CLSID\\" + std::wstring(reinterpret_cast<const wchar_t*>(kAssistantAppKey)) +
                           L"\\LocalServer32";
  RegSetKeyValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, REG_SZ, path.c_str(),
                  static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t)));
}

std::wstring shortPath(const std::wstring& path) {
  wchar_t out[MAX_PATH] = {};
  return GetShortPathNameW(path.c_str(), out, MAX_PATH) ? out : path;
}

// The dump's JSON strings escape backslashes and everything beyond ASCII as \uXXXX.
std::string decoded(const std::string& json) {
  std::u16string out;
  for (size_t i = 0; i < json.size(); ++i) {
    if (json[i] == '\\' && i + 5 < json.size() && json[i + 1] == 'u') {
      out += static_cast<char16_t>(std::stoi(json.substr(i + 2, 4), nullptr, 16));
      i += 5;
    } else if (json[i] == '\\' && i + 1 < json.size()) {
      out += static_cast<char16_t>(json[++i]);
    } else {
      out += static_cast<char16_t>(static_cast<unsigned char>(json[i]));
    }
  }
  return toUtf8(out);
}

std::string fieldCodes(const std::string& dump) {
  const std::regex pattern(R"re("code":"([^"]*)")re");
  std::string out;
  for (auto it = std::sregex_iterator(dump.begin(), dump.end(), pattern); it != std::sregex_iterator(); ++it)
    out += (*it)[1].str() + "|";
  return out;
}

// The stand-in Word, one process for the whole suite.
class Word {
 public:
  void start() {
    bars_ = std::filesystem::temp_directory_path() / ("assistant-test-bars-" + std::to_string(GetCurrentProcessId()));
    process_ = startProcess(winePath(WORDHOST_EXE), L"--no-addins --bars \"" + bars_.wstring() + L"\"");
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

  IDispatch* app() const { return app_.get(); }
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
    ASSERT_EQ(method(a::kDispidSetWordApplication, word.app()), S_OK);
    RECT document{};
    GetWindowRect(word.documentWindow(), &document);
    click_ = {document.left + 40, document.top + 12};
    ASSERT_EQ(put(a::kDispidWordWindowHandle, static_cast<LONG>(reinterpret_cast<LONG_PTR>(word.mainWindow()))), S_OK);
    ASSERT_EQ(put(a::kDispidCursorXPos, click_.x), S_OK);
    ASSERT_EQ(put(a::kDispidCursorYPos, click_.y), S_OK);
    dialog_ = reinterpret_cast<HWND>(static_cast<LONG_PTR>(get(a::kDispidWindowHandle)));
    ASSERT_TRUE(IsWindow(dialog_));
    DWORD id = 0;
    GetWindowThreadProcessId(dialog_, &id);
    process_ = UniqueProcess(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, id));
    processId_ = id;
    if (field) ASSERT_EQ(method(a::kDispidSetWordField, field), S_OK);
    ASSERT_TRUE(waitUntil([&] { return IsWindowVisible(dialog_) != FALSE; }));
  }

  HRESULT method(DISPID id, IDispatch* argument) {
    std::vector<Variant> args;
    args.push_back(Variant::fromDispatch(argument));
    CallResult r = invoke(object_.get(), id, DISPATCH_METHOD, std::move(args));
    if (SUCCEEDED(r.hr)) EXPECT_EQ(r.value.get()->vt, VT_I4);
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
  // Waits until the dialog has handled everything sent or posted before.
  void settle() {
    const HWND probe = control(IDC_KEY_INPUT);
    PostMessageW(probe, WM_NULL, 0, 0);
    SendMessageTimeoutW(dialog_, WM_NULL, 0, 0, SMTO_NORMAL, 10000, nullptr);
    Sleep(100);
  }

  // The message box the assistant shows, its text, and OK pressed on it.
  std::wstring answerMessageBox(const wchar_t* caption) {
    HWND box = nullptr;
    waitUntil([&] { return (box = findTopWindow({processId_, L"#32770", caption})) != nullptr; });
    if (!box) return L"(no message box)";
    const std::wstring message = windowText(GetDlgItem(box, 0xFFFF));
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    waitUntil([&] { return !IsWindow(box); });
    return message;
  }
  long waitForEnd() { return waitForExit(process_.get()); }

 private:
  ComPtr<IDispatch> object_;
  HWND dialog_ = nullptr;
  UniqueProcess process_;
  DWORD processId_ = 0;
  POINT click_{};
};

// The stand-in Word lives for the whole run; each test starts with a new document.
Word word_;

class WordEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    ASSERT_HRESULT_SUCCEEDED(OleInitialize(nullptr));
    std::filesystem::create_directories(kPictures);
    word_.start();
  }
  void TearDown() override {
    word_.stop();
    OleUninitialize();
  }
};
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new WordEnvironment);

class AssistantSession : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(word_.app());
    word_.newDocument();
  }
};

// Started by hand: the assistant writes the registration it is found through, in
// the short form of its path, and ends with its dialog.
TEST_F(AssistantSession, AStartWithASwitchLeavesTheRegistryAloneAndANormalStartRepairsIt) {
  const std::wstring program = winePath(PENDRIX_EXE);
  setRegisteredServer(L"C:\\elsewhere\\Pendrix.exe");
  UniqueProcess automation = startProcess(program, L"/Automation");
  HWND dialog = nullptr;
  ASSERT_TRUE(waitUntil([&] { return (dialog = findTopWindow({GetProcessId(automation.get()), L"#32770", L" Calvora"})); }));
  EXPECT_EQ(registeredServer(), L"C:\\elsewhere\\Pendrix.exe");
  PostMessageW(dialog, WM_CLOSE, 0, 0);  // no client holds it: closing ends the program
  EXPECT_EQ(waitForExit(automation.get()), 0);

  UniqueProcess standalone = startProcess(program, L"");
  ASSERT_TRUE(waitUntil([&] { return (dialog = findTopWindow({GetProcessId(standalone.get()), L"#32770", L" Calvora"})); }));
  EXPECT_EQ(registeredServer(), shortPath(program));
  saveWindowPicture(dialog, kPictures + "/assistant-empty.bmp");

  // The about box from the system menu.
  PostMessageW(dialog, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
  HWND about = nullptr;
  ASSERT_TRUE(waitUntil([&] { return (about = findTopWindow({GetProcessId(standalone.get()), L"#32770", L"Info über Pendrix"})); }));
  saveWindowPicture(about, kPictures + "/assistant-about.bmp");
  PostMessageW(about, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(waitUntil([&] { return !IsWindow(about); }));

  PostMessageW(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
  EXPECT_EQ(waitForExit(standalone.get()), 0);
}

TEST_F(AssistantSession, ANewFormulaGoesIntoWordAsEqFieldsAndOkEndsTheProcess) {
  Assistant assistant;
  assistant.start(word_);
  if (HasFatalFailure()) return;
  word_.call(L"ClearCallLog");
  assistant.type(L"x^2+1");
  assistant.clickAndWait(IDC_INSERT);
  assistant.type(L"+y°1");
  saveWindowPicture(assistant.dialog(), kPictures + "/assistant-formula.bmp");
  assistant.click(IDC_OK);
  EXPECT_EQ(assistant.waitForEnd(), 0);

  const std::string dump = word_.dump();
  EXPECT_EQ(fieldCodes(dump), " EQ x\\s\\up5(2)+1 | EQ x\\s\\up5(2)+1+y\\s\\do5(1) |") << dump;
  // Each field's exponent and index in the small size, everything else as written.
  EXPECT_NE(dump.find("\"char\":\"2\",\"size\":8"), std::string::npos) << dump;
  EXPECT_NE(dump.find("\"char\":\"1\",\"size\":8"), std::string::npos) << dump;

  const std::string log = word_.callLog();
  const std::string insert =
      "Application.Selection()\nSelection.Range()\nRange.Text=(VT_BSTR)\nApplication.ActiveDocument()\n"
      "Document.Fields()\nFields.Add(VT_DISPATCH,VT_I2|VT_BYREF,VT_BSTR|VT_BYREF,VT_I2|VT_BYREF)\n"
      "Application.ActiveWindow()\nWindow.View()\nView.ShowFieldCodes=(VT_BOOL)\n"
      "Selection.MoveRight(VT_I2|VT_BYREF,VT_I2|VT_BYREF,VT_I2|VT_BYREF)\nSelection.Font()\nFont.Size()\n";
  EXPECT_EQ(log.find(insert), 0u) << log;
  EXPECT_NE(log.find("Selection.EndKey(VT_I2|VT_BYREF,VT_I2|VT_BYREF)\nSelection.TypeParagraph()\n"), std::string::npos)
      << log;
  EXPECT_NE(log.find("Font.Size=(VT_R4)"), std::string::npos) << log;
  // The return click reached Word's document window where the mouse was.
  POINT expected = assistant.clickPoint();
  ScreenToClient(word_.documentWindow(), &expected);
  EXPECT_NE(log.find("_WwG.LButtonDown(" + std::to_string(expected.x) + "," + std::to_string(expected.y) + ")"),
            std::string::npos)
      << log;
}

TEST_F(AssistantSession, AFieldHandedOverIsEditedInPlace) {
  ASSERT_EQ(word_.call(L"InsertField", L"EQ \\r(7;3)"), S_OK);
  ComPtr<IDispatch> field = word_.field(1);
  ASSERT_TRUE(field);
  Assistant assistant;
  assistant.start(word_, field.get());
  if (HasFatalFailure()) return;
  assistant.type(L"+1");
  assistant.click(IDC_OK);
  EXPECT_EQ(assistant.waitForEnd(), 0);
  const std::string dump = word_.dump();
  EXPECT_EQ(fieldCodes(dump), "EQ \\r(7;3)+1|") << dump;
  EXPECT_NE(dump.find("\"index\":1,\"begin\":9,"), std::string::npos) << "the field stays where it was: " << dump;
}

TEST_F(AssistantSession, AFieldThatIsNoEqFieldOpensEmptyAndBecomesOne) {
  for (const wchar_t* code : {L"PAGE", L"eq \\r(7;3)"}) {
    SCOPED_TRACE(utf8(code));
    word_.newDocument();
    ASSERT_EQ(word_.call(L"InsertField", code), S_OK);
    ComPtr<IDispatch> field = word_.field(1);
    Assistant assistant;
    assistant.start(word_, field.get());
    if (HasFatalFailure()) return;
    assistant.type(L"a");
    assistant.click(IDC_OK);
    EXPECT_EQ(assistant.waitForEnd(), 0);
    EXPECT_EQ(fieldCodes(word_.dump()), "EQ a|");
  }
}

TEST_F(AssistantSession, SolvesAndWritesTheSolutionAndTheTextLine) {
  Assistant assistant;
  assistant.start(word_);
  if (HasFatalFailure()) return;
  assistant.type(L"2x+1=7");
  assistant.pressEnter();  // "L" is the default button
  ASSERT_TRUE(waitUntil([&] { return assistant.textOf(IDC_SOLUTION) == L"3.000"; })) << utf8(assistant.textOf(IDC_SOLUTION));
  saveWindowPicture(assistant.dialog(), kPictures + "/assistant-solved.bmp");
  assistant.clickAndWait(IDC_INSERT_SOLUTION);
  SetWindowTextW(assistant.control(IDC_EXERCISE_TEXT), L"Löse die Gleichung.");
  assistant.clickAndWait(IDC_INSERT_TEXT);
  const std::string dump = word_.dump();
  EXPECT_NE(dump.find("L = { 3.000 }"), std::string::npos) << dump;
  EXPECT_NE(dump.find("Löse die Gleichung."), std::string::npos) << dump;

  // Cancel while the client holds the object only hides the assistant.
  assistant.click(IDCANCEL);
  ASSERT_TRUE(waitUntil([&] { return !IsWindowVisible(assistant.dialog()); }));
  EXPECT_EQ(WaitForSingleObject(assistant.process(), 300), static_cast<DWORD>(WAIT_TIMEOUT));
  assistant.release();
  EXPECT_EQ(assistant.waitForEnd(), 0) << "the hidden assistant ends when the client lets go";
}

TEST_F(AssistantSession, ClosingTheWindowWhileHeldOnlyHidesIt) {
  Assistant assistant;
  assistant.start(word_);
  if (HasFatalFailure()) return;
  PostMessageW(assistant.dialog(), WM_CLOSE, 0, 0);
  ASSERT_TRUE(waitUntil([&] { return !IsWindowVisible(assistant.dialog()); }));
  EXPECT_EQ(WaitForSingleObject(assistant.process(), 300), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_EQ(assistant.get(a::kDispidCursorXPos), assistant.clickPoint().x) << "the session is still there";
  // A put of WindowHandle changes nothing.
  const LONG window = assistant.get(a::kDispidWindowHandle);
  EXPECT_EQ(assistant.put(a::kDispidWindowHandle, 12345), S_OK);
  EXPECT_EQ(assistant.get(a::kDispidWindowHandle), window);
  assistant.release();
  EXPECT_EQ(assistant.waitForEnd(), 0);
}

TEST_F(AssistantSession, WordFailuresAreShownAndTheDialogGoesOn) {
  Assistant assistant;
  assistant.start(word_);
  if (HasFatalFailure()) return;
  assistant.type(L"x^2");
  const struct {
    int button;
    const wchar_t* member;
  } rows[] = {{IDC_INSERT, L"Add"},       {IDC_INSERT, L"ShowFieldCodes"}, {IDC_INSERT, L"Size"},
              {IDC_INSERT_TEXT, L"Text"}, {IDC_INSERT_TEXT, L"EndKey"},    {IDC_INSERT_SOLUTION, L"TypeParagraph"}};
  for (const auto& row : rows) {
    SCOPED_TRACE(utf8(row.member));
    word_.fail(row.member, DISP_E_EXCEPTION);
    assistant.click(row.button);
    EXPECT_EQ(assistant.answerMessageBox(L"Pendrix"), L"Injected failure");
    word_.fail(row.member, S_OK);
  }
  word_.fail(L"Selection", E_FAIL);  // Word gives no text: the assistant says so itself
  assistant.click(IDC_INSERT);
  EXPECT_EQ(assistant.answerMessageBox(L"Pendrix"), L"Befehl fehlgeschlagen.");
  word_.fail(L"Selection", S_OK);

  // Still usable: the formula is there and goes in.
  word_.newDocument();
  assistant.clickAndWait(IDC_INSERT);
  EXPECT_EQ(fieldCodes(word_.dump()), " EQ x\\s\\up5(2) |");

  // OK swallows Word's failure and still ends.
  word_.fail(L"Add", DISP_E_EXCEPTION);
  assistant.click(IDC_OK);
  EXPECT_EQ(assistant.waitForEnd(), 0);
  EXPECT_EQ(findTopWindow({0, L"#32770", L"Pendrix"}), nullptr);
  word_.fail(L"Add", S_OK);
}

}  // namespace
}  // namespace pendrix

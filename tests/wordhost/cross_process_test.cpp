// wordhost.exe in its own process, found in the running object table and called
// exactly as the assistant calls Word: a formula written as a new field, then
// the same field edited as a field handed over, each with its small characters
// shrunk. The document dump and the call log tell what arrived.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <set>

#include "win32/office_interfaces.h"
#include "dispatch_helpers.h"
#include "formula/editing_helpers.h"
#include "formula/eq_writer.h"
#include "win32/handles.h"
#include "win32/late_binding.h"
#include "session/text_codec.h"
#include "recording_addin_ids.h"

namespace pendrix::wordhost {
namespace {

using namespace testing;
namespace w = pendrix::word;

using UniqueProcess = UniqueHandle<HANDLE, CloseHandle>;

// The build passes the Unix path; Wine sees the root as drive Z:.
std::wstring windowsPath(const std::string& path) {
  std::u16string out = fromUtf8(path);
  if (!out.empty() && out[0] == u'/') out = u"Z:" + out;
  for (char16_t& ch : out)
    if (ch == u'/') ch = u'\\';
  return std::wstring(out.begin(), out.end());
}

ComPtr<IDispatch> activeWord() {
  ComPtr<IUnknown> unknown;
  ComPtr<IDispatch> app;
  if (SUCCEEDED(GetActiveObject(w::kClsidApplication, nullptr, unknown.put())))
    unknown->QueryInterface(IID_IDispatch, app.putVoid());
  return app;
}

EqCode formula(const std::u16string& keys) {
  pendrix::testing::Editing editing;
  editing.type(keys);
  return generateEqCode(editing.grid, editing.settings.record());
}

// The assistant's small size: S x HochZahl / 100, 8 pt when out of 5..48.
float smallSize(float size) {
  const int s = static_cast<int>(size) * 8 / 100;
  return static_cast<float>(s < 5 || s > 48 ? 8 : s);
}

// The calls of one command, recorded as the call log will show them.
class Assistant {
 public:
  explicit Assistant(IDispatch* app) : app_(app) {}

  void moveRight(IDispatch* selection, short count, short extend) { move(selection, w::kDispidMoveRight, count, extend); }
  void moveLeft(IDispatch* selection, short count) { move(selection, w::kDispidMoveLeft, count, 0); }
  void showFieldCodes(IDispatch* view, bool show) {
    ASSERT_EQ(invoke(view, w::kDispidShowFieldCodes, DISPATCH_PROPERTYPUT, argList(Variant::fromBool(show))).hr, S_OK);
    expected += "View.ShowFieldCodes=(VT_BOOL)\n";
  }
  void setSize(IDispatch* font, float size) {
    ASSERT_EQ(invoke(font, w::kDispidFontSize, DISPATCH_PROPERTYPUT, argList(Variant::fromR4(size))).hr, S_OK);
    expected += "Font.Size=(VT_R4)\n";
  }
  ComPtr<IDispatch> property(IDispatch* object, DISPID id, const char* logged) {
    expected += std::string(logged) + "()\n";
    return get(object, id);
  }
  float size(IDispatch* font) {
    CallResult r = invoke(font, w::kDispidFontSize, DISPATCH_PROPERTYGET);
    EXPECT_EQ(r.value.get()->vt, VT_R4);
    expected += "Font.Size()\n";
    return r.value.get()->fltVal;
  }
  void shrink(IDispatch* selection, const EqCode& code, float small) {
    if (!code.smallCharactersPresent) return;
    for (int offset : code.smallOffsets) {
      moveRight(selection, static_cast<short>(offset), 0);
      moveRight(selection, 1, 1);
      ComPtr<IDispatch> font = property(selection, w::kDispidSelectionFont, "Selection.Font");
      setSize(font.get(), small);
    }
  }

  // Insert formula and close, as a new field at the selection.
  void insertNewField(const EqCode& code) {
    const std::wstring text(code.text.begin(), code.text.end());
    ComPtr<IDispatch> selection = property(app_, w::kDispidSelection, "Application.Selection");
    ComPtr<IDispatch> range = property(selection.get(), w::kDispidSelectionRange, "Selection.Range");
    ASSERT_EQ(invoke(range.get(), w::kDispidRangeText, DISPATCH_PROPERTYPUT, argList(str(text.c_str()))).hr, S_OK);
    expected += "Range.Text=(VT_BSTR)\n";
    ComPtr<IDispatch> document = property(app_, w::kDispidActiveDocument, "Application.ActiveDocument");
    ComPtr<IDispatch> fields = property(document.get(), w::kDispidDocumentFields, "Document.Fields");
    short type = w::kWdFieldEmpty, preserve = 0;
    Bstr codeText(text.c_str());
    BSTR codeRef = codeText.get();
    ASSERT_EQ(invoke(fields.get(), w::kDispidFieldsAdd, DISPATCH_METHOD,
                     argList(Variant::fromDispatch(range.get()), byRefI2(&type), byRef(&codeRef), byRefI2(&preserve))).hr,
              S_OK);
    expected += "Fields.Add(VT_DISPATCH,VT_I2|VT_BYREF,VT_BSTR|VT_BYREF,VT_I2|VT_BYREF)\n";
    ComPtr<IDispatch> window = property(app_, w::kDispidActiveWindow, "Application.ActiveWindow");
    ComPtr<IDispatch> view = property(window.get(), w::kDispidWindowView, "Window.View");
    showFieldCodes(view.get(), true);
    moveRight(selection.get(), 1, 0);
    ComPtr<IDispatch> font = property(selection.get(), w::kDispidSelectionFont, "Selection.Font");
    const float size = static_cast<float>(static_cast<int>(this->size(font.get())));
    shrink(selection.get(), code, smallSize(size));
    showFieldCodes(view.get(), false);
    moveRight(selection.get(), 1, 0);
    setSize(font.get(), size);
  }

  // Insert formula and close, into the code of a field handed over.
  void editField(IDispatch* field, const EqCode& code) {
    const std::wstring text(code.text.begin(), code.text.end());
    ComPtr<IDispatch> range = property(field, w::kDispidFieldCode, "Field.Code");
    ASSERT_EQ(invoke(range.get(), w::kDispidRangeText, DISPATCH_PROPERTYPUT, argList(str(text.c_str()))).hr, S_OK);
    expected += "Range.Text=(VT_BSTR)\n";
    ASSERT_EQ(invoke(field, w::kDispidFieldSelect, DISPATCH_METHOD).hr, S_OK);
    expected += "Field.Select()\n";
    ComPtr<IDispatch> selection = property(app_, w::kDispidSelection, "Application.Selection");
    ComPtr<IDispatch> window = property(app_, w::kDispidActiveWindow, "Application.ActiveWindow");
    ComPtr<IDispatch> view = property(window.get(), w::kDispidWindowView, "Window.View");
    showFieldCodes(view.get(), true);
    moveLeft(selection.get(), 1);
    ComPtr<IDispatch> font = property(selection.get(), w::kDispidSelectionFont, "Selection.Font");
    const float size = static_cast<float>(static_cast<int>(this->size(font.get())));
    shrink(selection.get(), code, smallSize(size));
    showFieldCodes(view.get(), false);
    moveRight(selection.get(), 1, 0);
    setSize(font.get(), size);
  }

  std::string expected;

 private:
  void move(IDispatch* selection, DISPID id, short count, short extend) {
    short unit = w::kWdCharacter;
    CallResult r = invoke(selection, id, DISPATCH_METHOD, argList(byRefI2(&unit), byRefI2(&count), byRefI2(&extend)));
    ASSERT_EQ(r.hr, S_OK);
    expected += std::string("Selection.") + (id == w::kDispidMoveRight ? "MoveRight" : "MoveLeft") +
                "(VT_I2|VT_BYREF,VT_I2|VT_BYREF,VT_I2|VT_BYREF)\n";
  }

  IDispatch* app_;
};

struct DumpedCharacter {
  std::string ch;
  double size;
};

std::map<size_t, DumpedCharacter> characters(const std::string& dump) {
  std::map<size_t, DumpedCharacter> out;
  const std::regex pattern(R"re(\{"pos":(\d+),"char":"((?:[^"\\]|\\u[0-9a-f]{4})*)","size":([0-9.e+]+)\})re");
  for (auto it = std::sregex_iterator(dump.begin(), dump.end(), pattern); it != std::sregex_iterator(); ++it)
    out[std::stoul((*it)[1])] = {(*it)[2], std::stod((*it)[3])};
  return out;
}

void expectField(const std::string& dump, const EqCode& code, size_t codeShift) {
  const std::regex fieldPattern(R"re("fields":\[\{"index":1,"begin":(\d+),"end":(\d+),)re");
  std::smatch match;
  ASSERT_TRUE(std::regex_search(dump, match, fieldPattern)) << dump;
  EXPECT_EQ(dump.find("\"index\":2"), std::string::npos) << "one field only";
  const size_t begin = std::stoul(match[1]);
  const size_t end = std::stoul(match[2]);
  EXPECT_EQ(begin, 9u) << "the field stays where it was written";
  EXPECT_EQ(end, begin + 1 + code.text.size() + 2 * codeShift);
  const std::vector<size_t> positions = pendrix::testing::offsetPositions(code);
  const std::set<size_t> small(positions.begin(), positions.end());
  ASSERT_FALSE(small.empty());
  const auto chars = characters(dump);
  for (size_t pos = begin; pos <= end; ++pos) {
    const bool isSmall = pos >= begin + 1 + codeShift && small.count(pos - begin - 1 - codeShift) > 0;
    ASSERT_TRUE(chars.count(pos)) << pos;
    EXPECT_EQ(chars.at(pos).size, isSmall ? 8.0 : 12.0) << "position " << pos << " '" << chars.at(pos).ch << "'";
  }
  EXPECT_EQ(chars.at(end + 1).ch, " ");
  EXPECT_EQ(chars.at(end + 2).ch, "E");
}

std::string dumpOf(IDispatch* app) {
  return toUtf8(fromWide(text(invoke(app, L"DocumentDump", DISPATCH_METHOD)).c_str()));
}

// Starts wordhost.exe and waits until it answers in the running object table.
void startHost(const std::wstring& arguments, UniqueProcess& process, ComPtr<IDispatch>& app) {
  std::wstring command = L"\"" + windowsPath(WORDHOST_EXE) + L"\" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
      << GetLastError();
  process = UniqueProcess(info.hProcess);
  CloseHandle(info.hThread);
  for (int i = 0; i < 150 && !app; ++i) {
    if (WaitForSingleObject(process.get(), 100) == WAIT_OBJECT_0) break;
    app = activeWord();
  }
  ASSERT_TRUE(app) << "wordhost did not register Word.Application";
}

TEST(WordhostProcess, ServesTheAssistantsCallSequencesAndQuitsCleanly) {
  ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
  ASSERT_FALSE(activeWord()) << "another Word stand-in is already running";
  const std::filesystem::path bars = std::filesystem::temp_directory_path() / "wordhost-cross-process-bars.txt";
  UniqueProcess process;
  ComPtr<IDispatch> app;
  startHost(L"--no-addins --bars \"" + bars.wstring() + L"\"", process, app);
  if (HasFatalFailure()) return;
  EXPECT_NE(text(invoke(app.get(), L"Name", DISPATCH_PROPERTYGET)).find(L"Word"), std::wstring::npos);

  ASSERT_EQ(invoke(app.get(), L"InsertText", DISPATCH_METHOD, argList(str(L"Aufgabe:  Ende"))).hr, S_OK);
  ASSERT_EQ(invoke(app.get(), L"SetSelection", DISPATCH_METHOD, argList(Variant::fromI4(9), Variant::fromI4(9))).hr, S_OK);
  ASSERT_EQ(invoke(app.get(), L"ClearCallLog", DISPATCH_METHOD).hr, S_OK);

  const EqCode square = formula(u"x^2 + 1");
  ASSERT_EQ(square.text, u"EQ x\\s\\up5(2) + 1");
  Assistant assistant(app.get());
  assistant.insertNewField(square);
  if (HasFatalFailure()) return;
  const std::string first = dumpOf(app.get());
  expectField(first, square, 1);
  EXPECT_NE(first.find("\"showFieldCodes\":false"), std::string::npos);
  assistant.expected += "Application.DocumentDump()\n";

  // The same field handed over for editing, as after a double click.
  const EqCode pythagoras = formula(u"a^2 + b^2 = c^2");
  ASSERT_TRUE(pythagoras.smallCharactersPresent);
  ComPtr<IDispatch> fields = get(get(app.get(), w::kDispidActiveDocument).get(), w::kDispidDocumentFields);
  CallResult field = invoke(fields.get(), w::kDispidFieldsItem, DISPATCH_METHOD, argList(Variant::fromI4(1)));
  ASSERT_NE(field.object(), nullptr);
  assistant.expected += "Application.ActiveDocument()\nDocument.Fields()\nFields.Item(VT_I4)\n";
  assistant.editField(field.object(), pythagoras);
  if (HasFatalFailure()) return;
  expectField(dumpOf(app.get()), pythagoras, 0);
  assistant.expected += "Application.DocumentDump()\nApplication.CallLog()\n";

  const std::wstring log = text(invoke(app.get(), L"CallLog", DISPATCH_METHOD));
  EXPECT_EQ(toUtf8(fromWide(log.c_str())), assistant.expected);

  field.value.put();
  fields.reset();
  ASSERT_EQ(invoke(app.get(), L"Quit", DISPATCH_METHOD).hr, S_OK);
  app.reset();
  ASSERT_EQ(WaitForSingleObject(process.get(), 15000), WAIT_OBJECT_0) << "wordhost did not end after Quit";
  DWORD exitCode = 1;
  GetExitCodeProcess(process.get(), &exitCode);
  EXPECT_EQ(exitCode, 0u);
  EXPECT_FALSE(activeWord()) << "the host left its object in the running object table";
  std::error_code ec;
  std::filesystem::remove(bars, ec);
  CoUninitialize();
}

// Word while busy refuses every call of another process; a caller that waits and calls
// again (the shared late-binding layer, as the assistant calls Word) gets through once
// the spell ends, and gives up with the refusal when it lasts longer than its patience.
// Word 2003 answers Version "11.0", a ribbon-era Word "16.0".
TEST(WordhostProcess, ABusyHostRefusesCallsUntilTheSpellEnds) {
  ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
  ASSERT_FALSE(activeWord()) << "another Word stand-in is already running";
  const std::filesystem::path bars = std::filesystem::temp_directory_path() / "wordhost-busy-bars.txt";
  for (const auto& [mode, version] : {std::pair{L"--menus", L"11.0"}, std::pair{L"--ribbon", L"16.0"}}) {
    SCOPED_TRACE(toUtf8(fromWide(mode)));
    UniqueProcess process;
    ComPtr<IDispatch> app;
    startHost(std::wstring(mode) + L" --no-addins --bars \"" + bars.wstring() + L"\"", process, app);
    if (HasFatalFailure()) return;
    EXPECT_EQ(text(invoke(app.get(), L"Version", DISPATCH_PROPERTYGET)), version);
    const DISPID name = idOf(app.get(), L"Name");

    ASSERT_EQ(invoke(app.get(), L"Busy", DISPATCH_METHOD, argList(Variant::fromI4(2000))).hr, S_OK);
    Variant value;
    EXPECT_EQ(invokeDispid(app.get(), name, DISPATCH_PROPERTYGET, nullptr, 0, &value), RPC_E_CALL_REJECTED)
        << "a busy Word refuses at once";
    EXPECT_EQ(invokeDispidPatiently(app.get(), name, DISPATCH_PROPERTYGET, nullptr, 0, &value, nullptr), S_OK)
        << "the call gets through after the spell";
    EXPECT_EQ(value.get()->vt, VT_BSTR);

    ASSERT_EQ(invoke(app.get(), L"Busy", DISPATCH_METHOD, argList(Variant::fromI4(6000))).hr, S_OK);
    const ULONGLONG start = GetTickCount64();
    EXPECT_EQ(invokeDispidPatiently(app.get(), name, DISPATCH_PROPERTYGET, nullptr, 0, &value, nullptr,
                                    BusyPatience{1500, 100}),
              RPC_E_CALL_REJECTED)
        << "a spell longer than the patience";
    EXPECT_GE(GetTickCount64() - start, 1500u) << "gave up before its patience was used";
    // The host answers again once the spell is over.
    EXPECT_EQ(invokeDispidPatiently(app.get(), name, DISPATCH_PROPERTYGET, nullptr, 0, &value, nullptr,
                                    BusyPatience{20000, 100}),
              S_OK);
    EXPECT_NE(text(invoke(app.get(), L"CallLog", DISPATCH_METHOD)).find(L"Busy.Refused"), std::wstring::npos);

    ASSERT_EQ(invoke(app.get(), L"Quit", DISPATCH_METHOD).hr, S_OK);
    app.reset();
    EXPECT_EQ(WaitForSingleObject(process.get(), 15000), WAIT_OBJECT_0) << "wordhost did not end after Quit";
  }
  std::error_code ec;
  std::filesystem::remove(bars, ec);
  CoUninitialize();
}

// Runs wordhost.exe to its end and returns its exit code, or -1.
long runHost(const std::wstring& arguments) {
  std::wstring command = L"\"" + windowsPath(WORDHOST_EXE) + L"\" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) return -1;
  UniqueProcess process(info.hProcess);
  CloseHandle(info.hThread);
  if (WaitForSingleObject(process.get(), 30000) != WAIT_OBJECT_0) {
    TerminateProcess(process.get(), 99);
    return -1;
  }
  DWORD exitCode = 0;
  GetExitCodeProcess(process.get(), &exitCode);
  return static_cast<long>(exitCode);
}

std::string readAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(WordhostProcess, ScriptModeWritesTheDumpAndReportsAFailingLine) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "wordhost-script-test";
  std::filesystem::create_directories(dir);
  const std::filesystem::path script = dir / "script.txt", dump = dir / "dump.json", bars = dir / "bars.txt";
  std::ofstream(script, std::ios::binary) << "InsertText Hallo \r\nInsertField EQ x\\s\\up5(2)\n"
                                          << "ShowFieldCodes 1\nMoveRight 13 0\nMoveRight 1 1\nFontSize 8\n";
  const std::wstring files = L"--bars \"" + bars.wstring() + L"\" --dump \"" + dump.wstring() + L"\"";
  EXPECT_EQ(runHost(L"--script \"" + script.wstring() + L"\" " + files), 0);
  const std::string written = readAll(dump);
  EXPECT_NE(written.find("\"code\":\" EQ x\\u005cs\\u005cup5(2) \""), std::string::npos) << written;
  EXPECT_NE(written.find("{\"pos\":19,\"char\":\"2\",\"size\":8}"), std::string::npos) << written;

  std::ofstream(script, std::ios::binary | std::ios::trunc) << "InsertText x\nDoubleClickField 3\n";
  EXPECT_EQ(runHost(L"--script \"" + script.wstring() + L"\" " + files), 1);
  EXPECT_NE(readAll(dump).find("\"char\":\"x\""), std::string::npos);
  EXPECT_EQ(runHost(L"--bogus"), 2);
  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
}


// Word's add-in list in HKCU names two recording add-ins; wordhost.exe loads them at
// start-up, one is unloaded by the user later, and the other sees the whole life.
using ::testing::ElementsAre;
using ::testing::StartsWith;

class WordhostAddins : public ::testing::Test {
 protected:
  static constexpr wchar_t kAddinsKey[] = L"Software\\Microsoft\\Office\\Word\\Addins\\";

  void SetUp() override {
    library_ = LoadLibraryW(windowsPath(RECORDING_ADDIN_DLL).c_str());
    ASSERT_NE(library_, nullptr);
    ASSERT_EQ(call("DllRegisterServer"), S_OK);
    for (const wchar_t* progId : {testaddin::kRecordingProgId, testaddin::kSecondRecordingProgId})
      writeEntry(progId, 3);
    log_ = std::filesystem::temp_directory_path() / ("wordhost-addins-" + std::to_string(GetCurrentProcessId()) + ".log");
    std::filesystem::remove(log_);
    SetEnvironmentVariableW(testaddin::kRecordingLogVariable, log_.wstring().c_str());
  }
  void TearDown() override {
    SetEnvironmentVariableW(testaddin::kRecordingLogVariable, nullptr);
    for (const wchar_t* progId : {testaddin::kRecordingProgId, testaddin::kSecondRecordingProgId})
      RegDeleteTreeW(HKEY_CURRENT_USER, (std::wstring(kAddinsKey) + progId).c_str());
    if (library_) {
      call("DllUnregisterServer");
      FreeLibrary(library_);
    }
    std::error_code ec;
    std::filesystem::remove(log_, ec);
  }

  HRESULT call(const char* name) {
    const auto entry = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
        reinterpret_cast<void*>(GetProcAddress(library_, name)));
    return entry ? entry() : E_NOINTERFACE;
  }
  static void writeEntry(const wchar_t* progId, DWORD loadBehavior) {
    UniqueHkey key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, (std::wstring(kAddinsKey) + progId).c_str(), 0, nullptr, 0,
                              KEY_SET_VALUE, nullptr, key.put(), nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(key.get(), L"LoadBehavior", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&loadBehavior),
                   sizeof loadBehavior);
  }
  static DWORD loadBehavior(const wchar_t* progId) {
    DWORD value = 0, size = sizeof value;
    RegGetValueW(HKEY_CURRENT_USER, (std::wstring(kAddinsKey) + progId).c_str(), L"LoadBehavior", RRF_RT_REG_DWORD,
                 nullptr, &value, &size);
    return value;
  }
  // The log's lines of one add-in, without its name.
  std::vector<std::string> linesOf(const std::wstring& progId) const {
    std::ifstream in(log_);
    const std::string prefix = toUtf8(fromWide(progId.c_str())) + " ";
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
      if (line.rfind(prefix, 0) == 0) lines.push_back(line.substr(prefix.size()));
    return lines;
  }

  HMODULE library_ = nullptr;
  std::filesystem::path log_;
};

TEST_F(WordhostAddins, LoadsTheListedAddinsAtStartAndTellsThemTheirWholeLife) {
  ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
  const std::filesystem::path bars = std::filesystem::temp_directory_path() / "wordhost-addins-bars.txt";
  UniqueProcess process;
  ComPtr<IDispatch> app;
  startHost(L"--bars \"" + bars.wstring() + L"\"", process, app);
  if (HasFatalFailure()) return;

  // The user unloads the second add-in; it is not loaded at the next start.
  EXPECT_EQ(invoke(app.get(), L"UnloadAddin", DISPATCH_METHOD, argList(str(testaddin::kSecondRecordingProgId))).hr,
            S_OK);
  EXPECT_EQ(loadBehavior(testaddin::kSecondRecordingProgId), 2u);

  ASSERT_EQ(invoke(app.get(), L"Quit", DISPATCH_METHOD).hr, S_OK);
  app.reset();
  ASSERT_EQ(WaitForSingleObject(process.get(), 15000), WAIT_OBJECT_0) << "wordhost did not end after Quit";
  EXPECT_EQ(loadBehavior(testaddin::kRecordingProgId), 3u) << "a shutdown keeps the add-in listed for the next start";

  const std::string custom = " custom=empty";
  EXPECT_THAT(linesOf(testaddin::kRecordingProgId),
              ElementsAre("OnConnection mode=1 app=yes name=Microsoft Word inst=Pendrix.RecordingAddin" + custom,
                          "OnAddInsUpdate" + custom, "OnStartupComplete" + custom,
                          "OnAddInsUpdate" + custom,  // the other add-in left
                          "OnBeginShutdown" + custom, "OnDisconnection mode=0" + custom, "Released"));
  EXPECT_THAT(linesOf(testaddin::kSecondRecordingProgId),
              ElementsAre(StartsWith("OnConnection mode=1 app=yes"), "OnAddInsUpdate" + custom,
                          "OnStartupComplete" + custom, "OnDisconnection mode=1" + custom, "Released"));
  std::error_code ec;
  std::filesystem::remove(bars, ec);
  CoUninitialize();
}

}  // namespace
}  // namespace pendrix::wordhost

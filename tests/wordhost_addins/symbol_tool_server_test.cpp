// symboltool.exe as the add-in meets it: registered with /regserver, created by
// class id through COM in its own process, handed Word's application, and typing
// into Word's selection on a click. Two activations in all (each costs about a
// second under Wine).

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "class_registration.h"
#include "fake_word.h"
#include "win32/class_ids.h"
#include "win32/late_binding.h"
#include "symbol_app.h"
#include "symbol_tool_core.h"
#include "test_support.h"
#include "tests/support/window_picture.h"

namespace pendrix::wordhost {
namespace {

using testing::FakeApplication;
using testing::FakeSelection;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

[[maybe_unused]] const auto* const kApartment = ::testing::AddGlobalTestEnvironment(new testing::ComApartment);

constexpr DWORD kAllServers = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;
constexpr DWORD kPatienceMs = 15000;

using ProcessHandle = UniqueHandle<HANDLE, CloseHandle>;

std::wstring toolPath() { return testing::winePath(SYMBOLTOOL_PATH); }
std::wstring classKey() { return std::wstring(L"CLSID\\") + reinterpret_cast<const wchar_t*>(kSymbolAppKey); }

// Runs the tool with a switch and returns its exit code, or -1.
long runTool(const wchar_t* argument) {
  std::wstring commandLine = L"\"" + toolPath() + L"\" " + argument;
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return -1;
  CloseHandle(process.hThread);
  ProcessHandle handle(process.hProcess);
  if (WaitForSingleObject(handle.get(), kPatienceMs) != WAIT_OBJECT_0) return -1;
  DWORD code = 0;
  GetExitCodeProcess(handle.get(), &code);
  return static_cast<long>(code);
}

std::wstring registryText(const std::wstring& path) {
  wchar_t value[MAX_PATH * 2] = {};
  DWORD size = sizeof(value);
  if (RegGetValueW(HKEY_CLASSES_ROOT, path.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
    return {};
  return value;
}

// Serves this apartment (the tool calls back into it) until the condition holds.
bool pumpUntil(const std::function<bool()>& done, HANDLE handle = nullptr) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > kPatienceMs) return false;
    MsgWaitForMultipleObjects(handle ? 1 : 0, handle ? &handle : nullptr, FALSE, 50, QS_ALLINPUT);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  return true;
}

bool processEnded(HANDLE process) {
  return pumpUntil([&] { return WaitForSingleObject(process, 0) == WAIT_OBJECT_0; }, process);
}

// As the add-in creates it: every server kind, OleRun, then IDispatch.
HRESULT createTool(ComPtr<IDispatch>& tool) {
  ComPtr<IUnknown> unknown;
  PENDRIX_RETURN_IF_FAILED(
      CoCreateInstance(toClsid(kSymbolAppId), nullptr, kAllServers, IID_IUnknown, unknown.putVoid()));
  PENDRIX_RETURN_IF_FAILED(OleRun(unknown.get()));
  return unknown.as(IID_IDispatch, tool);
}

HRESULT setWordApplication(IDispatch* tool, Variant argument) {
  return invokeDispid(tool, kDispidSetWordApplication, DISPATCH_METHOD, argument.get(), 1, nullptr);
}

HWND toolWindow(IDispatch* tool) {
  Variant handle;
  if (FAILED(invokeDispid(tool, kDispidWindowHandle, DISPATCH_PROPERTYGET, nullptr, 0, &handle)) || handle.get()->vt != VT_I4)
    return nullptr;
  return reinterpret_cast<HWND>(static_cast<LONG_PTR>(handle.get()->lVal));
}

ProcessHandle processOf(HWND window) {
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  return ProcessHandle(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
}

HRESULT clickSymbol(IDispatch* tool, Variant index) { return invokeByName(tool, L"ClickSymbol", DISPATCH_METHOD, index.get(), 1, nullptr); }

std::wstring callLog(IDispatch* tool) {
  Bstr text;
  return SUCCEEDED(getTextByName(tool, L"CallLog", text)) ? text.str() : L"<no log>";
}

void postClick(HWND window, size_t pressOn, size_t releaseOn) {
  const symbols::CellRect down = symbols::cellRect(pressOn);
  const symbols::CellRect up = symbols::cellRect(releaseOn);
  PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(down.left + 5, down.top + 5));
  PostMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(up.right - 5, up.bottom - 5));
}

std::wstring symbol(size_t index) {
  return std::wstring(symbols::kSymbols[index].begin(), symbols::kSymbols[index].end());
}

// The visible top-level window of a process with the tool's caption.
HWND windowOfProcess(DWORD processId) {
  struct Search {
    DWORD processId;
    HWND found;
  } search = {processId, nullptr};
  EnumWindows(
      [](HWND window, LPARAM context) -> BOOL {
        auto* search = reinterpret_cast<Search*>(context);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        wchar_t caption[32] = {};
        GetWindowTextW(window, caption, 32);
        if (owner != search->processId || !IsWindowVisible(window) || wcscmp(caption, L"Symbole") != 0) return TRUE;
        search->found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

class SymbolToolServerTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_EQ(runTool(L"/regserver"), 0); }
  static void TearDownTestSuite() {
    EXPECT_EQ(runTool(L"/unregserver"), 0);
    EXPECT_EQ(registryText(classKey() + L"\\LocalServer32"), L"") << "unregistered";
    EXPECT_EQ(registryText(L"Pendrix.SymbolTool\\CLSID"), L"");
  }

  ComPtr<FakeApplication> word_ = ComPtr<FakeApplication>::attach(new FakeApplication);
};

TEST_F(SymbolToolServerTest, TypesClickedSymbolsIntoWordAndEndsWithTheLastReference) {
  EXPECT_EQ(registryText(classKey() + L"\\LocalServer32"), L"\"" + toolPath() + L"\"");
  EXPECT_EQ(registryText(L"Pendrix.SymbolTool\\CLSID"), reinterpret_cast<const wchar_t*>(kSymbolAppKey));

  ComPtr<IDispatch> tool;
  ASSERT_HRESULT_SUCCEEDED(createTool(tool));
  ASSERT_HRESULT_SUCCEEDED(setWordApplication(tool.get(), Variant::fromDispatch(word_.get())));
  const HWND window = toolWindow(tool.get());
  ASSERT_TRUE(IsWindow(window));
  ProcessHandle process = processOf(window);
  ASSERT_TRUE(process);
  EXPECT_NE(GetProcessId(process.get()), GetCurrentProcessId()) << "a local server";
  wchar_t caption[32] = {};
  GetWindowTextW(window, caption, 32);
  EXPECT_STREQ(caption, L"Symbole");
  EXPECT_TRUE(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST);

  FakeSelection& selection = word_->selection();
  ASSERT_HRESULT_SUCCEEDED(clickSymbol(tool.get(), Variant::fromI4(0)));
  EXPECT_THAT(selection.typed, ElementsAre(symbol(0)));

  // Real clicks; the second press and release fall on different symbols and type nothing.
  postClick(window, 2, 2);
  postClick(window, 3, 4);
  postClick(window, 5, 5);
  EXPECT_TRUE(pumpUntil([&] { return selection.typed.size() >= 3; }));
  EXPECT_THAT(selection.typed, ElementsAre(symbol(0), symbol(2), symbol(5)));
  // The tool logs a click once Word's call has returned; a click before that would
  // be dropped as arriving while it is busy.
  EXPECT_TRUE(pumpUntil([&] { return callLog(tool.get()).find(L"TypeText " + symbol(5) + L"\n") != std::wstring::npos; }));

  // Word failing, then no Word at all: nothing typed, nothing broken.
  selection.typeTextResult = E_FAIL;
  EXPECT_HRESULT_SUCCEEDED(clickSymbol(tool.get(), Variant::fromI4(1)));
  ASSERT_HRESULT_SUCCEEDED(setWordApplication(tool.get(), Variant()));
  EXPECT_EQ(word_->references(), 1u) << "the tool let go of Word";
  EXPECT_HRESULT_SUCCEEDED(clickSymbol(tool.get(), Variant::fromI4(1)));
  EXPECT_EQ(selection.typed.size(), 3u);

  // Bad calls get clear answers.
  EXPECT_EQ(clickSymbol(tool.get(), Variant::fromI4(static_cast<long>(symbols::kSymbols.size()))), DISP_E_BADINDEX);
  EXPECT_EQ(clickSymbol(tool.get(), Variant::fromI4(-1)), DISP_E_BADINDEX);
  EXPECT_EQ(clickSymbol(tool.get(), Variant::fromString(L"Wurzel")), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(setWordApplication(tool.get(), Variant::fromI4(5)), DISP_E_TYPEMISMATCH);
  Variant handle = Variant::fromI4(0);
  EXPECT_EQ(invokeDispid(tool.get(), kDispidWindowHandle, DISPATCH_PROPERTYPUT, handle.get(), 1, nullptr), DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(invokeDispid(tool.get(), 77, DISPATCH_METHOD, nullptr, 0, nullptr), DISP_E_MEMBERNOTFOUND);
  DISPID dispid = 0;
  EXPECT_EQ(dispidOf(tool.get(), L"Zeichne", &dispid), DISP_E_UNKNOWNNAME);
  ASSERT_HRESULT_SUCCEEDED(dispidOf(tool.get(), L"windowhandle", &dispid));
  EXPECT_EQ(dispid, kDispidWindowHandle);

  const std::wstring log = callLog(tool.get());
  EXPECT_THAT(log, HasSubstr(L"SetWordApplication\nWindowHandle\nClickSymbol 0\nTypeText " + symbol(0) + L"\n"));
  EXPECT_THAT(log, HasSubstr(L"TypeText " + symbol(2) + L"\nTypeText " + symbol(5) + L"\n"));
  EXPECT_THAT(log, HasSubstr(L"ClickSymbol 1\nTypeText " + symbol(1) + L" failed 0x80004005\n"));
  EXPECT_THAT(log, HasSubstr(L"SetWordApplication none\nClickSymbol 1\nTypeText " + symbol(1) +
                             L" failed 0x80004003\n"));
  EXPECT_THAT(log, HasSubstr(L"SetWordApplication refused\n"));
  EXPECT_THAT(log, Not(HasSubstr(L"TypeText " + symbol(3))));

  // Word hands the application by reference too.
  selection.typeTextResult = S_OK;
  IDispatch* byReference = word_.get();
  VARIANT reference;
  reference.vt = VT_BYREF | VT_DISPATCH;
  reference.ppdispVal = &byReference;
  ASSERT_HRESULT_SUCCEEDED(invokeDispid(tool.get(), kDispidSetWordApplication, DISPATCH_METHOD, &reference, 1, nullptr));
  ASSERT_HRESULT_SUCCEEDED(clickSymbol(tool.get(), Variant::fromI4(19)));
  EXPECT_EQ(selection.typed.back(), symbol(19));

  tool.reset();
  EXPECT_TRUE(processEnded(process.get())) << "the last reference ends the server";
  DWORD exitCode = 1;
  GetExitCodeProcess(process.get(), &exitCode);
  EXPECT_EQ(exitCode, 0u);
  EXPECT_EQ(word_->references(), 1u);
}

TEST_F(SymbolToolServerTest, ClosingTheWindowEndsTheServerAndLeavesTheClientWhole) {
  ComPtr<IDispatch> tool;
  ASSERT_HRESULT_SUCCEEDED(createTool(tool));
  ASSERT_HRESULT_SUCCEEDED(setWordApplication(tool.get(), Variant::fromDispatch(word_.get())));
  const HWND window = toolWindow(tool.get());
  ASSERT_TRUE(IsWindow(window));
  ProcessHandle process = processOf(window);
  ASSERT_TRUE(process);

  PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_TRUE(processEnded(process.get()));
  EXPECT_FALSE(IsWindow(window));
  EXPECT_FALSE(SUCCEEDED(clickSymbol(tool.get(), Variant::fromI4(0)))) << "the server is gone";
  tool.reset();
  EXPECT_THAT(word_->selection().typed, ::testing::IsEmpty());
}

TEST(SymbolToolStandalone, ShowsItsWindowWithoutComAndEndsWhenClosed) {
  std::wstring commandLine = L"\"" + toolPath() + L"\"";
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION started = {};
  ASSERT_TRUE(CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                             &started));
  CloseHandle(started.hThread);
  ProcessHandle process(started.hProcess);
  HWND window = nullptr;
  EXPECT_TRUE(pumpUntil([&] { return (window = windowOfProcess(started.dwProcessId)) != nullptr; }));
  ASSERT_TRUE(window);
  RECT client;
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, symbols::clientWidth());
  EXPECT_EQ(client.bottom, symbols::clientHeight());
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_FRAME);
  EXPECT_TRUE(pendrix::testing::saveWindowPicture(window, testing::winePath(SCREENSHOT_DIR) + L"\\symboltool.bmp"));

  postClick(window, 0, 0);  // no Word: logged, nothing else
  PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_TRUE(processEnded(process.get()));
  DWORD exitCode = 1;
  GetExitCodeProcess(process.get(), &exitCode);
  EXPECT_EQ(exitCode, 0u);
}

}  // namespace
}  // namespace pendrix::wordhost

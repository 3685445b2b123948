#pragma once
// The whole chain as the user meets it: the Word stand-in loads the add-in from
// Word's add-in key, the real assistant is registered as an install leaves it, and
// a session starts with a click on the bar (or a double click on a field) and ends
// with OK or Cancel in the assistant's window.

#include <algorithm>
#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "addin_fixture.h"
#include "assistant/assistant_fixture.h"
#include "process_counters.h"

namespace pendrix::testing {

inline constexpr wchar_t kAssistantCaption[] = L" Calvora";

// Registers the add-in and the assistant, starts Word with its add-ins, answers the
// bar's first-start hint and waits until the add-in's three sinks are connected.
class Chain {
 public:
  void start() {
    ASSERT_EQ(addin::testing::Tarnel::call("DllRegisterServer"), S_OK);
    resetSettingsFile();
    setRegisteredServer(shortPath(winePath(PENDRIX_EXE)));
    word_.start(true);
    if (::testing::Test::HasFatalFailure()) return;
    hints_.emplace(GetProcessId(word_.process()));
    ASSERT_TRUE(waitUntil([&] { return number(L"ConnectedSinks") == 3; })) << "the add-in did not connect";
  }
  void stop() {
    word_.stop();
    hints_.reset();
    addin::testing::Tarnel::call("DllUnregisterServer");
  }

  Word& word() { return word_; }

  // A number-valued control member of the host (ConnectedSinks, LiveObjects, …).
  long number(const wchar_t* member, std::vector<Variant> args = {}) {
    CallResult r = invoke(word_.app(), member, DISPATCH_METHOD | DISPATCH_PROPERTYGET, std::move(args));
    if (FAILED(r.hr) || FAILED(VariantChangeType(r.value.get(), r.value.get(), 0, VT_I4))) return -1;
    return r.value.get()->lVal;
  }
  long click(const wchar_t* caption) {
    std::vector<Variant> args;
    args.push_back(str(caption));
    return number(L"ClickControl", std::move(args));
  }
  long doubleClickField(long index) {
    std::vector<Variant> args;
    args.push_back(Variant::fromI4(index));
    return number(L"DoubleClickField", std::move(args));
  }
  long fieldCount() {
    ComPtr<IDispatch> document = wordhost::testing::get(word_.app(), w::kDispidActiveDocument);
    ComPtr<IDispatch> fields = wordhost::testing::get(document.get(), w::kDispidDocumentFields);
    CallResult r = invoke(fields.get(), w::kDispidFieldsCount, DISPATCH_PROPERTYGET);
    return r.value.get()->vt == VT_I4 ? r.value.get()->lVal : -1;
  }

 private:
  Word word_;
  std::optional<addin::testing::InfoBoxWatcher> hints_;
};

// The visible assistant window of a process other than those in `notOf`.
inline HWND waitForAssistantWindow(const std::vector<DWORD>& notOf, std::chrono::milliseconds timeout = std::chrono::seconds(20)) {
  HWND found = nullptr;
  waitUntil(
      [&] {
        for (HWND window = nullptr; (window = FindWindowExW(nullptr, window, L"#32770", kAssistantCaption));) {
          DWORD owner = 0;
          GetWindowThreadProcessId(window, &owner);
          if (!IsWindowVisible(window) || std::find(notOf.begin(), notOf.end(), owner) != notOf.end()) continue;
          found = window;
          return true;
        }
        return false;
      },
      timeout);
  return found;
}

inline UniqueProcess openProcessOf(HWND window) {
  DWORD id = 0;
  GetWindowThreadProcessId(window, &id);
  return UniqueProcess(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id));
}

// Characters as the keyboard puts them into the key-input edit.
inline void typeInto(HWND dialog, const std::wstring& keys) {
  const HWND input = GetDlgItem(dialog, IDC_KEY_INPUT);
  for (const wchar_t c : keys) SendMessageTimeoutW(input, WM_CHAR, c, 1, SMTO_NORMAL, 10000, nullptr);
}

inline void pressKey(HWND dialog, WPARAM key) {
  SendMessageTimeoutW(GetDlgItem(dialog, IDC_KEY_INPUT), WM_KEYDOWN, key, 1, SMTO_NORMAL, 10000, nullptr);
}

// Test suites over one chain for the whole run.
class ChainSuite : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_HRESULT_SUCCEEDED(OleInitialize(nullptr));
    chain().start();
  }
  static void TearDownTestSuite() {
    chain().stop();
    OleUninitialize();
  }
  static Chain& chain() {
    static Chain instance;
    return instance;
  }
};

}  // namespace pendrix::testing

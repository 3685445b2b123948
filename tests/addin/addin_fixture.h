#pragma once
// What the add-in's tests share: the loaded Tarnel DLL, registry reading, the
// registration of the test assistant and the symbol tool, and a watcher that finds
// and answers the add-in's "Info" message box.

#include <windows.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "test_support.h"
#include "win32/class_ids.h"
#include "win32/handles.h"

namespace pendrix::addin::testing {

using pendrix::wordhost::testing::readLogLines;
using pendrix::wordhost::testing::uniqueTempFile;
using pendrix::wordhost::testing::winePath;

inline constexpr wchar_t kAddinKey[] = L"Software\\Microsoft\\Office\\Word\\Addins\\Glyphor.ZombAddin";
inline constexpr wchar_t kProgId[] = L"Glyphor.ZombAddin";

inline std::wstring classKey(const char16_t* id) {
  return std::wstring(L"CLSID\\") + reinterpret_cast<const wchar_t*>(id);
}

inline std::optional<std::wstring> registryText(HKEY root, const std::wstring& key, const wchar_t* name) {
  wchar_t buffer[1024];
  DWORD size = sizeof buffer;
  if (RegGetValueW(root, key.c_str(), name, RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS)
    return std::nullopt;
  return std::wstring(buffer);
}

inline std::optional<DWORD> registryNumber(HKEY root, const std::wstring& key, const wchar_t* name) {
  DWORD value = 0;
  DWORD size = sizeof value;
  if (RegGetValueW(root, key.c_str(), name, RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS)
    return std::nullopt;
  return value;
}

inline bool keyExists(HKEY root, const std::wstring& key, REGSAM view = 0) {
  UniqueHkey opened;
  return RegOpenKeyExW(root, key.c_str(), 0, KEY_READ | view, opened.put()) == ERROR_SUCCESS;
}

inline void writeText(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& value) {
  UniqueHkey opened;
  ASSERT_EQ(RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, opened.put(), nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExW(opened.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                           static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))),
            ERROR_SUCCESS);
}

inline void writeNumber(HKEY root, const std::wstring& key, const wchar_t* name, DWORD value) {
  UniqueHkey opened;
  ASSERT_EQ(RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, opened.put(), nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExW(opened.get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value),
            ERROR_SUCCESS);
}

// The add-in DLL, loaded once for the whole test program.
class Tarnel {
 public:
  static HMODULE module() {
    static const HMODULE loaded = LoadLibraryW(winePath(TARNEL_DLL).c_str());
    return loaded;
  }
  template <typename Function>
  static Function* entry(const char* name) {
    return reinterpret_cast<Function*>(reinterpret_cast<void*>(GetProcAddress(module(), name)));
  }
  static HRESULT call(const char* name) {
    auto* function = entry<HRESULT STDAPICALLTYPE()>(name);
    return function ? function() : E_NOINTERFACE;
  }
  static HRESULT canUnloadNow() { return call("DllCanUnloadNow"); }
};

// Local servers under the companions' class ids, with the recording log of the
// test assistant on its command line.
inline void registerAssistantStub(const std::wstring& log) {
  writeText(HKEY_CLASSES_ROOT, classKey(kAssistantAppKey) + L"\\LocalServer32", nullptr,
            L"\"" + winePath(ASSISTANT_STUB_EXE) + L"\" \"" + log + L"\"");
}
inline void registerSymbolTool() {
  writeText(HKEY_CLASSES_ROOT, classKey(kSymbolAppKey) + L"\\LocalServer32", nullptr,
            L"\"" + winePath(SYMBOLTOOL_EXE) + L"\"");
}
inline void unregisterCompanions() {
  RegDeleteTreeW(HKEY_CLASSES_ROOT, classKey(kAssistantAppKey).c_str());
  RegDeleteTreeW(HKEY_CLASSES_ROOT, classKey(kSymbolAppKey).c_str());
}

inline BOOL CALLBACK appendStaticText(HWND child, LPARAM param) {
  wchar_t name[32] = {};
  GetClassNameW(child, name, 32);
  if (lstrcmpiW(name, L"Static") == 0) {
    wchar_t buffer[512] = {};
    if (GetWindowTextW(child, buffer, 512) > 0) *reinterpret_cast<std::wstring*>(param) += buffer;
  }
  return TRUE;
}

// The texts of a dialog's static controls, one after the other.
inline std::wstring dialogText(HWND dialog) {
  std::wstring text;
  EnumChildWindows(dialog, appendStaticText, reinterpret_cast<LPARAM>(&text));
  return text;
}

// Watches for message boxes captioned "Info" of one process (or of any), keeps their texts and
// answers each with OK, as the user would.
class InfoBoxWatcher {
 public:
  static constexpr DWORD kAnyProcess = ~DWORD{0};
  explicit InfoBoxWatcher(DWORD processId) : processId_(processId), thread_([this] { run(); }) {}
  ~InfoBoxWatcher() {
    stop_ = true;
    thread_.join();
  }
  std::vector<std::wstring> texts() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return texts_;
  }
  // Waits up to `ms` for at least `count` boxes.
  bool waitFor(size_t count, int ms) const {
    for (int waited = 0; waited < ms; waited += 50) {
      if (texts().size() >= count) return true;
      Sleep(50);
    }
    return texts().size() >= count;
  }

 private:
  void run() {
    while (!stop_) {
      HWND box = nullptr;
      while ((box = FindWindowExW(nullptr, box, L"#32770", L"Info")) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(box, &owner);
        if ((processId_ != kAnyProcess && owner != processId_) || !IsWindowVisible(box) || answered(box)) continue;
        // The box may be found before its text is in place.
        const std::wstring text = dialogText(box);
        if (text.empty()) continue;
        {
          std::lock_guard<std::mutex> lock(mutex_);
          texts_.push_back(text);
          answered_.push_back(box);
        }
        PostMessageW(box, WM_COMMAND, IDOK, 0);
      }
      Sleep(50);
    }
  }
  bool answered(HWND box) const {
    std::lock_guard<std::mutex> lock(mutex_);
    for (HWND seen : answered_)
      if (seen == box) return true;
    return false;
  }

  DWORD processId_;
  std::atomic<bool> stop_{false};
  mutable std::mutex mutex_;
  std::vector<std::wstring> texts_;
  std::vector<HWND> answered_;
  std::thread thread_;
};

inline constexpr wchar_t kHintText[] = L"Ziehen Sie VoZozu-Diror mit der Maus nach oben auf die Symbolleisten";

// The bar as DocumentDump shows it when both buttons are there, term button first.
inline constexpr char kFullBarDump[] =
    R"("commandBars":[{"name":"VoZozu-Diror","visible":true,"buttons":[)"
    R"({"caption":"ZombTerm","tag":"ZombTerm","faceId":57},{"caption":"ZbGlyphor","tag":"ZbGlyphor","faceId":226}]}])";

// The processes of the test assistant that recorded to `log`, in order of start.
inline std::vector<DWORD> stubProcesses(const std::wstring& log) {
  std::vector<DWORD> ids;
  for (const std::wstring& line : readLogLines(log)) {
    if (line.find(L" Started") == std::wstring::npos) continue;
    ids.push_back(static_cast<DWORD>(std::stoul(line.substr(4))));
  }
  return ids;
}

// The calls one recording stand-in server took, without its process id.
inline std::vector<std::wstring> callsOf(const std::wstring& log, DWORD processId) {
  const std::wstring prefix = L"pid=" + std::to_wstring(processId) + L" ";
  std::vector<std::wstring> calls;
  for (const std::wstring& line : readLogLines(log))
    if (line.starts_with(prefix)) calls.push_back(line.substr(prefix.size()));
  return calls;
}

// A test assistant's process, held open from when the log names it: Wine gives a
// freed process id to the next process, and the next assistant would then be logged
// under the id of the one it replaced.
using HeldProcess = UniqueHandle<HANDLE, CloseHandle>;
inline HeldProcess holdProcess(DWORD processId) {
  return HeldProcess(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
}

inline bool processEnds(const HeldProcess& process, DWORD ms) {
  return process && WaitForSingleObject(process.get(), ms) == WAIT_OBJECT_0;
}

}  // namespace pendrix::addin::testing

// RegisterCalvora, RegisterCalvoraAll and UnRegisterCalvora as programs: started,
// waited for, and their work read back from the registry, in both registry views:
// 64-bit Word reads HKLM\Software, 32-bit Word HKLM\Software\WOW6432Node, and both
// read the one HKCU\Software.

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "support/process_win32.h"
#include "win32/handles.h"

namespace pendrix::testing {
namespace {

constexpr char kAddinKey[] = "Software\\Microsoft\\Office\\Word\\Addins\\Glyphor.ZombAddin";
constexpr char kAddinsKey[] = "Software\\Microsoft\\Office\\Word\\Addins";

struct Value {
  std::string name;
  DWORD type = 0;
  std::string data;  // the stored bytes
  bool operator==(const Value&) const = default;
  friend void PrintTo(const Value& value, std::ostream* out) {
    *out << value.name << " (type " << value.type << ", " << value.data.size() << " bytes)";
  }
};

std::string text(const char* value) { return std::string(value, lstrlenA(value) + 1); }
std::string number(DWORD value) { return std::string(reinterpret_cast<const char*>(&value), sizeof value); }

// The registry views, as 64-bit and as 32-bit Word see the registry.
constexpr REGSAM kViews[] = {KEY_WOW64_64KEY, KEY_WOW64_32KEY};

const char* nameOf(REGSAM view) { return view == KEY_WOW64_32KEY ? "32-bit view" : "64-bit view"; }

// The values of the add-in key by name (the registry does not keep the order they
// were written in), as Word of one bitness reads them; nothing when there is no key.
std::optional<std::vector<Value>> addinEntry(HKEY hive, REGSAM view = KEY_WOW64_64KEY) {
  UniqueHkey key;
  if (RegOpenKeyExA(hive, kAddinKey, 0, KEY_READ | view, key.put()) != ERROR_SUCCESS) return std::nullopt;
  std::vector<Value> values;
  for (DWORD index = 0;; ++index) {
    char name[256];
    DWORD nameLength = sizeof name;
    BYTE data[512];
    DWORD size = sizeof data;
    Value value;
    if (RegEnumValueA(key.get(), index, name, &nameLength, nullptr, &value.type, data, &size) != ERROR_SUCCESS) break;
    value.name = name;
    value.data.assign(reinterpret_cast<const char*>(data), size);
    values.push_back(value);
  }
  std::ranges::sort(values, {}, &Value::name);
  return values;
}

// Strings with their terminating zero.
const std::vector<Value> kToolsEntry = {{"CommandLineSafe", REG_DWORD, number(0)},
                                        {"Description", REG_SZ, text("Calvora Add-In")},
                                        {"FriendlyName", REG_SZ, text("Glyphor.ZombAddin")},
                                        {"LoadBehavior", REG_DWORD, number(3)}};

// Runs a tool to its end; its exit code, or -1 when it did not end (a window or a
// message box waiting for someone would keep it running).
long run(const char* program) {
  UniqueProcess process = startProcess(winePath(program), L"");
  return process ? waitForExit(process.get()) : -2;
}

void removeEntries() {
  for (const REGSAM view : kViews) {
    RegDeleteKeyExA(HKEY_CURRENT_USER, kAddinKey, view, 0);
    RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kAddinKey, view, 0);
  }
}

class RegistrationTools : public ::testing::Test {
 protected:
  void SetUp() override { removeEntries(); }
  void TearDown() override { removeEntries(); }
};

TEST_F(RegistrationTools, RegisterCalvoraWritesANewEntryForTheCurrentUserOnceOnly) {
  ASSERT_EQ(run(REGISTER_EXE), 0);
  for (const REGSAM view : kViews) {
    SCOPED_TRACE(nameOf(view));
    EXPECT_EQ(addinEntry(HKEY_CURRENT_USER, view), kToolsEntry) << "one key that Word of either bitness reads";
    EXPECT_EQ(addinEntry(HKEY_LOCAL_MACHINE, view), std::nullopt);
  }

  // An existing entry is left as it is, whatever it holds.
  UniqueHkey key;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kAddinKey, 0, KEY_SET_VALUE, key.put()), ERROR_SUCCESS);
  const DWORD unloaded = 2;
  RegSetValueExA(key.get(), "LoadBehavior", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&unloaded), sizeof unloaded);
  key.reset();
  const auto changed = addinEntry(HKEY_CURRENT_USER);
  ASSERT_EQ(run(REGISTER_EXE), 0);
  EXPECT_EQ(addinEntry(HKEY_CURRENT_USER), changed);
}

TEST_F(RegistrationTools, RegisterCalvoraKeepsTheAddinsOwnRegistration) {
  UniqueHandle<HMODULE, FreeLibrary> tarnel(LoadLibraryW(winePath(TARNEL_DLL).c_str()));
  ASSERT_TRUE(tarnel);
  using Entry = HRESULT(STDAPICALLTYPE*)();
  const auto registerServer = reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(tarnel.get(), "DllRegisterServer")));
  const auto unregisterServer = reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(tarnel.get(), "DllUnregisterServer")));
  ASSERT_TRUE(registerServer && unregisterServer);
  ASSERT_EQ(registerServer(), S_OK);
  const auto own = addinEntry(HKEY_CURRENT_USER);
  ASSERT_TRUE(own);
  EXPECT_NE(std::ranges::find(*own, Value{"FriendlyName", REG_SZ, text("ZombAddin")}), own->end());

  EXPECT_EQ(run(REGISTER_EXE), 0);
  EXPECT_EQ(run(REGISTER_EXE), 0);
  EXPECT_EQ(addinEntry(HKEY_CURRENT_USER), own);
  EXPECT_EQ(unregisterServer(), S_OK);
}

// For 64-bit and for 32-bit Word on 64-bit Windows alike; each view on its own.
TEST_F(RegistrationTools, RegisterCalvoraAllWritesTheEntryForAllUsersOfBothBitnesses) {
  ASSERT_EQ(run(REGISTER_ALL_EXE), 0);
  for (const REGSAM view : kViews) {
    SCOPED_TRACE(nameOf(view));
    EXPECT_EQ(addinEntry(HKEY_LOCAL_MACHINE, view), kToolsEntry);
    EXPECT_EQ(addinEntry(HKEY_CURRENT_USER, view), std::nullopt);
  }
  // An entry that exists in one view only: the other gets its own, the first stays.
  ASSERT_EQ(RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kAddinKey, KEY_WOW64_32KEY, 0), ERROR_SUCCESS);
  ASSERT_EQ(RegSetKeyValueA(HKEY_LOCAL_MACHINE, kAddinKey, "Description", REG_SZ, "eigene", 7), ERROR_SUCCESS);
  const auto changed = addinEntry(HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY);
  ASSERT_EQ(run(REGISTER_ALL_EXE), 0);
  EXPECT_EQ(addinEntry(HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY), changed);
  EXPECT_EQ(addinEntry(HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY), kToolsEntry);
}

TEST_F(RegistrationTools, UnRegisterCalvoraRemovesEveryEntryAndMissingOnesAreNoError) {
  ASSERT_EQ(run(REGISTER_EXE), 0);
  ASSERT_EQ(run(REGISTER_ALL_EXE), 0);
  EXPECT_EQ(run(UNREGISTER_EXE), 0);
  for (const REGSAM view : kViews) {
    SCOPED_TRACE(nameOf(view));
    EXPECT_EQ(addinEntry(HKEY_CURRENT_USER, view), std::nullopt);
    EXPECT_EQ(addinEntry(HKEY_LOCAL_MACHINE, view), std::nullopt);
  }

  EXPECT_EQ(run(UNREGISTER_EXE), 0);
  // An entry for 32-bit Word alone, as a 32-bit installer writes it.
  {
    UniqueHkey key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kAddinKey, 0, nullptr, 0, KEY_SET_VALUE | KEY_WOW64_32KEY, nullptr,
                              key.put(), nullptr),
              ERROR_SUCCESS);
  }
  ASSERT_NE(addinEntry(HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY), std::nullopt);
  EXPECT_EQ(run(UNREGISTER_EXE), 0);
  for (const REGSAM view : kViews) EXPECT_EQ(addinEntry(HKEY_LOCAL_MACHINE, view), std::nullopt) << nameOf(view);
}

// Word's add-in lists for all users (both views) refusing new entries, as they do for
// a user without administrator rights. Wine does not enforce registry security, so the
// refusal comes from the list being a volatile key, which takes no lasting subkey;
// the lists are removed again afterwards (they were recreated empty for the test).
class RefusingMachineAddinList {
 public:
  RefusingMachineAddinList() {
    made_ = true;
    for (const REGSAM view : kViews) {
      RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kAddinsKey, view, 0);
      UniqueHkey list;
      DWORD disposition = 0;
      const bool made = RegCreateKeyExA(HKEY_LOCAL_MACHINE, kAddinsKey, 0, nullptr, REG_OPTION_VOLATILE,
                                        KEY_READ | view, nullptr, list.put(), &disposition) == ERROR_SUCCESS;
      made_ = made_ && made && disposition == REG_CREATED_NEW_KEY;
    }
  }
  ~RefusingMachineAddinList() {
    for (const REGSAM view : kViews) RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kAddinsKey, view, 0);
  }
  bool made() const { return made_; }

 private:
  bool made_ = false;
};

TEST_F(RegistrationTools, RegisterCalvoraAllWithoutWriteAccessDoesNothingAndShowsNothing) {
  RefusingMachineAddinList refusing;
  ASSERT_TRUE(refusing.made());
  const long exitCode = run(REGISTER_ALL_EXE);
  EXPECT_NE(exitCode, -1) << "the tool waited for someone";
  EXPECT_EQ(exitCode, ERROR_CHILD_MUST_BE_VOLATILE);
  for (const REGSAM view : kViews) EXPECT_EQ(addinEntry(HKEY_LOCAL_MACHINE, view), std::nullopt) << nameOf(view);
}

}  // namespace
}  // namespace pendrix::testing

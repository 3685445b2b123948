// RegisterCalvora, RegisterCalvoraAll and UnRegisterCalvora as programs: started,
// waited for, and their work read back from the registry.

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

// The values of the add-in key by name (the registry does not keep the order they
// were written in); nothing when there is no key.
std::optional<std::vector<Value>> addinEntry(HKEY hive) {
  UniqueHkey key;
  if (RegOpenKeyExA(hive, kAddinKey, 0, KEY_READ, key.put()) != ERROR_SUCCESS) return std::nullopt;
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
  RegDeleteKeyA(HKEY_CURRENT_USER, kAddinKey);
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, kAddinKey);
}

class RegistrationTools : public ::testing::Test {
 protected:
  void SetUp() override { removeEntries(); }
  void TearDown() override { removeEntries(); }
};

TEST_F(RegistrationTools, RegisterCalvoraWritesANewEntryForTheCurrentUserOnceOnly) {
  ASSERT_EQ(run(REGISTER_EXE), 0);
  EXPECT_EQ(addinEntry(HKEY_CURRENT_USER), kToolsEntry);
  EXPECT_EQ(addinEntry(HKEY_LOCAL_MACHINE), std::nullopt);

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

TEST_F(RegistrationTools, RegisterCalvoraAllWritesTheEntryForAllUsers) {
  ASSERT_EQ(run(REGISTER_ALL_EXE), 0);
  EXPECT_EQ(addinEntry(HKEY_LOCAL_MACHINE), kToolsEntry);
  EXPECT_EQ(addinEntry(HKEY_CURRENT_USER), std::nullopt);
  ASSERT_EQ(run(REGISTER_ALL_EXE), 0);
  EXPECT_EQ(addinEntry(HKEY_LOCAL_MACHINE), kToolsEntry);
}

TEST_F(RegistrationTools, UnRegisterCalvoraRemovesBothEntriesAndMissingOnesAreNoError) {
  ASSERT_EQ(run(REGISTER_EXE), 0);
  ASSERT_EQ(run(REGISTER_ALL_EXE), 0);
  EXPECT_EQ(run(UNREGISTER_EXE), 0);
  EXPECT_EQ(addinEntry(HKEY_CURRENT_USER), std::nullopt);
  EXPECT_EQ(addinEntry(HKEY_LOCAL_MACHINE), std::nullopt);

  EXPECT_EQ(run(UNREGISTER_EXE), 0);
  ASSERT_EQ(run(REGISTER_ALL_EXE), 0);  // only one of the two there
  EXPECT_EQ(run(UNREGISTER_EXE), 0);
  EXPECT_EQ(addinEntry(HKEY_LOCAL_MACHINE), std::nullopt);
}

// Word's add-in list for all users refusing new entries, as it does for a user
// without administrator rights. Wine does not enforce registry security, so the
// refusal comes from the list being a volatile key, which takes no lasting subkey;
// the list is removed again afterwards (it was recreated empty for the test).
class RefusingMachineAddinList {
 public:
  RefusingMachineAddinList() {
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kAddinsKey);
    UniqueHkey list;
    DWORD disposition = 0;
    made_ = RegCreateKeyExA(HKEY_LOCAL_MACHINE, kAddinsKey, 0, nullptr, REG_OPTION_VOLATILE, KEY_READ, nullptr,
                            list.put(), &disposition) == ERROR_SUCCESS &&
            disposition == REG_CREATED_NEW_KEY;
  }
  ~RefusingMachineAddinList() { RegDeleteKeyA(HKEY_LOCAL_MACHINE, kAddinsKey); }
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
  EXPECT_EQ(addinEntry(HKEY_LOCAL_MACHINE), std::nullopt);
}

}  // namespace
}  // namespace pendrix::testing

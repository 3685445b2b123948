#include "office_addin_registration.h"

#include <new>
#include <span>

#include "win32/handles.h"

namespace pendrix::tools {
namespace {

constexpr char kAddinProgId[] = "Glyphor.ZombAddin";

// All standard rights with query value, set value, create subkey, notify and create
// link: what the add-in list has always been opened with.
constexpr REGSAM kAddinKeyAccess = 0x1F0037;

// Strings are stored with their terminating zero: data without one lets a reader
// of REG_SZ run past the value.
LSTATUS setText(HKEY key, const char* name, const char* text) {
  return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                        static_cast<DWORD>(lstrlenA(text) + 1));
}

LSTATUS setNumber(HKEY key, const char* name, DWORD number) {
  return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
}

// The values of a new entry, in the order Word's list shows them written.
LSTATUS writeNewEntry(HKEY key) {
  LSTATUS status = setText(key, "FriendlyName", kAddinProgId);
  if (status == ERROR_SUCCESS) status = setText(key, "Description", "Calvora Add-In");
  if (status == ERROR_SUCCESS) status = setNumber(key, "LoadBehavior", 3);
  if (status == ERROR_SUCCESS) status = setNumber(key, "CommandLineSafe", 0);
  return status;
}

// 32-bit Word reads HKEY_LOCAL_MACHINE\Software through the 32-bit view
// (WOW6432Node), 64-bit Word through the 64-bit one; HKEY_CURRENT_USER\Software is one
// key for both.
std::span<const REGSAM> viewsOf(HKEY hive) {
  static constexpr REGSAM kBoth[] = {KEY_WOW64_64KEY, KEY_WOW64_32KEY};
  static constexpr REGSAM kShared[] = {0};
  if (hive == HKEY_LOCAL_MACHINE) return kBoth;
  return kShared;
}

// Runs `step` in every view of `hive`, each whatever the one before gave; the first
// failure is the result.
template <typename Step>
LSTATUS inEveryView(HKEY hive, Step step) {
  LSTATUS first = ERROR_SUCCESS;
  for (const REGSAM view : viewsOf(hive)) {
    const LSTATUS status = step(view);
    if (first == ERROR_SUCCESS) first = status;
  }
  return first;
}

}  // namespace

std::string officeAddinKey(const std::string& targetApp) {
  return "Software\\Microsoft\\Office\\" + targetApp + "\\Addins\\" + kAddinProgId;
}

LSTATUS RegisterOfficeAddin(HKEY hive, const std::string& targetApp) {
  return inEveryView(hive, [&](REGSAM view) {
    UniqueHkey key;
    DWORD disposition = 0;
    const LSTATUS status = RegCreateKeyExA(hive, officeAddinKey(targetApp).c_str(), 0, nullptr, 0,
                                           kAddinKeyAccess | view, nullptr, key.put(), &disposition);
    if (status != ERROR_SUCCESS) return status;
    return disposition == REG_CREATED_NEW_KEY ? writeNewEntry(key.get()) : ERROR_SUCCESS;
  });
}

LSTATUS UnRegisterOfficeAddin(HKEY hive, const std::string& targetApp) {
  return inEveryView(hive, [&](REGSAM view) {
    const LSTATUS status = RegDeleteKeyExA(hive, officeAddinKey(targetApp).c_str(), view, 0);
    return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
  });
}

LSTATUS RegisterAll(HKEY hive) { return RegisterOfficeAddin(hive, "Word"); }

LSTATUS UnregisterAll() {
  // Both hives are tried whatever the first gives.
  const LSTATUS user = UnRegisterOfficeAddin(HKEY_CURRENT_USER, "Word");
  const LSTATUS machine = UnRegisterOfficeAddin(HKEY_LOCAL_MACHINE, "Word");
  return user != ERROR_SUCCESS ? user : machine;
}

int runEntryRoutine(LSTATUS (*routine)()) {
  try {
    return static_cast<int>(routine());
  } catch (const std::bad_alloc&) {
    return ERROR_NOT_ENOUGH_MEMORY;
  } catch (...) {
    return ERROR_INTERNAL_ERROR;
  }
}

}  // namespace pendrix::tools

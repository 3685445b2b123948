#include "session/registration_win32.h"

#include <windows.h>

#include <vector>

#include "win32/class_ids.h"
#include "win32/handles.h"

namespace pendrix {
namespace {

struct RegistryRow {
  std::u16string key;    // below the classes root
  std::u16string value;  // the key's default value
};

std::vector<RegistryRow> assistantRows(const std::u16string& serverPath) {
  const std::u16string progId = kAssistantProgId;
  const std::u16string clsidKey = u"CLSID\\" + std::u16string(kAssistantAppKey);
  //       key                          default value
  return {{progId,                       progId},
          {progId + u"\\CLSID",          kAssistantAppKey},
          {clsidKey,                     progId},
          {clsidKey + u"\\ProgID",       progId},
          {clsidKey + u"\\LocalServer32", serverPath}};
}

bool writeDefaultValue(HKEY root, const RegistryRow& row) {
  UniqueHkey key;
  if (RegCreateKeyExW(root, wide(row.key), 0, nullptr, 0, KEY_WRITE, nullptr, key.put(), nullptr) != ERROR_SUCCESS)
    return false;
  const DWORD bytes = static_cast<DWORD>((row.value.size() + 1) * sizeof(char16_t));
  return RegSetValueExW(key.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(wide(row.value)), bytes) ==
         ERROR_SUCCESS;
}

bool writeRows(HKEY root, const std::vector<RegistryRow>& rows) {
  for (const RegistryRow& row : rows)
    if (!writeDefaultValue(root, row)) return false;
  return true;
}

}  // namespace

RegistrationScope registerAssistantClass(const std::u16string& serverPath, HKEY machineClasses, HKEY user) {
  const std::vector<RegistryRow> rows = assistantRows(serverPath);
  if (writeRows(machineClasses, rows)) return RegistrationScope::Machine;
  UniqueHkey userClasses;
  if (RegCreateKeyExW(user, L"Software\\Classes", 0, nullptr, 0, KEY_WRITE | KEY_READ, nullptr,
                      userClasses.put(), nullptr) != ERROR_SUCCESS)
    return RegistrationScope::None;
  return writeRows(userClasses.get(), rows) ? RegistrationScope::User : RegistrationScope::None;
}

std::u16string serverPathOfThisProgram() {
  std::vector<wchar_t> path(MAX_PATH);
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) break;
    path.resize(path.size() * 2);
  }
  const DWORD shortLength = GetShortPathNameW(path.data(), nullptr, 0);
  if (shortLength == 0) return fromWide(path.data());
  std::vector<wchar_t> shortPath(shortLength);
  if (GetShortPathNameW(path.data(), shortPath.data(), shortLength) == 0) return fromWide(path.data());
  return fromWide(shortPath.data());
}

}  // namespace pendrix

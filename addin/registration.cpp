#include "registration.h"

#include <new>
#include <set>
#include <utility>

#include "win32/class_ids.h"
#include "win32/com.h"
#include "win32/handles.h"

namespace pendrix::addin {
namespace {

constexpr wchar_t kClassPlaceholder[] = L"%CLSID%";
constexpr wchar_t kModulePlaceholder[] = L"%MODULE%";

// Keys above these entries (CLSID, Software, ..., Addins) are shared with others
// and are never named here, so they are never deleted.
const RegistryEntry kEntries[] = {
    // root, key, value name, kind, text, number, removal, sharing
    {HKEY_CLASSES_ROOT, L"Glyphor.ZombAddin.1", nullptr, EntryKind::Text, L"ZombAddin Class", 0, Removal::Delete, Sharing::BothViews},
    {HKEY_CLASSES_ROOT, L"Glyphor.ZombAddin.1\\CLSID", nullptr, EntryKind::Text, kClassPlaceholder, 0, Removal::WithOwner, Sharing::BothViews},
    {HKEY_CLASSES_ROOT, L"Glyphor.ZombAddin", nullptr, EntryKind::Text, L"ZombAddin Class", 0, Removal::Delete, Sharing::BothViews},
    {HKEY_CLASSES_ROOT, L"Glyphor.ZombAddin\\CLSID", nullptr, EntryKind::Text, kClassPlaceholder, 0, Removal::WithOwner, Sharing::BothViews},
    {HKEY_CLASSES_ROOT, L"Glyphor.ZombAddin\\CurVer", nullptr, EntryKind::Text, L"Glyphor.ZombAddin.1", 0, Removal::WithOwner, Sharing::BothViews},
    {HKEY_CLASSES_ROOT, L"CLSID\\%CLSID%", nullptr, EntryKind::Text, L"ZombAddin Class", 0, Removal::Replace, Sharing::OwnView},
    {HKEY_CLASSES_ROOT, L"CLSID\\%CLSID%\\ProgID", nullptr, EntryKind::Text, L"Glyphor.ZombAddin.1", 0, Removal::WithOwner, Sharing::OwnView},
    {HKEY_CLASSES_ROOT, L"CLSID\\%CLSID%\\VersionIndependentProgID", nullptr, EntryKind::Text, L"Glyphor.ZombAddin", 0, Removal::WithOwner, Sharing::OwnView},
    {HKEY_CLASSES_ROOT, L"CLSID\\%CLSID%\\Programmable", nullptr, EntryKind::KeyOnly, nullptr, 0, Removal::WithOwner, Sharing::OwnView},
    {HKEY_CLASSES_ROOT, L"CLSID\\%CLSID%\\InprocServer32", nullptr, EntryKind::Text, kModulePlaceholder, 0, Removal::WithOwner, Sharing::OwnView},
    {HKEY_CLASSES_ROOT, L"CLSID\\%CLSID%\\InprocServer32", L"ThreadingModel", EntryKind::Text, L"Apartment", 0, Removal::WithOwner, Sharing::OwnView},
    {HKEY_CURRENT_USER, L"Software\\Microsoft\\Office\\Word\\Addins\\Glyphor.ZombAddin", L"FriendlyName", EntryKind::Text, L"ZombAddin", 0, Removal::Replace, Sharing::BothViews},
    {HKEY_CURRENT_USER, L"Software\\Microsoft\\Office\\Word\\Addins\\Glyphor.ZombAddin", L"LoadBehavior", EntryKind::Number, nullptr, 3, Removal::Replace, Sharing::BothViews},
    {HKEY_CURRENT_USER, L"Software\\Microsoft\\Office\\Word\\Addins\\Glyphor.ZombAddin", L"CommandLineSafe", EntryKind::Number, nullptr, 0, Removal::Replace, Sharing::BothViews},
};

std::wstring expand(const wchar_t* pattern, const std::wstring& modulePath) {
  std::wstring text = pattern ? pattern : L"";
  const std::pair<std::wstring, std::wstring> substitutions[] = {
      {kClassPlaceholder, reinterpret_cast<const wchar_t*>(kZombAddinKey)}, {kModulePlaceholder, modulePath}};
  for (const auto& [placeholder, value] : substitutions) {
    for (size_t at = text.find(placeholder); at != std::wstring::npos; at = text.find(placeholder, at + value.size()))
      text.replace(at, placeholder.size(), value);
  }
  return text;
}

HRESULT fromStatus(LSTATUS status) { return status == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(status); }

bool classRegisteredIn(REGSAM view) {
  const std::wstring key = std::wstring(L"CLSID\\") + reinterpret_cast<const wchar_t*>(kZombAddinKey) + L"\\InprocServer32";
  UniqueHkey opened;
  return RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_QUERY_VALUE | view, opened.put()) == ERROR_SUCCESS;
}

HRESULT deleteTree(HKEY root, const std::wstring& key) {
  const LSTATUS status = RegDeleteTreeW(root, key.c_str());
  if (status == ERROR_FILE_NOT_FOUND || status == ERROR_PATH_NOT_FOUND) return S_OK;
  return fromStatus(status);
}

HRESULT writeEntry(const RegistryEntry& entry, const std::wstring& modulePath) {
  UniqueHkey key;
  PENDRIX_RETURN_IF_FAILED(fromStatus(RegCreateKeyExW(entry.root, expand(entry.key, modulePath).c_str(), 0, nullptr,
                                                      0, KEY_SET_VALUE, nullptr, key.put(), nullptr)));
  switch (entry.kind) {
    case EntryKind::KeyOnly:
      return S_OK;
    case EntryKind::Number:
      return fromStatus(RegSetValueExW(key.get(), entry.valueName, 0, REG_DWORD,
                                       reinterpret_cast<const BYTE*>(&entry.number), sizeof entry.number));
    case EntryKind::Text: {
      const std::wstring text = expand(entry.text, modulePath);
      return fromStatus(RegSetValueExW(key.get(), entry.valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                       static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))));
    }
  }
  return E_UNEXPECTED;
}

// The keys of `sharing` removed as a whole at `removals`, each once, in table order.
template <typename Visit>
HRESULT forEachRemovedKey(std::span<const RegistryEntry> entries, std::initializer_list<Removal> removals,
                          std::initializer_list<Sharing> sharings, Visit visit) {
  std::set<std::pair<HKEY, std::wstring>> done;
  for (const RegistryEntry& entry : entries) {
    bool selected = false;
    for (Removal removal : removals) selected = selected || entry.removal == removal;
    bool shared = false;
    for (Sharing sharing : sharings) shared = shared || entry.sharing == sharing;
    if (!selected || !shared) continue;
    const std::wstring key = expand(entry.key, {});
    if (!done.insert({entry.root, key}).second) continue;
    PENDRIX_RETURN_IF_FAILED(visit(entry.root, key));
  }
  return S_OK;
}

}  // namespace

std::span<const RegistryEntry> registryEntries() { return kEntries; }

REGSAM otherRegistryView() { return sizeof(void*) == 8 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY; }

std::wstring modulePath(HMODULE module) {
  // Long paths are allowed: grow until the name fits.
  for (DWORD size = MAX_PATH; size <= 32768; size *= 2) {
    std::wstring path(size, L'\0');
    const DWORD length = GetModuleFileNameW(module, path.data(), size);
    if (length == 0) return {};
    if (length < size) {
      path.resize(length);
      return path;
    }
  }
  return {};
}

HRESULT registerEntries(std::span<const RegistryEntry> entries, const std::wstring& modulePath) {
  if (modulePath.empty()) return E_UNEXPECTED;
  try {
    PENDRIX_RETURN_IF_FAILED(
        forEachRemovedKey(entries, {Removal::Replace}, {Sharing::OwnView, Sharing::BothViews}, deleteTree));
    for (const RegistryEntry& entry : entries) PENDRIX_RETURN_IF_FAILED(writeEntry(entry, modulePath));
    return S_OK;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

HRESULT unregisterEntries(std::span<const RegistryEntry> entries, REGSAM otherView) {
  try {
    PENDRIX_RETURN_IF_FAILED(forEachRemovedKey(entries, {Removal::Replace, Removal::Delete}, {Sharing::OwnView}, deleteTree));
    // Asked only now: on a 32-bit Windows the other view is this one, whose class is gone.
    if (classRegisteredIn(otherView)) return S_OK;
    return forEachRemovedKey(entries, {Removal::Replace, Removal::Delete}, {Sharing::BothViews}, deleteTree);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

}  // namespace pendrix::addin

#pragma once
// Writing a COM class's registry keys. Wine 8 looks classes up under
// HKEY_CLASSES_ROOT only (it does not merge HKCU\Software\Classes), so the stand-ins
// register there.

#include <windows.h>

#include <string>

#include "win32/class_ids.h"
#include "win32/handles.h"

namespace pendrix::wordhost {

inline LSTATUS setRegistryText(HKEY root, const std::wstring& path, const wchar_t* name, const std::wstring& value) {
  UniqueHkey key;
  const LSTATUS status = RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.put(), nullptr);
  if (status != ERROR_SUCCESS) return status;
  return RegSetValueExW(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

// The first failure of a series of writes, as an HRESULT.
template <size_t N>
HRESULT firstFailure(const LSTATUS (&statuses)[N]) {
  for (LSTATUS status : statuses) {
    if (status != ERROR_SUCCESS) return HRESULT_FROM_WIN32(status);
  }
  return S_OK;
}

}  // namespace pendrix::wordhost

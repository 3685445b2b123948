#pragma once
// The add-in's registry entries as one table, written by DllRegisterServer and
// removed by DllUnregisterServer: the class, both ProgIDs and Word's per-user
// add-in key. A 32-bit add-in writes through the 32-bit registry view (the system
// redirects a 32-bit process), as regsvr32 of that bitness does. The class key is
// each view's own; the ProgIDs and Word's add-in key are read by 32-bit and 64-bit
// Word alike, so they stay while the other bitness's file still registers the class.

#include <windows.h>

#include <span>
#include <string>

namespace pendrix::addin {

enum class EntryKind { Text, Number, KeyOnly };

// What happens to an entry's key besides writing it.
enum class Removal {
  Replace,   // deleted with its subkeys before registering and when unregistering
  Delete,    // deleted with its subkeys when unregistering
  WithOwner  // lies inside a key of one of the two kinds above
};

// Whether an entry's key lies in this bitness's registry view alone (HKCR\CLSID is
// redirected) or is the same key for both bitnesses.
enum class Sharing { OwnView, BothViews };

struct RegistryEntry {
  HKEY root;
  const wchar_t* key;        // "%CLSID%" stands for the class id in braces
  const wchar_t* valueName;  // null: the key's default value
  EntryKind kind;
  const wchar_t* text;       // "%MODULE%" stands for the add-in file's full path
  DWORD number;
  Removal removal;
  Sharing sharing;
};

std::span<const RegistryEntry> registryEntries();

// The full path of this module, or empty when it cannot be read.
std::wstring modulePath(HMODULE module);

// The registry view of the other bitness: the 32-bit view for a 64-bit module and the
// other way round (on a 32-bit Windows both name the one view there is).
REGSAM otherRegistryView();

HRESULT registerEntries(std::span<const RegistryEntry> entries, const std::wstring& modulePath);
// Removes this view's keys, then the shared ones unless the class is still registered
// in `otherView`.
HRESULT unregisterEntries(std::span<const RegistryEntry> entries, REGSAM otherView = otherRegistryView());

}  // namespace pendrix::addin

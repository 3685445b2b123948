#pragma once
// The start benchmark's yardsticks, each a local server of its own class that the
// add-in starts as it starts the assistant: an empty dialog, and the assistant's own
// dialog template with its button pictures and nothing else. One program serves both;
// its argument says which.

#include <guiddef.h>

namespace pendrix {

struct Yardstick {
  CLSID classId;
  const wchar_t* classKey;
  const wchar_t* argument;  // on the LocalServer32 line, before COM's "-Embedding"
  const wchar_t* caption;   // of the dialog it shows
};

inline constexpr wchar_t kEmptyDialogCaption[] = L"Leerer Dialog";
inline constexpr wchar_t kTemplateDialogCaption[] = L" Calvora";  // the template's own

inline constexpr Yardstick kEmptyDialogServer = {
    {0xa3feef39, 0x86fb, 0x482b, {0xb7, 0x32, 0xa1, 0x99, 0x31, 0xb4, 0x45, 0x22}},
    L"{a3feef39-86fb-482b-b732-a19931b44522}", L"/empty", kEmptyDialogCaption};
inline constexpr Yardstick kTemplateDialogServer = {
    {0x5c1d7e2a, 0x0b6e, 0x4d39, {0x9a, 0x54, 0x7e, 0x21, 0xc3, 0x8f, 0x10, 0x6d}},
    L"{5c1d7e2a-0b6e-4d39-9a54-7e21c38f106d}", L"/template", kTemplateDialogCaption};

}  // namespace pendrix

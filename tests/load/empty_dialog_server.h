#pragma once
// The empty dialog server's class id and caption, for the server and the benchmark
// that starts it.

#include <guiddef.h>

namespace pendrix {

inline constexpr CLSID kEmptyDialogServerId = {
    0xa3feef39, 0x86fb, 0x482b, {0xb7, 0x32, 0xa1, 0x99, 0x31, 0xb4, 0x45, 0x22}};
inline constexpr wchar_t kEmptyDialogServerKey[] = L"{a3feef39-86fb-482b-b732-a19931b44522}";
inline constexpr wchar_t kEmptyDialogCaption[] = L"Leerer Dialog";

}  // namespace pendrix

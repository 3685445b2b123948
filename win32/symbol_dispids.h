#pragma once
// The two members of the outside symbol tool that the add-in calls, by DISPID. The
// stand-in symbol tool serves them under these numbers.

#include <windows.h>
#include <oaidl.h>

namespace pendrix::symbol_dispid {

inline constexpr DISPID kWindowHandle = 1;        // property get: its window as VT_I4
inline constexpr DISPID kSetWordApplication = 2;  // method: Word's application object

}  // namespace pendrix::symbol_dispid

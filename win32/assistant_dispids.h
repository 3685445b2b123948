#pragma once
// The assistant's automation members ("Pendrix.Application"), by DISPID. The add-in
// knows the assistant by its class id and these six numbers alone.

#include <windows.h>

namespace pendrix::assistant {

inline constexpr DISPID kDispidWindowHandle = 1;        // property, VT_I4
inline constexpr DISPID kDispidWordWindowHandle = 2;    // property, VT_I4
inline constexpr DISPID kDispidCursorXPos = 3;          // property, VT_I4
inline constexpr DISPID kDispidCursorYPos = 4;          // property, VT_I4
inline constexpr DISPID kDispidSetWordApplication = 5;  // method (VT_DISPATCH), returns VT_I4 0
inline constexpr DISPID kDispidSetWordField = 6;        // method (VT_DISPATCH), returns VT_I4 0

}  // namespace pendrix::assistant

#pragma once
// The assistant's automation members by DISPID. The add-in calls them by number and
// the assistant serves them under these numbers; both include this one header.

#include <windows.h>
#include <oaidl.h>

namespace pendrix::assistant_dispid {

inline constexpr DISPID kWindowHandle = 1;       // property get: the main window as VT_I4
inline constexpr DISPID kWordWindowHandle = 2;   // property put: Word's main window as VT_I4
inline constexpr DISPID kCursorXPos = 3;         // property put: cursor x on the screen
inline constexpr DISPID kCursorYPos = 4;         // property put: cursor y on the screen
inline constexpr DISPID kSetWordApplication = 5; // method: Word's application object
inline constexpr DISPID kSetWordField = 6;       // method: the Word field to edit

}  // namespace pendrix::assistant_dispid

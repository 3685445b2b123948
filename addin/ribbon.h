#pragma once
// The add-in's tab on Word's ribbon (Word 2007 and later): the customUI XML that
// GetCustomUI hands to Word, the callbacks it names (Word reaches them through
// ZombAddin's IDispatch by name) and the pictures of its two buttons.

#include <windows.h>
#include <oaidl.h>

#include <string>
#include <string_view>

#include "win32/com.h"

namespace pendrix::addin {

// The callbacks of the XML, with DISPIDs clear of IDTExtensibility2's 1 to 5.
inline constexpr wchar_t kOnTermButton[] = L"OnZombTerm";
inline constexpr wchar_t kOnSymbolButton[] = L"OnZbGlyphor";
inline constexpr wchar_t kLoadImage[] = L"LoadImage";
inline constexpr DISPID kDispidOnTermButton = 0x101;
inline constexpr DISPID kDispidOnSymbolButton = 0x102;
inline constexpr DISPID kDispidLoadImage = 0x103;

// The customUI XML for `ribbonId`: the tab "Pendrix" for Word's document ribbon,
// empty (nothing to add) for any other.
std::wstring customUiFor(std::wstring_view ribbonId);

// The picture an image attribute of that XML names, from this module's resources,
// as Word takes it: an IPictureDisp that owns its bitmap. Empty for a name the XML
// does not use, or when the picture cannot be made.
ComPtr<IDispatch> ribbonPicture(std::wstring_view imageId);

}  // namespace pendrix::addin

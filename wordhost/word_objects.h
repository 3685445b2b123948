#pragma once
// Word's objects over the document model, as IDispatch without a type library:
// Application, Document, Fields, Field, Range, Selection, Window, View, Font.
// They answer the DISPIDs of win32/office_interfaces.h and their names.

#include <memory>

#include "win32/office_interfaces.h"
#include "win32/com.h"
#include "wordhost/host_state.h"

namespace pendrix::wordhost {

// Members of the Application that Word does not have: the host's controls.
inline constexpr DISPID kDispidName = 0x10001;
inline constexpr DISPID kDispidCommandBars = 0x10002;
inline constexpr DISPID kDispidQuit = 0x10003;
inline constexpr DISPID kDispidClickControl = 0x10101;
inline constexpr DISPID kDispidDoubleClickField = 0x10102;
inline constexpr DISPID kDispidSetSelection = 0x10103;
inline constexpr DISPID kDispidInsertText = 0x10104;
inline constexpr DISPID kDispidInsertField = 0x10105;
inline constexpr DISPID kDispidDocumentDump = 0x10106;
inline constexpr DISPID kDispidCallLog = 0x10107;
inline constexpr DISPID kDispidClearCallLog = 0x10108;
inline constexpr DISPID kDispidFailMember = 0x10109;
inline constexpr DISPID kDispidLoadAddins = 0x1010A;
inline constexpr DISPID kDispidUnloadAddin = 0x1010B;
inline constexpr DISPID kDispidClearDocument = 0x1010C;
inline constexpr DISPID kDispidConnectedSinks = 0x1010D;
inline constexpr DISPID kDispidLiveObjects = 0x1010E;
inline constexpr DISPID kDispidLoadAddin = 0x1010F;
inline constexpr DISPID kDispidVersion = 0x10004;
inline constexpr DISPID kDispidBusy = 0x10110;
inline constexpr DISPID kDispidClickRibbonControl = 0x10111;

inline constexpr char16_t kApplicationName[] = u"Microsoft Word";

// The Application object; each call hands out a new reference to a new object
// over the same state.
ComPtr<IDispatch> createApplication(const std::shared_ptr<HostState>& state);
ComPtr<IDispatch> createSelection(const std::shared_ptr<HostState>& state);
ComPtr<IDispatch> createWindow(const std::shared_ptr<HostState>& state);

// The document dump with the command bars and the add-ins' ribbon tabs added: what a
// test or a script run compares.
std::string documentDump(HostState& state);

}  // namespace pendrix::wordhost

#pragma once
// The symbol tool's automation object. Served without a type library:
//   DISPID 1 WindowHandle       property get: the tool window's handle as VT_I4
//   DISPID 2 SetWordApplication method: Word's application (VT_DISPATCH, by value or
//                               by reference; empty or null lets go of it)
//   DISPID 3 CallLog            property get: the calls the tool got, one a line
//   DISPID 4 ClickSymbol        method (index): as if the user clicked that symbol
// Each object counts in the server process, which ends with the last of them.

#include <windows.h>
#include <oaidl.h>

#include <span>

#include "symbol_tool.h"
#include "win32/com_object.h"
#include "win32/symbol_dispids.h"

namespace pendrix::wordhost {

inline constexpr DISPID kDispidWindowHandle = symbol_dispid::kWindowHandle;
inline constexpr DISPID kDispidSetWordApplication = symbol_dispid::kSetWordApplication;
inline constexpr DISPID kDispidCallLog = 3;
inline constexpr DISPID kDispidClickSymbol = 4;

class SymbolApp final : public DispatchObject<SymbolApp> {
 public:
  explicit SymbolApp(SymbolTool& tool);

  static std::span<const DispatchMember<SymbolApp>> members();

 private:
  HRESULT windowHandle(DispatchCall& call);
  HRESULT setWordApplication(DispatchCall& call);
  HRESULT callLog(DispatchCall& call);
  HRESULT clickSymbol(DispatchCall& call);

  // The server process ends with the last object a client holds.
  LockReference<ServerProcess> server_;
  SymbolTool& tool_;
};

// The class object COM asks for the tool's class.
ComPtr<ClassFactory<ServerProcess>> makeSymbolAppFactory(SymbolTool& tool);

}  // namespace pendrix::wordhost

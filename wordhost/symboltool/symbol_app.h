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

#include <atomic>

#include "symbol_tool.h"
#include "win32/symbol_dispids.h"

namespace pendrix::wordhost {

inline constexpr DISPID kDispidWindowHandle = symbol_dispid::kWindowHandle;
inline constexpr DISPID kDispidSetWordApplication = symbol_dispid::kSetWordApplication;
inline constexpr DISPID kDispidCallLog = 3;
inline constexpr DISPID kDispidClickSymbol = 4;

class SymbolApp final : public IDispatch {
 public:
  // A new object with one reference, or null when out of memory.
  static SymbolApp* create(SymbolTool& tool) noexcept;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                          DISPID* dispids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID dispid, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* exception, UINT* argError) override;

 private:
  explicit SymbolApp(SymbolTool& tool);
  ~SymbolApp();
  HRESULT setWordApplication(DISPPARAMS* params, UINT* argError);
  HRESULT clickSymbol(DISPPARAMS* params, UINT* argError);

  std::atomic<ULONG> references_{1};
  SymbolTool& tool_;
};

// The class object COM asks for the tool's class.
class SymbolAppFactory final : public IClassFactory {
 public:
  explicit SymbolAppFactory(SymbolTool& tool) : tool_(tool) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }  // lives on main's stack
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override;
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

 private:
  SymbolTool& tool_;
};

}  // namespace pendrix::wordhost

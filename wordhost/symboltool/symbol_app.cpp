#include "symbol_app.h"

#include <new>
#include <string>

#include "win32/late_binding.h"

namespace pendrix::wordhost {
namespace {

constexpr DispatchName kNames[] = {
    {L"WindowHandle", kDispidWindowHandle},
    {L"SetWordApplication", kDispidSetWordApplication},
    {L"CallLog", kDispidCallLog},
    {L"ClickSymbol", kDispidClickSymbol},
};

void releaseServer() {
  if (CoReleaseServerProcess() == 0) PostQuitMessage(0);
}

// Word's application as the caller passed it: by value or by reference, as an
// object or an unknown; empty and null mean none.
HRESULT dispatchArgument(const VARIANT& argument, ComPtr<IDispatch>& out) {
  const VARIANT* value = &argument;
  if (argument.vt == (VT_BYREF | VT_VARIANT)) {
    if (!argument.pvarVal) return DISP_E_TYPEMISMATCH;
    value = argument.pvarVal;
  }
  IUnknown* unknown = nullptr;
  switch (value->vt) {
    case VT_EMPTY:
    case VT_NULL:
      break;
    case VT_DISPATCH:
    case VT_UNKNOWN:
      unknown = value->punkVal;
      break;
    case VT_BYREF | VT_DISPATCH:
    case VT_BYREF | VT_UNKNOWN:
      unknown = value->ppunkVal ? *value->ppunkVal : nullptr;
      break;
    default:
      return DISP_E_TYPEMISMATCH;
  }
  out.reset();
  if (!unknown) return S_OK;
  return SUCCEEDED(unknown->QueryInterface(IID_IDispatch, out.putVoid())) ? S_OK : DISP_E_TYPEMISMATCH;
}

}  // namespace

SymbolApp::SymbolApp(SymbolTool& tool) : tool_(tool) {
  CoAddRefServerProcess();
  tool_.noteClient();
}

SymbolApp::~SymbolApp() { releaseServer(); }

SymbolApp* SymbolApp::create(SymbolTool& tool) noexcept { return new (std::nothrow) SymbolApp(tool); }

HRESULT SymbolApp::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (iid != IID_IUnknown && iid != IID_IDispatch) return E_NOINTERFACE;
  *out = static_cast<IDispatch*>(this);
  AddRef();
  return S_OK;
}

ULONG SymbolApp::AddRef() { return ++references_; }

ULONG SymbolApp::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

HRESULT SymbolApp::GetTypeInfoCount(UINT* count) {
  if (!count) return E_POINTER;
  *count = 0;
  return S_OK;
}

HRESULT SymbolApp::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info) *info = nullptr;
  return DISP_E_BADINDEX;
}

HRESULT SymbolApp::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* dispids) {
  return lookupDispids(kNames, names, count, dispids);
}

HRESULT SymbolApp::Invoke(DISPID dispid, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                          EXCEPINFO*, UINT* argError) {
  if (result) VariantInit(result);
  const bool get = (flags & DISPATCH_PROPERTYGET) != 0;
  const bool method = (flags & DISPATCH_METHOD) != 0;
  try {
    switch (dispid) {
      case kDispidWindowHandle:
        if (!get) return DISP_E_MEMBERNOTFOUND;
        tool_.record(u"WindowHandle");
        if (result) {
          result->vt = VT_I4;
          result->lVal = static_cast<LONG>(reinterpret_cast<LONG_PTR>(tool_.window()));
        }
        return S_OK;
      case kDispidSetWordApplication:
        return method ? setWordApplication(params, argError) : DISP_E_MEMBERNOTFOUND;
      case kDispidCallLog: {
        if (!get) return DISP_E_MEMBERNOTFOUND;
        if (!result) return S_OK;
        const std::u16string log = tool_.callLog();
        result->bstrVal = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(log.data()), static_cast<UINT>(log.size()));
        if (!result->bstrVal) return E_OUTOFMEMORY;
        result->vt = VT_BSTR;
        return S_OK;
      }
      case kDispidClickSymbol:
        return method ? clickSymbol(params, argError) : DISP_E_MEMBERNOTFOUND;
      default:
        return DISP_E_MEMBERNOTFOUND;
    }
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

HRESULT SymbolApp::setWordApplication(DISPPARAMS* params, UINT* argError) {
  if (!params || params->cArgs != 1 || !params->rgvarg) return DISP_E_BADPARAMCOUNT;
  ComPtr<IDispatch> application;
  const HRESULT hr = dispatchArgument(params->rgvarg[0], application);
  if (FAILED(hr)) {
    if (argError) *argError = 0;
    tool_.record(u"SetWordApplication refused");
    return hr;
  }
  tool_.setApplication(application.get());
  tool_.record(application ? u"SetWordApplication" : u"SetWordApplication none");
  return S_OK;
}

HRESULT SymbolApp::clickSymbol(DISPPARAMS* params, UINT* argError) {
  if (!params || params->cArgs != 1) return DISP_E_BADPARAMCOUNT;
  Variant index;
  if (FAILED(argumentAs(params, 0, VT_I4, index))) {
    if (argError) *argError = 0;
    return DISP_E_TYPEMISMATCH;
  }
  const LONG value = index.get()->lVal;
  if (value < 0 || static_cast<size_t>(value) >= symbols::kSymbols.size()) return DISP_E_BADINDEX;
  const std::string number = std::to_string(value);
  tool_.record(u"ClickSymbol " + std::u16string(number.begin(), number.end()));
  tool_.typeSymbol(static_cast<size_t>(value));
  return S_OK;
}

HRESULT SymbolAppFactory::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (iid != IID_IUnknown && iid != IID_IClassFactory) return E_NOINTERFACE;
  *out = static_cast<IClassFactory*>(this);
  return S_OK;
}

HRESULT SymbolAppFactory::CreateInstance(IUnknown* outer, REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (outer) return CLASS_E_NOAGGREGATION;
  SymbolApp* app = SymbolApp::create(tool_);
  if (!app) return E_OUTOFMEMORY;
  const HRESULT hr = app->QueryInterface(iid, out);
  app->Release();
  return hr;
}

HRESULT SymbolAppFactory::LockServer(BOOL lock) {
  if (lock)
    CoAddRefServerProcess();
  else
    releaseServer();
  return S_OK;
}

}  // namespace pendrix::wordhost

#include "symbol_app.h"

#include <string>

namespace pendrix::wordhost {

SymbolApp::SymbolApp(SymbolTool& tool) : tool_(tool) { tool_.noteClient(); }

std::span<const DispatchMember<SymbolApp>> SymbolApp::members() {
  static constexpr DispatchMember<SymbolApp> table[] = {
      {L"WindowHandle", kDispidWindowHandle, DISPATCH_PROPERTYGET, &SymbolApp::windowHandle},
      {L"SetWordApplication", kDispidSetWordApplication, DISPATCH_METHOD, &SymbolApp::setWordApplication},
      {L"CallLog", kDispidCallLog, DISPATCH_PROPERTYGET, &SymbolApp::callLog},
      {L"ClickSymbol", kDispidClickSymbol, DISPATCH_METHOD, &SymbolApp::clickSymbol},
  };
  return table;
}

HRESULT SymbolApp::windowHandle(DispatchCall& call) {
  tool_.record(u"WindowHandle");
  return call.returnInt(static_cast<LONG>(reinterpret_cast<LONG_PTR>(tool_.window())));
}

// Word's application as the caller passed it: by value or by reference, as an
// object or an unknown; empty and null let go of it.
HRESULT SymbolApp::setWordApplication(DispatchCall& call) {
  ComPtr<IDispatch> application;
  const HRESULT hr = call.objectArg(0, application);
  if (FAILED(hr)) {
    if (hr != DISP_E_BADPARAMCOUNT) tool_.record(u"SetWordApplication refused");
    return hr;
  }
  tool_.setApplication(application.get());
  tool_.record(application ? u"SetWordApplication" : u"SetWordApplication none");
  return S_OK;
}

HRESULT SymbolApp::callLog(DispatchCall& call) {
  const std::u16string log = tool_.callLog();
  return call.returnText(reinterpret_cast<const wchar_t*>(log.data()), static_cast<UINT>(log.size()));
}

HRESULT SymbolApp::clickSymbol(DispatchCall& call) {
  LONG index = 0;
  PENDRIX_RETURN_IF_FAILED(call.intArg(0, index));
  if (index < 0 || static_cast<size_t>(index) >= symbols::kSymbols.size()) return DISP_E_BADINDEX;
  const std::string number = std::to_string(index);
  tool_.record(u"ClickSymbol " + std::u16string(number.begin(), number.end()));
  tool_.typeSymbol(static_cast<size_t>(index));
  return S_OK;
}

ComPtr<ClassFactory<ServerProcess>> makeSymbolAppFactory(SymbolTool& tool) {
  return makeComObject<ClassFactory<ServerProcess>>([&tool] { return makeComObject<SymbolApp>(tool); });
}

}  // namespace pendrix::wordhost

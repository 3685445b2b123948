#include "zomb_addin.h"

#include <ocidl.h>
#include <olectl.h>

#include <cwchar>
#include <new>
#include <string>

#include "companions.h"
#include "event_sinks.h"
#include "first_start_hint.h"
#include "ribbon.h"
#include "win32/late_binding.h"

namespace pendrix::addin {
namespace {

constexpr wchar_t kBarName[] = L"VoZozu-Diror";
constexpr wchar_t kHintText[] = L"Ziehen Sie VoZozu-Diror mit der Maus nach oben auf die Symbolleisten";
constexpr wchar_t kHintCaption[] = L"Info";

// Office's add-in designer type library ("AddInDesignerObjects").
constexpr GUID kDesignerLibrary = {0xAC0714F2, 0x3D04, 0x11D1, {0xAE, 0x7D, 0x00, 0xA0, 0xC9, 0x0F, 0x26, 0xF4}};

struct BarButton {
  const wchar_t* caption;  // also its tag and, with an icon-only style, its tooltip
  int faceId;              // a built-in Office icon
};
constexpr BarButton kSymbolButton = {L"ZbGlyphor", 226};
constexpr BarButton kTermButton = {L"ZombTerm", 57};

Variant emptyVariant() { return Variant(); }

HRESULT putByName(IDispatch* object, const wchar_t* name, Variant value) {
  return invokeByName(object, name, DISPATCH_PROPERTYPUT, argList(std::move(value)), nullptr);
}

HRESULT objectResult(Variant& value, ComPtr<IDispatch>& out) {
  PENDRIX_RETURN_IF_FAILED(VariantChangeType(value.get(), value.get(), 0, VT_DISPATCH));
  if (!value.get()->pdispVal) return E_POINTER;
  out = ComPtr<IDispatch>(value.get()->pdispVal);
  return S_OK;
}

// Item(name) of a collection; a failure only means there is no such item.
ComPtr<IDispatch> itemNamed(IDispatch* collection, const wchar_t* name) {
  Variant value;
  ComPtr<IDispatch> item;
  if (SUCCEEDED(invokeByName(collection, L"Item", DISPATCH_METHOD | DISPATCH_PROPERTYGET,
                             argList(Variant::fromString(name)), &value)))
    objectResult(value, item);
  return item;
}

// An existing button is used as it is; a missing one is added before the first
// and dressed, so that a new bar shows the term button first.
HRESULT findOrAddButton(IDispatch* bar, IDispatch* controls, const BarButton& wanted, ComPtr<IDispatch>& button) {
  button = itemNamed(controls, wanted.caption);
  if (button) return S_OK;
  Variant added;
  PENDRIX_RETURN_IF_FAILED(invokeByName(
      controls, L"Add", DISPATCH_METHOD,
      argList(Variant::fromI4(office::kMsoControlButton), Variant::fromI4(1), emptyVariant(), Variant::fromI4(1),
              emptyVariant()),
      &added));
  PENDRIX_RETURN_IF_FAILED(objectResult(added, button));
  PENDRIX_RETURN_IF_FAILED(putByName(button.get(), L"Caption", Variant::fromString(wanted.caption)));
  PENDRIX_RETURN_IF_FAILED(putByName(button.get(), L"Enabled", Variant::fromBool(true)));
  PENDRIX_RETURN_IF_FAILED(putByName(button.get(), L"Style", Variant::fromI4(office::kMsoButtonIcon)));
  PENDRIX_RETURN_IF_FAILED(putByName(button.get(), L"FaceId", Variant::fromI4(wanted.faceId)));
  PENDRIX_RETURN_IF_FAILED(putByName(button.get(), L"Tag", Variant::fromString(wanted.caption)));
  return putByName(bar, L"Visible", Variant::fromBool(true));
}

// Word hands `custom` by reference to an array of VARIANTs; anything else is none.
SAFEARRAY** customOf(DispatchCall& call, UINT index) {
  VARIANT* argument = call.rawArg(index);
  if (argument && (argument->vt & VT_BYREF) && (argument->vt & VT_ARRAY)) return argument->pparray;
  return nullptr;
}

template <typename Step>
HRESULT guarded(Step step) noexcept {
  try {
    return step();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

// A ribbon button's action: whatever fails stays here, as with the bar's clicks.
HRESULT startQuietly(HRESULT (*start)()) noexcept {
  try {
    start();
  } catch (...) {
  }
  return S_OK;
}

HRESULT startAssistantWithoutField() { return startAssistant(nullptr); }

}  // namespace

HRESULT SinkConnection::connect(IUnknown* eventSource, const IID& eventIid, IUnknown* eventSink) {
  disconnect();
  if (!eventSource || !eventSink) return E_POINTER;
  ComPtr<IConnectionPointContainer> container;
  PENDRIX_RETURN_IF_FAILED(eventSource->QueryInterface(IID_IConnectionPointContainer, container.putVoid()));
  ComPtr<IConnectionPoint> point;
  PENDRIX_RETURN_IF_FAILED(container->FindConnectionPoint(eventIid, point.put()));
  DWORD newCookie = 0;
  PENDRIX_RETURN_IF_FAILED(point->Advise(eventSink, &newCookie));
  source = ComPtr<IUnknown>(eventSource);
  sink = ComPtr<IUnknown>(eventSink);
  iid = eventIid;
  cookie = newCookie;
  return S_OK;
}

void SinkConnection::disconnect() {
  if (cookie != 0 && source) {
    ComPtr<IConnectionPointContainer> container;
    ComPtr<IConnectionPoint> point;
    // A source that is gone (a deleted button) has dropped its sinks already.
    if (SUCCEEDED(source->QueryInterface(IID_IConnectionPointContainer, container.putVoid())) &&
        SUCCEEDED(container->FindConnectionPoint(iid, point.put())))
      point->Unadvise(cookie);
  }
  cookie = 0;
  sink.reset();
  source.reset();
}

std::span<const InterfaceEntry<ZombAddin>> ZombAddin::interfaces() {
  static constexpr InterfaceEntry<ZombAddin> table[] = {
      interfaceEntry<ZombAddin, office::IDTExtensibility2>(office::kIidDTExtensibility2),
      interfaceEntry<ZombAddin, office::IDTExtensibility2>(IID_IDispatch),
      interfaceEntry<ZombAddin, office::IRibbonExtensibility>(office::kIidRibbonExtensibility)};
  return table;
}

std::span<const DispatchMember<ZombAddin>> ZombAddin::members() {
  static constexpr DispatchMember<ZombAddin> table[] = {
      {L"OnConnection", office::kDispidOnConnection, DISPATCH_METHOD, &ZombAddin::invokeOnConnection},
      {L"OnDisconnection", office::kDispidOnDisconnection, DISPATCH_METHOD, &ZombAddin::invokeOnDisconnection},
      {L"OnAddInsUpdate", office::kDispidOnAddInsUpdate, DISPATCH_METHOD, &ZombAddin::invokeOnAddInsUpdate},
      {L"OnStartupComplete", office::kDispidOnStartupComplete, DISPATCH_METHOD, &ZombAddin::invokeOnStartupComplete},
      {L"OnBeginShutdown", office::kDispidOnBeginShutdown, DISPATCH_METHOD, &ZombAddin::invokeOnBeginShutdown},
      {kOnTermButton, kDispidOnTermButton, DISPATCH_METHOD, &ZombAddin::onTermButton},
      {kOnSymbolButton, kDispidOnSymbolButton, DISPATCH_METHOD, &ZombAddin::onSymbolButton},
      {kLoadImage, kDispidLoadImage, DISPATCH_METHOD, &ZombAddin::loadImage},
  };
  return table;
}

ZombAddin::~ZombAddin() {
  // Word always disconnects first; this covers a host that only released us.
  try {
    shutDown();
  } catch (...) {
  }
}

HRESULT ZombAddin::OnConnection(IDispatch* application, int connectMode, IDispatch*, SAFEARRAY**) {
  return guarded([&] { return connect(application, connectMode); });
}

HRESULT ZombAddin::connect(IDispatch* application, int connectMode) {
  if (!application) return E_POINTER;
  application_ = ComPtr<IDispatch>(application);
  Bstr name;
  PENDRIX_RETURN_IF_FAILED(getTextByName(application, L"Name", name));
  // Listed for another Office program: stay inert.
  if (name.str().find(L"Word") == std::wstring::npos) {
    application_.reset();
    return E_POINTER;
  }
  keepWordApplication(application);
  if (connectMode == office::kStartup) return S_OK;
  // Loaded later: Word sends no start-up completion then.
  return buildBar();
}

HRESULT ZombAddin::OnStartupComplete(SAFEARRAY**) {
  return guarded([&] { return buildBar(); });
}

HRESULT ZombAddin::findOrAddBar(IDispatch* commandBars, bool& created) {
  created = false;
  commandBar_ = itemNamed(commandBars, kBarName);
  if (commandBar_) return S_OK;
  Variant added;
  PENDRIX_RETURN_IF_FAILED(invokeByName(
      commandBars, L"Add", DISPATCH_METHOD,
      argList(Variant::fromString(kBarName), Variant::fromI4(office::kMsoBarFloating), emptyVariant(),
              Variant::fromBool(false)),
      &added));
  PENDRIX_RETURN_IF_FAILED(objectResult(added, commandBar_));
  created = true;
  return S_OK;
}

HRESULT ZombAddin::buildBar() {
  if (!application_) return E_UNEXPECTED;
  ComPtr<IDispatch> commandBars;
  PENDRIX_RETURN_IF_FAILED(getObjectByName(application_.get(), L"CommandBars", commandBars));
  bool created = false;
  PENDRIX_RETURN_IF_FAILED(findOrAddBar(commandBars.get(), created));
  ComPtr<IDispatch> controls;
  PENDRIX_RETURN_IF_FAILED(getObjectByName(commandBar_.get(), L"Controls", controls));
  PENDRIX_RETURN_IF_FAILED(findOrAddButton(commandBar_.get(), controls.get(), kSymbolButton, symbolButton_));
  PENDRIX_RETURN_IF_FAILED(findOrAddButton(commandBar_.get(), controls.get(), kTermButton, termButton_));
  PENDRIX_RETURN_IF_FAILED(connectSinks());
  // The hint asks the user to drag the bar onto the toolbars, which a ribbon has not.
  if (created && !firstStartHintShown() && !hostHasRibbon()) {
    MessageBoxW(nullptr, kHintText, kHintCaption, MB_OK | MB_SETFOREGROUND);
    rememberFirstStartHintShown();
  }
  return S_OK;
}

bool ZombAddin::hostHasRibbon() const {
  if (ribbonAsked_) return true;
  Bstr version;
  if (!application_ || FAILED(getTextByName(application_.get(), L"Version", version))) return false;
  return std::wcstol(version.str().c_str(), nullptr, 10) >= office::kFirstRibbonVersion;
}

HRESULT ZombAddin::GetCustomUI(BSTR ribbonId, BSTR* ribbonXml) {
  if (!ribbonXml) return E_POINTER;
  *ribbonXml = nullptr;
  return guarded([&] {
    ribbonAsked_ = true;
    const std::wstring xml = customUiFor(ribbonId ? std::wstring_view(ribbonId, SysStringLen(ribbonId)) : L"");
    if (xml.empty()) return S_OK;  // nothing for that ribbon
    *ribbonXml = SysAllocStringLen(xml.data(), static_cast<UINT>(xml.size()));
    return *ribbonXml ? S_OK : E_OUTOFMEMORY;
  });
}

HRESULT ZombAddin::onTermButton(DispatchCall&) { return startQuietly(&startAssistantWithoutField); }
HRESULT ZombAddin::onSymbolButton(DispatchCall&) { return startQuietly(&startSymbolTool); }

HRESULT ZombAddin::loadImage(DispatchCall& call) {
  Variant imageId;
  if (FAILED(call.arg(0, VT_BSTR, imageId))) return S_OK;  // no picture for it
  const BSTR name = imageId.get()->bstrVal;
  ComPtr<IDispatch> picture = ribbonPicture(std::wstring_view(name ? name : L"", SysStringLen(name)));
  if (picture) call.returnValue(Variant::fromDispatch(picture.get()));
  return S_OK;
}

HRESULT ZombAddin::connectSinks() {
  const ComPtr<ButtonClickSink> termSink = makeComObject<ButtonClickSink>([] { return startAssistant(nullptr); });
  const ComPtr<ButtonClickSink> symbolSink = makeComObject<ButtonClickSink>(&startSymbolTool);
  const ComPtr<WordEventSink> applicationSink = makeComObject<WordEventSink>();
  if (!termSink || !symbolSink || !applicationSink) return E_OUTOFMEMORY;
  PENDRIX_RETURN_IF_FAILED(termClicks_.connect(termButton_.get(), office::kIidCommandBarButtonEvents,
                                               static_cast<IDispatch*>(termSink.get())));
  PENDRIX_RETURN_IF_FAILED(symbolClicks_.connect(symbolButton_.get(), office::kIidCommandBarButtonEvents,
                                                 static_cast<IDispatch*>(symbolSink.get())));
  return applicationEvents_.connect(application_.get(), word::kIidApplicationEvents2,
                                    static_cast<IDispatch*>(applicationSink.get()));
}

HRESULT ZombAddin::OnDisconnection(int removeMode, SAFEARRAY** custom) {
  return guarded([&] {
    if (removeMode != office::kHostShutdown) {
      // The user unloads the add-in: its bar goes with it.
      if (commandBar_) invokeByName(commandBar_.get(), L"Delete", DISPATCH_METHOD, nullptr, 0, nullptr);
      OnBeginShutdown(custom);
    }
    shutDown();
    return S_OK;
  });
}

HRESULT ZombAddin::OnAddInsUpdate(SAFEARRAY**) { return S_OK; }

HRESULT ZombAddin::OnBeginShutdown(SAFEARRAY**) {
  return guarded([&] {
    shutDown();
    return S_OK;
  });
}

// All three sinks are disconnected, not only the term button's: a sink left in
// Word would be called after this DLL is unloaded.
void ZombAddin::shutDown() {
  termClicks_.disconnect();
  symbolClicks_.disconnect();
  applicationEvents_.disconnect();
  termButton_.reset();
  symbolButton_.reset();
  commandBar_.reset();
  if (application_) releaseCompanions();
  application_.reset();
}

HRESULT ZombAddin::invokeOnConnection(DispatchCall& call) {
  ComPtr<IDispatch> application, instance;
  LONG mode = 0;
  PENDRIX_RETURN_IF_FAILED(call.objectArg(0, application));
  PENDRIX_RETURN_IF_FAILED(call.intArg(1, mode));
  PENDRIX_RETURN_IF_FAILED(call.objectArg(2, instance));
  return OnConnection(application.get(), mode, instance.get(), customOf(call, 3));
}

HRESULT ZombAddin::invokeOnDisconnection(DispatchCall& call) {
  LONG mode = 0;
  PENDRIX_RETURN_IF_FAILED(call.intArg(0, mode));
  return OnDisconnection(mode, customOf(call, 1));
}

HRESULT ZombAddin::invokeOnAddInsUpdate(DispatchCall& call) { return OnAddInsUpdate(customOf(call, 0)); }
HRESULT ZombAddin::invokeOnStartupComplete(DispatchCall& call) { return OnStartupComplete(customOf(call, 0)); }
HRESULT ZombAddin::invokeOnBeginShutdown(DispatchCall& call) { return OnBeginShutdown(customOf(call, 0)); }

ITypeInfo* ZombAddin::designerTypeInfo() {
  if (typeInfoLooked_) return typeInfo_.get();
  typeInfoLooked_ = true;
  ComPtr<ITypeLib> library;
  if (SUCCEEDED(LoadRegTypeLib(kDesignerLibrary, 1, 0, LOCALE_NEUTRAL, library.put())))
    library->GetTypeInfoOfGuid(office::kIidDTExtensibility2, typeInfo_.put());
  return typeInfo_.get();
}

HRESULT ZombAddin::GetTypeInfoCount(UINT* count) {
  if (!designerTypeInfo()) return DispatchObject::GetTypeInfoCount(count);
  if (!count) return E_POINTER;
  *count = 1;
  return S_OK;
}

HRESULT ZombAddin::GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) {
  ITypeInfo* typeInfo = designerTypeInfo();
  if (!typeInfo) return DispatchObject::GetTypeInfo(index, locale, info);
  if (!info) return E_POINTER;
  *info = nullptr;
  if (index != 0) return DISP_E_BADINDEX;
  typeInfo->AddRef();
  *info = typeInfo;
  return S_OK;
}

// The type library knows IDTExtensibility2's five members, not the ribbon's callbacks.
bool ZombAddin::servedByTypeInfo(DISPID dispid) {
  return dispid >= office::kDispidOnConnection && dispid <= office::kDispidOnBeginShutdown;
}

HRESULT ZombAddin::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale, DISPID* dispids) {
  ITypeInfo* typeInfo = designerTypeInfo();
  const HRESULT fromTable = DispatchObject::GetIDsOfNames(iid, names, count, locale, dispids);
  if (!typeInfo || (SUCCEEDED(fromTable) && !servedByTypeInfo(dispids[0]))) return fromTable;
  if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
  return DispGetIDsOfNames(typeInfo, names, count, dispids);
}

HRESULT ZombAddin::Invoke(DISPID dispid, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params, VARIANT* result,
                          EXCEPINFO* exception, UINT* argError) {
  ITypeInfo* typeInfo = designerTypeInfo();
  if (!typeInfo || !servedByTypeInfo(dispid))
    return DispatchObject::Invoke(dispid, iid, locale, flags, params, result, exception, argError);
  if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
  return DispInvoke(static_cast<office::IDTExtensibility2*>(this), typeInfo, dispid, flags, params, result, exception,
                    argError);
}

}  // namespace pendrix::addin

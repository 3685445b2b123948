#pragma once
// ZombAddin: the add-in object Word connects through IDTExtensibility2. It puts the
// floating bar "VoZozu-Diror" with "ZombTerm" and "ZbGlyphor" into Word and connects
// the sinks for both buttons and for Word's application events. Ribbon-era Word shows
// such a bar only on its "Add-Ins" tab, so the add-in also offers a tab of its own
// through IRibbonExtensibility, whose buttons do what the bar's do.

#include <windows.h>
#include <oaidl.h>

#include <span>

#include "win32/office_interfaces.h"
#include "win32/com_object.h"

namespace pendrix::addin {

// One sink connected to one event source; the cookie says whether it is.
struct SinkConnection {
  ComPtr<IUnknown> source;
  ComPtr<IUnknown> sink;
  IID iid{};
  DWORD cookie = 0;

  HRESULT connect(IUnknown* eventSource, const IID& eventIid, IUnknown* eventSink);
  // Unadvises (when connected) and lets go of source and sink.
  void disconnect();
};

class ZombAddin final
    : public DispatchObject<ZombAddin, office::IDTExtensibility2, office::IRibbonExtensibility> {
 public:
  static std::span<const InterfaceEntry<ZombAddin>> interfaces();
  static std::span<const DispatchMember<ZombAddin>> members();

  HRESULT STDMETHODCALLTYPE OnConnection(IDispatch* application, int connectMode, IDispatch* addInInst,
                                         SAFEARRAY** custom) override;
  HRESULT STDMETHODCALLTYPE OnDisconnection(int removeMode, SAFEARRAY** custom) override;
  HRESULT STDMETHODCALLTYPE OnAddInsUpdate(SAFEARRAY** custom) override;
  HRESULT STDMETHODCALLTYPE OnStartupComplete(SAFEARRAY** custom) override;
  HRESULT STDMETHODCALLTYPE OnBeginShutdown(SAFEARRAY** custom) override;

  // The customUI XML for Word's ribbon (ribbon.h); asking for it tells the add-in that
  // its host shows a ribbon.
  HRESULT STDMETHODCALLTYPE GetCustomUI(BSTR ribbonId, BSTR* ribbonXml) override;

  // IDispatch from the add-in designer's type library when it is registered, else
  // from members(); the ribbon's callbacks always from members().
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                          DISPID* dispids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID dispid, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* exception, UINT* argError) override;

 private:
  friend class ComObject<ZombAddin, office::IDTExtensibility2, office::IRibbonExtensibility>;
  ~ZombAddin();

  HRESULT invokeOnConnection(DispatchCall& call);
  HRESULT invokeOnDisconnection(DispatchCall& call);
  HRESULT invokeOnAddInsUpdate(DispatchCall& call);
  HRESULT invokeOnStartupComplete(DispatchCall& call);
  HRESULT invokeOnBeginShutdown(DispatchCall& call);
  // The ribbon's callbacks: each answers S_OK whatever fails, as the click sinks do.
  HRESULT onTermButton(DispatchCall& call);
  HRESULT onSymbolButton(DispatchCall& call);
  HRESULT loadImage(DispatchCall& call);

  HRESULT connect(IDispatch* application, int connectMode);
  HRESULT buildBar();
  HRESULT findOrAddBar(IDispatch* commandBars, bool& created);
  HRESULT connectSinks();
  void shutDown();
  // Ribbon-era Word asks for the ribbon right after connecting an add-in; its version
  // tells as well when the add-in built its bar inside the connection.
  bool hostHasRibbon() const;
  ITypeInfo* designerTypeInfo();
  static bool servedByTypeInfo(DISPID dispid);

  ComPtr<IDispatch> application_;
  ComPtr<IDispatch> commandBar_;
  ComPtr<IDispatch> termButton_;
  ComPtr<IDispatch> symbolButton_;
  SinkConnection termClicks_;
  SinkConnection symbolClicks_;
  SinkConnection applicationEvents_;
  ComPtr<ITypeInfo> typeInfo_;
  bool typeInfoLooked_ = false;
  bool ribbonAsked_ = false;
  ModuleReference alive_;
};

}  // namespace pendrix::addin

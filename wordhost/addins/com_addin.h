#pragma once
// The COMAddIn object Word hands to an add-in in OnConnection: the add-in's own
// entry in Word's add-in collection. Served by name only (no type library):
// ProgId and Description (get), Connect (get and put: putting False unloads the
// add-in, True loads it).

#include <windows.h>
#include <oaidl.h>

#include <atomic>
#include <string>

namespace pendrix::wordhost {

class AddinLoader;

inline constexpr DISPID kDispidComAddinProgId = 1;
inline constexpr DISPID kDispidComAddinDescription = 2;
inline constexpr DISPID kDispidComAddinConnect = 3;

class ComAddin final : public IDispatch {
 public:
  // Returns a new object with one reference, or null when out of memory.
  static ComAddin* create(AddinLoader* loader, const std::wstring& progId, const std::wstring& description) noexcept;

  // The loader lets go of the object; an add-in may keep it longer than the connection.
  void detachLoader() { loader_ = nullptr; }

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
  ComAddin(AddinLoader* loader, std::wstring progId, std::wstring description);
  ~ComAddin() = default;
  HRESULT putConnect(DISPPARAMS* params);

  std::atomic<ULONG> references_{1};
  AddinLoader* loader_;
  const std::wstring progId_;
  const std::wstring description_;
};

}  // namespace pendrix::wordhost

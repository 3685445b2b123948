#pragma once
// A sink for the host's events, living on the test's side.

#include <windows.h>
#include <oaidl.h>

#include <functional>
#include <utility>

namespace pendrix::wordhost::testing {

// An event sink as the add-in has them, or as a remote sink looks without a type
// library (IDispatch only), or one that cannot take events at all.
class TestSink final : public IDispatch {
 public:
  enum class Answers { EventInterface, DispatchOnly, UnknownOnly };
  TestSink(const IID& eventIid, Answers answers) : eventIid_(eventIid), answers_(answers) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    *out = nullptr;
    const bool yes = iid == IID_IUnknown || (iid == IID_IDispatch && answers_ != Answers::UnknownOnly) ||
                     (iid == eventIid_ && answers_ == Answers::EventInterface);
    if (!yes) return E_NOINTERFACE;
    *out = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
  ULONG STDMETHODCALLTYPE Release() override { return --references; }  // lives on the test's stack
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    ++calls;
    lastId = id;
    if (!params || params->cArgs != 2) return DISP_E_BADPARAMCOUNT;
    argTypes = {params->rgvarg[1].vt, params->rgvarg[0].vt};
    if (onEvent) onEvent(params->rgvarg[1].pdispVal);
    if (setFlag && params->rgvarg[0].vt == (VT_BYREF | VT_BOOL)) *params->rgvarg[0].pboolVal = VARIANT_TRUE;
    return S_OK;
  }

  ULONG references = 1;
  int calls = 0;
  DISPID lastId = 0;
  std::pair<VARTYPE, VARTYPE> argTypes{};
  bool setFlag = false;
  std::function<void(IDispatch*)> onEvent;

 private:
  IID eventIid_;
  Answers answers_;
};

}  // namespace pendrix::wordhost::testing

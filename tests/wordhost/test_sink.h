#pragma once
// A sink for the host's events, living on the test's side.

#include <windows.h>
#include <oaidl.h>

#include <functional>
#include <span>
#include <utility>

#include "win32/com_object.h"

namespace pendrix::wordhost::testing {

// An event sink as the add-in has them, or as a remote sink looks without a type
// library (IDispatch only), or one that cannot take events at all. The test keeps
// one reference and reads the count to see that the host let go of the rest.
class TestSink final : public DispatchWithoutTypeInfo<TestSink> {
 public:
  enum class Answers { EventInterface, DispatchOnly, UnknownOnly };
  TestSink(const IID& eventIid, Answers answers) : eventIid_(eventIid), answers_(answers) {}

  static std::span<const InterfaceEntry<TestSink>> interfaces() {
    static constexpr InterfaceEntry<TestSink> table[] = {interfaceEntry<TestSink, IDispatch>(IID_IUnknown)};
    return table;
  }
  void* findInterface(REFIID iid) {
    const bool yes = (iid == IID_IDispatch && answers_ != Answers::UnknownOnly) ||
                     (iid == eventIid_ && answers_ == Answers::EventInterface);
    return yes ? static_cast<IDispatch*>(this) : nullptr;
  }
  ULONG references() {
    AddRef();
    return Release();
  }

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

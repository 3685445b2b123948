#pragma once
// A very small Word for the add-in and symbol-tool tests: an application that
// answers "Name" and "Selection" by name, and a selection that records TypeText.

#include <windows.h>
#include <oleauto.h>

#include <string>
#include <vector>

#include "win32/late_binding.h"
#include "office_interfaces.h"
#include "win32/com.h"

namespace pendrix::wordhost::testing {

// Reference-counted like any COM object, but the test owns one reference and reads
// the count to see that nobody kept one.
template <typename Derived>
class FakeDispatch : public IDispatch {
 public:
  ULONG references() const { return references_; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid != IID_IUnknown && iid != IID_IDispatch) return E_NOINTERFACE;
    *out = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete static_cast<Derived*>(this);
    return left;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    if (info) *info = nullptr;
    return DISP_E_BADINDEX;
  }

 protected:
  virtual ~FakeDispatch() = default;

 private:
  ULONG references_ = 1;
};

class FakeSelection final : public FakeDispatch<FakeSelection> {
 public:
  static constexpr DISPID kDispidTypeText = 100;

  std::vector<std::wstring> typed;
  HRESULT typeTextResult = S_OK;  // what TypeText answers; a failure records nothing

  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* dispids) override {
    static constexpr DispatchName kNames[] = {{L"TypeText", kDispidTypeText}};
    return lookupDispids(kNames, names, count, dispids);
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID dispid, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                   EXCEPINFO*, UINT*) override {
    if (dispid != kDispidTypeText || !(flags & DISPATCH_METHOD)) return DISP_E_MEMBERNOTFOUND;
    if (!params || params->cArgs != 1) return DISP_E_BADPARAMCOUNT;
    if (params->rgvarg[0].vt != VT_BSTR) return DISP_E_TYPEMISMATCH;
    if (FAILED(typeTextResult)) return typeTextResult;
    const BSTR text = params->rgvarg[0].bstrVal;
    typed.emplace_back(text ? text : L"", text ? SysStringLen(text) : 0);
    if (result) VariantInit(result);
    return S_OK;
  }
};

class FakeApplication final : public FakeDispatch<FakeApplication> {
 public:
  static constexpr DISPID kDispidName = 1;

  FakeApplication() : selection_(ComPtr<FakeSelection>::attach(new FakeSelection)) {}

  FakeSelection& selection() { return *selection_.get(); }
  bool hasSelection = true;  // false: Selection fails as Word's does without a document

  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* dispids) override {
    static constexpr DispatchName kNames[] = {{L"Name", kDispidName}, {L"Selection", word::kDispidSelection}};
    return lookupDispids(kNames, names, count, dispids);
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID dispid, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result,
                                   EXCEPINFO*, UINT*) override {
    if (!(flags & DISPATCH_PROPERTYGET)) return DISP_E_MEMBERNOTFOUND;
    if (!result) return E_POINTER;
    VariantInit(result);
    switch (dispid) {
      case kDispidName:
        result->vt = VT_BSTR;
        result->bstrVal = SysAllocString(L"Microsoft Word");
        return S_OK;
      case word::kDispidSelection:
        if (!hasSelection) return E_FAIL;
        selection_->AddRef();
        result->vt = VT_DISPATCH;
        result->pdispVal = selection_.get();
        return S_OK;
      default:
        return DISP_E_MEMBERNOTFOUND;
    }
  }

 private:
  ComPtr<FakeSelection> selection_;
};

}  // namespace pendrix::wordhost::testing

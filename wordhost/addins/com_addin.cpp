#include "com_addin.h"

#include <new>
#include <utility>

#include "addin_loader.h"
#include "win32/late_binding.h"

namespace pendrix::wordhost {
namespace {

constexpr DispatchName kNames[] = {
    {L"ProgId", kDispidComAddinProgId},
    {L"Description", kDispidComAddinDescription},
    {L"Connect", kDispidComAddinConnect},
};

HRESULT returnText(const std::wstring& text, VARIANT* result) {
  if (!result) return S_OK;
  result->bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  if (!result->bstrVal) return E_OUTOFMEMORY;
  result->vt = VT_BSTR;
  return S_OK;
}

}  // namespace

ComAddin::ComAddin(AddinLoader* loader, std::wstring progId, std::wstring description)
    : loader_(loader), progId_(std::move(progId)), description_(std::move(description)) {}

ComAddin* ComAddin::create(AddinLoader* loader, const std::wstring& progId,
                           const std::wstring& description) noexcept {
  try {
    return new ComAddin(loader, progId, description);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

HRESULT ComAddin::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (iid != IID_IUnknown && iid != IID_IDispatch) return E_NOINTERFACE;
  *out = static_cast<IDispatch*>(this);
  AddRef();
  return S_OK;
}

ULONG ComAddin::AddRef() { return ++references_; }

ULONG ComAddin::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

HRESULT ComAddin::GetTypeInfoCount(UINT* count) {
  if (!count) return E_POINTER;
  *count = 0;
  return S_OK;
}

HRESULT ComAddin::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info) *info = nullptr;
  return DISP_E_BADINDEX;
}

HRESULT ComAddin::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* dispids) {
  return lookupDispids(kNames, names, count, dispids);
}

HRESULT ComAddin::Invoke(DISPID dispid, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                         EXCEPINFO*, UINT*) {
  if (result) VariantInit(result);
  const bool get = (flags & DISPATCH_PROPERTYGET) != 0;
  switch (dispid) {
    case kDispidComAddinProgId:
      return get ? returnText(progId_, result) : DISP_E_MEMBERNOTFOUND;
    case kDispidComAddinDescription:
      return get ? returnText(description_, result) : DISP_E_MEMBERNOTFOUND;
    case kDispidComAddinConnect:
      if (flags & DISPATCH_PROPERTYPUT) return putConnect(params);
      if (!get) return DISP_E_MEMBERNOTFOUND;
      if (result) {
        result->vt = VT_BOOL;
        result->boolVal = loader_ && loader_->isLoaded(progId_) ? VARIANT_TRUE : VARIANT_FALSE;
      }
      return S_OK;
    default:
      return DISP_E_MEMBERNOTFOUND;
  }
}

HRESULT ComAddin::putConnect(DISPPARAMS* params) {
  if (!params || params->cArgs != 1) return DISP_E_BADPARAMCOUNT;
  Variant value;
  PENDRIX_RETURN_IF_FAILED(argumentAs(params, 0, VT_BOOL, value));
  // The host has gone (or shut the add-ins down): nothing is left to connect to.
  if (!loader_) return E_UNEXPECTED;
  // Keeps this object alive while the loader lets go of it during an unload.
  ComPtr<IDispatch> self(this);
  return value.get()->boolVal ? loader_->load(progId_) : loader_->unload(progId_);
}

}  // namespace pendrix::wordhost

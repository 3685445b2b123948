#include "com_addin.h"

#include <utility>

#include "addin_loader.h"

namespace pendrix::wordhost {

ComAddin::ComAddin(AddinLoader* loader, std::wstring progId, std::wstring description)
    : loader_(loader), progId_(std::move(progId)), description_(std::move(description)) {}

std::span<const DispatchMember<ComAddin>> ComAddin::members() {
  static constexpr DispatchMember<ComAddin> table[] = {
      {L"ProgId", kDispidComAddinProgId, DISPATCH_PROPERTYGET, &ComAddin::progId},
      {L"Description", kDispidComAddinDescription, DISPATCH_PROPERTYGET, &ComAddin::description},
      {L"Connect", kDispidComAddinConnect, DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, &ComAddin::connect},
  };
  return table;
}

HRESULT ComAddin::progId(DispatchCall& call) {
  return call.returnText(progId_.data(), static_cast<UINT>(progId_.size()));
}

HRESULT ComAddin::description(DispatchCall& call) {
  return call.returnText(description_.data(), static_cast<UINT>(description_.size()));
}

HRESULT ComAddin::connect(DispatchCall& call) {
  if (!call.isPut()) return call.returnBool(loader_ && loader_->isLoaded(progId_));
  Variant value;
  PENDRIX_RETURN_IF_FAILED(call.putValue(VT_BOOL, value));
  // The host has gone (or shut the add-ins down): nothing is left to connect to.
  if (!loader_) return E_UNEXPECTED;
  // Keeps this object alive while the loader lets go of it during an unload.
  ComPtr<ComAddin> self(this);
  return value.get()->boolVal ? loader_->load(progId_) : loader_->unload(progId_);
}

}  // namespace pendrix::wordhost

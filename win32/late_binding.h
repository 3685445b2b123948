#pragma once
// Late-bound calls by member name, the way Word's add-ins and the symbol tool reach
// objects that have no type library here. Header-only: the host's script runner,
// the add-in loader, the test add-in and the symbol tool share it. Serving names is
// the COM object base's part (win32/com_object.h).

#include <windows.h>
#include <oleauto.h>

#include <cstddef>
#include <utility>
#include <vector>

#include "win32/com.h"

namespace pendrix {

inline HRESULT dispidOf(IDispatch* object, const wchar_t* name, DISPID* dispid) {
  if (!object || !name || !dispid) return E_POINTER;
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  return object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, dispid);
}

// args in DISPPARAMS order: the last argument first. `exception` receives the
// server's error text when the call fails with DISP_E_EXCEPTION.
inline HRESULT invokeDispid(IDispatch* object, DISPID dispid, WORD flags, VARIANT* args, UINT argCount,
                            Variant* result, ExceptionInfo* exception) {
  if (!object) return E_POINTER;
  DISPID putId = DISPID_PROPERTYPUT;
  DISPPARAMS params = {args, nullptr, argCount, 0};
  if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
    params.rgdispidNamedArgs = &putId;
    params.cNamedArgs = 1;
  }
  Variant ignored;
  return object->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                        result ? result->put() : ignored.get(), exception ? exception->put() : nullptr, nullptr);
}

inline HRESULT invokeDispid(IDispatch* object, DISPID dispid, WORD flags, VARIANT* args, UINT argCount,
                            Variant* result) {
  return invokeDispid(object, dispid, flags, args, argCount, result, nullptr);
}

inline HRESULT invokeByName(IDispatch* object, const wchar_t* name, WORD flags, VARIANT* args, UINT argCount,
                            Variant* result) {
  DISPID dispid = DISPID_UNKNOWN;
  PENDRIX_RETURN_IF_FAILED(dispidOf(object, name, &dispid));
  return invokeDispid(object, dispid, flags, args, argCount, result);
}

// Variants are move-only, so an argument list is built by moving them in.
template <typename... V>
std::vector<Variant> argList(V&&... values) {
  std::vector<Variant> out;
  (out.push_back(std::move(values)), ...);
  return out;
}

// Arguments in their natural order; a put passes the value as the only argument.
inline HRESULT invokeByName(IDispatch* object, const wchar_t* name, WORD flags, const std::vector<Variant>& args,
                            Variant* result) {
  // The Variants in `args` keep owning what the copies point to.
  std::vector<VARIANT> reversed;
  for (size_t i = args.size(); i-- > 0;) reversed.push_back(*args[i].get());
  return invokeByName(object, name, flags, reversed.empty() ? nullptr : reversed.data(),
                      static_cast<UINT>(reversed.size()), result);
}

inline HRESULT getPropertyByName(IDispatch* object, const wchar_t* name, Variant& result) {
  return invokeByName(object, name, DISPATCH_PROPERTYGET, nullptr, 0, &result);
}

// A property read by name that must yield an object.
inline HRESULT getObjectByName(IDispatch* object, const wchar_t* name, ComPtr<IDispatch>& out) {
  Variant value;
  PENDRIX_RETURN_IF_FAILED(getPropertyByName(object, name, value));
  if (value.get()->vt != VT_DISPATCH || !value.get()->pdispVal) return DISP_E_TYPEMISMATCH;
  out = ComPtr<IDispatch>(value.get()->pdispVal);
  return S_OK;
}

// A property read by name as text; any type the variant can convert is accepted.
inline HRESULT getTextByName(IDispatch* object, const wchar_t* name, Bstr& out) {
  Variant value;
  PENDRIX_RETURN_IF_FAILED(getPropertyByName(object, name, value));
  PENDRIX_RETURN_IF_FAILED(VariantChangeType(value.get(), value.get(), 0, VT_BSTR));
  *out.put() = value.get()->bstrVal;
  value.get()->vt = VT_EMPTY;  // ownership of the string moved to out
  return S_OK;
}

}  // namespace pendrix

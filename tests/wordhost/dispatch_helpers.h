#pragma once
// Calls on IDispatch as the assistant and the add-in make them: by DISPID or by
// name, arguments in their natural order, values or references.

#include <windows.h>
#include <oaidl.h>

#include <string>
#include <vector>

#include "win32/com.h"
#include "wordhost/script_runner.h"

#define EXPECT_FAILED(expr) EXPECT_TRUE(FAILED(expr)) << #expr

namespace pendrix::wordhost::testing {

struct CallResult {
  HRESULT hr = E_FAIL;
  Variant value;
  UINT argError = 0xFFFFFFFF;
  EXCEPINFO exception{};
  CallResult() = default;
  CallResult(CallResult&&) = default;
  ~CallResult() {
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
  }
  IDispatch* object() const { return value.get()->vt == VT_DISPATCH ? value.get()->pdispVal : nullptr; }
};

inline CallResult invoke(IDispatch* object, DISPID id, WORD kind, std::vector<Variant> args = {}) {
  CallResult out;
  std::vector<VARIANT> reversed;
  for (size_t i = args.size(); i-- > 0;) reversed.push_back(*args[i].get());
  DISPID putId = DISPID_PROPERTYPUT;
  DISPPARAMS params{reversed.empty() ? nullptr : reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
  if (kind & DISPATCH_PROPERTYPUT) {
    params.rgdispidNamedArgs = &putId;
    params.cNamedArgs = 1;
  }
  out.hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, kind, &params, out.value.put(), &out.exception,
                          &out.argError);
  return out;
}

inline DISPID idOf(IDispatch* object, const wchar_t* name) {
  DISPID id = DISPID_UNKNOWN;
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  return id;
}

inline CallResult invoke(IDispatch* object, const wchar_t* name, WORD kind, std::vector<Variant> args = {}) {
  const DISPID id = idOf(object, name);
  if (id == DISPID_UNKNOWN) {
    CallResult out;
    out.hr = DISP_E_UNKNOWNNAME;
    return out;
  }
  return invoke(object, id, kind, std::move(args));
}

// A property get that yields an object, kept by the caller.
template <typename Name>
ComPtr<IDispatch> get(IDispatch* object, Name member) {
  CallResult r = invoke(object, member, DISPATCH_PROPERTYGET);
  return r.object() ? ComPtr<IDispatch>(r.object()) : ComPtr<IDispatch>();
}

inline std::wstring text(const CallResult& r) {
  return r.value.get()->vt == VT_BSTR && r.value.get()->bstrVal ? std::wstring(r.value.get()->bstrVal) : L"";
}

inline Variant byRefI2(short* value) {
  Variant v;
  v.get()->vt = VT_I2 | VT_BYREF;
  v.get()->piVal = value;
  return v;
}
// VARIANT_BOOL is a short too, so the two need their own names.
inline Variant byRefBool(VARIANT_BOOL* value) {
  Variant v;
  v.get()->vt = VT_BOOL | VT_BYREF;
  v.get()->pboolVal = value;
  return v;
}
inline Variant byRef(BSTR* value) {
  Variant v;
  v.get()->vt = VT_BSTR | VT_BYREF;
  v.get()->pbstrVal = value;
  return v;
}
inline Variant byRef(VARIANT* value) {
  Variant v;
  v.get()->vt = VT_VARIANT | VT_BYREF;
  v.get()->pvarVal = value;
  return v;
}
inline Variant missing() {
  Variant v;
  v.get()->vt = VT_ERROR;
  v.get()->scode = DISP_E_PARAMNOTFOUND;
  return v;
}
inline Variant str(const wchar_t* text) { return Variant::fromString(text); }

}  // namespace pendrix::wordhost::testing

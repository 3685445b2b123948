#pragma once
// Late-bound calls by DISPID and by member name, the way the assistant, Word's add-ins
// and the symbol tool reach objects that have no type library here, and calls that wait
// out a busy Word. Header-only: the assistant's Word output, the host's script runner,
// the add-in loader, the test add-in and the symbol tool share it. Serving names is
// the COM object base's part (win32/com_object.h).

#include <windows.h>
#include <oleauto.h>

#include <algorithm>
#include <cstddef>
#include <utility>
#include <vector>

#include "win32/com.h"
#include "win32/handles.h"

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

// Word refuses calls while it is busy (a dialog of its own open, a modal loop of its
// own): such a call never ran, so it may be made again. Windows reports the refusal to
// a client without a message filter as one of these two codes; Wine knows only the first.
inline bool refusedAsBusy(HRESULT hr) { return hr == RPC_E_CALL_REJECTED || hr == RPC_E_SERVERCALL_RETRYLATER; }

// How long a call refused as busy is tried again, and how long each wait between two
// tries lasts.
struct BusyPatience {
  DWORD totalMs = 10000;
  DWORD waitMs = 100;
};

// Waits in COM's modal loop: in a single-threaded apartment it goes on serving COM
// calls, painting and the messages other threads send, so the window stays responsive,
// while the user's input waits in the queue and cannot start a second command.
inline void waitServingMessages(DWORD ms) {
  const UniqueHandle<HANDLE, CloseHandle> never(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  HANDLE handles[] = {never.get()};
  DWORD index = 0;
  if (!never || FAILED(CoWaitForMultipleHandles(0, ms, 1, handles, &index))) Sleep(ms);
}

// invokeDispid, made again after a short wait while the object refuses it as busy, for
// up to patience.totalMs; after that the refusal is the outcome.
inline HRESULT invokeDispidPatiently(IDispatch* object, DISPID dispid, WORD flags, VARIANT* args, UINT argCount,
                                     Variant* result, ExceptionInfo* exception, BusyPatience patience = {}) {
  const ULONGLONG deadline = GetTickCount64() + patience.totalMs;
  for (;;) {
    const HRESULT hr = invokeDispid(object, dispid, flags, args, argCount, result, exception);
    const ULONGLONG now = GetTickCount64();
    if (!refusedAsBusy(hr) || now >= deadline) return hr;
    waitServingMessages(static_cast<DWORD>(std::min<ULONGLONG>(patience.waitMs, deadline - now)));
  }
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

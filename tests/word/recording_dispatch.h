#pragma once
// Stands between the Word output and the stand-in's objects: counts the objects
// the output still holds and records the numbers each call carried (the host's call
// log has their types only). Every object a call hands out comes back wrapped, so
// the whole tree of objects the output reaches is counted.

#include <windows.h>
#include <oaidl.h>

#include <set>
#include <span>
#include <string>
#include <vector>

#include "win32/com.h"
#include "win32/com_object.h"

namespace pendrix::testing {

struct RecordedCall {
  DISPID id;
  WORD kind;
  std::vector<double> numbers;  // numeric and boolean arguments in their natural order
};

class RecordingDispatch final : public ComObject<RecordingDispatch, IDispatch> {
 public:
  // Takes over the reference the caller holds on `inner`.
  static ComPtr<IDispatch> wrap(IDispatch* inner) {
    ComPtr<RecordingDispatch> made = makeComObject<RecordingDispatch>(inner);
    return ComPtr<IDispatch>(made.get());
  }
  static int live() { return static_cast<int>(wrappers().size()); }
  static std::vector<RecordedCall>& calls() {
    static std::vector<RecordedCall> recorded;
    return recorded;
  }

  explicit RecordingDispatch(IDispatch* inner) : inner_(ComPtr<IDispatch>::attach(inner)) {
    wrappers().insert(static_cast<IDispatch*>(this));
  }
  ~RecordingDispatch() { wrappers().erase(static_cast<IDispatch*>(this)); }

  static std::span<const InterfaceEntry<RecordingDispatch>> interfaces() {
    static constexpr InterfaceEntry<RecordingDispatch> table[] = {
        interfaceEntry<RecordingDispatch, IDispatch>(IID_IDispatch)};
    return table;
  }

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return inner_->GetTypeInfoCount(count); }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override {
    return inner_->GetTypeInfo(index, locale, info);
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override {
    return inner_->GetIDsOfNames(iid, names, count, locale, ids);
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD kind, DISPPARAMS* params, VARIANT* result,
                                   EXCEPINFO* exception, UINT* argError) override {
    std::vector<VARIANT> args;
    RecordedCall call{id, kind, {}};
    if (params && params->rgvarg) {
      args.assign(params->rgvarg, params->rgvarg + params->cArgs);
      for (size_t i = args.size(); i-- > 0;) record(args[i], call.numbers);
      // The host recognises its own ranges only: hand over the object behind a wrapper.
      for (VARIANT& arg : args)
        if (arg.vt == VT_DISPATCH && wrappers().count(arg.pdispVal))
          arg.pdispVal = static_cast<RecordingDispatch*>(arg.pdispVal)->inner_.get();
    }
    calls().push_back(call);
    DISPPARAMS forwarded = params ? *params : DISPPARAMS{};
    if (params && params->rgvarg) forwarded.rgvarg = args.data();
    const HRESULT hr = inner_->Invoke(id, iid, locale, kind, params ? &forwarded : nullptr, result, exception, argError);
    if (SUCCEEDED(hr) && result && result->vt == VT_DISPATCH && result->pdispVal)
      result->pdispVal = wrap(result->pdispVal).detach();
    return hr;
  }

 private:
  static std::set<IDispatch*>& wrappers() {
    static std::set<IDispatch*> live;
    return live;
  }
  static void record(const VARIANT& arg, std::vector<double>& numbers) {
    const bool byRef = (arg.vt & VT_BYREF) != 0;
    switch (arg.vt & ~VT_BYREF) {
      case VT_I2: numbers.push_back(byRef ? *arg.piVal : arg.iVal); break;
      case VT_I4: numbers.push_back(byRef ? *arg.plVal : arg.lVal); break;
      case VT_R4: numbers.push_back(byRef ? *arg.pfltVal : arg.fltVal); break;
      case VT_BOOL: numbers.push_back(byRef ? *arg.pboolVal : arg.boolVal); break;
      default: break;
    }
  }

  ComPtr<IDispatch> inner_;
};

}  // namespace pendrix::testing

#pragma once
// The one base for the project's COM objects.
//
// ComObject<Derived, Interfaces...> implements IUnknown for all listed interfaces:
// QueryInterface searches the class's interface table (one row per IID, in the
// shape of the platform samples' QITABENT/QISearch), reference counting starts at
// one, and the last Release deletes the object. DispatchObject<Derived, ...> adds an
// IDispatch without a type library from the class's member table (name, DISPID,
// invoke kinds, handler): names compare without regard to case, arguments are
// converted with VariantChangeType, and no exception leaves Invoke. ClassFactory
// hands a class's objects to COM, for a DLL (counted in Module, for DllCanUnloadNow)
// or for a local server (counted in ServerProcess, which ends the process).
//
//   class Sink final : public DispatchObject<Sink> {
//    public:
//     // Without this table the object answers IDispatch alone.
//     static std::span<const InterfaceEntry<Sink>> interfaces() {
//       static constexpr InterfaceEntry<Sink> table[] = {
//           interfaceEntry<Sink, IDispatch>(IID_IDispatch),
//           interfaceEntry<Sink, IDispatch>(kIidEvents)};  // an event IID served as IDispatch
//       return table;
//     }
//     static std::span<const DispatchMember<Sink>> members() {
//       static constexpr DispatchMember<Sink> table[] = {
//           {L"Click", 1, DISPATCH_METHOD, &Sink::click}};
//       return table;
//     }
//     HRESULT click(DispatchCall& call);
//   };

#include <windows.h>
#include <oaidl.h>

#include <functional>
#include <new>
#include <span>
#include <string_view>
#include <type_traits>
#include <utility>

#include "win32/com.h"

namespace pendrix {

// Runs `call` (returning an HRESULT) so that no exception leaves a COM method, a
// window procedure or DllMain: running out of memory is E_OUTOFMEMORY, anything
// else E_UNEXPECTED.
template <typename Call>
HRESULT guardedCall(Call&& call) noexcept {
  try {
    return std::forward<Call>(call)();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

// Live objects and server locks of this module: a DLL may be unloaded only when
// none are left (DllCanUnloadNow). An object counts itself by holding a
// ModuleReference member.
class Module {
 public:
  static void lock() noexcept { InterlockedIncrement(&count_); }
  static void unlock() noexcept { InterlockedDecrement(&count_); }
  static LONG count() noexcept { return InterlockedCompareExchange(&count_, 0, 0); }
  // DllCanUnloadNow's answer.
  static HRESULT canUnloadNow() noexcept { return count() == 0 ? S_OK : S_FALSE; }
  // A class object a client holds keeps the DLL loaded as well.
  static constexpr bool kCountsClassObjects = true;

 private:
  static inline LONG count_ = 0;
};

// A local server's objects and server locks: when the last goes, COM stops handing
// out the process's class objects and `ended` runs (by default the message loop of
// the thread that let go ends; an apartment server lets go on its main thread).
// Its class objects do not count: COM holds them while they are registered.
class ServerProcess {
 public:
  static void lock() noexcept { CoAddRefServerProcess(); }
  static void unlock() noexcept {
    if (CoReleaseServerProcess() == 0 && ended_) ended_();
  }
  static void onEnded(void (*ended)()) noexcept { ended_ = ended; }
  static constexpr bool kCountsClassObjects = false;

 private:
  static void quitMessageLoop() { PostQuitMessage(0); }
  static inline void (*ended_)() = &ServerProcess::quitMessageLoop;
};

// Counts its owner in `Lock` (Module or ServerProcess) for as long as it lives.
template <typename Lock>
class LockReference {
 public:
  LockReference() noexcept { Lock::lock(); }
  ~LockReference() { Lock::unlock(); }
  LockReference(const LockReference&) = delete;
  LockReference& operator=(const LockReference&) = delete;
};

using ModuleReference = LockReference<Module>;

// One row of a QueryInterface table: an IID and how to reach that interface.
template <typename Class>
struct InterfaceEntry {
  const IID* iid;
  void* (*cast)(Class*);
};

template <typename Class, typename Interface>
constexpr InterfaceEntry<Class> interfaceEntry(const IID& iid) {
  return {&iid, [](Class* object) -> void* { return static_cast<Interface*>(object); }};
}

// IUnknown for `Interfaces`, answered from Derived::interfaces(). IID_IUnknown is
// answered with the first row. A class may add interfaces it decides at run time
// with `void* findInterface(REFIID)`.
template <typename Derived, typename... Interfaces>
class ComObject : public Interfaces... {
 public:
  ComObject() = default;
  ComObject(const ComObject&) = delete;
  ComObject& operator=(const ComObject&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    Derived* self = static_cast<Derived*>(this);
    const auto table = Derived::interfaces();
    if (iid == IID_IUnknown && !table.empty()) *out = table.front().cast(self);
    for (const auto& entry : table) {
      if (*out) break;
      if (*entry.iid == iid) *out = entry.cast(self);
    }
    if constexpr (requires(Derived& d, REFIID i) { d.findInterface(i); }) {
      if (!*out) *out = self->findInterface(iid);
    }
    if (!*out) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete static_cast<Derived*>(this);
    return static_cast<ULONG>(left);
  }

 protected:
  ~ComObject() = default;

 private:
  LONG references_ = 1;
};

// A new object with its one reference, owned by the returned pointer; empty when
// memory ran out or the constructor threw.
template <typename T, typename... A>
ComPtr<T> makeComObject(A&&... args) noexcept {
  try {
    return ComPtr<T>::attach(new T(std::forward<A>(args)...));
  } catch (...) {
    return {};
  }
}

// The class object of one class: CreateInstance asks `create` for a new object
// (a ComPtr of it, empty when it cannot be made) and hands out the wanted
// interface. The objects count themselves in `Lock` (a LockReference member);
// LockServer counts there too.
//
//   DLL:          makeComObject<ClassFactory<>>([] { return makeComObject<Addin>(); })
//   local server: makeComObject<ClassFactory<ServerProcess>>([&] { return makeComObject<App>(tool); }),
//                 then CoRegisterClassObject
template <typename Lock = Module>
class ClassFactory final : public ComObject<ClassFactory<Lock>, IClassFactory> {
 public:
  template <typename Create>
  explicit ClassFactory(Create create)
      : create_([create = std::move(create)](REFIID iid, void** out) -> HRESULT {
          auto object = create();
          if (!object) return E_OUTOFMEMORY;
          return object->QueryInterface(iid, out);
        }) {}

  static std::span<const InterfaceEntry<ClassFactory>> interfaces() {
    static constexpr InterfaceEntry<ClassFactory> table[] = {
        interfaceEntry<ClassFactory, IClassFactory>(IID_IClassFactory)};
    return table;
  }

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    return guardedCall([&] { return create_(iid, out); });
  }
  // Server locks belong to the module, not to one class object: a client may lock
  // through one and unlock through another. More unlocks than locks are ignored, so
  // they cannot free the module under objects that still live.
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    if (lock) {
      InterlockedIncrement(&serverLocks_);
      Lock::lock();
      return S_OK;
    }
    for (LONG held = serverLocks_; held > 0; held = serverLocks_) {
      if (InterlockedCompareExchange(&serverLocks_, held - 1, held) == held) {
        Lock::unlock();
        break;
      }
    }
    return S_OK;
  }

 private:
  static inline LONG serverLocks_ = 0;
  struct NotCounted {};
  std::function<HRESULT(REFIID, void**)> create_;
  [[no_unique_address]] std::conditional_t<Lock::kCountsClassObjects, LockReference<Lock>, NotCounted> count_;
};

// The arguments and result of one Invoke call. Arguments are numbered in their
// natural order (DISPPARAMS holds them last first); by-reference ones are followed.
class DispatchCall {
 public:
  DispatchCall(WORD flags, DISPPARAMS* params, VARIANT* result, UINT* argError)
      : flags_(flags), params_(params), result_(result), argError_(argError) {}

  bool isPut() const { return (flags_ & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0; }
  UINT count() const {
    return params_ && params_->cArgs > params_->cNamedArgs ? params_->cArgs - params_->cNamedArgs : 0;
  }

  // Argument `index` converted to `type`.
  HRESULT arg(UINT index, VARTYPE type, Variant& out) const {
    if (!params_ || !params_->rgvarg || index >= count()) return DISP_E_BADPARAMCOUNT;
    return convert(params_->cArgs - 1 - index, type, out);
  }
  HRESULT intArg(UINT index, LONG& out) const {
    Variant value;
    PENDRIX_RETURN_IF_FAILED(arg(index, VT_I4, value));
    out = value.get()->lVal;
    return S_OK;
  }
  // An object argument, by value or by reference; empty and null give none.
  HRESULT objectArg(UINT index, ComPtr<IDispatch>& out) const {
    out.reset();
    Variant value;
    PENDRIX_RETURN_IF_FAILED(arg(index, VT_UNKNOWN, value));
    IUnknown* unknown = value.get()->punkVal;
    if (!unknown) return S_OK;
    return SUCCEEDED(unknown->QueryInterface(IID_IDispatch, out.putVoid())) ? S_OK : DISP_E_TYPEMISMATCH;
  }
  // Argument `index` as the caller passed it, for by-reference results such as an
  // event's Cancel flag; null when absent.
  VARIANT* rawArg(UINT index) const {
    if (!params_ || !params_->rgvarg || index >= count()) return nullptr;
    return &params_->rgvarg[params_->cArgs - 1 - index];
  }
  // The value of a property put: the argument named DISPID_PROPERTYPUT.
  HRESULT putValue(VARTYPE type, Variant& out) const {
    // A put without its value has the wrong number of arguments.
    if (!params_ || !params_->rgvarg || params_->cArgs == 0) return DISP_E_BADPARAMCOUNT;
    for (UINT i = 0; i < params_->cNamedArgs; ++i)
      if (params_->rgdispidNamedArgs && params_->rgdispidNamedArgs[i] == DISPID_PROPERTYPUT)
        return convert(i, type, out);
    return convert(0, type, out);  // some clients put without naming the value
  }
  HRESULT putInt(LONG& out) const {
    Variant value;
    PENDRIX_RETURN_IF_FAILED(putValue(VT_I4, value));
    out = value.get()->lVal;
    return S_OK;
  }

  HRESULT returnValue(Variant&& value) {
    if (result_) *result_ = value.detach();
    return S_OK;
  }
  HRESULT returnInt(LONG value) { return returnValue(Variant::fromI4(value)); }
  HRESULT returnBool(bool value) { return returnValue(Variant::fromBool(value)); }
  HRESULT returnText(const wchar_t* text, UINT length) {
    Variant value;
    value.get()->bstrVal = SysAllocStringLen(text, length);
    if (!value.get()->bstrVal) return E_OUTOFMEMORY;
    value.get()->vt = VT_BSTR;
    return returnValue(std::move(value));
  }

 private:
  HRESULT convert(UINT raw, VARTYPE type, Variant& out) const {
    if (raw >= params_->cArgs) return DISP_E_BADPARAMCOUNT;
    const VARIANT* source = &params_->rgvarg[raw];
    // An object argument may come empty (no object), by value or by reference.
    if (type == VT_UNKNOWN && (source->vt == VT_EMPTY || source->vt == VT_NULL)) {
      out.put()->vt = VT_UNKNOWN;
      return S_OK;
    }
    if (FAILED(VariantChangeType(out.put(), const_cast<VARIANT*>(source), 0, type))) {
      if (argError_) *argError_ = raw;
      return DISP_E_TYPEMISMATCH;
    }
    return S_OK;
  }

  WORD flags_;
  DISPPARAMS* params_;
  VARIANT* result_;
  UINT* argError_;
};

template <typename Class>
struct DispatchMember {
  const wchar_t* name;
  DISPID dispid;
  WORD kinds;  // DISPATCH_METHOD, DISPATCH_PROPERTYGET, DISPATCH_PROPERTYPUT
  HRESULT (Class::*handler)(DispatchCall& call);
};

// Automation names compare without regard to case.
inline bool sameName(std::wstring_view a, std::wstring_view b) {
  return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
         CSTR_EQUAL;
}

// The row of a member table (anything with a `name`) called `name`, or null.
template <typename Member>
const Member* findMember(std::span<const Member> table, const wchar_t* name) {
  if (!name) return nullptr;
  for (const Member& member : table)
    if (sameName(name, member.name)) return &member;
  return nullptr;
}

// The DISPID of `name` in a member table, comparing without regard to case.
template <typename Member>
HRESULT findDispid(std::span<const Member> table, LPOLESTR name, DISPID& dispid) {
  const Member* member = findMember(table, name);
  dispid = member ? member->dispid : DISPID_UNKNOWN;
  return member ? S_OK : DISP_E_UNKNOWNNAME;
}

// GetIDsOfNames for a table without named parameters: the first name is the
// member, any further name is unknown.
template <typename Member>
HRESULT idsOfNames(std::span<const Member> table, LPOLESTR* names, UINT count, DISPID* dispids) {
  if (!names || !dispids) return E_POINTER;
  if (count == 0) return E_INVALIDARG;
  for (UINT i = 1; i < count; ++i) dispids[i] = DISPID_UNKNOWN;
  PENDRIX_RETURN_IF_FAILED(findDispid(table, names[0], dispids[0]));
  return count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
}

// IDispatch without a type library: the type-information half, for objects that
// answer names and calls their own way. `Others` are further interfaces the object
// implements beside it.
template <typename Derived, typename Interface = IDispatch, typename... Others>
class DispatchWithoutTypeInfo : public ComObject<Derived, Interface, Others...> {
 public:
  // An object that answers IDispatch alone needs no interface table of its own.
  static std::span<const InterfaceEntry<Derived>> interfaces() {
    static constexpr InterfaceEntry<Derived> table[] = {interfaceEntry<Derived, IDispatch>(IID_IDispatch)};
    return table;
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
  ~DispatchWithoutTypeInfo() = default;
};

// IDispatch from Derived::members(). `Interface` is IDispatch or a dual interface
// built on it, `Others` further interfaces (further duals share this one IDispatch);
// Derived::interfaces() lists them (and whatever else the object answers).
template <typename Derived, typename Interface = IDispatch, typename... Others>
class DispatchObject : public DispatchWithoutTypeInfo<Derived, Interface, Others...> {
 public:
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID,
                                          DISPID* dispids) override {
    if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    return idsOfNames(Derived::members(), names, count, dispids);
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID dispid, REFIID iid, LCID, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO*, UINT* argError) override {
    if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    if (result) VariantInit(result);
    for (const auto& member : Derived::members()) {
      if (member.dispid != dispid) continue;
      if ((member.kinds & flags) == 0) return DISP_E_MEMBERNOTFOUND;
      const HRESULT hr = guardedCall([&] {
        DispatchCall call(flags, params, result, argError);
        return (static_cast<Derived*>(this)->*member.handler)(call);
      });
      if (FAILED(hr) && result) VariantClear(result);
      return hr;
    }
    return DISP_E_MEMBERNOTFOUND;
  }

 protected:
  ~DispatchObject() = default;
};

}  // namespace pendrix

#pragma once
// The class object that COM asks for a class of this module. It counts in the
// module's lock count while it lives (a client holding it keeps the code it points
// into), and so does every LockServer(TRUE) not yet undone.

#include <windows.h>
#include <unknwn.h>

#include <span>

#include "win32/com_object.h"

namespace pendrix::addin {

template <typename Object>
class ClassFactory final : public ComObject<ClassFactory<Object>, IClassFactory> {
 public:
  static std::span<const InterfaceEntry<ClassFactory>> interfaces() {
    static constexpr InterfaceEntry<ClassFactory> table[] = {
        interfaceEntry<ClassFactory, IClassFactory>(IID_IClassFactory)};
    return table;
  }

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    ComPtr<Object> object = makeComObject<Object>();
    if (!object) return E_OUTOFMEMORY;
    return object->QueryInterface(iid, out);
  }

  // Server locks belong to the module, not to one class object: a client may lock
  // through one and unlock through another. More unlocks than locks are ignored,
  // so they cannot free the module under objects that still live.
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    if (lock) {
      InterlockedIncrement(&serverLocks_);
      Module::lock();
      return S_OK;
    }
    for (LONG held = serverLocks_; held > 0; held = serverLocks_) {
      if (InterlockedCompareExchange(&serverLocks_, held - 1, held) == held) {
        Module::unlock();
        break;
      }
    }
    return S_OK;
  }

 private:
  friend class ComObject<ClassFactory<Object>, IClassFactory>;
  ~ClassFactory() = default;

  static inline LONG serverLocks_ = 0;
  ModuleReference alive_;
};

}  // namespace pendrix::addin

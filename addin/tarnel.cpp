// Tarnel: the Word add-in as an in-process COM server with the four standard
// entry points. It serves one class, ZombAddin.

#include <windows.h>
#include <objbase.h>

#include "registration.h"
#include "win32/class_ids.h"
#include "win32/com_object.h"
#include "zomb_addin.h"

namespace {

HMODULE gModule = nullptr;

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  // Nothing here may fail or call into COM: it runs under the loader lock.
  if (reason == DLL_PROCESS_ATTACH) {
    gModule = instance;
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (clsid != pendrix::toClsid(pendrix::kZombAddinId)) return CLASS_E_CLASSNOTAVAILABLE;
  const auto factory = pendrix::makeComObject<pendrix::ClassFactory<>>(
      [] { return pendrix::makeComObject<pendrix::addin::ZombAddin>(); });
  if (!factory) return E_OUTOFMEMORY;
  return factory->QueryInterface(iid, out);
}

STDAPI DllCanUnloadNow() { return pendrix::Module::count() == 0 ? S_OK : S_FALSE; }

STDAPI DllRegisterServer() {
  try {
    return pendrix::addin::registerEntries(pendrix::addin::registryEntries(), pendrix::addin::modulePath(gModule));
  } catch (...) {
    return E_OUTOFMEMORY;
  }
}

STDAPI DllUnregisterServer() { return pendrix::addin::unregisterEntries(pendrix::addin::registryEntries()); }

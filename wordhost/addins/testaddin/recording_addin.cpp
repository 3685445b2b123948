// A Word add-in that only records: each IDTExtensibility2 call it gets becomes one
// line in the log file named by PENDRIX_ADDIN_LOG, so that a test in this process
// or in another one can check what its host did, and in which order.

#include <windows.h>
#include <oleauto.h>

#include <iterator>
#include <span>
#include <string>

#include "class_registration.h"
#include "win32/office_interfaces.h"
#include "recording_addin_ids.h"
#include "win32/com.h"
#include "win32/com_object.h"
#include "win32/handles.h"
#include "win32/late_binding.h"

namespace {

using namespace pendrix;
using namespace pendrix::wordhost::testaddin;

enum class Behaviour { Record, FailConnection, NoExtensibility, UnloadItself };

struct AddinClass {
  CLSID clsid;
  const wchar_t* key;
  const wchar_t* progId;
  Behaviour behaviour;
};

const AddinClass kClasses[] = {
    {{0x7f75d687, 0x478c, 0x4ea6, {0xa3, 0x01, 0x49, 0x80, 0x7e, 0x3b, 0x65, 0x96}},
     L"{7f75d687-478c-4ea6-a301-49807e3b6596}", kRecordingProgId, Behaviour::Record},
    {{0xc103e95d, 0x03aa, 0x4ec7, {0x91, 0x4e, 0xbb, 0x57, 0xa3, 0xcb, 0x7a, 0x05}},
     L"{c103e95d-03aa-4ec7-914e-bb57a3cb7a05}", kSecondRecordingProgId, Behaviour::Record},
    {{0x68f4d0eb, 0x3a8a, 0x4a5d, {0x96, 0x4d, 0x8a, 0xf7, 0xef, 0x01, 0x7d, 0x8c}},
     L"{68f4d0eb-3a8a-4a5d-964d-8af7ef017d8c}", kFailingProgId, Behaviour::FailConnection},
    {{0x9e941978, 0x5fdf, 0x45cc, {0x8f, 0xcc, 0xe3, 0xe4, 0xaa, 0x84, 0xbe, 0xbd}},
     L"{9e941978-5fdf-45cc-8fcc-e3e4aa84bebd}", kPlainDispatchProgId, Behaviour::NoExtensibility},
    {{0xdfb3b738, 0x0b17, 0x4d5c, {0x97, 0x98, 0x3f, 0x9c, 0xff, 0xcc, 0x02, 0x28}},
     L"{dfb3b738-0b17-4d5c-9798-3f9cffcc0228}", kSelfUnloadingProgId, Behaviour::UnloadItself},
};

HMODULE gModule = nullptr;

void appendLog(const std::wstring& line) {
  wchar_t path[MAX_PATH];
  const DWORD length = GetEnvironmentVariableW(kRecordingLogVariable, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return;
  const std::wstring text = line + L"\n";
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                        nullptr, nullptr);
  if (bytes <= 0) return;
  std::string utf8(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), utf8.data(), bytes, nullptr,
                      nullptr);
  const HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
  CloseHandle(file);
}

std::wstring describeCustom(SAFEARRAY** custom) {
  if (!custom || !*custom) return L"custom=none";
  VARTYPE type = VT_EMPTY;
  LONG lower = 0;
  LONG upper = 0;
  const bool emptyVariants = SafeArrayGetDim(*custom) == 1 && SUCCEEDED(SafeArrayGetVartype(*custom, &type)) &&
                             type == VT_VARIANT && SUCCEEDED(SafeArrayGetLBound(*custom, 1, &lower)) &&
                             SUCCEEDED(SafeArrayGetUBound(*custom, 1, &upper)) && upper < lower;
  return emptyVariants ? L"custom=empty" : L"custom=other";
}

std::wstring textOf(IDispatch* object, const wchar_t* name) {
  if (!object) return L"-";
  Bstr text;
  const HRESULT hr = getTextByName(object, name, text);
  if (FAILED(hr)) return L"error";
  return text.str();
}

// Word calls the add-in through the vtable; its dispatch side answers no names.
class RecordingAddin final : public DispatchObject<RecordingAddin, office::IDTExtensibility2> {
 public:
  explicit RecordingAddin(const AddinClass& type) : type_(type) {}

  static std::span<const DispatchMember<RecordingAddin>> members() { return {}; }
  // One class stands for an add-in that lacks the interface.
  void* findInterface(REFIID iid) {
    const bool extensibility = iid == office::kIidDTExtensibility2 && type_.behaviour != Behaviour::NoExtensibility;
    return extensibility ? static_cast<office::IDTExtensibility2*>(this) : nullptr;
  }

  HRESULT STDMETHODCALLTYPE OnConnection(IDispatch* application, int connectMode, IDispatch* addInInst,
                                         SAFEARRAY** custom) override {
    return guardedCall([&] {
      record(L"OnConnection mode=" + std::to_wstring(connectMode) + L" app=" + (application ? L"yes" : L"no") +
             L" name=" + textOf(application, L"Name") + L" inst=" + textOf(addInInst, L"ProgId") + L" " +
             describeCustom(custom));
      if (type_.behaviour == Behaviour::FailConnection) return E_FAIL;
      application_ = ComPtr<IDispatch>(application);
      instance_ = ComPtr<IDispatch>(addInInst);
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE OnDisconnection(int removeMode, SAFEARRAY** custom) override {
    return guardedCall([&] {
      record(L"OnDisconnection mode=" + std::to_wstring(removeMode) + L" " + describeCustom(custom));
      application_.reset();
      instance_.reset();
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE OnAddInsUpdate(SAFEARRAY** custom) override {
    return guardedCall([&] {
      record(L"OnAddInsUpdate " + describeCustom(custom));
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE OnStartupComplete(SAFEARRAY** custom) override {
    return guardedCall([&] {
      record(L"OnStartupComplete " + describeCustom(custom));
      if (type_.behaviour == Behaviour::UnloadItself) return unloadItself();
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE OnBeginShutdown(SAFEARRAY** custom) override {
    return guardedCall([&] {
      record(L"OnBeginShutdown " + describeCustom(custom));
      return S_OK;
    });
  }

 private:
  friend class ComObject<RecordingAddin, office::IDTExtensibility2>;
  ~RecordingAddin() {
    // A lost log line is all that can go wrong here.
    guardedCall([&] {
      record(L"Released");
      return S_OK;
    });
  }

  void record(const std::wstring& what) const { appendLog(std::wstring(type_.progId) + L" " + what); }

  HRESULT unloadItself() {
    ComPtr<IDispatch> instance = instance_;  // OnDisconnection, called from inside, drops instance_
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_BOOL;
    value.boolVal = VARIANT_FALSE;
    const HRESULT hr = invokeByName(instance.get(), L"Connect", DISPATCH_PROPERTYPUT, &value, 1, nullptr);
    record(L"Connect=False " + std::wstring(SUCCEEDED(hr) ? L"ok" : L"failed"));
    return S_OK;
  }

  const AddinClass& type_;
  ModuleReference module_;
  ComPtr<IDispatch> application_;
  ComPtr<IDispatch> instance_;
};

HRESULT registerClass(const AddinClass& type, const std::wstring& modulePath) {
  const std::wstring classKey = std::wstring(L"CLSID\\") + type.key;
  const LSTATUS steps[] = {
      wordhost::setRegistryText(HKEY_CLASSES_ROOT, classKey, nullptr, type.progId),
      wordhost::setRegistryText(HKEY_CLASSES_ROOT, classKey + L"\\InprocServer32", nullptr, modulePath),
      wordhost::setRegistryText(HKEY_CLASSES_ROOT, classKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment"),
      wordhost::setRegistryText(HKEY_CLASSES_ROOT, classKey + L"\\ProgID", nullptr, type.progId),
      wordhost::setRegistryText(HKEY_CLASSES_ROOT, type.progId, nullptr, type.progId),
      wordhost::setRegistryText(HKEY_CLASSES_ROOT, std::wstring(type.progId) + L"\\CLSID", nullptr, type.key),
  };
  return wordhost::firstFailure(steps);
}

void unregisterClass(const AddinClass& type) {
  RegDeleteTreeW(HKEY_CLASSES_ROOT, (std::wstring(L"CLSID\\") + type.key).c_str());
  RegDeleteTreeW(HKEY_CLASSES_ROOT, type.progId);
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    gModule = instance;
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  for (const AddinClass& type : kClasses) {
    if (type.clsid != clsid) continue;
    const auto factory = makeComObject<ClassFactory<>>([&type] { return makeComObject<RecordingAddin>(type); });
    return factory ? factory->QueryInterface(iid, out) : E_OUTOFMEMORY;
  }
  return CLASS_E_CLASSNOTAVAILABLE;
}

STDAPI DllCanUnloadNow() { return Module::canUnloadNow(); }

STDAPI DllRegisterServer() {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(gModule, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return E_UNEXPECTED;
  return guardedCall([&] {
    for (const AddinClass& type : kClasses) PENDRIX_RETURN_IF_FAILED(registerClass(type, path));
    return S_OK;
  });
}

STDAPI DllUnregisterServer() {
  return guardedCall([] {
    for (const AddinClass& type : kClasses) unregisterClass(type);
    return S_OK;
  });
}

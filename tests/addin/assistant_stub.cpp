// A stand-in for the assistant's automation object, registered under the
// assistant's class id for the add-in's tests: a local server with a window that
// records every call it gets, one line each, in the log file named first on its
// command line. Each creation gets a process of its own (single use), which ends
// when its object is released.

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include <span>
#include <string>

#include "win32/com_object.h"
#include "win32/assistant_dispids.h"
#include "win32/class_ids.h"
#include "win32/late_binding.h"
#include "win32/office_interfaces.h"

namespace {

using namespace pendrix;

std::wstring gLogPath;
HWND gWindow = nullptr;
UINT_PTR gIdleTimer = 0;
DWORD gMainThread = 0;

void record(const std::wstring& line) {
  const std::wstring text = L"pid=" + std::to_wstring(GetCurrentProcessId()) + L" " + line + L"\n";
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  if (bytes <= 0 || gLogPath.empty()) return;
  std::string utf8(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), utf8.data(), bytes, nullptr, nullptr);
  const HANDLE file = CreateFileW(gLogPath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
  CloseHandle(file);
}

std::wstring textOf(IDispatch* object, DISPID dispid) {
  Variant value;
  if (FAILED(invokeDispid(object, dispid, DISPATCH_PROPERTYGET, nullptr, 0, &value)) ||
      FAILED(VariantChangeType(value.get(), value.get(), 0, VT_BSTR)))
    return L"?";
  return std::wstring(value.get()->bstrVal, SysStringLen(value.get()->bstrVal));
}

class StubAssistant final : public DispatchObject<StubAssistant> {
 public:
  StubAssistant() { KillTimer(nullptr, gIdleTimer); }

  static std::span<const InterfaceEntry<StubAssistant>> interfaces() {
    static constexpr InterfaceEntry<StubAssistant> table[] = {interfaceEntry<StubAssistant, IDispatch>(IID_IDispatch)};
    return table;
  }
  static std::span<const DispatchMember<StubAssistant>> members() {
    namespace id = assistant_dispid;
    static constexpr DispatchMember<StubAssistant> table[] = {
        {L"WindowHandle", id::kWindowHandle, DISPATCH_PROPERTYGET, &StubAssistant::windowHandle},
        {L"WordWindowHandle", id::kWordWindowHandle, DISPATCH_PROPERTYPUT, &StubAssistant::wordWindowHandle},
        {L"CursorXPos", id::kCursorXPos, DISPATCH_PROPERTYPUT, &StubAssistant::cursorX},
        {L"CursorYPos", id::kCursorYPos, DISPATCH_PROPERTYPUT, &StubAssistant::cursorY},
        {L"SetWordApplication", id::kSetWordApplication, DISPATCH_METHOD, &StubAssistant::setWordApplication},
        {L"SetWordField", id::kSetWordField, DISPATCH_METHOD, &StubAssistant::setWordField},
    };
    return table;
  }

  HRESULT windowHandle(DispatchCall& call) {
    record(L"WindowHandle");
    return call.returnInt(static_cast<LONG>(reinterpret_cast<LONG_PTR>(gWindow)));
  }
  HRESULT wordWindowHandle(DispatchCall& call) { return recordPut(call, L"WordWindowHandle"); }
  HRESULT cursorX(DispatchCall& call) { return recordPut(call, L"CursorXPos"); }
  HRESULT cursorY(DispatchCall& call) { return recordPut(call, L"CursorYPos"); }
  HRESULT setWordApplication(DispatchCall& call) {
    ComPtr<IDispatch> application;
    PENDRIX_RETURN_IF_FAILED(call.objectArg(0, application));
    Bstr name;
    getTextByName(application.get(), L"Name", name);
    record(L"SetWordApplication name=" + name.str());
    return call.returnInt(0);
  }
  HRESULT setWordField(DispatchCall& call) {
    ComPtr<IDispatch> field;
    PENDRIX_RETURN_IF_FAILED(call.objectArg(0, field));
    Variant range;
    std::wstring code = L"?";
    if (SUCCEEDED(invokeDispid(field.get(), word::kDispidFieldCode, DISPATCH_PROPERTYGET, nullptr, 0, &range)) &&
        range.get()->vt == VT_DISPATCH)
      code = textOf(range.get()->pdispVal, word::kDispidRangeText);
    record(L"SetWordField code=" + code);
    return call.returnInt(0);
  }

 private:
  friend class ComObject<StubAssistant, IDispatch>;
  ~StubAssistant() {
    record(L"Released");
    PostThreadMessageW(gMainThread, WM_QUIT, 0, 0);
  }

  HRESULT recordPut(DispatchCall& call, const wchar_t* name) {
    LONG value = 0;
    PENDRIX_RETURN_IF_FAILED(call.putInt(value));
    record(std::wstring(name) + L"=" + std::to_wstring(value));
    return S_OK;
  }
};

void CALLBACK endIdleServer(HWND, UINT, UINT_PTR, DWORD) { PostQuitMessage(0); }

HWND createWindow(HINSTANCE instance) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = DefWindowProcW;
  windowClass.hInstance = instance;
  // Grey with a caption inside, so that a picture of the screen shows it over Word.
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNSHADOW + 1);
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.lpszClassName = L"PendrixAssistantStub";
  RegisterClassW(&windowClass);
  const HWND window = CreateWindowExW(WS_EX_DLGMODALFRAME, windowClass.lpszClassName, L"Assistent (Testserver)",
                                      WS_OVERLAPPEDWINDOW | WS_VISIBLE, 420, 260, 320, 160, nullptr, nullptr, instance,
                                      nullptr);
  if (window)
    CreateWindowExW(0, L"STATIC", L"Assistent (Testserver)", WS_CHILD | WS_VISIBLE | SS_CENTER, 10, 50, 280, 20, window,
                    nullptr, instance, nullptr);
  return window;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  int count = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
  if (argv && count > 1) gLogPath = argv[1];
  if (argv) LocalFree(argv);
  gMainThread = GetCurrentThreadId();
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
  record(L"Started");
  gWindow = createWindow(instance);
  int exitCode = 1;
  {
    const auto factory = makeComObject<ClassFactory<>>([] { return makeComObject<StubAssistant>(); });
    DWORD cookie = 0;
    if (gWindow && factory &&
        SUCCEEDED(CoRegisterClassObject(toClsid(kAssistantAppId), static_cast<IClassFactory*>(factory.get()),
                                        CLSCTX_LOCAL_SERVER, REGCLS_SINGLEUSE, &cookie))) {
      // A server nobody asks for an object ends by itself.
      gIdleTimer = SetTimer(nullptr, 0, 30000, endIdleServer);
      MSG message;
      while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
      }
      CoRevokeClassObject(cookie);
      exitCode = 0;
    }
  }
  if (gWindow) DestroyWindow(gWindow);
  CoUninitialize();
  return exitCode;
}

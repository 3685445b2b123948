// symboltool.exe: the stand-in for the outside symbol tool that the add-in starts
// from its "ZbGlyphor" button. Started by COM ("-Embedding") it serves one object
// (single use: each creation gets a process and window of its own) and ends with
// the last reference to it or when its window is closed. "/regserver" and
// "/unregserver" write and remove its class registration; without a switch it just
// shows its window.

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "class_registration.h"
#include "win32/class_ids.h"
#include "symbol_app.h"
#include "symbol_tool.h"
#include "symbol_tool_core.h"

namespace {

using namespace pendrix;
using namespace pendrix::wordhost;

constexpr wchar_t kProgId[] = L"Pendrix.SymbolTool";
// COM asks for the object within a second or two of starting the server.
constexpr UINT kClientPatienceMs = 30000;

std::wstring classKeyPath() { return std::wstring(L"CLSID\\") + reinterpret_cast<const wchar_t*>(kSymbolAppKey); }

std::vector<std::u16string> arguments() {
  std::vector<std::u16string> list;
  int count = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!argv) return list;
  for (int i = 1; i < count; ++i) list.push_back(fromWide(argv[i]));
  LocalFree(argv);
  return list;
}

int registerServer() {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return 1;
  const std::wstring classKey = classKeyPath();
  const std::wstring classId = reinterpret_cast<const wchar_t*>(kSymbolAppKey);
  const LSTATUS steps[] = {
      setRegistryText(HKEY_CLASSES_ROOT, classKey, nullptr, kSymbolWindowCaption),
      setRegistryText(HKEY_CLASSES_ROOT, classKey + L"\\LocalServer32", nullptr,
                      L"\"" + std::wstring(path) + L"\""),
      setRegistryText(HKEY_CLASSES_ROOT, classKey + L"\\ProgID", nullptr, kProgId),
      setRegistryText(HKEY_CLASSES_ROOT, kProgId, nullptr, kSymbolWindowCaption),
      setRegistryText(HKEY_CLASSES_ROOT, std::wstring(kProgId) + L"\\CLSID", nullptr, classId),
  };
  return SUCCEEDED(firstFailure(steps)) ? 0 : 1;
}

int unregisterServer() {
  const LSTATUS classStatus = RegDeleteTreeW(HKEY_CLASSES_ROOT, classKeyPath().c_str());
  const LSTATUS progIdStatus = RegDeleteTreeW(HKEY_CLASSES_ROOT, kProgId);
  const auto removed = [](LSTATUS status) { return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND; };
  return removed(classStatus) && removed(progIdStatus) ? 0 : 1;
}

void runMessageLoop() {
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

int serve(SymbolTool& tool, HINSTANCE instance, bool embedding) {
  if (!tool.createWindow(instance)) return 1;
  const ComPtr<ClassFactory<ServerProcess>> factory = makeSymbolAppFactory(tool);
  if (!factory) return 1;
  DWORD cookie = 0;
  if (embedding && FAILED(CoRegisterClassObject(toClsid(kSymbolAppId), factory.get(), CLSCTX_LOCAL_SERVER,
                                                REGCLS_SINGLEUSE, &cookie)))
    return 1;
  if (embedding) tool.expectClientWithin(kClientPatienceMs);
  runMessageLoop();
  if (cookie) CoRevokeClassObject(cookie);
  return 0;
}

// The tool outlives COM: objects a client still holds when the window is closed are
// released inside OleUninitialize, and Word's object is a proxy to let go of before.
int run(HINSTANCE instance, bool embedding) {
  if (FAILED(OleInitialize(nullptr))) return 1;
  SymbolTool tool;
  const int exitCode = serve(tool, instance, embedding);
  tool.setApplication(nullptr);
  OleUninitialize();
  return exitCode;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  try {
    const symbols::LaunchMode mode = symbols::parseLaunchMode(arguments());
    if (mode == symbols::LaunchMode::Register) return registerServer();
    if (mode == symbols::LaunchMode::Unregister) return unregisterServer();
    return run(instance, mode == symbols::LaunchMode::Embedding);
  } catch (...) {
    return 1;
  }
}

// wordhost.exe: the Word stand-in. Serves its Application object from the
// running object table under Word.Application's class id, loads the add-ins
// Word would load, and shows the document; with --script it runs control
// operations from a file, writes the document dump and ends. It plays Word 2003
// (menus and toolbars) or, with --ribbon, a ribbon-era Word.

#include <windows.h>
#include <objbase.h>
#include <oleauto.h>
#include <shellapi.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>

#include "win32/office_interfaces.h"
#include "win32/handles.h"
#include "session/text_codec.h"
#include "wordhost/busy_filter.h"
#include "wordhost/host_window.h"
#include "wordhost/ribbon.h"
#include "wordhost/script_runner.h"
#include "wordhost/word_objects.h"

#ifdef WORDHOST_HAVE_ADDIN_LOADER
#if __has_include("wordhost/addins/addin_loader.h")
#include "wordhost/addins/addin_loader.h"
#else
#error "wordhost_addins is built but wordhost/addins/addin_loader.h is missing"
#endif
#endif

namespace pendrix::wordhost {
namespace {

struct Options {
  std::wstring script;
  std::wstring dump;
  std::wstring bars;
  HostUi ui = HostUi::MenusAndToolbars;
  bool noAddins = false;
  bool valid = true;
};

Options parseOptions() {
  Options options;
  int count = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!argv) return options;
  for (int i = 1; i < count; ++i) {
    const std::wstring arg = argv[i];
    const bool hasValue = i + 1 < count;
    if (arg == L"--script" && hasValue) {
      options.script = argv[++i];
    } else if (arg == L"--dump" && hasValue) {
      options.dump = argv[++i];
    } else if (arg == L"--bars" && hasValue) {
      options.bars = argv[++i];
    } else if (arg == L"--no-addins") {
      options.noAddins = true;
    } else if (arg == L"--ribbon") {
      options.ui = HostUi::Ribbon;
    } else if (arg == L"--menus") {
      options.ui = HostUi::MenusAndToolbars;
    } else if (arg == L"-Embedding" || arg == L"/Embedding" || arg == L"-Automation" || arg == L"/Automation") {
      // Started by COM: the object goes into the running object table anyway.
    } else {
      options.valid = false;
    }
  }
  LocalFree(argv);
  return options;
}

// Word keeps its bars in the user's profile; the stand-in keeps them beside.
std::wstring defaultBarsFile() {
  wchar_t appData[MAX_PATH] = {};
  const DWORD length = GetEnvironmentVariableW(L"APPDATA", appData, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return L"wordhost-commandbars.txt";
  return std::wstring(appData) + L"\\Pendrix-Wordhost\\commandbars.txt";
}

// The place where the host starts and stops add-ins: the loader of
// wordhost/addins when it is built, else nothing to load.
class ProgramHooks final : public HostHooks {
 public:
  // `ribbon`: where a ribbon-era Word puts the add-ins' tabs; null for Word 2003.
  ProgramHooks(HostWindow& window, RibbonHost* ribbon) : window_(window), ribbon_(ribbon) {}

  void attach(IDispatch* application) {
#ifdef WORDHOST_HAVE_ADDIN_LOADER
    loader_.emplace(application, ribbon_);
#endif
  }
  HRESULT loadAddins() override {
#ifdef WORDHOST_HAVE_ADDIN_LOADER
    if (!loader_) return E_UNEXPECTED;
    loader_->loadAtStartup();
    return S_OK;
#else
    return S_FALSE;  // nothing to load in a build without the loader
#endif
  }
  HRESULT loadAddin(const std::u16string& progId) override {
#ifdef WORDHOST_HAVE_ADDIN_LOADER
    if (!loader_) return E_UNEXPECTED;
    return loader_->load(std::wstring(progId.begin(), progId.end()));
#else
    return E_NOTIMPL;
#endif
  }
  HRESULT unloadAddin(const std::u16string& progId) override {
#ifdef WORDHOST_HAVE_ADDIN_LOADER
    if (!loader_) return E_UNEXPECTED;
    return loader_->unload(std::wstring(progId.begin(), progId.end()));
#else
    return E_NOTIMPL;
#endif
  }
  void quit() override {
    // Posted: the caller's Quit call returns before the host goes away.
    if (window_.mainWindow()) PostMessageW(window_.mainWindow(), WM_CLOSE, 0, 0);
  }
  void shutdown() {
#ifdef WORDHOST_HAVE_ADDIN_LOADER
    if (loader_) loader_->shutdown();
    loader_.reset();
#endif
  }

 private:
  HostWindow& window_;
  RibbonHost* ribbon_;
#ifdef WORDHOST_HAVE_ADDIN_LOADER
  std::optional<AddinLoader> loader_;
#endif
};

std::string readFile(const std::wstring& path, bool& ok) {
  std::ifstream in(std::filesystem::path(path), std::ios::binary);
  ok = static_cast<bool>(in);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

int runScriptMode(IDispatch* application, HostState& state, const Options& options) {
  bool ok = false;
  const std::string script = readFile(options.script, ok);
  if (!ok) {
    std::fprintf(stderr, "wordhost: cannot read script\n");
    return 2;
  }
  const ScriptResult result = runScript(application, script);
  if (!result.ok) std::fprintf(stderr, "wordhost: script line %zu: %s\n", result.line, result.message.c_str());
  if (!options.dump.empty()) {
    std::ofstream out(std::filesystem::path(options.dump), std::ios::binary | std::ios::trunc);
    out << documentDump(state);
    if (!out.flush()) return 2;
  }
  return result.ok ? 0 : 1;
}

int runHost(int show) {
  const Options options = parseOptions();
  if (!options.valid) {
    // No message box: the host is mostly started by tests, which nobody answers.
    std::fprintf(stderr, "usage: wordhost [--menus | --ribbon] [--script FILE] [--dump FILE] [--bars FILE] [--no-addins]\n");
    return 2;
  }
  auto state = std::make_shared<HostState>(
      fromWide(options.bars.empty() ? defaultBarsFile().c_str() : options.bars.c_str()));
  state->ui = options.ui;
  HostWindow window(state);
  HostRibbon ribbon(state);
  ProgramHooks hooks(window, options.ui == HostUi::Ribbon ? &ribbon : nullptr);
  state->hooks = &hooks;
  state->changed = [&window] { window.refresh(); };
  ComPtr<IDispatch> application = createApplication(state);
  int exitCode = 0;
  if (!window.create(options.script.empty() ? show : SW_HIDE)) {
    exitCode = 3;
  } else if (!options.script.empty()) {
    hooks.attach(application.get());
    exitCode = runScriptMode(application.get(), *state, options);
    hooks.shutdown();
  } else {
    const ComPtr<IMessageFilter> filter = createBusyFilter(state);
    ComPtr<IMessageFilter> previousFilter;
    if (filter) CoRegisterMessageFilter(filter.get(), previousFilter.put());
    DWORD cookie = 0;
    const HRESULT registered =
        RegisterActiveObject(application.get(), word::kClsidApplication, ACTIVEOBJECT_STRONG, &cookie);
    window.onClose = [&] {
      // No new clients from here on; the add-ins are told before the windows go.
      if (SUCCEEDED(registered)) RevokeActiveObject(cookie, nullptr);
      cookie = 0;
      hooks.shutdown();
    };
    hooks.attach(application.get());
    if (!options.noAddins) hooks.loadAddins();
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    if (cookie != 0) RevokeActiveObject(cookie, nullptr);
    exitCode = FAILED(registered) ? 4 : 0;
    if (filter) CoRegisterMessageFilter(previousFilter.get(), nullptr);
  }
  window.onClose = nullptr;
  state->changed = nullptr;
  state->hooks = nullptr;
  state->disconnectAll();
  // Clients still holding our objects are cut off, so the process can end.
  CoDisconnectObject(application.get(), 0);
  return exitCode;
}

}  // namespace
}  // namespace pendrix::wordhost

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show) {
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 5;
  int exitCode = 5;
  try {
    exitCode = pendrix::wordhost::runHost(show);
  } catch (...) {
    exitCode = 6;
  }
  // No CoUninitialize: a client's last call (the release of its proxy after Quit)
  // may still be finishing on an RPC worker thread, and Wine's RpcServerUnregisterIf,
  // which the apartment's teardown calls, can miss that call's end and wait for it
  // forever (seen with the 32-bit build). runHost has cut the clients off; the end of
  // the process frees the apartment.
  return exitCode;
}

#include "session/entry_win32.h"

#include <commctrl.h>
#include <ole2.h>

#include "dialog/pendrix_dlg_win32.h"
#include "resources/resource.h"
#include "session/automation_win32.h"
#include "session/command_line.h"
#include "session/registration_win32.h"
#include "session/system_win32.h"

namespace pendrix {
namespace {

class OleSession {
 public:
  OleSession() : hr_(OleInitialize(nullptr)) {}
  ~OleSession() {
    if (SUCCEEDED(hr_)) OleUninitialize();
  }
  OleSession(const OleSession&) = delete;
  OleSession& operator=(const OleSession&) = delete;
  bool ok() const { return SUCCEEDED(hr_); }

 private:
  HRESULT hr_;
};

void showOleFailure(HINSTANCE instance) {
  wchar_t text[300] = {};
  LoadStringW(instance, IDS_OLE_INIT_FAILED, text, 300);
  MessageBoxW(nullptr, text, L"Pendrix", MB_OK | MB_ICONEXCLAMATION);
}

// The first start's question about the list separator waits for the dialog: shown now,
// before the class factory is registered, it would keep Word waiting in CoCreateInstance.
Settings loadSettings(ProfileStore& store, const std::u16string& installDirectory) {
  Settings settings;
  // Without a registration there is no settings file: the defaults serve.
  if (installDirectory.empty()) return settings;
  settings.load(store, installDirectory + kSettingsRelativePath, CPendrixApp::instance().messagesForLater(),
                userListSeparator);
  return settings;
}

}  // namespace

int runAssistant(HINSTANCE instance, const wchar_t* commandLine) {
  OleSession ole;
  if (!ole.ok()) {
    showOleFailure(instance);
    return 1;
  }
  const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);

  const std::u16string installDirectory = findInstallDirectory();
  const std::unique_ptr<ProfileStore> store = makeWin32ProfileStore();
  Settings settings = loadSettings(*store, installDirectory);

  CPendrixApp& app = CPendrixApp::instance();
  AutomationServer server;
  if (hasAutomationSwitch(fromWide(commandLine))) {
    app.setUserControl(false);
    if (FAILED(server.start())) return 1;
  } else {
    registerAssistantClass(serverPathOfThisProgram());
  }

  CPendrixDlg dialog(instance, settings, installDirectory);
  app.setMainWindow(&dialog);
  dialog.runModal();
  app.setMainWindow(nullptr);
  return 0;
}

}  // namespace pendrix

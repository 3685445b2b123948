// The yardsticks of the start benchmark: the least a local automation server can do
// that the add-in starts as it starts the assistant. It registers a single-use class
// factory under its own class id, shows its dialog, and answers the six members the
// add-in calls (the window handle; the rest accepted). "/empty" shows an empty dialog;
// "/template" shows the assistant's own dialog template, with its controls and the
// button pictures, and does nothing else. The dialog closes when its object is
// released or the window is closed, and the process ends with it.

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <array>
#include <span>

#include "dialog/bitmap_tool_button_win32.h"
#include "dialog/dialog_controls.h"
#include "resources/resource.h"
#include "win32/assistant_dispids.h"
#include "win32/com_object.h"
#include "yardstick_server.h"

namespace {

using namespace pendrix;

HWND gDialog = nullptr;

class YardstickAssistant final : public DispatchObject<YardstickAssistant> {
 public:
  static std::span<const InterfaceEntry<YardstickAssistant>> interfaces() {
    static constexpr InterfaceEntry<YardstickAssistant> table[] = {
        interfaceEntry<YardstickAssistant, IDispatch>(IID_IDispatch)};
    return table;
  }
  static std::span<const DispatchMember<YardstickAssistant>> members() {
    namespace id = assistant_dispid;
    constexpr WORD kProperty = DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT;
    static constexpr DispatchMember<YardstickAssistant> table[] = {
        {L"WindowHandle", id::kWindowHandle, kProperty, &YardstickAssistant::windowHandle},
        {L"WordWindowHandle", id::kWordWindowHandle, kProperty, &YardstickAssistant::accept},
        {L"CursorXPos", id::kCursorXPos, kProperty, &YardstickAssistant::accept},
        {L"CursorYPos", id::kCursorYPos, kProperty, &YardstickAssistant::accept},
        {L"SetWordApplication", id::kSetWordApplication, DISPATCH_METHOD, &YardstickAssistant::accept},
        {L"SetWordField", id::kSetWordField, DISPATCH_METHOD, &YardstickAssistant::accept},
    };
    return table;
  }

  HRESULT windowHandle(DispatchCall& call) {
    return call.returnInt(static_cast<LONG>(reinterpret_cast<LONG_PTR>(gDialog)));
  }
  HRESULT accept(DispatchCall& call) { return call.isPut() ? S_OK : call.returnInt(0); }

 private:
  friend class ComObject<YardstickAssistant, IDispatch>;
  ~YardstickAssistant() {
    if (gDialog) PostMessageW(gDialog, WM_CLOSE, 0, 0);
  }
};

INT_PTR CALLBACK emptyDialogProc(HWND dialog, UINT message, WPARAM, LPARAM) {
  switch (message) {
    case WM_INITDIALOG: gDialog = dialog; return TRUE;
    case WM_CLOSE: EndDialog(dialog, 0); return TRUE;
    default: return FALSE;
  }
}

// The assistant's template: its buttons get their pictures, as the assistant's do.
std::array<CBitmapToolButton, std::size(kButtonControls)> gButtons;

INT_PTR CALLBACK templateDialogProc(HWND dialog, UINT message, WPARAM, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      gDialog = dialog;
      for (size_t i = 0; i < gButtons.size(); ++i) {
        gButtons[i].attach(GetDlgItem(dialog, kButtonControls[i].id));
        gButtons[i].setBitmap(GetModuleHandleW(nullptr), kButtonControls[i].bitmapId);
      }
      return TRUE;
    }
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      for (const CBitmapToolButton& button : gButtons)
        if (button.window() == item->hwndItem) button.draw(*item);
      return TRUE;
    }
    case WM_CLOSE: EndDialog(dialog, 0); return TRUE;
    default: return FALSE;
  }
}

// A dialog template in memory: the frame and caption of a small tool window, no
// controls.
struct alignas(DWORD) EmptyTemplate {
  DLGTEMPLATE header{WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER | WS_VISIBLE, 0, 0, 0, 0, 240, 120};
  WORD menu = 0;
  WORD windowClass = 0;
  wchar_t caption[sizeof kEmptyDialogCaption / sizeof(wchar_t)];
};

void runDialog(HINSTANCE instance, bool assistantTemplate) {
  if (assistantTemplate) {
    // The template's controls come from the same libraries as the assistant's.
    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_PENDRIX_DIALOG), nullptr, templateDialogProc, 0);
    return;
  }
  EmptyTemplate empty;
  lstrcpyW(empty.caption, kEmptyDialogCaption);
  DialogBoxIndirectParamW(instance, &empty.header, nullptr, emptyDialogProc, 0);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
  const bool assistantTemplate = wcsstr(commandLine, kTemplateDialogServer.argument) != nullptr;
  const Yardstick& served = assistantTemplate ? kTemplateDialogServer : kEmptyDialogServer;
  if (FAILED(OleInitialize(nullptr))) return 1;
  {
    const auto factory = makeComObject<ClassFactory<>>([] { return makeComObject<YardstickAssistant>(); });
    DWORD cookie = 0;
    if (factory && SUCCEEDED(CoRegisterClassObject(served.classId, static_cast<IClassFactory*>(factory.get()),
                                                   CLSCTX_LOCAL_SERVER, REGCLS_SINGLEUSE, &cookie))) {
      runDialog(instance, assistantTemplate);
      CoRevokeClassObject(cookie);
    }
  }
  for (CBitmapToolButton& button : gButtons) button.setBitmap(instance, 0);
  OleUninitialize();
  return 0;
}

// The yardstick of the start benchmark: the least a local automation server can do
// that the add-in starts as it starts the assistant. It registers a single-use class
// factory under its own class id, shows an empty dialog, and answers the six members
// the add-in calls (the window handle; the rest accepted). The dialog closes when its
// object is released or the window is closed, and the process ends with it.

#include <windows.h>
#include <objbase.h>

#include <span>

#include "empty_dialog_server.h"
#include "win32/assistant_dispids.h"
#include "win32/com_object.h"

namespace {

using namespace pendrix;

HWND gDialog = nullptr;

class EmptyAssistant final : public DispatchObject<EmptyAssistant> {
 public:
  static std::span<const InterfaceEntry<EmptyAssistant>> interfaces() {
    static constexpr InterfaceEntry<EmptyAssistant> table[] = {interfaceEntry<EmptyAssistant, IDispatch>(IID_IDispatch)};
    return table;
  }
  static std::span<const DispatchMember<EmptyAssistant>> members() {
    namespace id = assistant_dispid;
    constexpr WORD kProperty = DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT;
    static constexpr DispatchMember<EmptyAssistant> table[] = {
        {L"WindowHandle", id::kWindowHandle, kProperty, &EmptyAssistant::windowHandle},
        {L"WordWindowHandle", id::kWordWindowHandle, kProperty, &EmptyAssistant::accept},
        {L"CursorXPos", id::kCursorXPos, kProperty, &EmptyAssistant::accept},
        {L"CursorYPos", id::kCursorYPos, kProperty, &EmptyAssistant::accept},
        {L"SetWordApplication", id::kSetWordApplication, DISPATCH_METHOD, &EmptyAssistant::accept},
        {L"SetWordField", id::kSetWordField, DISPATCH_METHOD, &EmptyAssistant::accept},
    };
    return table;
  }

  HRESULT windowHandle(DispatchCall& call) {
    return call.returnInt(static_cast<LONG>(reinterpret_cast<LONG_PTR>(gDialog)));
  }
  HRESULT accept(DispatchCall& call) { return call.isPut() ? S_OK : call.returnInt(0); }

 private:
  friend class ComObject<EmptyAssistant, IDispatch>;
  ~EmptyAssistant() {
    if (gDialog) PostMessageW(gDialog, WM_CLOSE, 0, 0);
  }
};

INT_PTR CALLBACK dialogProc(HWND dialog, UINT message, WPARAM, LPARAM) {
  switch (message) {
    case WM_INITDIALOG: gDialog = dialog; return TRUE;
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

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  if (FAILED(OleInitialize(nullptr))) return 1;
  EmptyTemplate dialog;
  lstrcpyW(dialog.caption, kEmptyDialogCaption);
  {
    const auto factory = makeComObject<ClassFactory<>>([] { return makeComObject<EmptyAssistant>(); });
    DWORD cookie = 0;
    if (factory && SUCCEEDED(CoRegisterClassObject(kEmptyDialogServerId, static_cast<IClassFactory*>(factory.get()),
                                                   CLSCTX_LOCAL_SERVER, REGCLS_SINGLEUSE, &cookie))) {
      DialogBoxIndirectParamW(instance, &dialog.header, nullptr, dialogProc, 0);
      CoRevokeClassObject(cookie);
    }
  }
  OleUninitialize();
  return 0;
}

#include "session/automation_win32.h"

#include "win32/assistant_dispids.h"
#include "win32/class_ids.h"

namespace pendrix {
namespace {

// The application lock, as the class factory counts server locks in it.
struct ApplicationLock {
  static void lock() { CPendrixApp::instance().lock(); }
  static void unlock() { CPendrixApp::instance().unlock(); }
  // COM holds the registered class object; it must not keep the program alive.
  static constexpr bool kCountsClassObjects = false;
};

}  // namespace

CPendrixApp& CPendrixApp::instance() {
  static CPendrixApp app;
  return app;
}

void CPendrixApp::unlock() {
  if (locks_ > 0) --locks_;
  if (locks_ == 0 && !userControl_ && mainWindow_) mainWindow_->closeSession();
}

CPendrixDlgAutoProxy::CPendrixDlgAutoProxy() : dialog_(CPendrixApp::instance().mainWindow()) {
  CPendrixApp::instance().lock();
  if (dialog_) dialog_->setAutoProxy(this);
}

CPendrixDlgAutoProxy::~CPendrixDlgAutoProxy() {
  if (dialog_) dialog_->setAutoProxy(nullptr);
  CPendrixApp::instance().unlock();
}

std::span<const InterfaceEntry<CPendrixDlgAutoProxy>> CPendrixDlgAutoProxy::interfaces() {
  static constexpr InterfaceEntry<CPendrixDlgAutoProxy> table[] = {
      interfaceEntry<CPendrixDlgAutoProxy, IDispatch>(IID_IDispatch)};
  return table;
}

std::span<const DispatchMember<CPendrixDlgAutoProxy>> CPendrixDlgAutoProxy::members() {
  using namespace assistant_dispid;
  constexpr WORD kProperty = DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT;
  static constexpr DispatchMember<CPendrixDlgAutoProxy> table[] = {
      {L"WindowHandle", kWindowHandle, kProperty, &CPendrixDlgAutoProxy::windowHandle},
      {L"WordWindowHandle", kWordWindowHandle, kProperty, &CPendrixDlgAutoProxy::wordWindowHandle},
      {L"CursorXPos", kCursorXPos, kProperty, &CPendrixDlgAutoProxy::cursorXPos},
      {L"CursorYPos", kCursorYPos, kProperty, &CPendrixDlgAutoProxy::cursorYPos},
      {L"SetWordApplication", kSetWordApplication, DISPATCH_METHOD, &CPendrixDlgAutoProxy::setWordApplication},
      {L"SetWordField", kSetWordField, DISPATCH_METHOD, &CPendrixDlgAutoProxy::setWordField},
  };
  return table;
}

HRESULT CPendrixDlgAutoProxy::windowHandle(DispatchCall& call) {
  if (call.isPut()) return S_OK;  // accepted and ignored
  return call.returnInt(dialog_ ? static_cast<LONG>(reinterpret_cast<LONG_PTR>(dialog_->window())) : 0);
}

HRESULT CPendrixDlgAutoProxy::wordWindowHandle(DispatchCall& call) {
  return property(call, &AutomationSession::wordWindowHandle);
}
HRESULT CPendrixDlgAutoProxy::cursorXPos(DispatchCall& call) { return property(call, &AutomationSession::cursorXPos); }
HRESULT CPendrixDlgAutoProxy::cursorYPos(DispatchCall& call) { return property(call, &AutomationSession::cursorYPos); }

HRESULT CPendrixDlgAutoProxy::property(DispatchCall& call, LONG& (AutomationSession::*value)()) {
  LONG scratch = 0;
  LONG& stored = dialog_ ? (dialog_->*value)() : scratch;
  return call.isPut() ? call.putInt(stored) : call.returnInt(stored);
}

HRESULT CPendrixDlgAutoProxy::setWordApplication(DispatchCall& call) {
  return hand(call, &AutomationSession::setWordApplication);
}
HRESULT CPendrixDlgAutoProxy::setWordField(DispatchCall& call) { return hand(call, &AutomationSession::setWordField); }

HRESULT CPendrixDlgAutoProxy::hand(DispatchCall& call, HRESULT (AutomationSession::*take)(IDispatch*)) {
  ComPtr<IDispatch> object;
  PENDRIX_RETURN_IF_FAILED(call.objectArg(0, object));
  // Word's failures while the dialog takes the objects are the dialog's to show;
  // the client always gets 0, as it checks nothing else.
  if (dialog_) (dialog_->*take)(object.get());
  return call.returnInt(0);
}

HRESULT AutomationServer::start() {
  auto factory = makeComObject<ClassFactory<ApplicationLock>>([] { return makeComObject<CPendrixDlgAutoProxy>(); });
  if (!factory) return E_OUTOFMEMORY;
  return CoRegisterClassObject(toClsid(kAssistantAppId), factory.get(), CLSCTX_LOCAL_SERVER, REGCLS_SINGLEUSE, &cookie_);
}

AutomationServer::~AutomationServer() {
  if (cookie_) CoRevokeClassObject(cookie_);
}

}  // namespace pendrix

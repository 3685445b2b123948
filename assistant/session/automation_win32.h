#pragma once
// The assistant as an automation server: the application object with its lock, the
// automation object "Pendrix.Application" (CPendrixDlgAutoProxy) through which the
// add-in hands over Word, and its single-use class factory.

#include <windows.h>

#include <span>

#include "session/system_win32.h"
#include "win32/com_object.h"

namespace pendrix {

class CPendrixDlgAutoProxy;

// What the automation object reaches of its dialog.
class AutomationSession {
 public:
  virtual ~AutomationSession() = default;
  virtual HWND window() const = 0;
  virtual LONG& wordWindowHandle() = 0;
  virtual LONG& cursorXPos() = 0;
  virtual LONG& cursorYPos() = 0;
  virtual HRESULT setWordApplication(IDispatch* application) = 0;
  virtual HRESULT setWordField(IDispatch* field) = 0;
  // The dialog's autoProxy; null when the object is gone.
  virtual void setAutoProxy(CPendrixDlgAutoProxy* proxy) = 0;
  // Ends the modal run: the last client let go of a program COM started.
  virtual void closeSession() = 0;
};

// The process-wide application: its main window (the dialog while it runs), whether
// a user started it, the lock that automation objects hold, and the messages that wait
// until no client waits in a call.
class CPendrixApp {
 public:
  static CPendrixApp& instance();

  AutomationSession* mainWindow() const { return mainWindow_; }
  void setMainWindow(AutomationSession* window) { mainWindow_ = window; }
  bool userControl() const { return userControl_; }
  void setUserControl(bool userControl) { userControl_ = userControl; }

  // Where messages go that must not appear while the client waits in a call (the
  // first start's question, the reader's messages about a handed-over field) ...
  Notifier& messagesForLater() { return messagesForLater_; }
  // ... and when they are shown: owned by `window`, once the client is done with it.
  void showMessagesForLater(HWND window) { messagesForLater_.showWhenClientIsDone(window, !userControl_); }

  void lock() { ++locks_; }
  // The last lock of a program that no user started closes its main window.
  void unlock();
  int locks() const { return locks_; }

 private:
  AutomationSession* mainWindow_ = nullptr;
  bool userControl_ = true;
  int locks_ = 0;
  DeferredMessages messagesForLater_;
};

class CPendrixDlgAutoProxy final : public DispatchObject<CPendrixDlgAutoProxy> {
 public:
  CPendrixDlgAutoProxy();
  ~CPendrixDlgAutoProxy();

  // The dialog is gone before the object: calls then do nothing.
  void detachDialog() { dialog_ = nullptr; }

  static std::span<const InterfaceEntry<CPendrixDlgAutoProxy>> interfaces();
  static std::span<const DispatchMember<CPendrixDlgAutoProxy>> members();

 private:
  HRESULT windowHandle(DispatchCall& call);
  HRESULT wordWindowHandle(DispatchCall& call);
  HRESULT cursorXPos(DispatchCall& call);
  HRESULT cursorYPos(DispatchCall& call);
  HRESULT setWordApplication(DispatchCall& call);
  HRESULT setWordField(DispatchCall& call);
  HRESULT property(DispatchCall& call, LONG& (AutomationSession::*value)());
  HRESULT hand(DispatchCall& call, HRESULT (AutomationSession::*take)(IDispatch*));

  AutomationSession* dialog_;
};

// Registers the class factory for one creation (every client gets a process of its
// own) and revokes it again when the program ends.
class AutomationServer {
 public:
  HRESULT start();
  ~AutomationServer();

 private:
  DWORD cookie_ = 0;
};

}  // namespace pendrix

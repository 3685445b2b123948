#pragma once
// The Windows services behind the core's interfaces: the private-profile functions,
// the class registration that locates the install directory, the locale's list
// separator and message boxes, shown at once or once no client waits any more.

#include <windows.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "win32/class_ids.h"
#include "session/notifier.h"
#include "session/profile_store.h"

namespace pendrix {

std::unique_ptr<ProfileStore> makeWin32ProfileStore();

// The folder of the program registered as LocalServer32 of `classKey` (a class id
// in braces) under HKEY_CLASSES_ROOT; empty when the class is not registered.
std::u16string findInstallDirectory(const char16_t* classKey = kAssistantAppKey);

// The list separator of the user's default locale.
std::u16string userListSeparator();

// Message boxes without owner (before the dialog exists) or owned by `owner`.
class MessageBoxNotifier : public Notifier {
 public:
  explicit MessageBoxNotifier(void* owner = nullptr) : owner_(owner) {}
  void showInfo(const std::u16string& caption, const std::u16string& text) override;
  bool askYesNo(const std::u16string& caption, const std::u16string& text) override;

 private:
  void* owner_;
};

// Messages that must not appear while a client waits in a call into this program:
// Word waits, its window frozen, in CoCreateInstance and in each of the add-in's
// calls, and a box shown then would keep it waiting, possibly behind a Word that
// looks hung. They are kept and shown owned by the program's window once the client
// is done: once Word has made itself the owner of that window (the add-in's last
// step of a start), after kClientGraceMs for a client that never does, and at once
// (when the window shows) for a program no client started.
class DeferredMessages final : public Notifier {
 public:
  static constexpr ULONGLONG kClientGraceMs = 3000;

  DeferredMessages() = default;
  DeferredMessages(const DeferredMessages&) = delete;
  DeferredMessages& operator=(const DeferredMessages&) = delete;
  ~DeferredMessages() override;

  void showInfo(const std::u16string& caption, const std::u16string& text) override;
  // A question cannot wait for its answer, and none is asked on the paths that defer:
  // answered no, shown nowhere.
  bool askYesNo(const std::u16string& caption, const std::u16string& text) override;

  // Watches `window` and shows what is kept, and whatever comes until then, as above.
  void showWhenClientIsDone(HWND window, bool startedByClient);
  size_t pending() const { return messages_.size(); }

 private:
  static LRESULT CALLBACK watch(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                DWORD_PTR self);
  bool clientIsDone() const;
  bool userIsBusy() const;
  void stopWatching();
  void showKept(HWND owner);

  std::vector<std::pair<std::u16string, std::u16string>> messages_;  // caption, text
  HWND window_ = nullptr;
  bool startedByClient_ = false;
  ULONGLONG watchedSince_ = 0;
};

}  // namespace pendrix

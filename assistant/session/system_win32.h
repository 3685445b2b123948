#pragma once
// The Windows services behind the core's interfaces: the private-profile functions,
// the class registration that locates the install directory, the locale's list
// separator and message boxes.

#include <memory>
#include <string>

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

}  // namespace pendrix

#include "session/system_win32.h"

#include <commctrl.h>

#include <vector>

#include "win32/handles.h"
#include "session/settings.h"

namespace pendrix {
namespace {

class Win32ProfileStore final : public ProfileStore {
 public:
  std::u16string readString(const std::u16string& file, const std::u16string& section,
                            const std::u16string& key, const std::u16string& fallback,
                            size_t capacity) override {
    if (capacity == 0) return {};
    std::vector<wchar_t> buffer(capacity, L'\0');
    const DWORD length = GetPrivateProfileStringW(wide(section), wide(key), wide(fallback), buffer.data(),
                                                  static_cast<DWORD>(capacity), wide(file));
    return fromWide(buffer.data(), length);
  }

  bool writeString(const std::u16string& file, const std::u16string& section, const std::u16string& key,
                   const std::u16string& value) override {
    return WritePrivateProfileStringW(wide(section), wide(key), wide(value), wide(file)) != FALSE;
  }

  bool writeKeepsContent(const std::u16string& file) override {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(wide(file), GetFileExInfoStandard, &data)) {
      const DWORD error = GetLastError();
      return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    }
    if (data.nFileSizeHigh == 0 && data.nFileSizeLow == 0) return true;
    wchar_t names[64] = {};
    return GetPrivateProfileSectionNamesW(names, 64, wide(file)) > 0;
  }
};

}  // namespace

std::unique_ptr<ProfileStore> makeWin32ProfileStore() { return std::make_unique<Win32ProfileStore>(); }

namespace {

// The LocalServer32 value below `root`; empty when missing or not a string.
std::u16string readServerPath(HKEY root, const std::u16string& path) {
  UniqueHkey key;
  if (RegOpenKeyExW(root, wide(path), 0, KEY_READ, key.put()) != ERROR_SUCCESS) return {};
  DWORD type = 0, bytes = 0;
  if (RegQueryValueExW(key.get(), nullptr, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ))
    return {};
  // The value may lack its terminator: leave room for one.
  std::vector<wchar_t> value(bytes / sizeof(wchar_t) + 1, L'\0');
  if (RegQueryValueExW(key.get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &bytes) != ERROR_SUCCESS)
    return {};
  return fromWide(value.data());
}

}  // namespace

std::u16string findInstallDirectory(const char16_t* classKey) {
  const std::u16string path = u"CLSID\\" + std::u16string(classKey) + u"\\LocalServer32";
  // Windows shows a per-user registration through HKEY_CLASSES_ROOT and lets it win;
  // Wine does not merge the two, so the per-user half is asked first, by name.
  std::u16string value = readServerPath(HKEY_CURRENT_USER, u"Software\\Classes\\" + path);
  if (value.empty()) value = readServerPath(HKEY_CLASSES_ROOT, path);
  return value.empty() ? std::u16string() : installDirectoryFromServerPath(value);
}

std::u16string userListSeparator() {
  wchar_t separator[2] = {};
  if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SLIST, separator, 2) == 0) return {};
  return fromWide(separator);
}

void MessageBoxNotifier::showInfo(const std::u16string& caption, const std::u16string& text) {
  MessageBoxW(static_cast<HWND>(owner_), wide(text), wide(caption), MB_OK);
}

bool MessageBoxNotifier::askYesNo(const std::u16string& caption, const std::u16string& text) {
  return MessageBoxW(static_cast<HWND>(owner_), wide(text), wide(caption), MB_YESNO) == IDYES;
}

namespace {

// The timer on the watched window; clear of the dialog's own.
constexpr UINT_PTR kDeferredMessagesTimer = 0x7D01;
constexpr UINT kWatchIntervalMs = 50;

}  // namespace

DeferredMessages::~DeferredMessages() { stopWatching(); }

void DeferredMessages::showInfo(const std::u16string& caption, const std::u16string& text) {
  messages_.emplace_back(caption, text);
}

bool DeferredMessages::askYesNo(const std::u16string&, const std::u16string&) { return false; }

void DeferredMessages::showWhenClientIsDone(HWND window, bool startedByClient) {
  if (messages_.empty() || !window) return;
  if (window_ != window) {
    stopWatching();
    window_ = window;
    watchedSince_ = GetTickCount64();
  }
  startedByClient_ = startedByClient;
  // The window's own messages bring the time: nothing waits in a loop of its own.
  if (!SetWindowSubclass(window, &DeferredMessages::watch, kDeferredMessagesTimer, reinterpret_cast<DWORD_PTR>(this)) ||
      !SetTimer(window, kDeferredMessagesTimer, kWatchIntervalMs, nullptr)) {
    stopWatching();
    showKept(window);
  }
}

bool DeferredMessages::clientIsDone() const {
  if (!IsWindowVisible(window_) || userIsBusy()) return false;
  if (!startedByClient_ || GetWindow(window_, GW_OWNER)) return true;
  return GetTickCount64() - watchedSince_ >= kClientGraceMs;
}

// The timer also comes while the user is in a popup menu or a box of the window's
// own; a box shown then would take the keys the user meant for them. It waits until
// the window is the user's again.
bool DeferredMessages::userIsBusy() const {
  GUITHREADINFO thread{};
  thread.cbSize = sizeof thread;
  if (GetGUIThreadInfo(GetWindowThreadProcessId(window_, nullptr), &thread) &&
      (thread.flags & (GUI_INMENUMODE | GUI_POPUPMENUMODE | GUI_SYSTEMMENUMODE | GUI_INMOVESIZE)))
    return true;
  return !IsWindowEnabled(window_);  // a modal box of its own disables it
}

void DeferredMessages::stopWatching() {
  if (!window_) return;
  KillTimer(window_, kDeferredMessagesTimer);
  RemoveWindowSubclass(window_, &DeferredMessages::watch, kDeferredMessagesTimer);
  window_ = nullptr;
}

// Each box owned by the window, so it stands above it and so above Word.
void DeferredMessages::showKept(HWND owner) {
  std::vector<std::pair<std::u16string, std::u16string>> kept = std::move(messages_);
  messages_.clear();
  for (const auto& [caption, text] : kept) MessageBoxW(owner, wide(text), wide(caption), MB_OK);
}

LRESULT CALLBACK DeferredMessages::watch(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                         DWORD_PTR self) {
  auto* messages = reinterpret_cast<DeferredMessages*>(self);
  if (message == WM_TIMER && wParam == kDeferredMessagesTimer) {
    if (!messages->clientIsDone()) return 0;
    // Watching stops first: the boxes run a loop of their own, in which new messages
    // may start a new watch.
    messages->stopWatching();
    messages->showKept(window);
    return 0;
  }
  if (message == WM_NCDESTROY) messages->stopWatching();  // what is kept goes with the window
  return DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace pendrix

// Messages kept while a client waits: shown once the window is the user's again, not
// in the middle of one of its popup menus.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "session/system_win32.h"
#include "support/process_win32.h"

namespace pendrix {
namespace {

using testing::findTopWindow;
using testing::waitUntil;
using testing::windowText;

// A window on a thread of its own that keeps one message and then opens a popup
// menu, in whose loop the watch's timer comes.
class WindowWithMenu {
 public:
  WindowWithMenu() : thread_([this] { run(); }) {}
  ~WindowWithMenu() {
    PostThreadMessageW(threadId_.load(), WM_QUIT, 0, 0);
    thread_.join();
  }
  HWND window() const { return window_.load(); }
  bool ready() const { return threadId_.load() != 0 && window_.load() != nullptr; }

 private:
  void run() {
    MSG message;
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);  // the thread's queue, for WM_QUIT
    const HWND window = CreateWindowExW(0, L"Static", L"Fenster", WS_POPUP | WS_VISIBLE | WS_BORDER, 20, 20, 200,
                                        100, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    DeferredMessages later;
    later.showInfo(u"Später", u"Nach dem Menü");
    const HMENU menu = CreatePopupMenu();
    AppendMenuW(menu, MF_STRING, 1, L"Eins");
    window_ = window;
    threadId_ = GetCurrentThreadId();
    later.showWhenClientIsDone(window, false);  // no client: shown as soon as the user lets it
    TrackPopupMenu(menu, TPM_RETURNCMD, 30, 30, 0, window, nullptr);
    DestroyMenu(menu);
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    DestroyWindow(window);
  }

  std::atomic<HWND> window_{nullptr};
  std::atomic<DWORD> threadId_{0};
  std::thread thread_;
};

TEST(DeferredMessages, WaitUntilAnOpenPopupMenuHasClosed) {
  const DWORD self = GetCurrentProcessId();
  WindowWithMenu shown;
  ASSERT_TRUE(waitUntil([&] { return shown.ready(); })) << "the window was not made";
  HWND menu = nullptr;
  ASSERT_TRUE(waitUntil([&] { return (menu = findTopWindow({self, L"#32768"})) != nullptr; })) << "no popup menu";
  // Ten times the watch's interval: a box would have come by then.
  EXPECT_FALSE(waitUntil([&] { return findTopWindow({self, L"#32770", L"Später"}) != nullptr; },
                         std::chrono::milliseconds(500)))
      << "the message came over the open menu";
  PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 1);
  HWND box = nullptr;
  ASSERT_TRUE(waitUntil([&] { return (box = findTopWindow({self, L"#32770", L"Später"})) != nullptr; }))
      << "the message did not come once the menu had closed";
  EXPECT_EQ(GetWindow(box, GW_OWNER), shown.window());
  EXPECT_EQ(windowText(GetDlgItem(box, 0xFFFF)), L"Nach dem Menü");
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(waitUntil([&] { return !IsWindow(box); })) << "the box did not close";
}

}  // namespace
}  // namespace pendrix

// Many sessions in a row through the whole chain, and one long session: whatever a
// session takes from Word, the add-in or the system comes back when it ends.
//
// PENDRIX_LOAD_SESSIONS sets the number of sessions in a row (default 25).

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "chain.h"

namespace pendrix::testing {
namespace {

constexpr int kDefaultSessions = 25;
// COM's channels, Wine's RPC threads and the document window's drawing objects are
// set up by the host's first sessions, once; its counts are compared from then on.
constexpr int kWarmUpSessions = 5;
// Wine 8 keeps the connection of a proxy whose server process ended while the proxy
// was held (after OK the assistant ends at once; the add-in lets go of it at the next
// start): two named-pipe ends with their events, 4 events and 3 files in the host,
// for good. A session whose assistant the add-in lets go while it runs (after
// Cancel) gives its connection back, so each of those stays at exactly this many.
constexpr unsigned long kWineHandlesPerEndedServer = 7;

int sessionCount() {
  const char* text = std::getenv("PENDRIX_LOAD_SESSIONS");
  const int count = text ? std::atoi(text) : 0;
  return count > 0 ? count : kDefaultSessions;
}

// Session n (counted from 1): every fifth opens the document's last field by a
// double click, every third ends with Cancel; the others click the term button and
// end with OK.
struct SessionPlan {
  bool doubleClick;
  bool cancel;
};
SessionPlan planOf(int n) { return {n % 5 == 0, n % 3 == 0}; }

std::string describe(const char* what, const ObjectCounts& counts) {
  char line[160];
  std::snprintf(line, sizeof line, "%s: %lu handles, %lu GDI objects, %lu USER objects", what, counts.handles,
                counts.gdi, counts.user);
  return line;
}

class WholeChain : public ChainSuite {
 protected:
  void SetUp() override {
    ASSERT_TRUE(chain().word().app()) << "the chain did not start";
  }

  // One session from its start in Word to its end; the assistant's process is kept
  // in `assistants`.
  void runSession(int n, std::vector<UniqueProcess>& assistants, std::vector<DWORD>& seen, long& fieldsWritten) {
    const SessionPlan plan = planOf(n);
    const bool onField = plan.doubleClick && fieldsWritten > 0;
    if (onField) {
      std::vector<Variant> args;
      args.push_back(Variant::fromI4(fieldsWritten));
      CallResult cancelled = invoke(chain().word().app(), L"DoubleClickField", DISPATCH_METHOD, std::move(args));
      ASSERT_EQ(cancelled.hr, S_OK);
      EXPECT_EQ(cancelled.value.get()->boolVal, VARIANT_TRUE) << "session " << n << ": Word's double click went on";
    } else {
      ASSERT_EQ(chain().click(L"ZombTerm"), 1) << "session " << n;
    }
    const HWND dialog = waitForAssistantWindow(seen);
    ASSERT_NE(dialog, nullptr) << "session " << n << " opened no assistant";
    assistants.push_back(openProcessOf(dialog));
    seen.push_back(GetProcessId(assistants.back().get()));
    typeInto(dialog, onField ? L"+1" : L"x^2+1");
    if (plan.cancel) {
      PostMessageW(GetDlgItem(dialog, IDC_CANCEL), BM_CLICK, 0, 0);
      ASSERT_TRUE(waitUntil([&] { return !IsWindowVisible(dialog); })) << "session " << n << ": Cancel did not hide";
      return;
    }
    PostMessageW(GetDlgItem(dialog, IDC_OK), BM_CLICK, 0, 0);
    ASSERT_EQ(WaitForSingleObject(assistants.back().get(), 20000), WAIT_OBJECT_0)
        << "session " << n << ": OK did not end the assistant";
    if (!onField) ++fieldsWritten;
  }
};

TEST_F(WholeChain, SessionsInARowGiveBackEverythingTheyTook) {
  Word& word = chain().word();
  word.newDocument();
  // The fewest over a moment, as for the handles: the start's releases (the add-in's
  // set-up, the old document's objects) reach the host a little later.
  long liveObjects = chain().number(L"LiveObjects");
  for (int sample = 1; sample < 8; ++sample) {
    Sleep(100);
    liveObjects = (std::min)(liveObjects, chain().number(L"LiveObjects"));
  }
  const long sinks = chain().number(L"ConnectedSinks");
  ASSERT_GT(liveObjects, 0);
  ASSERT_EQ(sinks, 3);
  const int sessions = sessionCount();
  ASSERT_GT(sessions, kWarmUpSessions) << "too few sessions to compare the host's counts";

  std::vector<UniqueProcess> assistants;
  std::vector<DWORD> seen{GetProcessId(word.process())};
  long fieldsWritten = 0;
  ObjectCounts warm;
  unsigned long serversEndedWhileHeld = 0;  // after the warm-up
  const ULONGLONG started = GetTickCount64();
  for (int n = 1; n <= sessions; ++n) {
    runSession(n, assistants, seen, fieldsWritten);
    if (HasFatalFailure()) return;
    if (n == kWarmUpSessions) warm = restingObjectCountsOf(word.process());
    if (n > kWarmUpSessions && !planOf(n).cancel) ++serversEndedWhileHeld;
  }
  const double seconds = static_cast<double>(GetTickCount64() - started) / 1000.0;

  // Only the assistant of the last session may still be there, hidden after Cancel.
  const auto alive = [&] {
    return std::count_if(assistants.begin(), assistants.end(),
                         [](const UniqueProcess& p) { return WaitForSingleObject(p.get(), 0) == WAIT_TIMEOUT; });
  };
  EXPECT_TRUE(waitUntil([&] { return alive() <= 1; })) << alive() << " assistant processes live on";
  if (!planOf(sessions).cancel) {
    EXPECT_EQ(alive(), 0);
  }

  // The sessions' processes give back Word's objects as they end; COM delivers the
  // last releases a little later.
  waitUntil([&] { return chain().number(L"LiveObjects") == liveObjects; });
  EXPECT_EQ(chain().number(L"LiveObjects"), liveObjects);
  EXPECT_EQ(chain().number(L"ConnectedSinks"), sinks);
  EXPECT_EQ(chain().fieldCount(), fieldsWritten) << "a session's OK wrote no field";

  // The fewest over a moment: a call in flight holds a handle or two for a while.
  const ObjectCounts end = restingObjectCountsOf(word.process());
  std::printf("%d sessions in %.1f s (%.2f s each)\n%s\n%s\n", sessions, seconds, seconds / sessions,
              describe("host after the warm-up", warm).c_str(), describe("host at the end", end).c_str());
  ASSERT_GT(warm.handles, 0u) << "the handle count cannot be read";
  ASSERT_GT(warm.gdi, 0u) << "the GDI count cannot be read";
  ASSERT_GT(warm.user, 0u) << "the USER count cannot be read";
  EXPECT_LE(end.handles, warm.handles + kWineHandlesPerEndedServer * serversEndedWhileHeld)
      << describe("warm", warm) << "; " << describe("end", end) << "; " << serversEndedWhileHeld
      << " assistants ended while the add-in held them";
  EXPECT_LE(end.gdi, warm.gdi) << describe("warm", warm) << "; " << describe("end", end);
  EXPECT_LE(end.user, warm.user) << describe("warm", warm) << "; " << describe("end", end);
}

// One session with many keys, a redraw of the whole window after every ten: the
// assistant's drawing objects and windows stay as many as they were.
TEST_F(WholeChain, ALongSessionKeepsItsDrawingObjects) {
  constexpr int kKeystrokes = 2000;
  // Three cells typed (a, b and a superscript 2), walked over and taken back: ten keys,
  // each a character or else a key.
  static constexpr struct {
    wchar_t character;
    WPARAM key;
  } kCycle[] = {{L'a', 0},     {L'b', 0},       {L'^', 0},     {L'2', 0},     {0, VK_HOME},
                {0, VK_END},   {0, VK_BACK},    {0, VK_BACK},  {0, VK_BACK},  {0, VK_LEFT}};
  std::vector<DWORD> seen{GetProcessId(chain().word().process())};
  ASSERT_EQ(chain().click(L"ZombTerm"), 1);
  const HWND dialog = waitForAssistantWindow(seen);
  ASSERT_NE(dialog, nullptr);
  const UniqueProcess assistant = openProcessOf(dialog);
  const auto runCycles = [&](int cycles) {
    for (int i = 0; i < cycles; ++i) {
      for (const auto& stroke : kCycle) {
        if (stroke.character) {
          typeInto(dialog, std::wstring(1, stroke.character));
        } else {
          pressKey(dialog, stroke.key);
        }
      }
      RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
      SendMessageTimeoutW(dialog, WM_NULL, 0, 0, SMTO_NORMAL, 10000, nullptr);
    }
  };
  // No tip may show during the count: the pointer goes to the corner, away from the
  // buttons, and the tips are all made before the first keys load the fonts and the
  // caret, and the caret has blinked.
  ASSERT_TRUE(movePointerTo({0, 0}));
  ASSERT_TRUE(waitUntil([&] { return tooltipsOf(dialog) == 24; })) << "tooltips made: " << tooltipsOf(dialog);
  runCycles(10);
  // The caret's first blink makes what the count must not see grow; a blink comes
  // once per blink time.
  Sleep((std::min)(3 * GetCaretBlinkTime(), 3000u));
  runCycles(10);
  const ObjectCounts before = restingObjectCountsOf(assistant.get());
  runCycles(kKeystrokes / static_cast<int>(std::size(kCycle)));
  const ObjectCounts after = restingObjectCountsOf(assistant.get());
  std::printf("%s\n%s\n", describe("assistant before the keys", before).c_str(),
              describe("assistant after the keys", after).c_str());
  EXPECT_TRUE(saveWindowPicture(dialog, pictureDirectory() + L"\\load-after-keys.bmp"));
  ASSERT_GT(before.gdi, 0u) << "the GDI count cannot be read";
  ASSERT_GT(before.user, 0u) << "the USER count cannot be read";
  EXPECT_LE(after.gdi, before.gdi);
  EXPECT_LE(after.user, before.user);

  PostMessageW(GetDlgItem(dialog, IDC_CANCEL), BM_CLICK, 0, 0);
  EXPECT_TRUE(waitUntil([&] { return !IsWindowVisible(dialog); })) << "the dialog stayed visible";
}

}  // namespace
}  // namespace pendrix::testing

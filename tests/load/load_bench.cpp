// Figures of the whole chain under Wine, printed, never judged: the time from a click
// on the term button to the visible assistant next to the same for two yardstick
// servers started the same way (an empty dialog, the assistant's own template), the time from a key to the redrawn preview, and the
// assistant's memory with its dialog open. Run by scripts/bench-wine.sh.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <thread>

#include "chain.h"
#include "yardstick_server.h"

namespace pendrix::testing {
namespace {

constexpr int kStarts = 20;
constexpr int kKeys = 1000;

double nowMs() {
  static const double perMs = [] {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(frequency.QuadPart) / 1000.0;
  }();
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) / perMs;
}

struct Spread {
  double median, worst, best;
};
Spread spreadOf(std::vector<double> samples) {
  std::sort(samples.begin(), samples.end());
  const size_t n = samples.size();
  const double median = n % 2 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2;
  return {median, samples.back(), samples.front()};
}

// The add-in creates the assistant's class; for a yardstick that class is treated as
// the yardstick's own, so the same click starts it the same way.
class TreatAs {
 public:
  explicit TreatAs(const Yardstick& yardstick) : yardstick_(yardstick) {
    addin::testing::writeText(HKEY_CLASSES_ROOT, ownKey() + L"\\LocalServer32", nullptr,
                              L"\"" + winePath(YARDSTICK_SERVER_EXE) + L"\" " + yardstick.argument);
    addin::testing::writeText(HKEY_CLASSES_ROOT, treatAsKey(), nullptr, yardstick.classKey);
  }
  ~TreatAs() {
    RegDeleteTreeW(HKEY_CLASSES_ROOT, treatAsKey().c_str());
    RegDeleteTreeW(HKEY_CLASSES_ROOT, ownKey().c_str());
  }
  TreatAs(const TreatAs&) = delete;
  TreatAs& operator=(const TreatAs&) = delete;

 private:
  std::wstring ownKey() const { return std::wstring(L"CLSID\\") + yardstick_.classKey; }
  static std::wstring treatAsKey() { return addin::testing::classKey(kAssistantAppKey) + L"\\TreatAs"; }
  const Yardstick& yardstick_;
};

class ChainBenchmark : public ChainSuite {
 protected:

  // A click on the term button until the window with `caption` of a new process is
  // visible, in milliseconds; the window is left open.
  double clickToVisible(const wchar_t* caption, HWND& window) {
    std::atomic<bool> stop{false};
    std::atomic<double> visibleAt{0};
    HWND found = nullptr;
    const double start = nowMs();
    std::thread watcher([&] {
      while (!stop && visibleAt == 0) {
        for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, L"#32770", caption));) {
          DWORD owner = 0;
          GetWindowThreadProcessId(w, &owner);
          if (!IsWindowVisible(w) || std::find(seen_.begin(), seen_.end(), owner) != seen_.end()) continue;
          found = w;
          visibleAt = nowMs();
          break;
        }
        Sleep(1);
      }
    });
    EXPECT_EQ(chain().click(L"ZombTerm"), 1);
    waitUntil([&] { return visibleAt != 0; }, std::chrono::seconds(20));
    stop = true;
    watcher.join();
    window = found;
    if (!found) return -1;
    // Held open, so that Wine gives the id to no later process.
    held_.push_back(openProcessOf(found));
    seen_.push_back(GetProcessId(held_.back().get()));
    return visibleAt - start;
  }

  // Starts `kStarts` sessions, each ended by `close` before the next; prints the spread.
  Spread startSeries(const char* name, const wchar_t* caption, void (*close)(HWND)) {
    std::vector<double> times;
    const ObjectCounts before = objectCountsOf(chain().word().process());
    for (int i = 0; i < kStarts; ++i) {
      HWND window = nullptr;
      const double ms = clickToVisible(caption, window);
      if (ms < 0) {
        ADD_FAILURE() << name << ": no window";
        break;
      }
      times.push_back(ms);
      close(window);
      WaitForSingleObject(held_.back().get(), 20000);
    }
    const ObjectCounts after = objectCountsOf(chain().word().process());
    const Spread spread = spreadOf(times);
    std::printf("%-22s click to visible: median %7.1f ms, best %7.1f, worst %7.1f (%d starts); host handles %lu -> %lu\n",
                name, spread.median, spread.best, spread.worst, kStarts, before.handles, after.handles);
    return spread;
  }

  // The processes whose windows were counted, and their ids.
  std::vector<UniqueProcess> held_;
  std::vector<DWORD> seen_{GetProcessId(chain().word().process())};
};

void pressOk(HWND dialog) { PostMessageW(GetDlgItem(dialog, IDC_OK), BM_CLICK, 0, 0); }
void closeWindow(HWND dialog) { PostMessageW(dialog, WM_CLOSE, 0, 0); }

// Pendrix against two yardsticks started by the same click: an empty dialog, and
// the assistant's own dialog template with its pictures. The second ratio is the time
// that is the program's own.
TEST_F(ChainBenchmark, ClickToVisibleAgainstTheYardsticks) {
  Spread empty{}, sameTemplate{};
  {
    TreatAs treatAs(kEmptyDialogServer);
    empty = startSeries("empty dialog server", kEmptyDialogCaption, closeWindow);
  }
  {
    TreatAs treatAs(kTemplateDialogServer);
    sameTemplate = startSeries("same-template server", kTemplateDialogCaption, closeWindow);
  }
  const Spread assistant = startSeries("Pendrix", kAssistantCaption, pressOk);
  std::printf("ratio Pendrix / empty dialog (medians): %.2f\n", assistant.median / empty.median);
  std::printf("ratio Pendrix / same-template dialog (medians): %.2f\n", assistant.median / sameTemplate.median);
}

// Types `length` - 1 digits, then times `kKeys` times one more character (the preview
// redrawn before the call returns), each taken back by Backspace.
Spread keyToPreview(HWND dialog, int length) {
  for (int i = 0; i < 60; ++i) pressKey(dialog, VK_BACK);
  typeInto(dialog, std::wstring(static_cast<size_t>(length - 1), L'7'));
  const HWND input = GetDlgItem(dialog, IDC_KEY_INPUT);
  std::vector<double> times;
  for (int i = 0; i < kKeys; ++i) {
    const double start = nowMs();
    SendMessageTimeoutW(input, WM_CHAR, L'a', 1, SMTO_NORMAL, 10000, nullptr);
    times.push_back(nowMs() - start);
    pressKey(dialog, VK_BACK);
  }
  return spreadOf(times);
}

TEST_F(ChainBenchmark, KeyToRedrawnPreviewAndMemory) {
  HWND dialog = nullptr;
  ASSERT_GT(clickToVisible(kAssistantCaption, dialog), 0);
  const UniqueProcess assistant = openProcessOf(dialog);
  Sleep(500);
  const MemoryFigures memory = memoryOf(assistant.get());
  std::printf("Pendrix with its dialog open: private bytes %.1f MiB, working set %.1f MiB\n",
              memory.privateBytes / 1048576.0, memory.workingSet / 1048576.0);

  std::vector<double> roundTrips;
  for (int i = 0; i < kKeys; ++i) {
    const double start = nowMs();
    SendMessageTimeoutW(GetDlgItem(dialog, IDC_KEY_INPUT), WM_NULL, 0, 0, SMTO_NORMAL, 10000, nullptr);
    roundTrips.push_back(nowMs() - start);
  }
  const Spread empty = spreadOf(roundTrips);
  std::printf("a message to the key-input edit and back (no work): median %.3f ms, worst %.3f ms\n", empty.median,
              empty.worst);
  for (const int columns : {10, 54}) {
    const Spread keys = keyToPreview(dialog, columns);
    std::printf("key to redrawn preview, %2d columns: median %.3f ms, worst %.3f ms (%d keys)\n", columns, keys.median,
                keys.worst, kKeys);
  }
  EXPECT_TRUE(saveWindowPicture(dialog, pictureDirectory() + L"\\bench-54-columns.bmp"));
  pressOk(dialog);
  WaitForSingleObject(assistant.get(), 20000);
}

TEST_F(ChainBenchmark, EmptyDialogServerMemory) {
  TreatAs treatAs(kEmptyDialogServer);
  HWND dialog = nullptr;
  ASSERT_GT(clickToVisible(kEmptyDialogCaption, dialog), 0);
  const UniqueProcess server = openProcessOf(dialog);
  Sleep(500);
  const MemoryFigures memory = memoryOf(server.get());
  std::printf("empty dialog server, dialog open: private bytes %.1f MiB, working set %.1f MiB\n",
              memory.privateBytes / 1048576.0, memory.workingSet / 1048576.0);
  closeWindow(dialog);
  WaitForSingleObject(server.get(), 20000);
}

}  // namespace
}  // namespace pendrix::testing

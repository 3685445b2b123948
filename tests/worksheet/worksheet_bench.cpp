// Figures of a worksheet of forty exercises under Wine, printed, never judged: from
// OK in the dialog "Arbeitsblatt" to the sheet in the stand-in's document (drawing,
// solving and every Word call), through the whole chain, per sheet and per exercise.
// Run by scripts/bench-worksheet-wine.sh.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "chain.h"
#include "worksheet_steps.h"

namespace pendrix::testing {
namespace {

constexpr int kSheets = 5;
constexpr int kCount = 40;

double nowMs() {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

void setChoice(const wchar_t* key, const wchar_t* value) {
  WritePrivateProfileStringW(L"EINSTELLUNGEN", key, value, settingsFilePath().c_str());
}

size_t occurrences(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

// The calls of the last sheet's log without the benchmark's own polling: three calls
// to count the fields, two more to see the undo record closed.
size_t assistantCalls(const std::string& log) {
  return occurrences(log, "\n") - 3 * occurrences(log, "Fields.Count()") - 2 * occurrences(log, "UndoRecord.CustomRecordLevel()");
}

class WorksheetBench : public SelfFramedChainSuite {};

TEST_F(WorksheetBench, FortyExercisesFromOkToTheDocument) {
  Word& word = chain().word();
  ASSERT_EQ(chain().click(L"ZombTerm"), 1);
  const HWND dialog = waitForAssistantWindow({});
  ASSERT_NE(dialog, nullptr);
  const DWORD id = processOfWindow(dialog);
  const struct {
    const char* name;
    int area;  // in the sorted menu
    const wchar_t* mode;
  } sheets[] = {
      {"Lineare Gleichungen, in order", kLinearArea, L"0"},
      {"Quadratische Gleichungen, mixed (every key solved)", 10, L"2"},
  };
  for (const auto& sheet : sheets) {
    setChoice(L"ArbeitsblattAuswahl", sheet.mode);
    setChoice(L"ArbeitsblattAnzahl", std::to_wstring(kCount).c_str());
    setChoice(L"ArbeitsblattLeerzeilen", L"2");
    setChoice(L"ArbeitsblattLoesungen", L"1");
    PostMessageW(dialog, WM_COMMAND, IDM_FILE_FIRST + sheet.area, 0);
    HWND popup = nullptr;
    ASSERT_TRUE(waitUntil([&] { return (popup = popupOf(id)) != nullptr; }));
    pressMenuKeys(popup, {VK_ESCAPE});
    ASSERT_TRUE(waitUntil([&] { return popupOf(id) == nullptr; }));
    std::vector<double> times;
    for (int n = 0; n < kSheets; ++n) {
      word.call(L"ClearDocument");
      word.call(L"ClearCallLog");
      PostMessageW(dialog, WM_COMMAND, IDM_WORKSHEET, 0);
      const HWND sheetDialog = waitForWorksheetDialog(id);
      ASSERT_NE(sheetDialog, nullptr);
      const double start = nowMs();
      pressKeyInFocus(sheetDialog, VK_RETURN);
      ASSERT_TRUE(waitForSheet(word.app(), kCount, std::chrono::seconds(120)));
      times.push_back(nowMs() - start);
    }
    const size_t calls = assistantCalls(word.callLog());
    std::sort(times.begin(), times.end());
    const double median = times[times.size() / 2];
    std::printf("%-52s %d exercises: median %7.0f ms (best %.0f, worst %.0f, %d sheets), %.1f ms an exercise, "
                "%zu Word calls a sheet\n",
                sheet.name, kCount, median, times.front(), times.back(), kSheets, median / kCount, calls);
  }
  PostMessageW(GetDlgItem(dialog, IDC_CANCEL), BM_CLICK, 0, 0);
}

}  // namespace
}  // namespace pendrix::testing

// The exercise menus of the real dialog, with the shipped files beside the program:
// picking an area and an exercise from the popups by keys and by their commands, new
// numbers, and the choice found again after a restart.

#include <gtest/gtest.h>

#include <filesystem>

#include "assistant_fixture.h"

namespace pendrix {
namespace {

using namespace pendrix::testing;

std::wstring settingsValue(const wchar_t* key) {
  wchar_t value[512] = {};
  GetPrivateProfileStringW(L"EINSTELLUNGEN", key, L"", value, 512, settingsFilePath().c_str());
  return value;
}

// The popup menu the assistant shows, or null.
HWND openPopup(DWORD processId) { return findTopWindow({processId, L"#32768"}); }

void pressKeys(HWND window, std::initializer_list<WPARAM> keys) {
  for (const WPARAM key : keys) {
    PostMessageW(window, WM_KEYDOWN, key, 1);
    PostMessageW(window, WM_KEYUP, key, 0xC0000001);
  }
}

class ExerciseMenus : public ::testing::Test {
 protected:
  void SetUp() override { resetSettingsFile(); }

  // A start by hand, without Word.
  void startStandalone(UniqueProcess& process, HWND& dialog) {
    process = startProcess(winePath(PENDRIX_EXE), L"");
    ASSERT_TRUE(process);
    ASSERT_TRUE(waitUntil([&] { return (dialog = findTopWindow({GetProcessId(process.get()), L"#32770", L" Calvora"})); }));
  }
  void end(UniqueProcess& process, HWND dialog) {
    PostMessageW(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
    EXPECT_EQ(waitForExit(process.get()), 0);
  }
};

TEST_F(ExerciseMenus, AnAreaAndAnExerciseByKeysFillTheFormulaAndAreRemembered) {
  UniqueProcess process;
  HWND dialog = nullptr;
  startStandalone(process, dialog);
  if (HasFatalFailure()) return;
  const DWORD id = GetProcessId(process.get());

  // "ATyp" before any area was chosen.
  PostMessageW(GetDlgItem(dialog, IDC_EXERCISE_TYPE), BM_CLICK, 0, 0);
  EXPECT_EQ(answerMessageBox(id, L"Pendrix"), L"Bitte zuerst einen Bereich auswählen.");

  // The area menu lists the titles sorted: "Lineare Gleichungen" is the third.
  PostMessageW(GetDlgItem(dialog, IDC_EXERCISE_FILE), BM_CLICK, 0, 0);
  HWND popup = nullptr;
  ASSERT_TRUE(waitUntil([&] { return (popup = openPopup(id)) != nullptr; }));
  pressKeys(popup, {VK_DOWN, VK_DOWN, VK_DOWN});
  Sleep(300);
  saveWindowPicture(dialog, pictureDirectory() + L"/exercise-file-menu-dialog.bmp");
  saveScreenPicture(pictureDirectory() + L"/exercise-file-menu.bmp");
  pressKeys(popup, {VK_RETURN});

  // The area's exercises open at once; the third one is drawn.
  ASSERT_TRUE(waitUntil([&] { HWND next = openPopup(id); return next && next != popup; }));
  popup = openPopup(id);
  pressKeys(popup, {VK_DOWN, VK_DOWN, VK_DOWN});
  Sleep(300);
  saveScreenPicture(pictureDirectory() + L"/exercise-menu.bmp");
  pressKeys(popup, {VK_RETURN});
  ASSERT_TRUE(waitUntil([&] { return !windowText(GetDlgItem(dialog, IDC_EXERCISE_TEXT)).empty(); }));
  EXPECT_NE(windowText(GetDlgItem(dialog, IDC_SOLUTION)), L"----");
  saveWindowPicture(dialog, pictureDirectory() + L"/exercise-drawn.bmp");

  EXPECT_EQ(settingsValue(L"MenuNummer"), L"2");
  EXPECT_NE(settingsValue(L"AufgabePfad").find(L"Lineare Gleichungen.wrx"), std::wstring::npos);
  EXPECT_EQ(settingsValue(L"AufgabeNummer"), L"3");
  end(process, dialog);

  // After a restart "Neu" draws the remembered exercise, and "ATyp" opens its area
  // without the area menu.
  startStandalone(process, dialog);
  if (HasFatalFailure()) return;
  const DWORD second = GetProcessId(process.get());
  PostMessageW(GetDlgItem(dialog, IDC_NEW_EXERCISE), BM_CLICK, 0, 0);
  ASSERT_TRUE(waitUntil([&] { return !windowText(GetDlgItem(dialog, IDC_EXERCISE_TEXT)).empty(); }));
  PostMessageW(GetDlgItem(dialog, IDC_EXERCISE_TYPE), BM_CLICK, 0, 0);
  ASSERT_TRUE(waitUntil([&] { return (popup = openPopup(second)) != nullptr; }));
  pressKeys(popup, {VK_ESCAPE});
  ASSERT_TRUE(waitUntil([&] { return openPopup(second) == nullptr; }));
  end(process, dialog);
}

TEST_F(ExerciseMenus, TheCommandsOfTheItemsAndAChoiceThatIsGone) {
  // A remembered file that no longer exists restores nothing: "Neu" asks for a choice.
  WritePrivateProfileStringW(L"EINSTELLUNGEN", L"AufgabePfad", L"C:\\weg\\Alte Aufgaben.wrx",
                             settingsFilePath().c_str());
  WritePrivateProfileStringW(L"EINSTELLUNGEN", L"AufgabeNummer", L"2", settingsFilePath().c_str());
  UniqueProcess process;
  HWND dialog = nullptr;
  startStandalone(process, dialog);
  if (HasFatalFailure()) return;
  const DWORD id = GetProcessId(process.get());
  PostMessageW(GetDlgItem(dialog, IDC_NEW_EXERCISE), BM_CLICK, 0, 0);
  EXPECT_EQ(answerMessageBox(id, L"Pendrix"), L"Bitte zuerst eine Aufgabe auswählen.");

  // The items' commands, as the menus send them: area 0 ("Bruchrechnung"), then its
  // first exercise.
  PostMessageW(dialog, WM_COMMAND, IDM_FILE_FIRST, 0);
  HWND popup = nullptr;
  ASSERT_TRUE(waitUntil([&] { return (popup = openPopup(id)) != nullptr; }));
  pressKeys(popup, {VK_ESCAPE});
  ASSERT_TRUE(waitUntil([&] { return openPopup(id) == nullptr; }));
  PostMessageW(dialog, WM_COMMAND, IDM_EXERCISE_FIRST, 0);
  ASSERT_TRUE(waitUntil([&] { return !windowText(GetDlgItem(dialog, IDC_EXERCISE_TEXT)).empty(); }));
  EXPECT_NE(settingsValue(L"AufgabePfad").find(L"Bruchrechnung.wrx"), std::wstring::npos);
  EXPECT_EQ(settingsValue(L"AufgabeNummer"), L"1");
  end(process, dialog);
}

}  // namespace
}  // namespace pendrix

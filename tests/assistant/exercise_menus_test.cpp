// The exercise menus of the real dialog, with the shipped files beside the program:
// picking an area and an exercise from the popups by keys and by their commands, new
// numbers, and the choice found again after a restart.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

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

bool pointerOver(HWND window) {
  RECT rect{};
  POINT pointer{};
  return GetWindowRect(window, &rect) && GetCursorPos(&pointer) && PtInRect(&rect, pointer);
}

void pressKeys(HWND window, std::initializer_list<WPARAM> keys) {
  for (const WPARAM key : keys) {
    PostMessageW(window, WM_KEYDOWN, key, 1);
    PostMessageW(window, WM_KEYUP, key, 0xC0000001);
  }
}

class ExerciseMenus : public ::testing::Test {
 protected:
  void SetUp() override { resetSettingsFile(); }

  // A start by hand, without Word. The pointer waits in the corner, away from the
  // popups, which would take the item under it as the start of the keys.
  void startStandalone(UniqueProcess& process, HWND& dialog) {
    ASSERT_TRUE(movePointerTo({0, 0}));
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

// Sixty exercise files of 200-character names with umlauts, each with fifty
// exercises, in the folder of a copy of the program: the area menu lists the first
// forty found, sorted; the exercise menu of the last area offers twenty-one.
class CrowdedFolder : public ExerciseMenus {
 protected:
  void SetUp() override {
    originalServer_ = registeredServer();
    folder_ = std::filesystem::temp_directory_path() / L"pendrix-sixty-areas";
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_ / L"Einstellung");
    program_ = (folder_ / L"Pendrix.exe").wstring();
    ASSERT_TRUE(CopyFileW(winePath(PENDRIX_EXE).c_str(), program_.c_str(), FALSE));
    WritePrivateProfileStringW(L"EINSTELLUNGEN", L"Strichpunkt", L";", settings().c_str());
    for (int i = 0; i < 60; ++i) writeArea(folder_ / (areaName(i) + L".wrx"));
    setRegisteredServer(shortPath(program_));
  }
  void TearDown() override {
    setRegisteredServer(originalServer_);
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }

  static std::wstring areaName(int i) {
    std::wstring name = std::to_wstring(10 + i);
    while (name.size() < 200) name += L" Übungen für Größen und Brüche";
    return name.substr(0, 200);
  }
  static void writeArea(const std::filesystem::path& file) {
    std::ofstream out(file, std::ios::binary);
    out << "[AUFGABE]\r\nAnzahl=50\r\nTermTyp=Gleichung\r\n";
    for (int n = 0; n < 50; ++n) {
      out << "TITEL__" << n << "=Aufgabe " << n + 1 << "\r\nTEXT___" << n << "=L\xF6se Gleichung " << n + 1
          << "\r\nAUFGABE" << 3 * n + 1 << "=" << n + 2 << "x=99L\r\n";
    }
  }
  // The paths the program lists: the first forty the system finds, sorted by title,
  // in its install directory as registered (the short form of the folder).
  std::vector<std::wstring> listedPaths() const {
    const std::wstring installDirectory = shortPath(folder_.wstring());
    std::vector<std::wstring> paths;
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW((folder_ / L"*.wrx").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return paths;
    do paths.push_back(installDirectory + L"\\" + found.cFileName);
    while (paths.size() < 40 && FindNextFileW(search, &found));
    FindClose(search);
    std::sort(paths.begin(), paths.end());
    return paths;
  }
  std::wstring settings() const { return (folder_ / L"Einstellung" / L"WordZomb.ini").wstring(); }
  std::wstring setting(const wchar_t* key) const {
    wchar_t value[512] = {};
    GetPrivateProfileStringW(L"EINSTELLUNGEN", key, L"", value, 512, settings().c_str());
    return value;
  }

  std::wstring originalServer_, program_;
  std::filesystem::path folder_;
};

TEST_F(CrowdedFolder, FortyAreasOfLongNamesAndTwentyOneExercisesEach) {
  UniqueProcess process(startProcess(program_, L""));
  ASSERT_TRUE(process);
  HWND dialog = nullptr;
  ASSERT_TRUE(waitUntil([&] { return (dialog = findTopWindow({GetProcessId(process.get()), L"#32770", L" Calvora"})); }));
  const DWORD id = GetProcessId(process.get());

  // Up from the top reaches the last of the forty areas. The pointer is moved out of
  // the way: the long popup would open under it and take its item as the start.
  ASSERT_TRUE(movePointerTo({0, 0}));
  PostMessageW(GetDlgItem(dialog, IDC_EXERCISE_FILE), BM_CLICK, 0, 0);
  HWND popup = nullptr;
  ASSERT_TRUE(waitUntil([&] { return (popup = openPopup(id)) != nullptr; }));
  ASSERT_FALSE(pointerOver(popup));
  pressKeys(popup, {VK_UP});
  Sleep(300);
  saveScreenPicture(pictureDirectory() + L"/exercise-file-menu-sixty-long-names.bmp");
  pressKeys(popup, {VK_RETURN});

  // Its exercise menu: twenty-one exercises, then the empty item, which the keys pass.
  ASSERT_TRUE(waitUntil([&] { HWND next = openPopup(id); return next && next != popup; }));
  popup = openPopup(id);
  ASSERT_FALSE(pointerOver(popup));
  pressKeys(popup, {VK_UP});
  Sleep(300);
  saveScreenPicture(pictureDirectory() + L"/exercise-menu-fifty-exercises.bmp");
  pressKeys(popup, {VK_RETURN});
  ASSERT_TRUE(waitUntil([&] { return !windowText(GetDlgItem(dialog, IDC_EXERCISE_TEXT)).empty(); }));
  EXPECT_EQ(windowText(GetDlgItem(dialog, IDC_EXERCISE_TEXT)), L"Löse Gleichung 21");
  end(process, dialog);

  const std::vector<std::wstring> listed = listedPaths();
  ASSERT_EQ(listed.size(), 40u);
  EXPECT_EQ(setting(L"MenuNummer"), L"39");
  EXPECT_EQ(setting(L"AufgabeNummer"), L"21");
  EXPECT_EQ(setting(L"AufgabePfad"), listed.back()) << "written in full, umlauts included";
}

}  // namespace
}  // namespace pendrix

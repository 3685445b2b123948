// The exercise menus of the real dialog, with the shipped files beside the program:
// picking an area and an exercise from the popups by keys and by their commands, new
// numbers, and the choice found again after a restart.

#include <gtest/gtest.h>

#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

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

std::wstring knownFolder(REFKNOWNFOLDERID id) {
  PWSTR path = nullptr;
  std::wstring folder;
  if (SUCCEEDED(SHGetKnownFolderPath(id, KF_FLAG_DEFAULT, nullptr, &path))) folder = path;
  CoTaskMemFree(path);
  return folder;
}

// The user's own exercise folder and the one for all users, as the guide names them.
std::filesystem::path userFolder() { return std::filesystem::path(knownFolder(FOLDERID_Documents)) / L"Pendrix-Aufgaben"; }
std::filesystem::path allUsersFolder() { return std::filesystem::path(knownFolder(FOLDERID_ProgramData)) / L"Pendrix" / L"Aufgaben"; }

void removeOwnFolders() {
  std::error_code ignored;
  std::filesystem::remove_all(userFolder(), ignored);
  std::filesystem::remove_all(allUsersFolder().parent_path(), ignored);
}

std::wstring profileString(const std::wstring& file, const std::wstring& key) {
  wchar_t value[200] = {};
  GetPrivateProfileStringW(L"AUFGABE", key.c_str(), L"", value, 200, file.c_str());
  return value;
}

// The shipped areas beside the program, sorted as the menu lists them, with the titles
// of their exercises.
struct Area {
  std::wstring title;
  std::vector<std::wstring> exercises;
};

std::vector<Area> shippedAreas() {
  const std::filesystem::path folder = std::filesystem::path(winePath(PENDRIX_EXE)).parent_path();
  std::vector<Area> areas;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().extension() != L".wrx") continue;
    Area area{entry.path().stem().wstring(), {}};
    const int count = std::stoi(L"0" + profileString(entry.path().wstring(), L"Anzahl"));
    for (int n = 0; n < count; ++n) area.exercises.push_back(profileString(entry.path().wstring(), L"TITEL__" + std::to_wstring(n)));
    areas.push_back(area);
  }
  std::sort(areas.begin(), areas.end(), [](const Area& a, const Area& b) { return a.title < b.title; });
  return areas;
}

// The width a title needs in its item: 20 pixels before the text, which is Arial of 18
// pixels, as the menus draw it.
int neededWidth(const std::wstring& title) {
  HDC screen = GetDC(nullptr);
  HFONT font = CreateFontW(18, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Arial");
  HGDIOBJ previous = SelectObject(screen, font);
  SIZE size{};
  GetTextExtentPoint32W(screen, title.c_str(), static_cast<int>(title.size()), &size);
  SelectObject(screen, previous);
  DeleteObject(font);
  ReleaseDC(nullptr, screen);
  return 20 + size.cx;
}

// Every title fits the popup's items, which are at least 150 pixels wide.
void expectTitlesFit(HWND popup, const std::vector<std::wstring>& titles, const std::wstring& menu) {
  RECT client{};
  ASSERT_TRUE(GetClientRect(popup, &client));
  const int width = client.right - client.left;
  EXPECT_GE(width, 150) << "menu " << menu;
  for (const std::wstring& title : titles)
    EXPECT_LE(neededWidth(title), width) << "\"" << title
                                         << "\" is cut in the menu " << menu;
}

void pressKeys(HWND window, std::initializer_list<WPARAM> keys) {
  for (const WPARAM key : keys) {
    PostMessageW(window, WM_KEYDOWN, key, 1);
    PostMessageW(window, WM_KEYUP, key, 0xC0000001);
  }
}

class ExerciseMenus : public ::testing::Test {
 protected:
  // Only the shipped files: a test's own files in the user's or the school's folder go.
  void SetUp() override {
    resetSettingsFile();
    removeOwnFolders();
  }
  void TearDown() override { removeOwnFolders(); }

  // A start by hand, without Word. The pointer waits in the corner, away from the
  // popups, which would take the item under it as the start of the keys.
  void startStandalone(UniqueProcess& process, HWND& dialog) {
    ASSERT_TRUE(movePointerTo({0, 0}));
    process = startProcess(winePath(PENDRIX_EXE), L"");
    ASSERT_TRUE(process);
    ASSERT_TRUE(waitUntil([&] { return (dialog = findTopWindow({GetProcessId(process.get()), L"#32770", L" Calvora"})); }))
        << "the assistant's dialog did not show";
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

  // The area menu lists the titles sorted: "Lineare Gleichungen" is the fifth.
  PostMessageW(GetDlgItem(dialog, IDC_EXERCISE_FILE), BM_CLICK, 0, 0);
  HWND popup = nullptr;
  ASSERT_TRUE(waitUntil([&] { return (popup = openPopup(id)) != nullptr; })) << "the popup menu did not open";
  pressKeys(popup, {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN});
  saveWindowPicture(dialog, pictureDirectory() + L"/exercise-file-menu-dialog.bmp");
  saveScreenPicture(pictureDirectory() + L"/exercise-file-menu.bmp");
  pressKeys(popup, {VK_RETURN});

  // The area's exercises open at once; the third one is drawn.
  ASSERT_TRUE(waitUntil([&] { HWND next = openPopup(id); return next && next != popup; }))
      << "the next popup menu did not open";
  popup = openPopup(id);
  pressKeys(popup, {VK_DOWN, VK_DOWN, VK_DOWN});
  saveScreenPicture(pictureDirectory() + L"/exercise-menu.bmp");
  pressKeys(popup, {VK_RETURN});
  ASSERT_TRUE(waitUntil([&] { return !windowText(GetDlgItem(dialog, IDC_EXERCISE_TEXT)).empty(); }))
      << "no exercise text was shown";
  EXPECT_NE(windowText(GetDlgItem(dialog, IDC_SOLUTION)), L"----");
  saveWindowPicture(dialog, pictureDirectory() + L"/exercise-drawn.bmp");

  EXPECT_EQ(settingsValue(L"MenuNummer"), L"4");
  EXPECT_NE(settingsValue(L"AufgabePfad").find(L"Lineare Gleichungen.wrx"), std::wstring::npos);
  EXPECT_EQ(settingsValue(L"AufgabeNummer"), L"3");
  end(process, dialog);

  // After a restart "Neu" draws the remembered exercise, and "ATyp" opens its area
  // without the area menu.
  startStandalone(process, dialog);
  if (HasFatalFailure()) return;
  const DWORD second = GetProcessId(process.get());
  PostMessageW(GetDlgItem(dialog, IDC_NEW_EXERCISE), BM_CLICK, 0, 0);
  ASSERT_TRUE(waitUntil([&] { return !windowText(GetDlgItem(dialog, IDC_EXERCISE_TEXT)).empty(); }))
      << "no exercise text was shown";
  PostMessageW(GetDlgItem(dialog, IDC_EXERCISE_TYPE), BM_CLICK, 0, 0);
  ASSERT_TRUE(waitUntil([&] { return (popup = openPopup(second)) != nullptr; })) << "the popup menu did not open";
  pressKeys(popup, {VK_ESCAPE});
  ASSERT_TRUE(waitUntil([&] { return openPopup(second) == nullptr; })) << "the popup menu did not close";
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
  ASSERT_TRUE(waitUntil([&] { return (popup = openPopup(id)) != nullptr; })) << "the popup menu did not open";
  pressKeys(popup, {VK_ESCAPE});
  ASSERT_TRUE(waitUntil([&] { return openPopup(id) == nullptr; })) << "the popup menu did not close";
  PostMessageW(dialog, WM_COMMAND, IDM_EXERCISE_FIRST, 0);
  ASSERT_TRUE(waitUntil([&] { return !windowText(GetDlgItem(dialog, IDC_EXERCISE_TEXT)).empty(); }))
      << "no exercise text was shown";
  EXPECT_NE(settingsValue(L"AufgabePfad").find(L"Bruchrechnung.wrx"), std::wstring::npos);
  EXPECT_EQ(settingsValue(L"AufgabeNummer"), L"1");
  end(process, dialog);
}

// Every title of the shipped library is whole in its menu: the area menu, and the
// exercise menu of every area.
TEST_F(ExerciseMenus, EveryShippedTitleFitsItsMenu) {
  const std::vector<Area> areas = shippedAreas();
  ASSERT_GE(areas.size(), 12u);
  UniqueProcess process;
  HWND dialog = nullptr;
  startStandalone(process, dialog);
  if (HasFatalFailure()) return;
  const DWORD id = GetProcessId(process.get());

  PostMessageW(GetDlgItem(dialog, IDC_EXERCISE_FILE), BM_CLICK, 0, 0);
  HWND popup = nullptr;
  ASSERT_TRUE(waitUntil([&] { return (popup = openPopup(id)) != nullptr; })) << "the popup menu did not open";
  std::vector<std::wstring> titles;
  for (const Area& area : areas) titles.push_back(area.title);
  expectTitlesFit(popup, titles, L"Aufgabe");
  pressKeys(popup, {VK_ESCAPE});
  ASSERT_TRUE(waitUntil([&] { return openPopup(id) == nullptr; })) << "the popup menu did not close";

  for (size_t i = 0; i < areas.size(); ++i) {
    PostMessageW(dialog, WM_COMMAND, IDM_FILE_FIRST + static_cast<UINT>(i), 0);
    ASSERT_TRUE(waitUntil([&] { return (popup = openPopup(id)) != nullptr; })) << "the exercises of area " << i;
    expectTitlesFit(popup, areas[i].exercises, areas[i].title);
    if (areas[i].title == L"Quadratische Gleichungen") {
      saveScreenPicture(pictureDirectory() + L"/exercise-menu-longest-titles.bmp");
    }
    pressKeys(popup, {VK_ESCAPE});
    ASSERT_TRUE(waitUntil([&] { return openPopup(id) == nullptr; })) << "the popup menu did not close";
  }
  end(process, dialog);
}

// A teacher's own files in "Dokumente\Pendrix-Aufgaben" (made at the first start) and
// the school's in ProgramData are listed with the shipped ones; a file of a shipped
// name stands in for it; UTF-8 files, as Notepad saves them, keep their umlauts.
TEST_F(ExerciseMenus, OwnAndSchoolFilesAreListedWithTheShippedOnes) {
  UniqueProcess process;
  HWND dialog = nullptr;
  startStandalone(process, dialog);
  if (HasFatalFailure()) return;
  // Made with the exercise menus, once the dialog has painted.
  EXPECT_TRUE(waitUntil([] { return std::filesystem::is_directory(userFolder()); }))
      << "the user's folder is made at the first start";
  end(process, dialog);

  std::ofstream(userFolder() / L"Eigene Übungen.wrx", std::ios::binary)
      << "[AUFGABE]\r\nAnzahl=1\r\nTermTyp=Gleichung\r\nTITEL__0=K\xC3\xBCrzen\r\nTEXT___0=\xC3\x9C"
         "be das K\xC3\xBCrzen.\r\nPARAX__0=2\r\nAUFGABE1=9x=99L\r\n";
  std::ofstream(userFolder() / L"Bruchrechnung.wrx", std::ios::binary)
      << "\xEF\xBB\xBF[AUFGABE]\r\nAnzahl=1\r\nTITEL__0=Eigene Br\xC3\xBC" "che\r\nTEXT___0=Meine Br\xC3\xBC"
         "che.\r\nAUFGABE1=9+9\r\n";
  std::filesystem::create_directories(allUsersFolder());
  std::ofstream(allUsersFolder() / L"Schulaufgaben.wrx", std::ios::binary)
      << "[AUFGABE]\r\nAnzahl=1\r\nTITEL__0=F\xFCr alle\r\nTEXT___0=Gr\xF6\xDF" "er als 9.\r\nAUFGABE1=99+9\r\n";

  std::vector<std::wstring> titles;
  for (const Area& area : shippedAreas()) titles.push_back(area.title);
  titles.push_back(L"Eigene Übungen");
  titles.push_back(L"Schulaufgaben");
  std::sort(titles.begin(), titles.end());
  const auto indexOf = [&](const wchar_t* title) {
    return static_cast<UINT>(std::find(titles.begin(), titles.end(), title) - titles.begin());
  };

  startStandalone(process, dialog);
  if (HasFatalFailure()) return;
  const DWORD id = GetProcessId(process.get());
  PostMessageW(GetDlgItem(dialog, IDC_EXERCISE_FILE), BM_CLICK, 0, 0);
  HWND popup = nullptr;
  ASSERT_TRUE(waitUntil([&] { return (popup = openPopup(id)) != nullptr; })) << "the popup menu did not open";
  saveScreenPicture(pictureDirectory() + L"/exercise-file-menu-own-files.bmp");
  pressKeys(popup, {VK_ESCAPE});
  ASSERT_TRUE(waitUntil([&] { return openPopup(id) == nullptr; })) << "the popup menu did not close";

  // Each area picked by its place in the sorted list: a second "Bruchrechnung" would
  // put every later area one place further.
  const struct {
    const wchar_t* area;
    const wchar_t* statement;
    std::filesystem::path file;
  } picks[] = {
      {L"Eigene Übungen", L"Übe das Kürzen.", userFolder() / L"Eigene Übungen.wrx"},
      {L"Bruchrechnung", L"Meine Brüche.", userFolder() / L"Bruchrechnung.wrx"},
      {L"Schulaufgaben", L"Größer als 9.", allUsersFolder() / L"Schulaufgaben.wrx"},
  };
  for (const auto& pick : picks) {
    SCOPED_TRACE(::testing::Message() << pick.area);
    SetWindowTextW(GetDlgItem(dialog, IDC_EXERCISE_TEXT), L"");
    PostMessageW(dialog, WM_COMMAND, IDM_FILE_FIRST + indexOf(pick.area), 0);
    ASSERT_TRUE(waitUntil([&] { return (popup = openPopup(id)) != nullptr; })) << "the popup menu did not open";
    pressKeys(popup, {VK_ESCAPE});
    ASSERT_TRUE(waitUntil([&] { return openPopup(id) == nullptr; })) << "the popup menu did not close";
    PostMessageW(dialog, WM_COMMAND, IDM_EXERCISE_FIRST, 0);
    ASSERT_TRUE(waitUntil([&] { return !windowText(GetDlgItem(dialog, IDC_EXERCISE_TEXT)).empty(); }))
        << "no exercise text was shown";
    EXPECT_EQ(windowText(GetDlgItem(dialog, IDC_EXERCISE_TEXT)), pick.statement);
    EXPECT_EQ(std::filesystem::path(settingsValue(L"AufgabePfad")), pick.file);
  }
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
  ASSERT_TRUE(waitUntil([&] { return (dialog = findTopWindow({GetProcessId(process.get()), L"#32770", L" Calvora"})); }))
      << "the assistant's dialog did not show";
  const DWORD id = GetProcessId(process.get());

  // Up from the top reaches the last of the forty areas. The pointer is moved out of
  // the way: the long popup would open under it and take its item as the start.
  ASSERT_TRUE(movePointerTo({0, 0}));
  PostMessageW(GetDlgItem(dialog, IDC_EXERCISE_FILE), BM_CLICK, 0, 0);
  HWND popup = nullptr;
  ASSERT_TRUE(waitUntil([&] { return (popup = openPopup(id)) != nullptr; })) << "the popup menu did not open";
  ASSERT_FALSE(pointerOver(popup));
  pressKeys(popup, {VK_UP});
  saveScreenPicture(pictureDirectory() + L"/exercise-file-menu-sixty-long-names.bmp");
  pressKeys(popup, {VK_RETURN});

  // Its exercise menu: twenty-one exercises, then the empty item, which the keys pass,
  // and after a separator "Arbeitsblatt …", the last.
  ASSERT_TRUE(waitUntil([&] { HWND next = openPopup(id); return next && next != popup; }))
      << "the next popup menu did not open";
  popup = openPopup(id);
  ASSERT_FALSE(pointerOver(popup));
  pressKeys(popup, {VK_UP, VK_UP});
  saveScreenPicture(pictureDirectory() + L"/exercise-menu-fifty-exercises.bmp");
  pressKeys(popup, {VK_RETURN});
  ASSERT_TRUE(waitUntil([&] { return !windowText(GetDlgItem(dialog, IDC_EXERCISE_TEXT)).empty(); }))
      << "no exercise text was shown";
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

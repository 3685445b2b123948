// The assistant as a pupil uses it: real key presses to whatever has the focus and
// real clicks where the pointer is, never a message to a control the test picked.
// After every command the typing must reach the formula again; a quick second click
// must count; the grid's own codes and a degree that would break the field code must
// not get in. What the formula holds is read from the field that "&Einfügen" (pressed
// with its key, behind everything typed) writes into Word.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "assistant_fixture.h"

namespace pendrix {
namespace {

using namespace pendrix::testing;

class PupilInput : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(word_.app());
    resetSettingsFile();
    word_.newDocument();
    ASSERT_TRUE(moveMouseTo({0, 0}));
    assistant_.start(word_);
    if (HasFatalFailure()) return;
    ASSERT_TRUE(assistant_.bringToFront()) << "the assistant did not come to the front";
  }
  void TearDown() override {
    if (!assistant_.dialog()) return;
    if (HasFailure()) return assistant_.endForSure();
    PostMessageW(assistant_.control(IDCANCEL), BM_CLICK, 0, 0);
    waitUntil([&] { return !IsWindowVisible(assistant_.dialog()); });
    assistant_.release();
    EXPECT_EQ(assistant_.waitForEnd(), 0);
  }

  // The formula as "&Einfügen" writes it, without the blanks Word keeps around a
  // field's code; "" when no field came.
  std::string formula() {
    word_.newDocument();
    if (!pressAlt('E')) return "(no input)";
    std::string codes;
    waitUntil([&] { return !(codes = trimmedFieldCodes(word_.dump())).empty(); });
    return codes.empty() ? "" : codes.substr(0, codes.size() - 1);
  }
  // A dialog of the assistant other than its main window (the root-degree prompt has
  // no caption to find it by).
  HWND waitForSmallDialog() {
    HWND found = nullptr;
    waitUntil([&] {
      struct Search {
        DWORD process;
        HWND main, found;
      } search{assistant_.processId(), assistant_.dialog(), nullptr};
      EnumWindows(
          [](HWND window, LPARAM data) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(data);
            DWORD owner = 0;
            wchar_t name[16] = {};
            GetWindowThreadProcessId(window, &owner);
            if (owner == s.process && window != s.main && IsWindowVisible(window) && GetClassNameW(window, name, 16) &&
                lstrcmpW(name, L"#32770") == 0)
              s.found = window;
            return s.found == nullptr;
          },
          reinterpret_cast<LPARAM>(&search));
      return (found = search.found) != nullptr;
    });
    return found;
  }
  bool keyInputFocused() {
    return waitUntil([&] { return focusOf(assistant_.dialog()) == assistant_.control(IDC_KEY_INPUT); },
                     std::chrono::seconds(5));
  }
  POINT clientPoint(int x, int y) {
    POINT p{x, y};
    ClientToScreen(assistant_.dialog(), &p);
    return p;
  }
  // The middle of the arrow at a combo box's right edge.
  POINT comboArrow(int id) {
    RECT rect{};
    GetWindowRect(assistant_.control(id), &rect);
    return {rect.right - GetSystemMetrics(SM_CXVSCROLL) / 2 - 1, (rect.top + rect.bottom) / 2};
  }
  void answerBox(const wchar_t* caption, WORD key) {
    const HWND box = assistant_.waitForWindow(L"#32770", caption);
    if (!box) saveScreenPicture(pictureDirectory() + L"/pupil-missing-box.bmp");
    ASSERT_TRUE(box) << "no message box " << utf8(caption) << " (see pupil-missing-box.bmp)";
    ASSERT_TRUE(pressKey(key));
    ASSERT_TRUE(assistant_.waitUntilGone(box)) << "the message box stayed";
  }

  Word& word_ = standInWord();
  Assistant assistant_;
};

// After each command of the table the pupil types on: the keys must reach the formula,
// not a button (where "3" is the mnemonic of "&3 ^3") or a combo box.
TEST_F(PupilInput, TypingReachesTheFormulaAfterEveryCommand) {
  const Assistant& a = assistant_;
  const struct {
    const char* command;
    std::function<void()> run;
    std::wstring typed;
    std::string written;  // what the command and the keys add to the formula's code
  } rows[] = {
      {"Aufgabe, its popup closed by Escape",
       [&] {
         ASSERT_TRUE(clickAt(centreOf(a.control(IDC_EXERCISE_FILE))));
         const HWND popup = a.waitForWindow(L"#32768");
         ASSERT_TRUE(popup) << "no popup";
         ASSERT_TRUE(pressKey(VK_ESCAPE));
         ASSERT_TRUE(a.waitUntilGone(popup));
       },
       L"+3", "+3"},
      {"Aufgabe by its key, its popup closed by a click beside it",
       [&] {
         ASSERT_TRUE(moveMouseTo(clientPoint(6, 6)));  // the dialog's face, beside the buttons' frame
         ASSERT_TRUE(pressAlt('U'));
         const HWND popup = a.waitForWindow(L"#32768");
         ASSERT_TRUE(popup) << "no popup";
         ASSERT_TRUE(clickHere());
         ASSERT_TRUE(a.waitUntilGone(popup));
       },
       L"+4", "+4"},
      {"ATyp refused before an area was chosen",
       [&] {
         ASSERT_TRUE(clickAt(centreOf(a.control(IDC_EXERCISE_TYPE))));
         answerBox(L"Pendrix", VK_RETURN);
       },
       L"+5", "+5"},
      {"an area chosen, its exercise popup closed by Escape",
       [&] {
         ASSERT_TRUE(clickAt(centreOf(a.control(IDC_EXERCISE_FILE))));
         const HWND files = a.waitForWindow(L"#32768");
         ASSERT_TRUE(files) << "no popup";
         ASSERT_TRUE(pressKey(VK_DOWN) && pressKey(VK_RETURN));
         // The area is remembered before its exercises open.
         ASSERT_TRUE(waitUntil([] {
           wchar_t value[16] = {};
           GetPrivateProfileStringW(L"EINSTELLUNGEN", L"MenuNummer", L"", value, 16, settingsFilePath().c_str());
           return value[0] == L'0';
         })) << "no area chosen";
         const HWND exercises = a.waitForWindow(L"#32768");
         ASSERT_TRUE(exercises) << "no exercise popup";
         ASSERT_TRUE(pressKey(VK_ESCAPE));
         ASSERT_TRUE(a.waitUntilGone(exercises));
       },
       L"+6", "+6"},
      {"L with a letter in the term: a message box",
       [&] {
         ASSERT_TRUE(clickAt(centreOf(a.control(IDC_SOLVE))));
         answerBox(L"Info", VK_RETURN);
       },
       L"+7", "+7"},
      {"a combo box opened and closed by Escape",
       [&] {
         ASSERT_TRUE(clickAt(comboArrow(IDC_MULTIPLICATION_SIGN)));
         const HWND list = a.waitForWindow(L"ComboLBox");
         ASSERT_TRUE(list) << "the list did not open";
         ASSERT_TRUE(pressKey(VK_ESCAPE));
         ASSERT_TRUE(a.waitUntilGone(list));
       },
       L"+8", "+8"},
      {"the about box, closed by Enter",
       [&] {
         PostMessageW(a.dialog(), WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
         answerBox(L"Info über Pendrix", VK_RETURN);
       },
       L"+9", "+9"},
      {"a formula button clicked",
       [&] { ASSERT_TRUE(clickAt(centreOf(a.control(IDC_LESS_EQUAL)))); }, L"1", "\u22641"},
      {"Alt+L answered No",
       [&] {
         ASSERT_TRUE(pressAlt('L'));
         answerBox(L"Feld löschen", 'N');
       },
       L"+2", "+2"},
  };
  ASSERT_TRUE(typeKeys(L"2x"));
  std::string before = formula();
  ASSERT_EQ(before, "EQ 2x");
  for (const auto& row : rows) {
    SCOPED_TRACE(row.command);
    row.run();
    if (HasFatalFailure()) return;
    ASSERT_TRUE(a.bringToFront());
    // The command's handler gives the focus back once its box or popup has gone.
    EXPECT_TRUE(keyInputFocused()) << "the focus did not come back";
    ASSERT_TRUE(typeKeys(row.typed));
    const std::string now = formula();
    EXPECT_EQ(now, before + row.written) << "the keys typed after the command went elsewhere";
    before = now;
  }
  saveWindowPicture(a.dialog(), pictureDirectory() + L"/pupil-after-commands.bmp");
}

// Owner-drawn buttons report a quick second click as a double click: it is a press.
TEST_F(PupilInput, TwoQuickClicksOnAPictureButtonAreTwoPresses) {
  ASSERT_TRUE(typeKeys(L"x"));
  ASSERT_TRUE(clickAt(centreOf(assistant_.control(IDC_SQUARE)), 2));
  EXPECT_EQ(formula(), "EQ x\\s\\up5(22)");
  ASSERT_TRUE(clickAt(centreOf(assistant_.control(IDC_LESS_EQUAL)), 2));
  ASSERT_TRUE(clickAt(centreOf(assistant_.control(IDC_SQUARE))));
  EXPECT_EQ(formula(), "EQ x\\s\\up5(22)\u2264\u2264\\s\\up5(2)");
}

// è is the German keyboard's ` and e; with å, æ and ç it is a root mark of the grid.
TEST_F(PupilInput, TypedRootMarksChangeNothing) {
  ASSERT_TRUE(pressAlt('W'));
  ASSERT_TRUE(typeKeys(L"x\u00E8\u00E7\u00E5\u00E6\u0001y"));
  EXPECT_EQ(formula(), "EQ \\r(;xy)");
}

// The degree prompt takes one character, refuses what would end or open the root's
// argument with a hint, and gives the typing back to the formula when it closes.
TEST_F(PupilInput, TheRootDegreePromptTakesOneFittingCharacter) {
  ASSERT_TRUE(pressAlt('W'));  // a root at the start, the cursor inside it
  RECT preview{};
  GetWindowRect(assistant_.control(IDC_PREVIEW), &preview);
  const POINT rootSign{preview.left + 4, (preview.top + preview.bottom) / 2};
  ASSERT_TRUE(clickAt(rootSign, 2));
  HWND prompt = waitForSmallDialog();
  ASSERT_TRUE(prompt) << "no root-degree prompt";
  const HWND edit = GetDlgItem(prompt, IDC_ROOT_DEGREE);
  ASSERT_TRUE(typeKeys(L"10"));
  EXPECT_TRUE(waitUntil([&] { return windowText(edit) == L"1"; })) << utf8(windowText(edit));
  ASSERT_TRUE(pressKey(VK_BACK) && typeKeys(L";") && pressKey(VK_RETURN));
  EXPECT_TRUE(waitUntil([&] { return windowText(GetDlgItem(prompt, IDC_ROOT_DEGREE_PROMPT)) != L"" &&
                                     windowText(GetDlgItem(prompt, IDC_ROOT_DEGREE_PROMPT)).find(L"Wurzelexponent sein") !=
                                         std::wstring::npos; }))
      << utf8(windowText(GetDlgItem(prompt, IDC_ROOT_DEGREE_PROMPT)));
  EXPECT_EQ(windowText(GetDlgItem(prompt, IDC_ROOT_DEGREE_PROMPT)), L"\u201E;\u201C kann kein Wurzelexponent sein.");
  EXPECT_TRUE(IsWindowVisible(prompt)) << "a refused degree keeps the prompt open";
  saveWindowPicture(prompt, pictureDirectory() + L"/pupil-degree-hint.bmp");
  ASSERT_TRUE(typeKeys(L"7") && pressKey(VK_RETURN));  // the refused one is selected: the 7 replaces it
  ASSERT_TRUE(assistant_.waitUntilGone(prompt));
  ASSERT_TRUE(assistant_.bringToFront());
  EXPECT_TRUE(keyInputFocused());

  // Cancelled, the degree stays.
  ASSERT_TRUE(clickAt(rootSign, 2));
  prompt = waitForSmallDialog();
  ASSERT_TRUE(prompt) << "no root-degree prompt the second time";
  ASSERT_TRUE(typeKeys(L"5") && pressKey(VK_ESCAPE));
  ASSERT_TRUE(assistant_.waitUntilGone(prompt));
  ASSERT_TRUE(assistant_.bringToFront());
  EXPECT_TRUE(keyInputFocused());
  ASSERT_TRUE(typeKeys(L"+9"));  // the double click left the cursor on the root sign
  EXPECT_EQ(formula(), "EQ +9\\r(7;)");
}

// Alt+L clears the formula and the solution beside it, which button 1027 would
// otherwise write into Word.
TEST_F(PupilInput, AltLClearsTheSolutionToo) {
  ASSERT_TRUE(typeKeys(L"2x+1=7") && pressKey(VK_RETURN));
  const std::wstring three = std::wstring(L"3") + localeDecimalSymbol() + L"000";
  EXPECT_TRUE(waitUntil([&] { return assistant_.textOf(IDC_SOLUTION) == three; })) << utf8(assistant_.textOf(IDC_SOLUTION));
  ASSERT_TRUE(pressAlt('L'));
  answerBox(L"Feld löschen", VK_RETURN);  // Yes is the default
  EXPECT_TRUE(waitUntil([&] { return assistant_.textOf(IDC_SOLUTION) == L"----"; })) << utf8(assistant_.textOf(IDC_SOLUTION));
  EXPECT_EQ(formula(), "EQ");
}

// The cursor the assistant's thread shows while it is in front.
HCURSOR shownCursor() {
  CURSORINFO info{};
  info.cbSize = sizeof info;
  return GetCursorInfo(&info) ? info.hCursor : nullptr;
}

// While an exercise is drawn the wait cursor shows; here the exercise never comes
// out (every draw divides by zero), so the command's message box stands inside that
// time. Afterwards the cursor is the one from before.
TEST(ExerciseWait, TheWaitCursorShowsWhileAnExerciseIsDrawn) {
  const std::wstring server = registeredServer();
  const std::wstring folder = server.substr(0, server.rfind(L'\\'));
  const std::wstring file = folder + L"\\zz-wartezeiger.wrx";
  // The file leaves the program's folder with the test, however it ends.
  const struct Removal {
    const std::wstring& path;
    ~Removal() {
      DeleteFileW(path.c_str());
      resetSettingsFile();
    }
  } removal{file};
  {
    std::ofstream out(std::filesystem::path(file), std::ios::binary);
    out << "[AUFGABE]\r\nAnzahl=1\r\nTermTyp=Term\r\nTITEL__0=Wartezeiger\r\nTEXT___0=Teile.\r\nAUFGABE1=1:0\r\n";
    ASSERT_TRUE(out.good()) << utf8(file);
  }
  resetSettingsFile();
  WritePrivateProfileStringW(L"EINSTELLUNGEN", L"AufgabePfad", file.c_str(), settingsFilePath().c_str());
  WritePrivateProfileStringW(L"EINSTELLUNGEN", L"AufgabeNummer", L"1", settingsFilePath().c_str());
  Word& word = standInWord();
  word.newDocument();
  ASSERT_TRUE(moveMouseTo({0, 0}));  // beside every window of the assistant
  Assistant assistant;
  assistant.start(word);
  if (HasFatalFailure()) return;
  {
    ASSERT_TRUE(assistant.bringToFront());
    const HCURSOR before = shownCursor();
    assistant.click(IDC_NEW_EXERCISE);
    const HWND box = assistant.waitForWindow(L"#32770", L"Pendrix");
    ASSERT_TRUE(box) << "the exercise came out after all";
    const HCURSOR during = shownCursor();
    EXPECT_EQ(windowText(GetDlgItem(box, 0xFFFF)), L"Versuch es nocheinmal oder wähle eine andere Aufgabe");
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(assistant.waitUntilGone(box));
    EXPECT_TRUE(waitUntil([&] { return shownCursor() == before; })) << "the cursor was not restored";
    EXPECT_NE(during, before) << "no wait cursor while the exercise was drawn";
    EXPECT_NE(during, nullptr);
    PostMessageW(assistant.control(IDCANCEL), BM_CLICK, 0, 0);
    waitUntil([&] { return !IsWindowVisible(assistant.dialog()); });
    assistant.release();
    EXPECT_EQ(assistant.waitForEnd(), 0);
  }
}

}  // namespace
}  // namespace pendrix

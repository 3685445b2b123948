// Pendrix.exe as the add-in and the user meet it: started through COM from the
// class registration, handed Word (the stand-in, in a process of its own), driven
// through its windows with messages, and ended every way a session ends. What
// reached Word is read back from the stand-in's document dump and call log.

#include <gtest/gtest.h>

#include "assistant_fixture.h"
#include "session/registration_win32.h"

namespace pendrix {
namespace {

using namespace pendrix::testing;

// The stand-in Word lives for the whole run; each test starts with a new document.
class WordEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    ASSERT_HRESULT_SUCCEEDED(OleInitialize(nullptr));
    std::filesystem::create_directories(pictureDirectory());
    resetSettingsFile();
    // Other tests register stand-ins under the assistant's class: it must name this
    // build's program, beside which the settings file lies.
    registerAssistantClass(fromWide(shortPath(winePath(PENDRIX_EXE)).c_str()));
    standInWord().start();
  }
  void TearDown() override {
    standInWord().stop();
    OleUninitialize();
  }
};
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new WordEnvironment);

class AssistantSession : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(standInWord().app());
    standInWord().newDocument();
  }
  Word& word_ = standInWord();
};

// Started by hand: the assistant writes the registration it is found through, in
// the short form of its path, and ends with its dialog.
TEST_F(AssistantSession, AStartWithASwitchLeavesTheRegistryAloneAndANormalStartRepairsIt) {
  const std::wstring program = winePath(PENDRIX_EXE);
  // The same program, written in another form that a normal start would not write.
  const std::wstring marker = L"\"" + program + L"\" /Automation";
  setRegisteredServer(marker);
  UniqueProcess automation = startProcess(program, L"/Automation");
  HWND dialog = nullptr;
  ASSERT_TRUE(waitUntil([&] { return (dialog = findTopWindow({GetProcessId(automation.get()), L"#32770", L" Calvora"})); }));
  EXPECT_EQ(registeredServer(), marker);
  PostMessageW(dialog, WM_CLOSE, 0, 0);  // no client holds it: closing ends the program
  EXPECT_EQ(waitForExit(automation.get()), 0);

  UniqueProcess standalone = startProcess(program, L"");
  ASSERT_TRUE(waitUntil([&] { return (dialog = findTopWindow({GetProcessId(standalone.get()), L"#32770", L" Calvora"})); }));
  EXPECT_EQ(registeredServer(), shortPath(program));
  Sleep(500);  // painted before the picture is taken
  saveWindowPicture(dialog, pictureDirectory() + L"/assistant-empty.bmp");

  // The about box from the system menu.
  PostMessageW(dialog, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
  HWND about = nullptr;
  ASSERT_TRUE(waitUntil([&] { return (about = findTopWindow({GetProcessId(standalone.get()), L"#32770", L"Info über Pendrix"})); }));
  saveWindowPicture(about, pictureDirectory() + L"/assistant-about.bmp");
  PostMessageW(about, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(waitUntil([&] { return !IsWindow(about); }));

  PostMessageW(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
  EXPECT_EQ(waitForExit(standalone.get()), 0);
}

TEST_F(AssistantSession, ANewFormulaGoesIntoWordAsEqFieldsAndOkEndsTheProcess) {
  Assistant assistant;
  assistant.start(word_);
  if (HasFatalFailure()) return;
  // Once the dialog shows, each of the 23 buttons has a tip of its own and the combo
  // boxes share one.
  EXPECT_TRUE(waitUntil([&] { return tooltipsOf(assistant.dialog()) == 24; })) << tooltipsOf(assistant.dialog());
  word_.call(L"ClearCallLog");
  assistant.type(L"x^2+1");
  assistant.clickAndWait(IDC_INSERT);
  assistant.type(L"+y°1");
  saveWindowPicture(assistant.dialog(), pictureDirectory() + L"/assistant-formula.bmp");
  assistant.click(IDC_OK);
  EXPECT_EQ(assistant.waitForEnd(), 0);

  const std::string dump = word_.dump();
  EXPECT_EQ(fieldCodes(dump), " EQ x\\s\\up5(2)+1 | EQ x\\s\\up5(2)+1+y\\s\\do5(1) |") << dump;
  // Each field's exponent and index in the small size, everything else as written.
  EXPECT_NE(dump.find("\"char\":\"2\",\"size\":8"), std::string::npos) << dump;
  EXPECT_NE(dump.find("\"char\":\"1\",\"size\":8"), std::string::npos) << dump;

  const std::string log = word_.callLog();
  const std::string insert =
      "Application.Selection()\nSelection.Range()\nRange.Text=(VT_BSTR)\n"
      "Document.Fields()\nFields.Add(VT_DISPATCH,VT_I2|VT_BYREF,VT_BSTR|VT_BYREF,VT_I2|VT_BYREF)\n"
      "Application.ActiveWindow()\nWindow.View()\nView.ShowFieldCodes=(VT_BOOL)\n"
      "Selection.MoveRight(VT_I2|VT_BYREF,VT_I2|VT_BYREF,VT_I2|VT_BYREF)\nSelection.Font()\nFont.Size()\n";
  EXPECT_EQ(log.find(insert), 0u) << log;
  EXPECT_NE(log.find("Selection.EndKey(VT_I2|VT_BYREF,VT_I2|VT_BYREF)\nSelection.TypeParagraph()\n"), std::string::npos)
      << log;
  EXPECT_NE(log.find("Font.Size=(VT_R4)"), std::string::npos) << log;
  // The return click reached Word's document window where the mouse was.
  POINT expected = assistant.clickPoint();
  ScreenToClient(word_.documentWindow(), &expected);
  EXPECT_NE(log.find("_WwG.LButtonDown(" + std::to_string(expected.x) + "," + std::to_string(expected.y) + ")"),
            std::string::npos)
      << log;
}

TEST_F(AssistantSession, AFieldHandedOverIsEditedInPlace) {
  ASSERT_EQ(word_.call(L"InsertField", L"EQ \\r(7;3)"), S_OK);
  ComPtr<IDispatch> field = word_.field(1);
  ASSERT_TRUE(field);
  Assistant assistant;
  assistant.start(word_, field.get());
  if (HasFatalFailure()) return;
  assistant.type(L"+1");
  assistant.click(IDC_OK);
  EXPECT_EQ(assistant.waitForEnd(), 0);
  const std::string dump = word_.dump();
  EXPECT_EQ(fieldCodes(dump), "EQ \\r(7;3)+1|") << dump;
  EXPECT_NE(dump.find("\"index\":1,\"begin\":9,"), std::string::npos) << "the field stays where it was: " << dump;
}

TEST_F(AssistantSession, AFieldThatIsNoEqFieldOpensEmptyAndBecomesOne) {
  for (const wchar_t* code : {L"PAGE", L"eq \\r(7;3)"}) {
    SCOPED_TRACE(utf8(code));
    word_.newDocument();
    ASSERT_EQ(word_.call(L"InsertField", code), S_OK);
    ComPtr<IDispatch> field = word_.field(1);
    Assistant assistant;
    assistant.start(word_, field.get());
    if (HasFatalFailure()) return;
    assistant.type(L"a");
    assistant.click(IDC_OK);
    EXPECT_EQ(assistant.waitForEnd(), 0);
    EXPECT_EQ(fieldCodes(word_.dump()), "EQ a|");
  }
}

TEST_F(AssistantSession, SolvesAndWritesTheSolutionAndTheTextLine) {
  Assistant assistant;
  assistant.start(word_);
  if (HasFatalFailure()) return;
  assistant.type(L"2x+1=7");
  assistant.pressEnter();  // "L" is the default button
  ASSERT_TRUE(waitUntil([&] { return assistant.textOf(IDC_SOLUTION) == L"3.000"; })) << utf8(assistant.textOf(IDC_SOLUTION));
  saveWindowPicture(assistant.dialog(), pictureDirectory() + L"/assistant-solved.bmp");
  assistant.clickAndWait(IDC_INSERT_SOLUTION);
  SetWindowTextW(assistant.control(IDC_EXERCISE_TEXT), L"Löse die Gleichung.");
  assistant.clickAndWait(IDC_INSERT_TEXT);
  const std::string text = documentText(word_.dump());
  EXPECT_NE(text.find("L = { 3.000 }"), std::string::npos) << text;
  EXPECT_NE(text.find("Löse die Gleichung."), std::string::npos) << text;

  // Cancel while the client holds the object only hides the assistant.
  assistant.click(IDCANCEL);
  ASSERT_TRUE(waitUntil([&] { return !IsWindowVisible(assistant.dialog()); }));
  EXPECT_EQ(WaitForSingleObject(assistant.process(), 300), static_cast<DWORD>(WAIT_TIMEOUT));
  assistant.release();
  EXPECT_EQ(assistant.waitForEnd(), 0) << "the hidden assistant ends when the client lets go";
}

TEST_F(AssistantSession, ClosingTheWindowWhileHeldOnlyHidesIt) {
  Assistant assistant;
  assistant.start(word_);
  if (HasFatalFailure()) return;
  PostMessageW(assistant.dialog(), WM_CLOSE, 0, 0);
  ASSERT_TRUE(waitUntil([&] { return !IsWindowVisible(assistant.dialog()); }));
  EXPECT_EQ(WaitForSingleObject(assistant.process(), 300), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_EQ(assistant.get(a::kCursorXPos), assistant.clickPoint().x) << "the session is still there";
  // A put of WindowHandle changes nothing.
  const LONG window = assistant.get(a::kWindowHandle);
  EXPECT_EQ(assistant.put(a::kWindowHandle, 12345), S_OK);
  EXPECT_EQ(assistant.get(a::kWindowHandle), window);
  assistant.release();
  EXPECT_EQ(assistant.waitForEnd(), 0);
}

TEST_F(AssistantSession, WordFailuresAreShownAndTheDialogGoesOn) {
  Assistant assistant;
  assistant.start(word_);
  if (HasFatalFailure()) return;
  assistant.type(L"x^2");
  const struct {
    int button;
    const wchar_t* member;
  } rows[] = {{IDC_INSERT, L"Add"},       {IDC_INSERT, L"ShowFieldCodes"}, {IDC_INSERT, L"Size"},
              {IDC_INSERT_TEXT, L"Text"}, {IDC_INSERT_TEXT, L"EndKey"},    {IDC_INSERT_SOLUTION, L"TypeParagraph"}};
  for (const auto& row : rows) {
    SCOPED_TRACE(utf8(row.member));
    word_.fail(row.member, DISP_E_EXCEPTION);
    assistant.click(row.button);
    EXPECT_EQ(assistant.answerMessageBox(L"Pendrix"), L"Injected failure");
    word_.fail(row.member, S_OK);
  }
  word_.fail(L"Selection", E_FAIL);  // Word gives no text: the assistant says so itself
  assistant.click(IDC_INSERT);
  EXPECT_EQ(assistant.answerMessageBox(L"Pendrix"), L"Befehl fehlgeschlagen.");
  word_.fail(L"Selection", S_OK);

  // Still usable: the formula is there and goes in.
  word_.newDocument();
  assistant.clickAndWait(IDC_INSERT);
  EXPECT_EQ(fieldCodes(word_.dump()), " EQ x\\s\\up5(2) |");

  // OK swallows Word's failure and still ends.
  word_.fail(L"Add", DISP_E_EXCEPTION);
  assistant.click(IDC_OK);
  EXPECT_EQ(assistant.waitForEnd(), 0);
  EXPECT_EQ(findTopWindow({0, L"#32770", L"Pendrix"}), nullptr);
  word_.fail(L"Add", S_OK);
}

}  // namespace
}  // namespace pendrix

// Pendrix.exe as the add-in and the user meet it: started through COM from the
// class registration, handed Word (the stand-in, in a process of its own), driven
// through its windows with messages, and ended every way a session ends. What
// reached Word is read back from the stand-in's document dump and call log.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

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

  assistant.click(IDC_OK);
  EXPECT_EQ(assistant.waitForEnd(), 0);
}

// OK into a failing Word keeps the session: the dialog stays with the formula and
// says what Word said, the bare code it put in goes again, OK once more writes the
// formula as one field, and Cancel still ends. Each member of both sequences fails
// in turn.
TEST_F(AssistantSession, AFailedOkKeepsTheFormulaAndLeavesNoHalfWrittenText) {
  const struct {
    const wchar_t* member;
    bool beforeTheField;  // the code is still bare text when this member fails
  } newField[] = {{L"Selection", true}, {L"Range", true},        {L"Text", true},           {L"Fields", true},
                  {L"Add", true},       {L"ActiveWindow", false}, {L"View", false},          {L"ShowFieldCodes", false},
                  {L"MoveRight", false}, {L"Font", false},        {L"Size", false}};
  // A new field: the members before the field in one session, each later one in a
  // session of its own (after it the field is in, and OK edits it).
  std::unique_ptr<Assistant> session;
  for (const auto& row : newField) {
    SCOPED_TRACE(utf8(row.member));
    if (!session) {
      word_.newDocument();
      session = std::make_unique<Assistant>();
      session->start(word_);
      if (HasFatalFailure()) return;
      session->type(L"x^2+1");
    }
    Assistant& assistant = *session;
    word_.fail(row.member, DISP_E_EXCEPTION);
    assistant.click(IDC_OK);
    EXPECT_EQ(assistant.answerMessageBox(L"Pendrix"), L"Injected failure");
    word_.fail(row.member, S_OK);
    EXPECT_TRUE(IsWindowVisible(assistant.dialog())) << "the dialog stays open";
    const std::string dump = word_.dump();
    if (row.beforeTheField) {
      EXPECT_EQ(documentText(dump).find("EQ"), std::string::npos) << "a bare code in the text: " << documentText(dump);
      EXPECT_EQ(trimmedFieldCodes(dump), "");
    } else {
      EXPECT_EQ(trimmedFieldCodes(dump), "EQ x\\s\\up5(2)+1|") << "the field is in, as one field";
    }
    if (row.beforeTheField && &row != &newField[4]) continue;
    assistant.click(IDC_OK);  // again, with Word working
    EXPECT_EQ(assistant.waitForEnd(), 0);
    EXPECT_EQ(trimmedFieldCodes(word_.dump()), "EQ x\\s\\up5(2)+1|") << "one field with the formula";
    session.reset();
  }

  // A field handed over: every member of the editing sequence in one session.
  word_.newDocument();
  ASSERT_EQ(word_.call(L"InsertField", L"EQ \\r(7;3)"), S_OK);
  ComPtr<IDispatch> field = word_.field(1);
  ASSERT_TRUE(field);
  Assistant assistant;
  assistant.start(word_, field.get());
  if (HasFatalFailure()) return;
  assistant.type(L"+1");
  for (const wchar_t* member : {L"Code", L"Text", L"Select", L"Selection", L"ActiveWindow", L"View", L"ShowFieldCodes",
                                L"MoveLeft", L"Font", L"Size", L"MoveRight"}) {
    SCOPED_TRACE(utf8(member));
    word_.fail(member, DISP_E_EXCEPTION);
    assistant.click(IDC_OK);
    EXPECT_EQ(assistant.answerMessageBox(L"Pendrix"), L"Injected failure");
    word_.fail(member, S_OK);
    EXPECT_TRUE(IsWindowVisible(assistant.dialog()));
    const std::string codes = trimmedFieldCodes(word_.dump());
    EXPECT_EQ(codes.find("EQ \\r(7;3)"), 0u) << "still the one field: " << codes;
    EXPECT_EQ(std::count(codes.begin(), codes.end(), '|'), 1) << codes;
  }
  // Cancel ends the session; the field keeps what the last OK wrote.
  assistant.click(IDCANCEL);
  ASSERT_TRUE(waitUntil([&] { return !IsWindowVisible(assistant.dialog()); }));
  assistant.release();
  EXPECT_EQ(assistant.waitForEnd(), 0);
  EXPECT_EQ(fieldCodes(word_.dump()), "EQ \\r(7;3)+1|");
}

// Values and solutions show the decimal symbol: the settings' DezimalZeichen, else
// the locale's; the solution line in Word carries it.
TEST_F(AssistantSession, SolutionsShowTheChosenDecimalSymbol) {
  const struct {
    const wchar_t* key;
    wchar_t symbol;
  } rows[] = {{L",", L','}, {L".", L'.'}, {nullptr, localeDecimalSymbol()}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.key ? utf8(row.key) : "the locale's");
    resetSettingsFile();
    if (row.key) WritePrivateProfileStringW(L"EINSTELLUNGEN", L"DezimalZeichen", row.key, settingsFilePath().c_str());
    word_.newDocument();
    Assistant assistant;
    assistant.start(word_);
    if (HasFatalFailure()) return;
    assistant.type(L"x^2=4");
    assistant.pressEnter();
    const std::wstring two = std::wstring(L"2") + row.symbol + L"000";
    ASSERT_TRUE(waitUntil([&] { return assistant.textOf(IDC_SOLUTION_STATUS) == L"{ " + two + L" }"; }))
        << utf8(assistant.textOf(IDC_SOLUTION_STATUS));
    EXPECT_EQ(assistant.textOf(IDC_SOLUTION), L"-" + two);
    assistant.clickAndWait(IDC_INSERT_SOLUTION);
    EXPECT_NE(documentText(word_.dump()).find("L = { -" + utf8(two) + " | " + utf8(two) + "  }"), std::string::npos)
        << documentText(word_.dump());
    if (row.symbol == L',') saveWindowPicture(assistant.dialog(), pictureDirectory() + L"/assistant-decimal-comma.bmp");
    assistant.click(IDCANCEL);
    ASSERT_TRUE(waitUntil([&] { return !IsWindowVisible(assistant.dialog()); }));
    assistant.release();
    EXPECT_EQ(assistant.waitForEnd(), 0);
  }
  resetSettingsFile();
}

// An equation true for every x says so, and its solution line is the set of all numbers.
TEST_F(AssistantSession, AnEquationForEveryNumberWritesTheSetOfAllNumbers) {
  Assistant assistant;
  assistant.start(word_);
  if (HasFatalFailure()) return;
  assistant.type(L"7(x+9)=7x+63");
  assistant.pressEnter();
  ASSERT_TRUE(waitUntil([&] { return assistant.textOf(IDC_SOLUTION) == L"alle x"; })) << utf8(assistant.textOf(IDC_SOLUTION));
  saveWindowPicture(assistant.dialog(), pictureDirectory() + L"/assistant-every-number.bmp");
  assistant.clickAndWait(IDC_INSERT_SOLUTION);
  EXPECT_NE(documentText(word_.dump()).find("L = IR"), std::string::npos) << documentText(word_.dump());
  assistant.click(IDCANCEL);
  ASSERT_TRUE(waitUntil([&] { return !IsWindowVisible(assistant.dialog()); }));
  assistant.release();
  EXPECT_EQ(assistant.waitForEnd(), 0);
}

}  // namespace
}  // namespace pendrix

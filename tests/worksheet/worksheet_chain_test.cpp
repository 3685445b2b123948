// A worksheet through the whole chain as a teacher makes one: Word (the stand-in) with
// the add-in, the assistant opened by a click on the bar, an area and the item
// "Arbeitsblatt …" picked by keys, the dialog filled by keys, OK. The document then
// holds the heading, the fields of the area's exercises in order with their answers in
// the key after a page break, all of it one undo step; every field opens again by a
// double click. Word failing the page break or a field stops the sheet cleanly.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <regex>
#include <set>

#include "chain.h"
#include "exercises/exercise_menus.h"
#include "exercises/worksheet.h"
#include "formula/eq_reader.h"
#include "solver/equation_solver.h"
#include "win32/late_binding.h"
#include "worksheet_steps.h"

namespace pendrix::testing {
namespace {

constexpr wchar_t kInjectedText[] = L"Injected failure";  // the stand-in's text of DISP_E_EXCEPTION

std::filesystem::path linearAreaFile() {
  return std::filesystem::path(winePath(PENDRIX_EXE)).parent_path() / L"Lineare Gleichungen.wrx";
}

std::wstring settingsValue(const wchar_t* key) {
  wchar_t value[100] = {};
  GetPrivateProfileStringW(L"EINSTELLUNGEN", key, L"", value, 100, settingsFilePath().c_str());
  return value;
}

// A code with every run of digits as "#": the shape an exercise's draws share.
std::string shapeOf(const std::string& code) {
  std::string out;
  for (const char c : code) {
    const bool digit = c >= '0' && c <= '9';
    if (!digit) out += c;
    else if (out.empty() || out.back() != '#') out += '#';
  }
  return out;
}

// The stand-in keeps a field's code with a blank on each side.
std::string trimmedCode(const std::string& padded) {
  const size_t first = padded.find_first_not_of(' ');
  const size_t last = padded.find_last_not_of(' ');
  return first == std::string::npos ? std::string() : padded.substr(first, last - first + 1);
}

std::vector<std::string> codesOf(const std::string& dump) {
  std::vector<std::string> codes;
  const std::string all = fieldCodes(dump);
  for (size_t start = 0, bar; (bar = all.find('|', start)) != std::string::npos; start = bar + 1)
    codes.push_back(trimmedCode(all.substr(start, bar - start)));
  return codes;
}

// What the solve button shows for a field's formula: the value its key line must
// give. The reader keeps Word's minus sign as it stands, which the evaluator does not
// read, so the formula is given to the solver with the minus as typed.
std::string solverAnswerFor(const std::string& code) {
  std::u16string text = fromUtf8(code);
  std::replace(text.begin(), text.end(), u'\u2212', u'-');
  FormulaGrid grid;
  Settings settings;
  SilentNotifier quiet;
  loadWordField(text, grid, settings, quiet);
  TermEvaluator left, right;
  RecordingSolutionDisplay display;
  resetSolutionDisplay(display);
  EquationSolver(left, right).solve(grid, quiet, display);
  return toUtf8(display.value);
}

class Worksheets : public SelfFramedChainSuite {
 protected:
  void SetUp() override {
    ASSERT_TRUE(chain().word().app()) << "the chain did not start";
    word().call(L"ClearDocument");
    word().call(L"ClearCallLog");
  }
  Word& word() { return chain().word(); }

  // The term button's assistant, with the keyboard in it.
  HWND openAssistant() {
    const HWND dialog = waitForAssistantWindowAfterClick();
    if (dialog) waitUntil([&] { return focusOf(dialog) == GetDlgItem(dialog, IDC_KEY_INPUT); });
    return dialog;
  }
  HWND waitForAssistantWindowAfterClick() {
    EXPECT_EQ(chain().click(L"ZombTerm"), 1);
    const HWND dialog = waitForAssistantWindow(seen_);
    if (dialog) {
      assistants_.push_back(openProcessOf(dialog));
      seen_.push_back(processOfWindow(dialog));
    }
    return dialog;
  }
  void cancel(HWND dialog) {
    PostMessageW(GetDlgItem(dialog, IDC_CANCEL), BM_CLICK, 0, 0);
    EXPECT_TRUE(waitUntil([&] { return !IsWindowVisible(dialog); }));
  }
  // The area's popup, then its last item "Arbeitsblatt …" by keys; the dialog it opens.
  HWND chooseWorksheetByKeys(HWND dialog, const std::wstring& menuPicture = L"") {
    const HWND popup = openExercisePopup(dialog, kLinearArea);
    if (!popup) return nullptr;
    pressMenuKeys(popup, {VK_UP});  // from the top up to the last item
    if (!menuPicture.empty())
      EXPECT_TRUE(saveScreenPicture(pictureDirectory() + L"/" + menuPicture));
    pressMenuKeys(popup, {VK_RETURN});
    return waitForWorksheetDialog(processOfWindow(dialog));
  }

  std::vector<UniqueProcess> assistants_;
  std::vector<DWORD> seen_;
};

TEST_F(Worksheets, WithoutAnAreaTheItemAsksForOne) {
  resetSettingsFile();
  const HWND dialog = openAssistant();
  ASSERT_NE(dialog, nullptr);
  PostMessageW(dialog, WM_COMMAND, IDM_WORKSHEET, 0);
  EXPECT_EQ(answerMessageBox(processOfWindow(dialog), L"Pendrix"), L"Bitte zuerst einen Bereich auswählen.");
  EXPECT_EQ(findTopWindow({processOfWindow(dialog), L"#32770", kWorksheetCaption}), nullptr);
  EXPECT_EQ(focusOf(dialog), GetDlgItem(dialog, IDC_KEY_INPUT));
  cancel(dialog);
}

TEST_F(Worksheets, ASheetOfTenByKeysLandsInWordAsOneUndoStepAndEveryFieldOpensAgain) {
  resetSettingsFile();
  const HWND dialog = openAssistant();
  ASSERT_NE(dialog, nullptr);
  const HWND sheetDialog = chooseWorksheetByKeys(dialog, L"worksheet-menu.bmp");
  ASSERT_NE(sheetDialog, nullptr) << "\"Arbeitsblatt …\" opened no dialog";

  // The defaults, then the keys: the order kept, ten exercises, two empty lines, the key.
  EXPECT_EQ(IsDlgButtonChecked(sheetDialog, IDC_WORKSHEET_IN_ORDER), BST_CHECKED);
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(sheetDialog, IDC_WORKSHEET_CHOSEN))) << "no exercise is chosen yet";
  EXPECT_EQ(windowText(GetDlgItem(sheetDialog, IDC_WORKSHEET_COUNT)), L"10");
  EXPECT_EQ(IsDlgButtonChecked(sheetDialog, IDC_WORKSHEET_SOLUTIONS), BST_CHECKED);
  ASSERT_TRUE(waitUntil([&] { return focusOf(sheetDialog) == GetDlgItem(sheetDialog, IDC_WORKSHEET_IN_ORDER); }));
  ASSERT_TRUE(tabTo(sheetDialog, IDC_WORKSHEET_COUNT));
  ASSERT_TRUE(typeNumber(sheetDialog, IDC_WORKSHEET_COUNT, L"10"));
  ASSERT_TRUE(tabTo(sheetDialog, IDC_WORKSHEET_EMPTY_LINES));
  ASSERT_TRUE(typeNumber(sheetDialog, IDC_WORKSHEET_EMPTY_LINES, L"2"));
  ASSERT_TRUE(tabTo(sheetDialog, IDC_WORKSHEET_SOLUTIONS));
  EXPECT_TRUE(saveWindowPicture(sheetDialog, pictureDirectory() + L"/worksheet-dialog.bmp"));
  pressKeyInFocus(sheetDialog, VK_RETURN);
  ASSERT_TRUE(waitForSheet(word().app(), 10)) << "fields: " << fieldCount(word().app());
  EXPECT_TRUE(waitUntil([&] { return focusOf(dialog) == GetDlgItem(dialog, IDC_KEY_INPUT); }));
  EXPECT_EQ(findTopWindow({processOfWindow(dialog), L"#32770", L"Pendrix"}), nullptr) << "nothing was left out";

  const std::string dump = word().dump();
  const std::vector<std::string> lines = paragraphsOf(dump);
  const std::vector<std::string> codes = codesOf(dump);
  ASSERT_EQ(codes.size(), 10u) << dump;
  // Heading, ten exercises with two empty lines each, the key after the page break.
  ASSERT_GE(lines.size(), 1u + 10 * 3 + 1 + 10) << dump;
  EXPECT_EQ(lines[0], "Arbeitsblatt: Lineare Gleichungen");

  // The core draws the same sheet's shape: the exercises in order, each with its text.
  auto store = makePortableProfileStore();
  ExerciseSet area(*store);
  area.Open(linearAreaFile().u16string());
  CrtRandom source(1);
  ExerciseRandom random(source);
  const Worksheet core = drawWorksheet(area, u"Lineare Gleichungen", {WorksheetMode::InOrder, 10, -1},
                                       Settings().record(), random);
  ASSERT_EQ(core.entries.size(), 10u);
  for (size_t i = 0; i < 10; ++i) {
    SCOPED_TRACE("exercise " + std::to_string(i + 1));
    const std::string& line = lines[1 + 3 * i];
    const std::string statement = std::to_string(i + 1) + ") " + toUtf8(core.entries[i].statement) + " \x13";
    EXPECT_EQ(line.rfind(statement, 0), 0u) << line;
    EXPECT_EQ(shapeOf(codes[i]), shapeOf(toUtf8(core.entries[i].code.text)));
    EXPECT_EQ(lines[2 + 3 * i], "");
    EXPECT_EQ(lines[3 + 3 * i], "");
  }
  EXPECT_EQ(std::set<std::string>(codes.begin(), codes.end()).size(), 10u) << "no formula twice";
  const std::string keyStart = "\f" + toUtf8(kSolutionsHeading);
  const auto key = std::find(lines.begin(), lines.end(), keyStart);
  ASSERT_NE(key, lines.end()) << "the key begins on a new page with \"Lösungen\"";
  std::smatch breaks;
  ASSERT_TRUE(std::regex_search(dump, breaks, std::regex(R"re("pageBreaks":\[(\d+)\])re"))) << "one page break";
  ASSERT_EQ(lines.end() - key, 1 + 10 + 1) << "ten key lines, then the paragraph Word keeps at the end";
  for (size_t i = 0; i < 10; ++i) {
    const std::string prefix = std::to_string(i + 1) + ") L = { ";
    ASSERT_EQ(key[1 + i].rfind(prefix, 0), 0u) << key[1 + i];
    const std::string shown = key[1 + i].substr(prefix.size(), key[1 + i].size() - prefix.size() - 2);
    const std::string solved = solverAnswerFor(codes[i]);
    ASSERT_TRUE(isdigit(static_cast<unsigned char>(solved.back()))) << codes[i] << " gives " << solved;
    const size_t slash = shown.find('/');
    const double written = slash == std::string::npos ? std::stod(shown)
                                                      : std::stod(shown.substr(0, slash)) / std::stod(shown.substr(slash + 1));
    EXPECT_NEAR(written, std::stod(solved), 0.0015) << "the solver's answer for " << codes[i] << ": " << key[1 + i];
  }
  EXPECT_NE(dump.find("\"undoRecords\":{\"level\":0,\"finished\":[\"Arbeitsblatt\"]}"), std::string::npos) << dump;

  // The undo record brackets every write of the sheet.
  const std::string log = word().callLog();
  const size_t start = log.find("UndoRecord.StartCustomRecord(VT_BSTR)\n");
  const size_t end = log.find("UndoRecord.EndCustomRecord()\n");
  ASSERT_NE(start, std::string::npos) << log;
  ASSERT_NE(end, std::string::npos) << log;
  for (const char* write : {"Selection.TypeText(", "Fields.Add(", "Selection.InsertBreak(", "Selection.TypeParagraph("}) {
    EXPECT_GT(log.find(write), start) << write;
    EXPECT_LT(log.rfind(write), end) << write;
  }
  EXPECT_EQ(log.find("UndoRecord.StartCustomRecord", start + 1), std::string::npos) << "one record";

  // The choices are remembered beside the other keys.
  EXPECT_EQ(settingsValue(L"ArbeitsblattAuswahl"), L"0");
  EXPECT_EQ(settingsValue(L"ArbeitsblattAnzahl"), L"10");
  EXPECT_EQ(settingsValue(L"ArbeitsblattLoesungen"), L"1");
  EXPECT_EQ(settingsValue(L"ArbeitsblattLeerzeilen"), L"2");

  // The document as Word's window shows it, tall enough for the whole sheet.
  cancel(dialog);
  RECT screen{};
  GetWindowRect(GetDesktopWindow(), &screen);
  MoveWindow(word().mainWindow(), 0, 0, 820, std::min<LONG>(screen.bottom, 1000), TRUE);
  EXPECT_TRUE(saveWindowPicture(word().mainWindow(), pictureDirectory() + L"/worksheet-document.bmp"));

  // Each field again by a double click: the assistant opens with its formula, and OK
  // writes back the very code it read.
  for (long index = 1; index <= 10; ++index) {
    SCOPED_TRACE("field " + std::to_string(index));
    CallResult cancelled = invoke(word().app(), L"DoubleClickField", DISPATCH_METHOD, argList(Variant::fromI4(index)));
    ASSERT_EQ(cancelled.hr, S_OK);
    EXPECT_EQ(cancelled.value.get()->boolVal, VARIANT_TRUE) << "Word's own double click went on";
    const HWND reopened = waitForAssistantWindow(seen_);
    ASSERT_NE(reopened, nullptr);
    assistants_.push_back(openProcessOf(reopened));
    seen_.push_back(processOfWindow(reopened));
    PostMessageW(GetDlgItem(reopened, IDC_OK), BM_CLICK, 0, 0);
    ASSERT_EQ(WaitForSingleObject(assistants_.back().get(), 20000), WAIT_OBJECT_0);
    EXPECT_EQ(codesOf(word().dump())[static_cast<size_t>(index - 1)], codes[static_cast<size_t>(index - 1)]);
  }
  EXPECT_EQ(codesOf(word().dump()), codes);
}

// Word failing the page break, then a field: the sheet stops where Word failed, the
// user reads Word's text, the record is closed, nothing stays in the code view, and
// the assistant writes the next sheet whole.
TEST_F(Worksheets, WordFailingThePageBreakOrAFieldStopsTheSheetCleanly) {
  const struct {
    const wchar_t* member;
    long fields;  // written before the failure
  } faults[] = {{L"InsertBreak", 10}, {L"Add", 0}};
  const HWND dialog = openAssistant();
  ASSERT_NE(dialog, nullptr);
  const DWORD id = processOfWindow(dialog);
  for (const auto& fault : faults) {
    SCOPED_TRACE(utf8(fault.member));
    word().call(L"ClearDocument");
    word().fail(fault.member, DISP_E_EXCEPTION);
    PostMessageW(dialog, WM_COMMAND, IDM_FILE_FIRST + kLinearArea, 0);
    HWND popup = nullptr;
    ASSERT_TRUE(waitUntil([&] { return (popup = popupOf(id)) != nullptr; }));
    pressMenuKeys(popup, {VK_ESCAPE});
    ASSERT_TRUE(waitUntil([&] { return popupOf(id) == nullptr; }));
    PostMessageW(dialog, WM_COMMAND, IDM_WORKSHEET, 0);
    const HWND sheetDialog = waitForWorksheetDialog(id);
    ASSERT_NE(sheetDialog, nullptr);
    pressKeyInFocus(sheetDialog, VK_RETURN);
    EXPECT_EQ(answerMessageBox(id, L"Pendrix"), kInjectedText);

    const std::string dump = word().dump();
    const std::vector<std::string> lines = paragraphsOf(dump);
    EXPECT_EQ(codesOf(dump).size(), static_cast<size_t>(fault.fields)) << dump;
    EXPECT_EQ(lines[0], "Arbeitsblatt: Lineare Gleichungen");
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "\f" + toUtf8(kSolutionsHeading)), 0);
    EXPECT_NE(dump.find("\"pageBreaks\":[]"), std::string::npos);
    EXPECT_NE(dump.find("\"showFieldCodes\":false"), std::string::npos);
    EXPECT_NE(dump.find("\"undoRecords\":{\"level\":0,\"finished\":[\"Arbeitsblatt\"]}"), std::string::npos) << dump;

    // Usable afterwards: without the fault the same command writes the whole sheet.
    word().fail(fault.member, S_OK);
    word().call(L"ClearDocument");
    PostMessageW(dialog, WM_COMMAND, IDM_WORKSHEET, 0);
    const HWND again = waitForWorksheetDialog(id);
    ASSERT_NE(again, nullptr);
    pressKeyInFocus(again, VK_RETURN);
    ASSERT_TRUE(waitForSheet(word().app(), 10));
    const std::vector<std::string> whole = paragraphsOf(word().dump());
    EXPECT_EQ(std::count(whole.begin(), whole.end(), "\f" + toUtf8(kSolutionsHeading)), 1);
  }
  cancel(dialog);
}

}  // namespace
}  // namespace pendrix::testing

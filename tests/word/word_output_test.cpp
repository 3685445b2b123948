// The Word output against the stand-in's objects in this process: what lands in
// the document, the calls in their order with their argument types and values,
// Word's failures member by member, and the objects left held afterwards.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "win32/office_interfaces.h"
#include "dispatch_helpers.h"
#include "formula/editing_helpers.h"
#include "formula/eq_writer.h"
#include "recording_dispatch.h"
#include "session/text_codec.h"
#include "word/word_output_win32.h"
#include "wordhost/host_state.h"
#include "wordhost/word_objects.h"

namespace pendrix {
namespace {

// The code of the field being edited as the dialog reads it; empty on failure.
std::u16string fieldCode(WordOutput& output) {
  std::u16string code;
  output.readFieldCode(code);
  return code;
}

namespace w = pendrix::word;
using pendrix::testing::RecordedCall;
using pendrix::testing::RecordingDispatch;
using wordhost::HostState;

class ComEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
  void TearDown() override { CoUninitialize(); }
};
const auto* const kComEnvironment = ::testing::AddGlobalTestEnvironment(new ComEnvironment);

EqCode formula(const std::u16string& keys) {
  pendrix::testing::Editing editing;
  editing.type(keys);
  return generateEqCode(editing.grid, editing.settings.record());
}

// The lines the host logs for the Part of each command it is given.
const std::string kMove = "(VT_I2|VT_BYREF,VT_I2|VT_BYREF,VT_I2|VT_BYREF)\n";
const std::string kShowCodes = "View.ShowFieldCodes=(VT_BOOL)\n";
const std::string kLineEndAndParagraph = "Selection.EndKey(VT_I2|VT_BYREF,VT_I2|VT_BYREF)\nSelection.TypeParagraph()\n";

std::string shrinkLog(const EqCode& code) {
  std::string log;
  for (size_t i = 0; i < code.smallOffsets.size(); ++i)
    log += "Selection.MoveRight" + kMove + "Selection.MoveRight" + kMove + "Selection.Font()\nFont.Size=(VT_R4)\n";
  return log;
}

// From showing the codes to setting the size back; `stepIn` is the first move.
std::string sizeFieldCodeLog(const EqCode& code, const std::string& stepIn) {
  return "Application.ActiveWindow()\nWindow.View()\n" + kShowCodes + "Selection." + stepIn + kMove +
         "Selection.Font()\nFont.Size()\n" + shrinkLog(code) + kShowCodes + "Selection.MoveRight" + kMove +
         "Font.Size=(VT_R4)\n";
}

std::string newFieldLog(const EqCode& code) {
  return "Application.Selection()\nSelection.Range()\nRange.Text=(VT_BSTR)\nDocument.Fields()\n"
         "Fields.Add(VT_DISPATCH,VT_I2|VT_BYREF,VT_BSTR|VT_BYREF,VT_I2|VT_BYREF)\n" +
         sizeFieldCodeLog(code, "MoveRight");
}

std::string editFieldLog(const EqCode& code) {
  return "Field.Code()\nRange.Text=(VT_BSTR)\nField.Select()\nApplication.Selection()\n" +
         sizeFieldCodeLog(code, "MoveLeft");
}

const std::string kTextLineLog = "Application.Selection()\nSelection.Range()\nRange.Text=(VT_BSTR)\n" + kLineEndAndParagraph;
const std::string kSolutionLog = "Application.Selection()\nSelection.EndKey(VT_I2|VT_BYREF,VT_I2|VT_BYREF)\n"
                                 "Selection.Range()\nRange.Text=(VT_BSTR)\n" + kLineEndAndParagraph;

// "501:1,2,0": the DISPID and the numbers of each call that carried any.
std::string numbersOf(const std::vector<RecordedCall>& calls) {
  std::ostringstream out;
  for (const RecordedCall& call : calls) {
    if (call.numbers.empty()) continue;
    out << call.id << ":";
    for (size_t i = 0; i < call.numbers.size(); ++i) out << (i ? "," : "") << call.numbers[i];
    out << "\n";
  }
  return out.str();
}

std::string expectedNewFieldNumbers(const EqCode& code, int size, int small) {
  std::ostringstream out;
  out << "105:-1,0\n4:-1\n501:1,1,0\n";
  for (int offset : code.smallOffsets) out << "501:1," << offset << ",0\n501:1,1,1\n141:" << small << "\n";
  out << "4:0\n501:1,1,0\n141:" << size << "\n";
  return out.str();
}

class WordOutputTest : public ::testing::Test {
 protected:
  WordOutputTest() { newHost(); }
  ~WordOutputTest() override { state->disconnectAll(); }

  void newHost() {
    if (state) state->disconnectAll();
    state = std::make_shared<HostState>();
    app = RecordingDispatch::wrap(wordhost::createApplication(state).detach());
  }
  wordhost::DocumentModel& document() { return state->document; }
  std::u16string story() { return document().text(0, document().length()); }
  // Text typed by the user, the insertion point at `position`, the logs empty.
  void startWith(const std::u16string& text, size_t position) {
    document().typeText(text);
    document().setSelection(position, position);
    clearLogs();
  }
  void clearLogs() {
    state->callLog.clear();
    RecordingDispatch::calls().clear();
  }
  std::string callLog() const {
    std::string out;
    for (const std::string& line : state->callLog) out += line + "\n";
    return out;
  }
  // The field the user double-clicked, as the add-in hands it over.
  ComPtr<IDispatch> firstField() {
    using namespace wordhost::testing;
    ComPtr<IDispatch> fields = get(get(app.get(), w::kDispidActiveDocument).get(), w::kDispidDocumentFields);
    CallResult item = invoke(fields.get(), w::kDispidFieldsItem, DISPATCH_METHOD, argList(Variant::fromI4(1)));
    return ComPtr<IDispatch>(item.object());
  }
  void failMember(const std::string& name, HRESULT hr) {
    state->faults.push_back({std::u16string(name.begin(), name.end()), 0, hr});
  }
  // The sizes of the field's code characters: small where `small` lists the
  // position within the code, else `normal`.
  void expectCodeSizes(const wordhost::FieldSpan& field, const std::set<size_t>& small, float smallSize,
                       float normal) {
    for (size_t pos = field.codeStart(); pos < field.codeEnd(); ++pos) {
      const bool isSmall = small.count(pos - field.codeStart()) > 0;
      EXPECT_EQ(document().story()[pos].size, isSmall ? smallSize : normal)
          << "code position " << pos - field.codeStart() << " '" << char(document().story()[pos].ch) << "'";
    }
  }

  std::shared_ptr<HostState> state;
  ComPtr<IDispatch> app;
  WordOutput output;
};

std::set<size_t> smallPositions(const EqCode& code, size_t shift) {
  std::set<size_t> out;
  for (size_t position : pendrix::testing::offsetPositions(code)) out.insert(position + shift);
  return out;
}

TEST_F(WordOutputTest, ANewFormulaLandsAsAFieldWithExactlyItsSmallCharactersShrunk) {
  ASSERT_EQ(output.setApplication(app.get()), S_OK);
  ASSERT_TRUE(output.hasApplication() && output.hasDocument());
  EXPECT_FALSE(output.hasField());
  EXPECT_EQ(callLog(), "Application.Application()\nApplication.ActiveDocument()\n");
  EXPECT_EQ(RecordingDispatch::live(), 3) << "the test's application, and the held application and document";
  startWith(u"Aufgabe:  Ende", 9);

  const EqCode square = formula(u"x^2+1");
  ASSERT_TRUE(square.smallCharactersPresent);
  output.insertFormulaAndClose(square, 50);  // 12 pt x 50 / 100: small characters of 6 pt

  EXPECT_EQ(callLog(), newFieldLog(square));
  EXPECT_EQ(numbersOf(RecordingDispatch::calls()), expectedNewFieldNumbers(square, 12, 6));
  const auto fields = document().fields();
  ASSERT_EQ(fields.size(), 1u);
  EXPECT_EQ(fields[0].begin, 9u);
  EXPECT_EQ(document().text(fields[0].codeStart(), fields[0].codeEnd()), u" " + square.text + u" ");
  expectCodeSizes(fields[0], smallPositions(square, 1), 6.0f, 12.0f);
  std::u16string smallCharacters;
  for (size_t pos : smallPositions(square, 1)) smallCharacters += document().story()[fields[0].codeStart() + pos].ch;
  EXPECT_EQ(smallCharacters, u"2)") << "the superscript and its closing parenthesis";
  EXPECT_EQ(document().text(0, 9), u"Aufgabe: ");
  EXPECT_EQ(document().text(fields[0].end + 1, document().length()), u" Ende");
  EXPECT_FALSE(document().showFieldCodes());
  EXPECT_EQ(RecordingDispatch::live(), 3) << "the command released what it fetched";

  output.releaseDocumentAndApplication();
  EXPECT_FALSE(output.hasApplication() || output.hasDocument());
  EXPECT_EQ(RecordingDispatch::live(), 1);
}

TEST_F(WordOutputTest, InsertWritesANewFieldThenEndsTheLineWithAParagraph) {
  output.setApplication(app.get());
  startWith(u"Aufgabe:  Ende", 9);
  const EqCode square = formula(u"x^2+1");
  const WordOutcome outcome = output.insertFormula(square, 70);  // 12 pt x 70 / 100 = 8
  ASSERT_TRUE(outcome.ok()) << outcome.hr;
  EXPECT_TRUE(outcome.message.empty());

  EXPECT_EQ(callLog(), newFieldLog(square) + kLineEndAndParagraph);
  EXPECT_EQ(numbersOf(RecordingDispatch::calls()), expectedNewFieldNumbers(square, 12, 8) + "505:5,0\n");
  const auto fields = document().fields();
  ASSERT_EQ(fields.size(), 1u);
  expectCodeSizes(fields[0], smallPositions(square, 1), 8.0f, 12.0f);
  EXPECT_EQ(document().text(fields[0].end + 1, document().length()), u" Ende\r");
  EXPECT_EQ(document().selection().start(), document().length()) << "in the new paragraph";
  EXPECT_EQ(RecordingDispatch::live(), 3);

  // A second formula goes into the new paragraph, also when a field is held.
  ASSERT_EQ(output.setField(firstField().get()), S_OK);
  clearLogs();
  ASSERT_TRUE(output.insertFormula(formula(u"y"), 70).ok());
  EXPECT_EQ(document().fields().size(), 2u);
  EXPECT_EQ(callLog().substr(0, 24), "Application.Selection()\n");
}

TEST_F(WordOutputTest, EditingAFieldReplacesItsCodeInPlace) {
  startWith(u"Vorher  nachher", 7);
  document().addField(7, 7, u"EQ \\r(7;3)");
  const size_t begin = document().fields()[0].begin;
  output.setApplication(app.get());
  ASSERT_EQ(output.setField(firstField().get()), S_OK);
  ASSERT_TRUE(output.hasField());
  EXPECT_EQ(RecordingDispatch::live(), 4);
  clearLogs();
  EXPECT_EQ(fieldCode(output), u" EQ \\r(7;3) ");
  EXPECT_EQ(callLog(), "Field.Code()\nRange.Text()\n");
  clearLogs();

  const EqCode code = formula(u"a^2+b^2");
  ASSERT_EQ(code.smallOffsets.size(), 4u);
  output.insertFormulaAndClose(code, 70);

  EXPECT_EQ(callLog(), editFieldLog(code));
  std::ostringstream numbers;
  numbers << "4:-1\n500:1,1,0\n";
  for (int offset : code.smallOffsets) numbers << "501:1," << offset << ",0\n501:1,1,1\n141:8\n";
  numbers << "4:0\n501:1,1,0\n141:12\n";
  EXPECT_EQ(numbersOf(RecordingDispatch::calls()), numbers.str());
  const auto fields = document().fields();
  ASSERT_EQ(fields.size(), 1u);
  EXPECT_EQ(fields[0].begin, begin) << "the field stays where it was";
  EXPECT_EQ(document().text(fields[0].codeStart(), fields[0].codeEnd()), code.text);
  expectCodeSizes(fields[0], smallPositions(code, 0), 8.0f, 12.0f);
  EXPECT_EQ(document().text(0, begin), u"Vorher ");
  EXPECT_EQ(document().text(fields[0].end + 1, document().length()), u" nachher");
  EXPECT_FALSE(document().showFieldCodes());
  EXPECT_EQ(RecordingDispatch::live(), 4);

  output.releaseDocumentAndApplication();
  EXPECT_TRUE(output.hasField()) << "the field stays held until the session ends";
  EXPECT_EQ(RecordingDispatch::live(), 2);
  output.releaseAll();
  EXPECT_EQ(RecordingDispatch::live(), 1);
  EXPECT_TRUE(fieldCode(output).empty());
}

TEST_F(WordOutputTest, TheSizeIsCutToWholePointsAndPlainFormulasOnlyReadAndSetItBack) {
  output.setApplication(app.get());
  startWith(u"ab", 0);
  document().setSelection(0, 2);
  document().setFontSize(10.5f);
  document().setSelection(1, 1);
  clearLogs();

  const EqCode plain = formula(u"x+1");
  ASSERT_FALSE(plain.smallCharactersPresent);
  output.insertFormulaAndClose(plain, 70);
  EXPECT_EQ(callLog(), newFieldLog(plain));
  size_t sizeCalls = 0;
  std::istringstream lines(callLog());
  for (std::string line; std::getline(lines, line);) sizeCalls += line.rfind("Font.Size", 0) == 0 ? 1 : 0;
  EXPECT_EQ(sizeCalls, 2u) << "one read, one set back";
  // 10.5 pt comes back as 10.
  EXPECT_EQ(numbersOf(RecordingDispatch::calls()), "105:-1,0\n4:-1\n501:1,1,0\n4:0\n501:1,1,0\n141:10\n");
}

TEST_F(WordOutputTest, TheTextLineAndTheSolutionGoInWithAParagraph) {
  output.setApplication(app.get());
  startWith(u"Aufgabe 1", 7);
  WordOutcome outcome = output.insertTextLine(u"Hallo ");
  ASSERT_TRUE(outcome.ok()) << outcome.hr;
  EXPECT_EQ(story(), u"AufgabeHallo  1\r");
  EXPECT_EQ(callLog(), kTextLineLog);
  EXPECT_EQ(numbersOf(RecordingDispatch::calls()), "505:5,0\n");

  struct Row {
    std::u16string value, condition, line;
  };
  const Row rows[] = {
      {u"3.000", u"", u"L = { 3.000 }"},
      {u"3.000", u"(x)", u"L = { 3.000 }"},
      {u"3.000", u"(x ≠ 0)", u"L = { 3.000 |x ≠ 0 }"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.line.begin(), row.line.end()));
    newHost();
    output.setApplication(app.get());
    startWith(u"Aufgabe 2", 3);
    outcome = output.insertSolution(row.value, row.condition);
    ASSERT_TRUE(outcome.ok()) << outcome.hr;
    EXPECT_EQ(callLog(), kSolutionLog);
    EXPECT_EQ(numbersOf(RecordingDispatch::calls()), "505:5,0\n505:5,0\n");
    // At the end of the insertion point's line, then a new paragraph.
    EXPECT_EQ(story(), u"Aufgabe 2" + row.line + u"\r");
    EXPECT_EQ(document().selection().start(), document().length());
    EXPECT_EQ(RecordingDispatch::live(), 3);
  }
}

TEST_F(WordOutputTest, WithoutWordNothingIsWrittenAndNothingFails) {
  startWith(u"Text", 2);
  const EqCode square = formula(u"x^2");
  output.insertFormulaAndClose(square, 8);
  EXPECT_TRUE(output.insertFormula(square, 8).ok());
  EXPECT_TRUE(output.insertTextLine(u"Zeile").ok());
  EXPECT_TRUE(output.insertSolution(u"3.000", u"").ok());
  EXPECT_TRUE(fieldCode(output).empty());
  EXPECT_EQ(callLog(), "");
  EXPECT_EQ(story(), u"Text");
  EXPECT_FALSE(output.hasApplication() || output.hasDocument() || output.hasField());
  output.releaseAll();

  // A field without an application: nothing to write it with either.
  ASSERT_EQ(output.setField(firstField().get()), E_POINTER) << "the document has no field yet";
  document().addField(0, 0, u"PAGE");
  ASSERT_EQ(output.setField(firstField().get()), S_OK);
  clearLogs();
  output.insertFormulaAndClose(square, 8);
  EXPECT_EQ(callLog(), "");
  EXPECT_EQ(fieldCode(output), u" PAGE ");
}

TEST_F(WordOutputTest, ANewApplicationReleasesTheOldObjects) {
  ASSERT_EQ(output.setApplication(app.get()), S_OK);
  EXPECT_EQ(RecordingDispatch::live(), 3);
  ASSERT_EQ(output.setApplication(app.get()), S_OK);
  EXPECT_EQ(RecordingDispatch::live(), 3) << "the first application and document were released";

  auto otherState = std::make_shared<HostState>();
  ComPtr<IDispatch> other = RecordingDispatch::wrap(wordhost::createApplication(otherState).detach());
  ASSERT_EQ(output.setApplication(other.get()), S_OK);
  EXPECT_EQ(RecordingDispatch::live(), 4);
  otherState->document.typeText(u"anderes");
  otherState->document.setSelection(0, 0);
  ASSERT_TRUE(output.insertTextLine(u"neu ").ok());
  EXPECT_EQ(otherState->document.text(0, 4), u"neu ");
  EXPECT_EQ(story(), u"") << "the first Word is left alone";

  // Word refusing its active document: the application stays, nothing is written.
  failMember("ActiveDocument", static_cast<HRESULT>(0x800A1098));
  EXPECT_EQ(output.setApplication(app.get()), static_cast<HRESULT>(0x800A1098));
  EXPECT_TRUE(output.hasApplication());
  EXPECT_FALSE(output.hasDocument());
  EXPECT_EQ(RecordingDispatch::live(), 3) << "the other Word's objects were released";
  state->faults.clear();
  clearLogs();
  EXPECT_TRUE(output.insertTextLine(u"x").ok());
  EXPECT_EQ(callLog(), "");

  EXPECT_EQ(output.setApplication(nullptr), E_POINTER);
  EXPECT_FALSE(output.hasApplication() || output.hasDocument());
  EXPECT_EQ(RecordingDispatch::live(), 2);
  failMember("Application", E_ACCESSDENIED);
  EXPECT_EQ(output.setApplication(app.get()), E_ACCESSDENIED);
  EXPECT_FALSE(output.hasApplication() || output.hasDocument());
  EXPECT_EQ(RecordingDispatch::live(), 2);
}

// --- Word's failures, member by member ---

struct Command {
  const char* name;
  // Runs the command on a session prepared for it and gives its outcome.
  std::function<WordOutcome(WordOutput&)> run;
  std::string log;
  bool newField;  // puts the code in as text and makes it a field
};

std::string memberOf(const std::string& line) {
  const size_t dot = line.find('.');
  const size_t end = line.find_first_of("(=", dot);
  return line.substr(dot + 1, end - dot - 1);
}

// The log of a command that failed at the first call of `member`: up to and with
// that call, then switching the codes off again when they were on, or taking out
// the code it had put in as text before that text became a field.
std::string logUpToFailure(const std::string& log, const std::string& member, bool newField) {
  std::istringstream lines(log);
  std::string out;
  bool codesShown = false;
  bool bareText = false;
  for (std::string line; std::getline(lines, line);) {
    out += line + "\n";
    if (memberOf(line) == member) break;
    if (line + "\n" == kShowCodes) codesShown = !codesShown;  // on, then off again
    if (newField && memberOf(line) == "Text") bareText = true;
    if (memberOf(line) == "Add") bareText = false;
  }
  if (codesShown && member != "ShowFieldCodes") out += kShowCodes;
  if (bareText) out += "Range.Text=(VT_BSTR)\n";
  return out;
}

// Members of the new-field sequence before the text becomes a field.
bool beforeTheField(const std::string& member) {
  return member == "Selection" || member == "Range" || member == "Text" || member == "Fields" || member == "Add";
}

TEST_F(WordOutputTest, EachFailingMemberStopsTheCommandWithWordsText) {
  const EqCode square = formula(u"x^2+1");
  const std::vector<Command> commands = {
      {"OK, new field", [&](WordOutput& o) { return o.insertFormulaAndClose(square, 70); }, newFieldLog(square), true},
      {"OK, field editing", [&](WordOutput& o) { return o.insertFormulaAndClose(square, 70); }, editFieldLog(square),
       false},
      {"Einfügen", [&](WordOutput& o) { return o.insertFormula(square, 70); }, newFieldLog(square) + kLineEndAndParagraph,
       true},
      {"text line", [](WordOutput& o) { return o.insertTextLine(u"Zeile"); }, kTextLineLog, false},
      {"solution", [](WordOutput& o) { return o.insertSolution(u"3.000", u""); }, kSolutionLog, false},
  };
  struct Fault {
    HRESULT injected;
    HRESULT reported;
    std::u16string message;
  };
  const Fault faults[] = {
      {DISP_E_EXCEPTION, E_FAIL, u"Injected failure"},  // Word's error with its text
      {static_cast<HRESULT>(0x800A16C1), static_cast<HRESULT>(0x800A16C1), kCommandFailed},  // none given
  };
  for (const Command& command : commands) {
    std::vector<std::string> members;
    std::istringstream lines(command.log);
    for (std::string line; std::getline(lines, line);)
      if (std::find(members.begin(), members.end(), memberOf(line)) == members.end()) members.push_back(memberOf(line));
    for (const std::string& member : members) {
      for (const Fault& fault : faults) {
        SCOPED_TRACE(std::string(command.name) + ", failing " + member + ", " + std::to_string(fault.injected));
        newHost();
        WordOutput session;
        startWith(u"Aufgabe  Ende", 8);
        const bool editing = std::string(command.name) == "OK, field editing";
        if (editing) document().addField(8, 8, u"EQ y");
        session.setApplication(app.get());
        if (editing) session.setField(firstField().get());
        const int held = RecordingDispatch::live();
        clearLogs();
        failMember(member, fault.injected);

        const WordOutcome outcome = command.run(session);

        EXPECT_EQ(callLog(), logUpToFailure(command.log, member, command.newField));
        EXPECT_FALSE(document().showFieldCodes());
        // A new field that went in before the failure is what OK edits next.
        const bool holdsNewField = command.newField && !beforeTheField(member) && std::string(command.name) == "OK, new field";
        EXPECT_EQ(RecordingDispatch::live(), held + (holdsNewField ? 1 : 0)) << "objects fetched by the command were released";
        EXPECT_EQ(session.hasField(), editing || holdsNewField);
        EXPECT_EQ(outcome.hr, fault.reported);
        EXPECT_EQ(outcome.message, fault.message);
        EXPECT_FALSE(outcome.ok());
        if (command.newField && beforeTheField(member)) {
          EXPECT_EQ(toUtf8(story()), "Aufgabe  Ende") << "no bare code is left in the document";
          EXPECT_TRUE(document().fields().empty());
        }
        // The session goes on: without the fault the command works, and OK leaves one
        // field with the formula.
        state->faults.clear();
        EXPECT_TRUE(command.run(session).ok());
        if (std::string(command.name).starts_with("OK")) {
          const std::vector<wordhost::FieldSpan> fields = document().fields();
          ASSERT_EQ(fields.size(), 1u);
          // A new field's code keeps the blanks Word puts around it.
          std::u16string code = document().text(fields[0].codeStart(), fields[0].codeEnd());
          code.erase(0, code.find_first_not_of(u' '));
          code.erase(code.find_last_not_of(u' ') + 1);
          EXPECT_EQ(code, square.text);
        }
        session.releaseAll();
        EXPECT_EQ(RecordingDispatch::live(), 1);
      }
    }
  }
}

}  // namespace
}  // namespace pendrix

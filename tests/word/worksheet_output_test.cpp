// The worksheet written into the stand-in's document in this process: what lands
// where, the custom undo record around it (or none, in a Word without them), and each
// failing Word member stopping the sheet with Word's text, the record closed.

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <sstream>
#include <string>

#include "win32/office_interfaces.h"
#include "formula/editing_helpers.h"
#include "formula/eq_writer.h"
#include "recording_dispatch.h"
#include "session/text_codec.h"
#include "word/worksheet_output_win32.h"
#include "wordhost/host_state.h"
#include "wordhost/word_objects.h"

namespace pendrix {
namespace {

namespace w = pendrix::word;
using pendrix::testing::RecordingDispatch;
using wordhost::HostState;

EqCode formula(const std::u16string& keys) {
  pendrix::testing::Editing editing;
  editing.type(keys);
  return generateEqCode(editing.grid, editing.settings.record());
}

Worksheet twoExercises() {
  Worksheet sheet;
  sheet.title = u"Lineare Gleichungen";
  sheet.requested = 2;
  WorksheetEntry first;
  first.exercise = 1;
  first.statement = u"Löse.";
  first.code = formula(u"x^2+1=10");
  first.key = u"L = { -3.000 | 3.000  }";
  WorksheetEntry second;
  second.exercise = 2;
  second.code = formula(u"3*4");
  second.key = u"= 12.000";
  sheet.entries = {first, second};
  return sheet;
}

std::u16string field(const EqCode& code) { return u"\x13 " + code.text + u" \x15"; }

std::string memberOf(const std::string& line) {
  const size_t dot = line.find('.');
  const size_t end = line.find_first_of("(=", dot);
  return line.substr(dot + 1, end - dot - 1);
}

class WorksheetOutputTest : public ::testing::Test {
 protected:
  WorksheetOutputTest() {
    state->document.setSelection(0, 0);
    app = RecordingDispatch::wrap(wordhost::createApplication(state).detach());
    output.setApplication(app.get());
    clearLogs();
  }
  ~WorksheetOutputTest() override {
    output.releaseAll();
    state->disconnectAll();
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
  std::u16string story() const { return state->document.text(0, state->document.length()); }
  void failMember(const std::string& name, HRESULT hr) {
    state->faults.push_back({std::u16string(name.begin(), name.end()), 0, hr});
  }

  std::shared_ptr<HostState> state = std::make_shared<HostState>();
  ComPtr<IDispatch> app;
  WordOutput output;
};

TEST_F(WorksheetOutputTest, HeadingExercisesPageBreakAndKeyLandAsOneUndoStep) {
  const Worksheet sheet = twoExercises();
  const int held = RecordingDispatch::live();
  ASSERT_TRUE(writeWorksheet(output, sheet, {true, 2}, 70).ok());

  const std::u16string& first = sheet.entries[0].code.text;
  EXPECT_EQ(story(), u"Arbeitsblatt: Lineare Gleichungen\r"
                     u"1) Löse. " + field(sheet.entries[0].code) + u"\r\r\r"
                     u"2) " + field(sheet.entries[1].code) + u"\r\r\r"
                     u"\fLösungen\r1) L = { -3.000 | 3.000  }\r2) = 12.000\r");
  // The first field's small characters as "Einfügen" shrinks them: 12 pt x 70 / 100.
  const auto fields = state->document.fields();
  ASSERT_EQ(fields.size(), 2u);
  std::set<size_t> small;
  for (size_t position : pendrix::testing::offsetPositions(sheet.entries[0].code)) small.insert(position + 1);
  for (size_t pos = fields[0].codeStart(); pos < fields[0].codeEnd(); ++pos)
    EXPECT_EQ(state->document.story()[pos].size, small.count(pos - fields[0].codeStart()) ? 8.0f : 12.0f)
        << "code position " << pos - fields[0].codeStart() << " of " << toUtf8(first);
  EXPECT_FALSE(state->document.showFieldCodes());
  EXPECT_EQ(state->document.selection().start(), state->document.length());

  // The record opens before the first character and closes after the last.
  const std::string log = callLog();
  EXPECT_EQ(log.rfind("Application.UndoRecord()\nUndoRecord.StartCustomRecord(VT_BSTR)\nApplication.Selection()\n"
                      "Selection.TypeText(VT_BSTR)\n", 0),
            0u)
      << log;
  const std::string end = "Selection.TypeText(VT_BSTR)\nSelection.TypeParagraph()\nUndoRecord.EndCustomRecord()\n";
  EXPECT_EQ(log.substr(log.size() - end.size()), end) << log;
  EXPECT_NE(log.find("Selection.InsertBreak(VT_I2|VT_BYREF)\n"), std::string::npos);
  EXPECT_EQ(state->undo.finished, std::vector<std::u16string>{kWorksheetUndoName});
  EXPECT_EQ(state->undo.level, 0);
  int breaks = 0;
  for (const auto& call : RecordingDispatch::calls()) {
    if (call.id != w::kDispidInsertBreak) continue;
    ++breaks;
    EXPECT_EQ(call.numbers, std::vector<double>{w::kWdPageBreak});
  }
  EXPECT_EQ(breaks, 1);
  EXPECT_EQ(RecordingDispatch::live(), held) << "the sheet released what it fetched";
}

TEST_F(WorksheetOutputTest, WithoutTheKeyOrEmptyLinesAndInAWordWithoutUndoRecords) {
  const Worksheet sheet = twoExercises();
  ASSERT_TRUE(writeWorksheet(output, sheet, {false, 0}, 70).ok());
  EXPECT_EQ(story(), u"Arbeitsblatt: Lineare Gleichungen\r1) Löse. " + field(sheet.entries[0].code) + u"\r2) " +
                         field(sheet.entries[1].code) + u"\r");

  // Word before 2010 has no Application.UndoRecord: the same sheet, without a record.
  state->document = wordhost::DocumentModel();
  state->undo = wordhost::CustomUndoState();
  clearLogs();
  failMember("UndoRecord", DISP_E_MEMBERNOTFOUND);
  ASSERT_TRUE(writeWorksheet(output, sheet, {true, 1}, 70).ok());
  EXPECT_EQ(story(), u"Arbeitsblatt: Lineare Gleichungen\r1) Löse. " + field(sheet.entries[0].code) + u"\r\r2) " +
                         field(sheet.entries[1].code) + u"\r\r\fLösungen\r1) L = { -3.000 | 3.000  }\r2) = 12.000\r");
  EXPECT_EQ(callLog().find("CustomRecord"), std::string::npos) << callLog();
  EXPECT_TRUE(state->undo.finished.empty());

  // Without a document, or with nothing drawn, nothing is written and nothing fails.
  WordOutput noWord;
  EXPECT_TRUE(writeWorksheet(noWord, sheet, {true, 2}, 70).ok());
  clearLogs();
  EXPECT_TRUE(writeWorksheet(output, Worksheet{}, {true, 2}, 70).ok());
  EXPECT_EQ(callLog(), "");
}

// Each member the sheet calls fails in turn: the sheet ends at that call with Word's
// text, the field codes are hidden again, an open record is closed, every object is
// given back, and the next sheet is written whole.
TEST_F(WorksheetOutputTest, EachFailingMemberStopsTheSheetWithWordsTextAndClosesTheRecord) {
  const Worksheet sheet = twoExercises();
  ASSERT_TRUE(writeWorksheet(output, sheet, {true, 1}, 70).ok());
  const std::string fullLog = callLog();
  std::vector<std::string> members;
  std::istringstream lines(fullLog);
  for (std::string line; std::getline(lines, line);)
    if (std::find(members.begin(), members.end(), memberOf(line)) == members.end()) members.push_back(memberOf(line));
  ASSERT_GE(members.size(), 15u) << fullLog;

  for (const std::string& member : members) {
    SCOPED_TRACE("failing " + member);
    state->document = wordhost::DocumentModel();
    state->undo = wordhost::CustomUndoState();
    state->faults.clear();
    const int held = RecordingDispatch::live();
    clearLogs();
    failMember(member, DISP_E_EXCEPTION);

    const WordOutcome outcome = writeWorksheet(output, sheet, {true, 1}, 70);

    EXPECT_FALSE(outcome.ok());
    EXPECT_EQ(outcome.message, u"Injected failure");
    // The log up to the failing call, then the codes hidden and the record closed.
    std::string expected;
    bool codesShown = false, recording = false;
    std::istringstream full(fullLog);
    for (std::string line; std::getline(full, line);) {
      expected += line + "\n";
      if (memberOf(line) == member) break;
      if (memberOf(line) == "ShowFieldCodes") codesShown = !codesShown;
      if (memberOf(line) == "StartCustomRecord") recording = true;
    }
    // A field that could not be made leaves no bare code: its text is put back empty.
    if (member == "Fields" || member == "Add") expected += "Range.Text=(VT_BSTR)\n";
    if (codesShown && member != "ShowFieldCodes") expected += "View.ShowFieldCodes=(VT_BOOL)\n";
    if (recording && member != "EndCustomRecord") expected += "UndoRecord.EndCustomRecord()\n";
    EXPECT_EQ(callLog(), expected);
    size_t codes = 0;
    for (size_t at = story().find(u"EQ "); at != std::u16string::npos; at = story().find(u"EQ ", at + 1)) ++codes;
    EXPECT_EQ(codes, state->document.fields().size()) << "a bare code stayed in the document";
    EXPECT_FALSE(state->document.showFieldCodes());
    if (member != "EndCustomRecord") {
      EXPECT_EQ(state->undo.level, 0);
    }
    EXPECT_EQ(RecordingDispatch::live(), held);

    state->faults.clear();
    state->document = wordhost::DocumentModel();
    EXPECT_TRUE(writeWorksheet(output, sheet, {true, 1}, 70).ok());
    EXPECT_EQ(state->document.fields().size(), 2u);
  }
}

}  // namespace
}  // namespace pendrix

#include "word/worksheet_output_win32.h"

#include <algorithm>
#include <span>

#include "win32/office_interfaces.h"
#include "win32/handles.h"

namespace pendrix {
namespace {

namespace w = pendrix::word;

#define PENDRIX_SHEET_RETURN_IF_FAILED(expr) \
  do {                                       \
    WordOutcome sheetOutcome_ = (expr);      \
    if (!sheetOutcome_.ok()) return sheetOutcome_; \
  } while (0)

// Word's answer for a member this Word does not have.
bool memberMissing(const WordOutcome& outcome) {
  return outcome.hr == DISP_E_MEMBERNOTFOUND || outcome.hr == DISP_E_UNKNOWNNAME;
}

WordOutcome callWithText(const WordHolder& object, DISPID id, const std::u16string& text) {
  Variant value;
  value.get()->bstrVal = SysAllocStringLen(reinterpret_cast<const wchar_t*>(text.data()), static_cast<UINT>(text.size()));
  if (!value.get()->bstrVal) return WordOutcome::failure(E_OUTOFMEMORY);
  value.get()->vt = VT_BSTR;
  return object.invoke(id, DISPATCH_METHOD, std::span<const VARIANT>(value.get(), 1));
}

// Selection.TypeText(Text), then a new paragraph.
WordOutcome typeLine(const WordHolder& selection, const std::u16string& text) {
  if (!text.empty()) PENDRIX_SHEET_RETURN_IF_FAILED(callWithText(selection, w::kDispidTypeText, text));
  return selection.call(w::kDispidTypeParagraph);
}

// Selection.InsertBreak(Type): the type by reference, as Word's type library declares it.
WordOutcome pageBreak(const WordHolder& selection) {
  short type = w::kWdPageBreak;
  VARIANT argument;
  VariantInit(&argument);
  argument.vt = VT_I2 | VT_BYREF;
  argument.piVal = &type;
  return selection.invoke(w::kDispidInsertBreak, DISPATCH_METHOD, std::span<const VARIANT>(&argument, 1));
}

// The custom undo record of one sheet: started where Word has them, ended when the
// sheet is done or, failing, when this goes.
class CustomUndoRecord {
 public:
  CustomUndoRecord() = default;
  CustomUndoRecord(const CustomUndoRecord&) = delete;
  CustomUndoRecord& operator=(const CustomUndoRecord&) = delete;
  ~CustomUndoRecord() { end(); }

  WordOutcome start(const WordHolder& application) {
    const WordOutcome got = application.getObject(w::kDispidUndoRecord, record_);
    if (memberMissing(got)) return {};  // Word before 2010
    PENDRIX_SHEET_RETURN_IF_FAILED(got);
    PENDRIX_SHEET_RETURN_IF_FAILED(callWithText(record_, w::kDispidStartCustomRecord, kWorksheetUndoName));
    open_ = true;
    return {};
  }
  WordOutcome end() noexcept {
    if (!open_) return {};
    open_ = false;
    return record_.call(w::kDispidEndCustomRecord);
  }

 private:
  WordHolder record_;
  bool open_ = false;
};

WordOutcome writeExercises(WordOutput& word, const WordHolder& selection, const Worksheet& sheet,
                           const WorksheetLayout& layout, int raiseSize) {
  const int emptyLines = std::clamp(layout.emptyLines, 0, kMaxEmptyLines);
  for (size_t i = 0; i < sheet.entries.size(); ++i) {
    const WorksheetEntry& entry = sheet.entries[i];
    // The formula follows its text line on the same line, after a blank.
    const std::u16string text = numberedLine(static_cast<int>(i + 1), entry.statement.empty() ? u"" : entry.statement + u" ");
    PENDRIX_SHEET_RETURN_IF_FAILED(callWithText(selection, w::kDispidTypeText, text));
    PENDRIX_SHEET_RETURN_IF_FAILED(word.insertFormula(entry.code, raiseSize));
    for (int line = 0; line < emptyLines; ++line) PENDRIX_SHEET_RETURN_IF_FAILED(selection.call(w::kDispidTypeParagraph));
  }
  return {};
}

WordOutcome writeKey(const WordHolder& selection, const Worksheet& sheet) {
  PENDRIX_SHEET_RETURN_IF_FAILED(pageBreak(selection));
  PENDRIX_SHEET_RETURN_IF_FAILED(typeLine(selection, kSolutionsHeading));
  for (size_t i = 0; i < sheet.entries.size(); ++i)
    PENDRIX_SHEET_RETURN_IF_FAILED(typeLine(selection, numberedLine(static_cast<int>(i + 1), sheet.entries[i].key)));
  return {};
}

WordOutcome writeSheet(WordOutput& word, const Worksheet& sheet, const WorksheetLayout& layout, int raiseSize) {
  CustomUndoRecord undo;
  PENDRIX_SHEET_RETURN_IF_FAILED(undo.start(word.application()));
  WordHolder selection;
  PENDRIX_SHEET_RETURN_IF_FAILED(word.application().getObject(w::kDispidSelection, selection));
  PENDRIX_SHEET_RETURN_IF_FAILED(typeLine(selection, kWorksheetHeading + sheet.title));
  PENDRIX_SHEET_RETURN_IF_FAILED(writeExercises(word, selection, sheet, layout, raiseSize));
  if (layout.solutions) PENDRIX_SHEET_RETURN_IF_FAILED(writeKey(selection, sheet));
  return undo.end();
}

}  // namespace

WordOutcome writeWorksheet(WordOutput& word, const Worksheet& sheet, const WorksheetLayout& layout,
                           int raiseSize) noexcept {
  try {
    if (!word.hasDocument() || sheet.entries.empty()) return {};
    return writeSheet(word, sheet, layout, raiseSize);
  } catch (...) {
    return {E_OUTOFMEMORY, {}};
  }
}

}  // namespace pendrix

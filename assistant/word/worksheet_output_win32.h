#pragma once
// Writes a worksheet at Word's selection: the heading, each exercise's numbered text
// line with its formula as "Einfügen" writes it and the empty lines for working, then,
// when asked, a page break and the answer key. Where Word offers custom undo records
// (Application.UndoRecord, Word 2010 and later) the whole sheet is one step of the
// user's undo; an older Word gets the same sheet without.

#include "exercises/worksheet.h"
#include "word/word_output_win32.h"

namespace pendrix {

inline constexpr char16_t kWorksheetUndoName[] = u"Arbeitsblatt";

struct WorksheetLayout {
  bool solutions = true;  // the page break and the key
  int emptyLines = kDefaultEmptyLines;
};

// Nothing without a document or without entries. A Word call that fails ends the
// sheet where it stands, with Word's outcome; an undo record opened is closed.
WordOutcome writeWorksheet(WordOutput& word, const Worksheet& sheet, const WorksheetLayout& layout,
                           int raiseSize) noexcept;

}  // namespace pendrix

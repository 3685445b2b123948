#include "wordhost/document_model.h"

#include <gtest/gtest.h>

#include <set>

namespace pendrix::wordhost {
namespace {

// The assistant's rule for the distances between the small characters of an EQ
// code, restated here so the host is checked against the rule and not against
// itself.
std::vector<int> smallOffsets(const std::u16string& code, char16_t separator = u';') {
  std::vector<int> out;
  size_t last = 0;
  bool inRun = false;
  int depth = 0;
  auto record = [&](size_t index) {
    int entry = static_cast<int>(index - last);
    if (out.empty()) entry += 1;
    out.push_back(entry);
    last = index;
  };
  auto at = [&](size_t i) { return i < code.size() ? code[i] : u'\0'; };
  for (size_t i = 0; i < 399 && i < code.size(); ++i) {
    if (i < 397 && at(i) == u'\\' && at(i + 1) == u'r' && at(i + 4) == separator) {
      if (at(i + 3) == u' ') continue;
      i += 3;
      record(i);
    } else if (i < 395 && at(i) == u'\\' && at(i + 1) == u's' && at(i + 2) == u'\\') {
      i += 7;
      inRun = true;
      depth = 1;
      record(i);
    } else if (inRun && depth > 0) {
      if (at(i) == u'(') ++depth;
      if (at(i) == u')') --depth;
      record(i);
    }
  }
  return out;
}

// The small characters the rule names, as indices into the code.
std::set<size_t> smallIndices(const std::u16string& code) {
  std::set<size_t> out;
  size_t index = static_cast<size_t>(-1);
  bool first = true;
  for (int offset : smallOffsets(code)) {
    index = first ? offset - 1 : index + offset;
    first = false;
    out.insert(index);
  }
  return out;
}

void shrink(DocumentModel& doc, const std::vector<int>& offsets, float small) {
  for (int offset : offsets) {
    doc.moveRight(offset, false);
    doc.moveRight(1, true);
    doc.setFontSize(small);
  }
}

// The assistant's sequence for a new field at the selection.
void insertNewField(DocumentModel& doc, const std::u16string& code, float small) {
  const size_t start = doc.selection().start();
  const size_t end = doc.replaceText(start, doc.selection().end(), code);
  doc.addField(start, end, code);
  doc.setShowFieldCodes(true);
  doc.moveRight(1, false);
  const float size = static_cast<float>(static_cast<int>(doc.fontSize()));
  shrink(doc, smallOffsets(code), small);
  doc.setShowFieldCodes(false);
  doc.moveRight(1, false);
  doc.setFontSize(size);
}

// The assistant's sequence for a field it was handed to edit.
void editField(DocumentModel& doc, int id, const std::u16string& code, float small) {
  const FieldSpan span = *doc.field(id);
  doc.replaceText(span.codeStart(), span.codeEnd(), code);
  doc.selectField(id);
  doc.setShowFieldCodes(true);
  doc.moveLeft(1, false);
  shrink(doc, smallOffsets(code), small);
  doc.setShowFieldCodes(false);
  doc.moveRight(1, false);
}

DocumentModel documentWith(const std::u16string& text) {
  DocumentModel doc;
  doc.typeText(text);
  return doc;
}

// Checks that exactly the characters the rule names are small inside the field.
void expectOnlyNamedSmall(const DocumentModel& doc, const FieldSpan& f, const std::u16string& code, size_t codeShift) {
  const std::set<size_t> named = smallIndices(code);
  ASSERT_FALSE(named.empty());
  for (size_t i = f.begin; i <= f.end; ++i) {
    const bool inCode = i >= f.codeStart() + codeShift && i < f.codeStart() + codeShift + code.size();
    const bool small = inCode && named.count(i - f.codeStart() - codeShift) > 0;
    EXPECT_EQ(doc.story()[i].size, small ? 8.0f : kDefaultSize) << "position " << i;
  }
}

TEST(DocumentModelFields, NewFieldIsPaddedAndLeavesSelectionBeforeIt) {
  DocumentModel doc = documentWith(u"ab");
  doc.setSelection(1, 1);
  const size_t end = doc.replaceText(1, 1, u"EQ x");
  EXPECT_EQ(end, 5u);
  doc.addField(1, end, u"EQ x");
  ASSERT_EQ(doc.fields().size(), 1u);
  const FieldSpan f = doc.fields()[0];
  EXPECT_EQ(doc.text(f.codeStart(), f.codeEnd()), u" EQ x ");
  EXPECT_EQ(doc.text(0, doc.length()), u"a\x13 EQ x \x15" u"b");
  EXPECT_TRUE(doc.selection().collapsed());
  EXPECT_EQ(doc.selection().start(), f.begin);
}

TEST(DocumentModelFields, NewFieldShrinksExactlyTheNamedCharacters) {
  for (const std::u16string code : {u"EQ x\\s\\up5(2) + 1", u"EQ x\\s\\do5(1)", u"EQ \\r(7;3)",
                                    u"EQ \\r(2;\\r(2;99))", u"EQ a\\s\\up5(n+1)\\s\\do5(k) = \\r(3;8)"}) {
    DocumentModel doc = documentWith(u"vor nach");
    doc.setSelection(4, 4);
    insertNewField(doc, code, 8.0f);
    ASSERT_EQ(doc.fields().size(), 1u);
    const FieldSpan f = doc.fields()[0];
    EXPECT_EQ(f.begin, 4u);
    EXPECT_EQ(doc.text(f.codeStart(), f.codeEnd()), u" " + code + u" ");
    expectOnlyNamedSmall(doc, f, code, 1);
    EXPECT_EQ(doc.text(f.end + 1, doc.length()), u"nach");
  }
}

TEST(DocumentModelFields, EditingAFieldShrinksExactlyTheNamedCharactersInPlace) {
  DocumentModel doc = documentWith(u"x y");
  doc.setSelection(2, 2);
  insertNewField(doc, u"EQ \\f(1;2)", 8.0f);
  const int id = doc.fields()[0].id;
  const std::u16string code = u"EQ x\\s\\up5(2) + 1";
  editField(doc, id, code, 8.0f);
  ASSERT_EQ(doc.fields().size(), 1u);
  const FieldSpan f = doc.fields()[0];
  EXPECT_EQ(f.begin, 2u);
  EXPECT_EQ(doc.text(f.codeStart(), f.codeEnd()), code);
  expectOnlyNamedSmall(doc, f, code, 0);
  EXPECT_EQ(doc.text(0, f.begin), u"x ");
  EXPECT_EQ(doc.text(f.end + 1, doc.length()), u"y");
}

TEST(DocumentModelFields, ReplacingTextThatHoldsOneMarkDropsTheWholeField) {
  DocumentModel doc = documentWith(u"ab");
  doc.addField(1, 1, u"EQ x");
  doc.replaceText(0, 2, u"z");  // takes the begin mark only
  EXPECT_TRUE(doc.fields().empty());
  for (const Character& c : doc.story()) EXPECT_NE(c.ch, kFieldEnd);
}

TEST(DocumentModelSteps, FieldCodesShownMakeEveryMarkAndCodeCharacterAStep) {
  DocumentModel doc = documentWith(u"a");
  doc.addField(1, 1, u"EQ");  // a { _EQ_ }
  doc.setSelection(1, 1);
  doc.setShowFieldCodes(true);
  EXPECT_EQ(doc.moveRight(2, false), 2);
  EXPECT_EQ(doc.selection().start(), 3u);  // behind begin mark and blank
  doc.setShowFieldCodes(false);
  doc.setSelection(1, 1);
  EXPECT_EQ(doc.moveRight(1, false), 1);
  EXPECT_EQ(doc.selection().start(), doc.length());  // the hidden field is one step
  EXPECT_EQ(doc.moveLeft(1, false), 1);
  EXPECT_EQ(doc.selection().start(), 1u);
}

TEST(DocumentModelSteps, ExtendSelectsAndCollapseCountsAsAStep) {
  DocumentModel doc = documentWith(u"abcdef");
  doc.setSelection(1, 1);
  doc.moveRight(2, true);
  EXPECT_EQ(doc.selection().start(), 1u);
  EXPECT_EQ(doc.selection().end(), 3u);
  EXPECT_EQ(doc.moveRight(1, false), 1);
  EXPECT_EQ(doc.selection().start(), 3u);  // just behind the selected characters
  EXPECT_TRUE(doc.selection().collapsed());
  doc.setSelection(2, 4);
  doc.moveLeft(2, false);
  EXPECT_EQ(doc.selection().start(), 1u);  // collapse to the start, then one step
  doc.setSelection(0, 0);
  EXPECT_EQ(doc.moveLeft(3, false), 0);
  doc.setSelection(6, 6);
  EXPECT_EQ(doc.moveRight(3, false), 0);
}

TEST(DocumentModelFonts, SizesFollowTheSelectionAndTheInsertionPoint) {
  DocumentModel doc = documentWith(u"abc");
  doc.setSelection(1, 2);
  doc.setFontSize(20.0f);
  EXPECT_EQ(doc.fontSize(), 20.0f);
  doc.setSelection(0, 3);
  EXPECT_EQ(doc.fontSize(), kMixedSize);
  doc.setSelection(2, 2);
  EXPECT_EQ(doc.fontSize(), 20.0f);  // from the character before
  doc.typeText(u"X");
  EXPECT_EQ(doc.story()[2].size, 20.0f);
  doc.setSelection(4, 4);
  doc.setFontSize(9.0f);
  EXPECT_EQ(doc.fontSize(), 9.0f);
  doc.typeText(u"Y");
  EXPECT_EQ(doc.story()[4].size, 9.0f);
  doc.setSelection(1, 1);
  doc.setFontSize(30.0f);
  doc.moveRight(1, false);  // a pending size does not travel with the point
  doc.typeText(u"Z");
  EXPECT_EQ(doc.story()[2].size, 20.0f);
}

TEST(DocumentModelParagraphs, EndKeyAndTypeParagraph) {
  DocumentModel doc = documentWith(u"eins");
  doc.typeParagraph();
  doc.typeText(u"zwei");
  doc.setSelection(1, 1);
  doc.endKey(MoveUnit::Line, false);
  EXPECT_EQ(doc.selection().start(), 4u);
  doc.typeParagraph();
  EXPECT_EQ(doc.text(0, doc.length()), u"eins\r\rzwei");
  doc.endKey(MoveUnit::Line, true);
  EXPECT_EQ(doc.selection().start(), 5u);
  EXPECT_EQ(doc.selection().end(), 5u);
  doc.endKey(MoveUnit::Story, true);
  EXPECT_EQ(doc.selection().end(), doc.length());
  const std::string dump = doc.dumpJson();
  EXPECT_NE(dump.find("{\"start\":5,\"characters\":[]}"), std::string::npos) << dump;
  EXPECT_NE(dump.find("\"selection\":{\"start\":5,\"end\":10}"), std::string::npos) << dump;
}

TEST(DocumentModelDoubleClick, SelectsTheFieldOrTheWord) {
  DocumentModel doc = documentWith(u"ein Wort ");
  doc.addField(9, 9, u"EQ x");
  doc.doubleClickAt(5);
  EXPECT_EQ(doc.selection().start(), 4u);
  EXPECT_EQ(doc.selection().end(), 9u);
  doc.doubleClickAt(11);
  EXPECT_EQ(doc.selection().start(), 9u);
  EXPECT_EQ(doc.selection().end(), doc.length());
  EXPECT_EQ(doc.fieldsIn(doc.selection().start(), doc.selection().end()).size(), 1u);
  const std::string dump = doc.dumpJson();
  EXPECT_NE(dump.find("\"code\":\" EQ x \""), std::string::npos) << dump;
}

// A page break is a character of the story, as Word keeps it; the dump lists where
// each one stands.
TEST(DocumentModelPageBreak, IsACharacterOfTheStoryAndListedInTheDump) {
  DocumentModel doc = documentWith(u"Aufgaben");
  EXPECT_NE(doc.dumpJson().find("\"pageBreaks\":[]"), std::string::npos);
  doc.insertPageBreak();
  doc.typeText(u"L\u00F6sungen");
  doc.typeParagraph();
  EXPECT_EQ(doc.text(0, doc.length()), u"Aufgaben\fL\u00F6sungen\r");
  EXPECT_EQ(doc.selection().start(), doc.length());
  doc.setSelection(2, 8);
  doc.insertPageBreak();  // over a selection, as typing would
  EXPECT_EQ(doc.text(0, 4), u"Au\f\f");
  const std::string dump = doc.dumpJson();
  EXPECT_NE(dump.find("\"pageBreaks\":[2,3]"), std::string::npos) << dump;
}

}  // namespace
}  // namespace pendrix::wordhost

#pragma once
// The stand-in host's document: one story of characters, each with its own point
// size. Paragraph marks, field begin, separator and end marks are characters of
// the story, as Word keeps them, so positions are plain indices between them.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace pendrix::wordhost {

inline constexpr char16_t kParagraphMark = u'\r';
inline constexpr char16_t kFieldBegin = 0x13;
inline constexpr char16_t kFieldEnd = 0x15;
// A manual page break, as Word keeps it in the story.
inline constexpr char16_t kPageBreak = 0x0C;
inline constexpr float kDefaultSize = 12.0f;
// Word answers a mixed selection's size with this value.
inline constexpr float kMixedSize = 9999999.0f;

enum class MoveUnit { Character = 1, Line = 5, Story = 6 };

struct Character {
  char16_t ch = 0;
  float size = kDefaultSize;
  int fieldId = 0;  // the field a begin or end mark belongs to; 0 otherwise
};

struct FieldSpan {
  int id = 0;
  size_t begin = 0;  // index of the begin mark
  size_t end = 0;    // index of the end mark
  size_t codeStart() const { return begin + 1; }
  size_t codeEnd() const { return end; }
};

struct Selection {
  size_t anchor = 0;
  size_t active = 0;
  size_t start() const { return anchor < active ? anchor : active; }
  size_t end() const { return anchor < active ? active : anchor; }
  bool collapsed() const { return anchor == active; }
};

// Appends `text` as a JSON string: printable ASCII as it is, all else as \uXXXX.
void appendJsonString(std::string& out, const std::u16string& text);

class DocumentModel {
 public:
  DocumentModel() = default;

  const std::vector<Character>& story() const { return story_; }
  size_t length() const { return story_.size(); }
  const Selection& selection() const { return selection_; }
  bool showFieldCodes() const { return showFieldCodes_; }
  void setShowFieldCodes(bool show) { showFieldCodes_ = show; }

  // Clamped to the story; a start after the end is swapped.
  void setSelection(size_t start, size_t end);

  std::u16string text(size_t start, size_t end) const;
  // Replaces [start, end) and returns the end of the new text. New characters take
  // the size at that point; field marks inside the range go with it, and a field
  // left with only one of its marks loses the other too.
  size_t replaceText(size_t start, size_t end, const std::u16string& text);
  // Replaces [start, end) by a field whose code is the text padded with one blank on
  // each side; the selection ends collapsed just before the field.
  int addField(size_t start, size_t end, const std::u16string& code);

  std::vector<FieldSpan> fields() const;
  std::vector<FieldSpan> fieldsIn(size_t start, size_t end) const;
  std::optional<FieldSpan> field(int id) const;
  void selectField(int id);

  // Return the number of steps taken.
  int moveRight(int count, bool extend);
  int moveLeft(int count, bool extend);
  // Line: to the end of the paragraph (before its mark); story: to the end.
  int endKey(MoveUnit unit, bool extend);
  void typeParagraph();
  void typeText(const std::u16string& text);
  // Selection.InsertBreak(wdPageBreak): the break replaces the selection, which
  // stands behind it.
  void insertPageBreak();

  // The size of the selection: one size when all characters agree, kMixedSize when
  // not; collapsed, the size that typing would get.
  float fontSize() const;
  void setFontSize(float size);

  // Word's own double-click action: the field under the point, else the word.
  void doubleClickAt(size_t position);

  std::string dumpJson() const;

 private:
  float sizeAt(size_t position) const;
  size_t stepRight(size_t position) const;
  size_t stepLeft(size_t position) const;
  void dropOrphanMarks();
  void shiftPositions(size_t start, size_t end, size_t newEnd);

  std::vector<Character> story_;
  Selection selection_;
  bool showFieldCodes_ = false;
  int nextFieldId_ = 1;
  // The size set on a collapsed selection waits there for the next typed text.
  std::optional<float> pendingSize_;
  size_t pendingAt_ = 0;
};

}  // namespace pendrix::wordhost

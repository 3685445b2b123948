#include "wordhost/document_model.h"

#include <algorithm>
#include <cstdio>

namespace pendrix::wordhost {
namespace {

bool isWordCharacter(char16_t ch) {
  return ch != u' ' && ch != u'\t' && ch != kParagraphMark && ch != kFieldBegin && ch != kFieldEnd;
}


std::string number(double value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%g", value);
  return buffer;
}

// Where a position lands when [start, end) becomes newLength characters: inside the
// old text it goes to the end of the new one, so a selection over the replaced text
// covers the new text afterwards.
size_t shifted(size_t position, size_t start, size_t end, size_t newLength) {
  if (position <= start) return position;
  if (position >= end) return position - (end - start) + newLength;
  return start + newLength;
}

}  // namespace

void appendJsonString(std::string& out, const std::u16string& text) {
  out += '"';
  for (char16_t ch : text) {
    if (ch >= 0x20 && ch < 0x7f && ch != u'"' && ch != u'\\') {
      out += static_cast<char>(ch);
    } else {
      char buffer[8];
      std::snprintf(buffer, sizeof buffer, "\\u%04x", static_cast<unsigned>(ch));
      out += buffer;
    }
  }
  out += '"';
}

void DocumentModel::setSelection(size_t start, size_t end) {
  start = std::min(start, length());
  end = std::min(end, length());
  if (start > end) std::swap(start, end);
  selection_ = {start, end};
  pendingSize_.reset();
}

std::u16string DocumentModel::text(size_t start, size_t end) const {
  end = std::min(end, length());
  std::u16string out;
  for (size_t i = start; i < end; ++i) out += story_[i].ch;
  return out;
}

float DocumentModel::sizeAt(size_t position) const {
  if (pendingSize_ && pendingAt_ == position) return *pendingSize_;
  if (position > 0 && position <= length() && story_[position - 1].ch != kParagraphMark)
    return story_[position - 1].size;
  if (position < length()) return story_[position].size;
  if (position > 0) return story_[position - 1].size;
  return kDefaultSize;
}

void DocumentModel::shiftPositions(size_t start, size_t end, size_t newEnd) {
  const size_t newLength = newEnd - start;
  selection_.anchor = shifted(selection_.anchor, start, end, newLength);
  selection_.active = shifted(selection_.active, start, end, newLength);
}

size_t DocumentModel::replaceText(size_t start, size_t end, const std::u16string& text) {
  start = std::min(start, length());
  end = std::clamp(end, start, length());
  const float size = sizeAt(start);
  story_.erase(story_.begin() + start, story_.begin() + end);
  std::vector<Character> inserted;
  for (char16_t ch : text) inserted.push_back({ch, size, 0});
  story_.insert(story_.begin() + start, inserted.begin(), inserted.end());
  const bool wasCollapsed = selection_.collapsed();
  shiftPositions(start, end, start + text.size());
  if (wasCollapsed) selection_.anchor = selection_.active;
  pendingSize_.reset();
  dropOrphanMarks();
  return std::min(start + text.size(), length());
}

void DocumentModel::dropOrphanMarks() {
  for (size_t i = story_.size(); i-- > 0;) {
    const Character& c = story_[i];
    if (c.ch != kFieldBegin && c.ch != kFieldEnd) continue;
    const bool hasBegin = std::any_of(story_.begin(), story_.end(),
                                      [&](const Character& o) { return o.ch == kFieldBegin && o.fieldId == c.fieldId; });
    const bool hasEnd = std::any_of(story_.begin(), story_.end(),
                                    [&](const Character& o) { return o.ch == kFieldEnd && o.fieldId == c.fieldId; });
    if (hasBegin && hasEnd) continue;
    story_.erase(story_.begin() + i);
    shiftPositions(i, i + 1, i);
  }
}

int DocumentModel::addField(size_t start, size_t end, const std::u16string& code) {
  start = std::min(start, length());
  end = std::clamp(end, start, length());
  const float size = sizeAt(start);
  story_.erase(story_.begin() + start, story_.begin() + end);
  const int id = nextFieldId_++;
  std::vector<Character> inserted{{kFieldBegin, size, id}};
  for (char16_t ch : u" " + code + u" ") inserted.push_back({ch, size, 0});
  inserted.push_back({kFieldEnd, size, id});
  story_.insert(story_.begin() + start, inserted.begin(), inserted.end());
  dropOrphanMarks();
  setSelection(start, start);
  return id;
}

std::vector<FieldSpan> DocumentModel::fields() const {
  std::vector<FieldSpan> out;
  for (size_t i = 0; i < story_.size(); ++i) {
    if (story_[i].ch != kFieldBegin) continue;
    for (size_t j = i + 1; j < story_.size(); ++j) {
      if (story_[j].ch == kFieldEnd && story_[j].fieldId == story_[i].fieldId) {
        out.push_back({story_[i].fieldId, i, j});
        break;
      }
    }
  }
  return out;
}

std::vector<FieldSpan> DocumentModel::fieldsIn(size_t start, size_t end) const {
  std::vector<FieldSpan> out;
  for (const FieldSpan& f : fields()) {
    const bool hit = start == end ? (f.begin < start && start <= f.end) : (f.begin < end && f.end >= start);
    if (hit) out.push_back(f);
  }
  return out;
}

std::optional<FieldSpan> DocumentModel::field(int id) const {
  for (const FieldSpan& f : fields())
    if (f.id == id) return f;
  return std::nullopt;
}

void DocumentModel::selectField(int id) {
  if (auto f = field(id)) setSelection(f->begin, f->end + 1);
}

size_t DocumentModel::stepRight(size_t position) const {
  if (position >= length()) return position;
  if (!showFieldCodes_) {
    for (const FieldSpan& f : fields())
      if (f.begin <= position && position <= f.end) return f.end + 1;
  }
  return position + 1;
}

size_t DocumentModel::stepLeft(size_t position) const {
  if (position == 0) return 0;
  if (!showFieldCodes_) {
    for (const FieldSpan& f : fields())
      if (f.begin < position && position <= f.end + 1) return f.begin;
  }
  return position - 1;
}

int DocumentModel::moveRight(int count, bool extend) {
  pendingSize_.reset();
  int steps = 0;
  if (!extend && !selection_.collapsed() && count > 0) {
    selection_ = {selection_.end(), selection_.end()};
    steps = 1;
  }
  while (steps < count && selection_.active < length()) {
    selection_.active = stepRight(selection_.active);
    if (!extend) selection_.anchor = selection_.active;
    ++steps;
  }
  return steps;
}

int DocumentModel::moveLeft(int count, bool extend) {
  pendingSize_.reset();
  int steps = 0;
  if (!extend && !selection_.collapsed() && count > 0) {
    selection_ = {selection_.start(), selection_.start()};
    steps = 1;
  }
  while (steps < count && selection_.active > 0) {
    selection_.active = stepLeft(selection_.active);
    if (!extend) selection_.anchor = selection_.active;
    ++steps;
  }
  return steps;
}

int DocumentModel::endKey(MoveUnit unit, bool extend) {
  pendingSize_.reset();
  size_t target = length();
  if (unit == MoveUnit::Line) {
    const size_t from = extend ? selection_.active : selection_.end();
    target = from;
    while (target < length() && story_[target].ch != kParagraphMark) ++target;
  }
  const int moved = static_cast<int>(target > selection_.active ? target - selection_.active : 0);
  selection_.active = target;
  if (!extend) selection_.anchor = target;
  return moved;
}

void DocumentModel::typeText(const std::u16string& text) {
  const size_t end = replaceText(selection_.start(), selection_.end(), text);
  selection_ = {end, end};
}

void DocumentModel::typeParagraph() { typeText(std::u16string(1, kParagraphMark)); }

void DocumentModel::insertPageBreak() { typeText(std::u16string(1, kPageBreak)); }

float DocumentModel::fontSize() const {
  if (selection_.collapsed()) return sizeAt(selection_.active);
  const float first = story_[selection_.start()].size;
  for (size_t i = selection_.start(); i < selection_.end(); ++i)
    if (story_[i].size != first) return kMixedSize;
  return first;
}

void DocumentModel::setFontSize(float size) {
  if (selection_.collapsed()) {
    pendingSize_ = size;
    pendingAt_ = selection_.active;
    return;
  }
  for (size_t i = selection_.start(); i < selection_.end(); ++i) story_[i].size = size;
}

void DocumentModel::doubleClickAt(size_t position) {
  for (const FieldSpan& f : fields()) {
    if (f.begin <= position && position <= f.end) {
      selectField(f.id);
      return;
    }
  }
  size_t start = std::min(position, length());
  size_t end = start;
  while (start > 0 && isWordCharacter(story_[start - 1].ch)) --start;
  while (end < length() && isWordCharacter(story_[end].ch)) ++end;
  // Word takes the blanks after a word into the selection.
  while (end < length() && story_[end].ch == u' ') ++end;
  setSelection(start, end);
}

std::string DocumentModel::dumpJson() const {
  std::string out = "{\"showFieldCodes\":";
  out += showFieldCodes_ ? "true" : "false";
  out += ",\"selection\":{\"start\":" + std::to_string(selection_.start()) +
         ",\"end\":" + std::to_string(selection_.end()) + "},\"paragraphs\":[";
  size_t paragraphStart = 0;
  bool firstParagraph = true;
  for (size_t i = 0; i <= story_.size(); ++i) {
    if (i < story_.size() && story_[i].ch != kParagraphMark) continue;
    if (!firstParagraph) out += ',';
    firstParagraph = false;
    out += "{\"start\":" + std::to_string(paragraphStart) + ",\"characters\":[";
    for (size_t j = paragraphStart; j < i; ++j) {
      if (j > paragraphStart) out += ',';
      out += "{\"pos\":" + std::to_string(j) + ",\"char\":";
      appendJsonString(out, std::u16string(1, story_[j].ch));
      out += ",\"size\":" + number(story_[j].size) + "}";
    }
    out += "]}";
    paragraphStart = i + 1;
  }
  out += "],\"fields\":[";
  int index = 1;
  for (const FieldSpan& f : fields()) {
    if (index > 1) out += ',';
    out += "{\"index\":" + std::to_string(index++) + ",\"begin\":" + std::to_string(f.begin) +
           ",\"end\":" + std::to_string(f.end) + ",\"code\":";
    appendJsonString(out, text(f.codeStart(), f.codeEnd()));
    out += "}";
  }
  out += "],\"pageBreaks\":[";
  bool firstBreak = true;
  for (size_t i = 0; i < story_.size(); ++i) {
    if (story_[i].ch != kPageBreak) continue;
    out += (firstBreak ? "" : ",") + std::to_string(i);
    firstBreak = false;
  }
  out += "]}";
  return out;
}

}  // namespace pendrix::wordhost

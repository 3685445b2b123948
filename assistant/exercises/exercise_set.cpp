#include "exercises/exercise_set.h"

#include <algorithm>

#include "exercises/exercise_file_text.h"
#include "formula/grid_codes.h"

namespace pendrix {

namespace {

constexpr int kMissingInt = 32000;
constexpr char16_t kSquareRoot = 0x221A;

const char16_t* const kTextStems[] = {u"AUFGABE", u"CHARTYP"};
const char16_t* const kExerciseTextStems[] = {u"TEXT___", u"TITEL__"};

std::u16string withRootSigns(std::u16string title) {
  std::replace(title.begin(), title.end(), ROOT_OPEN, kSquareRoot);
  return title;
}

}  // namespace

std::u16string exerciseKey(const char16_t* stem, int number) {
  std::u16string key(stem);
  for (char ch : std::to_string(number)) key += static_cast<char16_t>(ch);
  return key;
}

bool isOpenableExercisePath(const std::u16string& path) {
  return !path.empty() && path.size() < kExercisePathCapacity;
}

std::u16string ExerciseSet::readText(const std::u16string& key) const {
  return store_.readString(file_, kExerciseSection, key, u"", kExerciseValueCapacity);
}

int ExerciseSet::readInt(const std::u16string& key, int fallback) const {
  return readProfileInt(store_, file_, kExerciseSection, key, fallback);
}

void ExerciseSet::write(const std::u16string& key, const std::u16string& value) {
  store_.writeString(file_, kExerciseSection, key, value);
}

// The order of the writes is what a teacher sees in a freshly completed file.
void ExerciseSet::complete() {
  for (const char16_t* stem : kTextStems)
    for (int n = 0; n < kRowKeys; ++n)
      if (readText(exerciseKey(stem, n)).empty()) write(exerciseKey(stem, n), u"");
  for (const char16_t* stem : kExerciseTextStems)
    for (int n = 0; n < kMaxExercises; ++n)
      if (readText(exerciseKey(stem, n)).empty()) write(exerciseKey(stem, n), u"");
  const std::pair<const char16_t*, const char16_t*> integerStems[] = {
      {u"TYP____", u"0"}, {u"PARAX__", u"-1"}, {u"PARAT__", u"-1"}};
  for (const auto& [stem, fallback] : integerStems)
    for (int n = 0; n < kMaxExercises; ++n)
      if (readInt(exerciseKey(stem, n), kMissingInt) == kMissingInt) write(exerciseKey(stem, n), fallback);
  if (readInt(u"Anzahl", kMissingInt) == kMissingInt) write(u"Anzahl", u"0");
  if (readText(u"TermTyp").empty()) write(u"TermTyp", u"Term");
}

void ExerciseSet::Open(const std::u16string& path) {
  // A path cut to the field would name another file, which completing would create;
  // a file the system cannot read would lose its text to the completion.
  file_ = isOpenableExercisePath(path) ? unicodeExerciseFile(path, exerciseCopyFolder()) : u"";
  if (!file_.empty() && store_.writeKeepsContent(file_)) complete();
  count_ = file_.empty() ? 0 : std::clamp(readInt(u"Anzahl", 0), 0, kMaxExercises);
  for (int n = 0; n < kMaxExercises; ++n) {
    const bool used = n < count_;
    text_[n] = used ? readText(exerciseKey(u"TEXT___", n)) : u"";
    title_[n] = used ? withRootSigns(readText(exerciseKey(u"TITEL__", n))) : u"";
    xKind_[n] = used ? readInt(exerciseKey(u"PARAX__", n), kUnsetKind) : kUnsetKind;
    tKind_[n] = used ? readInt(exerciseKey(u"PARAT__", n), kUnsetKind) : kUnsetKind;
  }
  current_ = count_ > 0 ? 1 : 0;
  pastEnd_ = false;
}

void ExerciseSet::Select(int number) {
  pastEnd_ = false;
  if (number >= 1 && number <= count_) {
    current_ = number;
    for (int row = 0; row < kExerciseRows; ++row) {
      const int key = (number - 1) * kExerciseRows + row;
      rows_[row].clear();
      template_[row] = readText(exerciseKey(u"AUFGABE", key));
      flags_[row] = readText(exerciseKey(u"CHARTYP", key));
    }
    return;
  }
  if (number == count_ + 1 && count_ > 0) {
    pastEnd_ = true;
    current_ = 1;
    return;
  }
  current_ = 0;
}

std::u16string ExerciseSet::Title(int index) const {
  if (index == -1) index = current_ - 1;
  if (count_ == 0 || index < 0 || index >= count_) return kNoTitle;
  return title_[index];
}

const std::u16string& ExerciseSet::Text() const {
  static const std::u16string kEmpty;
  return validIndex(current_ - 1) ? text_[current_ - 1] : kEmpty;
}

ExerciseKind ExerciseSet::Kind() const {
  if (file_.empty()) return ExerciseKind::Term;
  const std::u16string kind = store_.readString(file_, kExerciseSection, u"TermTyp", u"Term",
                                                kExerciseValueCapacity);
  if (kind == u"Gleichung") return ExerciseKind::Equation;
  if (kind == u"Gleichung2") return ExerciseKind::Equation2;
  return ExerciseKind::Term;
}

}  // namespace pendrix

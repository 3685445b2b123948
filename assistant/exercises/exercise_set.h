#pragma once
// One opened exercise file (*.wrx): an INI file with the single section "AUFGABE"
// holding up to 21 exercises of three template rows each.

#include <array>
#include <cstdint>
#include <string>

#include "exercises/exercise_random.h"
#include "session/profile_store.h"

namespace pendrix {

inline constexpr char16_t kExerciseSection[] = u"AUFGABE";
inline constexpr int kMaxExercises = 21;
inline constexpr int kExerciseRows = 3;
inline constexpr int kRowKeys = kMaxExercises * kExerciseRows;  // AUFGABE0..62
inline constexpr size_t kExerciseValueCapacity = 100;           // 99 characters count
inline constexpr size_t kExercisePathCapacity = 256;
inline constexpr char16_t kNoTitle[] = u"Leer";

enum class ExerciseKind { Term = 0, Equation = 1, Equation2 = 2 };

// "AUFGABE" + 17 gives "AUFGABE17".
std::u16string exerciseKey(const char16_t* stem, int number);

// Whether the path fits the set's file field; a longer one opens as an empty set.
bool isOpenableExercisePath(const std::u16string& path);

class ExerciseSet {
 public:
  // `store` must outlive the set.
  explicit ExerciseSet(ProfileStore& store) : store_(store) {}

  // Completes the file with every missing key, then reads the exercise list. A path
  // longer than 255 characters gives a set without exercises and touches no file; a
  // file the profile functions cannot read is read as it is, without completion. A
  // UTF-8 file is first turned into UTF-16 (exercises/exercise_file_text.h).
  void Open(const std::u16string& path);
  // 1..count chooses an exercise, count + 1 marks past the end with exercise 1
  // current, anything else chooses none.
  void Select(int number);
  std::u16string Title(int index) const;
  const std::u16string& Text() const;
  ExerciseKind Kind() const;
  const std::u16string& Template(int row) const { return template_[clampRow(row)]; }
  const std::u16string& Flags(int row) const { return flags_[clampRow(row)]; }
  std::u16string& Rows(int row) { return rows_[clampRow(row)]; }
  const std::u16string& Rows(int row) const { return rows_[clampRow(row)]; }

  const std::u16string& file() const { return file_; }
  int count() const { return count_; }
  int current() const { return current_; }
  bool pastEnd() const { return pastEnd_; }
  int xKind(int index) const { return validIndex(index) ? xKind_[index] : kUnsetKind; }
  int tKind(int index) const { return validIndex(index) ? tKind_[index] : kUnsetKind; }

 private:
  static int clampRow(int row) { return row < 0 ? 0 : (row > 2 ? 2 : row); }
  bool validIndex(int index) const { return index >= 0 && index < count_; }
  void complete();
  std::u16string readText(const std::u16string& key) const;
  int readInt(const std::u16string& key, int fallback) const;
  void write(const std::u16string& key, const std::u16string& value);

  ProfileStore& store_;
  std::u16string file_;
  int count_ = 0;
  int current_ = 0;
  bool pastEnd_ = false;
  std::array<std::u16string, kMaxExercises> text_;
  std::array<std::u16string, kMaxExercises> title_;
  std::array<int, kMaxExercises> xKind_{};
  std::array<int, kMaxExercises> tKind_{};
  std::array<std::u16string, kExerciseRows> template_;
  std::array<std::u16string, kExerciseRows> flags_;
  std::array<std::u16string, kExerciseRows> rows_;
};

}  // namespace pendrix

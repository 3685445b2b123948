#include "exercises/exercise_menus.h"

#include <algorithm>

namespace pendrix {

std::u16string exerciseFileTitle(const std::u16string& path) {
  const size_t slash = path.find_last_of(u"\\/");
  std::u16string name = slash == std::u16string::npos ? path : path.substr(slash + 1);
  const size_t dot = name.rfind(u'.');
  if (dot != std::u16string::npos && dot > 0) name.erase(dot);
  return name;
}

namespace {

// Latin-1 letters fold as Windows folds them in file names; that covers the umlauts.
char16_t foldCase(char16_t c) {
  if ((c >= u'a' && c <= u'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) return static_cast<char16_t>(c - 32);
  return c;
}

bool sameTitle(const std::u16string& a, const std::u16string& b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char16_t x, char16_t y) { return foldCase(x) == foldCase(y); });
}

}  // namespace

std::vector<std::u16string> mergeExerciseFolders(const std::vector<std::vector<std::u16string>>& folders) {
  std::vector<std::u16string> merged;
  std::vector<std::u16string> titles;
  for (const std::vector<std::u16string>& folder : folders) {
    const size_t earlier = titles.size();
    for (const std::u16string& path : folder) {
      const std::u16string title = exerciseFileTitle(path);
      const auto listed = titles.begin() + static_cast<std::ptrdiff_t>(earlier);
      if (std::any_of(titles.begin(), listed, [&](const std::u16string& t) { return sameTitle(t, title); })) continue;
      merged.push_back(path);
      titles.push_back(title);
    }
  }
  return merged;
}

void ExerciseMenus::build(const std::vector<std::u16string>& foundPaths) {
  files_.clear();
  set_.reset();
  command_.setExerciseSet(nullptr, ExerciseKind::Term);
  for (const std::u16string& path : foundPaths) {
    if (files_.size() >= kMaxExerciseFiles) break;
    if (!isOpenableExercisePath(path)) continue;  // shorter than the entry's 399 characters too
    files_.push_back({exerciseFileTitle(path).substr(0, kMaxExerciseTitle), path});
  }
  // The menu number alone is an index in an earlier listing; the remembered file is
  // found again by its path, or by its title where another folder's file now wins.
  const int remembered = settings_->menuNumber;
  currentFileIndex_ = remembered >= 0 && remembered < static_cast<int>(files_.size()) ? remembered : -1;
  // Plain code order: every capital before every small letter, as the menu always listed them.
  std::stable_sort(files_.begin(), files_.end(),
                   [](const ExerciseFileEntry& a, const ExerciseFileEntry& b) { return a.title < b.title; });
  const std::u16string& path = settings_->exercisePath;
  auto found = std::find_if(files_.begin(), files_.end(), [&](const ExerciseFileEntry& e) { return e.path == path; });
  if (found == files_.end() && !path.empty()) {
    const std::u16string title = exerciseFileTitle(path);
    found = std::find_if(files_.begin(), files_.end(), [&](const ExerciseFileEntry& e) { return sameTitle(e.title, title); });
  }
  if (found != files_.end()) restore(static_cast<size_t>(found - files_.begin()));
}

// The file of the last session: its exercise again, if the file still has it.
void ExerciseMenus::restore(size_t entry) {
  currentFileIndex_ = static_cast<int>(entry);
  open(files_[entry].path);
  const int number = settings_->exerciseNumber;
  if (number >= 1 && number <= set_->count()) {
    command_.restoreNumber(number);
  } else {
    command_.restoreNumber(-1);
    command_.setExerciseSet(nullptr, ExerciseKind::Term);
    set_.reset();
  }
}

bool ExerciseMenus::chooseFile(int index) {
  if (index >= static_cast<int>(files_.size())) return false;
  if (index >= 0) {
    currentFileIndex_ = index;
    settings_.setMenuNumber(index);
  } else if (currentFileIndex_ < 0) {
    notifier_.showInfo(kProgramCaption, kChooseAreaFirst);
    return false;
  }
  const ExerciseFileEntry& entry = files_[static_cast<size_t>(currentFileIndex_)];
  open(entry.path);
  settings_.setExercisePath(entry.path);
  return true;
}

std::vector<std::u16string> ExerciseMenus::exerciseTitles() const {
  std::vector<std::u16string> titles;
  if (!set_) return titles;
  for (int i = 0; i < set_->count(); ++i) titles.push_back(set_->Title(i));
  return titles;
}

void ExerciseMenus::open(const std::u16string& path) {
  command_.setExerciseSet(nullptr, ExerciseKind::Term);
  set_ = std::make_unique<ExerciseSet>(store_);
  set_->Open(path);
  command_.setExerciseSet(set_.get(), set_->Kind());
}

}  // namespace pendrix

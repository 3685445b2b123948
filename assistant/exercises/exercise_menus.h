#pragma once
// What the two exercise menus offer and remember: the exercise files found beside
// the program (sorted by title), the chosen file and its open exercise set, and the
// choice restored from the settings at the next start. The dialog draws the menus
// from this and forwards the user's picks.

#include <memory>
#include <string>
#include <vector>

#include "exercises/exercise_command.h"
#include "exercises/exercise_set.h"
#include "session/notifier.h"
#include "session/profile_store.h"
#include "session/settings.h"

namespace pendrix {

inline constexpr char16_t kChooseAreaFirst[] = u"Bitte zuerst einen Bereich auswählen.";
inline constexpr size_t kMaxExerciseFiles = 40;
inline constexpr size_t kMaxExerciseTitle = 199;
inline constexpr size_t kMaxExercisePath = 399;

struct ExerciseFileEntry {
  std::u16string title;  // the file name without its extension
  std::u16string path;
};

// The title of "C:\x\Lineare Gleichungen.wrx": "Lineare Gleichungen".
std::u16string exerciseFileTitle(const std::u16string& path);

// The exercise files of several folders as one list, each folder's in the order the
// system found them, the folders in the order given. A file whose title an earlier
// folder has listed already (letters compared regardless of case, as Windows compares
// file names) is left out: the earlier folder's file wins.
std::vector<std::u16string> mergeExerciseFolders(const std::vector<std::vector<std::u16string>>& folders);

class ExerciseMenus {
 public:
  // All must outlive this object.
  ExerciseMenus(ProfileStore& store, Settings& settings, ExerciseCommand& command, Notifier& notifier)
      : store_(store), settings_(settings), command_(command), notifier_(notifier) {}

  // The files as the system found them. At most the first 40 are listed; a path
  // longer than an exercise set can open (255 characters) is passed over, a title
  // longer than 199 is cut. The file the settings remember is opened again with its
  // exercise, when that still exists, and is the current area wherever the sorting
  // puts it now; a remembered file that another folder's file of the same title now
  // stands for is found by its title.
  void build(const std::vector<std::u16string>& foundPaths);

  const std::vector<ExerciseFileEntry>& files() const { return files_; }
  int currentFileIndex() const { return currentFileIndex_; }
  int currentExerciseNumber() const { return command_.lastNumber(); }
  const ExerciseSet* openSet() const { return set_.get(); }

  // The file menu's pick (0 and up) or the "ATyp" button (-1, the current file):
  // opens the file and remembers it. False, after telling the user, when -1 finds
  // no file chosen yet; false too when the index is out of range.
  bool chooseFile(int index);
  // The exercise menu's pick, from 1.
  void chooseExercise(int number) { command_.run(number); }
  // The titles of the open file's exercises, for the exercise menu.
  std::vector<std::u16string> exerciseTitles() const;

 private:
  void open(const std::u16string& path);
  void restore(size_t entry);

  ProfileStore& store_;
  Settings& settings_;
  ExerciseCommand& command_;
  Notifier& notifier_;
  std::vector<ExerciseFileEntry> files_;
  int currentFileIndex_ = -1;
  std::unique_ptr<ExerciseSet> set_;
};

}  // namespace pendrix

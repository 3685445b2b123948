#pragma once
// Where the exercise menus find exercise files: a folder of the user's own, which any
// user may write, one the school's administrator fills for every user of the
// computer, and the install directory with the shipped library. A file of the same
// name counts once, from the first of these folders that has it, so a teacher's own
// copy of a shipped area takes its place.

#include <string>
#include <vector>

namespace pendrix {

inline constexpr char16_t kUserExerciseFolder[] = u"Pendrix-Aufgaben";          // in "Dokumente"
inline constexpr char16_t kAllUsersExerciseFolder[] = u"Pendrix\\Aufgaben";      // in ProgramData

// "Dokumente\Pendrix-Aufgaben" of the user, made when it is missing; empty when the
// user has no documents folder.
std::u16string userExerciseFolder();
// "C:\ProgramData\Pendrix\Aufgaben" (not made: the installer makes it, the
// administrator fills it).
std::u16string allUsersExerciseFolder();

// The *.wrx files of one folder, in the order the system lists them.
std::vector<std::u16string> findExerciseFiles(const std::u16string& folder);

// The files of all three folders, merged (exercises/exercise_menus.h).
std::vector<std::u16string> listExerciseFiles(const std::u16string& installDirectory);

}  // namespace pendrix

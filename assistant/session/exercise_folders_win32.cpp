#include "session/exercise_folders_win32.h"

#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

#include "exercises/exercise_menus.h"
#include "win32/handles.h"

namespace pendrix {
namespace {

using UniqueTaskMemory = UniqueHandle<PWSTR, CoTaskMemFree>;

std::u16string knownFolder(REFKNOWNFOLDERID id) {
  UniqueTaskMemory path;
  if (FAILED(SHGetKnownFolderPath(id, KF_FLAG_DEFAULT, nullptr, path.put()))) return {};
  return fromWide(path.get());
}

class FileSearch {
 public:
  FileSearch(const std::u16string& pattern, WIN32_FIND_DATAW& found) : handle_(FindFirstFileW(wide(pattern), &found)) {}
  ~FileSearch() {
    if (handle_ != INVALID_HANDLE_VALUE) FindClose(handle_);
  }
  FileSearch(const FileSearch&) = delete;
  FileSearch& operator=(const FileSearch&) = delete;
  bool found() const { return handle_ != INVALID_HANDLE_VALUE; }
  bool next(WIN32_FIND_DATAW& found) { return FindNextFileW(handle_, &found) != FALSE; }

 private:
  HANDLE handle_;
};

}  // namespace

std::u16string userExerciseFolder() {
  const std::u16string documents = knownFolder(FOLDERID_Documents);
  if (documents.empty()) return {};
  const std::u16string folder = documents + u"\\" + kUserExerciseFolder;
  // Made on first use, so that the guide can send teachers there; a folder that cannot
  // be made is simply not listed.
  if (!CreateDirectoryW(wide(folder), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return {};
  return folder;
}

std::u16string allUsersExerciseFolder() {
  const std::u16string programData = knownFolder(FOLDERID_ProgramData);
  return programData.empty() ? std::u16string() : programData + u"\\" + kAllUsersExerciseFolder;
}

// Without an install directory the pattern is the bare "\*.wrx": the root of the
// current drive, as the assistant always searched it.
std::vector<std::u16string> findExerciseFiles(const std::u16string& folder) {
  std::vector<std::u16string> paths;
  WIN32_FIND_DATAW found{};
  FileSearch search(folder + u"\\*.wrx", found);
  if (!search.found()) return paths;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) paths.push_back(folder + u"\\" + fromWide(found.cFileName));
  } while (search.next(found));
  return paths;
}

std::vector<std::u16string> listExerciseFiles(const std::u16string& installDirectory) {
  std::vector<std::vector<std::u16string>> folders;
  for (const std::u16string& folder : {userExerciseFolder(), allUsersExerciseFolder()})
    if (!folder.empty() && folder != installDirectory) folders.push_back(findExerciseFiles(folder));
  folders.push_back(findExerciseFiles(installDirectory));
  return mergeExerciseFolders(folders);
}

}  // namespace pendrix

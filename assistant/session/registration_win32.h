#pragma once
// The class registration of "Pendrix.Application" as a local automation server,
// which a normal start repairs and which the install directory is found through.

#include <windows.h>

#include <string>

namespace pendrix {

// Where a registration went.
enum class RegistrationScope { None, Machine, User };

// Writes ProgID and class id both ways and LocalServer32 = `serverPath`. The
// machine-wide classes (HKEY_CLASSES_ROOT) are tried first; a user without the
// rights for them gets the same entries under HKCU\Software\Classes, which Windows
// merges into HKEY_CLASSES_ROOT for that user. The roots are parameters for tests.
RegistrationScope registerAssistantClass(const std::u16string& serverPath, HKEY machineClasses = HKEY_CLASSES_ROOT,
                                         HKEY user = HKEY_CURRENT_USER);

// This program's path, in its short 8.3 form where the file system has one.
std::u16string serverPathOfThisProgram();

}  // namespace pendrix

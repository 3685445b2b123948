#pragma once
// Enters the Word add-in in Word's add-in list, or removes it, without the add-in's
// own self-registration: an installer or an administrator switches the add-in on
// for the current user or for all users with these routines. Only the Office
// add-in key is touched; the class registration stays the add-in's business.
//
// Nothing is reported: a registry call that fails is passed over. The result says
// whether the key is as wanted afterwards, for the program's exit code.

#include <windows.h>

#include <string>

namespace pendrix::tools {

// "Software\Microsoft\Office\<targetApp>\Addins\Glyphor.ZombAddin".
std::string officeAddinKey(const std::string& targetApp);

// Creates the add-in key under `hive`; only a newly created key gets its values
// (FriendlyName, Description, LoadBehavior, CommandLineSafe), so an existing entry,
// such as the add-in's own registration, keeps whatever it holds. Under
// HKEY_LOCAL_MACHINE it goes into both registry views, for 64-bit and for 32-bit Word;
// HKEY_CURRENT_USER\Software is one key for both.
LSTATUS RegisterOfficeAddin(HKEY hive, const std::string& targetApp);

// Deletes the add-in key under `hive`, in both views of HKEY_LOCAL_MACHINE; a key that
// is not there is no error.
LSTATUS UnRegisterOfficeAddin(HKEY hive, const std::string& targetApp);

// The entry routines of the three programs.
LSTATUS RegisterAll(HKEY hive);  // Word, in `hive`
LSTATUS UnregisterAll();         // Word, for the current user and then for all users

// Runs an entry routine as a program's start routine: its result becomes the exit
// code (0 when the key is as wanted); no exception leaves, none is shown.
int runEntryRoutine(LSTATUS (*routine)());

}  // namespace pendrix::tools

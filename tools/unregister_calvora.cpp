// UnRegisterCalvora: removes the Word add-in for the current user and for all users,
// without a window.
#include "office_addin_registration.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  return pendrix::tools::runEntryRoutine(pendrix::tools::UnregisterAll);
}

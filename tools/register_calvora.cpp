// RegisterCalvora: enters the Word add-in for the current user, without a window.
#include "office_addin_registration.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  return pendrix::tools::runEntryRoutine([] { return pendrix::tools::RegisterAll(HKEY_CURRENT_USER); });
}

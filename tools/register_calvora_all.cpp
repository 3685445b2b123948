// RegisterCalvoraAll: enters the Word add-in for all users, without a window.
#include "office_addin_registration.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  return pendrix::tools::runEntryRoutine([] { return pendrix::tools::RegisterAll(HKEY_LOCAL_MACHINE); });
}

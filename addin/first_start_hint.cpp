#include "first_start_hint.h"

#include <windows.h>

namespace pendrix::addin {

bool firstStartHintShown() {
  DWORD shown = 0;
  DWORD size = sizeof shown;
  return RegGetValueW(HKEY_CURRENT_USER, kFirstStartHintKey, kFirstStartHintValue, RRF_RT_REG_DWORD, nullptr, &shown,
                      &size) == ERROR_SUCCESS &&
         shown != 0;
}

void rememberFirstStartHintShown() {
  const DWORD shown = 1;
  RegSetKeyValueW(HKEY_CURRENT_USER, kFirstStartHintKey, kFirstStartHintValue, REG_DWORD, &shown, sizeof shown);
}

}  // namespace pendrix::addin

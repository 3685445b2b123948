// Pendrix.exe: the assistant's dialog program and local automation server.

#include <windows.h>

#include "session/entry_win32.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
  return pendrix::runAssistant(instance, commandLine);
}

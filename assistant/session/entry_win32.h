#pragma once
// The assistant's program entry.

#include <windows.h>

namespace pendrix {

// Initialises OLE, finds the install directory and loads the settings, registers
// the class factory (started by COM) or repairs the class registration (started by
// a user), and runs the main dialog. Returns the process's exit code.
int runAssistant(HINSTANCE instance, const wchar_t* commandLine);

}  // namespace pendrix

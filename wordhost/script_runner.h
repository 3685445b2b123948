#pragma once
// The host's script: control operations one a line
// ("InsertText Hallo", "MoveRight 1 0", "ShowFieldCodes 1"), run on the
// Application through IDispatch as a client would make them.

#include <windows.h>
#include <oaidl.h>

#include <string>

#include "win32/late_binding.h"

namespace pendrix::wordhost {

struct ScriptResult {
  bool ok = true;
  size_t line = 0;  // 1-based line of the first failure
  std::string message;
};

ScriptResult runScript(IDispatch* application, const std::string& scriptUtf8);

}  // namespace pendrix::wordhost

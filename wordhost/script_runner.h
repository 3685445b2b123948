#pragma once
// Late-bound calls by name, and the host's script: control operations one a line
// ("InsertText Hallo", "MoveRight 1 0", "ShowFieldCodes 1"), run on the
// Application through IDispatch as a client would make them.

#include <windows.h>
#include <oaidl.h>

#include <string>
#include <vector>

#include "session/com_win32.h"

namespace pendrix::wordhost {

// Variants are move-only, so an argument list is built by moving them in.
template <typename... V>
std::vector<Variant> argList(V&&... values) {
  std::vector<Variant> out;
  (out.push_back(std::move(values)), ...);
  return out;
}

// Arguments in their natural order; a put passes the value as the only argument.
HRESULT callByName(IDispatch* object, const wchar_t* name, WORD kind, std::vector<Variant> args, Variant& result);
HRESULT getObject(IDispatch* object, const wchar_t* name, ComPtr<IDispatch>& out);

struct ScriptResult {
  bool ok = true;
  size_t line = 0;  // 1-based line of the first failure
  std::string message;
};

ScriptResult runScript(IDispatch* application, const std::string& scriptUtf8);

}  // namespace pendrix::wordhost

#pragma once
// The Word in the running object table: Word registers its Application there, and so
// does the stand-in.

#include <windows.h>
#include <ole2.h>

#include "win32/office_interfaces.h"
#include "win32/com.h"

namespace pendrix::testing {

inline ComPtr<IDispatch> runningWord() {
  ComPtr<IUnknown> unknown;
  ComPtr<IDispatch> app;
  if (SUCCEEDED(GetActiveObject(word::kClsidApplication, nullptr, unknown.put())))
    unknown->QueryInterface(IID_IDispatch, app.putVoid());
  return app;
}

}  // namespace pendrix::testing

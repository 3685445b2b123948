#pragma once
// The shared class ids as the COM functions take them.

#include <windows.h>

#include "win32/class_ids.h"

namespace pendrix {

inline CLSID toClsid(const ClassId& id) {
  CLSID clsid;
  clsid.Data1 = id.data1;
  clsid.Data2 = id.data2;
  clsid.Data3 = id.data3;
  for (int i = 0; i < 8; ++i) clsid.Data4[i] = id.data4[i];
  return clsid;
}

}  // namespace pendrix

#pragma once
// The COMAddIn object Word hands to an add-in in OnConnection: the add-in's own
// entry in Word's add-in collection. Served by name only (no type library):
// ProgId and Description (get), Connect (get and put: putting False unloads the
// add-in, True loads it).

#include <windows.h>
#include <oaidl.h>

#include <span>
#include <string>

#include "win32/com_object.h"

namespace pendrix::wordhost {

class AddinLoader;

inline constexpr DISPID kDispidComAddinProgId = 1;
inline constexpr DISPID kDispidComAddinDescription = 2;
inline constexpr DISPID kDispidComAddinConnect = 3;

class ComAddin final : public DispatchObject<ComAddin> {
 public:
  ComAddin(AddinLoader* loader, std::wstring progId, std::wstring description);

  // The loader lets go of the object; an add-in may keep it longer than the connection.
  void detachLoader() { loader_ = nullptr; }

  static std::span<const DispatchMember<ComAddin>> members();

 private:
  HRESULT progId(DispatchCall& call);
  HRESULT description(DispatchCall& call);
  HRESULT connect(DispatchCall& call);

  AddinLoader* loader_;
  const std::wstring progId_;
  const std::wstring description_;
};

}  // namespace pendrix::wordhost

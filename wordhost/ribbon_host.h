#pragma once
// What a ribbon-era Word does with an add-in it connects: it asks the add-in for
// IRibbonExtensibility, takes the customUI XML of its ribbon and calls the callbacks
// the XML names on the add-in's IDispatch. The add-in loader asks; a host with a ribbon
// receives the XML here, and drops it again when the add-in is disconnected.

#include <windows.h>
#include <oaidl.h>

#include <string>

namespace pendrix::wordhost {

struct RibbonHost {
  virtual ~RibbonHost() = default;
  // `customUi` as GetCustomUI gave it (empty: nothing to add); `callbacks` the add-in's IDispatch.
  virtual void addRibbon(const std::wstring& progId, const std::wstring& customUi, IDispatch* callbacks) = 0;
  virtual void removeRibbon(const std::wstring& progId) = 0;
};

}  // namespace pendrix::wordhost

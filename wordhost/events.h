#pragma once
// The calls that fire the host's events (the application's and each command-bar
// button's); the connection points are in events.cpp. Sinks live in the host
// state, so every wrapper of the same button reaches the same sinks.

#include <windows.h>
#include <oaidl.h>

#include <memory>
#include <string>

#include "wordhost/dispatch_base.h"
#include "wordhost/host_state.h"

namespace pendrix::wordhost {

// Calls `id` on every sink with (object, flag by reference); the sinks see the
// flag as the ones before them left it. Returns the flag and the number of sinks.
struct FireResult {
  bool flag = false;
  int sinks = 0;
};
FireResult fireEvent(HostState& state, SinkList& sinks, DISPID id, IDispatch* object);

// Word's reaction to a double click on a field (1-based index) or at a story
// position: the field is selected, WindowBeforeDoubleClick goes to the sinks,
// and unless one sets Cancel the host does its own double-click action.
// Returns whether a sink cancelled; E_INVALIDARG for a field that does not exist.
HRESULT doubleClickField(const std::shared_ptr<HostState>& state, long index, bool& cancelled);
void doubleClickAt(const std::shared_ptr<HostState>& state, size_t position, bool& cancelled);

// Fires Click of a button, found by caption or tag on any bar.
HRESULT clickControl(const std::shared_ptr<HostState>& state, const std::u16string& captionOrTag, int& sinks);
FireResult clickButton(const std::shared_ptr<HostState>& state, int barId, int buttonId);

}  // namespace pendrix::wordhost

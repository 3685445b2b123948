#pragma once
// Connection points for the host's event sources (the application and each
// command-bar button), and the calls that fire their events. Sinks live in the
// host state, so every wrapper of the same button reaches the same sinks.

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <functional>
#include <memory>
#include <vector>

#include "wordhost/dispatch_base.h"
#include "wordhost/host_state.h"

namespace pendrix::wordhost {

// Finds the sinks of the source; null when the source is gone.
using SinkResolver = std::function<SinkList*(HostState&)>;

// Embedded in its owner object and counted with it.
class PointContainer final : public IConnectionPointContainer {
 public:
  PointContainer(DispatchObject& owner, std::vector<IID> iids, SinkResolver resolver);

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** out) override;
  HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid, IConnectionPoint** out) override;

 private:
  DispatchObject& owner_;
  std::vector<IID> iids_;
  SinkResolver resolver_;
};

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

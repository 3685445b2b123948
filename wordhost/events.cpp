#include "wordhost/events.h"

#include <ocidl.h>
#include <olectl.h>

#include <algorithm>
#include <cstdio>
#include <span>

#include "wordhost/command_bars.h"
#include "wordhost/word_objects.h"

namespace pendrix::wordhost {
namespace {

class ConnectionPoint final : public ComObject<ConnectionPoint, IConnectionPoint> {
 public:
  ConnectionPoint(const IID& iid, IConnectionPointContainer* container, std::shared_ptr<HostState> state,
                  SinkResolver resolver)
      : iid_(iid), container_(container), state_(std::move(state)), resolver_(std::move(resolver)) {}

  static std::span<const InterfaceEntry<ConnectionPoint>> interfaces() {
    static constexpr InterfaceEntry<ConnectionPoint> table[] = {
        interfaceEntry<ConnectionPoint, IConnectionPoint>(IID_IConnectionPoint)};
    return table;
  }

  HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override {
    if (!iid) return E_POINTER;
    *iid = iid_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** out) override {
    if (!out) return E_POINTER;
    *out = ComPtr<IConnectionPointContainer>(container_.get()).detach();
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override {
    if (!sink || !cookie) return E_POINTER;
    *cookie = 0;
    return guardedCall([&]() -> HRESULT {
      SinkList* sinks = resolver_(*state_);
      if (!sinks) return kObjectDeleted;
      if (sinks->entries.size() >= SinkList::kMaxSinks) return CONNECT_E_ADVISELIMIT;
      // A sink in another process answers only IDispatch: without a type library
      // its proxy cannot be asked for the event interface.
      ComPtr<IDispatch> dispatch;
      if (FAILED(sink->QueryInterface(iid_, dispatch.putVoid())) &&
          FAILED(sink->QueryInterface(IID_IDispatch, dispatch.putVoid())))
        return CONNECT_E_CANNOTCONNECT;
      sinks = resolver_(*state_);  // the calls above may have let the source go
      if (!sinks) return kObjectDeleted;
      const DWORD next = sinks->nextCookie++;
      sinks->entries.push_back({next, std::move(dispatch)});
      *cookie = next;
      return S_OK;
    });
  }

  HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override {
    return guardedCall([&]() -> HRESULT {
      SinkList* sinks = resolver_(*state_);
      if (!sinks) return CONNECT_E_NOCONNECTION;
      const auto it = std::find_if(sinks->entries.begin(), sinks->entries.end(),
                                   [&](const SinkList::Entry& e) { return e.cookie == cookie; });
      if (it == sinks->entries.end()) return CONNECT_E_NOCONNECTION;
      // Released after the list is consistent: the sink's release may call back.
      ComPtr<IDispatch> dropped = std::move(it->sink);
      sinks->entries.erase(it);
      return S_OK;
    });
  }

  HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** out) override {
    if (out) *out = nullptr;
    return E_NOTIMPL;
  }

 private:
  IID iid_;
  ComPtr<IConnectionPointContainer> container_;
  std::shared_ptr<HostState> state_;
  SinkResolver resolver_;
};

}  // namespace

HRESULT STDMETHODCALLTYPE DispatchObject::EnumConnectionPoints(IEnumConnectionPoints** out) {
  if (out) *out = nullptr;
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE DispatchObject::FindConnectionPoint(REFIID iid, IConnectionPoint** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (std::find(eventIids_.begin(), eventIids_.end(), iid) == eventIids_.end()) return CONNECT_E_NOCONNECTION;
  *out = makeComObject<ConnectionPoint>(iid, this, sharedState(), sinks_).detach();
  return *out ? S_OK : E_OUTOFMEMORY;
}

FireResult fireEvent(HostState& state, SinkList& sinks, DISPID id, IDispatch* object) {
  // A copy: a sink may advise or unadvise while it is called.
  const std::vector<SinkList::Entry> targets = sinks.entries;
  VARIANT_BOOL flag = VARIANT_FALSE;
  FireResult result;
  struct DepthGuard {
    int& depth;
    explicit DepthGuard(int& d) : depth(d) { ++depth; }
    ~DepthGuard() { --depth; }
  } guard(state.eventDepth);
  for (const SinkList::Entry& target : targets) {
    VARIANT args[2];
    args[1].vt = VT_DISPATCH;
    args[1].pdispVal = object;
    args[0].vt = VT_BYREF | VT_BOOL;
    args[0].pboolVal = &flag;
    DISPPARAMS params{args, nullptr, 2, 0};
    Variant ignored;
    const HRESULT hr = target.sink->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, ignored.put(),
                                           nullptr, nullptr);
    // Word goes on whatever a sink answers; the log lets a test see a sink that failed.
    if (FAILED(hr)) {
      char line[64];
      std::snprintf(line, sizeof line, "Sink.Invoke(%ld) failed 0x%08lX", static_cast<long>(id),
                    static_cast<unsigned long>(hr));
      state.log(line);
    }
    ++result.sinks;
  }
  result.flag = flag != VARIANT_FALSE;
  return result;
}

namespace {

bool fireBeforeDoubleClick(const std::shared_ptr<HostState>& state) {
  const ComPtr<IDispatch> selection = createSelection(state);
  return fireEvent(*state, state->applicationSinks, word::kDispidWindowBeforeDoubleClick, selection.get()).flag;
}

}  // namespace

HRESULT doubleClickField(const std::shared_ptr<HostState>& state, long index, bool& cancelled) {
  cancelled = false;
  const std::vector<FieldSpan> fields = state->document.fields();
  if (index < 1 || static_cast<size_t>(index) > fields.size()) return E_INVALIDARG;
  const int id = fields[static_cast<size_t>(index) - 1].id;
  state->document.selectField(id);
  cancelled = fireBeforeDoubleClick(state);
  // The sinks may have changed the document; Word acts on what is there now.
  if (!cancelled) {
    if (const auto field = state->document.field(id)) state->document.doubleClickAt(field->begin);
  }
  return S_OK;
}

void doubleClickAt(const std::shared_ptr<HostState>& state, size_t position, bool& cancelled) {
  for (const FieldSpan& f : state->document.fields()) {
    if (f.begin <= position && position <= f.end) {
      state->document.selectField(f.id);
      cancelled = fireBeforeDoubleClick(state);
      if (!cancelled) state->document.doubleClickAt(std::min(position, state->document.length()));
      return;
    }
  }
  state->document.setSelection(position, position);
  cancelled = fireBeforeDoubleClick(state);
  if (!cancelled) state->document.doubleClickAt(std::min(position, state->document.length()));
}

FireResult clickButton(const std::shared_ptr<HostState>& state, int barId, int buttonId) {
  const ComPtr<IDispatch> button = createButton(state, barId, buttonId);
  const auto it = state->buttonSinks.find(buttonId);
  if (it == state->buttonSinks.end()) return {};
  return fireEvent(*state, it->second, office::kDispidClick, button.get());
}

HRESULT clickControl(const std::shared_ptr<HostState>& state, const std::u16string& captionOrTag, int& sinks) {
  sinks = 0;
  for (const BarData& bar : state->bars.bars()) {
    BarData* found = state->bars.bar(bar.id);
    if (ButtonData* button = state->bars.findButton(*found, captionOrTag)) {
      sinks = clickButton(state, found->id, button->id).sinks;
      return S_OK;
    }
  }
  return E_INVALIDARG;
}

}  // namespace pendrix::wordhost

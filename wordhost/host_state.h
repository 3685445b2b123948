#pragma once
// Everything the host's objects share: the document, the command bars, the event
// sinks, the call log and the injected faults. Objects hold it by shared pointer,
// so a wrapper a client keeps after Quit still finds it.

#include <windows.h>
#include <oaidl.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "win32/com.h"
#include "wordhost/command_bar_model.h"
#include "wordhost/document_model.h"
#include "wordhost/undo_record.h"

namespace pendrix::wordhost {

// What the program around the objects provides: add-in loading and ending.
struct HostHooks {
  virtual ~HostHooks() = default;
  virtual HRESULT loadAddins() = 0;
  // One listed add-in after start-up; its own HRESULT when it cannot be connected.
  virtual HRESULT loadAddin(const std::u16string& progId) = 0;
  virtual HRESULT unloadAddin(const std::u16string& progId) = 0;
  virtual void quit() = 0;
};

// The sinks of one event source, shared by its connection points.
struct SinkList {
  struct Entry {
    DWORD cookie;
    ComPtr<IDispatch> sink;
  };
  std::vector<Entry> entries;
  DWORD nextCookie = 1;
  static constexpr size_t kMaxSinks = 64;
};

struct FaultRule {
  std::u16string name;  // empty when given by DISPID
  DISPID id = 0;
  HRESULT hr = S_OK;
};

struct HostState {
  explicit HostState(std::u16string barsFile = {}) : bars(std::move(barsFile)) {}

  DocumentModel document;
  CustomUndoState undo;
  CommandBarModel bars;
  SinkList applicationSinks;
  std::map<int, SinkList> buttonSinks;  // by button id
  std::vector<std::string> callLog;
  std::vector<FaultRule> faults;
  HostHooks* hooks = nullptr;
  bool quitRequested = false;
  // Events being fired now: the host does not close under a sink's feet.
  int eventDepth = 0;
  // Automation objects alive now, so a test can see a client give every one back.
  long liveObjects = 0;
  // Called after every call that may have changed what the window shows.
  std::function<void()> changed;

  static constexpr size_t kMaxLogLines = 100000;
  static constexpr size_t kMaxFaults = 64;

  HRESULT faultFor(const std::u16string& name, DISPID id) const;
  void log(std::string line);
  // Drops every sink, so that sinks holding our objects do not keep them alive.
  void disconnectAll();
};

}  // namespace pendrix::wordhost

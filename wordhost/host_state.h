#pragma once
// Everything the host's objects share: the document, the command bars, the ribbon
// tabs of the add-ins, the event sinks, the call log, the injected faults and the busy
// state. Objects hold it by shared pointer, so a wrapper a client keeps after Quit
// still finds it.

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

// Which Word the host plays: Word 2003 with menus and toolbars (the add-ins' bars float
// over the document), or a ribbon-era Word that asks each add-in for its ribbon.
enum class HostUi { MenusAndToolbars, Ribbon };

// An add-in's ribbon customization as the host shows it.
struct RibbonButton {
  std::u16string id, label, tag, screentip, supertip;
  std::u16string onAction, image, getImage;  // the customUI's callback and image names
  bool large = false;
  ComPtr<IDispatch> picture;  // the IPictureDisp the add-in gave, or none
};
struct RibbonGroup {
  std::u16string id, label;
  std::vector<RibbonButton> buttons;
};
struct RibbonTab {
  std::u16string id, label;
  std::vector<RibbonGroup> groups;
};
struct AddinRibbon {
  std::u16string progId;
  ComPtr<IDispatch> callbacks;  // the add-in's IDispatch, which the callbacks are called on
  std::vector<RibbonTab> tabs;
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
  HostUi ui = HostUi::MenusAndToolbars;
  std::vector<AddinRibbon> ribbons;  // in the order the add-ins were connected
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
  // Until this tick count (GetTickCount64) the host refuses calls from other processes,
  // as Word does while it is busy.
  ULONGLONG busyUntil = 0;
  // Called after every call that may have changed what the window shows.
  std::function<void()> changed;

  static constexpr size_t kMaxLogLines = 100000;
  static constexpr size_t kMaxFaults = 64;

  // Application.Version: "16.0" for a ribbon-era Word, "11.0" for Word 2003.
  std::u16string version() const { return ui == HostUi::Ribbon ? u"16.0" : u"11.0"; }
  bool busy() const { return GetTickCount64() < busyUntil; }
  // The ribbon button with that id on any add-in's tab, and whose callbacks it calls.
  const RibbonButton* ribbonButton(const std::u16string& id, const AddinRibbon** owner = nullptr) const;

  HRESULT faultFor(const std::u16string& name, DISPID id) const;
  void log(std::string line);
  // Drops every sink and the add-ins' ribbons, so that sinks and callbacks holding our
  // objects do not keep them alive.
  void disconnectAll();
};

}  // namespace pendrix::wordhost

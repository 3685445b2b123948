#pragma once
// Loads Word add-ins the way Word does: from the per-user and the machine add-in
// key, through IDTExtensibility2, with Word's order of calls. The host creates one
// loader with its application object on its user-interface thread (COM initialised
// as a single-threaded apartment) and drives it from there. A host with a ribbon
// passes its RibbonHost: each add-in is then asked for IRibbonExtensibility right
// after it is connected, as ribbon-era Word asks; Word 2003 never asks.

#include <windows.h>
#include <oaidl.h>

#include <string>
#include <vector>

#include "win32/com.h"
#include "win32/office_interfaces.h"
#include "wordhost/ribbon_host.h"

namespace pendrix::wordhost {

inline constexpr wchar_t kWordAddinsKey[] = L"Software\\Microsoft\\Office\\Word\\Addins";

// Word's LoadBehavior bits: 1 connected, 2 load at start-up; 3 both.
inline constexpr DWORD kLoadBehaviorConnected = 1;
inline constexpr DWORD kLoadedAtStartup = 3;

struct AddinEntry {
  std::wstring progId;
  std::wstring friendlyName;
  std::wstring description;
  DWORD loadBehavior = 0;
  bool commandLineSafe = false;
  HKEY root = nullptr;  // HKEY_CURRENT_USER or HKEY_LOCAL_MACHINE: where it was read
};

class ComAddin;

class AddinLoader {
 public:
  explicit AddinLoader(IDispatch* application, RibbonHost* ribbon = nullptr);
  ~AddinLoader();
  AddinLoader(const AddinLoader&) = delete;
  AddinLoader& operator=(const AddinLoader&) = delete;

  // Connects every listed add-in with LoadBehavior 3 (OnConnection with Startup), then
  // calls OnAddInsUpdate and then OnStartupComplete on each connected one. An add-in
  // that cannot be connected gets LoadBehavior 2 in the key it was listed under.
  // Returns the number of add-ins connected; a second call does nothing and returns 0.
  size_t loadAtStartup();

  // Connects a listed add-in after start-up (OnConnection with AfterStartup), then
  // calls OnAddInsUpdate on every connected add-in; LoadBehavior gains its connected
  // bit (2 becomes 3). S_FALSE when it is already connected; the add-in's failure
  // (with LoadBehavior losing the connected bit) when it cannot be connected;
  // HRESULT_FROM_WIN32(ERROR_NOT_FOUND) when it is not listed.
  HRESULT load(const std::wstring& progId);

  // Disconnects one add-in as a user does (OnDisconnection with UserClosed), releases
  // it and calls OnAddInsUpdate on the others; LoadBehavior loses its connected bit
  // (3 becomes 2), so it is not loaded at the next start. S_FALSE when not connected.
  HRESULT unload(const std::wstring& progId);

  // OnBeginShutdown on each connected add-in, then OnDisconnection with HostShutdown
  // on each, and releases them. LoadBehavior stays as it is. Safe to call twice.
  void shutdown();

  std::vector<std::wstring> loadedProgIds() const;
  bool isLoaded(const std::wstring& progId) const;
  // The COMAddIn object handed to a connected add-in, or null.
  ComPtr<IDispatch> comAddin(const std::wstring& progId) const;

  // Word's add-in list: the per-user entry of a ProgID wins over the machine entry.
  static std::vector<AddinEntry> readEntries();

 private:
  struct Connected {
    std::wstring progId;
    ComPtr<office::IDTExtensibility2> extension;
    ComPtr<ComAddin> instance;
  };

  HRESULT connect(const AddinEntry& entry, int connectMode);
  // GetCustomUI with Word's ribbon id, through the vtable, and the XML to the host.
  void askForRibbon(const std::wstring& progId, IUnknown* addin);
  void dropRibbon(const std::wstring& progId);
  HRESULT loadEntry(const AddinEntry& entry);
  void notifyAddinsUpdate();
  void notifyStartupComplete();
  bool stillConnected(const office::IDTExtensibility2* extension) const;
  bool isConnecting(const std::wstring& progId) const;
  std::vector<Connected> snapshot() const;

  ComPtr<IDispatch> application_;
  RibbonHost* ribbon_;
  std::vector<Connected> connected_;
  std::vector<std::wstring> connecting_;  // add-ins inside their OnConnection
  bool startedUp_ = false;
  bool shuttingDown_ = false;
};

}  // namespace pendrix::wordhost

#include "addin_loader.h"

#include <algorithm>
#include <new>
#include <utility>

#include "com_addin.h"
#include "win32/handles.h"

namespace pendrix::wordhost {
namespace {

// Word's list is short; a runaway key must not make the host enumerate forever.
constexpr DWORD kMaxAddins = 256;
constexpr DWORD kMaxKeyName = 256;
constexpr DWORD kMaxText = 1024;

bool sameProgId(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()),
                              TRUE) == CSTR_EQUAL;
}

std::wstring readText(HKEY key, const wchar_t* name) {
  wchar_t buffer[kMaxText];
  DWORD size = sizeof(buffer);
  if (RegGetValueW(key, nullptr, name, RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS) return {};
  return buffer;
}

DWORD readDword(HKEY key, const wchar_t* name) {
  DWORD value = 0;
  DWORD size = sizeof(value);
  if (RegGetValueW(key, nullptr, name, RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS) return 0;
  return value;
}

std::wstring entryKeyPath(const std::wstring& progId) { return std::wstring(kWordAddinsKey) + L"\\" + progId; }

void readEntriesUnder(HKEY root, std::vector<AddinEntry>& entries) {
  UniqueHkey addins;
  if (RegOpenKeyExW(root, kWordAddinsKey, 0, KEY_READ, addins.put()) != ERROR_SUCCESS) return;
  for (DWORD index = 0; index < kMaxAddins; ++index) {
    wchar_t name[kMaxKeyName];
    DWORD nameLength = kMaxKeyName;
    const LONG status = RegEnumKeyExW(addins.get(), index, name, &nameLength, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_NO_MORE_ITEMS) break;
    if (status != ERROR_SUCCESS) continue;
    const std::wstring progId(name, nameLength);
    const bool listedPerUser = std::any_of(entries.begin(), entries.end(),
                                           [&](const AddinEntry& entry) { return sameProgId(entry.progId, progId); });
    if (listedPerUser) continue;
    UniqueHkey key;
    if (RegOpenKeyExW(addins.get(), name, 0, KEY_READ, key.put()) != ERROR_SUCCESS) continue;
    AddinEntry entry;
    entry.progId = progId;
    entry.friendlyName = readText(key.get(), L"FriendlyName");
    entry.description = readText(key.get(), L"Description");
    entry.loadBehavior = readDword(key.get(), L"LoadBehavior");
    entry.commandLineSafe = readDword(key.get(), L"CommandLineSafe") != 0;
    entry.root = root;
    entries.push_back(std::move(entry));
  }
}

// Word writes the new LoadBehavior where it read the entry. A machine key the user
// may not write stays as it is.
void writeLoadBehavior(const AddinEntry& entry, DWORD loadBehavior) {
  UniqueHkey key;
  if (RegOpenKeyExW(entry.root, entryKeyPath(entry.progId).c_str(), 0, KEY_SET_VALUE, key.put()) != ERROR_SUCCESS)
    return;
  RegSetValueExW(key.get(), L"LoadBehavior", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&loadBehavior),
                 sizeof(loadBehavior));
}

// Word hands every call an empty array of variants. A fresh one per call, so that
// whatever an add-in leaves in it is destroyed here and never reaches the next one.
class CustomArray {
 public:
  CustomArray() : array_(SafeArrayCreateVector(VT_VARIANT, 0, 0)) {}
  CustomArray(const CustomArray&) = delete;
  CustomArray& operator=(const CustomArray&) = delete;
  ~CustomArray() {
    if (array_) SafeArrayDestroy(array_);
  }
  SAFEARRAY** put() { return &array_; }

 private:
  SAFEARRAY* array_;
};

}  // namespace

AddinLoader::AddinLoader(IDispatch* application, RibbonHost* ribbon) : application_(application), ribbon_(ribbon) {}

AddinLoader::~AddinLoader() { shutdown(); }

std::vector<AddinEntry> AddinLoader::readEntries() {
  std::vector<AddinEntry> entries;
  try {
    readEntriesUnder(HKEY_CURRENT_USER, entries);
    readEntriesUnder(HKEY_LOCAL_MACHINE, entries);
  } catch (const std::bad_alloc&) {
    // What was read so far is the list.
  }
  return entries;
}

size_t AddinLoader::loadAtStartup() {
  // Word starts up once; a second call must not tell the add-ins again.
  if (startedUp_) return 0;
  startedUp_ = true;
  size_t count = 0;
  try {
    for (const AddinEntry& entry : readEntries()) {
      if (entry.loadBehavior != kLoadedAtStartup || isLoaded(entry.progId)) continue;
      if (FAILED(connect(entry, office::kStartup))) {
        writeLoadBehavior(entry, entry.loadBehavior & ~kLoadBehaviorConnected);
        continue;
      }
      ++count;
    }
    notifyAddinsUpdate();
    notifyStartupComplete();
  } catch (const std::bad_alloc&) {
    // The add-ins connected so far stay connected; shutdown releases them.
  }
  return count;
}

HRESULT AddinLoader::load(const std::wstring& progId) {
  try {
    if (shuttingDown_) return E_UNEXPECTED;
    if (isLoaded(progId) || isConnecting(progId)) return S_FALSE;
    for (const AddinEntry& entry : readEntries()) {
      if (sameProgId(entry.progId, progId)) return loadEntry(entry);
    }
    return HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

HRESULT AddinLoader::loadEntry(const AddinEntry& entry) {
  const HRESULT hr = connect(entry, office::kAfterStartup);
  if (FAILED(hr)) {
    writeLoadBehavior(entry, entry.loadBehavior & ~kLoadBehaviorConnected);
    return hr;
  }
  writeLoadBehavior(entry, entry.loadBehavior | kLoadBehaviorConnected);
  notifyAddinsUpdate();
  return S_OK;
}

HRESULT AddinLoader::unload(const std::wstring& progId) {
  try {
    const auto found = std::find_if(connected_.begin(), connected_.end(),
                                    [&](const Connected& addin) { return sameProgId(addin.progId, progId); });
    if (found == connected_.end()) return S_FALSE;
    // Out of the list before the call, so that a call back into the loader from
    // OnDisconnection finds the add-in already gone.
    Connected addin = std::move(*found);
    connected_.erase(found);
    addin.instance->detachLoader();
    CustomArray custom;
    addin.extension->OnDisconnection(office::kUserClosed, custom.put());
    addin.extension.reset();
    dropRibbon(addin.progId);
    for (const AddinEntry& entry : readEntries()) {
      if (sameProgId(entry.progId, progId)) writeLoadBehavior(entry, entry.loadBehavior & ~kLoadBehaviorConnected);
    }
    notifyAddinsUpdate();
    return S_OK;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

void AddinLoader::shutdown() {
  if (shuttingDown_) return;
  shuttingDown_ = true;
  try {
    for (const Connected& addin : snapshot()) {
      if (!stillConnected(addin.extension.get())) continue;
      CustomArray custom;
      addin.extension->OnBeginShutdown(custom.put());
    }
  } catch (const std::bad_alloc&) {
    // Without a copy of the list the add-ins still get their disconnection below.
  }
  std::vector<Connected> closing = std::move(connected_);
  connected_.clear();
  for (Connected& addin : closing) {
    addin.instance->detachLoader();
    CustomArray custom;
    addin.extension->OnDisconnection(office::kHostShutdown, custom.put());
    addin.extension.reset();
    dropRibbon(addin.progId);
  }
  shuttingDown_ = false;
}

std::vector<std::wstring> AddinLoader::loadedProgIds() const {
  std::vector<std::wstring> ids;
  for (const Connected& addin : connected_) ids.push_back(addin.progId);
  return ids;
}

bool AddinLoader::isLoaded(const std::wstring& progId) const {
  return std::any_of(connected_.begin(), connected_.end(),
                     [&](const Connected& addin) { return sameProgId(addin.progId, progId); });
}

ComPtr<IDispatch> AddinLoader::comAddin(const std::wstring& progId) const {
  for (const Connected& addin : connected_) {
    if (sameProgId(addin.progId, progId)) return ComPtr<IDispatch>(addin.instance.get());
  }
  return nullptr;
}

HRESULT AddinLoader::connect(const AddinEntry& entry, int connectMode) {
  CLSID clsid;
  PENDRIX_RETURN_IF_FAILED(CLSIDFromProgID(entry.progId.c_str(), &clsid));
  ComPtr<IUnknown> unknown;
  PENDRIX_RETURN_IF_FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, unknown.putVoid()));
  if (!unknown) return E_NOINTERFACE;
  Connected addin;
  PENDRIX_RETURN_IF_FAILED(unknown.as(office::kIidDTExtensibility2, addin.extension));
  if (!addin.extension) return E_NOINTERFACE;
  addin.instance = makeComObject<ComAddin>(this, entry.progId, entry.description);
  if (!addin.instance) return E_OUTOFMEMORY;
  addin.progId = entry.progId;
  // Room first: once the add-in is connected, keeping it must not fail.
  connected_.reserve(connected_.size() + 1);
  connecting_.push_back(entry.progId);
  CustomArray custom;
  const HRESULT hr =
      addin.extension->OnConnection(application_.get(), connectMode, addin.instance.get(), custom.put());
  connecting_.pop_back();
  if (FAILED(hr)) {
    addin.instance->detachLoader();
    return hr;
  }
  try {
    connected_.push_back(std::move(addin));
  } catch (const std::bad_alloc&) {
    // Only when an add-in loaded others from inside its OnConnection and used up the room.
    addin.instance->detachLoader();
    CustomArray closing;
    addin.extension->OnDisconnection(office::kHostShutdown, closing.put());
    return E_OUTOFMEMORY;
  }
  askForRibbon(entry.progId, unknown.get());
  return S_OK;
}

void AddinLoader::askForRibbon(const std::wstring& progId, IUnknown* addin) {
  if (!ribbon_) return;
  ComPtr<office::IRibbonExtensibility> extensibility;
  if (FAILED(addin->QueryInterface(office::kIidRibbonExtensibility, extensibility.putVoid())) || !extensibility)
    return;
  Bstr ribbonId(office::kWordRibbonId);
  Bstr xml;
  // A failing add-in gets no tab; Word goes on without it.
  if (!ribbonId.get() || FAILED(extensibility->GetCustomUI(ribbonId.get(), xml.put()))) return;
  ComPtr<IDispatch> callbacks;
  if (FAILED(addin->QueryInterface(IID_IDispatch, callbacks.putVoid()))) return;
  try {
    ribbon_->addRibbon(progId, xml.str(), callbacks.get());
  } catch (const std::bad_alloc&) {
    // The add-in stays connected, without its tab.
  }
}

void AddinLoader::dropRibbon(const std::wstring& progId) {
  if (!ribbon_) return;
  try {
    ribbon_->removeRibbon(progId);
  } catch (const std::bad_alloc&) {
  }
}

void AddinLoader::notifyAddinsUpdate() {
  for (const Connected& addin : snapshot()) {
    if (!stillConnected(addin.extension.get())) continue;
    CustomArray custom;
    addin.extension->OnAddInsUpdate(custom.put());
  }
}

void AddinLoader::notifyStartupComplete() {
  for (const Connected& addin : snapshot()) {
    if (!stillConnected(addin.extension.get())) continue;
    CustomArray custom;
    addin.extension->OnStartupComplete(custom.put());
  }
}

// Add-ins may load or unload add-ins from inside a call; the loops run over a copy
// and skip any that left the list meanwhile.
std::vector<AddinLoader::Connected> AddinLoader::snapshot() const { return connected_; }

bool AddinLoader::stillConnected(const office::IDTExtensibility2* extension) const {
  return std::any_of(connected_.begin(), connected_.end(),
                     [&](const Connected& addin) { return addin.extension.get() == extension; });
}

bool AddinLoader::isConnecting(const std::wstring& progId) const {
  return std::any_of(connecting_.begin(), connecting_.end(),
                     [&](const std::wstring& id) { return sameProgId(id, progId); });
}

}  // namespace pendrix::wordhost

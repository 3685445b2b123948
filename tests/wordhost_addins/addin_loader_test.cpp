// The loader against the recording add-in, registered like any in-process server:
// what each add-in is told, in which order, and what LoadBehavior says afterwards.

#include "addin_loader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "fake_word.h"
#include "recording_addin_ids.h"
#include "win32/handles.h"
#include "win32/late_binding.h"
#include "test_support.h"

namespace pendrix::wordhost {
namespace {

using namespace testaddin;
using testing::FakeApplication;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;

[[maybe_unused]] const auto* const kApartment = ::testing::AddGlobalTestEnvironment(new testing::ComApartment);

constexpr wchar_t kUnlistedProgId[] = L"Pendrix.UnlistedAddin";
// A ProgID whose class has no server behind it.
constexpr wchar_t kBrokenProgId[] = L"Pendrix.BrokenAddin";
constexpr wchar_t kBrokenClass[] = L"{5a0c1e77-2b8e-4f53-9d1a-6c3e0f9b2d41}";

const wchar_t* const kAllProgIds[] = {kRecordingProgId, kSecondRecordingProgId, kFailingProgId,
                                      kPlainDispatchProgId, kSelfUnloadingProgId, kUnlistedProgId,
                                      kBrokenProgId};

std::wstring entryPath(const wchar_t* progId) { return std::wstring(kWordAddinsKey) + L"\\" + progId; }

void writeEntry(HKEY root, const wchar_t* progId, DWORD loadBehavior, const wchar_t* description = L"Testhilfe") {
  UniqueHkey key;
  ASSERT_EQ(RegCreateKeyExW(root, entryPath(progId).c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.put(),
                            nullptr),
            ERROR_SUCCESS);
  const DWORD commandLineSafe = 0;
  RegSetValueExW(key.get(), L"FriendlyName", 0, REG_SZ, reinterpret_cast<const BYTE*>(progId),
                 static_cast<DWORD>((wcslen(progId) + 1) * sizeof(wchar_t)));
  RegSetValueExW(key.get(), L"Description", 0, REG_SZ, reinterpret_cast<const BYTE*>(description),
                 static_cast<DWORD>((wcslen(description) + 1) * sizeof(wchar_t)));
  RegSetValueExW(key.get(), L"LoadBehavior", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&loadBehavior),
                 sizeof(loadBehavior));
  RegSetValueExW(key.get(), L"CommandLineSafe", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&commandLineSafe),
                 sizeof(commandLineSafe));
}

// -1 when the entry does not exist.
long loadBehaviorIn(HKEY root, const wchar_t* progId) {
  DWORD value = 0;
  DWORD size = sizeof(value);
  if (RegGetValueW(root, entryPath(progId).c_str(), L"LoadBehavior", RRF_RT_REG_DWORD, nullptr, &value, &size) !=
      ERROR_SUCCESS)
    return -1;
  return static_cast<long>(value);
}

bool entryExists(HKEY root, const wchar_t* progId) {
  UniqueHkey key;
  return RegOpenKeyExW(root, entryPath(progId).c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

std::wstring line(const wchar_t* progId, const std::wstring& what) { return std::wstring(progId) + L" " + what; }

std::wstring connectionLine(const wchar_t* progId, int mode) {
  return line(progId, L"OnConnection mode=" + std::to_wstring(mode) + L" app=yes name=Microsoft Word inst=" +
                          progId + L" custom=empty");
}

typedef HRESULT(STDAPICALLTYPE* RegistrationCall)();

class AddinLoaderTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    module_ = LoadLibraryW(testing::winePath(RECORDING_ADDIN_PATH).c_str());
    ASSERT_NE(module_, nullptr);
    ASSERT_HRESULT_SUCCEEDED(call("DllRegisterServer"));
    UniqueHkey key;
    RegCreateKeyExW(HKEY_CLASSES_ROOT, (std::wstring(kBrokenProgId) + L"\\CLSID").c_str(), 0, nullptr, 0,
                    KEY_SET_VALUE, nullptr, key.put(), nullptr);
    RegSetValueExW(key.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(kBrokenClass), sizeof(kBrokenClass));
  }
  static void TearDownTestSuite() {
    EXPECT_HRESULT_SUCCEEDED(call("DllUnregisterServer"));
    RegDeleteTreeW(HKEY_CLASSES_ROOT, kBrokenProgId);
    CoFreeUnusedLibraries();
  }

  void SetUp() override {
    log_ = testing::uniqueTempFile(L"adl");
    SetEnvironmentVariableW(kRecordingLogVariable, log_.c_str());
    removeEntries();
  }
  void TearDown() override {
    removeEntries();
    SetEnvironmentVariableW(kRecordingLogVariable, nullptr);
    DeleteFileW(log_.c_str());
  }

  std::vector<std::wstring> log() const { return testing::readLogLines(log_); }
  // Lines of one add-in, without its name.
  std::vector<std::wstring> logOf(const wchar_t* progId) const {
    std::vector<std::wstring> own;
    const std::wstring prefix = std::wstring(progId) + L" ";
    for (const std::wstring& entry : log()) {
      if (entry.starts_with(prefix)) own.push_back(entry.substr(prefix.size()));
    }
    return own;
  }
  void clearLog() const { DeleteFileW(log_.c_str()); }

  ComPtr<FakeApplication> application_ = ComPtr<FakeApplication>::attach(new FakeApplication);

 private:
  static HRESULT call(const char* name) {
    const auto function = reinterpret_cast<RegistrationCall>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
    return function ? function() : E_NOTIMPL;
  }
  static void removeEntries() {
    for (const wchar_t* progId : kAllProgIds) {
      RegDeleteTreeW(HKEY_CURRENT_USER, entryPath(progId).c_str());
      RegDeleteTreeW(HKEY_LOCAL_MACHINE, entryPath(progId).c_str());
    }
  }

  static inline HMODULE module_ = nullptr;
  std::wstring log_;
};

TEST_F(AddinLoaderTest, StartupConnectsAllBeforeUpdatingAndShutdownDisconnectsInWordsOrder) {
  writeEntry(HKEY_CURRENT_USER, kRecordingProgId, 3);
  writeEntry(HKEY_CURRENT_USER, kSecondRecordingProgId, 3);
  {
    AddinLoader loader(application_.get());
    EXPECT_EQ(loader.loadAtStartup(), 2u);
    EXPECT_THAT(loader.loadedProgIds(), UnorderedElementsAre(kRecordingProgId, kSecondRecordingProgId));
    const std::vector<std::wstring> startup = log();
    ASSERT_EQ(startup.size(), 6u);
    EXPECT_THAT(std::vector(startup.begin(), startup.begin() + 2),
                UnorderedElementsAre(connectionLine(kRecordingProgId, 1), connectionLine(kSecondRecordingProgId, 1)));
    EXPECT_THAT(std::vector(startup.begin() + 2, startup.begin() + 4),
                UnorderedElementsAre(line(kRecordingProgId, L"OnAddInsUpdate custom=empty"),
                                     line(kSecondRecordingProgId, L"OnAddInsUpdate custom=empty")));
    EXPECT_THAT(std::vector(startup.begin() + 4, startup.end()),
                UnorderedElementsAre(line(kRecordingProgId, L"OnStartupComplete custom=empty"),
                                     line(kSecondRecordingProgId, L"OnStartupComplete custom=empty")));
    EXPECT_EQ(loader.loadAtStartup(), 0u);
    EXPECT_EQ(log().size(), 6u) << "start-up happens once";

    clearLog();
    loader.shutdown();
    const std::vector<std::wstring> closing = log();
    ASSERT_EQ(closing.size(), 6u);
    EXPECT_THAT(std::vector(closing.begin(), closing.begin() + 2),
                UnorderedElementsAre(line(kRecordingProgId, L"OnBeginShutdown custom=empty"),
                                     line(kSecondRecordingProgId, L"OnBeginShutdown custom=empty")));
    EXPECT_THAT(logOf(kRecordingProgId), ElementsAre(L"OnBeginShutdown custom=empty",
                                                     L"OnDisconnection mode=0 custom=empty", L"Released"));
    EXPECT_THAT(loader.loadedProgIds(), IsEmpty());

    clearLog();
    loader.shutdown();
    EXPECT_THAT(log(), IsEmpty()) << "a second shutdown has nobody to tell";
  }
  EXPECT_EQ(loadBehaviorIn(HKEY_CURRENT_USER, kRecordingProgId), 3) << "Word's exit keeps the start-up load";
  EXPECT_EQ(application_->references(), 1u) << "the loader and the add-ins let go of the application";
}

TEST_F(AddinLoaderTest, DestroyingTheLoaderShutsTheAddinsDown) {
  writeEntry(HKEY_CURRENT_USER, kRecordingProgId, 3);
  {
    AddinLoader loader(application_.get());
    ASSERT_EQ(loader.loadAtStartup(), 1u);
    EXPECT_GT(application_->references(), 2u) << "the add-in keeps the application while connected";
    clearLog();
  }
  EXPECT_THAT(logOf(kRecordingProgId),
              ElementsAre(L"OnBeginShutdown custom=empty", L"OnDisconnection mode=0 custom=empty", L"Released"));
  EXPECT_EQ(application_->references(), 1u);
}

TEST_F(AddinLoaderTest, LaterLoadAndUserUnloadTellEveryAddinAndKeepLoadBehavior) {
  writeEntry(HKEY_CURRENT_USER, kRecordingProgId, 2);
  writeEntry(HKEY_CURRENT_USER, kSecondRecordingProgId, 3);
  AddinLoader loader(application_.get());
  ASSERT_EQ(loader.loadAtStartup(), 1u);
  EXPECT_THAT(logOf(kRecordingProgId), IsEmpty()) << "LoadBehavior 2 is not loaded at start-up";

  clearLog();
  EXPECT_EQ(loader.load(kRecordingProgId), S_OK);
  EXPECT_THAT(log(), ElementsAre(connectionLine(kRecordingProgId, 0),
                                 line(kSecondRecordingProgId, L"OnAddInsUpdate custom=empty"),
                                 line(kRecordingProgId, L"OnAddInsUpdate custom=empty")));
  EXPECT_EQ(loadBehaviorIn(HKEY_CURRENT_USER, kRecordingProgId), 3) << "connected now, and at the next start";
  EXPECT_EQ(loader.load(L"pendrix.recordingaddin"), S_FALSE) << "ProgIDs compare without case";
  EXPECT_TRUE(loader.isLoaded(kRecordingProgId));

  clearLog();
  EXPECT_EQ(loader.unload(kRecordingProgId), S_OK);
  EXPECT_THAT(log(), ElementsAre(line(kRecordingProgId, L"OnDisconnection mode=1 custom=empty"),
                                 line(kRecordingProgId, L"Released"),
                                 line(kSecondRecordingProgId, L"OnAddInsUpdate custom=empty")));
  EXPECT_EQ(loadBehaviorIn(HKEY_CURRENT_USER, kRecordingProgId), 2) << "not loaded at the next start";
  EXPECT_THAT(loader.loadedProgIds(), ElementsAre(kSecondRecordingProgId));
  EXPECT_EQ(loader.unload(kRecordingProgId), S_FALSE);
  EXPECT_EQ(loader.load(kUnlistedProgId), HRESULT_FROM_WIN32(ERROR_NOT_FOUND));
}

TEST_F(AddinLoaderTest, PerUserEntryWinsOverTheMachineEntry) {
  writeEntry(HKEY_LOCAL_MACHINE, kRecordingProgId, 3, L"Maschine");
  writeEntry(HKEY_CURRENT_USER, kRecordingProgId, 2, L"Benutzer");
  writeEntry(HKEY_LOCAL_MACHINE, kSecondRecordingProgId, 3);
  writeEntry(HKEY_LOCAL_MACHINE, kFailingProgId, 3);

  bool found = false;
  for (const AddinEntry& entry : AddinLoader::readEntries()) {
    if (entry.progId != kRecordingProgId) continue;
    found = true;
    EXPECT_EQ(entry.root, HKEY_CURRENT_USER);
    EXPECT_EQ(entry.description, L"Benutzer");
    EXPECT_EQ(entry.loadBehavior, 2u);
    EXPECT_EQ(entry.friendlyName, kRecordingProgId);
  }
  EXPECT_TRUE(found);
  {
    AddinLoader loader(application_.get());
    loader.loadAtStartup();
    EXPECT_THAT(loader.loadedProgIds(), ElementsAre(kSecondRecordingProgId)) << "a machine entry alone counts";
  }
  EXPECT_EQ(loadBehaviorIn(HKEY_LOCAL_MACHINE, kFailingProgId), 2) << "written back where it was read";
  EXPECT_FALSE(entryExists(HKEY_CURRENT_USER, kFailingProgId));
  EXPECT_EQ(loadBehaviorIn(HKEY_LOCAL_MACHINE, kRecordingProgId), 3);

  writeEntry(HKEY_CURRENT_USER, kRecordingProgId, 3);
  writeEntry(HKEY_LOCAL_MACHINE, kRecordingProgId, 0);
  AddinLoader loader(application_.get());
  loader.loadAtStartup();
  EXPECT_TRUE(loader.isLoaded(kRecordingProgId));
}

TEST_F(AddinLoaderTest, OnlyLoadBehaviorThreeLoadsAtStartup) {
  for (DWORD behaviour : {0u, 1u, 2u, 8u, 9u, 16u}) {
    writeEntry(HKEY_CURRENT_USER, kRecordingProgId, behaviour);
    AddinLoader loader(application_.get());
    EXPECT_EQ(loader.loadAtStartup(), 0u) << behaviour;
    EXPECT_EQ(loadBehaviorIn(HKEY_CURRENT_USER, kRecordingProgId), static_cast<long>(behaviour));
  }
  EXPECT_THAT(log(), IsEmpty());
}

TEST_F(AddinLoaderTest, AddinsThatCannotConnectFallBackToTwoAndTheOthersStillLoad) {
  for (const wchar_t* progId : {kUnlistedProgId, kBrokenProgId, kFailingProgId, kPlainDispatchProgId,
                                kRecordingProgId})
    writeEntry(HKEY_CURRENT_USER, progId, 3);
  AddinLoader loader(application_.get());
  EXPECT_EQ(loader.loadAtStartup(), 1u);
  EXPECT_THAT(loader.loadedProgIds(), ElementsAre(kRecordingProgId));
  for (const wchar_t* progId : {kUnlistedProgId, kBrokenProgId, kFailingProgId, kPlainDispatchProgId})
    EXPECT_EQ(loadBehaviorIn(HKEY_CURRENT_USER, progId), 2) << progId;
  EXPECT_EQ(loadBehaviorIn(HKEY_CURRENT_USER, kRecordingProgId), 3);
  EXPECT_THAT(logOf(kFailingProgId), ElementsAre(L"OnConnection mode=1 app=yes name=Microsoft Word "
                                                 L"inst=Pendrix.FailingAddin custom=empty",
                                                 L"Released"))
      << "a refused connection gets no further calls and is released";
  EXPECT_THAT(logOf(kPlainDispatchProgId), ElementsAre(L"Released"));
  EXPECT_THAT(logOf(kRecordingProgId),
              ElementsAre(L"OnConnection mode=1 app=yes name=Microsoft Word inst=Pendrix.RecordingAddin "
                          L"custom=empty",
                          L"OnAddInsUpdate custom=empty", L"OnStartupComplete custom=empty"));

  EXPECT_EQ(loader.load(kFailingProgId), E_FAIL) << "a later load reports the add-in's failure";
  EXPECT_EQ(loadBehaviorIn(HKEY_CURRENT_USER, kFailingProgId), 2);
  EXPECT_EQ(loader.load(kBrokenProgId), REGDB_E_CLASSNOTREG);
  EXPECT_THAT(loader.loadedProgIds(), ElementsAre(kRecordingProgId));
}

TEST_F(AddinLoaderTest, AnAddinUnloadingItselfFromACallLeavesTheLoaderWhole) {
  writeEntry(HKEY_CURRENT_USER, kSelfUnloadingProgId, 3);
  writeEntry(HKEY_CURRENT_USER, kRecordingProgId, 3);
  AddinLoader loader(application_.get());
  EXPECT_EQ(loader.loadAtStartup(), 2u);
  EXPECT_THAT(loader.loadedProgIds(), ElementsAre(kRecordingProgId));
  EXPECT_THAT(logOf(kSelfUnloadingProgId),
              ElementsAre(L"OnConnection mode=1 app=yes name=Microsoft Word inst=Pendrix.SelfUnloadingAddin "
                          L"custom=empty",
                          L"OnAddInsUpdate custom=empty", L"OnStartupComplete custom=empty",
                          L"OnDisconnection mode=1 custom=empty", L"Connect=False ok", L"Released"));
  EXPECT_EQ(loadBehaviorIn(HKEY_CURRENT_USER, kSelfUnloadingProgId), 2);
  const std::vector<std::wstring> recording = logOf(kRecordingProgId);
  EXPECT_EQ(std::count(recording.begin(), recording.end(), L"OnStartupComplete custom=empty"), 1);
  EXPECT_EQ(std::count(recording.begin(), recording.end(), L"OnAddInsUpdate custom=empty"), 2)
      << "once at start-up, once when the other left";

  clearLog();
  loader.shutdown();
  EXPECT_THAT(logOf(kSelfUnloadingProgId), IsEmpty());
  EXPECT_THAT(logOf(kRecordingProgId), ElementsAre(L"OnBeginShutdown custom=empty",
                                                   L"OnDisconnection mode=0 custom=empty", L"Released"));
}

TEST_F(AddinLoaderTest, ComAddinObjectAnswersByName) {
  writeEntry(HKEY_CURRENT_USER, kRecordingProgId, 3, L"Schreibt mit");
  AddinLoader loader(application_.get());
  ASSERT_EQ(loader.loadAtStartup(), 1u);
  ComPtr<IDispatch> instance = loader.comAddin(kRecordingProgId);
  ASSERT_TRUE(instance);
  EXPECT_FALSE(loader.comAddin(kFailingProgId));

  Bstr text;
  ASSERT_HRESULT_SUCCEEDED(getTextByName(instance.get(), L"progid", text));
  EXPECT_EQ(text.str(), kRecordingProgId);
  ASSERT_HRESULT_SUCCEEDED(getTextByName(instance.get(), L"Description", text));
  EXPECT_EQ(text.str(), L"Schreibt mit");
  Variant connected;
  ASSERT_HRESULT_SUCCEEDED(getPropertyByName(instance.get(), L"Connect", connected));
  ASSERT_EQ(connected.get()->vt, VT_BOOL);
  EXPECT_EQ(connected.get()->boolVal, VARIANT_TRUE);

  DISPID dispid = 0;
  EXPECT_EQ(dispidOf(instance.get(), L"Guid", &dispid), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(invokeDispid(instance.get(), 99, DISPATCH_PROPERTYGET, nullptr, 0, nullptr), DISP_E_MEMBERNOTFOUND);
  Variant word = Variant::fromString(L"vielleicht");
  EXPECT_EQ(invokeByName(instance.get(), L"Connect", DISPATCH_PROPERTYPUT, word.get(), 1, nullptr),
            DISP_E_TYPEMISMATCH);
  EXPECT_EQ(invokeByName(instance.get(), L"ProgId", DISPATCH_PROPERTYPUT, word.get(), 1, nullptr),
            DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(invokeByName(instance.get(), L"Connect", DISPATCH_PROPERTYPUT, nullptr, 0, nullptr),
            DISP_E_BADPARAMCOUNT);
  EXPECT_TRUE(loader.isLoaded(kRecordingProgId)) << "bad puts change nothing";

  clearLog();
  Variant off = Variant::fromBool(false);
  ASSERT_HRESULT_SUCCEEDED(invokeByName(instance.get(), L"Connect", DISPATCH_PROPERTYPUT, off.get(), 1, nullptr));
  EXPECT_FALSE(loader.isLoaded(kRecordingProgId));
  EXPECT_THAT(logOf(kRecordingProgId), ElementsAre(L"OnDisconnection mode=1 custom=empty", L"Released"));
  ASSERT_HRESULT_SUCCEEDED(getPropertyByName(instance.get(), L"Connect", connected));
  EXPECT_EQ(connected.get()->boolVal, VARIANT_FALSE);
  Variant on = Variant::fromBool(true);
  EXPECT_EQ(invokeByName(instance.get(), L"Connect", DISPATCH_PROPERTYPUT, on.get(), 1, nullptr), E_UNEXPECTED)
      << "the object of a closed connection no longer reaches the loader";
}

}  // namespace
}  // namespace pendrix::wordhost

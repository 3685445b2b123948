// Tarnel's entry points: what DllRegisterServer writes and DllUnregisterServer
// removes, the class object and the module's lock count, the add-in object's
// dispatch without a type library, the file's version information, and the
// equation-field test of a double click.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <olectl.h>

#include <cstdio>
#include <iterator>
#include <string>

#include "addin_fixture.h"
#include "companions.h"
#include "win32/office_interfaces.h"
#include "win32/class_ids.h"
#include "win32/com.h"
#include "win32/late_binding.h"

namespace pendrix::addin::testing {
namespace {

[[maybe_unused]] const auto* const kApartment =
    ::testing::AddGlobalTestEnvironment(new pendrix::wordhost::testing::ComApartment);

std::wstring modulePathOfTarnel() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(Tarnel::module(), path, MAX_PATH);
  return path;
}

class Registration : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(Tarnel::module(), nullptr); }
  void TearDown() override {
    Tarnel::call("DllUnregisterServer");
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Office\\Word\\Addins\\Pendrix.OtherAddin");
  }
};

TEST_F(Registration, WritesTheClassBothProgIdsAndWordsAddinKey) {
  ASSERT_EQ(Tarnel::call("DllRegisterServer"), S_OK);
  const std::wstring k = classKey(kZombAddinKey);
  const std::wstring id = reinterpret_cast<const wchar_t*>(kZombAddinKey);
  struct Row {
    std::wstring key;
    const wchar_t* name;
    std::wstring expected;
  };
  const Row texts[] = {
      {L"Glyphor.ZombAddin.1", nullptr, L"ZombAddin Class"},
      {L"Glyphor.ZombAddin.1\\CLSID", nullptr, id},
      {L"Glyphor.ZombAddin", nullptr, L"ZombAddin Class"},
      {L"Glyphor.ZombAddin\\CLSID", nullptr, id},
      {L"Glyphor.ZombAddin\\CurVer", nullptr, L"Glyphor.ZombAddin.1"},
      {k, nullptr, L"ZombAddin Class"},
      {k + L"\\ProgID", nullptr, L"Glyphor.ZombAddin.1"},
      {k + L"\\VersionIndependentProgID", nullptr, L"Glyphor.ZombAddin"},
      {k + L"\\InprocServer32", nullptr, modulePathOfTarnel()},
      {k + L"\\InprocServer32", L"ThreadingModel", L"Apartment"},
  };
  for (const Row& row : texts) {
    SCOPED_TRACE(row.key);
    EXPECT_EQ(registryText(HKEY_CLASSES_ROOT, row.key, row.name), row.expected);
  }
  EXPECT_TRUE(keyExists(HKEY_CLASSES_ROOT, k + L"\\Programmable"));
  EXPECT_EQ(registryText(HKEY_CURRENT_USER, kAddinKey, L"FriendlyName"), L"ZombAddin");
  EXPECT_EQ(registryNumber(HKEY_CURRENT_USER, kAddinKey, L"LoadBehavior"), 3u);
  EXPECT_EQ(registryNumber(HKEY_CURRENT_USER, kAddinKey, L"CommandLineSafe"), 0u);

  CLSID fromProgId{};
  ASSERT_EQ(CLSIDFromProgID(kProgId, &fromProgId), S_OK);
  EXPECT_EQ(fromProgId, toClsid(kZombAddinId));
}

TEST_F(Registration, ReplacesTheClassKeyAndTheAddinKeyAsAWhole) {
  const std::wstring k = classKey(kZombAddinKey);
  writeText(HKEY_CLASSES_ROOT, k + L"\\LocalServer32", nullptr, L"C:\\alt\\Tarnel.exe");
  writeText(HKEY_CLASSES_ROOT, k + L"\\InprocServer32", L"Stale", L"1");
  writeText(HKEY_CURRENT_USER, kAddinKey, L"Description", L"alte Beschreibung");
  writeNumber(HKEY_CURRENT_USER, kAddinKey, L"LoadBehavior", 2);
  ASSERT_EQ(Tarnel::call("DllRegisterServer"), S_OK);
  EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, k + L"\\LocalServer32"));
  EXPECT_EQ(registryText(HKEY_CLASSES_ROOT, k + L"\\InprocServer32", L"Stale"), std::nullopt);
  EXPECT_EQ(registryText(HKEY_CURRENT_USER, kAddinKey, L"Description"), std::nullopt);
  EXPECT_EQ(registryNumber(HKEY_CURRENT_USER, kAddinKey, L"LoadBehavior"), 3u);
  // Registering twice gives the same entries.
  ASSERT_EQ(Tarnel::call("DllRegisterServer"), S_OK);
  EXPECT_EQ(registryText(HKEY_CLASSES_ROOT, k + L"\\InprocServer32", nullptr), modulePathOfTarnel());
}

TEST_F(Registration, UnregisterRemovesItsKeysAndKeepsTheSharedOnes) {
  writeNumber(HKEY_CURRENT_USER, L"Software\\Microsoft\\Office\\Word\\Addins\\Pendrix.OtherAddin", L"LoadBehavior", 3);
  ASSERT_EQ(Tarnel::call("DllRegisterServer"), S_OK);
  ASSERT_EQ(Tarnel::call("DllUnregisterServer"), S_OK);
  for (const std::wstring& gone : {classKey(kZombAddinKey), std::wstring(L"Glyphor.ZombAddin"),
                                   std::wstring(L"Glyphor.ZombAddin.1")}) {
    SCOPED_TRACE(gone);
    EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, gone));
  }
  EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, kAddinKey));
  EXPECT_TRUE(keyExists(HKEY_CLASSES_ROOT, L"CLSID"));
  EXPECT_TRUE(keyExists(HKEY_CURRENT_USER, L"Software\\Microsoft\\Office\\Word\\Addins\\Pendrix.OtherAddin"));
  // Nothing left to remove is no error.
  EXPECT_EQ(Tarnel::call("DllUnregisterServer"), S_OK);
}

TEST(ClassObject, ServesOnlyItsClassAndCountsWhatLives) {
  auto* getClassObject = Tarnel::entry<HRESULT STDAPICALLTYPE(REFCLSID, REFIID, void**)>("DllGetClassObject");
  ASSERT_NE(getClassObject, nullptr);
  ASSERT_EQ(Tarnel::canUnloadNow(), S_OK);

  void* other = reinterpret_cast<void*>(1);
  EXPECT_EQ(getClassObject(toClsid(kAssistantAppId), IID_IClassFactory, &other), CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(other, nullptr);

  ComPtr<IClassFactory> factory;
  ASSERT_EQ(getClassObject(toClsid(kZombAddinId), IID_IClassFactory, factory.putVoid()), S_OK);
  EXPECT_EQ(Tarnel::canUnloadNow(), S_FALSE) << "a held class object keeps the module";
  ComPtr<IUnknown> aggregated;
  EXPECT_EQ(factory->CreateInstance(reinterpret_cast<IUnknown*>(factory.get()), IID_IUnknown, aggregated.putVoid()),
            CLASS_E_NOAGGREGATION);
  ComPtr<office::IDTExtensibility2> addin;
  ASSERT_EQ(factory->CreateInstance(nullptr, office::kIidDTExtensibility2, addin.putVoid()), S_OK);
  ASSERT_EQ(factory->LockServer(TRUE), S_OK);
  factory.reset();
  EXPECT_EQ(Tarnel::canUnloadNow(), S_FALSE);
  addin.reset();
  EXPECT_EQ(Tarnel::canUnloadNow(), S_FALSE) << "the server lock outlives the factory";

  // Locks belong to the module: unlocked through another class object.
  ASSERT_EQ(getClassObject(toClsid(kZombAddinId), IID_IClassFactory, factory.putVoid()), S_OK);
  EXPECT_EQ(factory->LockServer(FALSE), S_OK);
  EXPECT_EQ(factory->LockServer(FALSE), S_OK) << "an unlock without its lock";
  ASSERT_EQ(factory->CreateInstance(nullptr, office::kIidDTExtensibility2, addin.putVoid()), S_OK);
  factory.reset();
  EXPECT_EQ(Tarnel::canUnloadNow(), S_FALSE) << "the extra unlock must not hide a living object";
  addin.reset();
  EXPECT_EQ(Tarnel::canUnloadNow(), S_OK);
}

TEST(AddinDispatch, ServesItsFiveMembersWithoutATypeLibrary) {
  ComPtr<IDispatch> addin;
  ASSERT_EQ(Tarnel::call("DllRegisterServer"), S_OK);
  ASSERT_EQ(CoCreateInstance(toClsid(kZombAddinId), nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, addin.putVoid()),
            S_OK);
  UINT count = 7;
  EXPECT_EQ(addin->GetTypeInfoCount(&count), S_OK);
  EXPECT_EQ(count, 0u);
  const std::pair<const wchar_t*, DISPID> names[] = {{L"OnConnection", 1},    {L"OnDisconnection", 2},
                                                      {L"onaddinsupdate", 3},  {L"OnStartupComplete", 4},
                                                      {L"OnBeginShutdown", 5}};
  for (const auto& [name, expected] : names) {
    SCOPED_TRACE(name);
    LPOLESTR asked = const_cast<LPOLESTR>(name);
    DISPID dispid = 0;
    EXPECT_EQ(addin->GetIDsOfNames(IID_NULL, &asked, 1, 0, &dispid), S_OK);
    EXPECT_EQ(dispid, expected);
  }
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  EXPECT_EQ(addin->Invoke(3, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr), S_OK);
  EXPECT_EQ(addin->Invoke(6, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr), DISP_E_MEMBERNOTFOUND);
  // Through Invoke as through the vtable: a null application is refused.
  VARIANT args[4];
  for (VARIANT& arg : args) VariantInit(&arg);
  args[3].vt = VT_DISPATCH;
  args[3].pdispVal = nullptr;
  args[2].vt = VT_I4;
  args[2].lVal = office::kStartup;
  args[1].vt = VT_DISPATCH;
  args[1].pdispVal = nullptr;
  DISPPARAMS connection{args, nullptr, 4, 0};
  EXPECT_EQ(addin->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &connection, nullptr, nullptr, nullptr), E_POINTER);
  addin.reset();
  Tarnel::call("DllUnregisterServer");
  CoFreeUnusedLibraries();
}

// Ribbon-era Word asks the add-in for IRibbonExtensibility and takes the tab for its
// document ribbon; every other ribbon gets nothing. The callbacks the XML names are
// found by name and answer S_OK whatever they cannot do (here Word is not connected).
TEST(AddinRibbon, GivesWordItsTabAndAnswersTheCallbacksItNames) {
  ASSERT_EQ(Tarnel::call("DllRegisterServer"), S_OK);
  {
    ComPtr<office::IRibbonExtensibility> ribbon;
    ASSERT_EQ(CoCreateInstance(toClsid(kZombAddinId), nullptr, CLSCTX_INPROC_SERVER, office::kIidRibbonExtensibility,
                               ribbon.putVoid()),
              S_OK);
    Bstr word(office::kWordRibbonId), excel(L"Microsoft.Excel.Workbook"), xml;
    ASSERT_EQ(ribbon->GetCustomUI(word.get(), xml.put()), S_OK);
    EXPECT_THAT(xml.str(), ::testing::StartsWith(L"<customUI xmlns=\"http://schemas.microsoft.com/office/2006/01/customui\""));
    EXPECT_THAT(xml.str(), ::testing::HasSubstr(L"<tab id=\"PendrixTab\" label=\"Pendrix\">"));
    for (const wchar_t* callback : {L"onAction=\"OnZombTerm\"", L"onAction=\"OnZbGlyphor\"", L"loadImage=\"LoadImage\""})
      EXPECT_THAT(xml.str(), ::testing::HasSubstr(callback));
    EXPECT_EQ(ribbon->GetCustomUI(excel.get(), xml.put()), S_OK);
    EXPECT_EQ(xml.get(), nullptr) << "nothing for another ribbon";
    EXPECT_EQ(ribbon->GetCustomUI(word.get(), nullptr), E_POINTER);

    // The same object's IDispatch, as Word reaches the callbacks.
    ComPtr<IDispatch> addin;
    ASSERT_EQ(ribbon.as(IID_IDispatch, addin), S_OK);
    for (const wchar_t* imageId : {L"ZombTerm", L"ZbGlyphor", L"Unbekannt"}) {
      SCOPED_TRACE(::testing::PrintToString(std::wstring(imageId)));
      Variant picture;
      ASSERT_EQ(invokeByName(addin.get(), L"LoadImage", DISPATCH_METHOD, argList(Variant::fromString(imageId)), &picture),
                S_OK);
      ComPtr<IUnknown> asPicture;
      const bool known = std::wstring(imageId) != L"Unbekannt";
      EXPECT_EQ(picture.get()->vt, known ? VT_DISPATCH : VT_EMPTY);
      if (known) EXPECT_EQ(picture.get()->pdispVal->QueryInterface(IID_IPictureDisp, asPicture.putVoid()), S_OK);
    }
    for (const wchar_t* callback : {L"OnZombTerm", L"OnZbGlyphor"}) {
      SCOPED_TRACE(::testing::PrintToString(std::wstring(callback)));
      Variant ignored;
      EXPECT_EQ(invokeByName(addin.get(), callback, DISPATCH_METHOD, argList(Variant::fromDispatch(nullptr)), &ignored),
                S_OK)
          << "an add-in that fails in a callback makes Word report it";
    }
  }
  Tarnel::call("DllUnregisterServer");
  CoFreeUnusedLibraries();
}

// Office's add-in designer type library as far as the add-in uses it: the dual
// IDTExtensibility2 with its five methods, written and registered for the test.
constexpr GUID kDesignerLibrary = {0xAC0714F2, 0x3D04, 0x11D1, {0xAE, 0x7D, 0x00, 0xA0, 0xC9, 0x0F, 0x26, 0xF4}};
constexpr SYSKIND kOwnSystem = sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32;

HRESULT writeDesignerLibrary(const std::wstring& path) {
  ComPtr<ICreateTypeLib2> library;
  PENDRIX_RETURN_IF_FAILED(CreateTypeLib2(kOwnSystem, path.c_str(), library.put()));
  PENDRIX_RETURN_IF_FAILED(library->SetGuid(kDesignerLibrary));
  PENDRIX_RETURN_IF_FAILED(library->SetVersion(1, 0));
  PENDRIX_RETURN_IF_FAILED(library->SetName(const_cast<LPOLESTR>(L"AddInDesignerObjects")));
  ComPtr<ICreateTypeInfo> created;
  PENDRIX_RETURN_IF_FAILED(
      library->CreateTypeInfo(const_cast<LPOLESTR>(L"_IDTExtensibility2"), TKIND_INTERFACE, created.put()));
  PENDRIX_RETURN_IF_FAILED(created->SetGuid(office::kIidDTExtensibility2));
  PENDRIX_RETURN_IF_FAILED(created->SetTypeFlags(TYPEFLAG_FDUAL | TYPEFLAG_FOLEAUTOMATION));
  ComPtr<ITypeLib> stdole;
  PENDRIX_RETURN_IF_FAILED(LoadRegTypeLib(IID_StdOle, 2, 0, LOCALE_NEUTRAL, stdole.put()));
  ComPtr<ITypeInfo> dispatch;
  PENDRIX_RETURN_IF_FAILED(stdole->GetTypeInfoOfGuid(IID_IDispatch, dispatch.put()));
  HREFTYPE base = 0;
  PENDRIX_RETURN_IF_FAILED(created->AddRefTypeInfo(dispatch.get(), &base));
  PENDRIX_RETURN_IF_FAILED(created->AddImplType(0, base));

  TYPEDESC variant{};
  variant.vt = VT_VARIANT;
  TYPEDESC array{};
  array.vt = VT_SAFEARRAY;
  array.lptdesc = &variant;
  TYPEDESC arrayPointer{};
  arrayPointer.vt = VT_PTR;
  arrayPointer.lptdesc = &array;
  auto element = [](VARTYPE type, TYPEDESC* inner = nullptr) {
    ELEMDESC out{};
    out.tdesc.vt = type;
    if (inner) out.tdesc = *inner;
    out.paramdesc.wParamFlags = PARAMFLAG_FIN;
    return out;
  };
  ELEMDESC connection[] = {element(VT_DISPATCH), element(VT_I4), element(VT_DISPATCH), element(0, &arrayPointer)};
  ELEMDESC disconnection[] = {element(VT_I4), element(0, &arrayPointer)};
  ELEMDESC customOnly[] = {element(0, &arrayPointer)};
  struct Method {
    const wchar_t* names[5];
    ELEMDESC* parameters;
    short count;
  };
  const Method methods[] = {
      {{L"OnConnection", L"Application", L"ConnectMode", L"AddInInst", L"custom"}, connection, 4},
      {{L"OnDisconnection", L"RemoveMode", L"custom"}, disconnection, 2},
      {{L"OnAddInsUpdate", L"custom"}, customOnly, 1},
      {{L"OnStartupComplete", L"custom"}, customOnly, 1},
      {{L"OnBeginShutdown", L"custom"}, customOnly, 1},
  };
  for (UINT index = 0; index < std::size(methods); ++index) {
    FUNCDESC function{};
    function.memid = static_cast<MEMBERID>(index + 1);
    function.funckind = FUNC_PUREVIRTUAL;
    function.invkind = INVOKE_FUNC;
    function.callconv = CC_STDCALL;
    function.cParams = methods[index].count;
    function.lprgelemdescParam = methods[index].parameters;
    function.elemdescFunc.tdesc.vt = VT_HRESULT;
    PENDRIX_RETURN_IF_FAILED(created->AddFuncDesc(index, &function));
    PENDRIX_RETURN_IF_FAILED(created->SetFuncAndParamNames(index, const_cast<LPOLESTR*>(methods[index].names),
                                                           methods[index].count + 1));
  }
  PENDRIX_RETURN_IF_FAILED(created->LayOut());
  PENDRIX_RETURN_IF_FAILED(library->SaveAllChanges());
  ComPtr<ITypeLib> written;
  PENDRIX_RETURN_IF_FAILED(LoadTypeLibEx(path.c_str(), REGKIND_NONE, written.put()));
  return RegisterTypeLib(written.get(), const_cast<LPOLESTR>(path.c_str()), nullptr);
}

TEST(AddinDispatch, ComesFromTheDesignerTypeLibraryWhenItIsRegistered) {
  const std::wstring path = uniqueTempFile(L"tlb");
  ASSERT_EQ(writeDesignerLibrary(path), S_OK);
  ComPtr<IDispatch> addin;
  ASSERT_EQ(Tarnel::call("DllRegisterServer"), S_OK);
  ASSERT_EQ(CoCreateInstance(toClsid(kZombAddinId), nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, addin.putVoid()),
            S_OK);
  UINT count = 0;
  EXPECT_EQ(addin->GetTypeInfoCount(&count), S_OK);
  EXPECT_EQ(count, 1u);
  ComPtr<ITypeInfo> info;
  ASSERT_EQ(addin->GetTypeInfo(0, 0, info.put()), S_OK);
  TYPEATTR* attributes = nullptr;
  ASSERT_EQ(info->GetTypeAttr(&attributes), S_OK);
  EXPECT_EQ(attributes->guid, office::kIidDTExtensibility2);
  info->ReleaseTypeAttr(attributes);
  LPOLESTR name = const_cast<LPOLESTR>(L"OnBeginShutdown");
  DISPID dispid = 0;
  EXPECT_EQ(addin->GetIDsOfNames(IID_NULL, &name, 1, 0, &dispid), S_OK);
  EXPECT_EQ(dispid, 5);
  // The ribbon's callbacks are not in the library, and are found all the same.
  LPOLESTR callback = const_cast<LPOLESTR>(L"OnZombTerm");
  EXPECT_EQ(addin->GetIDsOfNames(IID_NULL, &callback, 1, 0, &dispid), S_OK);
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  EXPECT_EQ(addin->Invoke(dispid, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr), S_OK);
  // Word's call through the type information reaches the add-in's own method.
  SAFEARRAY* custom = SafeArrayCreateVector(VT_VARIANT, 0, 0);
  VARIANT argument;
  VariantInit(&argument);
  argument.vt = VT_BYREF | VT_ARRAY | VT_VARIANT;
  argument.pparray = &custom;
  DISPPARAMS params{&argument, nullptr, 1, 0};
  EXPECT_EQ(addin->Invoke(3, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr), S_OK);
  SafeArrayDestroy(custom);
  addin.reset();
  EXPECT_EQ(UnRegisterTypeLib(kDesignerLibrary, 1, 0, LOCALE_NEUTRAL, kOwnSystem), S_OK);
  DeleteFileW(path.c_str());
  Tarnel::call("DllUnregisterServer");
}

TEST_F(Registration, GoesToTheRegistryViewOfItsBitness) {
  BOOL wow64 = FALSE;
  IsWow64Process(GetCurrentProcess(), &wow64);
  ASSERT_EQ(Tarnel::call("DllRegisterServer"), S_OK);
  const bool is64 = sizeof(void*) == 8;
  EXPECT_TRUE(keyExists(HKEY_CLASSES_ROOT, classKey(kZombAddinKey), is64 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY));
  if (is64 || wow64) {
    EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, classKey(kZombAddinKey), is64 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY))
        << "the other bitness's Word must not find this file";
  }
  // Word's add-in key is shared: both bitnesses of Word read it.
  EXPECT_TRUE(keyExists(HKEY_CURRENT_USER, kAddinKey, is64 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY));
}

// The add-in of the other bitness, registered as its own regsvr32 registers it: the
// package's 32-bit DLL through the 32-bit regsvr32 where this machine runs 32-bit
// programs, else the class key it writes into the other registry view.
class OtherBitness {
 public:
  static constexpr REGSAM kView = sizeof(void*) == 8 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;

  OtherBitness() {
#ifdef TARNEL32_DLL
    if (runRegsvr32(L"/s")) {
      real_ = true;
      return;
    }
    std::printf("the 32-bit regsvr32 cannot run here: the 32-bit registration is written as it would write it\n");
#endif
    UniqueHkey key;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, (classKey(kZombAddinKey) + L"\\InprocServer32").c_str(), 0, nullptr, 0,
                        KEY_SET_VALUE | kView, nullptr, key.put(), nullptr) == ERROR_SUCCESS) {
      const std::wstring path = L"C:\\Program Files (x86)\\Pendrix\\Tarnel.dll";
      RegSetValueExW(key.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                     static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t)));
    }
  }
  ~OtherBitness() { unregister(); }

  bool registersClass() const { return keyExists(HKEY_CLASSES_ROOT, classKey(kZombAddinKey), kView); }
  // What its regsvr32 /u removes; simulated, the shared keys stay for this DLL to remove.
  void unregister() {
#ifdef TARNEL32_DLL
    if (real_) runRegsvr32(L"/u /s");
#endif
    real_ = false;
    RegDeleteKeyExW(HKEY_CLASSES_ROOT, (classKey(kZombAddinKey) + L"\\InprocServer32").c_str(), kView, 0);
    RegDeleteKeyExW(HKEY_CLASSES_ROOT, classKey(kZombAddinKey).c_str(), kView, 0);
  }

 private:
#ifdef TARNEL32_DLL
  static bool runRegsvr32(const std::wstring& switches) {
    wchar_t windows[MAX_PATH] = {};
    GetWindowsDirectoryW(windows, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(windows) + L"\\syswow64\\regsvr32.exe\" " + switches + L" \"" +
                           winePath(TARNEL32_DLL) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
      return false;
    CloseHandle(info.hThread);
    DWORD exitCode = 1;
    if (WaitForSingleObject(info.hProcess, 60000) == WAIT_OBJECT_0) GetExitCodeProcess(info.hProcess, &exitCode);
    CloseHandle(info.hProcess);
    return exitCode == 0;
  }
#endif
  bool real_ = false;
};

// 32-bit and 64-bit Word side by side read the same ProgIDs and the same add-in key:
// unregistering one bitness keeps them while the other bitness's class is registered.
TEST_F(Registration, UnregisteringOneBitnessKeepsWhatTheOtherStillNeeds) {
  ASSERT_EQ(Tarnel::call("DllRegisterServer"), S_OK);
  OtherBitness other;
  ASSERT_TRUE(other.registersClass());
  const REGSAM ownView = sizeof(void*) == 8 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;
  const std::wstring progIds[] = {L"Glyphor.ZombAddin", L"Glyphor.ZombAddin.1"};

  ASSERT_EQ(Tarnel::call("DllUnregisterServer"), S_OK);
  EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, classKey(kZombAddinKey), ownView)) << "this file's class is gone";
  EXPECT_TRUE(other.registersClass());
  // The ProgIDs are one key for both bitnesses (as on Windows since 7; Wine keeps a
  // 64-bit program that names the 32-bit view explicitly to a copy of its own), so
  // they are read as this program sees them.
  for (const std::wstring& progId : progIds) EXPECT_TRUE(keyExists(HKEY_CLASSES_ROOT, progId + L"\\CLSID")) << progId;
  CLSID fromProgId{};
  EXPECT_EQ(CLSIDFromProgID(kProgId, &fromProgId), S_OK);
  EXPECT_EQ(registryNumber(HKEY_CURRENT_USER, kAddinKey, L"LoadBehavior"), 3u) << "Word's add-in key stays";

  // The other bitness goes too: then nothing of the add-in is left.
  other.unregister();
  ASSERT_EQ(Tarnel::call("DllUnregisterServer"), S_OK);
  for (const REGSAM view : {ownView, OtherBitness::kView})
    EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, classKey(kZombAddinKey), view));
  for (const std::wstring& progId : progIds) EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, progId)) << progId;
  EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, kAddinKey));
}

std::wstring versionString(const std::vector<BYTE>& data, const wchar_t* name) {
  void* value = nullptr;
  UINT length = 0;
  const std::wstring path = std::wstring(L"\\StringFileInfo\\040704B0\\") + name;
  if (!VerQueryValueW(data.data(), path.c_str(), &value, &length) || !value) return L"";
  return static_cast<const wchar_t*>(value);
}

TEST(VersionInformation, NamesTheModuleAndVersionOneZeroZeroOne) {
  const std::wstring path = modulePathOfTarnel();
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
  ASSERT_GT(size, 0u);
  std::vector<BYTE> data(size);
  ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, data.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0x00000001u);
  EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwProductVersionLS, 0x00000001u);
  EXPECT_EQ(versionString(data, L"FileDescription"), L"Tarnel Module");
  EXPECT_EQ(versionString(data, L"ProductName"), L"Tarnel Module");
  EXPECT_EQ(versionString(data, L"InternalName"), L"Tarnel");
  EXPECT_EQ(versionString(data, L"FileVersion"), L"1.0.0.1");
  EXPECT_EQ(versionString(data, L"ProductVersion"), L"1.0.0.1");
  const std::wstring file = path.substr(path.find_last_of(L"\\/") + 1);
  EXPECT_EQ(versionString(data, L"OriginalFilename"), file);
  EXPECT_EQ(file, sizeof(void*) == 8 ? L"Tarnel64.dll" : L"Tarnel.dll");
}

TEST(EquationField, IsEqOrLowerEqWithinTheFirstSevenPositions) {
  const std::pair<const wchar_t*, bool> cases[] = {
      {L" EQ \\r(7;3) ", true},  {L"EQ x", true},           {L"eq x", true},
      {L"  EQ \\f(1;2)", true},  {L"      EQ x", true},     {L"       EQ x", false},  // position 7
      {L" Eq x", false},         {L" eQ x", false},         {L" PAGE ", false},
      {L"", false},              {L"E", false},             {L"EQ", false},
      {L" EQ", false},           {L" EQ ", true},           {L" SEQ Abbildung ", false},
      {L"x EQ y", false},
  };
  for (const auto& [code, expected] : cases) {
    SCOPED_TRACE(::testing::PrintToString(std::wstring(code)));
    EXPECT_EQ(isEquationFieldCode(code), expected);
  }
}

}  // namespace
}  // namespace pendrix::addin::testing

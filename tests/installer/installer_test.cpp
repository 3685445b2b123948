// The package on a machine of its own (a fresh Wine prefix): a silent install lays
// down every file and key, the user guide as a page with its pictures and its Start
// menu entry, and the teachers' exercise folder with the guide's example; 64-bit and
// 32-bit Word each find their installed add-in,
// which starts the installed assistant; a newer package replaces it in place and keeps
// the user's settings; a repair restores a lost file and keeps the settings;
// uninstalling leaves nothing.
// The phases build on each other and run in the order written.

#include <windows.h>
#include <msi.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "win32/office_interfaces.h"
#include "addin/registration.h"
#include "resources/resource.h"
#include "session/registration_win32.h"
#include "support/process_win32.h"
#include "support/window_picture.h"
#include "win32/class_ids.h"
#include "win32/com.h"
#include "win32/handles.h"
#include "win32/late_binding.h"

namespace pendrix::testing {
namespace {

constexpr wchar_t kAddinKey[] = L"Software\\Microsoft\\Office\\Word\\Addins\\Glyphor.ZombAddin";
// Where the test writes the classes as the programs' own registrations write them.
constexpr wchar_t kExpectedRoot[] = L"Software\\PendrixPackageTest";
constexpr REGSAM kViews[] = {KEY_WOW64_64KEY, KEY_WOW64_32KEY};

std::wstring viewName(REGSAM view) { return view == KEY_WOW64_64KEY ? L"64-bit view" : L"32-bit view"; }

std::wstring installDirectory() {
  wchar_t programFiles[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILES, nullptr, 0, programFiles);
  return std::wstring(programFiles) + L"\\Pendrix";
}
std::wstring installed(const std::wstring& name) { return installDirectory() + L"\\" + name; }

std::wstring shellFolder(int csidl) {
  wchar_t path[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, csidl, nullptr, 0, path);
  return path;
}
// Where the guide's entry goes: the Start menu of all users, as the package is for all
// users. Wine's installer resolves the Start menu of such a package to the installing
// user's own, so there it is found in that one.
std::wstring manualEntry(int csidl) { return shellFolder(csidl) + L"\\Pendrix\\Pendrix-Handbuch.lnk"; }
std::wstring manualEntry() {
  const std::wstring common = manualEntry(CSIDL_COMMON_PROGRAMS);
  return GetFileAttributesW(common.c_str()) != INVALID_FILE_ATTRIBUTES ? common : manualEntry(CSIDL_PROGRAMS);
}
// The exercise folder the school's administrator fills for every user.
std::wstring teachersFolder() { return shellFolder(CSIDL_COMMON_APPDATA) + L"\\Pendrix\\Aufgaben"; }

// The file a shortcut opens.
std::wstring shortcutTarget(const std::wstring& link) {
  ComPtr<IShellLinkW> shortcut;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, shortcut.putVoid())))
    return L"(no shell link object)";
  ComPtr<IPersistFile> file;
  if (FAILED(shortcut->QueryInterface(IID_IPersistFile, file.putVoid())) || FAILED(file->Load(link.c_str(), STGM_READ)))
    return L"(cannot be read)";
  wchar_t target[MAX_PATH] = {};
  return SUCCEEDED(shortcut->GetPath(target, MAX_PATH, nullptr, 0)) ? target : L"(no target)";
}
std::wstring settingsFile() { return installed(L"Einstellung\\WordZomb.ini"); }

std::wstring shortPath(const std::wstring& path) {
  wchar_t out[MAX_PATH] = {};
  return GetShortPathNameW(path.c_str(), out, MAX_PATH) ? out : path;
}
std::wstring longPath(const std::wstring& path) {
  wchar_t out[MAX_PATH] = {};
  return GetLongPathNameW(path.c_str(), out, MAX_PATH) ? out : path;
}

std::string contentOf(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  return in ? std::string(std::istreambuf_iterator<char>(in), {}) : std::string("(missing)");
}

std::wstring setting(const wchar_t* key) {
  wchar_t value[100] = {};
  GetPrivateProfileStringW(L"EINSTELLUNGEN", key, L"(none)", value, 100, settingsFile().c_str());
  return value;
}

long msiexec(const std::wstring& arguments) {
  UniqueProcess process = startProcess(L"msiexec.exe", arguments + L" /qn");
  return process ? waitForExit(process.get(), 120000) : -2;
}

bool keyExists(HKEY root, const std::wstring& key, REGSAM view) {
  UniqueHkey opened;
  return RegOpenKeyExW(root, key.c_str(), 0, KEY_READ | view, opened.put()) == ERROR_SUCCESS;
}

struct RegistryValue {
  DWORD type = REG_NONE;
  std::vector<BYTE> data;
  bool operator==(const RegistryValue&) const = default;
};

std::optional<RegistryValue> valueOf(HKEY root, const std::wstring& key, const wchar_t* name, REGSAM view) {
  UniqueHkey opened;
  if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ | view, opened.put()) != ERROR_SUCCESS) return std::nullopt;
  RegistryValue value;
  DWORD size = 0;
  if (RegQueryValueExW(opened.get(), name, nullptr, &value.type, nullptr, &size) != ERROR_SUCCESS) return std::nullopt;
  value.data.resize(size);
  RegQueryValueExW(opened.get(), name, nullptr, nullptr, value.data.data(), &size);
  return value;
}

std::wstring textOf(const std::optional<RegistryValue>& value) {
  if (!value || value->type != REG_SZ) return L"(no text)";
  return std::wstring(reinterpret_cast<const wchar_t*>(value->data.data()));
}

// Every value and key below `expected` (under HKCU) is found alike at `key` of the
// classes root in `view`.
void expectSameTree(HKEY expected, const std::wstring& key, REGSAM view) {
  for (DWORD i = 0;; ++i) {
    wchar_t name[256];
    DWORD length = 256;
    if (RegEnumValueW(expected, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    const std::wstring subkey = key.substr(key.find(L'\\') + 1);
    SCOPED_TRACE(::testing::Message() << "HKCR\\" << subkey << " [" << name << "] " << viewName(view));
    const auto want = valueOf(expected, L"", name, 0);
    const auto got = valueOf(HKEY_CLASSES_ROOT, subkey, name, view);
    ASSERT_TRUE(got.has_value()) << "missing";
    EXPECT_EQ(got->type, want->type);
    EXPECT_EQ(textOf(got), textOf(want));
  }
  for (DWORD i = 0;; ++i) {
    wchar_t name[256];
    DWORD length = 256;
    if (RegEnumKeyExW(expected, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    UniqueHkey child;
    ASSERT_EQ(RegOpenKeyExW(expected, name, 0, KEY_READ, child.put()), ERROR_SUCCESS);
    const std::wstring childKey = key + L"\\" + name;
    EXPECT_TRUE(keyExists(HKEY_CLASSES_ROOT, childKey.substr(childKey.find(L'\\') + 1), view))
        << "HKCR\\" << childKey.substr(childKey.find(L'\\') + 1) << " missing in the " << viewName(view);
    expectSameTree(child.get(), childKey, view);
  }
}

// The classes of one view as the assistant's and the add-in's own registrations write
// them, for the installed files, under HKCU\<kExpectedRoot>.
UniqueHkey expectedClasses(const std::wstring& addinFile) {
  RegDeleteTreeW(HKEY_CURRENT_USER, kExpectedRoot);
  UniqueHkey root;
  RegCreateKeyExW(HKEY_CURRENT_USER, kExpectedRoot, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, root.put(), nullptr);
  registerAssistantClass(fromWide(shortPath(installed(L"Pendrix.exe")).c_str()), root.get(), root.get());
  for (const addin::RegistryEntry& entry : addin::registryEntries()) {
    if (entry.root != HKEY_CLASSES_ROOT) continue;  // Word's per-user key is not the package's
    const auto expand = [&](std::wstring text) {
      for (const auto& [placeholder, value] : {std::pair<std::wstring, std::wstring>{L"%CLSID%", wide(kZombAddinKey)},
                                               {L"%MODULE%", addinFile}})
        if (const size_t at = text.find(placeholder); at != std::wstring::npos) text.replace(at, placeholder.size(), value);
      return text;
    };
    const std::wstring key = expand(entry.key);
    UniqueHkey opened;
    RegCreateKeyExW(root.get(), key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, opened.put(), nullptr);
    if (entry.kind != addin::EntryKind::Text) continue;
    const std::wstring text = expand(entry.text);
    RegSetValueExW(opened.get(), entry.valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  }
  return root;
}

// The top keys of the package, which uninstalling takes away as a whole.
std::vector<std::pair<HKEY, std::wstring>> packageKeys() {
  return {{HKEY_CLASSES_ROOT, L"Pendrix.Application"},
          {HKEY_CLASSES_ROOT, L"CLSID\\" + std::wstring(wide(kAssistantAppKey))},
          {HKEY_CLASSES_ROOT, L"Glyphor.ZombAddin"},
          {HKEY_CLASSES_ROOT, L"Glyphor.ZombAddin.1"},
          {HKEY_CLASSES_ROOT, L"CLSID\\" + std::wstring(wide(kZombAddinKey))},
          {HKEY_LOCAL_MACHINE, kAddinKey},
          {HKEY_LOCAL_MACHINE, L"Software\\Pendrix"}};
}

std::vector<std::string> split(const std::string& list) {
  std::vector<std::string> items;
  for (size_t begin = 0; begin < list.size();) {
    const size_t end = std::min(list.find('|', begin), list.size());
    items.push_back(list.substr(begin, end - begin));
    begin = end + 1;
  }
  return items;
}

// Every file of the package, installed with the built content.
void expectInstalledFiles() {
  const std::pair<std::wstring, std::string> built[] = {
      {L"Pendrix.exe", PENDRIX_EXE}, {L"Tarnel64.dll", TARNEL64_DLL}, {L"Tarnel.dll", TARNEL32_DLL}};
  std::vector<std::pair<std::wstring, std::string>> files(std::begin(built), std::end(built));
  // path below the install directory > source file
  for (const std::string& pair : split(SHIPPED_FILES)) {
    std::wstring path(pair.begin(), pair.begin() + pair.find('>'));
    std::replace(path.begin(), path.end(), L'/', L'\\');
    files.push_back({path, pair.substr(pair.find('>') + 1)});
  }
  for (const auto& [name, source] : files)
    EXPECT_EQ(contentOf(installed(name)), contentOf(winePath(source))) << name;
  EXPECT_EQ(contentOf(teachersFolder() + L"\\Beispiel.wrx"), contentOf(winePath(EXAMPLE_WRX)));
}

// The guide opens from the Start menu, and every picture it shows lies beside it.
void expectManualWithPicturesAndEntry() {
  const std::wstring page = installed(L"Handbuch\\Benutzerhandbuch.html");
  const std::string html = contentOf(page);
  ASSERT_NE(html.find("<title>Pendrix – Benutzerhandbuch</title>"), std::string::npos) << "no guide page";
  EXPECT_NE(html.find("Wenn etwas nicht klappt"), std::string::npos);
  int pictures = 0;
  for (size_t at = html.find("<img src=\""); at != std::string::npos; at = html.find("<img src=\"", at + 1)) {
    const size_t begin = at + 10;
    const std::string source = html.substr(begin, html.find('"', begin) - begin);
    std::wstring path(source.begin(), source.end());
    std::replace(path.begin(), path.end(), L'/', L'\\');
    EXPECT_NE(GetFileAttributesW(installed(L"Handbuch\\" + path).c_str()), INVALID_FILE_ATTRIBUTES) << source;
    ++pictures;
  }
  EXPECT_GE(pictures, 15);
  ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
  EXPECT_EQ(CompareStringOrdinal(longPath(shortcutTarget(manualEntry())).c_str(), -1, page.c_str(), -1, TRUE), CSTR_EQUAL)
      << shortcutTarget(manualEntry());
  CoUninitialize();
}


std::wstring productInfo(const std::wstring& product, const wchar_t* property) {
  wchar_t value[256] = {};
  DWORD size = 256;
  MsiGetProductInfoW(product.c_str(), property, value, &size);
  return value;
}

// The installed products named Pendrix. By name, not by upgrade code: Wine's upgrade
// forgets the upgrade code of the newer product when it removes the older one.
std::vector<std::wstring> installedProducts() {
  std::vector<std::wstring> products;
  wchar_t code[39] = {};
  for (DWORD i = 0; MsiEnumProductsW(i, code) == ERROR_SUCCESS; ++i)
    if (productInfo(code, INSTALLPROPERTY_PRODUCTNAME) == L"Pendrix") products.push_back(code);
  return products;
}

// Presses OK on every "Info" box while it lives: the add-in's hint on Word's first
// start, and the assistant's question about the list separator on its first.
class InfoBoxAnswerer {
 public:
  InfoBoxAnswerer()
      : thread_([this] {
          while (!stop_) {
            if (const HWND box = findTopWindow({0, L"#32770", L"Info"})) PostMessageW(box, WM_COMMAND, IDOK, 0);
            Sleep(100);
          }
        }) {}
  ~InfoBoxAnswerer() {
    stop_ = true;
    thread_.join();
  }

 private:
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

void pressKeys(HWND window, std::initializer_list<WPARAM> keys) {
  for (const WPARAM key : keys) {
    PostMessageW(window, WM_KEYDOWN, key, 1);
    PostMessageW(window, WM_KEYUP, key, 0xC0000001);
  }
}

long intCall(IDispatch* app, const wchar_t* name, std::vector<Variant> args = {}) {
  Variant result;
  if (FAILED(invokeByName(app, name, DISPATCH_METHOD | DISPATCH_PROPERTYGET, args, &result))) return -1;
  if (FAILED(VariantChangeType(result.get(), result.get(), 0, VT_I4))) return -1;
  return result.get()->lVal;
}

std::wstring imageOf(DWORD processId) {
  UniqueHandle<HANDLE, CloseHandle> process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
  wchar_t path[MAX_PATH] = {};
  DWORD size = MAX_PATH;
  return process && QueryFullProcessImageNameW(process.get(), 0, path, &size) ? path : L"(unknown)";
}

TEST(Package, SilentInstallWritesEveryFileAndKey) {
  ASSERT_TRUE(installedProducts().empty()) << "the prefix is not fresh";
  ASSERT_EQ(msiexec(L"/i \"" + winePath(PACKAGE) + L"\""), 0);
  expectInstalledFiles();
  expectManualWithPicturesAndEntry();
  EXPECT_EQ(contentOf(settingsFile()), contentOf(winePath(DEFAULT_SETTINGS)));
  for (const REGSAM view : kViews) {
    const wchar_t* addin = view == KEY_WOW64_64KEY ? L"Tarnel64.dll" : L"Tarnel.dll";
    UniqueHkey expected = expectedClasses(installed(addin));
    expectSameTree(expected.get(), L"expected", view);
    const auto text = [&](const wchar_t* name) { return textOf(valueOf(HKEY_LOCAL_MACHINE, kAddinKey, name, view)); };
    EXPECT_EQ(text(L"FriendlyName"), L"Glyphor.ZombAddin") << viewName(view);
    EXPECT_EQ(text(L"Description"), L"Calvora Add-In") << viewName(view);
    const DWORD three = 3, zero = 0;
    EXPECT_EQ(valueOf(HKEY_LOCAL_MACHINE, kAddinKey, L"LoadBehavior", view),
              (RegistryValue{REG_DWORD, {reinterpret_cast<const BYTE*>(&three), reinterpret_cast<const BYTE*>(&three + 1)}}));
    EXPECT_EQ(valueOf(HKEY_LOCAL_MACHINE, kAddinKey, L"CommandLineSafe", view),
              (RegistryValue{REG_DWORD, {reinterpret_cast<const BYTE*>(&zero), reinterpret_cast<const BYTE*>(&zero + 1)}}));
  }
  RegDeleteTreeW(HKEY_CURRENT_USER, kExpectedRoot);
}

// Word's bars file, outside the product's folder.
std::wstring barsFile() { return installDirectory() + L".bars"; }

UniqueProcess startWord(const std::string& program) {
  return startProcess(winePath(program), L"--bars \"" + barsFile() + L"\"");
}

// Word, just started as `host`, loads the add-in from the all-users key of its own
// registry view; the term button starts the installed assistant, which
// `withAssistant` drives before Word quits. Word and the assistant then end.
void expectTermButtonStartsInstalledAssistant(HANDLE host,
                                              const std::function<void(HWND dialog, DWORD assistant)>& withAssistant) {
  ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
  InfoBoxAnswerer answerer;
  ComPtr<IDispatch> app;
  ASSERT_TRUE(waitUntil([&] {
    ComPtr<IUnknown> unknown;
    if (SUCCEEDED(GetActiveObject(word::kClsidApplication, nullptr, unknown.put())) &&
        SUCCEEDED(unknown->QueryInterface(IID_IDispatch, app.putVoid())))
      return true;
    return WaitForSingleObject(host, 0) == WAIT_OBJECT_0;
  })) << "Word is not in the running object table";
  ASSERT_NE(app.get(), nullptr) << "Word ended at its start, exit code " << waitForExit(host, 0);
  ASSERT_TRUE(waitUntil([&] { return intCall(app.get(), L"ConnectedSinks") == 3; })) << "the add-in did not connect";
  Variant dump;
  ASSERT_EQ(invokeByName(app.get(), L"DocumentDump", DISPATCH_METHOD, nullptr, 0, &dump), S_OK);
  EXPECT_NE(std::wstring(dump.get()->bstrVal).find(L"\"name\":\"VoZozu-Diror\""), std::wstring::npos);

  EXPECT_EQ(intCall(app.get(), L"ClickControl", argList(Variant::fromString(L"ZombTerm"))), 1);
  HWND dialog = nullptr;
  ASSERT_TRUE(waitUntil([&] { return (dialog = findTopWindow({0, L"#32770", L" Calvora"})) != nullptr; }))
      << "the term button opened no assistant";
  DWORD assistant = 0;
  GetWindowThreadProcessId(dialog, &assistant);
  EXPECT_EQ(CompareStringOrdinal(longPath(imageOf(assistant)).c_str(), -1, installed(L"Pendrix.exe").c_str(), -1, TRUE),
            CSTR_EQUAL)
      << imageOf(assistant);
  withAssistant(dialog, assistant);

  Variant ignored;
  EXPECT_EQ(invokeByName(app.get(), L"Quit", DISPATCH_METHOD, nullptr, 0, &ignored), S_OK);
  app.reset();
  EXPECT_EQ(waitForExit(host, 20000), 0);
  UniqueHandle<HANDLE, CloseHandle> process(OpenProcess(SYNCHRONIZE, FALSE, assistant));
  EXPECT_TRUE(!process || WaitForSingleObject(process.get(), 20000) == WAIT_OBJECT_0) << "the assistant did not end";
  DeleteFileW(barsFile().c_str());
  CoUninitialize();
}

// The assistant finds its settings and exercise files by its class registration.
TEST(Package, InstalledAddinStartsTheInstalledAssistant) {
  UniqueProcess host = startWord(WORDHOST_EXE);
  ASSERT_TRUE(host);
  expectTermButtonStartsInstalledAssistant(host.get(), [](HWND dialog, DWORD assistant) {
    // The first start decided the list separator in the installed settings file.
    EXPECT_NE(setting(L"Strichpunkt"), L"z");
    // An exercise from the area menu: drawn from an installed exercise file. The
    // first area is the guide's example from the teachers' folder, the second the
    // first of the shipped ones.
    PostMessageW(GetDlgItem(dialog, IDC_EXERCISE_FILE), BM_CLICK, 0, 0);
    HWND areas = nullptr;
    ASSERT_TRUE(waitUntil([&] { return (areas = findTopWindow({assistant, L"#32768"})) != nullptr; }))
        << "the area menu did not open";
    saveWindowPicture(GetDesktopWindow(), winePath(PICTURE_DIR) + L"\\installed-assistant-over-host.bmp");
    pressKeys(areas, {VK_DOWN, VK_DOWN, VK_RETURN});
    HWND exercises = nullptr;
    ASSERT_TRUE(waitUntil([&] { return (exercises = findTopWindow({assistant, L"#32768"})) && exercises != areas; }))
        << "the exercise menu did not open";
    pressKeys(exercises, {VK_DOWN, VK_RETURN});
    EXPECT_TRUE(waitUntil([&] { return !windowText(GetDlgItem(dialog, IDC_EXERCISE_TEXT)).empty(); }))
        << "no exercise text was shown";
    EXPECT_EQ(longPath(setting(L"AufgabePfad")).rfind(installDirectory() + L"\\", 0), 0u) << setting(L"AufgabePfad");
  });
}

// 32-bit Word on 64-bit Windows reads the 32-bit registry view: the 32-bit add-in,
// which starts the same (64-bit) assistant.
TEST(Package, InstalledAddinOf32BitWordStartsTheInstalledAssistant) {
  // Wine starts a 32-bit program with its 32-bit loader, a 32-bit Linux program a
  // kernel without IA-32 emulation cannot run. Wine then reports the program started
  // all the same, and it dies at once: the run script tells.
  if (GetEnvironmentVariableW(L"PENDRIX_NO_32BIT_PROGRAMS", nullptr, 0))
    GTEST_SKIP() << "this kernel cannot run 32-bit programs (no IA-32 emulation); 32-bit Word NOT RUN, "
                    "the 32-bit add-in is checked only as an installed file and its registry view";
  UniqueProcess host = startWord(WORDHOST32_EXE);
  ASSERT_TRUE(host) << "error " << GetLastError();
  expectTermButtonStartsInstalledAssistant(host.get(), [](HWND, DWORD) {
    saveWindowPicture(GetDesktopWindow(), winePath(PICTURE_DIR) + L"\\installed-assistant-over-32-bit-host.bmp");
  });
}

TEST(Package, NewerPackageUpgradesInPlaceAndKeepsTheSettings) {
  ASSERT_TRUE(WritePrivateProfileStringW(L"EINSTELLUNGEN", L"MalPunkt", L"2", settingsFile().c_str()));
  const std::wstring separator = setting(L"Strichpunkt");
  ASSERT_EQ(msiexec(L"/i \"" + winePath(NEXT_PACKAGE) + L"\""), 0);
  const std::vector<std::wstring> products = installedProducts();
  ASSERT_EQ(products.size(), 1u) << "the older product is still there";
  EXPECT_EQ(productInfo(products[0], INSTALLPROPERTY_VERSIONSTRING), NEXT_VERSION);
  expectInstalledFiles();
  EXPECT_EQ(setting(L"MalPunkt"), L"2");
  EXPECT_EQ(setting(L"Strichpunkt"), separator);
}

TEST(Package, RepairRestoresALostFileAndKeepsTheSettings) {
  const std::wstring lost = installed(L"Tarnel.dll");
  ASSERT_TRUE(DeleteFileW(lost.c_str()));
  // What "msiexec /fa" asks for, spelled as properties: Wine's msiexec fails /f.
  ASSERT_EQ(msiexec(L"/i \"" + winePath(NEXT_PACKAGE) + L"\" REINSTALL=ALL REINSTALLMODE=amus"), 0);
  EXPECT_EQ(contentOf(lost), contentOf(winePath(TARNEL32_DLL)));
  EXPECT_EQ(setting(L"MalPunkt"), L"2");
}

TEST(Package, UninstallLeavesNoFileFolderOrKey) {
  ASSERT_EQ(msiexec(L"/x \"" + winePath(NEXT_PACKAGE) + L"\""), 0);
  EXPECT_EQ(GetFileAttributesW(installDirectory().c_str()), INVALID_FILE_ATTRIBUTES) << "the folder is still there";
  for (const int csidl : {CSIDL_COMMON_PROGRAMS, CSIDL_PROGRAMS}) {
    EXPECT_EQ(GetFileAttributesW(manualEntry(csidl).c_str()), INVALID_FILE_ATTRIBUTES) << "the Start menu entry is still there";
    EXPECT_EQ(GetFileAttributesW((shellFolder(csidl) + L"\\Pendrix").c_str()), INVALID_FILE_ATTRIBUTES);
  }
  EXPECT_EQ(GetFileAttributesW(teachersFolder().c_str()), INVALID_FILE_ATTRIBUTES) << "the teachers' folder is still there";
  for (const REGSAM view : kViews)
    for (const auto& [root, key] : packageKeys())
      EXPECT_FALSE(keyExists(root, key, view)) << key << " in the " << viewName(view);
  EXPECT_TRUE(installedProducts().empty());
}

}  // namespace
}  // namespace pendrix::testing

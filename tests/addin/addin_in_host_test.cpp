// The add-in in the stand-in host, in this process: loaded by the host's add-in
// loader from Word's add-in key as Word loads it, with the host's objects and
// windows, as Word 2003 (menus and toolbars) or as a ribbon-era Word. Bars that Word
// kept from an earlier run are put into the host's bar model first.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

#include "addin_fixture.h"
#include "addin_loader.h"
#include "first_start_hint.h"
#include "support/process_win32.h"
#include "support/window_picture.h"
#include "win32/class_ids.h"
#include "win32/com_object.h"
#include "win32/late_binding.h"
#include "wordhost/events.h"
#include "wordhost/host_window.h"
#include "wordhost/ribbon.h"
#include "wordhost/word_objects.h"

namespace pendrix::addin::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::StartsWith;
using wordhost::HostState;

struct KeptButton {
  const char16_t* caption;
  int faceId;
};

size_t connectedSinks(const HostState& state) {
  size_t count = state.applicationSinks.entries.size();
  for (const auto& [button, sinks] : state.buttonSinks) count += sinks.entries.size();
  return count;
}

// The Word application under another name, as when the add-in is listed for
// another Office program.
class RenamedHost final : public ComObject<RenamedHost, IDispatch> {
 public:
  RenamedHost(ComPtr<IDispatch> inner, const wchar_t* name) : inner_(std::move(inner)), name_(name) {}
  static std::span<const InterfaceEntry<RenamedHost>> interfaces() {
    static constexpr InterfaceEntry<RenamedHost> table[] = {interfaceEntry<RenamedHost, IDispatch>(IID_IDispatch)};
    return table;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return inner_->GetTypeInfoCount(count); }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override {
    return inner_->GetTypeInfo(index, locale, info);
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                          DISPID* dispids) override {
    return inner_->GetIDsOfNames(iid, names, count, locale, dispids);
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID dispid, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* exception, UINT* argError) override {
    if (dispid != wordhost::kDispidName)
      return inner_->Invoke(dispid, iid, locale, flags, params, result, exception, argError);
    if (!result) return E_POINTER;
    result->vt = VT_BSTR;
    result->bstrVal = SysAllocString(name_);
    return S_OK;
  }

 private:
  friend class ComObject<RenamedHost, IDispatch>;
  ~RenamedHost() = default;
  ComPtr<IDispatch> inner_;
  const wchar_t* name_;
};

void forgetFirstStartHint() { RegDeleteKeyValueW(HKEY_CURRENT_USER, kFirstStartHintKey, kFirstStartHintValue); }

class AddinInHost : public ::testing::Test {
 protected:
  // The user has never seen the hint.
  void SetUp() override {
    forgetFirstStartHint();
    startHost(wordhost::HostUi::MenusAndToolbars);
  }
  // A new Word with a bar store of its own.
  void startHost(wordhost::HostUi ui) {
    ASSERT_NE(Tarnel::module(), nullptr);
    ASSERT_EQ(Tarnel::call("DllRegisterServer"), S_OK);
    log_ = uniqueTempFile(L"ast");
    registerAssistantStub(log_);
    registerSymbolTool();
    state_ = std::make_shared<HostState>();
    state_->ui = ui;
    application_ = wordhost::createApplication(state_);
    window_.emplace(state_);
    ASSERT_TRUE(window_->create(SW_SHOWNOACTIVATE));
    state_->changed = [this] { window_->refresh(); };
  }
  // Word closing: the add-ins are let go and the windows go; the user's registry stays.
  void closeHost() {
    loader_.reset();
    ribbon_.reset();
    if (state_) {
      state_->changed = nullptr;
      state_->disconnectAll();
    }
    window_.reset();
    // The host's window ends its message loop when it goes; the next test's
    // message box must not see that.
    MSG quit;
    while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    application_.reset();
  }
  void TearDown() override {
    closeHost();
    forgetFirstStartHint();
    Tarnel::call("DllUnregisterServer");
    unregisterCompanions();
    DeleteFileW(log_.c_str());
    CoFreeUnusedLibraries();
  }

  void keepBar(std::initializer_list<KeptButton> buttons) {
    wordhost::BarData* bar = state_->bars.addBar(u"VoZozu-Diror", office::kMsoBarFloating, false);
    ASSERT_NE(bar, nullptr);
    bar->visible = true;
    for (const KeptButton& kept : buttons) {
      wordhost::ButtonData* button = state_->bars.addButton(bar->id, 0, 1, 1, u"", false);
      ASSERT_NE(button, nullptr);
      button->caption = button->tag = kept.caption;
      button->style = 1;
      button->faceId = kept.faceId;
    }
  }
  // As Word starts: a ribbon-era Word hands the loader its ribbon.
  size_t loadAtStartup() {
    ribbon_.emplace(state_);
    loader_.emplace(application_.get(), state_->ui == wordhost::HostUi::Ribbon ? &*ribbon_ : nullptr);
    return loader_->loadAtStartup();
  }
  std::string dump() { return wordhost::documentDump(*state_); }
  std::string barsOfDump() {
    const std::string all = dump();
    const size_t at = all.find("\"commandBars\"");
    const size_t end = all.find(",\"ribbon\"");
    return at == std::string::npos || end == std::string::npos ? all : all.substr(at, end - at);
  }
  std::string ribbonOfDump() {
    const std::string all = dump();
    const size_t at = all.find("\"ribbon\"");
    return at == std::string::npos ? all : all.substr(at, all.size() - at - 1);
  }

  std::wstring log_;
  std::shared_ptr<HostState> state_;
  ComPtr<IDispatch> application_;
  std::optional<wordhost::HostWindow> window_;
  std::optional<wordhost::HostRibbon> ribbon_;
  std::optional<wordhost::AddinLoader> loader_;
};

TEST_F(AddinInHost, AKeptBarIsReusedAndADeletedButtonComesBackAlone) {
  struct Case {
    const char* name;
    std::initializer_list<KeptButton> kept;
    const char* bar;
  };
  const Case cases[] = {
      {"both kept", {{u"ZombTerm", 57}, {u"ZbGlyphor", 226}}, kFullBarDump},
      {"term button deleted", {{u"ZbGlyphor", 226}}, kFullBarDump},
      {"symbol button deleted, kept one moved away from its icon",
       {{u"ZombTerm", 12}},
       R"("commandBars":[{"name":"VoZozu-Diror","visible":true,"buttons":[)"
       R"({"caption":"ZbGlyphor","tag":"ZbGlyphor","faceId":226},{"caption":"ZombTerm","tag":"ZombTerm","faceId":12}]}])"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TearDown();
    SetUp();
    keepBar(c.kept);
    InfoBoxWatcher hints(GetCurrentProcessId());
    EXPECT_EQ(loadAtStartup(), 1u);
    EXPECT_EQ(barsOfDump(), c.bar);
    EXPECT_EQ(connectedSinks(*state_), 3u) << "two button sinks and the application sink";
    EXPECT_EQ(Tarnel::canUnloadNow(), S_FALSE);
    loader_->shutdown();
    EXPECT_EQ(connectedSinks(*state_), 0u) << "shutdown leaves no sink in Word";
    EXPECT_EQ(Tarnel::canUnloadNow(), S_OK) << "nothing of the add-in lives after shutdown";
    EXPECT_THAT(hints.texts(), IsEmpty()) << "a kept bar is not announced again";
  }
}

TEST_F(AddinInHost, AHostWithoutWordInItsNameGetsNoBar) {
  const auto renamed = makeComObject<RenamedHost>(application_, L"Microsoft Excel");
  ComPtr<office::IDTExtensibility2> addin;
  ASSERT_EQ(CoCreateInstance(toClsid(kZombAddinId), nullptr, CLSCTX_INPROC_SERVER, office::kIidDTExtensibility2,
                             addin.putVoid()),
            S_OK);
  for (int mode : {office::kStartup, office::kAfterStartup}) {
    SCOPED_TRACE(mode);
    EXPECT_EQ(addin->OnConnection(static_cast<IDispatch*>(renamed.get()), mode, nullptr, nullptr), E_POINTER);
    EXPECT_HRESULT_FAILED(addin->OnStartupComplete(nullptr));
  }
  EXPECT_EQ(addin->OnConnection(nullptr, office::kStartup, nullptr, nullptr), E_POINTER);
  EXPECT_THAT(state_->bars.bars(), IsEmpty());
  EXPECT_EQ(connectedSinks(*state_), 0u);
  EXPECT_EQ(addin->OnBeginShutdown(nullptr), S_OK);
  EXPECT_EQ(addin->OnDisconnection(office::kHostShutdown, nullptr), S_OK);
}

TEST_F(AddinInHost, LoadedAfterStartItBuildsTheBarAtOnceAndUnloadingDeletesIt) {
  writeNumber(HKEY_CURRENT_USER, kAddinKey, L"LoadBehavior", 2);
  EXPECT_EQ(loadAtStartup(), 0u);
  InfoBoxWatcher hints(GetCurrentProcessId());
  ASSERT_EQ(loader_->load(kProgId), S_OK);
  EXPECT_EQ(barsOfDump(), kFullBarDump);
  EXPECT_EQ(connectedSinks(*state_), 3u);
  EXPECT_THAT(hints.texts(), ElementsAre(kHintText)) << "a new bar is announced once";

  ASSERT_EQ(loader_->unload(kProgId), S_OK);
  EXPECT_EQ(barsOfDump(), R"("commandBars":[])");
  EXPECT_EQ(connectedSinks(*state_), 0u);
  EXPECT_EQ(Tarnel::canUnloadNow(), S_OK);
  EXPECT_EQ(hints.texts().size(), 1u);
}

struct StubSearch {
  DWORD processId;
  HWND found;
};

BOOL CALLBACK matchStubWindow(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<StubSearch*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  if (owner == search->processId && lstrcmpW(name, L"PendrixAssistantStub") == 0) search->found = window;
  return search->found == nullptr;
}

// The window of the test assistant's process.
HWND stubWindow(DWORD processId) {
  StubSearch search{processId, nullptr};
  EnumWindows(matchStubWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

TEST_F(AddinInHost, DoubleClickOpensOnlyASingleEquationField) {
  keepBar({{u"ZombTerm", 57}, {u"ZbGlyphor", 226}});
  ASSERT_EQ(loadAtStartup(), 1u);
  auto& document = state_->document;
  document.typeText(u"Text ");
  document.addField(document.selection().start(), document.selection().end(), u"EQ \\r(7;3)");
  document.setSelection(document.length(), document.length());
  document.typeText(u" mehr ");
  document.addField(document.selection().start(), document.selection().end(), u"PAGE");
  ASSERT_EQ(document.fields().size(), 2u);
  RedrawWindow(window_->mainWindow(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  const wchar_t* picture = sizeof(void*) == 8 ? L"\\addin-host-bar.bmp" : L"\\addin-host-bar-32.bmp";
  EXPECT_TRUE(pendrix::testing::saveWindowPicture(window_->mainWindow(), winePath(PICTURE_DIR) + picture));

  bool cancelled = true;
  ASSERT_EQ(wordhost::doubleClickField(state_, 2, cancelled), S_OK);
  EXPECT_FALSE(cancelled) << "a PAGE field is Word's";
  cancelled = true;
  wordhost::doubleClickAt(state_, 2, cancelled);
  EXPECT_FALSE(cancelled) << "ordinary text is Word's";
  document.setSelection(0, document.length());
  const ComPtr<IDispatch> selection = wordhost::createSelection(state_);
  EXPECT_FALSE(wordhost::fireEvent(*state_, state_->applicationSinks, word::kDispidWindowBeforeDoubleClick,
                                   selection.get())
                   .flag)
      << "two fields in the selection";
  EXPECT_THAT(stubProcesses(log_), IsEmpty()) << "nothing was started";

  ASSERT_EQ(wordhost::doubleClickField(state_, 1, cancelled), S_OK);
  EXPECT_TRUE(cancelled) << "the equation field goes to the assistant, not to Word";
  const std::vector<DWORD> started = stubProcesses(log_);
  ASSERT_EQ(started.size(), 1u);
  const HeldProcess startedProcess = holdProcess(started[0]);
  const std::wstring wordWindow =
      std::to_wstring(static_cast<LONG>(reinterpret_cast<LONG_PTR>(window_->mainWindow())));
  EXPECT_THAT(callsOf(log_, started[0]),
              ElementsAre(L"Started", L"SetWordApplication name=Microsoft Word", L"WordWindowHandle=" + wordWindow,
                          StartsWith(L"CursorXPos="), StartsWith(L"CursorYPos="), L"WindowHandle",
                          L"SetWordField code= EQ \\r(7;3) "));
  const HWND assistant = stubWindow(started[0]);
  ASSERT_NE(assistant, nullptr);
  EXPECT_EQ(GetWindow(assistant, GW_OWNER), window_->mainWindow()) << "Word's window owns the assistant";

  loader_->shutdown();
  EXPECT_TRUE(processEnds(startedProcess, 15000)) << "the add-in lets go of the assistant when Word closes";
  EXPECT_EQ(callsOf(log_, started[0]).back(), L"Released");
}

TEST_F(AddinInHost, WithNothingToStartAClickDoesNothingVisibleAndWordGoesOn) {
  for (const wordhost::HostUi ui : {wordhost::HostUi::MenusAndToolbars, wordhost::HostUi::Ribbon}) {
    SCOPED_TRACE(ui == wordhost::HostUi::Ribbon ? "ribbon" : "menus and toolbars");
    closeHost();
    startHost(ui);
    keepBar({{u"ZombTerm", 57}, {u"ZbGlyphor", 226}});
    ASSERT_EQ(loadAtStartup(), 1u);
    unregisterCompanions();
    InfoBoxWatcher boxes(GetCurrentProcessId());
    for (const char16_t* button : {u"ZombTerm", u"ZbGlyphor", u"ZombTerm"}) {
      int sinks = 0;
      EXPECT_EQ(wordhost::clickControl(state_, button, sinks), S_OK);
      EXPECT_EQ(sinks, 1);
      // The ribbon's callbacks answer S_OK whatever failed, as the click sinks do.
      if (ui == wordhost::HostUi::Ribbon) EXPECT_EQ(wordhost::pressRibbonButton(state_, button), S_OK);
    }
    EXPECT_THAT(stubProcesses(log_), IsEmpty());
    EXPECT_THAT(boxes.texts(), IsEmpty());
    // Word goes on: the bar is still served and its sinks still connected.
    EXPECT_EQ(barsOfDump(), kFullBarDump);
    EXPECT_EQ(connectedSinks(*state_), 3u);
    loader_->shutdown();
    EXPECT_EQ(connectedSinks(*state_), 0u);
    EXPECT_THAT(state_->ribbons, IsEmpty()) << "the add-in's tab goes with it";
  }
}

// A ribbon-era Word asks for the ribbon: the tab "Pendrix" holds the group "Formeln"
// with the large "ZombTerm" and "ZbGlyphor", their pictures from the add-in and German
// screen tips. A press starts what the bar's click starts; the bar is built as well,
// for the "Add-Ins" tab, and no hint asks the user to drag it anywhere.
TEST_F(AddinInHost, InARibbonEraWordItsTabStartsWhatTheBarStarts) {
  closeHost();
  startHost(wordhost::HostUi::Ribbon);
  InfoBoxWatcher hints(GetCurrentProcessId());
  ASSERT_EQ(loadAtStartup(), 1u);
  EXPECT_EQ(barsOfDump(), kFullBarDump);
  const std::string ribbon = ribbonOfDump();
  EXPECT_THAT(ribbon, StartsWith(R"("ribbon":[{"progId":"Glyphor.ZombAddin","tabs":[{"id":"PendrixTab","label":"Pendrix",)"
                                 R"("groups":[{"id":"PendrixFormeln","label":"Formeln","buttons":[)"));
  // The dump writes every character beyond ASCII as \uXXXX.
  EXPECT_THAT(ribbon, HasSubstr("{\"id\":\"ZombTerm\",\"label\":\"ZombTerm\",\"size\":\"large\","
                                "\"screentip\":\"ZombTerm: Formel schreiben\",\"supertip\":\"\\u00d6ffnet Pendrix: eine "
                                "Formel oder Gleichung aufbauen, berechnen und als Formelfeld in das Dokument schreiben. "
                                "Ein Doppelklick auf ein Formelfeld \\u00f6ffnet es zum Bearbeiten.\","
                                "\"onAction\":\"OnZombTerm\",\"picture\":\"32x32\"}"));
  EXPECT_THAT(ribbon, HasSubstr("{\"id\":\"ZbGlyphor\",\"label\":\"ZbGlyphor\",\"size\":\"normal\","
                                "\"screentip\":\"ZbGlyphor: Sonderzeichen\",\"supertip\":\"\\u00d6ffnet die "
                                "Symboltabelle: ein angeklicktes mathematisches Zeichen kommt an die Einf\\u00fcgemarke.\","
                                "\"onAction\":\"OnZbGlyphor\",\"picture\":\"16x16\"}"));
  RedrawWindow(window_->mainWindow(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  const std::wstring bitness = sizeof(void*) == 8 ? L"" : L"-32";
  EXPECT_TRUE(pendrix::testing::saveWindowPicture(window_->mainWindow(),
                                                  winePath(PICTURE_DIR) + L"\\addin-host-ribbon" + bitness + L".bmp"));

  // The screen tip, as the user sees it with the pointer over the button.
  const std::optional<RECT> term = window_->ribbonButtonRect(u"ZombTerm");
  ASSERT_TRUE(term) << "the tab does not show its large button";
  POINT over{(term->left + term->right) / 2, (term->top + term->bottom) / 2};
  ClientToScreen(window_->mainWindow(), &over);
  SetWindowPos(window_->mainWindow(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_TRUE(pendrix::testing::movePointerTo(over));
  HWND tip = nullptr;
  EXPECT_TRUE(pendrix::testing::waitUntil([&] {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    tip = FindWindowW(L"tooltips_class32", nullptr);
    return tip && IsWindowVisible(tip);
  })) << "no screen tip over the button";
  EXPECT_TRUE(pendrix::testing::saveWindowPicture(GetDesktopWindow(),
                                                  winePath(PICTURE_DIR) + L"\\addin-ribbon-screentip" + bitness + L".bmp"));

  EXPECT_EQ(wordhost::pressRibbonButton(state_, u"ZombTerm"), S_OK);
  const std::vector<DWORD> started = stubProcesses(log_);
  ASSERT_EQ(started.size(), 1u);
  const HeldProcess startedProcess = holdProcess(started[0]);
  const std::wstring wordWindow =
      std::to_wstring(static_cast<LONG>(reinterpret_cast<LONG_PTR>(window_->mainWindow())));
  EXPECT_THAT(callsOf(log_, started[0]),
              ElementsAre(L"Started", L"SetWordApplication name=Microsoft Word", L"WordWindowHandle=" + wordWindow,
                          StartsWith(L"CursorXPos="), StartsWith(L"CursorYPos="), L"WindowHandle"))
      << "the calls of a click on the bar";
  const HWND assistant = stubWindow(started[0]);
  ASSERT_NE(assistant, nullptr);
  EXPECT_EQ(GetWindow(assistant, GW_OWNER), window_->mainWindow());
  EXPECT_THAT(hints.texts(), IsEmpty());

  loader_->shutdown();
  EXPECT_THAT(state_->ribbons, IsEmpty());
  EXPECT_TRUE(processEnds(startedProcess, 15000)) << "the add-in lets go of the assistant when Word closes";
  EXPECT_EQ(Tarnel::canUnloadNow(), S_OK) << "nothing of the add-in lives after shutdown";
}

// Word keeps its bars in a template that school networks reset at every logon: the
// hint comes once per user whatever Word remembers, and never where Word shows a
// ribbon, which has no toolbars to drag the bar onto.
TEST_F(AddinInHost, TheHintComesOncePerUserAndNeverOverARibbon) {
  const struct {
    const char* start;
    wordhost::HostUi ui;
    bool hint;
  } starts[] = {
      {"ribbon-era Word", wordhost::HostUi::Ribbon, false},
      {"Word 2003, the first time", wordhost::HostUi::MenusAndToolbars, true},
      {"Word 2003, its bars forgotten", wordhost::HostUi::MenusAndToolbars, false},
      {"ribbon-era Word again", wordhost::HostUi::Ribbon, false},
  };
  for (const auto& start : starts) {
    SCOPED_TRACE(start.start);
    closeHost();
    startHost(start.ui);  // a bar store of its own: Word has no bar yet
    InfoBoxWatcher hints(GetCurrentProcessId());
    ASSERT_EQ(loadAtStartup(), 1u);
    EXPECT_EQ(barsOfDump(), kFullBarDump) << "the bar is built in every Word";
    if (start.hint) {
      EXPECT_THAT(hints.texts(), ElementsAre(kHintText));
    } else {
      EXPECT_THAT(hints.texts(), IsEmpty());
    }
  }
}

}  // namespace
}  // namespace pendrix::addin::testing

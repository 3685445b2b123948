// Command bars as the add-in builds them, their bars file between two host
// instances, and the events the add-in's sinks receive.

#include <gtest/gtest.h>

#include <ocidl.h>
#include <olectl.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "win32/office_interfaces.h"
#include "dispatch_helpers.h"
#include "test_sink.h"
#include "wordhost/dispatch_base.h"
#include "wordhost/events.h"
#include "wordhost/host_state.h"
#include "wordhost/word_objects.h"

namespace pendrix::wordhost {
namespace {

using namespace testing;
namespace fs = std::filesystem;
namespace w = pendrix::word;
namespace o = pendrix::office;

ComPtr<IConnectionPoint> pointOf(IDispatch* source, const IID& iid, HRESULT* hr = nullptr) {
  ComPtr<IConnectionPointContainer> container;
  ComPtr<IConnectionPoint> point;
  HRESULT result = source->QueryInterface(IID_IConnectionPointContainer, container.putVoid());
  if (SUCCEEDED(result)) result = container->FindConnectionPoint(iid, point.put());
  if (hr) *hr = result;
  return point;
}

bool sameObject(IUnknown* a, IUnknown* b) {
  ComPtr<IUnknown> x, y;
  a->QueryInterface(IID_IUnknown, x.putVoid());
  b->QueryInterface(IID_IUnknown, y.putVoid());
  return x && x.get() == y.get();
}

class HostBars : public ::testing::Test {
 protected:
  HostBars() {
    file = fs::temp_directory_path() /
           ("wordhost-bars-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + ".txt");
    fs::remove(file);
    open();
  }
  ~HostBars() override {
    // Before the sinks go: the host releases its references to them.
    state->disconnectAll();
    std::error_code ec;
    fs::remove(file, ec);
  }
  void open() {
    if (state) state->disconnectAll();
    state = std::make_shared<HostState>(file.u16string());
    app = createApplication(state);
  }
  ComPtr<IDispatch> bars() { return get(app.get(), L"CommandBars"); }
  ComPtr<IDispatch> addBar(const wchar_t* name, bool temporary = false) {
    CallResult r = invoke(bars().get(), L"Add", DISPATCH_METHOD,
                          argList(str(name), Variant::fromI4(o::kMsoBarFloating), Variant(), Variant::fromBool(temporary)));
    EXPECT_EQ(r.hr, S_OK);
    return r.object() ? ComPtr<IDispatch>(r.object()) : ComPtr<IDispatch>();
  }
  // Controls.Add(1, 1, empty, before, empty) and the add-in's properties.
  ComPtr<IDispatch> addButton(IDispatch* bar, const wchar_t* caption, int faceId, Variant before) {
    ComPtr<IDispatch> controls = get(bar, L"Controls");
    CallResult r = invoke(controls.get(), L"Add", DISPATCH_METHOD,
                          argList(Variant::fromI4(o::kMsoControlButton), Variant::fromI4(1), Variant(), std::move(before),
                                  Variant()));
    EXPECT_EQ(r.hr, S_OK);
    if (!r.object()) return {};
    ComPtr<IDispatch> button(r.object());
    EXPECT_EQ(invoke(button.get(), L"Caption", DISPATCH_PROPERTYPUT, argList(str(caption))).hr, S_OK);
    EXPECT_EQ(invoke(button.get(), L"Enabled", DISPATCH_PROPERTYPUT, argList(Variant::fromBool(true))).hr, S_OK);
    EXPECT_EQ(invoke(button.get(), L"Style", DISPATCH_PROPERTYPUT, argList(Variant::fromI4(o::kMsoButtonIcon))).hr, S_OK);
    EXPECT_EQ(invoke(button.get(), L"FaceId", DISPATCH_PROPERTYPUT, argList(Variant::fromI4(faceId))).hr, S_OK);
    EXPECT_EQ(invoke(button.get(), L"Tag", DISPATCH_PROPERTYPUT, argList(str(caption))).hr, S_OK);
    return button;
  }
  std::vector<std::wstring> captions(IDispatch* bar) {
    std::vector<std::wstring> out;
    ComPtr<IDispatch> controls = get(bar, L"Controls");
    const long count = invoke(controls.get(), L"Count", DISPATCH_PROPERTYGET).value.get()->lVal;
    for (long i = 1; i <= count; ++i) {
      CallResult item = invoke(controls.get(), L"Item", DISPATCH_METHOD, argList(Variant::fromI4(i)));
      out.push_back(item.object() ? text(invoke(item.object(), L"Caption", DISPATCH_PROPERTYGET)) : L"?");
    }
    return out;
  }

  // Sinks outlive the host's references to them.
  TestSink& makeSink(const IID& iid, TestSink::Answers answers) {
    sinks.push_back(makeComObject<TestSink>(iid, answers));
    return *sinks.back().get();
  }

  std::vector<ComPtr<TestSink>> sinks;
  fs::path file;
  std::shared_ptr<HostState> state;
  ComPtr<IDispatch> app;
};

TEST_F(HostBars, BarsAndButtonsAreFoundAddedOrderedAndDeleted) {
  EXPECT_FAILED(invoke(bars().get(), L"Item", DISPATCH_METHOD, argList(str(L"VoZozu-Diror"))).hr);
  ComPtr<IDispatch> bar = addBar(L"VoZozu-Diror");
  ASSERT_TRUE(bar);
  EXPECT_FAILED(invoke(bars().get(), L"Add", DISPATCH_METHOD, argList(str(L"vozozu-diror"))).hr);
  CallResult found = invoke(bars().get(), L"Item", DISPATCH_METHOD, argList(str(L"vozozu-diror")));
  ASSERT_EQ(found.hr, S_OK);
  EXPECT_EQ(text(invoke(found.object(), L"Name", DISPATCH_PROPERTYGET)), L"VoZozu-Diror");
  EXPECT_EQ(invoke(bars().get(), L"Count", DISPATCH_PROPERTYGET).value.get()->lVal, 1);

  // Both added before position 1: the later one comes first.
  ComPtr<IDispatch> symbol = addButton(bar.get(), L"ZbGlyphor", 226, Variant::fromI4(1));
  ComPtr<IDispatch> term = addButton(bar.get(), L"ZombTerm", 57, Variant::fromI4(1));
  EXPECT_EQ(captions(bar.get()), (std::vector<std::wstring>{L"ZombTerm", L"ZbGlyphor"}));
  ComPtr<IDispatch> middle = addButton(bar.get(), L"Mitte", 1, Variant::fromI2(2));
  addButton(bar.get(), L"Ende", 2, Variant());
  EXPECT_EQ(captions(bar.get()), (std::vector<std::wstring>{L"ZombTerm", L"Mitte", L"ZbGlyphor", L"Ende"}));
  ComPtr<IDispatch> controls = get(bar.get(), L"Controls");
  EXPECT_FAILED(invoke(controls.get(), L"Add", DISPATCH_METHOD,
                       argList(Variant::fromI4(1), Variant::fromI4(1), Variant(), Variant::fromI4(6))).hr);
  EXPECT_EQ(invoke(controls.get(), L"Add", DISPATCH_METHOD, argList(Variant::fromI4(10))).hr, E_NOTIMPL);

  // Controls.Item by caption, by tag, by index.
  invoke(middle.get(), L"Tag", DISPATCH_PROPERTYPUT, argList(str(L"mitte-tag")));
  CallResult byCaption = invoke(controls.get(), L"Item", DISPATCH_METHOD, argList(str(L"zbglyphor")));
  ASSERT_EQ(byCaption.hr, S_OK);
  EXPECT_EQ(invoke(byCaption.object(), L"FaceId", DISPATCH_PROPERTYGET).value.get()->lVal, 226);
  CallResult byTag = invoke(controls.get(), L"Item", DISPATCH_METHOD, argList(str(L"mitte-tag")));
  ASSERT_EQ(byTag.hr, S_OK);
  EXPECT_EQ(text(invoke(byTag.object(), L"Caption", DISPATCH_PROPERTYGET)), L"Mitte");
  EXPECT_FAILED(invoke(controls.get(), L"Item", DISPATCH_METHOD, argList(str(L"fehlt"))).hr);
  EXPECT_FAILED(invoke(controls.get(), L"Item", DISPATCH_METHOD, argList(Variant::fromI4(0))).hr);
  EXPECT_FAILED(invoke(controls.get(), L"Item", DISPATCH_METHOD, argList(Variant::fromI4(5))).hr);

  ASSERT_EQ(invoke(middle.get(), L"Delete", DISPATCH_METHOD).hr, S_OK);
  EXPECT_EQ(captions(bar.get()), (std::vector<std::wstring>{L"ZombTerm", L"ZbGlyphor", L"Ende"}));
  EXPECT_EQ(invoke(middle.get(), L"Caption", DISPATCH_PROPERTYGET).hr, kObjectDeleted);

  // Office's interfaces are answered as the same IDispatch.
  ComPtr<IDispatch> typed;
  EXPECT_EQ(bars()->QueryInterface(o::kIidCommandBars, typed.putVoid()), S_OK);
  EXPECT_EQ(bar->QueryInterface(o::kIidCommandBar, typed.putVoid()), S_OK);
  EXPECT_TRUE(sameObject(typed.get(), bar.get()));
  EXPECT_EQ(controls->QueryInterface(o::kIidCommandBarControls, typed.putVoid()), S_OK);
  EXPECT_EQ(term->QueryInterface(o::kIidCommandBarButton, typed.putVoid()), S_OK);
  EXPECT_EQ(term->QueryInterface(o::kIidCommandBarControl, typed.putVoid()), S_OK);
  EXPECT_EQ(bar->QueryInterface(o::kIidCommandBarButton, typed.putVoid()), E_NOINTERFACE);

  EXPECT_EQ(invoke(bar.get(), L"Visible", DISPATCH_PROPERTYPUT, argList(Variant::fromBool(true))).hr, S_OK);
  EXPECT_EQ(invoke(bar.get(), L"Visible", DISPATCH_PROPERTYGET).value.get()->boolVal, VARIANT_TRUE);
  ASSERT_EQ(invoke(bar.get(), L"Delete", DISPATCH_METHOD).hr, S_OK);
  EXPECT_FAILED(invoke(bars().get(), L"Item", DISPATCH_METHOD, argList(str(L"VoZozu-Diror"))).hr);
  EXPECT_EQ(invoke(term.get(), L"Caption", DISPATCH_PROPERTYGET).hr, kObjectDeleted);
  EXPECT_EQ(invoke(controls.get(), L"Count", DISPATCH_PROPERTYGET).hr, kObjectDeleted);
}

TEST_F(HostBars, BarsThatAreNotTemporaryAreFoundAgainByTheNextHost) {
  ComPtr<IDispatch> bar = addBar(L"VoZozu-Diror");
  addButton(bar.get(), L"ZbGlyphor", 226, Variant::fromI4(1));
  addButton(bar.get(), L"ZombTerm", 57, Variant::fromI4(1));
  invoke(bar.get(), L"Visible", DISPATCH_PROPERTYPUT, argList(Variant::fromBool(true)));
  ComPtr<IDispatch> controls = get(bar.get(), L"Controls");
  invoke(controls.get(), L"Add", DISPATCH_METHOD,
         argList(Variant::fromI4(1), Variant::fromI4(1), Variant(), missing(), Variant::fromBool(true)));
  ComPtr<IDispatch> temporary = addBar(L"Nur heute", true);
  addButton(temporary.get(), L"Weg", 3, Variant());
  bar.reset();
  controls.reset();
  temporary.reset();

  open();
  EXPECT_EQ(invoke(bars().get(), L"Count", DISPATCH_PROPERTYGET).value.get()->lVal, 1);
  EXPECT_FAILED(invoke(bars().get(), L"Item", DISPATCH_METHOD, argList(str(L"Nur heute"))).hr);
  CallResult again = invoke(bars().get(), L"Item", DISPATCH_METHOD, argList(str(L"VoZozu-Diror")));
  ASSERT_EQ(again.hr, S_OK);
  EXPECT_EQ(invoke(again.object(), L"Visible", DISPATCH_PROPERTYGET).value.get()->boolVal, VARIANT_TRUE);
  EXPECT_EQ(captions(again.object()), (std::vector<std::wstring>{L"ZombTerm", L"ZbGlyphor"}));
  CallResult term = invoke(get(again.object(), L"Controls").get(), L"Item", DISPATCH_METHOD, argList(str(L"ZombTerm")));
  ASSERT_EQ(term.hr, S_OK);
  EXPECT_EQ(invoke(term.object(), L"FaceId", DISPATCH_PROPERTYGET).value.get()->lVal, 57);
  EXPECT_EQ(invoke(term.object(), L"Style", DISPATCH_PROPERTYGET).value.get()->lVal, o::kMsoButtonIcon);
  EXPECT_EQ(text(invoke(term.object(), L"Tag", DISPATCH_PROPERTYGET)), L"ZombTerm");
  EXPECT_EQ(invoke(term.object(), L"Enabled", DISPATCH_PROPERTYGET).value.get()->boolVal, VARIANT_TRUE);
}

TEST_F(HostBars, ADamagedBarsFileGivesWhatCanBeRead) {
  {
    std::ofstream out(file, std::ios::binary);
    out << "Unsinn ohne Tabulator\n"
        << "button\tcaption=Waise\n"
        << "bar\tname=Gut\tvisible=1\tposition=4\r\n"
        << "button\tcaption=Eins\tfaceId=abc\ttag=eins\n"
        << "button\tcaption=" << std::string(10000, 'A') << "\tfaceId=7\n"
        << "button\tcaption=Tab\\tEscape\\\\\tfaceId=8\n"
        << "bar\tvisible=1\n"
        << "button\tcaption=Verloren\n"
        << "bar\tname=gut\n"
        << std::string("\0\xff\xfe\x01", 4) << "\n"
        << "bar\tname=Zwei\tposition=99999999999999999999\n"
        << "button\tcaption";
  }
  open();
  EXPECT_GT(state->bars.skippedLines(), 0u);
  ASSERT_EQ(state->bars.bars().size(), 2u);
  const BarData& good = state->bars.bars()[0];
  EXPECT_EQ(good.name, u"Gut");
  EXPECT_TRUE(good.visible);
  EXPECT_EQ(good.position, 4);
  ASSERT_EQ(good.buttons.size(), 3u);
  EXPECT_EQ(good.buttons[0].caption, u"Eins");
  EXPECT_EQ(good.buttons[0].faceId, 0);
  EXPECT_EQ(good.buttons[1].caption.size(), CommandBarModel::kMaxText);
  EXPECT_EQ(good.buttons[2].caption, u"Tab\tEscape\\");
  EXPECT_EQ(state->bars.bars()[1].name, u"Zwei");
  EXPECT_EQ(state->bars.bars()[1].position, 0);

  // The next change writes a sound file again.
  ASSERT_TRUE(addBar(L"Neu"));
  open();
  EXPECT_EQ(state->bars.skippedLines(), 0u);
  EXPECT_EQ(state->bars.bars().size(), 3u);
  EXPECT_EQ(state->bars.bars()[0].buttons[2].caption, u"Tab\tEscape\\");
}

class HostEvents : public HostBars {
 protected:
  void documentWithField() {
    invoke(app.get(), L"InsertText", DISPATCH_METHOD, argList(str(L"hallo welt ")));
    invoke(app.get(), L"InsertField", DISPATCH_METHOD, argList(str(L"EQ x")));
  }
  DWORD advise(IDispatch* source, const IID& iid, TestSink& sink) {
    ComPtr<IConnectionPoint> point = pointOf(source, iid);
    DWORD cookie = 0;
    EXPECT_TRUE(point);
    if (point) {
      EXPECT_EQ(point->Advise(&sink, &cookie), S_OK);
    }
    return cookie;
  }
  bool doubleClick(long index) {
    CallResult r = invoke(app.get(), L"DoubleClickField", DISPATCH_METHOD, argList(Variant::fromI4(index)));
    EXPECT_EQ(r.hr, S_OK);
    return r.value.get()->vt == VT_BOOL && r.value.get()->boolVal != VARIANT_FALSE;
  }
};

TEST_F(HostEvents, DoubleClickOnAFieldGoesToTheSinksAndCancelStopsTheHost) {
  documentWithField();
  TestSink& sink = makeSink(w::kIidApplicationEvents2, TestSink::Answers::EventInterface);
  long fieldsSeen = -1;
  // The add-in's handler: the selection's fields, then something of its own.
  sink.onEvent = [&](IDispatch* selection) {
    ComPtr<IDispatch> fields = get(selection, L"Fields");
    fieldsSeen = invoke(fields.get(), w::kDispidFieldsCount, DISPATCH_PROPERTYGET).value.get()->lVal;
    invoke(app.get(), L"SetSelection", DISPATCH_METHOD, argList(Variant::fromI4(0), Variant::fromI4(0)));
  };
  sink.setFlag = true;
  const DWORD cookie = advise(app.get(), w::kIidApplicationEvents2, sink);
  EXPECT_TRUE(doubleClick(1));
  EXPECT_EQ(sink.calls, 1);
  EXPECT_EQ(sink.lastId, w::kDispidWindowBeforeDoubleClick);
  EXPECT_EQ(sink.argTypes, (std::pair<VARTYPE, VARTYPE>{VT_DISPATCH, VT_BYREF | VT_BOOL}));
  EXPECT_EQ(fieldsSeen, 1);
  EXPECT_EQ(state->document.selection().end(), 0u);  // the host left the sink's selection alone

  sink.setFlag = false;
  EXPECT_FALSE(doubleClick(1));
  const FieldSpan f = state->document.fields()[0];
  EXPECT_EQ(state->document.selection().start(), f.begin);  // the host's own action: the field selected
  EXPECT_EQ(state->document.selection().end(), f.end + 1);
  EXPECT_EQ(invoke(app.get(), L"DoubleClickField", DISPATCH_METHOD, argList(Variant::fromI4(2))).hr, E_INVALIDARG);

  // On text the host's own action selects the word with its blank, unless cancelled.
  bool cancelled = true;
  doubleClickAt(state, 2, cancelled);
  EXPECT_FALSE(cancelled);
  EXPECT_EQ(state->document.text(state->document.selection().start(), state->document.selection().end()), u"hallo ");
  sink.setFlag = true;
  doubleClickAt(state, 2, cancelled);
  EXPECT_TRUE(cancelled);
  EXPECT_TRUE(state->document.selection().collapsed());

  ComPtr<IConnectionPoint> point = pointOf(app.get(), w::kIidApplicationEvents2);
  EXPECT_EQ(point->Unadvise(cookie + 100), CONNECT_E_NOCONNECTION);
  EXPECT_EQ(point->Unadvise(cookie), S_OK);
  EXPECT_EQ(sink.references(), 1u);
  const int before = sink.calls;
  doubleClick(1);
  EXPECT_EQ(sink.calls, before);
  EXPECT_EQ(point->Unadvise(cookie), CONNECT_E_NOCONNECTION);
}

TEST_F(HostEvents, SinksThatAnswerOnlyIDispatchAreConnectedAndOthersRefused) {
  documentWithField();
  TestSink& remote = makeSink(w::kIidApplicationEvents4, TestSink::Answers::DispatchOnly);
  remote.setFlag = true;
  advise(app.get(), w::kIidApplicationEvents4, remote);
  EXPECT_TRUE(doubleClick(1));
  EXPECT_EQ(remote.calls, 1);

  HRESULT hr = S_OK;
  ComPtr<IConnectionPoint> point = pointOf(app.get(), w::kIidApplicationEvents3, &hr);
  ASSERT_EQ(hr, S_OK);
  IID iid{};
  point->GetConnectionInterface(&iid);
  EXPECT_EQ(iid, w::kIidApplicationEvents3);
  TestSink& deaf = makeSink(w::kIidApplicationEvents3, TestSink::Answers::UnknownOnly);
  DWORD cookie = 99;
  EXPECT_EQ(point->Advise(&deaf, &cookie), CONNECT_E_CANNOTCONNECT);
  EXPECT_EQ(cookie, 0u);
  EXPECT_EQ(deaf.references(), 1u);
  pointOf(app.get(), o::kIidCommandBarButtonEvents, &hr);
  EXPECT_EQ(hr, CONNECT_E_NOCONNECTION);

  // The point's container is the application itself; objects that fire no events
  // have no container.
  ComPtr<IConnectionPointContainer> container;
  ASSERT_EQ(point->GetConnectionPointContainer(container.put()), S_OK);
  EXPECT_TRUE(sameObject(container.get(), app.get()));
  ComPtr<IDispatch> selection = get(app.get(), L"Selection");
  ASSERT_TRUE(selection);
  pointOf(selection.get(), w::kIidApplicationEvents3, &hr);
  EXPECT_EQ(hr, E_NOINTERFACE);
}

TEST_F(HostEvents, ClickReachesEverySinkOfTheButtonWithTheButtonAsCtrl) {
  ComPtr<IDispatch> bar = addBar(L"VoZozu-Diror");
  ComPtr<IDispatch> term = addButton(bar.get(), L"ZombTerm", 57, Variant::fromI4(1));
  addButton(bar.get(), L"ZbGlyphor", 226, Variant::fromI4(1));
  TestSink& first = makeSink(o::kIidCommandBarButtonEvents, TestSink::Answers::EventInterface);
  std::wstring ctrlCaption;
  first.onEvent = [&](IDispatch* ctrl) { ctrlCaption = text(invoke(ctrl, L"Caption", DISPATCH_PROPERTYGET)); };
  advise(term.get(), o::kIidCommandBarButtonEvents, first);
  // Another wrapper of the same button reaches the same sinks.
  CallResult again = invoke(get(bar.get(), L"Controls").get(), L"Item", DISPATCH_METHOD, argList(str(L"ZombTerm")));
  TestSink& second = makeSink(o::kIidCommandBarButtonEvents, TestSink::Answers::DispatchOnly);
  advise(again.object(), o::kIidCommandBarButtonEvents, second);

  CallResult click = invoke(app.get(), L"ClickControl", DISPATCH_METHOD, argList(str(L"ZombTerm")));
  ASSERT_EQ(click.hr, S_OK);
  EXPECT_EQ(click.value.get()->lVal, 2);
  EXPECT_EQ(first.calls, 1);
  EXPECT_EQ(second.calls, 1);
  EXPECT_EQ(first.lastId, o::kDispidClick);
  EXPECT_EQ(first.argTypes, (std::pair<VARTYPE, VARTYPE>{VT_DISPATCH, VT_BYREF | VT_BOOL}));
  EXPECT_EQ(ctrlCaption, L"ZombTerm");
  EXPECT_EQ(invoke(app.get(), L"ClickControl", DISPATCH_METHOD, argList(str(L"ZbGlyphor"))).value.get()->lVal, 0);
  EXPECT_EQ(first.calls, 1);
  EXPECT_FAILED(invoke(app.get(), L"ClickControl", DISPATCH_METHOD, argList(str(L"Fehlt"))).hr);

  // Deleting the button lets its sinks go.
  ASSERT_EQ(invoke(term.get(), L"Delete", DISPATCH_METHOD).hr, S_OK);
  EXPECT_EQ(first.references(), 1u);
  EXPECT_EQ(second.references(), 1u);
  EXPECT_FAILED(invoke(app.get(), L"ClickControl", DISPATCH_METHOD, argList(str(L"ZombTerm"))).hr);
}

}  // namespace
}  // namespace pendrix::wordhost

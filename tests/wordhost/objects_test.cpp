// The host's Word objects called in-process through IDispatch, as the assistant
// and the add-in call them: by DISPID and by name, with the argument types they
// pass, and with the faults a client must be able to handle.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "win32/office_interfaces.h"
#include "dispatch_helpers.h"
#include "wordhost/command_bars.h"
#include "wordhost/dispatch_base.h"
#include "wordhost/host_state.h"
#include "wordhost/word_objects.h"

namespace pendrix::wordhost {
namespace {

using namespace testing;
namespace w = pendrix::word;

class ComEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
  void TearDown() override { CoUninitialize(); }
};
const auto* const kComEnvironment = ::testing::AddGlobalTestEnvironment(new ComEnvironment);

class HostObjects : public ::testing::Test {
 protected:
  HostObjects() : state(std::make_shared<HostState>()), app(createApplication(state)) {}
  ~HostObjects() override { state->disconnectAll(); }

  ComPtr<IDispatch> selection() { return get(app.get(), w::kDispidSelection); }
  void type(const wchar_t* text) { ASSERT_EQ(invoke(app.get(), L"InsertText", DISPATCH_METHOD, argList(str(text))).hr, S_OK); }
  std::u16string story() const { return state->document.text(0, state->document.length()); }

  std::shared_ptr<HostState> state;
  ComPtr<IDispatch> app;
};

TEST_F(HostObjects, NamesResolveIgnoringCaseAndUnknownMembersFailCleanly) {
  EXPECT_EQ(idOf(app.get(), L"activedocument"), w::kDispidActiveDocument);
  EXPECT_EQ(idOf(app.get(), L"SELECTION"), w::kDispidSelection);
  ComPtr<IDispatch> sel = selection();
  ASSERT_TRUE(sel);
  EXPECT_EQ(idOf(sel.get(), L"moveRight"), w::kDispidMoveRight);
  EXPECT_EQ(idOf(sel.get(), L"NoSuchMember"), DISPID_UNKNOWN);

  // Parameter names for named arguments, numbered by position.
  DISPID ids[2] = {};
  LPOLESTR names[] = {const_cast<LPOLESTR>(L"MoveRight"), const_cast<LPOLESTR>(L"count")};
  EXPECT_EQ(sel->GetIDsOfNames(IID_NULL, names, 2, 0, ids), S_OK);
  EXPECT_EQ(ids[1], 1);

  EXPECT_EQ(invoke(sel.get(), 4711, DISPATCH_METHOD).hr, DISP_E_MEMBERNOTFOUND);
  // Selection.Range is read-only.
  EXPECT_EQ(invoke(sel.get(), w::kDispidSelectionRange, DISPATCH_PROPERTYPUT, argList(Variant::fromI4(1))).hr,
            DISP_E_MEMBERNOTFOUND);
  DISPPARAMS none{};
  EXPECT_EQ(app->Invoke(w::kDispidSelection, IID_IDispatch, 0, DISPATCH_PROPERTYGET, &none, nullptr, nullptr, nullptr),
            DISP_E_UNKNOWNINTERFACE);
  // Malformed DISPPARAMS get an error, not a crash.
  Variant out;
  EXPECT_EQ(sel->Invoke(w::kDispidMoveRight, IID_NULL, 0, DISPATCH_METHOD, nullptr, out.put(), nullptr, nullptr), S_OK);
  EXPECT_EQ(app->Invoke(kDispidClickControl, IID_NULL, 0, DISPATCH_METHOD, nullptr, nullptr, nullptr, nullptr),
            DISP_E_PARAMNOTFOUND);
  DISPPARAMS broken{nullptr, nullptr, 2, 0};
  EXPECT_EQ(sel->Invoke(w::kDispidMoveRight, IID_NULL, 0, DISPATCH_METHOD, &broken, nullptr, nullptr, nullptr),
            DISP_E_BADPARAMCOUNT);
  Variant one = Variant::fromI4(1);
  DISPPARAMS moreNamedThanArgs{one.get(), nullptr, 1, 2};
  EXPECT_EQ(sel->Invoke(w::kDispidMoveRight, IID_NULL, 0, DISPATCH_METHOD, &moreNamedThanArgs, nullptr, nullptr, nullptr),
            DISP_E_BADPARAMCOUNT);
  UINT count = 7;
  EXPECT_EQ(app->GetTypeInfoCount(&count), S_OK);
  EXPECT_EQ(count, 0u);

  CallResult name = invoke(app.get(), L"Name", DISPATCH_PROPERTYGET);
  EXPECT_NE(text(name).find(L"Word"), std::wstring::npos);
  // Application.Application is the object itself; the Word IID is the same IDispatch.
  ComPtr<IDispatch> self = get(app.get(), w::kDispidApplication);
  ComPtr<IUnknown> a, b;
  app->QueryInterface(IID_IUnknown, a.putVoid());
  self->QueryInterface(IID_IUnknown, b.putVoid());
  EXPECT_EQ(a.get(), b.get());
  ComPtr<IDispatch> typed;
  EXPECT_EQ(app->QueryInterface(w::kIidApplication, typed.putVoid()), S_OK);
}

TEST_F(HostObjects, MovesTakeTheArgumentTypesWordTakes) {
  type(L"abcdefgh");
  invoke(app.get(), L"SetSelection", DISPATCH_METHOD, argList(Variant::fromI4(0), Variant::fromI4(0)));
  ComPtr<IDispatch> sel = selection();
  short unit = 1, count = 2, extend = 0;
  CallResult r = invoke(sel.get(), w::kDispidMoveRight, DISPATCH_METHOD, argList(byRefI2(&unit), byRefI2(&count), byRefI2(&extend)));
  ASSERT_EQ(r.hr, S_OK);
  EXPECT_EQ(r.value.get()->vt, VT_I4);
  EXPECT_EQ(r.value.get()->lVal, 2);
  EXPECT_EQ(state->document.selection().start(), 2u);

  // By value, as doubles and a boolean extend; a variant that refers to a variant.
  VARIANT inner;
  inner.vt = VT_R8;
  inner.dblVal = 3.0;
  VARIANT_BOOL yes = VARIANT_TRUE;
  ASSERT_EQ(invoke(sel.get(), w::kDispidMoveRight, DISPATCH_METHOD,
                   argList(Variant::fromI4(1), byRef(&inner), byRefBool(&yes))).hr,
            S_OK);
  EXPECT_EQ(state->document.selection().start(), 2u);
  EXPECT_EQ(state->document.selection().end(), 5u);

  // Missing optionals take Word's defaults: one character, moving.
  ASSERT_EQ(invoke(sel.get(), w::kDispidMoveLeft, DISPATCH_METHOD, argList(missing(), missing(), missing())).hr, S_OK);
  EXPECT_TRUE(state->document.selection().collapsed());
  EXPECT_EQ(state->document.selection().start(), 2u);
  ASSERT_EQ(invoke(sel.get(), w::kDispidMoveLeft, DISPATCH_METHOD).hr, S_OK);
  EXPECT_EQ(state->document.selection().start(), 1u);

  // Named argument: Count:=3 alone.
  Variant three = Variant::fromI2(3);
  DISPID named = 1;
  DISPPARAMS params{three.get(), &named, 1, 1};
  Variant result;
  ASSERT_EQ(sel->Invoke(w::kDispidMoveRight, IID_NULL, 0, DISPATCH_METHOD, &params, result.put(), nullptr, nullptr), S_OK);
  EXPECT_EQ(state->document.selection().start(), 4u);

  // A string count is a type mismatch, reported at its DISPPARAMS index.
  CallResult bad = invoke(sel.get(), w::kDispidMoveRight, DISPATCH_METHOD,
                          argList(Variant::fromI2(1), str(L"2"), Variant::fromI2(0)));
  EXPECT_EQ(bad.hr, DISP_E_TYPEMISMATCH);
  EXPECT_EQ(bad.argError, 1u);
  EXPECT_EQ(invoke(sel.get(), w::kDispidMoveRight, DISPATCH_METHOD,
                   argList(Variant::fromI2(1), Variant::fromI2(1), Variant::fromI2(0), Variant::fromI2(0))).hr,
            DISP_E_BADPARAMCOUNT);
  EXPECT_EQ(invoke(sel.get(), w::kDispidMoveRight, DISPATCH_METHOD, argList(Variant::fromI2(2))).hr, E_NOTIMPL);
  EXPECT_EQ(state->document.selection().start(), 4u);  // failed calls moved nothing

  short line = 5, move = 0;
  ASSERT_EQ(invoke(sel.get(), w::kDispidEndKey, DISPATCH_METHOD, argList(byRefI2(&line), byRefI2(&move))).hr, S_OK);
  EXPECT_EQ(state->document.selection().start(), 8u);
  ASSERT_EQ(invoke(sel.get(), w::kDispidTypeParagraph, DISPATCH_METHOD).hr, S_OK);
  ASSERT_EQ(invoke(sel.get(), L"TypeText", DISPATCH_METHOD, argList(str(L"neu"))).hr, S_OK);
  EXPECT_EQ(story(), u"abcdefgh\rneu");
}

TEST_F(HostObjects, FontSizeIsAFloatGotAndPut) {
  type(L"abc");
  invoke(app.get(), L"SetSelection", DISPATCH_METHOD, argList(Variant::fromI4(1), Variant::fromI4(2)));
  ComPtr<IDispatch> font = get(selection().get(), w::kDispidSelectionFont);
  CallResult size = invoke(font.get(), w::kDispidFontSize, DISPATCH_PROPERTYGET);
  ASSERT_EQ(size.hr, S_OK);
  EXPECT_EQ(size.value.get()->vt, VT_R4);
  EXPECT_EQ(size.value.get()->fltVal, 12.0f);
  EXPECT_EQ(invoke(font.get(), w::kDispidFontSize, DISPATCH_PROPERTYPUT, argList(Variant::fromR4(8.0f))).hr, S_OK);
  EXPECT_EQ(state->document.story()[1].size, 8.0f);
  short twenty = 20;
  EXPECT_EQ(invoke(font.get(), w::kDispidFontSize, DISPATCH_PROPERTYPUT, argList(byRefI2(&twenty))).hr, S_OK);
  EXPECT_EQ(state->document.story()[1].size, 20.0f);
  EXPECT_EQ(invoke(font.get(), w::kDispidFontSize, DISPATCH_PROPERTYPUT, argList(str(L"9"))).hr, DISP_E_TYPEMISMATCH);
  EXPECT_EQ(invoke(font.get(), w::kDispidFontSize, DISPATCH_PROPERTYPUT, argList(Variant::fromR4(0.0f))).hr, E_INVALIDARG);
  EXPECT_EQ(invoke(font.get(), w::kDispidFontSize, DISPATCH_PROPERTYPUT).hr, DISP_E_PARAMNOTFOUND);
  EXPECT_EQ(state->document.story()[1].size, 20.0f);
  // A mixed selection answers Word's 9999999.
  invoke(app.get(), L"SetSelection", DISPATCH_METHOD, argList(Variant::fromI4(0), Variant::fromI4(3)));
  EXPECT_EQ(invoke(font.get(), w::kDispidFontSize, DISPATCH_PROPERTYGET).value.get()->fltVal, kMixedSize);
}

TEST_F(HostObjects, FieldsAddReplacesTheRangeWithThePaddedCode) {
  type(L"vor nach");
  invoke(app.get(), L"SetSelection", DISPATCH_METHOD, argList(Variant::fromI4(4), Variant::fromI4(4)));
  ComPtr<IDispatch> range = get(selection().get(), w::kDispidSelectionRange);
  ASSERT_EQ(invoke(range.get(), w::kDispidRangeText, DISPATCH_PROPERTYPUT, argList(str(L"EQ x"))).hr, S_OK);
  EXPECT_EQ(text(invoke(range.get(), w::kDispidRangeText, DISPATCH_PROPERTYGET)), L"EQ x");
  ComPtr<IDispatch> fields = get(get(app.get(), w::kDispidActiveDocument).get(), w::kDispidDocumentFields);
  short empty = -1;
  VARIANT_BOOL no = VARIANT_FALSE;
  Bstr code(L"EQ x");
  BSTR codeRef = code.get();
  CallResult added = invoke(fields.get(), w::kDispidFieldsAdd, DISPATCH_METHOD,
                            argList(Variant::fromDispatch(range.get()), byRefI2(&empty), byRef(&codeRef), byRefBool(&no)));
  ASSERT_EQ(added.hr, S_OK);
  ASSERT_NE(added.object(), nullptr);
  EXPECT_EQ(story(), u"vor \x13 EQ x \x15nach");
  EXPECT_EQ(state->document.selection().start(), 4u);
  EXPECT_EQ(invoke(fields.get(), w::kDispidFieldsCount, DISPATCH_PROPERTYGET).value.get()->lVal, 1);
  ComPtr<IDispatch> codeRange = get(added.object(), w::kDispidFieldCode);
  EXPECT_EQ(text(invoke(codeRange.get(), w::kDispidRangeText, DISPATCH_PROPERTYGET)), L" EQ x ");

  // Preserve formatting as a 16-bit integer, type and text by value.
  invoke(app.get(), L"SetSelection", DISPATCH_METHOD, argList(Variant::fromI4(0), Variant::fromI4(3)));
  ComPtr<IDispatch> second = get(selection().get(), w::kDispidSelectionRange);
  ASSERT_EQ(invoke(fields.get(), w::kDispidFieldsAdd, DISPATCH_METHOD,
                   argList(Variant::fromDispatch(second.get()), Variant::fromI4(-1), str(L"EQ y"), Variant::fromI2(0))).hr,
            S_OK);
  EXPECT_EQ(state->document.fields().size(), 2u);
  EXPECT_EQ(state->document.text(0, 9), u"\x13 EQ y \x15 ");

  // Not a range of this host, no range, another field type.
  EXPECT_EQ(invoke(fields.get(), w::kDispidFieldsAdd, DISPATCH_METHOD, argList(Variant::fromDispatch(fields.get()))).hr,
            DISP_E_TYPEMISMATCH);
  EXPECT_EQ(invoke(fields.get(), w::kDispidFieldsAdd, DISPATCH_METHOD, argList(missing())).hr, DISP_E_PARAMNOTFOUND);
  EXPECT_EQ(invoke(fields.get(), w::kDispidFieldsAdd, DISPATCH_METHOD,
                   argList(Variant::fromDispatch(second.get()), Variant::fromI4(31))).hr,
            E_NOTIMPL);
  EXPECT_EQ(state->document.fields().size(), 2u);
}

TEST_F(HostObjects, EditingAFieldCodeThroughItsRangeKeepsTheFieldInPlace) {
  type(L"x y");
  invoke(app.get(), L"SetSelection", DISPATCH_METHOD, argList(Variant::fromI4(2), Variant::fromI4(2)));
  invoke(app.get(), L"InsertField", DISPATCH_METHOD, argList(str(L"EQ \\f(1;2)")));
  ComPtr<IDispatch> fields = get(get(app.get(), w::kDispidActiveDocument).get(), w::kDispidDocumentFields);
  CallResult item = invoke(fields.get(), w::kDispidFieldsItem, DISPATCH_METHOD, argList(Variant::fromI4(1)));
  ASSERT_NE(item.object(), nullptr);
  ComPtr<IDispatch> field(item.object());
  ComPtr<IDispatch> code = get(field.get(), w::kDispidFieldCode);
  ASSERT_EQ(invoke(code.get(), w::kDispidRangeText, DISPATCH_PROPERTYPUT, argList(str(L"EQ \\r(2;3)"))).hr, S_OK);
  EXPECT_EQ(story(), u"x \x13" u"EQ \\r(2;3)\x15y");
  ASSERT_EQ(invoke(field.get(), w::kDispidFieldSelect, DISPATCH_METHOD).hr, S_OK);
  EXPECT_EQ(state->document.selection().start(), 2u);
  EXPECT_EQ(state->document.selection().end(), state->document.length() - 1);
  EXPECT_EQ(invoke(fields.get(), w::kDispidFieldsItem, DISPATCH_METHOD, argList(Variant::fromI4(2))).hr,
            static_cast<HRESULT>(0x800A1735));
  // A field whose marks went with a replaced range is gone for its wrappers too.
  invoke(app.get(), L"SetSelection", DISPATCH_METHOD, argList(Variant::fromI4(0), Variant::fromI4(4)));
  invoke(app.get(), L"InsertText", DISPATCH_METHOD, argList(str(L"z")));
  EXPECT_EQ(invoke(field.get(), w::kDispidFieldSelect, DISPATCH_METHOD).hr, kObjectDeleted);
  EXPECT_EQ(invoke(code.get(), w::kDispidRangeText, DISPATCH_PROPERTYGET).hr, kObjectDeleted);
}

TEST_F(HostObjects, SelectionFieldsAreTheFieldsInsideTheSelection) {
  type(L"a  b");
  invoke(app.get(), L"SetSelection", DISPATCH_METHOD, argList(Variant::fromI4(1), Variant::fromI4(1)));
  invoke(app.get(), L"InsertField", DISPATCH_METHOD, argList(str(L"EQ x")));
  const size_t second = state->document.fields()[0].end + 2;
  invoke(app.get(), L"SetSelection", DISPATCH_METHOD, argList(Variant::fromI4(long(second)), Variant::fromI4(long(second))));
  invoke(app.get(), L"InsertField", DISPATCH_METHOD, argList(str(L"DATE")));
  ASSERT_EQ(state->document.fields().size(), 2u);

  auto countIn = [&](long start, long end) {
    invoke(app.get(), L"SetSelection", DISPATCH_METHOD, argList(Variant::fromI4(start), Variant::fromI4(end)));
    ComPtr<IDispatch> fields = get(selection().get(), L"Fields");
    return invoke(fields.get(), w::kDispidFieldsCount, DISPATCH_PROPERTYGET).value.get()->lVal;
  };
  const FieldSpan first = state->document.fields()[0];
  EXPECT_EQ(countIn(long(first.begin), long(first.end + 1)), 1);
  EXPECT_EQ(countIn(0, long(state->document.length())), 2);
  EXPECT_EQ(countIn(0, 1), 0);

  invoke(app.get(), L"DoubleClickField", DISPATCH_METHOD, argList(Variant::fromI4(2)));
  ComPtr<IDispatch> fields = get(selection().get(), L"Fields");
  CallResult item = invoke(fields.get(), w::kDispidFieldsItem, DISPATCH_METHOD, argList(Variant::fromI4(1)));
  ASSERT_NE(item.object(), nullptr);
  ComPtr<IDispatch> code = get(item.object(), w::kDispidFieldCode);
  EXPECT_EQ(text(invoke(code.get(), w::kDispidRangeText, DISPATCH_PROPERTYGET)), L" DATE ");
}

TEST_F(HostObjects, ShowFieldCodesMakesEveryCodeCharacterAStep) {
  type(L"a");
  invoke(app.get(), L"InsertField", DISPATCH_METHOD, argList(str(L"EQ")));
  ComPtr<IDispatch> view = get(get(app.get(), w::kDispidActiveWindow).get(), w::kDispidWindowView);
  ASSERT_TRUE(view);
  invoke(app.get(), L"SetSelection", DISPATCH_METHOD, argList(Variant::fromI4(1), Variant::fromI4(1)));
  ComPtr<IDispatch> sel = selection();
  short one = 1, zero = 0;
  EXPECT_EQ(invoke(view.get(), w::kDispidShowFieldCodes, DISPATCH_PROPERTYPUT, argList(Variant::fromBool(true))).hr, S_OK);
  EXPECT_TRUE(state->document.showFieldCodes());
  invoke(sel.get(), w::kDispidMoveRight, DISPATCH_METHOD, argList(byRefI2(&one), byRefI2(&one), byRefI2(&zero)));
  EXPECT_EQ(state->document.selection().start(), 2u);
  EXPECT_EQ(invoke(view.get(), w::kDispidShowFieldCodes, DISPATCH_PROPERTYPUT, argList(Variant::fromI2(0))).hr, S_OK);
  EXPECT_EQ(invoke(view.get(), w::kDispidShowFieldCodes, DISPATCH_PROPERTYGET).value.get()->boolVal, VARIANT_FALSE);
  invoke(app.get(), L"SetSelection", DISPATCH_METHOD, argList(Variant::fromI4(1), Variant::fromI4(1)));
  invoke(sel.get(), w::kDispidMoveRight, DISPATCH_METHOD, argList(byRefI2(&one), byRefI2(&one), byRefI2(&zero)));
  EXPECT_EQ(state->document.selection().start(), state->document.length());
  EXPECT_EQ(invoke(view.get(), w::kDispidShowFieldCodes, DISPATCH_PROPERTYPUT, argList(str(L"ja"))).hr,
            DISP_E_TYPEMISMATCH);
}

// Word 2010's custom undo records: one record however deep they nest, its name the
// outermost's cut to 64 characters; an end without a start does nothing.
TEST_F(HostObjects, UndoRecordsNestAsOneAndThePageBreakIsACharacter) {
  ComPtr<IDispatch> undo = get(app.get(), w::kDispidUndoRecord);
  ASSERT_TRUE(undo);
  ComPtr<IDispatch> dual;
  EXPECT_EQ(undo->QueryInterface(w::kIidUndoRecord, dual.putVoid()), S_OK);
  EXPECT_EQ(invoke(undo.get(), w::kDispidEndCustomRecord, DISPATCH_METHOD).hr, S_OK);
  const std::wstring longName(70, L'A');
  ASSERT_EQ(invoke(undo.get(), w::kDispidStartCustomRecord, DISPATCH_METHOD, argList(str(longName.c_str()))).hr, S_OK);
  ASSERT_EQ(invoke(get(app.get(), L"UndoRecord").get(), L"StartCustomRecord", DISPATCH_METHOD, argList(str(L"innen"))).hr, S_OK);
  EXPECT_EQ(invoke(undo.get(), w::kDispidCustomRecordLevel, DISPATCH_PROPERTYGET).value.get()->lVal, 2);
  EXPECT_EQ(text(invoke(undo.get(), w::kDispidCustomRecordName, DISPATCH_PROPERTYGET)), std::wstring(64, L'A'));
  invoke(undo.get(), w::kDispidEndCustomRecord, DISPATCH_METHOD);
  EXPECT_EQ(invoke(undo.get(), w::kDispidIsRecordingCustomRecord, DISPATCH_PROPERTYGET).value.get()->boolVal, VARIANT_TRUE);
  invoke(undo.get(), w::kDispidEndCustomRecord, DISPATCH_METHOD);
  EXPECT_EQ(invoke(undo.get(), w::kDispidIsRecordingCustomRecord, DISPATCH_PROPERTYGET).value.get()->boolVal, VARIANT_FALSE);
  EXPECT_EQ(state->undo.finished, std::vector<std::u16string>{std::u16string(64, u'A')});

  // Selection.InsertBreak by DISPID with the type by reference, or by name without it.
  type(L"Aufgaben");
  short pageBreak = w::kWdPageBreak;
  EXPECT_EQ(invoke(selection().get(), w::kDispidInsertBreak, DISPATCH_METHOD, argList(byRefI2(&pageBreak))).hr, S_OK);
  EXPECT_EQ(invoke(selection().get(), L"InsertBreak", DISPATCH_METHOD).hr, S_OK);
  short sectionBreak = 2;
  EXPECT_EQ(invoke(selection().get(), w::kDispidInsertBreak, DISPATCH_METHOD, argList(byRefI2(&sectionBreak))).hr, E_NOTIMPL);
  EXPECT_EQ(invoke(selection().get(), w::kDispidTypeText, DISPATCH_METHOD, argList(str(L"Lösungen"))).hr, S_OK);
  EXPECT_EQ(story(), u"Aufgaben\f\fLösungen");
  const std::string dump = documentDump(*state);
  EXPECT_NE(dump.find("\"pageBreaks\":[8,9]"), std::string::npos) << dump;
  EXPECT_NE(dump.find("\"undoRecords\":{\"level\":0,\"finished\":[\"AAAA"), std::string::npos) << dump;
}

TEST_F(HostObjects, InjectedFaultsHitTheMemberOnEveryObjectUntilCleared) {
  type(L"abc");
  ComPtr<IDispatch> font = get(selection().get(), w::kDispidSelectionFont);
  ASSERT_EQ(invoke(app.get(), L"FailMember", DISPATCH_METHOD, argList(str(L"size"), Variant::fromI4(E_ACCESSDENIED))).hr, S_OK);
  EXPECT_EQ(invoke(font.get(), w::kDispidFontSize, DISPATCH_PROPERTYGET).hr, E_ACCESSDENIED);
  EXPECT_EQ(invoke(get(selection().get(), w::kDispidSelectionFont).get(), L"Size", DISPATCH_PROPERTYGET).hr, E_ACCESSDENIED);
  ASSERT_EQ(invoke(app.get(), L"FailMember", DISPATCH_METHOD,
                   argList(Variant::fromI4(w::kDispidMoveRight), Variant::fromI4(DISP_E_EXCEPTION))).hr,
            S_OK);
  CallResult moved = invoke(selection().get(), w::kDispidMoveRight, DISPATCH_METHOD);
  EXPECT_EQ(moved.hr, DISP_E_EXCEPTION);
  EXPECT_NE(moved.exception.bstrDescription, nullptr);
  EXPECT_EQ(invoke(selection().get(), w::kDispidMoveLeft, DISPATCH_METHOD).hr, S_OK);
  // Cleared with 0; FailMember itself cannot be failed.
  ASSERT_EQ(invoke(app.get(), L"FailMember", DISPATCH_METHOD, argList(str(L"FailMember"), Variant::fromI4(E_FAIL))).hr, S_OK);
  ASSERT_EQ(invoke(app.get(), L"FailMember", DISPATCH_METHOD, argList(str(L"Size"), Variant::fromI4(0))).hr, S_OK);
  EXPECT_EQ(invoke(font.get(), w::kDispidFontSize, DISPATCH_PROPERTYGET).hr, S_OK);
  ASSERT_EQ(invoke(app.get(), L"FailMember", DISPATCH_METHOD, argList(Variant::fromI4(w::kDispidMoveRight), Variant::fromI4(0))).hr, S_OK);
  EXPECT_EQ(invoke(selection().get(), w::kDispidMoveRight, DISPATCH_METHOD).hr, S_OK);
  EXPECT_EQ(invoke(app.get(), L"FailMember", DISPATCH_METHOD, argList(str(L"Size"))).hr, DISP_E_PARAMNOTFOUND);
}

TEST_F(HostObjects, LiveObjectsCountsEveryObjectHandedOutUntilReleased) {
  const auto live = [&] { return invoke(app.get(), L"LiveObjects", DISPATCH_PROPERTYGET).value.get()->lVal; };
  const long baseline = live();
  EXPECT_EQ(baseline, 1);  // the application itself
  {
    ComPtr<IDispatch> sel = selection();
    ComPtr<IDispatch> font = get(sel.get(), w::kDispidSelectionFont);
    ComPtr<IDispatch> document = get(app.get(), w::kDispidActiveDocument);
    EXPECT_EQ(live(), baseline + 3);
    ComPtr<IDispatch> again = selection();
    EXPECT_EQ(live(), baseline + 4);
  }
  EXPECT_EQ(live(), baseline);
}

TEST_F(HostObjects, CallLogListsEveryCallWithItsArgumentTypes) {
  invoke(app.get(), L"ClearCallLog", DISPATCH_METHOD);
  ComPtr<IDispatch> sel = selection();
  short one = 1, zero = 0;
  invoke(sel.get(), w::kDispidMoveRight, DISPATCH_METHOD, argList(byRefI2(&one), byRefI2(&one), byRefI2(&zero)));
  invoke(get(sel.get(), w::kDispidSelectionFont).get(), w::kDispidFontSize, DISPATCH_PROPERTYPUT,
         argList(Variant::fromR4(8.0f)));
  invoke(sel.get(), 999, DISPATCH_METHOD);
  const std::wstring log = text(invoke(app.get(), L"CallLog", DISPATCH_METHOD));
  EXPECT_EQ(log,
            L"Application.Selection()\n"
            L"Selection.MoveRight(VT_I2|VT_BYREF,VT_I2|VT_BYREF,VT_I2|VT_BYREF)\n"
            L"Selection.Font()\n"
            L"Font.Size=(VT_R4)\n"
            L"Selection.#999()\n"
            L"Application.CallLog()\n");
}

TEST_F(HostObjects, ScriptRunsControlOperationsAndNamesTheFailingLine) {
  ComPtr<IDispatch> a = app;
  ScriptResult ok = runScript(a.get(),
                              "# a formula with a small exponent\n"
                              "InsertText Hallo \n"
                              "InsertField EQ x\\s\\up5(2)\n"
                              "ShowFieldCodes 1\n"
                              "MoveRight 13 0\n"
                              "MoveRight 1 1\n"
                              "FontSize 8\n"
                              "ShowFieldCodes 0\n"
                              "EndKey\n"
                              "TypeParagraph\n"
                              "TypeText Ende\n");
  ASSERT_TRUE(ok.ok) << ok.message;
  ASSERT_EQ(state->document.fields().size(), 1u);
  const FieldSpan f = state->document.fields()[0];
  EXPECT_EQ(state->document.text(f.codeStart(), f.codeEnd()), u" EQ x\\s\\up5(2) ");
  for (size_t i = f.begin; i <= f.end; ++i)
    EXPECT_EQ(state->document.story()[i].size, i == f.begin + 13 ? 8.0f : 12.0f) << i;
  EXPECT_EQ(state->document.text(f.end + 1, state->document.length()), u"\rEnde");
  const std::string dump = documentDump(*state);
  EXPECT_NE(dump.find("\"code\":\" EQ x\\u005cs\\u005cup5(2) \""), std::string::npos) << dump;
  EXPECT_NE(dump.find("\"commandBars\":[]"), std::string::npos);

  ScriptResult bad = runScript(a.get(), "InsertText x\n\nMoveRight zwei\n");
  EXPECT_FALSE(bad.ok);
  EXPECT_EQ(bad.line, 3u);
  ScriptResult unknown = runScript(a.get(), "Frobnicate\n");
  EXPECT_FALSE(unknown.ok);
  EXPECT_NE(unknown.message.find("Frobnicate"), std::string::npos);
  ScriptResult failing = runScript(a.get(), "DoubleClickField 9\n");
  EXPECT_FALSE(failing.ok);
  EXPECT_NE(failing.message.find("0x80070057"), std::string::npos) << failing.message;
}

}  // namespace
}  // namespace pendrix::wordhost

#include "wordhost/word_objects.h"

#include <cmath>
#include <cstdio>

#include "win32/handles.h"
#include "session/text_codec.h"
#include "wordhost/command_bars.h"
#include "wordhost/dispatch_base.h"
#include "wordhost/events.h"
#include "wordhost/ribbon.h"
#include "wordhost/text_util.h"
#include "wordhost/undo_record.h"

namespace pendrix::wordhost {
namespace {

// Word's "requested member of the collection does not exist".
constexpr HRESULT kNoSuchMember = static_cast<HRESULT>(0x800A1735);

// {5D1C3A52-8F0E-4E6B-9A31-2B7C0D4E9F10}: how Fields.Add recognises a range of
// this host among the dispatch objects it is handed.
constexpr IID kIidHostRange = {0x5d1c3a52, 0x8f0e, 0x4e6b, {0x9a, 0x31, 0x2b, 0x7c, 0x0d, 0x4e, 0x9f, 0x10}};

using StatePtr = std::shared_ptr<HostState>;

// A range is either fixed positions (a selection's range, which Range.Text put
// stretches over the new text) or the code of a field, found afresh each call.
class RangeObject final : public DispatchObject {
 public:
  RangeObject(StatePtr state, size_t start, size_t end)
      : DispatchObject(std::move(state), "Range"), start_(start), end_(end) {}
  RangeObject(StatePtr state, int fieldId) : DispatchObject(std::move(state), "Range"), fieldId_(fieldId) {}

  HRESULT bounds(size_t& start, size_t& end) {
    if (fieldId_ == 0) {
      start = std::min(start_, state().document.length());
      end = std::clamp(end_, start, state().document.length());
      return S_OK;
    }
    const auto field = state().document.field(fieldId_);
    if (!field) return kObjectDeleted;
    start = field->codeStart();
    end = field->codeEnd();
    return S_OK;
  }

  HRESULT text(Invocation& call) {
    size_t start = 0, end = 0;
    PENDRIX_RETURN_IF_FAILED(bounds(start, end));
    if (!call.isPut()) return call.returnString(state().document.text(start, end));
    std::u16string text;
    PENDRIX_RETURN_IF_FAILED(call.putString(text));
    const size_t newEnd = state().document.replaceText(start, end, text);
    if (fieldId_ == 0) {
      start_ = start;
      end_ = newEnd;
    }
    return S_OK;
  }
  HRESULT startMember(Invocation& call) {
    size_t start = 0, end = 0;
    PENDRIX_RETURN_IF_FAILED(bounds(start, end));
    return call.returnInt(static_cast<long>(start));
  }
  HRESULT endMember(Invocation& call) {
    size_t start = 0, end = 0;
    PENDRIX_RETURN_IF_FAILED(bounds(start, end));
    return call.returnInt(static_cast<long>(end));
  }

 protected:
  std::span<const Member> members() const override {
    static const Member kMembers[] = {
        {L"Text", word::kDispidRangeText, kGet | kPut, L"", WORDHOST_BIND(RangeObject, text)},
        {L"Start", word::kDispidRangeStart, kGet, L"", WORDHOST_BIND(RangeObject, startMember)},
        {L"End", word::kDispidRangeEnd, kGet, L"", WORDHOST_BIND(RangeObject, endMember)},
    };
    return kMembers;
  }
  void* furtherInterface(REFIID iid) override { return iid == kIidHostRange ? static_cast<IDispatch*>(this) : nullptr; }

 private:
  size_t start_ = 0;
  size_t end_ = 0;
  int fieldId_ = 0;
};

class FieldObject final : public DispatchObject {
 public:
  FieldObject(StatePtr state, int id) : DispatchObject(std::move(state), "Field"), id_(id) {}

  HRESULT code(Invocation& call) {
    if (!state().document.field(id_)) return kObjectDeleted;
    return call.returnDispatch(makeComObject<RangeObject>(sharedState(), id_).detach());
  }
  HRESULT select(Invocation& call) {
    if (!state().document.field(id_)) return kObjectDeleted;
    state().document.selectField(id_);
    return S_OK;
  }
  HRESULT type(Invocation& call) {
    if (!state().document.field(id_)) return kObjectDeleted;
    return call.returnInt(word::kWdFieldEmpty);
  }

 protected:
  std::span<const Member> members() const override {
    static const Member kMembers[] = {
        {L"Code", word::kDispidFieldCode, kGet, L"", WORDHOST_BIND(FieldObject, code)},
        {L"Select", word::kDispidFieldSelect, kMethod, L"", WORDHOST_BIND(FieldObject, select)},
        {L"Type", word::kDispidFieldType, kGet, L"", WORDHOST_BIND(FieldObject, type)},
    };
    return kMembers;
  }

 private:
  int id_;
};

// The document's fields, or those inside a selection as it was when the
// collection was taken.
class FieldsObject final : public DispatchObject {
 public:
  explicit FieldsObject(StatePtr state) : DispatchObject(std::move(state), "Fields") {}
  FieldsObject(StatePtr state, std::vector<int> ids)
      : DispatchObject(std::move(state), "Fields"), ids_(std::move(ids)), snapshot_(true) {}

  std::vector<int> current() {
    std::vector<int> out;
    if (!snapshot_) {
      for (const FieldSpan& f : state().document.fields()) out.push_back(f.id);
      return out;
    }
    for (int id : ids_)
      if (state().document.field(id)) out.push_back(id);
    return out;
  }

  HRESULT count(Invocation& call) { return call.returnInt(static_cast<long>(current().size())); }
  HRESULT item(Invocation& call) {
    long index = 0;
    PENDRIX_RETURN_IF_FAILED(call.intArg(0, index));
    const std::vector<int> ids = current();
    if (index < 1 || static_cast<size_t>(index) > ids.size()) return kNoSuchMember;
    return call.returnDispatch(makeComObject<FieldObject>(sharedState(), ids[index - 1]).detach());
  }
  HRESULT add(Invocation& call) {
    const VARIANT* rangeArg = call.arg(0);
    if (!rangeArg) return DISP_E_PARAMNOTFOUND;
    IUnknown* unknown = nullptr;
    if ((rangeArg->vt & VT_TYPEMASK) == VT_DISPATCH || (rangeArg->vt & VT_TYPEMASK) == VT_UNKNOWN)
      unknown = (rangeArg->vt & VT_BYREF) ? (rangeArg->ppunkVal ? *rangeArg->ppunkVal : nullptr) : rangeArg->punkVal;
    ComPtr<IDispatch> hostRange;
    if (!unknown || FAILED(unknown->QueryInterface(kIidHostRange, hostRange.putVoid()))) return DISP_E_TYPEMISMATCH;
    long type = word::kWdFieldEmpty;
    std::u16string text;
    bool preserve = false;
    PENDRIX_RETURN_IF_FAILED(call.intArg(1, type, word::kWdFieldEmpty));
    PENDRIX_RETURN_IF_FAILED(call.stringArg(2, text, u""));
    PENDRIX_RETURN_IF_FAILED(call.boolArg(3, preserve, false));
    // Only an empty field takes the text as its code; other kinds are not kept.
    if (type != word::kWdFieldEmpty) return E_NOTIMPL;
    size_t start = 0, end = 0;
    PENDRIX_RETURN_IF_FAILED(static_cast<RangeObject*>(static_cast<DispatchObject*>(hostRange.get()))->bounds(start, end));
    const int id = state().document.addField(start, end, text);
    if (snapshot_) ids_.push_back(id);
    return call.returnDispatch(makeComObject<FieldObject>(sharedState(), id).detach());
  }

 protected:
  std::span<const Member> members() const override {
    static const Member kMembers[] = {
        {L"Item", word::kDispidFieldsItem, kMethod, L"Index", WORDHOST_BIND(FieldsObject, item)},
        {L"Count", word::kDispidFieldsCount, kGet, L"", WORDHOST_BIND(FieldsObject, count)},
        {L"Add", word::kDispidFieldsAdd, kMethod, L"Range,Type,Text,PreserveFormatting",
         WORDHOST_BIND(FieldsObject, add)},
    };
    return kMembers;
  }

 private:
  std::vector<int> ids_;
  bool snapshot_ = false;
};

class FontObject final : public DispatchObject {
 public:
  explicit FontObject(StatePtr state) : DispatchObject(std::move(state), "Font") {}

  HRESULT size(Invocation& call) {
    if (!call.isPut()) return call.returnFloat(state().document.fontSize());
    double size = 0;
    PENDRIX_RETURN_IF_FAILED(call.putFloat(size));
    // Word's own limits for a point size.
    if (!(size >= 1.0 && size <= 1638.0)) return E_INVALIDARG;
    state().document.setFontSize(static_cast<float>(size));
    return S_OK;
  }

 protected:
  std::span<const Member> members() const override {
    static const Member kMembers[] = {
        {L"Size", word::kDispidFontSize, kGet | kPut, L"", WORDHOST_BIND(FontObject, size)},
    };
    return kMembers;
  }
};

class SelectionObject final : public DispatchObject {
 public:
  explicit SelectionObject(StatePtr state) : DispatchObject(std::move(state), "Selection") {}

  HRESULT font(Invocation& call) { return call.returnDispatch(makeComObject<FontObject>(sharedState()).detach()); }
  HRESULT range(Invocation& call) {
    const Selection& s = state().document.selection();
    return call.returnDispatch(makeComObject<RangeObject>(sharedState(), s.start(), s.end()).detach());
  }
  HRESULT fields(Invocation& call) {
    const Selection& s = state().document.selection();
    std::vector<int> ids;
    for (const FieldSpan& f : state().document.fieldsIn(s.start(), s.end())) ids.push_back(f.id);
    return call.returnDispatch(makeComObject<FieldsObject>(sharedState(), std::move(ids)).detach());
  }
  HRESULT move(Invocation& call, bool right) {
    long unit = 0, count = 0;
    bool extend = false;
    PENDRIX_RETURN_IF_FAILED(call.intArg(0, unit, word::kWdCharacter));
    PENDRIX_RETURN_IF_FAILED(call.intArg(1, count, 1));
    PENDRIX_RETURN_IF_FAILED(call.boolArg(2, extend, false));
    if (unit != word::kWdCharacter) return E_NOTIMPL;
    // A negative count moves the other way, as in Word.
    if (count < 0) right = !right;
    const int steps = static_cast<int>(std::min(std::labs(count), 1L << 20));
    DocumentModel& doc = state().document;
    return call.returnInt(right ? doc.moveRight(steps, extend) : doc.moveLeft(steps, extend));
  }
  HRESULT moveLeft(Invocation& call) { return move(call, false); }
  HRESULT moveRight(Invocation& call) { return move(call, true); }
  HRESULT endKey(Invocation& call) {
    long unit = 0;
    bool extend = false;
    PENDRIX_RETURN_IF_FAILED(call.intArg(0, unit, word::kWdLine));
    PENDRIX_RETURN_IF_FAILED(call.boolArg(1, extend, false));
    if (unit != word::kWdLine && unit != static_cast<long>(MoveUnit::Story)) return E_NOTIMPL;
    return call.returnInt(state().document.endKey(static_cast<MoveUnit>(unit), extend));
  }
  HRESULT typeParagraph(Invocation& call) {
    state().document.typeParagraph();
    return S_OK;
  }
  HRESULT typeText(Invocation& call) {
    std::u16string text;
    PENDRIX_RETURN_IF_FAILED(call.stringArg(0, text));
    state().document.typeText(text);
    return S_OK;
  }
  // Only the page break (wdPageBreak, also Word's default) is kept.
  HRESULT insertBreak(Invocation& call) {
    long type = 0;
    PENDRIX_RETURN_IF_FAILED(call.intArg(0, type, word::kWdPageBreak));
    if (type != word::kWdPageBreak) return E_NOTIMPL;
    state().document.insertPageBreak();
    return S_OK;
  }
  HRESULT startMember(Invocation& call) { return call.returnInt(static_cast<long>(state().document.selection().start())); }
  HRESULT endMember(Invocation& call) { return call.returnInt(static_cast<long>(state().document.selection().end())); }
  HRESULT text(Invocation& call) {
    const Selection& s = state().document.selection();
    return call.returnString(state().document.text(s.start(), s.end()));
  }

 protected:
  std::span<const Member> members() const override {
    static const Member kMembers[] = {
        {L"Font", word::kDispidSelectionFont, kGet, L"", WORDHOST_BIND(SelectionObject, font)},
        {L"Range", word::kDispidSelectionRange, kGet, L"", WORDHOST_BIND(SelectionObject, range)},
        {L"Fields", word::kDispidSelectionFields, kGet, L"", WORDHOST_BIND(SelectionObject, fields)},
        {L"MoveLeft", word::kDispidMoveLeft, kMethod, L"Unit,Count,Extend", WORDHOST_BIND(SelectionObject, moveLeft)},
        {L"MoveRight", word::kDispidMoveRight, kMethod, L"Unit,Count,Extend",
         WORDHOST_BIND(SelectionObject, moveRight)},
        {L"EndKey", word::kDispidEndKey, kMethod, L"Unit,Extend", WORDHOST_BIND(SelectionObject, endKey)},
        {L"TypeParagraph", word::kDispidTypeParagraph, kMethod, L"", WORDHOST_BIND(SelectionObject, typeParagraph)},
        {L"TypeText", word::kDispidTypeText, kMethod, L"Text", WORDHOST_BIND(SelectionObject, typeText)},
        {L"InsertBreak", word::kDispidInsertBreak, kMethod, L"Type", WORDHOST_BIND(SelectionObject, insertBreak)},
        {L"Start", word::kDispidSelectionStart, kGet, L"", WORDHOST_BIND(SelectionObject, startMember)},
        {L"End", word::kDispidSelectionEnd, kGet, L"", WORDHOST_BIND(SelectionObject, endMember)},
        {L"Text", word::kDispidSelectionText, kGet, L"", WORDHOST_BIND(SelectionObject, text)},
    };
    return kMembers;
  }
};

class ViewObject final : public DispatchObject {
 public:
  explicit ViewObject(StatePtr state) : DispatchObject(std::move(state), "View") {}

  HRESULT showFieldCodes(Invocation& call) {
    if (!call.isPut()) return call.returnBool(state().document.showFieldCodes());
    bool show = false;
    PENDRIX_RETURN_IF_FAILED(call.putBool(show));
    state().document.setShowFieldCodes(show);
    return S_OK;
  }

 protected:
  std::span<const Member> members() const override {
    static const Member kMembers[] = {
        {L"ShowFieldCodes", word::kDispidShowFieldCodes, kGet | kPut, L"", WORDHOST_BIND(ViewObject, showFieldCodes)},
    };
    return kMembers;
  }
};

class WindowObject final : public DispatchObject {
 public:
  explicit WindowObject(StatePtr state) : DispatchObject(std::move(state), "Window") {}

  HRESULT view(Invocation& call) { return call.returnDispatch(makeComObject<ViewObject>(sharedState()).detach()); }
  HRESULT selection(Invocation& call) { return call.returnDispatch(createSelection(sharedState()).detach()); }

 protected:
  std::span<const Member> members() const override {
    static const Member kMembers[] = {
        {L"View", word::kDispidWindowView, kGet, L"", WORDHOST_BIND(WindowObject, view)},
        {L"Selection", word::kDispidWindowSelection, kGet, L"", WORDHOST_BIND(WindowObject, selection)},
    };
    return kMembers;
  }
};

class DocumentObject final : public DispatchObject {
 public:
  explicit DocumentObject(StatePtr state) : DispatchObject(std::move(state), "Document") {}

  HRESULT fields(Invocation& call) { return call.returnDispatch(makeComObject<FieldsObject>(sharedState()).detach()); }
  HRESULT content(Invocation& call) {
    return call.returnDispatch(makeComObject<RangeObject>(sharedState(), 0, state().document.length()).detach());
  }

 protected:
  std::span<const Member> members() const override {
    static const Member kMembers[] = {
        {L"Fields", word::kDispidDocumentFields, kGet, L"", WORDHOST_BIND(DocumentObject, fields)},
        {L"Content", word::kDispidDocumentContent, kGet, L"", WORDHOST_BIND(DocumentObject, content)},
    };
    return kMembers;
  }
};


class ApplicationObject final : public DispatchObject {
 public:
  explicit ApplicationObject(StatePtr state)
      : DispatchObject(std::move(state), "Application") {
    offerEvents({word::kIidApplicationEvents2, word::kIidApplicationEvents3, word::kIidApplicationEvents4},
                [](HostState& s) { return &s.applicationSinks; });
  }

  HRESULT application(Invocation& call) {
    AddRef();
    return call.returnDispatch(this);
  }
  HRESULT activeDocument(Invocation& call) {
    return call.returnDispatch(makeComObject<DocumentObject>(sharedState()).detach());
  }
  HRESULT activeWindow(Invocation& call) {
    return call.returnDispatch(makeComObject<WindowObject>(sharedState()).detach());
  }
  HRESULT selection(Invocation& call) { return call.returnDispatch(createSelection(sharedState()).detach()); }
  HRESULT undoRecord(Invocation& call) { return call.returnDispatch(createUndoRecord(sharedState()).detach()); }
  HRESULT name(Invocation& call) { return call.returnString(kApplicationName); }
  HRESULT version(Invocation& call) { return call.returnString(state().version()); }
  HRESULT commandBars(Invocation& call) { return call.returnDispatch(createCommandBars(sharedState()).detach()); }
  HRESULT quit(Invocation& call) {
    state().quitRequested = true;
    if (state().hooks) state().hooks->quit();
    return S_OK;
  }

  HRESULT clickControl(Invocation& call) {
    std::u16string caption;
    PENDRIX_RETURN_IF_FAILED(call.stringArg(0, caption));
    int sinks = 0;
    PENDRIX_RETURN_IF_FAILED(wordhost::clickControl(sharedState(), caption, sinks));
    return call.returnInt(sinks);
  }
  HRESULT clickRibbonControl(Invocation& call) {
    std::u16string id;
    PENDRIX_RETURN_IF_FAILED(call.stringArg(0, id));
    const HRESULT hr = pressRibbonButton(sharedState(), id);
    if (state().changed) state().changed();
    return hr;
  }
  // Word busy for a while (a dialog of its own open): calls from other processes are
  // refused until then, by the program's message filter.
  HRESULT busy(Invocation& call) {
    long milliseconds = 0;
    PENDRIX_RETURN_IF_FAILED(call.intArg(0, milliseconds));
    if (milliseconds < 0) return E_INVALIDARG;
    state().busyUntil = GetTickCount64() + static_cast<ULONGLONG>(milliseconds);
    return S_OK;
  }
  HRESULT doubleClickField(Invocation& call) {
    long index = 0;
    PENDRIX_RETURN_IF_FAILED(call.intArg(0, index));
    bool cancelled = false;
    PENDRIX_RETURN_IF_FAILED(wordhost::doubleClickField(sharedState(), index, cancelled));
    return call.returnBool(cancelled);
  }
  HRESULT setSelection(Invocation& call) {
    long start = 0, end = 0;
    PENDRIX_RETURN_IF_FAILED(call.intArg(0, start));
    PENDRIX_RETURN_IF_FAILED(call.intArg(1, end, start));
    if (start < 0 || end < 0) return E_INVALIDARG;
    state().document.setSelection(static_cast<size_t>(start), static_cast<size_t>(end));
    return S_OK;
  }
  HRESULT insertText(Invocation& call) {
    std::u16string text;
    PENDRIX_RETURN_IF_FAILED(call.stringArg(0, text));
    state().document.typeText(text);
    return S_OK;
  }
  HRESULT insertField(Invocation& call) {
    std::u16string code;
    PENDRIX_RETURN_IF_FAILED(call.stringArg(0, code));
    const Selection s = state().document.selection();
    state().document.addField(s.start(), s.end(), code);
    return S_OK;
  }
  HRESULT dump(Invocation& call) { return call.returnString(fromUtf8(documentDump(state()))); }
  HRESULT callLog(Invocation& call) {
    std::string text;
    for (const std::string& line : state().callLog) text += line + "\n";
    return call.returnString(fromUtf8(text));
  }
  HRESULT clearCallLog(Invocation& call) {
    state().callLog.clear();
    return S_OK;
  }
  // A new, empty document for the next test; wrappers of old fields report them deleted.
  HRESULT clearDocument(Invocation& call) {
    state().document = DocumentModel();
    state().undo = CustomUndoState();
    return S_OK;
  }
  HRESULT failMember(Invocation& call) {
    FaultRule rule;
    if (call.isStringArg(0)) {
      PENDRIX_RETURN_IF_FAILED(call.stringArg(0, rule.name));
      if (rule.name.empty()) return E_INVALIDARG;
    } else {
      long id = 0;
      PENDRIX_RETURN_IF_FAILED(call.intArg(0, id));
      rule.id = id;
    }
    // An HRESULT above 0x7FFFFFFF arrives as a double from some clients.
    double value = 0;
    PENDRIX_RETURN_IF_FAILED(call.floatArg(1, value));
    if (value >= 2147483648.0 && value < 4294967296.0) value -= 4294967296.0;
    if (!(value >= -2147483648.0 && value < 2147483648.0)) return DISP_E_OVERFLOW;
    rule.hr = static_cast<HRESULT>(std::lround(value));
    auto& faults = state().faults;
    std::erase_if(faults, [&](const FaultRule& r) {
      return r.name.empty() == rule.name.empty() && (rule.name.empty() ? r.id == rule.id : equalsIgnoringCase(r.name, rule.name));
    });
    if (rule.hr == S_OK) return S_OK;
    if (faults.size() >= HostState::kMaxFaults) return E_OUTOFMEMORY;
    faults.push_back(std::move(rule));
    return S_OK;
  }
  // Sinks of the application and of every button, so a test can see an add-in let go.
  HRESULT connectedSinks(Invocation& call) {
    size_t count = state().applicationSinks.entries.size();
    for (const auto& [button, sinks] : state().buttonSinks) count += sinks.entries.size();
    return call.returnInt(static_cast<long>(count));
  }
  // The host's automation objects alive now, this one included.
  HRESULT liveObjects(Invocation& call) { return call.returnInt(state().liveObjects); }
  HRESULT loadAddins(Invocation& call) { return state().hooks ? state().hooks->loadAddins() : E_NOTIMPL; }
  HRESULT loadAddin(Invocation& call) {
    std::u16string progId;
    PENDRIX_RETURN_IF_FAILED(call.stringArg(0, progId));
    return state().hooks ? state().hooks->loadAddin(progId) : E_NOTIMPL;
  }
  HRESULT unloadAddin(Invocation& call) {
    std::u16string progId;
    PENDRIX_RETURN_IF_FAILED(call.stringArg(0, progId));
    return state().hooks ? state().hooks->unloadAddin(progId) : E_NOTIMPL;
  }

 protected:
  std::span<const Member> members() const override {
    static const Member kMembers[] = {
        {L"Application", word::kDispidApplication, kGet, L"", WORDHOST_BIND(ApplicationObject, application)},
        {L"ActiveDocument", word::kDispidActiveDocument, kGet, L"", WORDHOST_BIND(ApplicationObject, activeDocument)},
        {L"ActiveWindow", word::kDispidActiveWindow, kGet, L"", WORDHOST_BIND(ApplicationObject, activeWindow)},
        {L"Selection", word::kDispidSelection, kGet, L"", WORDHOST_BIND(ApplicationObject, selection)},
        {L"UndoRecord", word::kDispidUndoRecord, kGet, L"", WORDHOST_BIND(ApplicationObject, undoRecord)},
        {L"Name", kDispidName, kGet, L"", WORDHOST_BIND(ApplicationObject, name)},
        {L"Version", kDispidVersion, kGet, L"", WORDHOST_BIND(ApplicationObject, version)},
        {L"CommandBars", kDispidCommandBars, kGet, L"", WORDHOST_BIND(ApplicationObject, commandBars)},
        {L"Quit", kDispidQuit, kMethod, L"SaveChanges,OriginalFormat,RouteDocument",
         WORDHOST_BIND(ApplicationObject, quit)},
        {L"ClickControl", kDispidClickControl, kMethod, L"Caption", WORDHOST_BIND(ApplicationObject, clickControl)},
        {L"ClickRibbonControl", kDispidClickRibbonControl, kMethod, L"Id",
         WORDHOST_BIND(ApplicationObject, clickRibbonControl)},
        {L"Busy", kDispidBusy, kMethod, L"Milliseconds", WORDHOST_BIND(ApplicationObject, busy)},
        {L"DoubleClickField", kDispidDoubleClickField, kMethod, L"Index",
         WORDHOST_BIND(ApplicationObject, doubleClickField)},
        {L"SetSelection", kDispidSetSelection, kMethod, L"Start,End", WORDHOST_BIND(ApplicationObject, setSelection)},
        {L"InsertText", kDispidInsertText, kMethod, L"Text", WORDHOST_BIND(ApplicationObject, insertText)},
        {L"InsertField", kDispidInsertField, kMethod, L"Code", WORDHOST_BIND(ApplicationObject, insertField)},
        {L"DocumentDump", kDispidDocumentDump, kMethod, L"", WORDHOST_BIND(ApplicationObject, dump)},
        {L"CallLog", kDispidCallLog, kMethod, L"", WORDHOST_BIND(ApplicationObject, callLog)},
        {L"ClearCallLog", kDispidClearCallLog, kMethod, L"", WORDHOST_BIND(ApplicationObject, clearCallLog)},
        {L"ClearDocument", kDispidClearDocument, kMethod, L"", WORDHOST_BIND(ApplicationObject, clearDocument)},
        {L"FailMember", kDispidFailMember, kMethod, L"Member,Result", WORDHOST_BIND(ApplicationObject, failMember)},
        {L"LoadAddins", kDispidLoadAddins, kMethod, L"", WORDHOST_BIND(ApplicationObject, loadAddins)},
        {L"LoadAddin", kDispidLoadAddin, kMethod, L"ProgID", WORDHOST_BIND(ApplicationObject, loadAddin)},
        {L"UnloadAddin", kDispidUnloadAddin, kMethod, L"ProgID", WORDHOST_BIND(ApplicationObject, unloadAddin)},
        {L"ConnectedSinks", kDispidConnectedSinks, kGet, L"", WORDHOST_BIND(ApplicationObject, connectedSinks)},
        {L"LiveObjects", kDispidLiveObjects, kGet, L"", WORDHOST_BIND(ApplicationObject, liveObjects)},
    };
    return kMembers;
  }
  void* furtherInterface(REFIID iid) override {
    return iid == word::kIidApplication ? static_cast<IDispatch*>(this) : nullptr;
  }
};

}  // namespace

ComPtr<IDispatch> createApplication(const std::shared_ptr<HostState>& state) {
  return ComPtr<IDispatch>::attach(new ApplicationObject(state));
}

ComPtr<IDispatch> createSelection(const std::shared_ptr<HostState>& state) {
  return ComPtr<IDispatch>::attach(new SelectionObject(state));
}

ComPtr<IDispatch> createWindow(const std::shared_ptr<HostState>& state) {
  return ComPtr<IDispatch>::attach(new WindowObject(state));
}

namespace {

void appendField(std::string& out, const char* name, const std::u16string& value) {
  out += std::string(",\"") + name + "\":";
  appendJsonString(out, value);
}

// "ribbon":[{"progId","tabs":[{"id","label","groups":[{"id","label","buttons":[{"id",
// "label","size","screentip","supertip","onAction","picture"}]}]}]}]
void appendRibbon(std::string& out, const HostState& state) {
  const char* comma = "";
  for (const AddinRibbon& ribbon : state.ribbons) {
    out += comma;
    comma = ",";
    out += "{\"progId\":";
    appendJsonString(out, ribbon.progId);
    out += ",\"tabs\":[";
    const char* tabComma = "";
    for (const RibbonTab& tab : ribbon.tabs) {
      out += std::string(tabComma) + "{\"id\":";
      tabComma = ",";
      appendJsonString(out, tab.id);
      appendField(out, "label", tab.label);
      out += ",\"groups\":[";
      const char* groupComma = "";
      for (const RibbonGroup& group : tab.groups) {
        out += std::string(groupComma) + "{\"id\":";
        groupComma = ",";
        appendJsonString(out, group.id);
        appendField(out, "label", group.label);
        out += ",\"buttons\":[";
        const char* buttonComma = "";
        for (const RibbonButton& button : group.buttons) {
          out += std::string(buttonComma) + "{\"id\":";
          buttonComma = ",";
          appendJsonString(out, button.id);
          appendField(out, "label", button.label);
          out += std::string(",\"size\":\"") + (button.large ? "large" : "normal") + "\"";
          appendField(out, "screentip", button.screentip);
          appendField(out, "supertip", button.supertip);
          appendField(out, "onAction", button.onAction);
          out += ",\"picture\":\"" + pictureSize(button.picture.get()) + "\"}";
        }
        out += "]}";
      }
      out += "]}";
    }
    out += "]}";
  }
}

}  // namespace

std::string documentDump(HostState& state) {
  std::string out = state.document.dumpJson();
  if (out.empty() || out.back() != '}') return out;
  out.pop_back();
  out += undoRecordsJson(state.undo);
  out += ",\"commandBars\":[";
  bool firstBar = true;
  for (const BarData& bar : state.bars.bars()) {
    if (!firstBar) out += ',';
    firstBar = false;
    out += "{\"name\":";
    appendJsonString(out, bar.name);
    out += std::string(",\"visible\":") + (bar.visible ? "true" : "false") + ",\"buttons\":[";
    bool firstButton = true;
    for (const ButtonData& button : bar.buttons) {
      if (!firstButton) out += ',';
      firstButton = false;
      out += "{\"caption\":";
      appendJsonString(out, button.caption);
      out += ",\"tag\":";
      appendJsonString(out, button.tag);
      out += ",\"faceId\":" + std::to_string(button.faceId) + "}";
    }
    out += "]}";
  }
  out += "],\"ribbon\":[";
  appendRibbon(out, state);
  out += "]}";
  return out;
}

}  // namespace pendrix::wordhost

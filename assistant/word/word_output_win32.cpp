#include "word/word_output_win32.h"

#include <array>
#include <initializer_list>
#include <utility>

#include "win32/office_interfaces.h"
#include "win32/handles.h"
#include "win32/late_binding.h"

namespace pendrix {

namespace w = pendrix::word;

// A Word call that fails ends the command with Word's outcome.
#define PENDRIX_RETURN_IF_WORD_FAILED(expr)       \
  do {                                            \
    WordOutcome pendrixOutcome_ = (expr);         \
    if (!pendrixOutcome_.ok()) return pendrixOutcome_; \
  } while (0)

namespace {

// Word's calls take at most four arguments here.
constexpr size_t kMaxArguments = 4;

WordOutcome unexpectedFailure() noexcept {
  try {
    return WordOutcome::failure(E_UNEXPECTED);
  } catch (...) {
    return {E_OUTOFMEMORY, {}};
  }
}

// What the user sees for a failed call: Word's own text when it raised an error
// with one, else the general message. The code is the one Word raised, so that a
// caller can tell Word's errors apart.
WordOutcome outcomeOf(HRESULT hr, ExceptionInfo& exception) {
  if (SUCCEEDED(hr)) return {};
  if (hr != DISP_E_EXCEPTION) return WordOutcome::failure(hr);
  const std::wstring description = exception.description();
  const HRESULT raised = FAILED(exception.scode()) ? exception.scode() : hr;
  if (description.empty()) return WordOutcome::failure(raised);
  return WordOutcome::failure(raised, fromWide(description.c_str(), description.size()));
}

// A VARIANT that only points at what the caller keeps alive; never cleared.
VARIANT shortReference(short* value) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I2 | VT_BYREF;
  v.piVal = value;
  return v;
}

Variant textVariant(const std::u16string& text) {
  Variant v;
  v.get()->bstrVal = SysAllocStringLen(reinterpret_cast<const wchar_t*>(text.data()), static_cast<UINT>(text.size()));
  if (v.get()->bstrVal) v.get()->vt = VT_BSTR;
  return v;
}

// Unit, count and extend are references to 16-bit integers, as Word declares them.
WordOutcome callWithShortReferences(const WordHolder& object, DISPID id, std::initializer_list<short> values) {
  std::array<short, kMaxArguments> storage{};
  std::array<VARIANT, kMaxArguments> args{};
  size_t count = 0;
  for (short value : values) {
    if (count == kMaxArguments) break;
    storage[count] = value;
    args[count] = shortReference(&storage[count]);
    ++count;
  }
  return object.invoke(id, DISPATCH_METHOD, std::span<const VARIANT>(args.data(), count));
}

WordOutcome moveByCharacters(const WordHolder& selection, DISPID direction, short count, short extend) {
  return callWithShortReferences(selection, direction, {static_cast<short>(w::kWdCharacter), count, extend});
}

WordOutcome toLineEnd(const WordHolder& selection) {
  return callWithShortReferences(selection, w::kDispidEndKey, {static_cast<short>(w::kWdLine), static_cast<short>(w::kWdMove)});
}

WordOutcome putText(const WordHolder& range, const std::u16string& text) {
  Variant value = textVariant(text);
  if (value.get()->vt != VT_BSTR) return WordOutcome::failure(E_OUTOFMEMORY);
  return range.put(w::kDispidRangeText, *value.get());
}

// Fields.Add(Range, Type, Text, PreserveFormatting): the range by value, the rest as
// references, the way Word's type library declares them. `field` gets the new field
// when Word hands it back.
WordOutcome addField(const WordHolder& fields, const WordHolder& range, const std::u16string& code, WordHolder& field) {
  short type = w::kWdFieldEmpty;  // Word takes the text as the field code
  short preserveFormatting = 0;
  Bstr text;
  BSTR* textSlot = text.put();  // the callee may replace a string handed by reference
  *textSlot = SysAllocStringLen(reinterpret_cast<const wchar_t*>(code.data()), static_cast<UINT>(code.size()));
  if (!*textSlot) return WordOutcome::failure(E_OUTOFMEMORY);
  std::array<VARIANT, 4> args{};
  VariantInit(&args[0]);
  args[0].vt = VT_DISPATCH;
  args[0].pdispVal = range.get();
  args[1] = shortReference(&type);
  VariantInit(&args[2]);
  args[2].vt = VT_BSTR | VT_BYREF;
  args[2].pbstrVal = textSlot;
  args[3] = shortReference(&preserveFormatting);
  Variant added;
  PENDRIX_RETURN_IF_WORD_FAILED(fields.invoke(w::kDispidFieldsAdd, DISPATCH_METHOD, args, &added));
  if (SUCCEEDED(VariantChangeType(added.get(), added.get(), 0, VT_DISPATCH)) && added.get()->pdispVal)
    field = WordHolder(added.get()->pdispVal);
  return {};
}

WordOutcome readWholeSize(const WordHolder& font, int& size) {
  double points = 0;
  PENDRIX_RETURN_IF_WORD_FAILED(font.getNumber(w::kDispidFontSize, points));
  size = wholePoints(points);
  return {};
}

WordOutcome setSize(const WordHolder& font, int size) {
  Variant value = Variant::fromR4(static_cast<float>(size));
  return font.put(w::kDispidFontSize, *value.get());
}

// Shows field codes while alive. A command that fails with the codes shown still
// switches them off, so that the user's document does not stay in the code view.
class FieldCodesShown {
 public:
  explicit FieldCodesShown(const WordHolder& view) : view_(view) {}
  FieldCodesShown(const FieldCodesShown&) = delete;
  FieldCodesShown& operator=(const FieldCodesShown&) = delete;
  ~FieldCodesShown() {
    if (shown_) put(false);
  }

  WordOutcome show() {
    WordOutcome outcome = put(true);
    shown_ = outcome.ok();
    return outcome;
  }
  WordOutcome hide() {
    shown_ = false;
    return put(false);
  }

 private:
  WordOutcome put(bool show) const {
    Variant value = Variant::fromBool(show);
    return view_.put(w::kDispidShowFieldCodes, *value.get());
  }
  const WordHolder& view_;
  bool shown_ = false;
};

// With field codes shown and the selection just before the code's first character:
// each small character in turn is selected and gets the small size.
WordOutcome shrinkSmallCharacters(const WordHolder& selection, const EqCode& code, int smallSize) {
  if (!code.smallCharactersPresent) return {};
  for (int offset : code.smallOffsets) {
    PENDRIX_RETURN_IF_WORD_FAILED(
        moveByCharacters(selection, w::kDispidMoveRight, static_cast<short>(offset), static_cast<short>(w::kWdMove)));
    PENDRIX_RETURN_IF_WORD_FAILED(moveByCharacters(selection, w::kDispidMoveRight, 1, static_cast<short>(w::kWdExtend)));
    WordHolder font;
    PENDRIX_RETURN_IF_WORD_FAILED(selection.getObject(w::kDispidSelectionFont, font));
    PENDRIX_RETURN_IF_WORD_FAILED(setSize(font, smallSize));
  }
  return {};
}

// The field is in the document and the selection beside it. With codes shown,
// one step in `stepIn` puts the selection before the code's first character; at the
// end the selection stands behind the field with the size read at the start.
WordOutcome sizeFieldCode(const WordHolder& application, const WordHolder& selection, DISPID stepIn,
                          const EqCode& code, int raiseSize) {
  WordHolder window, view, font;
  PENDRIX_RETURN_IF_WORD_FAILED(application.getObject(w::kDispidActiveWindow, window));
  PENDRIX_RETURN_IF_WORD_FAILED(window.getObject(w::kDispidWindowView, view));
  FieldCodesShown codes(view);
  PENDRIX_RETURN_IF_WORD_FAILED(codes.show());
  PENDRIX_RETURN_IF_WORD_FAILED(moveByCharacters(selection, stepIn, 1, static_cast<short>(w::kWdMove)));
  PENDRIX_RETURN_IF_WORD_FAILED(selection.getObject(w::kDispidSelectionFont, font));
  int size = 0;
  PENDRIX_RETURN_IF_WORD_FAILED(readWholeSize(font, size));
  PENDRIX_RETURN_IF_WORD_FAILED(shrinkSmallCharacters(selection, code, smallFontSize(size, raiseSize)));
  PENDRIX_RETURN_IF_WORD_FAILED(codes.hide());
  PENDRIX_RETURN_IF_WORD_FAILED(moveByCharacters(selection, w::kDispidMoveRight, 1, static_cast<short>(w::kWdMove)));
  return setSize(font, size);
}

WordOutcome newParagraph(const WordHolder& selection) {
  PENDRIX_RETURN_IF_WORD_FAILED(toLineEnd(selection));
  return selection.call(w::kDispidTypeParagraph);
}

}  // namespace

// --- WordHolder ---

WordHolder::WordHolder(IDispatch* object) noexcept : object_(object), autoRelease_(object != nullptr) {
  if (object_) object_->AddRef();
}

WordHolder WordHolder::borrow(IDispatch* object) noexcept {
  WordHolder out;
  out.object_ = object;
  out.autoRelease_ = false;
  return out;
}

WordHolder::WordHolder(WordHolder&& other) noexcept
    : object_(std::exchange(other.object_, nullptr)), autoRelease_(std::exchange(other.autoRelease_, false)) {}

WordHolder& WordHolder::operator=(WordHolder&& other) noexcept {
  if (this != &other) {
    // Taken first: releasing the old object must not free the one taken over.
    IDispatch* object = std::exchange(other.object_, nullptr);
    const bool autoRelease = std::exchange(other.autoRelease_, false);
    release();
    object_ = object;
    autoRelease_ = autoRelease;
  }
  return *this;
}

void WordHolder::release() noexcept {
  IDispatch* object = std::exchange(object_, nullptr);
  if (object && std::exchange(autoRelease_, false)) object->Release();
}

WordOutcome WordHolder::invoke(DISPID id, WORD kind, std::span<const VARIANT> args, Variant* result) const noexcept {
  try {
    if (result) result->put();
    if (!object_) return {};
    if (args.size() > kMaxArguments) return WordOutcome::failure(DISP_E_BADPARAMCOUNT);
    // DISPPARAMS holds the last argument first.
    std::array<VARIANT, kMaxArguments> reversed{};
    for (size_t i = 0; i < args.size(); ++i) reversed[args.size() - 1 - i] = args[i];
    ExceptionInfo exception;
    const HRESULT hr = invokeDispidPatiently(object_, id, kind, args.empty() ? nullptr : reversed.data(),
                                             static_cast<UINT>(args.size()), result, &exception);
    return outcomeOf(hr, exception);
  } catch (...) {
    return unexpectedFailure();
  }
}

WordOutcome WordHolder::getObject(DISPID id, WordHolder& out) const noexcept {
  out.release();
  if (!object_) return {};
  try {
    Variant value;
    PENDRIX_RETURN_IF_WORD_FAILED(invoke(id, DISPATCH_PROPERTYGET, {}, &value));
    // An object Word hands out as IUnknown is asked for IDispatch; none at all is a
    // failure, since the next call would go nowhere.
    if (FAILED(VariantChangeType(value.get(), value.get(), 0, VT_DISPATCH)) || !value.get()->pdispVal)
      return WordOutcome::failure(E_POINTER);
    out = WordHolder(value.get()->pdispVal);
    return {};
  } catch (...) {
    return unexpectedFailure();
  }
}

WordOutcome WordHolder::getText(DISPID id, std::u16string& out) const noexcept {
  try {
    out.clear();
    Variant value;
    PENDRIX_RETURN_IF_WORD_FAILED(invoke(id, DISPATCH_PROPERTYGET, {}, &value));
    if (!object_) return {};
    if (FAILED(VariantChangeType(value.get(), value.get(), 0, VT_BSTR))) return WordOutcome::failure(DISP_E_TYPEMISMATCH);
    const BSTR text = value.get()->bstrVal;
    if (text) out = fromWide(text, SysStringLen(text));
    return {};
  } catch (...) {
    return unexpectedFailure();
  }
}

WordOutcome WordHolder::getNumber(DISPID id, double& out) const noexcept {
  try {
    out = 0;
    Variant value;
    PENDRIX_RETURN_IF_WORD_FAILED(invoke(id, DISPATCH_PROPERTYGET, {}, &value));
    if (!object_) return {};
    if (FAILED(VariantChangeType(value.get(), value.get(), 0, VT_R8))) return WordOutcome::failure(DISP_E_TYPEMISMATCH);
    out = value.get()->dblVal;
    return {};
  } catch (...) {
    return unexpectedFailure();
  }
}

WordOutcome WordHolder::put(DISPID id, const VARIANT& value) const noexcept {
  return invoke(id, DISPATCH_PROPERTYPUT, std::span<const VARIANT>(&value, 1));
}

WordOutcome WordHolder::call(DISPID id) const noexcept { return invoke(id, DISPATCH_METHOD, {}); }

// --- WordOutput: the session's objects ---

HRESULT WordOutput::setApplication(IDispatch* object) noexcept {
  const WordHolder handedIn = WordHolder::borrow(object);
  WordHolder application, document;
  const WordOutcome gotApplication = handedIn.getObject(w::kDispidApplication, application);
  if (!gotApplication.ok() || application.empty()) {
    application_.release();
    document_.release();
    return gotApplication.ok() ? E_POINTER : gotApplication.hr;
  }
  // Word without an open document refuses ActiveDocument: the session then writes
  // nothing.
  const WordOutcome gotDocument = handedIn.getObject(w::kDispidActiveDocument, document);
  application_ = std::move(application);
  document_ = std::move(document);
  return gotDocument.hr;
}

HRESULT WordOutput::setField(IDispatch* field) noexcept {
  field_ = WordHolder(field);
  return field ? S_OK : E_POINTER;
}

WordOutcome WordOutput::readFieldCode(std::u16string& code) noexcept {
  try {
    code.clear();
    WordHolder range;
    PENDRIX_RETURN_IF_WORD_FAILED(field_.getObject(w::kDispidFieldCode, range));
    const WordOutcome read = range.getText(w::kDispidRangeText, code);
    if (!read.ok()) code.clear();
    return read;
  } catch (...) {
    return unexpectedFailure();
  }
}

void WordOutput::releaseDocumentAndApplication() noexcept {
  document_.release();
  application_.release();
}

void WordOutput::releaseAll() noexcept {
  field_.release();
  releaseDocumentAndApplication();
}

// --- WordOutput: the commands ---

WordOutcome WordOutput::insertFormulaAndClose(const EqCode& code, int raiseSize) noexcept {
  try {
    if (hasField() && hasApplication()) return replaceFieldCode(code, raiseSize);
    if (!hasDocument()) return {};
    WordHolder added;
    const WordOutcome written = writeNewField(code, raiseSize, false, &added);
    if (!written.ok() && !added.empty()) field_ = std::move(added);
    return written;
  } catch (...) {
    return unexpectedFailure();
  }
}

WordOutcome WordOutput::insertFormula(const EqCode& code, int raiseSize) noexcept {
  try {
    if (!hasDocument()) return {};
    return writeNewField(code, raiseSize, true);
  } catch (...) {
    return unexpectedFailure();
  }
}

WordOutcome WordOutput::insertTextLine(const std::u16string& text) noexcept {
  try {
    if (!hasDocument()) return {};
    return writeLine(text, false);
  } catch (...) {
    return unexpectedFailure();
  }
}

WordOutcome WordOutput::insertSolution(const std::u16string& value, const std::u16string& condition) noexcept {
  try {
    if (!hasDocument()) return {};
    return writeLine(solutionLine(value, condition), true);
  } catch (...) {
    return unexpectedFailure();
  }
}

WordOutcome WordOutput::writeNewField(const EqCode& code, int raiseSize, bool thenNewParagraph, WordHolder* added) {
  WordHolder selection, range, fields, field;
  PENDRIX_RETURN_IF_WORD_FAILED(application_.getObject(w::kDispidSelection, selection));
  PENDRIX_RETURN_IF_WORD_FAILED(selection.getObject(w::kDispidSelectionRange, range));
  PENDRIX_RETURN_IF_WORD_FAILED(putText(range, code.text));
  // Until the text is a field it is the bare "EQ ..." in the user's document: a
  // failure takes it out again (the range covers just what was put in).
  WordOutcome made = document_.getObject(w::kDispidDocumentFields, fields);
  if (made.ok()) made = addField(fields, range, code.text, field);
  if (!made.ok()) {
    putText(range, u"");
    return made;
  }
  if (added) *added = std::move(field);
  // Word leaves the selection before the new field.
  PENDRIX_RETURN_IF_WORD_FAILED(sizeFieldCode(application_, selection, w::kDispidMoveRight, code, raiseSize));
  return thenNewParagraph ? newParagraph(selection) : WordOutcome{};
}

WordOutcome WordOutput::replaceFieldCode(const EqCode& code, int raiseSize) {
  WordHolder range, selection;
  PENDRIX_RETURN_IF_WORD_FAILED(field_.getObject(w::kDispidFieldCode, range));
  PENDRIX_RETURN_IF_WORD_FAILED(putText(range, code.text));
  PENDRIX_RETURN_IF_WORD_FAILED(field_.call(w::kDispidFieldSelect));
  PENDRIX_RETURN_IF_WORD_FAILED(application_.getObject(w::kDispidSelection, selection));
  // The whole field is selected: one step left collapses the selection to its start.
  return sizeFieldCode(application_, selection, w::kDispidMoveLeft, code, raiseSize);
}

WordOutcome WordOutput::writeLine(const std::u16string& text, bool toLineEndFirst) {
  WordHolder selection, range;
  PENDRIX_RETURN_IF_WORD_FAILED(application_.getObject(w::kDispidSelection, selection));
  if (toLineEndFirst) PENDRIX_RETURN_IF_WORD_FAILED(toLineEnd(selection));
  PENDRIX_RETURN_IF_WORD_FAILED(selection.getObject(w::kDispidSelectionRange, range));
  PENDRIX_RETURN_IF_WORD_FAILED(putText(range, text));
  return newParagraph(selection);
}

}  // namespace pendrix

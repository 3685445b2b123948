#include "companions.h"

#include <optional>
#include <utility>

#include "win32/assistant_dispids.h"
#include "win32/class_ids.h"
#include "win32/com.h"
#include "win32/com_object.h"
#include "win32/late_binding.h"
#include "win32/symbol_dispids.h"
#include "win32/office_interfaces.h"

namespace pendrix::addin {
namespace {

// In-process server and handler, local and remote server.
constexpr DWORD kAnyServer = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;
static_assert(kAnyServer == 23);

constexpr wchar_t kWordMainWindowClass[] = L"OpusApp";

// A module-wide object reference that keeps the module loaded while it is held.
class HeldObject {
 public:
  IDispatch* get() const { return object_.get(); }
  void reset(ComPtr<IDispatch> object = {}) {
    // The old object goes first: a released assistant ends before the next starts.
    object_.reset();
    lock_.reset();
    if (!object) return;
    lock_.emplace();
    object_ = std::move(object);
  }

 private:
  ComPtr<IDispatch> object_;
  std::optional<ModuleReference> lock_;
};

struct Companions {
  HeldObject word;
  HeldObject assistant;
  HeldObject symbolTool;
};

// Never destroyed: releasing objects of other processes from DllMain, under the
// loader lock, could hang Word. Everything held is let go at disconnection, and a
// held object keeps the module from being unloaded before that.
Companions& companions() {
  static Companions* const instance = new Companions;
  return *instance;
}

// Created for IUnknown, put into the running state, then asked for IDispatch.
HRESULT createCompanion(const ClassId& classId, ComPtr<IDispatch>& out) {
  // Word is in front while its button is clicked; the program that COM starts for it
  // may then bring its window to the front instead of opening behind Word.
  AllowSetForegroundWindow(ASFW_ANY);
  ComPtr<IUnknown> unknown;
  PENDRIX_RETURN_IF_FAILED(
      CoCreateInstance(toClsid(classId), nullptr, kAnyServer, IID_IUnknown, unknown.putVoid()));
  PENDRIX_RETURN_IF_FAILED(OleRun(unknown.get()));
  return unknown.as(IID_IDispatch, out);
}

HRESULT callWithObject(IDispatch* target, DISPID dispid, IDispatch* argument) {
  Variant value = Variant::fromDispatch(argument);
  Variant ignored;
  return invokeDispid(target, dispid, DISPATCH_METHOD, value.get(), 1, &ignored);
}

HRESULT putInteger(IDispatch* target, DISPID dispid, LONG number) {
  Variant value = Variant::fromI4(number);
  return invokeDispid(target, dispid, DISPATCH_PROPERTYPUT, value.get(), 1, nullptr);
}

// Window handles cross as 32-bit integers: their upper half carries nothing.
LONG handleAsInteger(HWND window) { return static_cast<LONG>(reinterpret_cast<LONG_PTR>(window)); }
HWND integerAsHandle(LONG number) { return reinterpret_cast<HWND>(static_cast<LONG_PTR>(number)); }

HRESULT getWindowHandle(IDispatch* target, DISPID dispid, HWND& window) {
  Variant value;
  PENDRIX_RETURN_IF_FAILED(invokeDispid(target, dispid, DISPATCH_PROPERTYGET, nullptr, 0, &value));
  PENDRIX_RETURN_IF_FAILED(VariantChangeType(value.get(), value.get(), 0, VT_I4));
  window = integerAsHandle(value.get()->lVal);
  return window ? S_OK : E_HANDLE;
}

// Word's main window becomes the owner, so the program stays above Word and
// goes with it. A new owner does not move the window, so it is put above Word now:
// Word may have come up over it while the program asked its first-start questions.
HRESULT letWordOwn(HWND window, HWND wordWindow) {
  SetLastError(ERROR_SUCCESS);
  if (SetWindowLongPtrW(window, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(wordWindow)) == 0 &&
      GetLastError() != ERROR_SUCCESS)
    return HRESULT_FROM_WIN32(GetLastError());
  SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  return S_OK;
}

// Word's main window is one of this process, as the add-in lives in Word: another
// program's window of Word's class (a second Word) must not become the owner. Of
// several (Word gives each document a window of its own) the uppermost, where the
// user just clicked.
HWND wordMainWindow() {
  const DWORD self = GetCurrentProcessId();
  for (HWND window = nullptr; (window = FindWindowExW(nullptr, window, kWordMainWindowClass, nullptr)) != nullptr;) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == self) return window;
  }
  return nullptr;
}

HRESULT wordApplication(IDispatch*& application) {
  application = companions().word.get();
  return application ? S_OK : E_UNEXPECTED;
}

HRESULT getObject(IDispatch* object, DISPID dispid, WORD flags, VARIANT* args, UINT count, ComPtr<IDispatch>& out) {
  Variant value;
  PENDRIX_RETURN_IF_FAILED(invokeDispid(object, dispid, flags, args, count, &value));
  PENDRIX_RETURN_IF_FAILED(VariantChangeType(value.get(), value.get(), 0, VT_DISPATCH));
  if (!value.get()->pdispVal) return E_POINTER;
  out = ComPtr<IDispatch>(value.get()->pdispVal);
  return S_OK;
}

// The one field of Word's selection; S_FALSE when there is none or more than one.
HRESULT singleFieldOfSelection(IDispatch* application, ComPtr<IDispatch>& field) {
  ComPtr<IDispatch> selection;
  PENDRIX_RETURN_IF_FAILED(getObject(application, word::kDispidSelection, DISPATCH_PROPERTYGET, nullptr, 0, selection));
  ComPtr<IDispatch> fields;
  PENDRIX_RETURN_IF_FAILED(getObjectByName(selection.get(), L"Fields", fields));
  Variant count;
  PENDRIX_RETURN_IF_FAILED(invokeDispid(fields.get(), word::kDispidFieldsCount, DISPATCH_PROPERTYGET, nullptr, 0, &count));
  PENDRIX_RETURN_IF_FAILED(VariantChangeType(count.get(), count.get(), 0, VT_I4));
  if (count.get()->lVal != 1) return S_FALSE;
  Variant first = Variant::fromI4(1);
  return getObject(fields.get(), word::kDispidFieldsItem, DISPATCH_METHOD | DISPATCH_PROPERTYGET, first.get(), 1, field);
}

HRESULT codeOf(IDispatch* field, Bstr& code) {
  ComPtr<IDispatch> range;
  PENDRIX_RETURN_IF_FAILED(getObject(field, word::kDispidFieldCode, DISPATCH_PROPERTYGET, nullptr, 0, range));
  Variant text;
  PENDRIX_RETURN_IF_FAILED(invokeDispid(range.get(), word::kDispidRangeText, DISPATCH_PROPERTYGET, nullptr, 0, &text));
  PENDRIX_RETURN_IF_FAILED(VariantChangeType(text.get(), text.get(), 0, VT_BSTR));
  *code.put() = text.get()->bstrVal;
  text.get()->vt = VT_EMPTY;  // the string moved to `code`
  return S_OK;
}

}  // namespace

void keepWordApplication(IDispatch* application) { companions().word.reset(ComPtr<IDispatch>(application)); }

void releaseCompanions() {
  companions().assistant.reset();
  companions().symbolTool.reset();
  companions().word.reset();
}

bool holdsAssistant() { return companions().assistant.get() != nullptr; }
bool holdsSymbolTool() { return companions().symbolTool.get() != nullptr; }

HRESULT startAssistant(IDispatch* field) {
  namespace id = assistant_dispid;
  IDispatch* application = nullptr;
  PENDRIX_RETURN_IF_FAILED(wordApplication(application));
  companions().assistant.reset();
  ComPtr<IDispatch> assistant;
  PENDRIX_RETURN_IF_FAILED(createCompanion(kAssistantAppId, assistant));
  companions().assistant.reset(assistant);

  PENDRIX_RETURN_IF_FAILED(callWithObject(assistant.get(), id::kSetWordApplication, application));
  POINT cursor{};
  if (!GetCursorPos(&cursor)) return HRESULT_FROM_WIN32(GetLastError());
  const HWND wordWindow = wordMainWindow();
  if (!wordWindow) return E_HANDLE;
  PENDRIX_RETURN_IF_FAILED(putInteger(assistant.get(), id::kWordWindowHandle, handleAsInteger(wordWindow)));
  PENDRIX_RETURN_IF_FAILED(putInteger(assistant.get(), id::kCursorXPos, cursor.x));
  PENDRIX_RETURN_IF_FAILED(putInteger(assistant.get(), id::kCursorYPos, cursor.y));
  HWND assistantWindow = nullptr;
  PENDRIX_RETURN_IF_FAILED(getWindowHandle(assistant.get(), id::kWindowHandle, assistantWindow));
  if (field) PENDRIX_RETURN_IF_FAILED(callWithObject(assistant.get(), id::kSetWordField, field));
  return letWordOwn(assistantWindow, wordWindow);
}

HRESULT startSymbolTool() {
  namespace id = symbol_dispid;
  IDispatch* application = nullptr;
  PENDRIX_RETURN_IF_FAILED(wordApplication(application));
  companions().symbolTool.reset();
  ComPtr<IDispatch> tool;
  PENDRIX_RETURN_IF_FAILED(createCompanion(kSymbolAppId, tool));
  companions().symbolTool.reset(tool);

  PENDRIX_RETURN_IF_FAILED(callWithObject(tool.get(), id::kSetWordApplication, application));
  HWND toolWindow = nullptr;
  PENDRIX_RETURN_IF_FAILED(getWindowHandle(tool.get(), id::kWindowHandle, toolWindow));
  return letWordOwn(toolWindow, wordMainWindow());
}

bool isEquationFieldCode(std::wstring_view code) {
  const long length = static_cast<long>(code.size());
  for (long position = 0; position <= 6 && position < length - 2; ++position) {
    const wchar_t first = code[static_cast<size_t>(position)];
    const wchar_t second = code[static_cast<size_t>(position) + 1];
    if ((first == L'E' && second == L'Q') || (first == L'e' && second == L'q')) return true;
    // Only blanks may lead: "EQ" inside another field's name (SEQ) is not an
    // equation, and the assistant would overwrite that field's code.
    if (first != L' ') return false;
  }
  return false;
}

HRESULT openEquationFieldOfSelection(VARIANT_BOOL* cancel) {
  IDispatch* application = nullptr;
  PENDRIX_RETURN_IF_FAILED(wordApplication(application));
  ComPtr<IDispatch> field;
  const HRESULT found = singleFieldOfSelection(application, field);
  if (found != S_OK) return found;
  Bstr code;
  PENDRIX_RETURN_IF_FAILED(codeOf(field.get(), code));
  if (!isEquationFieldCode(std::wstring_view(code.get() ? code.get() : L"", code.length()))) return S_FALSE;
  if (cancel) *cancel = VARIANT_TRUE;
  return startAssistant(field.get());
}

}  // namespace pendrix::addin

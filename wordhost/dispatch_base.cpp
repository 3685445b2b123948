#include "wordhost/dispatch_base.h"

#include <algorithm>
#include <cmath>
#include <string_view>

#include "win32/handles.h"
#include "wordhost/host_state.h"
#include "session/text_codec.h"
#include "wordhost/text_util.h"

namespace pendrix::wordhost {
namespace {

bool isNumericType(VARTYPE base) {
  switch (base) {
    case VT_I1: case VT_UI1: case VT_I2: case VT_UI2: case VT_I4: case VT_UI4: case VT_INT: case VT_UINT:
    case VT_I8: case VT_UI8: case VT_R4: case VT_R8: case VT_BOOL: case VT_CY: case VT_DECIMAL:
      return true;
    default:
      return false;
  }
}

// Numbers, booleans (-1/0) and by-reference numbers as a double; strings and
// objects are a type mismatch, as Word does not parse "12" for a count.
HRESULT numberOf(const VARIANT* value, double& out) {
  if (!isNumericType(value->vt & VT_TYPEMASK) || (value->vt & VT_ARRAY)) return DISP_E_TYPEMISMATCH;
  VARIANT copy;
  VariantInit(&copy);
  HRESULT hr = VariantCopyInd(&copy, const_cast<VARIANT*>(value));
  if (SUCCEEDED(hr)) hr = VariantChangeType(&copy, &copy, 0, VT_R8);
  if (SUCCEEDED(hr)) out = copy.dblVal;
  VariantClear(&copy);
  return FAILED(hr) ? DISP_E_TYPEMISMATCH : S_OK;
}

HRESULT intOf(const VARIANT* value, long& out) {
  double number = 0;
  PENDRIX_RETURN_IF_FAILED(numberOf(value, number));
  if (!(number > -2147483649.0 && number < 2147483648.0)) return DISP_E_OVERFLOW;
  out = std::lround(number);
  return S_OK;
}

HRESULT stringOf(const VARIANT* value, std::u16string& out) {
  if (value->vt == VT_BSTR) {
    out = fromWide(value->bstrVal ? value->bstrVal : L"", SysStringLen(value->bstrVal));
    return S_OK;
  }
  if (value->vt == (VT_BSTR | VT_BYREF) && value->pbstrVal) {
    const BSTR text = *value->pbstrVal;
    out = fromWide(text ? text : L"", SysStringLen(text));
    return S_OK;
  }
  return DISP_E_TYPEMISMATCH;
}

}  // namespace

std::string variantTypeName(VARTYPE type) {
  static const struct {
    VARTYPE type;
    const char* name;
  } kNames[] = {{VT_EMPTY, "VT_EMPTY"}, {VT_NULL, "VT_NULL"},         {VT_I2, "VT_I2"},     {VT_I4, "VT_I4"},
                {VT_R4, "VT_R4"},       {VT_R8, "VT_R8"},             {VT_CY, "VT_CY"},     {VT_DATE, "VT_DATE"},
                {VT_BSTR, "VT_BSTR"},   {VT_DISPATCH, "VT_DISPATCH"}, {VT_ERROR, "VT_ERROR"}, {VT_BOOL, "VT_BOOL"},
                {VT_VARIANT, "VT_VARIANT"}, {VT_UNKNOWN, "VT_UNKNOWN"}, {VT_DECIMAL, "VT_DECIMAL"},
                {VT_I1, "VT_I1"},       {VT_UI1, "VT_UI1"},           {VT_UI2, "VT_UI2"},   {VT_UI4, "VT_UI4"},
                {VT_I8, "VT_I8"},       {VT_UI8, "VT_UI8"},           {VT_INT, "VT_INT"},   {VT_UINT, "VT_UINT"}};
  std::string out = "VT_" + std::to_string(type & VT_TYPEMASK);
  for (const auto& entry : kNames)
    if (entry.type == (type & VT_TYPEMASK)) out = entry.name;
  if (type & VT_ARRAY) out += "|VT_ARRAY";
  if (type & VT_BYREF) out += "|VT_BYREF";
  return out;
}

Invocation::Invocation(WORD flags, DISPPARAMS* params, VARIANT* result, UINT* argError)
    : flags_(flags), params_(params), result_(result), argError_(argError) {}

HRESULT Invocation::arrange(size_t parameterCount) {
  if (!params_ || params_->cArgs == 0) return isPut() ? DISP_E_PARAMNOTFOUND : S_OK;
  if (params_->cArgs > kMaxArgs + 1 || params_->cNamedArgs > params_->cArgs ||
      (params_->cNamedArgs > 0 && !params_->rgdispidNamedArgs) || !params_->rgvarg)
    return DISP_E_BADPARAMCOUNT;
  for (UINT i = 0; i < params_->cNamedArgs; ++i) {
    const DISPID name = params_->rgdispidNamedArgs[i];
    if (name == DISPID_PROPERTYPUT && isPut()) {
      putValue_ = &params_->rgvarg[i];
    } else if (name >= 0 && static_cast<size_t>(name) < parameterCount && static_cast<size_t>(name) < kMaxArgs) {
      args_[name] = &params_->rgvarg[i];
      rawIndex_[name] = i;
      count_ = std::max(count_, static_cast<size_t>(name) + 1);
    } else {
      if (argError_) *argError_ = i;
      return DISP_E_PARAMNOTFOUND;
    }
  }
  size_t positional = params_->cArgs - params_->cNamedArgs;
  // Some clients put a property without naming the value.
  if (isPut() && !putValue_ && positional > 0) {
    putValue_ = &params_->rgvarg[params_->cNamedArgs];
    --positional;
  }
  if (positional > parameterCount || positional > kMaxArgs) return DISP_E_BADPARAMCOUNT;
  for (size_t k = 0; k < positional; ++k) {
    const UINT raw = params_->cArgs - 1 - static_cast<UINT>(k);
    if (args_[k]) return DISP_E_BADPARAMCOUNT;  // given both by position and by name
    args_[k] = &params_->rgvarg[raw];
    rawIndex_[k] = raw;
  }
  count_ = std::max(count_, positional);
  if (isPut() && !putValue_) return DISP_E_PARAMNOTFOUND;
  return S_OK;
}

const VARIANT* Invocation::follow(const VARIANT* value) {
  for (int depth = 0; value && value->vt == (VT_BYREF | VT_VARIANT) && depth < 4; ++depth) value = value->pvarVal;
  return value;
}

bool Invocation::missing(const VARIANT* value) {
  value = follow(value);
  if (!value || value->vt == VT_EMPTY || value->vt == (VT_BYREF | VT_VARIANT)) return true;
  if (value->vt == VT_ERROR) return value->scode == DISP_E_PARAMNOTFOUND;
  if (value->vt == (VT_ERROR | VT_BYREF)) return value->pscode && *value->pscode == DISP_E_PARAMNOTFOUND;
  return false;
}

const VARIANT* Invocation::arg(size_t index) const {
  if (index >= count_ || missing(args_[index])) return nullptr;
  return follow(args_[index]);
}

HRESULT Invocation::bad(size_t index, HRESULT hr) const {
  if (argError_ && index < kMaxArgs) *argError_ = rawIndex_[index];
  return hr;
}

HRESULT Invocation::valueInt(const VARIANT* value, long& out) const {
  value = follow(value);
  if (!value) return DISP_E_PARAMNOTFOUND;
  return intOf(value, out);
}

HRESULT Invocation::intArg(size_t index, long& out) const {
  const VARIANT* value = arg(index);
  if (!value) return bad(index, DISP_E_PARAMNOTFOUND);
  const HRESULT hr = intOf(value, out);
  return FAILED(hr) ? bad(index, hr) : S_OK;
}

HRESULT Invocation::intArg(size_t index, long& out, long fallback) const {
  out = fallback;
  return arg(index) ? intArg(index, out) : S_OK;
}

HRESULT Invocation::boolArg(size_t index, bool& out) const {
  long value = 0;
  PENDRIX_RETURN_IF_FAILED(intArg(index, value));
  out = value != 0;
  return S_OK;
}

HRESULT Invocation::boolArg(size_t index, bool& out, bool fallback) const {
  out = fallback;
  return arg(index) ? boolArg(index, out) : S_OK;
}

HRESULT Invocation::floatArg(size_t index, double& out) const {
  const VARIANT* value = arg(index);
  if (!value) return bad(index, DISP_E_PARAMNOTFOUND);
  const HRESULT hr = numberOf(value, out);
  return FAILED(hr) ? bad(index, hr) : S_OK;
}

HRESULT Invocation::stringArg(size_t index, std::u16string& out) const {
  const VARIANT* value = arg(index);
  if (!value) return bad(index, DISP_E_PARAMNOTFOUND);
  const HRESULT hr = stringOf(value, out);
  return FAILED(hr) ? bad(index, hr) : S_OK;
}

HRESULT Invocation::stringArg(size_t index, std::u16string& out, const std::u16string& fallback) const {
  out = fallback;
  return arg(index) ? stringArg(index, out) : S_OK;
}

bool Invocation::isStringArg(size_t index) const {
  const VARIANT* value = arg(index);
  return value && (value->vt & VT_TYPEMASK) == VT_BSTR;
}

HRESULT Invocation::putBool(bool& out) const {
  long value = 0;
  PENDRIX_RETURN_IF_FAILED(valueInt(putValue_, value));
  out = value != 0;
  return S_OK;
}

HRESULT Invocation::putFloat(double& out) const {
  const VARIANT* value = follow(putValue_);
  if (!value) return DISP_E_PARAMNOTFOUND;
  return numberOf(value, out);
}

HRESULT Invocation::putString(std::u16string& out) const {
  const VARIANT* value = follow(putValue_);
  if (!value) return DISP_E_PARAMNOTFOUND;
  return stringOf(value, out);
}

HRESULT Invocation::returnEmpty() {
  if (result_) VariantInit(result_);
  return S_OK;
}

HRESULT Invocation::returnInt(long value) {
  if (result_) {
    result_->vt = VT_I4;
    result_->lVal = value;
  }
  return S_OK;
}

HRESULT Invocation::returnBool(bool value) {
  if (result_) {
    result_->vt = VT_BOOL;
    result_->boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
  }
  return S_OK;
}

HRESULT Invocation::returnFloat(float value) {
  if (result_) {
    result_->vt = VT_R4;
    result_->fltVal = value;
  }
  return S_OK;
}

HRESULT Invocation::returnString(const std::u16string& text) {
  if (!result_) return S_OK;
  const BSTR bstr = SysAllocStringLen(wide(text), static_cast<UINT>(text.size()));
  if (!bstr) return E_OUTOFMEMORY;
  result_->vt = VT_BSTR;
  result_->bstrVal = bstr;
  return S_OK;
}

HRESULT Invocation::returnDispatch(IDispatch* object) {
  if (!object) return E_OUTOFMEMORY;
  if (!result_) {
    object->Release();
    return S_OK;
  }
  result_->vt = VT_DISPATCH;
  result_->pdispVal = object;
  return S_OK;
}

std::string Invocation::typeList() const {
  std::string out;
  if (!params_ || !params_->rgvarg) return out;
  for (UINT i = params_->cArgs; i-- > 0;) {
    if (!out.empty()) out += ',';
    out += variantTypeName(params_->rgvarg[i].vt);
  }
  return out;
}

DispatchObject::DispatchObject(std::shared_ptr<HostState> state, const char* typeName)
    : state_(std::move(state)), typeName_(typeName) {
  ++state_->liveObjects;
}

DispatchObject::~DispatchObject() { --state_->liveObjects; }

void* DispatchObject::findInterface(REFIID iid) {
  if (iid != IID_IConnectionPointContainer) return furtherInterface(iid);
  return eventIids_.empty() ? nullptr : static_cast<IConnectionPointContainer*>(this);
}

void DispatchObject::offerEvents(std::vector<IID> iids, SinkResolver sinks) {
  eventIids_ = std::move(iids);
  sinks_ = std::move(sinks);
}

namespace {

// The position of `wanted` in a comma-separated parameter list, or DISPID_UNKNOWN.
DISPID parameterIndex(std::wstring_view parameters, const wchar_t* wanted) {
  if (!wanted) return DISPID_UNKNOWN;
  DISPID index = 0;
  for (size_t start = 0; start <= parameters.size(); ++index) {
    const size_t comma = std::min(parameters.find(L',', start), parameters.size());
    if (sameName(parameters.substr(start, comma - start), wanted)) return index;
    start = comma + 1;
  }
  return DISPID_UNKNOWN;
}

size_t parameterCount(std::wstring_view parameters) {
  return parameters.empty() ? 0 : 1 + static_cast<size_t>(std::count(parameters.begin(), parameters.end(), L','));
}

}  // namespace

// Further names are parameter names, numbered by position.
HRESULT STDMETHODCALLTYPE DispatchObject::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
  if (!names || !ids || count == 0) return E_INVALIDARG;
  for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
  const Member* member = pendrix::findMember(members(), names[0]);
  if (!member) return DISP_E_UNKNOWNNAME;
  ids[0] = member->dispid;
  bool allKnown = true;
  for (UINT i = 1; i < count; ++i) {
    ids[i] = parameterIndex(member->parameters, names[i]);
    allKnown = allKnown && ids[i] != DISPID_UNKNOWN;
  }
  return allKnown ? S_OK : DISP_E_UNKNOWNNAME;
}

const Member* DispatchObject::findMember(DISPID id) const {
  for (const Member& m : members())
    if (m.dispid == id) return &m;
  return nullptr;
}

HRESULT STDMETHODCALLTYPE DispatchObject::Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* params,
                                                 VARIANT* result, EXCEPINFO* exception, UINT* argError) {
  if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
  if (result) VariantInit(result);
  const HRESULT hr = guardedCall([&] {
    Invocation invocation(flags, params, result, argError);
    const Member* member = findMember(id);
    const std::u16string name = member ? fromWide(member->name) : u"#" + fromUtf8(std::to_string(id));
    state_->log(std::string(typeName_) + "." + toUtf8(name) + (invocation.isPut() ? "=(" : "(") +
                invocation.typeList() + ")");
    if (!member || (flags & member->kinds) == 0) return DISP_E_MEMBERNOTFOUND;
    const HRESULT injected = state_->faultFor(name, id);
    if (FAILED(injected)) {
      if (injected == DISP_E_EXCEPTION && exception) {
        *exception = {};
        exception->scode = E_FAIL;
        exception->bstrSource = SysAllocString(L"wordhost");
        exception->bstrDescription = SysAllocString(L"Injected failure");
      }
      return injected;
    }
    PENDRIX_RETURN_IF_FAILED(invocation.arrange(parameterCount(member->parameters)));
    const HRESULT handled = member->handler(*this, invocation);
    if (state_->changed) state_->changed();
    return handled;
  });
  if (FAILED(hr) && result) VariantClear(result);
  return hr;
}

}  // namespace pendrix::wordhost

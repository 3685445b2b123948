#pragma once
// A very small Word for the add-in and symbol-tool tests: an application that
// answers "Name" and "Selection" by name, and a selection that records TypeText.

#include <windows.h>
#include <oleauto.h>

#include <iterator>
#include <span>
#include <string>
#include <vector>

#include "win32/office_interfaces.h"
#include "win32/com.h"
#include "win32/com_object.h"

namespace pendrix::wordhost::testing {

// The test owns one reference and reads the count to see that nobody kept one.
template <typename Derived>
class FakeDispatch : public DispatchObject<Derived> {
 public:
  ULONG references() {
    this->AddRef();
    return this->Release();
  }
};

class FakeSelection final : public FakeDispatch<FakeSelection> {
 public:
  std::vector<std::wstring> typed;
  HRESULT typeTextResult = S_OK;  // what TypeText answers; a failure records nothing

  static std::span<const DispatchMember<FakeSelection>> members() {
    static constexpr DispatchMember<FakeSelection> table[] = {
        {L"TypeText", word::kDispidTypeText, DISPATCH_METHOD, &FakeSelection::typeText}};
    return table;
  }

 private:
  HRESULT typeText(DispatchCall& call) {
    Variant text;
    PENDRIX_RETURN_IF_FAILED(call.arg(0, VT_BSTR, text));
    if (FAILED(typeTextResult)) return typeTextResult;
    const BSTR value = text.get()->bstrVal;
    typed.emplace_back(value ? value : L"", SysStringLen(value));
    return S_OK;
  }
};

class FakeApplication final : public FakeDispatch<FakeApplication> {
 public:
  // Word's Name is reached by name; the fake's own number for it.
  static constexpr DISPID kDispidName = 1;

  FakeApplication() : selection_(makeComObject<FakeSelection>()) {}

  FakeSelection& selection() { return *selection_.get(); }
  bool hasSelection = true;  // false: Selection fails as Word's does without a document

  static std::span<const DispatchMember<FakeApplication>> members() {
    static constexpr DispatchMember<FakeApplication> table[] = {
        {L"Name", kDispidName, DISPATCH_PROPERTYGET, &FakeApplication::name},
        {L"Selection", word::kDispidSelection, DISPATCH_PROPERTYGET, &FakeApplication::selectionMember}};
    return table;
  }

 private:
  HRESULT name(DispatchCall& call) {
    static constexpr wchar_t kName[] = L"Microsoft Word";
    return call.returnText(kName, static_cast<UINT>(std::size(kName) - 1));
  }
  HRESULT selectionMember(DispatchCall& call) {
    if (!hasSelection) return E_FAIL;
    return call.returnValue(Variant::fromDispatch(selection_.get()));
  }

  ComPtr<FakeSelection> selection_;
};

}  // namespace pendrix::wordhost::testing

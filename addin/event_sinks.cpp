#include "event_sinks.h"

#include "companions.h"
#include "win32/office_interfaces.h"

namespace pendrix::addin {
namespace {

// Word passes Cancel by reference to a VARIANT_BOOL, or to a VARIANT holding one.
VARIANT_BOOL* cancelFlag(VARIANT* argument) {
  if (!argument) return nullptr;
  if (argument->vt == (VT_BYREF | VT_BOOL)) return argument->pboolVal;
  if (argument->vt == (VT_BYREF | VT_VARIANT) && argument->pvarVal && argument->pvarVal->vt == VT_BOOL)
    return &argument->pvarVal->boolVal;
  return nullptr;
}

}  // namespace

std::span<const InterfaceEntry<ButtonClickSink>> ButtonClickSink::interfaces() {
  static constexpr InterfaceEntry<ButtonClickSink> table[] = {
      interfaceEntry<ButtonClickSink, IDispatch>(IID_IDispatch),
      interfaceEntry<ButtonClickSink, IDispatch>(office::kIidCommandBarButtonEvents)};
  return table;
}

std::span<const DispatchMember<ButtonClickSink>> ButtonClickSink::members() {
  static constexpr DispatchMember<ButtonClickSink> table[] = {
      {L"Click", office::kDispidClick, DISPATCH_METHOD, &ButtonClickSink::click}};
  return table;
}

HRESULT ButtonClickSink::click(DispatchCall&) {
  try {
    action_();
  } catch (...) {
    // Nothing of a failed start may reach Word.
  }
  return S_OK;
}

std::span<const InterfaceEntry<WordEventSink>> WordEventSink::interfaces() {
  static constexpr InterfaceEntry<WordEventSink> table[] = {
      interfaceEntry<WordEventSink, IDispatch>(IID_IDispatch),
      interfaceEntry<WordEventSink, IDispatch>(word::kIidApplicationEvents2)};
  return table;
}

std::span<const DispatchMember<WordEventSink>> WordEventSink::members() {
  static constexpr DispatchMember<WordEventSink> table[] = {
      {L"WindowBeforeDoubleClick", word::kDispidWindowBeforeDoubleClick, DISPATCH_METHOD,
       &WordEventSink::windowBeforeDoubleClick}};
  return table;
}

HRESULT WordEventSink::windowBeforeDoubleClick(DispatchCall& call) {
  try {
    openEquationFieldOfSelection(cancelFlag(call.rawArg(1)));
  } catch (...) {
    // As for clicks: Word's double click goes on whatever failed here.
  }
  return S_OK;
}

}  // namespace pendrix::addin

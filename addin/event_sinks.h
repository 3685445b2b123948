#pragma once
// The add-in's event sinks: the click of either button and Word's application
// events. Each handler ends every failure of its own steps silently and answers
// S_OK: an add-in that fails in an event call makes Word disable it.

#include <windows.h>
#include <oaidl.h>

#include <span>

#include "win32/com_object.h"

namespace pendrix::addin {

// One class for both buttons: each instance is told what a click starts.
class ButtonClickSink final : public DispatchObject<ButtonClickSink> {
 public:
  using Action = HRESULT (*)();
  explicit ButtonClickSink(Action action) : action_(action) {}

  static std::span<const InterfaceEntry<ButtonClickSink>> interfaces();
  static std::span<const DispatchMember<ButtonClickSink>> members();

  HRESULT click(DispatchCall& call);

 private:
  friend class ComObject<ButtonClickSink, IDispatch>;
  ~ButtonClickSink() = default;

  Action action_;
  ModuleReference alive_;
};

class WordEventSink final : public DispatchObject<WordEventSink> {
 public:
  static std::span<const InterfaceEntry<WordEventSink>> interfaces();
  static std::span<const DispatchMember<WordEventSink>> members();

  HRESULT windowBeforeDoubleClick(DispatchCall& call);

 private:
  friend class ComObject<WordEventSink, IDispatch>;
  ~WordEventSink() = default;

  ModuleReference alive_;
};

}  // namespace pendrix::addin

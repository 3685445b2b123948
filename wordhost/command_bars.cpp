#include "wordhost/command_bars.h"

#include "win32/office_interfaces.h"
#include "session/text_codec.h"
#include "wordhost/dispatch_base.h"
#include "wordhost/events.h"

namespace pendrix::wordhost {
namespace {

using StatePtr = std::shared_ptr<HostState>;

class ButtonObject final : public DispatchObject {
 public:
  ButtonObject(StatePtr state, int barId, int buttonId)
      : DispatchObject(std::move(state), "CommandBarButton"),
        barId_(barId),
        buttonId_(buttonId) {
    offerEvents({office::kIidCommandBarButtonEvents}, [barId, buttonId](HostState& s) -> SinkList* {
      return s.bars.button(barId, buttonId) ? &s.buttonSinks[buttonId] : nullptr;
    });
  }

  template <std::u16string ButtonData::*Field>
  HRESULT textProperty(Invocation& call) {
    ButtonData* button = data();
    if (!button) return kObjectDeleted;
    if (!call.isPut()) return call.returnString(button->*Field);
    std::u16string text;
    PENDRIX_RETURN_IF_FAILED(call.putString(text));
    data()->*Field = text.substr(0, CommandBarModel::kMaxText);
    return saved();
  }
  template <int ButtonData::*Field>
  HRESULT intProperty(Invocation& call) {
    ButtonData* button = data();
    if (!button) return kObjectDeleted;
    if (!call.isPut()) return call.returnInt(button->*Field);
    long value = 0;
    PENDRIX_RETURN_IF_FAILED(call.putInt(value));
    data()->*Field = static_cast<int>(value);
    return saved();
  }
  HRESULT enabled(Invocation& call) {
    ButtonData* button = data();
    if (!button) return kObjectDeleted;
    if (!call.isPut()) return call.returnBool(button->enabled);
    bool value = false;
    PENDRIX_RETURN_IF_FAILED(call.putBool(value));
    data()->enabled = value;
    return saved();
  }
  HRESULT readOnlyInt(Invocation& call, int ButtonData::*field) {
    ButtonData* button = data();
    return button ? call.returnInt(button->*field) : kObjectDeleted;
  }
  HRESULT controlId(Invocation& call) { return readOnlyInt(call, &ButtonData::controlId); }
  HRESULT type(Invocation& call) { return readOnlyInt(call, &ButtonData::type); }
  HRESULT remove(Invocation& call) {
    if (!state().bars.removeButton(barId_, buttonId_)) return kObjectDeleted;
    dropSinks();
    return saved();
  }
  HRESULT execute(Invocation& call) {
    if (!data()) return kObjectDeleted;
    clickButton(sharedState(), barId_, buttonId_);
    return S_OK;
  }

 protected:
  std::span<const Member> members() const override {
    static const Member kMembers[] = {
        {L"Caption", office::kDispidButtonCaption, kGet | kPut, L"", WORDHOST_BIND(ButtonObject, textProperty<&ButtonData::caption>)},
        {L"Tag", office::kDispidButtonTag, kGet | kPut, L"", WORDHOST_BIND(ButtonObject, textProperty<&ButtonData::tag>)},
        {L"Parameter", office::kDispidButtonParameter, kGet | kPut, L"", WORDHOST_BIND(ButtonObject, textProperty<&ButtonData::parameter>)},
        {L"Enabled", office::kDispidButtonEnabled, kGet | kPut, L"", WORDHOST_BIND(ButtonObject, enabled)},
        {L"Style", office::kDispidButtonStyle, kGet | kPut, L"", WORDHOST_BIND(ButtonObject, intProperty<&ButtonData::style>)},
        {L"FaceId", office::kDispidButtonFaceId, kGet | kPut, L"", WORDHOST_BIND(ButtonObject, intProperty<&ButtonData::faceId>)},
        {L"Id", office::kDispidButtonId, kGet, L"", WORDHOST_BIND(ButtonObject, controlId)},
        {L"Type", office::kDispidButtonType, kGet, L"", WORDHOST_BIND(ButtonObject, type)},
        {L"Delete", office::kDispidButtonDelete, kMethod, L"Temporary", WORDHOST_BIND(ButtonObject, remove)},
        {L"Execute", office::kDispidButtonExecute, kMethod, L"", WORDHOST_BIND(ButtonObject, execute)},
    };
    return kMembers;
  }
  void* furtherInterface(REFIID iid) override {
    const bool officeIid = iid == office::kIidCommandBarButton || iid == office::kIidCommandBarControl;
    return officeIid ? static_cast<IDispatch*>(this) : nullptr;
  }

 private:
  ButtonData* data() { return state().bars.button(barId_, buttonId_); }
  HRESULT saved() { return state().bars.save() ? S_OK : STG_E_WRITEFAULT; }
  void dropSinks() {
    auto it = state().buttonSinks.find(buttonId_);
    if (it == state().buttonSinks.end()) return;
    SinkList dropped = std::move(it->second);
    state().buttonSinks.erase(it);
  }

  int barId_;
  int buttonId_;
};

class ControlsObject final : public DispatchObject {
 public:
  ControlsObject(StatePtr state, int barId) : DispatchObject(std::move(state), "CommandBarControls"), barId_(barId) {}

  HRESULT item(Invocation& call) {
    BarData* bar = state().bars.bar(barId_);
    if (!bar) return kObjectDeleted;
    const ButtonData* button = nullptr;
    if (call.isStringArg(0)) {
      std::u16string name;
      PENDRIX_RETURN_IF_FAILED(call.stringArg(0, name));
      button = state().bars.findButton(*bar, name);
    } else {
      long index = 0;
      PENDRIX_RETURN_IF_FAILED(call.intArg(0, index));
      if (index >= 1 && static_cast<size_t>(index) <= bar->buttons.size()) button = &bar->buttons[index - 1];
    }
    if (!button) return E_INVALIDARG;
    return call.returnDispatch(createButton(sharedState(), barId_, button->id).detach());
  }
  HRESULT count(Invocation& call) {
    BarData* bar = state().bars.bar(barId_);
    return bar ? call.returnInt(static_cast<long>(bar->buttons.size())) : kObjectDeleted;
  }
  HRESULT add(Invocation& call) {
    if (!state().bars.bar(barId_)) return kObjectDeleted;
    long type = 0, id = 0, before = 0;
    std::u16string parameter;
    bool temporary = false;
    PENDRIX_RETURN_IF_FAILED(call.intArg(0, type, office::kMsoControlButton));
    PENDRIX_RETURN_IF_FAILED(call.intArg(1, id, 1));
    PENDRIX_RETURN_IF_FAILED(call.stringArg(2, parameter, u""));
    PENDRIX_RETURN_IF_FAILED(call.intArg(3, before, 0));
    PENDRIX_RETURN_IF_FAILED(call.boolArg(4, temporary, false));
    // Only buttons: the host has no popups, combo boxes or edits.
    if (type != office::kMsoControlButton) return E_NOTIMPL;
    if (before < 0) return E_INVALIDARG;
    ButtonData* button =
        state().bars.addButton(barId_, static_cast<size_t>(before), static_cast<int>(type), static_cast<int>(id),
                               parameter, temporary);
    if (!button) return E_INVALIDARG;
    const int buttonId = button->id;
    if (!state().bars.save()) return STG_E_WRITEFAULT;
    return call.returnDispatch(createButton(sharedState(), barId_, buttonId).detach());
  }

 protected:
  std::span<const Member> members() const override {
    static const Member kMembers[] = {
        {L"Item", office::kDispidControlsItem, kMethod, L"Index", WORDHOST_BIND(ControlsObject, item)},
        {L"Count", office::kDispidControlsCount, kGet, L"", WORDHOST_BIND(ControlsObject, count)},
        {L"Add", office::kDispidControlsAdd, kMethod, L"Type,Id,Parameter,Before,Temporary", WORDHOST_BIND(ControlsObject, add)},
    };
    return kMembers;
  }
  void* furtherInterface(REFIID iid) override {
    return iid == office::kIidCommandBarControls ? static_cast<IDispatch*>(this) : nullptr;
  }

 private:
  int barId_;
};

class BarObject final : public DispatchObject {
 public:
  BarObject(StatePtr state, int barId) : DispatchObject(std::move(state), "CommandBar"), barId_(barId) {}

  HRESULT controls(Invocation& call) {
    if (!data()) return kObjectDeleted;
    return call.returnDispatch(makeComObject<ControlsObject>(sharedState(), barId_).detach());
  }
  HRESULT visible(Invocation& call) {
    BarData* bar = data();
    if (!bar) return kObjectDeleted;
    if (!call.isPut()) return call.returnBool(bar->visible);
    PENDRIX_RETURN_IF_FAILED(call.putBool(bar->visible));
    return saved();
  }
  HRESULT name(Invocation& call) {
    BarData* bar = data();
    if (!bar) return kObjectDeleted;
    if (!call.isPut()) return call.returnString(bar->name);
    std::u16string name;
    PENDRIX_RETURN_IF_FAILED(call.putString(name));
    const BarData* other = state().bars.findBar(name);
    if (name.empty() || name.size() > CommandBarModel::kMaxText || (other && other != bar)) return E_INVALIDARG;
    bar->name = name;
    return saved();
  }
  HRESULT position(Invocation& call) {
    BarData* bar = data();
    return bar ? call.returnInt(bar->position) : kObjectDeleted;
  }
  HRESULT remove(Invocation& call) {
    BarData* bar = data();
    if (!bar) return kObjectDeleted;
    std::vector<int> buttons;
    for (const ButtonData& b : bar->buttons) buttons.push_back(b.id);
    state().bars.removeBar(barId_);
    // Sinks are released after the bar is gone: a release may call back in.
    std::vector<SinkList> dropped;
    for (int id : buttons) {
      auto it = state().buttonSinks.find(id);
      if (it == state().buttonSinks.end()) continue;
      dropped.push_back(std::move(it->second));
      state().buttonSinks.erase(it);
    }
    const HRESULT hr = saved();
    dropped.clear();
    return hr;
  }

 protected:
  std::span<const Member> members() const override {
    static const Member kMembers[] = {
        {L"Controls", office::kDispidBarControls, kGet, L"", WORDHOST_BIND(BarObject, controls)},
        {L"Visible", office::kDispidBarVisible, kGet | kPut, L"", WORDHOST_BIND(BarObject, visible)},
        {L"Name", office::kDispidBarName, kGet | kPut, L"", WORDHOST_BIND(BarObject, name)},
        {L"Position", office::kDispidBarPosition, kGet, L"", WORDHOST_BIND(BarObject, position)},
        {L"Delete", office::kDispidBarDelete, kMethod, L"", WORDHOST_BIND(BarObject, remove)},
    };
    return kMembers;
  }
  void* furtherInterface(REFIID iid) override {
    return iid == office::kIidCommandBar ? static_cast<IDispatch*>(this) : nullptr;
  }

 private:
  BarData* data() { return state().bars.bar(barId_); }
  HRESULT saved() { return state().bars.save() ? S_OK : STG_E_WRITEFAULT; }

  int barId_;
};

class BarsObject final : public DispatchObject {
 public:
  explicit BarsObject(StatePtr state) : DispatchObject(std::move(state), "CommandBars") {}

  HRESULT item(Invocation& call) {
    const BarData* bar = nullptr;
    if (call.isStringArg(0)) {
      std::u16string name;
      PENDRIX_RETURN_IF_FAILED(call.stringArg(0, name));
      bar = state().bars.findBar(name);
    } else {
      long index = 0;
      PENDRIX_RETURN_IF_FAILED(call.intArg(0, index));
      if (index >= 1 && static_cast<size_t>(index) <= state().bars.bars().size()) bar = &state().bars.bars()[index - 1];
    }
    if (!bar) return E_INVALIDARG;
    return call.returnDispatch(makeComObject<BarObject>(sharedState(), bar->id).detach());
  }
  HRESULT count(Invocation& call) { return call.returnInt(static_cast<long>(state().bars.bars().size())); }
  HRESULT add(Invocation& call) {
    std::u16string name;
    long position = 0;
    bool menuBar = false, temporary = false;
    const std::u16string fallback = fromUtf8("Custom " + std::to_string(state().bars.bars().size() + 1));
    PENDRIX_RETURN_IF_FAILED(call.stringArg(0, name, fallback));
    PENDRIX_RETURN_IF_FAILED(call.intArg(1, position, 1));
    PENDRIX_RETURN_IF_FAILED(call.boolArg(2, menuBar, false));
    PENDRIX_RETURN_IF_FAILED(call.boolArg(3, temporary, false));
    BarData* bar = state().bars.addBar(name, static_cast<int>(position), temporary);
    if (!bar) return E_INVALIDARG;
    const int id = bar->id;
    if (!state().bars.save()) return STG_E_WRITEFAULT;
    return call.returnDispatch(makeComObject<BarObject>(sharedState(), id).detach());
  }

 protected:
  std::span<const Member> members() const override {
    static const Member kMembers[] = {
        {L"Item", office::kDispidBarsItem, kMethod, L"Index", WORDHOST_BIND(BarsObject, item)},
        {L"Count", office::kDispidBarsCount, kGet, L"", WORDHOST_BIND(BarsObject, count)},
        {L"Add", office::kDispidBarsAdd, kMethod, L"Name,Position,MenuBar,Temporary", WORDHOST_BIND(BarsObject, add)},
    };
    return kMembers;
  }
  void* furtherInterface(REFIID iid) override {
    return iid == office::kIidCommandBars ? static_cast<IDispatch*>(this) : nullptr;
  }
};

}  // namespace

ComPtr<IDispatch> createCommandBars(const std::shared_ptr<HostState>& state) {
  return ComPtr<IDispatch>::attach(new BarsObject(state));
}

ComPtr<IDispatch> createButton(const std::shared_ptr<HostState>& state, int barId, int buttonId) {
  return ComPtr<IDispatch>::attach(new ButtonObject(state, barId, buttonId));
}

}  // namespace pendrix::wordhost

#include "wordhost/host_state.h"

#include "wordhost/text_util.h"

namespace pendrix::wordhost {

HRESULT HostState::faultFor(const std::u16string& name, DISPID id) const {
  // The switch that clears faults must itself stay callable.
  if (equalsIgnoringCase(name, u"FailMember")) return S_OK;
  for (const FaultRule& rule : faults) {
    const bool hit = rule.name.empty() ? rule.id == id : equalsIgnoringCase(rule.name, name);
    if (hit) return rule.hr;
  }
  return S_OK;
}

const RibbonButton* HostState::ribbonButton(const std::u16string& id, const AddinRibbon** owner) const {
  for (const AddinRibbon& ribbon : ribbons)
    for (const RibbonTab& tab : ribbon.tabs)
      for (const RibbonGroup& group : tab.groups)
        for (const RibbonButton& button : group.buttons) {
          if (button.id != id) continue;
          if (owner) *owner = &ribbon;
          return &button;
        }
  return nullptr;
}

void HostState::log(std::string line) {
  if (callLog.size() < kMaxLogLines) callLog.push_back(std::move(line));
}

void HostState::disconnectAll() {
  // Moved out first: releasing a sink may call back into the host.
  std::vector<SinkList::Entry> dropped = std::move(applicationSinks.entries);
  applicationSinks.entries.clear();
  std::map<int, SinkList> buttons = std::move(buttonSinks);
  buttonSinks.clear();
  std::vector<AddinRibbon> tabs = std::move(ribbons);
  ribbons.clear();
  dropped.clear();
  buttons.clear();
  tabs.clear();
}

}  // namespace pendrix::wordhost

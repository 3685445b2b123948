#pragma once
// The ribbon of a ribbon-era Word. The customUI XML an add-in hands over is read with
// the platform's XML parser (MSXML's DOMDocument) and held to Word's schema: XML that is
// not well formed or leaves the schema makes Word drop the add-in's whole customization.
// The tabs go into the host state, where the window shows them; the button pictures come
// from the add-in's loadImage or getImage callback, and a pressed button calls its
// onAction callback on the add-in's IDispatch with an IRibbonControl.

#include <memory>
#include <string>
#include <vector>

#include "wordhost/host_state.h"
#include "wordhost/ribbon_host.h"

namespace pendrix::wordhost {

// What a customUI document holds: its tabs and the name of its loadImage callback, or
// the fault (in `error`) that makes Word refuse it, with no tabs.
struct CustomUi {
  std::vector<RibbonTab> tabs;
  std::u16string loadImage;
  std::string error;
  bool ok() const { return error.empty(); }
};
CustomUi readCustomUi(const std::wstring& xml);

// The host's end of the add-in loader's ribbon requests.
class HostRibbon final : public RibbonHost {
 public:
  explicit HostRibbon(std::shared_ptr<HostState> state) : state_(std::move(state)) {}
  // Replaces the add-in's earlier tabs; a refused customization is logged
  // ("Ribbon.Error(progid: fault)") and leaves the add-in without tabs.
  void addRibbon(const std::wstring& progId, const std::wstring& customUi, IDispatch* callbacks) override;
  void removeRibbon(const std::wstring& progId) override;

 private:
  std::shared_ptr<HostState> state_;
};

// The user's click on the ribbon button with that id: its onAction callback, with an
// IRibbonControl of the button. The callback's HRESULT; E_INVALIDARG when no tab holds
// such a button, S_FALSE for a button without an action.
HRESULT pressRibbonButton(const std::shared_ptr<HostState>& state, const std::u16string& id);

// "32x32" for a picture that holds a bitmap of that size, "" for none.
std::string pictureSize(IDispatch* picture);

}  // namespace pendrix::wordhost

#pragma once
// Office's command bars over the host's bar model: CommandBars, CommandBar,
// CommandBarControls and the button, each also answering its Office IID as the
// same IDispatch. Buttons are event sources for _CommandBarButtonEvents.

#include <memory>

#include "win32/com.h"
#include "wordhost/host_state.h"

namespace pendrix::wordhost {

ComPtr<IDispatch> createCommandBars(const std::shared_ptr<HostState>& state);
ComPtr<IDispatch> createButton(const std::shared_ptr<HostState>& state, int barId, int buttonId);

}  // namespace pendrix::wordhost

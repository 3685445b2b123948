#pragma once
// The host's message filter: while the host plays a busy Word (its Busy member), calls
// from other processes are refused, as Word refuses them while a dialog of its own is
// open. Wine answers SERVERCALL_REJECTED with RPC_E_CALL_REJECTED at the caller and
// runs a call answered with SERVERCALL_RETRYLATER anyway, so the host refuses with the
// first; Windows gives a caller without a message filter either refusal at once.

#include <windows.h>
#include <objidl.h>

#include <memory>

#include "win32/com.h"
#include "wordhost/host_state.h"

namespace pendrix::wordhost {

// Registered with CoRegisterMessageFilter on the host's thread.
ComPtr<IMessageFilter> createBusyFilter(std::shared_ptr<HostState> state);

}  // namespace pendrix::wordhost

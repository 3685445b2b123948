#include "wordhost/busy_filter.h"

#include <span>

#include "win32/com_object.h"

namespace pendrix::wordhost {
namespace {

// COM's own bookkeeping between the apartments (references, further interfaces)
// reaches none of Word's code and goes through even while Word is busy.
constexpr IID kIidRemUnknown = {0x00000131, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr IID kIidRemUnknown2 = {0x00000143, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

class BusyFilter final : public ComObject<BusyFilter, IMessageFilter> {
 public:
  explicit BusyFilter(std::shared_ptr<HostState> state) : state_(std::move(state)) {}

  static std::span<const InterfaceEntry<BusyFilter>> interfaces() {
    static constexpr InterfaceEntry<BusyFilter> table[] = {
        interfaceEntry<BusyFilter, IMessageFilter>(IID_IMessageFilter)};
    return table;
  }

  DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD callType, HTASK, DWORD, LPINTERFACEINFO info) override {
    const bool bookkeeping = info && (info->iid == kIidRemUnknown || info->iid == kIidRemUnknown2);
    // An asynchronous call cannot be refused.
    if (!state_->busy() || bookkeeping || callType == CALLTYPE_ASYNC) return SERVERCALL_ISHANDLED;
    state_->log("Busy.Refused");
    return SERVERCALL_REJECTED;
  }
  // The host's own calls into other processes (sinks of other programs) are not made again.
  DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK, DWORD, DWORD) override { return static_cast<DWORD>(-1); }
  DWORD STDMETHODCALLTYPE MessagePending(HTASK, DWORD, DWORD) override { return PENDINGMSG_WAITDEFPROCESS; }

 private:
  friend class ComObject<BusyFilter, IMessageFilter>;
  ~BusyFilter() = default;

  std::shared_ptr<HostState> state_;
};

}  // namespace

ComPtr<IMessageFilter> createBusyFilter(std::shared_ptr<HostState> state) {
  const ComPtr<BusyFilter> filter = makeComObject<BusyFilter>(std::move(state));
  return ComPtr<IMessageFilter>(filter.get());
}

}  // namespace pendrix::wordhost

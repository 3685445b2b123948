#include "wordhost/undo_record.h"

#include "win32/office_interfaces.h"
#include "wordhost/dispatch_base.h"
#include "wordhost/document_model.h"
#include "wordhost/host_state.h"

namespace pendrix::wordhost {
namespace {

class UndoRecordObject final : public DispatchObject {
 public:
  explicit UndoRecordObject(std::shared_ptr<HostState> state) : DispatchObject(std::move(state), "UndoRecord") {}

  // Nested records make one: the outermost name is the one the undo list shows.
  HRESULT start(Invocation& call) {
    std::u16string name;
    PENDRIX_RETURN_IF_FAILED(call.stringArg(0, name, u""));
    CustomUndoState& undo = state().undo;
    if (undo.level++ == 0) undo.name = name.substr(0, CustomUndoState::kMaxName);
    return S_OK;
  }
  // Without an open record Word does nothing.
  HRESULT end(Invocation& call) {
    CustomUndoState& undo = state().undo;
    if (undo.level == 0 || --undo.level > 0) return S_OK;
    if (undo.finished.size() < CustomUndoState::kMaxFinished) undo.finished.push_back(undo.name);
    undo.name.clear();
    return S_OK;
  }
  HRESULT isRecording(Invocation& call) { return call.returnBool(state().undo.level > 0); }
  HRESULT name(Invocation& call) { return call.returnString(state().undo.name); }
  HRESULT level(Invocation& call) { return call.returnInt(state().undo.level); }

 protected:
  std::span<const Member> members() const override {
    static const Member kMembers[] = {
        {L"StartCustomRecord", word::kDispidStartCustomRecord, kMethod, L"Name", WORDHOST_BIND(UndoRecordObject, start)},
        {L"EndCustomRecord", word::kDispidEndCustomRecord, kMethod, L"", WORDHOST_BIND(UndoRecordObject, end)},
        {L"IsRecordingCustomRecord", word::kDispidIsRecordingCustomRecord, kGet, L"",
         WORDHOST_BIND(UndoRecordObject, isRecording)},
        {L"CustomRecordName", word::kDispidCustomRecordName, kGet, L"", WORDHOST_BIND(UndoRecordObject, name)},
        {L"CustomRecordLevel", word::kDispidCustomRecordLevel, kGet, L"", WORDHOST_BIND(UndoRecordObject, level)},
    };
    return kMembers;
  }
  void* furtherInterface(REFIID iid) override {
    return iid == word::kIidUndoRecord ? static_cast<IDispatch*>(this) : nullptr;
  }
};

}  // namespace

ComPtr<IDispatch> createUndoRecord(const std::shared_ptr<HostState>& state) {
  return ComPtr<IDispatch>::attach(new UndoRecordObject(state));
}

std::string undoRecordsJson(const CustomUndoState& undo) {
  std::string out = ",\"undoRecords\":{\"level\":" + std::to_string(undo.level) + ",\"finished\":[";
  for (size_t i = 0; i < undo.finished.size(); ++i) {
    if (i > 0) out += ',';
    appendJsonString(out, undo.finished[i]);
  }
  return out + "]}";
}

}  // namespace pendrix::wordhost

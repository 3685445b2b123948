#pragma once
// Word's Application.UndoRecord (Word 2010 and later): custom undo records that make
// many calls one step of the user's undo. The stand-in keeps no undo stack; it keeps
// the records opened and closed, for the dump.

#include <memory>
#include <string>
#include <vector>

#include "win32/com.h"

namespace pendrix::wordhost {

struct HostState;

struct CustomUndoState {
  int level = 0;             // nested StartCustomRecord calls not yet ended
  std::u16string name;       // the outermost open record's name
  std::vector<std::u16string> finished;  // the names of the records ended, oldest first

  static constexpr size_t kMaxName = 64;  // Word cuts longer names
  static constexpr size_t kMaxFinished = 1000;
};

// A new UndoRecord object over the host's state; every one sees the same records.
ComPtr<IDispatch> createUndoRecord(const std::shared_ptr<HostState>& state);

// `,"undoRecords":{"level":N,"finished":[...]}` for the document dump.
std::string undoRecordsJson(const CustomUndoState& undo);

}  // namespace pendrix::wordhost

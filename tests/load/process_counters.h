#pragma once
// What another process holds: kernel handles, GDI and USER objects, memory.
//
// Windows answers GetProcessHandleCount and GetGuiResources. Wine 8 does not (the
// first gives 0, the second fails with ERROR_CALL_NOT_IMPLEMENTED), so there the
// same figures are read where Wine keeps them: the system's handle list (one entry
// per kernel handle, with its process), the process's GDI handle table (its PEB
// points to it; a used entry has a type), and its windows for the USER objects.
// Wine fills PagefileUsage but not PrivateUsage; on Windows the two are the same
// commit charge, the private bytes.

#include <windows.h>
#include <psapi.h>
#include <winternl.h>

#include <algorithm>
#include <vector>

namespace pendrix::testing {

struct ObjectCounts {
  unsigned long handles = 0;
  unsigned long gdi = 0;
  unsigned long user = 0;
};

struct MemoryFigures {
  size_t privateBytes = 0;
  size_t workingSet = 0;
};

namespace detail {

// SYSTEM_HANDLE_TABLE_ENTRY_INFO of SystemHandleInformation (16).
struct SystemHandleEntry {
  USHORT processId;
  USHORT creatorBackTraceIndex;
  UCHAR objectType;
  UCHAR flags;
  USHORT handle;
  PVOID object;
  ACCESS_MASK access;
};
struct SystemHandles {
  ULONG count;
  SystemHandleEntry entries[1];
};

template <typename Function>
Function* ntdll(const char* name) {
  return reinterpret_cast<Function*>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll"), name)));
}

inline unsigned long handlesFromSystemList(DWORD processId) {
  using Query = NTSTATUS NTAPI(ULONG, PVOID, ULONG, PULONG);
  constexpr ULONG kSystemHandleInformation = 16;
  constexpr NTSTATUS kLengthMismatch = static_cast<NTSTATUS>(0xC0000004);
  auto* query = ntdll<Query>("NtQuerySystemInformation");
  if (!query) return 0;
  std::vector<char> buffer(1 << 20);
  ULONG length = 0;
  NTSTATUS status;
  while ((status = query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &length)) ==
         kLengthMismatch)
    buffer.resize(buffer.size() * 2);
  if (status != 0) return 0;
  const auto* list = reinterpret_cast<const SystemHandles*>(buffer.data());
  unsigned long count = 0;
  for (ULONG i = 0; i < list->count; ++i)
    if (list->entries[i].processId == static_cast<USHORT>(processId)) ++count;
  return count;
}

// The GDI handle table: 65536 entries of 24 bytes, the object type in byte 14.
inline unsigned long gdiFromHandleTable(HANDLE process) {
  static_assert(sizeof(void*) == 8, "the PEB offset below is the 64-bit one");
  constexpr size_t kGdiTableOffset = 0xF8, kEntries = 0x10000, kEntrySize = 24, kTypeByte = 14;
  using Query = NTSTATUS NTAPI(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
  auto* query = ntdll<Query>("NtQueryInformationProcess");
  PROCESS_BASIC_INFORMATION basic{};
  if (!query || query(process, ProcessBasicInformation, &basic, sizeof basic, nullptr) != 0) return 0;
  const char* table = nullptr;
  if (!ReadProcessMemory(process, reinterpret_cast<const char*>(basic.PebBaseAddress) + kGdiTableOffset, &table,
                         sizeof table, nullptr) ||
      !table)
    return 0;
  std::vector<unsigned char> entries(kEntries * kEntrySize);
  if (!ReadProcessMemory(process, table, entries.data(), entries.size(), nullptr)) return 0;
  unsigned long count = 0;
  for (size_t i = 0; i < kEntries; ++i)
    if (entries[i * kEntrySize + kTypeByte] != 0) ++count;
  return count;
}

struct WindowCount {
  DWORD processId;
  unsigned long count;
};

inline BOOL CALLBACK countWindow(HWND window, LPARAM data) {
  auto& tally = *reinterpret_cast<WindowCount*>(data);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == tally.processId) ++tally.count;
  return TRUE;
}

inline BOOL CALLBACK countTopWindow(HWND window, LPARAM data) {
  countWindow(window, data);
  EnumChildWindows(window, countWindow, data);
  return TRUE;
}

inline unsigned long windowsOf(DWORD processId) {
  WindowCount tally{processId, 0};
  EnumWindows(countTopWindow, reinterpret_cast<LPARAM>(&tally));
  return tally.count;
}

}  // namespace detail

// `process` needs PROCESS_QUERY_INFORMATION and PROCESS_VM_READ.
inline ObjectCounts objectCountsOf(HANDLE process) {
  ObjectCounts counts;
  const DWORD id = GetProcessId(process);
  if (!GetProcessHandleCount(process, &counts.handles) || counts.handles == 0)
    counts.handles = detail::handlesFromSystemList(id);
  SetLastError(0);
  counts.gdi = GetGuiResources(process, GR_GDIOBJECTS);
  counts.user = GetGuiResources(process, GR_USEROBJECTS);
  if (GetLastError() == ERROR_CALL_NOT_IMPLEMENTED) {
    counts.gdi = detail::gdiFromHandleTable(process);
    counts.user = detail::windowsOf(id);
  }
  return counts;
}

// The fewest objects seen over a short while. A painting process holds a memory DC
// and its bitmap for a moment; a leak shows in every sample, a paint in only some.
inline ObjectCounts restingObjectCountsOf(HANDLE process, int samples = 8, DWORD gapMilliseconds = 100) {
  ObjectCounts fewest = objectCountsOf(process);
  for (int i = 1; i < samples; ++i) {
    Sleep(gapMilliseconds);
    const ObjectCounts now = objectCountsOf(process);
    fewest = {(std::min)(fewest.handles, now.handles), (std::min)(fewest.gdi, now.gdi),
              (std::min)(fewest.user, now.user)};
  }
  return fewest;
}

inline MemoryFigures memoryOf(HANDLE process) {
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof counters;
  if (!GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters)) return {};
  return {counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage, counters.WorkingSetSize};
}

}  // namespace pendrix::testing

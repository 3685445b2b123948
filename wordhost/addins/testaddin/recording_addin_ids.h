#pragma once
// The classes of the recording test add-in, as the tests and the host's end-to-end
// run name them. Each writes one line per call it gets to the file named by the
// environment variable kRecordingLogVariable.

namespace pendrix::wordhost::testaddin {

inline constexpr wchar_t kRecordingLogVariable[] = L"PENDRIX_ADDIN_LOG";

// Records every call and keeps the application until it is disconnected.
inline constexpr wchar_t kRecordingProgId[] = L"Pendrix.RecordingAddin";
// The same behaviour under a second class, to watch the order across add-ins.
inline constexpr wchar_t kSecondRecordingProgId[] = L"Pendrix.SecondRecordingAddin";
// Refuses OnConnection with E_FAIL.
inline constexpr wchar_t kFailingProgId[] = L"Pendrix.FailingAddin";
// Answers IDispatch but not IDTExtensibility2.
inline constexpr wchar_t kPlainDispatchProgId[] = L"Pendrix.PlainDispatchAddin";
// Unloads itself from OnStartupComplete by putting Connect = False on its COMAddIn.
inline constexpr wchar_t kSelfUnloadingProgId[] = L"Pendrix.SelfUnloadingAddin";

}  // namespace pendrix::wordhost::testaddin

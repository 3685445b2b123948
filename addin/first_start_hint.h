#pragma once
// The first-start hint is shown once per user. Word keeps its command bars in the
// user's template, which school networks reset at every logon or keep read-only: a
// new bar alone does not mean that the user never saw the hint. So the add-in
// remembers it under HKEY_CURRENT_USER, where it stays for every Word of the user.

namespace pendrix::addin {

inline constexpr wchar_t kFirstStartHintKey[] = L"Software\\Pendrix\\Tarnel";
inline constexpr wchar_t kFirstStartHintValue[] = L"HinweisGezeigt";  // REG_DWORD 1

bool firstStartHintShown();
// Nothing is reported: a user whose registry takes no value sees the hint again.
void rememberFirstStartHintShown();

}  // namespace pendrix::addin

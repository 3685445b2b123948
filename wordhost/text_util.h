#pragma once
// Case-insensitive comparison of member names, captions and tags (ASCII letters
// fold, as Word's names are ASCII; other characters compare exactly).

#include <string>

namespace pendrix::wordhost {

inline char16_t foldCase(char16_t ch) { return ch >= u'A' && ch <= u'Z' ? static_cast<char16_t>(ch + 32) : ch; }

inline bool equalsIgnoringCase(const std::u16string& a, const std::u16string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (foldCase(a[i]) != foldCase(b[i])) return false;
  return true;
}

inline std::u16string toLowerAscii(std::u16string text) {
  for (char16_t& ch : text) ch = foldCase(ch);
  return text;
}

}  // namespace pendrix::wordhost

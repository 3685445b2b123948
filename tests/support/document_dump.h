#pragma once
// The Word stand-in's document dump (its DocumentDump member) read back: the JSON
// text decoded, the document's characters and its field codes.

#include <regex>
#include <string>

#include "session/text_codec.h"
#include "win32/handles.h"

namespace pendrix::testing {

inline std::string utf8(const std::wstring& text) { return toUtf8(fromWide(text.c_str())); }

// The dump's JSON strings escape backslashes and everything beyond ASCII as \uXXXX.
inline std::string decoded(const std::string& json) {
  std::u16string out;
  for (size_t i = 0; i < json.size(); ++i) {
    if (json[i] == '\\' && i + 5 < json.size() && json[i + 1] == 'u') {
      out += static_cast<char16_t>(std::stoi(json.substr(i + 2, 4), nullptr, 16));
      i += 5;
    } else if (json[i] == '\\' && i + 1 < json.size()) {
      out += static_cast<char16_t>(json[++i]);
    } else {
      out += static_cast<char16_t>(static_cast<unsigned char>(json[i]));
    }
  }
  return toUtf8(out);
}

// The document's characters in order, from a decoded dump.
inline std::string documentText(const std::string& dump) {
  const std::regex pattern(R"re("char":"([^"]*)")re");
  std::string out;
  for (auto it = std::sregex_iterator(dump.begin(), dump.end(), pattern); it != std::sregex_iterator(); ++it)
    out += (*it)[1].str();
  return out;
}

inline std::string fieldCodes(const std::string& dump) {
  const std::regex pattern(R"re("code":"([^"]*)")re");
  std::string out;
  for (auto it = std::sregex_iterator(dump.begin(), dump.end(), pattern); it != std::sregex_iterator(); ++it)
    out += (*it)[1].str() + "|";
  return out;
}

}  // namespace pendrix::testing

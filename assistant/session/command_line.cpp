#include "session/command_line.h"

#include <array>

namespace pendrix {
namespace {

char16_t lowerAscii(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }

bool equalsIgnoringCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
  return true;
}

bool isSwitch(std::u16string_view word) {
  static constexpr std::array<std::u16string_view, 2> kSwitches = {u"embedding", u"automation"};
  if (word.size() < 2 || (word[0] != u'-' && word[0] != u'/')) return false;
  for (const std::u16string_view name : kSwitches)
    if (equalsIgnoringCase(word.substr(1), name)) return true;
  return false;
}

}  // namespace

bool hasAutomationSwitch(std::u16string_view commandLine) {
  size_t i = 0;
  while (i < commandLine.size()) {
    if (commandLine[i] == u' ' || commandLine[i] == u'\t') {
      ++i;
      continue;
    }
    if (commandLine[i] == u'"') {
      const size_t close = commandLine.find(u'"', i + 1);
      i = close == std::u16string_view::npos ? commandLine.size() : close + 1;
      continue;
    }
    size_t end = i;
    while (end < commandLine.size() && commandLine[end] != u' ' && commandLine[end] != u'\t') ++end;
    if (isSwitch(commandLine.substr(i, end - i))) return true;
    i = end;
  }
  return false;
}

}  // namespace pendrix

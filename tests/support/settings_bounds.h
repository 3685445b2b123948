#pragma once
// What a settings record holds after any load or setter, whatever the file said: the
// derived characters among their choices and matching the numbers they come from,
// the notation's fixed characters untouched. For the settings tests and the settings
// fuzz target; "" when the record is sound, else the first field out of bounds.

#include <string>
#include <string_view>

#include "session/settings.h"

namespace pendrix::testing {

inline std::string settingsRecordBreach(const SettingsRecord& r) {
  const SettingsRecord fixed;
  const auto among = [](char16_t c, std::u16string_view choices) { return choices.find(c) != choices.npos; };
  const auto digitOf = [](int amount) { return amount >= 1 && amount <= 9 ? char16_t(u'0' + amount) : u'5'; };
  if (!among(r.bracketOpen, u"[{<") || std::u16string_view(u"[{<").find(r.bracketOpen) !=
                                            std::u16string_view(u"]}>").find(r.bracketClose))
    return "brackets";
  if (!among(r.wordTimes, u"*\u00B7\u2022\u2219")) return "wordTimes";
  if (r.wordMinus != (r.minusChoice == 0 ? u'\u2212' : u'-')) return "wordMinus";
  if (r.wordPlus != u'+') return "wordPlus";
  if (r.raiseDigit != digitOf(r.raiseAmount) || r.lowerDigit != digitOf(r.lowerAmount)) return "raise/lower digit";
  if (r.listSeparator == u'\0') return "listSeparator";
  if (r.functionNames != fixed.functionNames || r.variableX != fixed.variableX || r.variableT != fixed.variableT ||
      r.timesChar != fixed.timesChar || r.minusChar != fixed.minusChar || r.plusChar != fixed.plusChar ||
      r.divideChar != fixed.divideChar || r.fractionChar != fixed.fractionChar || r.powerChar != fixed.powerChar)
    return "notation characters";
  return "";
}

}  // namespace pendrix::testing

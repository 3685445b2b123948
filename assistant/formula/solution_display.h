#pragma once
// The two static controls of the exercise area that show a solution: 1009 the value
// or first solution, 1031 the second solution or a status. Most editing commands
// reset them; the dialog implements this over its controls, tests record it.

#include <string>

namespace pendrix {

inline constexpr char16_t kNoSolutionText[] = u"----";
inline constexpr char16_t kEmptyStatusText[] = u" ";
// An equation whose sides agree for every x: every number solves it.
inline constexpr char16_t kEveryNumberText[] = u"alle x";

class SolutionDisplay {
 public:
  virtual ~SolutionDisplay() = default;
  virtual void setValueText(const std::u16string& text) = 0;   // control 1009
  virtual void setStatusText(const std::u16string& text) = 0;  // control 1031
};

// "----" in 1009 and one space in 1031.
inline void resetSolutionDisplay(SolutionDisplay& display) {
  display.setValueText(kNoSolutionText);
  display.setStatusText(kEmptyStatusText);
}

// The displays' numbers come with a decimal point; the user reads them with the
// decimal symbol of the settings or the locale.
inline std::u16string withDecimalSymbol(std::u16string text, char16_t symbol) {
  if (symbol == u'\0' || symbol == u'.') return text;
  for (char16_t& c : text) {
    if (c == u'.') c = symbol;
  }
  return text;
}

// Keeps the last texts, for the console companion and tests.
class RecordingSolutionDisplay : public SolutionDisplay {
 public:
  void setValueText(const std::u16string& text) override { value = text; ++resets; }
  void setStatusText(const std::u16string& text) override { status = text; }
  std::u16string value;
  std::u16string status;
  int resets = 0;  // how often 1009 was written
};

}  // namespace pendrix

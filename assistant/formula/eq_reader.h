#pragma once
// Reads the code of a Word "EQ" field back into the formula grid: the EQ test, a
// validator, a tokenizer with a stack of open constructs, and the loader that turns
// the tokens into grid operations.

#include <cstdint>
#include <string>
#include <vector>

#include "formula/formula_grid.h"
#include "session/notifier.h"
#include "session/settings.h"

namespace pendrix {

inline constexpr char16_t kTooComplexText[] =
    u"Formel zu komplex: \n\nKeine Dreifachwurzel \nKeine Doppelwurzel im Zähler oder Nenner";
inline constexpr char16_t kTooComplexCheckCaption[] = u"Info";
inline constexpr char16_t kTooComplexLoadCaption[] = u"Pendrix";

enum EqToken : int {
  kTokenEnd = 0,
  kTokenFractionStart = 1,
  kTokenFractionSeparator = 2,
  kTokenFractionEnd = 3,
  kTokenInnerStart = 4,
  kTokenInnerSeparator = 5,
  kTokenInnerEnd = 6,
  kTokenSuperscriptStart = 19,
  kTokenSubscriptStart = 20,
  kTokenScriptEnd = 21,
  kTokenRootStart = 22,
  kTokenRootSeparator = 23,
  kTokenRootEnd = 24,
  kTokenTallRootStart = 25,
  kTokenTallRootSeparator = 26,
  kTokenTallRootEnd = 27,
  kTokenSpaceDegree = 32,
};

// A token is one of EqToken or, for ordinary text, the character itself offset by
// kCharacterToken so that a typed U+0001 never looks like a construct.
inline constexpr int kCharacterToken = 0x10000;

enum class CheckResult { Readable = 0, TooComplex = 1, Unsupported = 3 };

class EqReader {
 public:
  explicit EqReader(char16_t separator);
  void setText(const std::u16string& code);
  std::u16string firstWord();
  CheckResult check(Notifier& notifier);
  int nextToken();

 private:
  struct Entry {
    int kind;
    int value1;  // separator position of a fraction or root, raise/lower amount of a script
    int value2;
  };
  bool atEnd() const { return position_ >= size(); }
  int size() const { return static_cast<int>(text_.size()); }
  char16_t charAt(int i) const { return i >= 0 && i < size() ? text_[i] : u'\0'; }
  CheckResult validate();
  int readSwitch();
  int startRoot(int open, int kind);
  int readScript();
  int closeToken();
  int separatorPosition(int open) const;
  bool holdsNestedSwitch(int open) const;
  void skipSpaces();
  bool insideScript() const;

  std::u16string text_;
  int position_ = 0;
  char16_t separator_;
  std::vector<Entry> stack_;
  int pending1_ = 0;
  int pending2_ = 0;
};

// True when the first word of `code` is exactly "EQ".
bool isEqField(const std::u16string& code);

enum class LoadResult { Loaded, TooComplex, Unsupported, StoppedAtRoot };

// The loader. A code that Check refuses leaves the grid as it was.
LoadResult loadFieldCode(const std::u16string& code, FormulaGrid& grid, const Settings& settings, Notifier& notifier);

// The dialog's field load: a field that is no EQ field loads as an empty formula.
LoadResult loadWordField(const std::u16string& code, FormulaGrid& grid, const Settings& settings, Notifier& notifier);

}  // namespace pendrix

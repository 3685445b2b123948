#include "formula/eq_reader.h"

#include <algorithm>
#include <string_view>

namespace pendrix {

namespace {

enum Kind : int {
  kParenthesis = 110,
  kFraction = 40,
  kFractionAfter = 41,
  kInner = 42,
  kInnerAfter = 43,
  kRoot = 80,
  kRootAfter = 81,
  kTallRoot = 85,
  kTallRootAfter = 86,
  kSuperscript = 90,
  kSubscript = 91,
};

char16_t lower(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }
bool isLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }
bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
bool isSeparator(char16_t c) { return c == u',' || c == u';'; }
int characterToken(char16_t c) { return kCharacterToken + c; }

bool opensArgument(int kind) { return kind == kFraction || kind == kInner || kind == kRoot || kind == kTallRoot; }

}  // namespace

EqReader::EqReader(char16_t separator) : separator_(separator == u',' ? u',' : u';') {}

void EqReader::setText(const std::u16string& code) {
  text_ = code;
  position_ = 0;
  stack_.clear();
  pending1_ = pending2_ = 0;
}

void EqReader::skipSpaces() {
  while (charAt(position_) == u' ') ++position_;
}

// <first word> = {" "} {<character other than " " and digits>}
std::u16string EqReader::firstWord() {
  position_ = 0;
  skipSpaces();
  std::u16string word;
  while (!atEnd() && text_[position_] != u' ' && !isDigit(text_[position_])) word += text_[position_++];
  return word;
}

// <field> = {" "} <two characters, "EQ"> [" "] <formula>
CheckResult EqReader::check(Notifier& notifier) {
  position_ = 0;
  skipSpaces();
  position_ = std::min(position_ + 2, size());
  const int start = position_;
  const CheckResult result = validate();
  if (result == CheckResult::Unsupported) return result;
  if (result == CheckResult::TooComplex) {
    notifier.showInfo(kTooComplexCheckCaption, kTooComplexText);
    return CheckResult::TooComplex;
  }
  // The blank that the writer puts after "EQ" belongs to the field, not to the
  // formula: loading it would add a leading blank at every reopening.
  position_ = start;
  if (charAt(position_) == u' ') ++position_;
  return CheckResult::Readable;
}

// <formula> = {"(" | ")" | "\s" [{" "} "\do"] | "\f(" | "\r(" | "\" <letter> | <character>}
// Refuses \a \b \d \i \l \o \x and a third nested root; turns a fraction nested in a
// fraction or in two roots into an inner fraction ("\g").
CheckResult EqReader::validate() {
  std::vector<char> groups;
  bool fractionOpen = false;
  int rootDepth = 0;
  int i = position_;
  while (i < size()) {
    const char16_t c = text_[i];
    if (c == u'(') {
      groups.push_back('p');
    } else if (c == u')') {
      if (!groups.empty()) {
        if (groups.back() == 'f') fractionOpen = false;
        if (groups.back() == 'r') --rootDepth;
        groups.pop_back();
      }
    } else if (c == u'\\' && i + 1 < size()) {
      const char16_t letter = lower(text_[i + 1]);
      if (letter == u's') {
        // "\s\do" is the lowering option, not the displacement switch.
        i += 2;
        while (charAt(i) == u' ') ++i;
        if (charAt(i) == u'\\' && lower(charAt(i + 1)) == u'd' && lower(charAt(i + 2)) == u'o') i += 3;
        continue;
      }
      if (std::u16string_view(u"abdilox").find(letter) != std::u16string_view::npos) return CheckResult::Unsupported;
      if (letter == u'f') {
        if (fractionOpen || rootDepth >= 2) {
          text_[i + 1] = u'g';
          groups.push_back('g');
        } else {
          groups.push_back('f');
          fractionOpen = true;
        }
        i += 3;
        continue;
      }
      if (letter == u'r') {
        groups.push_back('r');
        if (++rootDepth > 2) return CheckResult::TooComplex;
        i += 3;
        continue;
      }
      i += 2;
      continue;
    }
    ++i;
  }
  return CheckResult::Readable;
}

// <arguments> = "(" {<character> | "(" <arguments> ")"} [<separator> ...] ")"
// The separator of the construct whose "(" stands at `open`: the settings' one when
// the construct holds it at its own depth, else the other. A decimal comma of a code
// written with ";" therefore stays part of its number.
int EqReader::separatorPosition(int open) const {
  int depth = 1, semicolon = -1, comma = -1;
  for (int i = open + 1; i < size(); ++i) {
    const char16_t c = text_[i];
    if (c == u'\\') {
      ++i;
    } else if (c == u'(') {
      ++depth;
    } else if (c == u')' && --depth == 0) {
      break;
    } else if (depth == 1 && c == u';' && semicolon < 0) {
      semicolon = i;
    } else if (depth == 1 && c == u',' && comma < 0) {
      comma = i;
    }
  }
  const int preferred = separator_ == u',' ? comma : semicolon;
  return preferred >= 0 ? preferred : (separator_ == u',' ? semicolon : comma);
}

bool EqReader::holdsNestedSwitch(int open) const {
  int depth = 1;
  for (int i = open + 1; i < size() && depth > 0; ++i) {
    const char16_t c = text_[i];
    if (c == u'\\') {
      if (charAt(i + 1) == u'r' || charAt(i + 1) == u'f') return true;
      ++i;
    } else if (c == u'(') {
      ++depth;
    } else if (c == u')') {
      --depth;
    }
  }
  return false;
}

bool EqReader::insideScript() const {
  for (const Entry& e : stack_) {
    if (e.kind == kSuperscript || e.kind == kSubscript) return true;
  }
  return false;
}

// <switch> = "\" ("f" | "g") ... "(" | "\r" ... "(" | "\s" <script> | "\" <escaped character>
// At a backslash. A switch that opens nothing is read as text.
int EqReader::readSwitch() {
  const char16_t letter = charAt(position_ + 1);
  if (position_ + 1 >= size() || !isLetter(letter)) {
    // An escaped character ("\(", "\,", "\\") stands for itself.
    position_ = std::min(position_ + 2, size());
    return characterToken(letter == u'\0' ? u'\\' : letter);
  }
  const char16_t l = lower(letter);
  int open = -1;
  if (l == u'f' || l == u'g' || l == u'r') {
    open = static_cast<int>(text_.find(u'(', position_ + 2));
    if (open == static_cast<int>(std::u16string::npos)) open = -1;
  }
  if (open >= 0 && (l == u'f' || l == u'g')) {
    // The grid holds a fraction inside a raised or lowered run only as brackets.
    const int kind = letter == u'g' || insideScript() ? kInner : kFraction;
    stack_.push_back({kind, separatorPosition(open), 0});
    position_ = open + 1;
    return kind == kInner ? kTokenInnerStart : kTokenFractionStart;
  }
  if (open >= 0 && l == u'r') return startRoot(open, holdsNestedSwitch(open) ? kTallRoot : kRoot);
  if (l == u's') return readScript();
  ++position_;
  return characterToken(u'\\');
}


// <root> = "\r" ... "(" [<degree> <separator>] <radicand> ")"
// The degree is the first character before the separator; a longer degree keeps
// only that character, as the grid holds one.
int EqReader::startRoot(int open, int kind) {
  const bool tall = kind == kTallRoot;
  const int separator = separatorPosition(open);
  stack_.push_back({kind, separator, 0});
  position_ = open + 1;
  if (separator < 0) {
    pending1_ = kTokenSpaceDegree;
    pending2_ = tall ? kTokenTallRootSeparator : kTokenRootSeparator;
    stack_.push_back({tall ? kTallRootAfter : kRootAfter, -1, 0});
  } else {
    const char16_t degree = separator > open + 1 ? text_[open + 1] : u' ';
    const bool plain = degree != u' ' && degree != u'\\' && degree != u'(' && degree != u')';
    pending1_ = plain ? characterToken(degree) : kTokenSpaceDegree;
    position_ = separator;
  }
  return tall ? kTokenTallRootStart : kTokenRootStart;
}

// <script> = "\s" {" "} ["\"] ("up" | "do") {<digit>} {" "} "(" <formula> ")"
// Anything else after "\s" is text.
int EqReader::readScript() {
  int p = position_ + 2;
  while (charAt(p) == u' ') ++p;
  if (charAt(p) == u'\\') ++p;
  const char16_t a = lower(charAt(p)), b = lower(charAt(p + 1));
  const bool up = a == u'u' && b == u'p', down = a == u'd' && b == u'o';
  if (up || down) {
    p += 2;
    int amount = 0;
    while (isDigit(charAt(p))) amount = std::min(amount * 10 + (charAt(p++) - u'0'), 9999);
    while (charAt(p) == u' ') ++p;
    if (charAt(p) == u'(') {
      stack_.push_back({up ? kSuperscript : kSubscript, amount, 0});
      position_ = p + 1;
      return up ? kTokenSuperscriptStart : kTokenSubscriptStart;
    }
  }
  ++position_;
  return characterToken(u'\\');
}

// <close> = ")" of the construct on top of the stack
// A ")" that closes a construct. A fraction without separator gets an empty
// denominator; an inner fraction without one keeps its brackets only.
int EqReader::closeToken() {
  const int kind = stack_.back().kind;
  stack_.pop_back();
  switch (kind) {
    case kFractionAfter: stack_.pop_back(); return kTokenFractionEnd;
    case kFraction: pending1_ = kTokenFractionEnd; return kTokenFractionSeparator;
    case kInnerAfter: stack_.pop_back(); return kTokenInnerEnd;
    case kInner: return kTokenInnerEnd;
    case kRootAfter: stack_.pop_back(); return kTokenRootEnd;
    case kRoot: return kTokenRootEnd;
    case kTallRootAfter: stack_.pop_back(); return kTokenTallRootEnd;
    case kTallRoot: return kTokenTallRootEnd;
    default: return kTokenScriptEnd;
  }
}

// <token> = <pending token> | <switch> | "(" | <close> | <separator> | <character>
int EqReader::nextToken() {
  for (int* pending : {&pending1_, &pending2_}) {
    if (*pending) {
      const int token = *pending;
      *pending = 0;
      return token;
    }
  }
  if (atEnd()) return kTokenEnd;
  const char16_t c = text_[position_];
  if (c == u'\\') return readSwitch();
  ++position_;
  if (c == u'(') {
    stack_.push_back({kParenthesis, 0, 0});
  } else if (c == u')' && !stack_.empty()) {
    if (stack_.back().kind != kParenthesis) return closeToken();
    stack_.pop_back();
  } else if (isSeparator(c) && !stack_.empty() && opensArgument(stack_.back().kind) &&
             stack_.back().value1 == position_ - 1) {
    // Only the construct's own separator ends an argument; any other "," or ";" (a
    // decimal comma, one in parentheses, one after the separator) is text.
    const int kind = stack_.back().kind;
    stack_.push_back({kind + 1, -1, 0});
    switch (kind) {
      case kFraction: return kTokenFractionSeparator;
      case kInner: return kTokenInnerSeparator;
      case kRoot: return kTokenRootSeparator;
      default: return kTokenTallRootSeparator;
    }
  }
  return characterToken(c);
}

bool isEqField(const std::u16string& code) {
  EqReader reader(u';');
  reader.setText(code);
  return reader.firstWord() == u"EQ";
}

namespace {

int rootSigns(const FormulaGrid& grid) {
  int count = 0;
  for (int row = 0; row < FormulaGrid::kRows; ++row) {
    for (int column = 0; column < grid.length(); ++column) {
      if (isRootOpen(grid.at(row, column)) || isRootClose(grid.at(row, column))) ++count;
    }
  }
  return count;
}

// As the cube-root command does, with `degree` for "3"; both signs or neither.
void placeRoot(FormulaGrid& grid, char16_t degree) {
  FormulaGrid trial = grid;
  trial.insertCharacter(ROOT_OPEN);
  trial.cursorLeft();
  trial.setRootDegree(degree);
  trial.cursorRight(false);
  trial.insertCharacter(ROOT_CLOSE);
  trial.cursorLeft();
  if (rootSigns(trial) == rootSigns(grid) + 2) grid = trial;
}

// Back on the main line just after the fraction run. (Going to the first gap would
// leave a root's radicand or jump to a gap earlier in the formula.)
void leaveFraction(FormulaGrid& grid) {
  int column = grid.cursorColumn();
  while (column < grid.length() && grid.isFractionColumn(column)) ++column;
  grid.setCursor(ROW_MAIN, column);
}

}  // namespace

LoadResult loadFieldCode(const std::u16string& code, FormulaGrid& grid, const Settings& settings, Notifier& notifier) {
  EqReader reader(settings->listSeparator);
  reader.setText(code.empty() ? u" " : code);
  const CheckResult checked = reader.check(notifier);
  if (checked == CheckResult::Unsupported) return LoadResult::Unsupported;
  if (checked == CheckResult::TooComplex) return LoadResult::TooComplex;
  grid.clear();
  uint16_t flags = 0;
  for (int token = reader.nextToken(); token != kTokenEnd; token = reader.nextToken()) {
    if (token >= kCharacterToken) {
      grid.insertCharacter(static_cast<char16_t>(token - kCharacterToken), flags);
      continue;
    }
    const uint16_t rootBit = token >= kTokenTallRootStart ? CELL_UNDER_TALL_ROOT : CELL_UNDER_ROOT;
    switch (token) {
      case kTokenFractionStart: grid.rowUp(); break;
      case kTokenFractionSeparator: grid.rowDown(); grid.rowDown(); break;
      case kTokenFractionEnd: grid.rowUp(); leaveFraction(grid); break;
      case kTokenInnerStart: grid.insertCharacter(settings->bracketOpen, flags); break;
      case kTokenInnerSeparator: grid.insertCharacter(u'/', flags); break;
      case kTokenInnerEnd: grid.insertCharacter(settings->bracketClose); break;
      case kTokenSuperscriptStart: flags |= CELL_SUPERSCRIPT; break;
      case kTokenSubscriptStart: flags |= CELL_SUBSCRIPT; break;
      case kTokenScriptEnd: flags &= ~(CELL_SUPERSCRIPT | CELL_SUBSCRIPT); break;
      case kTokenRootStart:
      case kTokenTallRootStart: {
        if (grid.tooComplex()) {
          notifier.showInfo(kTooComplexLoadCaption, kTooComplexText);
          return LoadResult::StoppedAtRoot;
        }
        const int degree = reader.nextToken();
        placeRoot(grid, degree >= kCharacterToken ? static_cast<char16_t>(degree - kCharacterToken) : u' ');
        flags |= rootBit;
        break;
      }
      // The separator only marks where the radicand begins; a degree on the close
      // would count as a root degree for the solver.
      case kTokenRootSeparator:
      case kTokenTallRootSeparator: flags |= rootBit; break;
      case kTokenRootEnd:
      case kTokenTallRootEnd:
        if (isRootClose(grid.characterAtCursor())) grid.cursorRight(false);
        flags &= ~rootBit;
        break;
      default: break;
    }
  }
  grid.goToFirstGap();
  return LoadResult::Loaded;
}

LoadResult loadWordField(const std::u16string& code, FormulaGrid& grid, const Settings& settings, Notifier& notifier) {
  if (!isEqField(code)) return loadFieldCode(std::u16string(), grid, settings, notifier);
  // Word ends a field's code with a blank of its own. Kept, it would become part of
  // the formula and every edit of the field would add one more.
  const size_t end = code.find_last_not_of(u' ');
  return loadFieldCode(code.substr(0, end + 1), grid, settings, notifier);
}

}  // namespace pendrix

#include "session/settings.h"

namespace pendrix {
namespace {

constexpr size_t kValueCapacity = 100;  // values are read into 99 characters

char16_t shiftDigit(int amount) { return amount >= 1 && amount <= 9 ? static_cast<char16_t>(u'0' + amount) : u'5'; }

std::u16string decimal(int value) {
  const std::string text = std::to_string(value);
  return std::u16string(text.begin(), text.end());
}

}  // namespace

void Settings::load(ProfileStore& store, const std::u16string& filePath, Notifier& notifier,
                    const ListSeparatorSource& systemListSeparator) {
  record_ = SettingsRecord{};
  record_.filePath = filePath;
  store_ = &store;

  record_.bracketChoice = readInt(u"BruchKlammer", 0);
  deriveBrackets();
  record_.timesChoice = readInt(u"MalPunkt", 0);
  deriveTimes();
  record_.plusChoice = readInt(u"PlusZeichen", 0);
  record_.minusChoice = readInt(u"MinusZeichen", 0);
  deriveMinus();

  decideListSeparator(notifier, systemListSeparator);

  record_.exerciseNumber = readInt(u"AufgabeNummer", -1);
  record_.menuNumber = readInt(u"MenuNummer", -1);
  record_.exercisePath = store.readString(filePath, kSettingsSection, u"AufgabePfad", u" ", kValueCapacity);
  record_.raiseSize = readInt(u"HochZahl", 8);
  record_.raiseAmount = readInt(u"HochStellung", 5);
  record_.lowerAmount = readInt(u"TiefStellung", 5);
  deriveShiftDigits();
  readDecimalSymbol();
}

// Only a point or a comma is a choice; anything else leaves it to the locale.
void Settings::readDecimalSymbol() {
  const std::u16string stored = store_->readString(record_.filePath, kSettingsSection, kDecimalSymbolKey, u"", kValueCapacity);
  record_.decimalSymbol = stored == u"." || stored == u"," ? stored[0] : u'\0';
}

void Settings::decideListSeparator(Notifier& notifier, const ListSeparatorSource& systemListSeparator) {
  const std::u16string stored = store_->readString(record_.filePath, kSettingsSection, u"Strichpunkt", u"z", kValueCapacity);
  if (!stored.empty() && stored[0] != u'z') {
    record_.listSeparator = stored[0];
    return;
  }
  // Not decided yet: take the locale's separator once, warn when it is not the
  // semicolon, and remember the decision.
  const std::u16string system = systemListSeparator ? systemListSeparator() : std::u16string();
  if (!system.empty()) {
    record_.listSeparator = system[0];
    if (record_.listSeparator != u';') notifier.showInfo(u"Info", kListSeparatorWarning);
  }
  writeText(u"Strichpunkt", std::u16string(1, record_.listSeparator));
}

void Settings::deriveBrackets() {
  switch (record_.bracketChoice) {
    case 1: record_.bracketOpen = u'{', record_.bracketClose = u'}'; break;
    case 2: record_.bracketOpen = u'<', record_.bracketClose = u'>'; break;
    default: record_.bracketOpen = u'[', record_.bracketClose = u']'; break;
  }
}

void Settings::deriveTimes() {
  switch (record_.timesChoice) {
    case 1: record_.wordTimes = u'\u00B7'; break;
    case 2: record_.wordTimes = u'\u2022'; break;
    case 3: record_.wordTimes = u'\u2219'; break;
    default: record_.wordTimes = u'*'; break;
  }
}

void Settings::deriveMinus() { record_.wordMinus = record_.minusChoice == 0 ? u'\u2212' : u'-'; }

void Settings::deriveShiftDigits() {
  record_.raiseDigit = shiftDigit(record_.raiseAmount);
  record_.lowerDigit = shiftDigit(record_.lowerAmount);
}

bool Settings::setBracketChoice(int index) {
  record_.bracketChoice = index;
  deriveBrackets();
  return writeInt(u"BruchKlammer", index);
}

bool Settings::setTimesChoice(int index) {
  record_.timesChoice = index;
  deriveTimes();
  return writeInt(u"MalPunkt", index);
}

bool Settings::setPlusChoice(int index) {
  record_.plusChoice = index;
  return writeInt(u"PlusZeichen", index);
}

bool Settings::setMinusChoice(int index) {
  record_.minusChoice = index;
  deriveMinus();
  return writeInt(u"MinusZeichen", index);
}

bool Settings::setExerciseNumber(int number) {
  record_.exerciseNumber = number;
  return writeInt(u"AufgabeNummer", number);
}

bool Settings::setMenuNumber(int number) {
  record_.menuNumber = number;
  return writeInt(u"MenuNummer", number);
}

bool Settings::setExercisePath(const std::u16string& path) {
  record_.exercisePath = path;
  return writeText(u"AufgabePfad", path);
}

int Settings::readInt(const char16_t* key, int fallback) {
  return readProfileInt(*store_, record_.filePath, kSettingsSection, key, fallback);
}

bool Settings::writeInt(const char16_t* key, int value) { return writeText(key, decimal(value)); }

bool Settings::writeText(const char16_t* key, const std::u16string& value) {
  // Without a settings file (no install directory) the choice holds for this run only.
  if (!store_ || record_.filePath.empty()) return false;
  return store_->writeString(record_.filePath, kSettingsSection, key, value);
}

std::u16string installDirectoryFromServerPath(const std::u16string& value) {
  std::u16string path;
  size_t start = value.find_first_not_of(u" \t");
  if (start == std::u16string::npos) return {};
  if (value[start] == u'"') {
    const size_t close = value.find(u'"', start + 1);
    path = value.substr(start + 1, close == std::u16string::npos ? std::u16string::npos : close - start - 1);
  } else {
    // An unquoted value ends at the first switch ("/Automation", "-Embedding").
    size_t end = value.size();
    for (size_t i = start; i + 1 < value.size(); ++i) {
      if ((value[i] == u' ' || value[i] == u'\t') && (value[i + 1] == u'/' || value[i + 1] == u'-')) {
        end = i;
        break;
      }
    }
    path = value.substr(start, end - start);
    while (!path.empty() && (path.back() == u' ' || path.back() == u'\t')) path.pop_back();
  }
  const size_t slash = path.rfind(u'\\');
  return slash == std::u16string::npos ? std::u16string() : path.substr(0, slash);
}

}  // namespace pendrix

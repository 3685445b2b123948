#pragma once
// The settings record: notation characters, the signs written into Word, the list
// separator of field codes, raise/lower amounts and the remembered exercise choice.
// Loaded once at start from "Einstellung\WordZomb.ini"; each setter writes its key
// at once.

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "session/notifier.h"
#include "session/profile_store.h"

namespace pendrix {

inline constexpr char16_t kSettingsSection[] = u"EINSTELLUNGEN";
inline constexpr char16_t kSettingsRelativePath[] = u"\\Einstellung\\WordZomb.ini";
inline constexpr char16_t kListSeparatorWarning[] =
    u"In den Ländereinstellungen Ihres Computers ist als Listentrennzeichen kein Strichpunkt "
    u"eingetragen.\n Bitte lesen Sie im Handbuch Kapitel 2.4 Besondere Einstellungen das Thema "
    u"Strichpunkt.";

struct SettingsRecord {
  std::u16string filePath;
  std::array<std::u16string, 6> functionNames{u"sin(", u"cos(", u"tan(", u"wur(", u"pot(", u"exp("};
  char16_t variableX = u'x';
  char16_t variableT = u't';
  char16_t timesChar = u'*';
  char16_t minusChar = u'-';
  char16_t plusChar = u'+';
  char16_t divideChar = u':';
  char16_t fractionChar = u'/';
  char16_t powerChar = u'^';
  char16_t listSeparator = u';';
  char16_t bracketOpen = u'[';
  char16_t bracketClose = u']';
  char16_t wordTimes = u'*';
  char16_t wordMinus = u'\u2212';
  char16_t wordPlus = u'+';
  std::u16string exercisePath = u" ";
  int32_t exerciseNumber = -1;
  int32_t menuNumber = -1;
  int32_t raiseSize = 8;
  int32_t raiseAmount = 5;
  int32_t lowerAmount = 5;
  char16_t raiseDigit = u'5';
  char16_t lowerDigit = u'5';
  int32_t bracketChoice = 0;
  int32_t timesChoice = 0;
  int32_t plusChoice = 0;
  int32_t minusChoice = 0;
  // The decimal symbol of shown and written values, from DezimalZeichen ("." or ",");
  // 0 while the key leaves it to the user's locale.
  char16_t decimalSymbol = 0;
};

inline constexpr char16_t kDecimalSymbolKey[] = u"DezimalZeichen";

// The system's list separator for the user's default locale ("" when it gives none).
using ListSeparatorSource = std::function<std::u16string()>;

class Settings {
 public:
  // A new record holds the fixed characters and every key default, so that a
  // session without an install directory still writes sound formulas.
  Settings() = default;
  // Settings over a record of the caller's, with no file behind them: setters
  // change nothing and return false.
  explicit Settings(const SettingsRecord& record) : record_(record) {}

  // Loads from `filePath` (the settings file), asking the user's locale for the
  // separator the first time; `store` must outlive this object.
  void load(ProfileStore& store, const std::u16string& filePath, Notifier& notifier,
            const ListSeparatorSource& systemListSeparator);

  const SettingsRecord& record() const { return record_; }
  const SettingsRecord* operator->() const { return &record_; }

  bool setBracketChoice(int index);
  bool setTimesChoice(int index);
  bool setPlusChoice(int index);
  bool setMinusChoice(int index);
  bool setExerciseNumber(int number);
  bool setMenuNumber(int number);
  bool setExercisePath(const std::u16string& path);

 private:
  void deriveBrackets();
  void deriveTimes();
  void deriveMinus();
  void deriveShiftDigits();
  void decideListSeparator(Notifier& notifier, const ListSeparatorSource& systemListSeparator);
  void readDecimalSymbol();
  int readInt(const char16_t* key, int fallback);
  bool writeInt(const char16_t* key, int value);
  bool writeText(const char16_t* key, const std::u16string& value);

  SettingsRecord record_;
  ProfileStore* store_ = nullptr;
};

// The install directory from a LocalServer32 value: surrounding quotes and trailing
// arguments are removed, then everything from the last backslash on.
std::u16string installDirectoryFromServerPath(const std::u16string& value);

}  // namespace pendrix

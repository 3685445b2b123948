#include "exercises/worksheet_choices.h"

#include "session/settings.h"

namespace pendrix {
namespace {

constexpr char16_t kModeKey[] = u"ArbeitsblattAuswahl";
constexpr char16_t kCountKey[] = u"ArbeitsblattAnzahl";
constexpr char16_t kSolutionsKey[] = u"ArbeitsblattLoesungen";
constexpr char16_t kEmptyLinesKey[] = u"ArbeitsblattLeerzeilen";

int readInRange(ProfileStore& store, const std::u16string& file, const char16_t* key, int low, int high, int fallback) {
  const int value = readProfileInt(store, file, kSettingsSection, key, fallback);
  return value >= low && value <= high ? value : fallback;
}

bool writeInt(ProfileStore& store, const std::u16string& file, const char16_t* key, int value) {
  const std::string text = std::to_string(value);
  return store.writeString(file, kSettingsSection, key, std::u16string(text.begin(), text.end()));
}

}  // namespace

WorksheetChoices loadWorksheetChoices(ProfileStore& store, const std::u16string& settingsFile) {
  WorksheetChoices choices;
  if (settingsFile.empty()) return choices;
  choices.mode = static_cast<WorksheetMode>(readInRange(store, settingsFile, kModeKey, 0, 2, 0));
  choices.count = readInRange(store, settingsFile, kCountKey, kMinWorksheetCount, kMaxWorksheetCount,
                              kDefaultWorksheetCount);
  choices.solutions = readInRange(store, settingsFile, kSolutionsKey, 0, 1, 1) == 1;
  choices.emptyLines = readInRange(store, settingsFile, kEmptyLinesKey, 0, kMaxEmptyLines, kDefaultEmptyLines);
  return choices;
}

bool saveWorksheetChoices(ProfileStore& store, const std::u16string& settingsFile, const WorksheetChoices& choices) {
  if (settingsFile.empty()) return false;
  // Each key is written even when an earlier one failed, so that what can be kept is.
  bool written = writeInt(store, settingsFile, kModeKey, static_cast<int>(choices.mode));
  written = writeInt(store, settingsFile, kCountKey, choices.count) && written;
  written = writeInt(store, settingsFile, kSolutionsKey, choices.solutions ? 1 : 0) && written;
  return writeInt(store, settingsFile, kEmptyLinesKey, choices.emptyLines) && written;
}

}  // namespace pendrix

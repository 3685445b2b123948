// Settings files through the portable profile store and the settings record: load,
// read every key, set every key, load again. The file lies in memory, parsed and
// written by the same code as files on disk. Nothing may crash, the record must stay
// within its bounds, and what a setter wrote must read back.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <unordered_map>
#include <string>

#include "session/settings.h"
#include "support/settings_bounds.h"

namespace {

using pendrix::Settings;

constexpr size_t kParameters = 26;
constexpr const char16_t* kKeys[] = {u"BruchKlammer", u"MalPunkt", u"PlusZeichen", u"MinusZeichen",
                                     u"Strichpunkt",  u"AufgabeNummer", u"MenuNummer", u"AufgabePfad",
                                     u"HochZahl",     u"HochStellung",  u"TiefStellung"};
// Characters a file name can hold and a new ANSI file keeps.
constexpr char16_t kPathCharacters[] = u"C:\\ \"'abz.wrx[]=;-_0123456789\u00C4\u00D6\u00DC\u00E4\u00F6\u00FC\u00DF";

struct CountingNotifier : pendrix::Notifier {
  int shown = 0;
  void showInfo(const std::u16string&, const std::u16string&) override { ++shown; }
  bool askYesNo(const std::u16string&, const std::u16string&) override { return true; }
};

[[noreturn]] void fail(const char* what, const std::string& detail = "") {
  std::fprintf(stderr, "%s %s\n", what, detail.c_str());
  std::abort();
}

// The value the system functions give back for a written one: blanks and one pair
// of quotes around it dropped, 99 characters at most.
std::u16string asReadBack(std::u16string value) {
  const size_t begin = value.find_first_not_of(u" \t");
  value = begin == std::u16string::npos ? u"" : value.substr(begin, value.find_last_not_of(u" \t") - begin + 1);
  if (value.size() >= 2 && (value[0] == u'"' || value[0] == u'\'') && value.back() == value[0])
    value = value.substr(1, value.size() - 2);
  return value.substr(0, 99);
}

int32_t intAt(const uint8_t* p) { return static_cast<int32_t>(p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24); }

// The settings file, held in memory: the store parses and writes it with the code it
// uses for files on disk.
constexpr char16_t kSettingsFile[] = u"Einstellung/WordZomb.ini";

}  // namespace

// The first 26 bytes choose the system's separator, the six numbers to set and the
// path; the rest is the file.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::array<uint8_t, kParameters> p{};
  for (size_t i = 0; i < kParameters && i < size; ++i) p[i] = data[i];
  const size_t fileStart = size < kParameters ? size : kParameters;
  std::unordered_map<std::u16string, std::string> files{
      {kSettingsFile, std::string(reinterpret_cast<const char*>(data + fileStart), size - fileStart)}};
  const std::u16string systemSeparator = p[0] % 3 == 0 ? u";" : p[0] % 3 == 1 ? u"," : u"";

  auto store = pendrix::makeMemoryProfileStore(files);
  CountingNotifier notifier;
  Settings settings;
  settings.load(*store, kSettingsFile, notifier, [&] { return systemSeparator; });
  std::string breach = pendrix::testing::settingsRecordBreach(settings.record());
  if (!breach.empty()) fail("after load:", breach);
  if (settings->exercisePath.size() > 99) fail("exercise path longer than 99");
  for (const char16_t* key : kKeys) {
    if (store->readString(kSettingsFile, pendrix::kSettingsSection, key, u"", 100).size() > 99) fail("value over 99");
  }

  std::u16string path;
  for (size_t i = 0; i < p[25] % 40; ++i) path += kPathCharacters[p[1 + i % 24] % (std::size(kPathCharacters) - 1)];
  const int32_t numbers[] = {intAt(&p[1]), intAt(&p[5]), intAt(&p[9]), intAt(&p[13]), intAt(&p[17]), intAt(&p[21])};
  const bool written[] = {settings.setBracketChoice(numbers[0]),   settings.setTimesChoice(numbers[1]),
                          settings.setPlusChoice(numbers[2]),      settings.setMinusChoice(numbers[3]),
                          settings.setExerciseNumber(numbers[4]), settings.setMenuNumber(numbers[5]),
                          settings.setExercisePath(path)};
  for (const bool ok : written)
    if (!ok) fail("a setter could not write");
  breach = pendrix::testing::settingsRecordBreach(settings.record());
  if (!breach.empty()) fail("after the setters:", breach);

  Settings again;
  again.load(*store, kSettingsFile, notifier, [] { return std::u16string(u"?"); });
  const pendrix::SettingsRecord& r = again.record();
  const int32_t readBack[] = {r.bracketChoice, r.timesChoice, r.plusChoice, r.minusChoice, r.exerciseNumber, r.menuNumber};
  for (size_t i = 0; i < std::size(numbers); ++i)
    if (readBack[i] != numbers[i]) fail("number does not read back:", std::to_string(i));
  if (r.exercisePath != asReadBack(path)) fail("path does not read back");
  if (r.listSeparator != settings->listSeparator) fail("the separator changed");
  if (notifier.shown > 1) fail("the separator was asked for twice");
  return 0;
}

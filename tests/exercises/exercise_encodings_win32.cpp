// Exercise files in the encodings teachers save them in, read through the Windows
// profile functions as the assistant reads them: every umlaut of the titles intact.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "exercises/exercise_set.h"
#include "session/system_win32.h"
#include "session/text_codec.h"

namespace pendrix {
namespace {

namespace fs = std::filesystem;

const std::u16string kText =
    u"[AUFGABE]\r\nAnzahl=2\r\nTermTyp=Gleichung\r\nTITEL__0=Gr\u00F6\u00DFen und Br\u00FCche\r\n"
    u"TEXT___0=L\u00F6se die Gleichung.\r\nTITEL__1=\u00C4pfel\r\nAUFGABE1=2x=4\r\nAUFGABE4=3x=9\r\n";

std::string utf16(const std::u16string& text) {
  std::string bytes = "\xFF\xFE";
  for (char16_t c : text) bytes += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
  return bytes;
}

TEST(ExerciseEncodings, Utf8AnsiAndUtf16KeepTheirUmlauts) {
  const fs::path dir = fs::temp_directory_path() / L"pendrix-Kodierungen";
  fs::remove_all(dir);
  fs::create_directories(dir);
  const struct {
    const char* name;
    std::string bytes;
  } files[] = {
      {"UTF-8 mit Marke", "\xEF\xBB\xBF" + toUtf8(kText)},
      {"UTF-8 ohne Marke", toUtf8(kText)},
      {"ANSI", toCp1252(kText)},
      {"UTF-16", utf16(kText)},
  };
  auto store = makeWin32ProfileStore();
  for (const auto& f : files) {
    SCOPED_TRACE(f.name);
    const fs::path file = dir / (std::string(f.name) + ".wrx");
    std::ofstream(file, std::ios::binary) << f.bytes;
    ExerciseSet set(*store);
    set.Open(file.u16string());
    ASSERT_EQ(set.count(), 2);
    EXPECT_EQ(set.Title(0), u"Gr\u00F6\u00DFen und Br\u00FCche");
    EXPECT_EQ(set.Title(1), u"\u00C4pfel");
    EXPECT_EQ(set.Kind(), ExerciseKind::Equation);
    set.Select(1);
    EXPECT_EQ(set.Text(), u"L\u00F6se die Gleichung.");
    EXPECT_EQ(set.Template(1), u"2x=4");
    // Opened once more, as at the next start: the same, now from a completed file.
    ExerciseSet again(*store);
    again.Open(file.u16string());
    EXPECT_EQ(again.Title(0), u"Gr\u00F6\u00DFen und Br\u00FCche");
  }
  fs::remove_all(dir);
}

}  // namespace
}  // namespace pendrix

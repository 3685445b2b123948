// Arbitrary field codes through the EQ test, Check and the loader, under both
// separators; the loaded grid must keep its limits.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "formula/eq_reader.h"
#include "formula/eq_writer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::u16string code;
  for (size_t i = 0; i + 1 < size && code.size() < 2000; i += 2) code += static_cast<char16_t>(data[i] | data[i + 1] << 8);
  pendrix::SilentNotifier quiet;
  for (int pass = 0; pass < 2; ++pass) {
    pendrix::Settings settings;
    const_cast<pendrix::SettingsRecord&>(settings.record()).listSeparator = pass ? u',' : u';';
    pendrix::FormulaGrid grid;
    pendrix::loadFieldCode(u"EQ " + code, grid, settings, quiet);
    if (grid.length() > pendrix::FormulaGrid::kMaxColumns) std::abort();
    pendrix::generateEqCode(grid, settings.record());
  }
  return 0;
}

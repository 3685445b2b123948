// Random template rows and flag rows through one generation pass, the number
// adjustments and the rows as shown: nothing may overrun a row or leave the grid's width.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "exercises/exercise_generator.h"

namespace {

// Bytes split at 0xFF into up to six strings: three rows, then three flag rows.
pendrix::ExerciseRows rowsFrom(const uint8_t* data, size_t size, size_t& offset) {
  pendrix::ExerciseRows rows;
  for (auto& row : rows) {
    while (offset < size && data[offset] != 0xFF) row += static_cast<char16_t>(data[offset++]);
    if (offset < size) ++offset;
  }
  return rows;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  pendrix::CrtRandom source(data[0] | data[1] << 8);
  pendrix::ExerciseRandom random(source);
  pendrix::ExerciseGenerator generator(random);
  size_t offset = 2;
  const pendrix::ExerciseRows templates = rowsFrom(data, size, offset);
  const pendrix::ExerciseRows flags = rowsFrom(data, size, offset);
  generator.GenerateRows(templates, flags);
  for (int row = 0; row < 3; ++row) {
    if (generator.rows()[row].size() > pendrix::kMaxRowColumns) std::abort();
    if (generator.rows()[row].size() != std::min(templates[row].size(), pendrix::kMaxRowColumns)) std::abort();
    if (generator.flags()[row].size() > pendrix::kMaxRowColumns) std::abort();
  }
  for (char16_t letter : {u'T', u'U'})
    for (int i = 0; i < 30 && generator.incrementNumber(letter); ++i) {
    }
  generator.addToL(static_cast<double>(data[2]) - 128.0);
  generator.setNumber(u'G', data[3], 0);
  for (int row = 0; row < 3; ++row)
    if (generator.rows()[row].size() > pendrix::kMaxRowColumns) std::abort();
  // The rows as shown only ever lose the blanks of narrow numbers.
  const pendrix::ShownRows shown = generator.shown();
  for (int row = 0; row < 3; ++row)
    if (shown.rows[row].size() > generator.rows()[row].size()) std::abort();
  return 0;
}

// Arbitrary UTF-16 text through SetText, Parse and Evaluate, with unknown and
// parameter values taken from the input's first bytes.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "solver/term_evaluator.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  double values[2] = {0, 0};
  const size_t head = size >= sizeof values ? sizeof values : 0;
  std::memcpy(values, data, head);
  std::u16string text;
  for (size_t i = head; i + 1 < size; i += 2) text += static_cast<char16_t>(data[i] | (data[i + 1] << 8));
  pendrix::resetEvaluationIndicators();
  pendrix::TermEvaluator evaluator;
  evaluator.SetText(text);
  evaluator.Parse();
  evaluator.SetUnknown(values[0]);
  evaluator.SetParameter(values[1]);
  evaluator.Evaluate();
  if (evaluator.text().size() > static_cast<size_t>(pendrix::TermEvaluator::kWorkCapacity)) __builtin_trap();
  if (evaluator.stopPosition() > static_cast<int>(evaluator.text().size())) __builtin_trap();
  return 0;
}

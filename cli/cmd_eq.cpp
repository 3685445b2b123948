// pendrix-cli eq and offsets: the EQ field code of a formula typed as KEYS.
//
// eq prints the code on one line, in UTF-8.
// offsets prints small=0 or 1 (whether the code holds small characters), count=N,
// then the N small-character offsets, one per line.

#include <ostream>

#include "cli_common.h"
#include "commands.h"
#include "formula/eq_writer.h"
#include "session/text_codec.h"

namespace pendrix::cli {

namespace {

bool generate(const Args& args, EqCode& code, std::ostream& err) {
  FormulaArgs parsed;
  if (!parseFormulaArgs(args, parsed, err)) return false;
  FormulaGrid grid;
  SilentNotifier yes(true);  // {Alt+l} answers the clear question with Yes
  RecordingSolutionDisplay display;
  if (!typeKeys(parsed.keys, grid, parsed.settings, yes, display, err)) return false;
  code = generateEqCode(grid, parsed.settings.record());
  return true;
}

}  // namespace

int runEq(const Args& args, std::ostream& out, std::ostream& err) {
  EqCode code;
  if (!generate(args, code, err)) return 2;
  out << printable(code.text) << "\n";
  return 0;
}

int runOffsets(const Args& args, std::ostream& out, std::ostream& err) {
  EqCode code;
  if (!generate(args, code, err)) return 2;
  out << "small=" << (code.smallCharactersPresent ? 1 : 0) << "\n";
  out << "count=" << code.smallOffsets.size() << "\n";
  for (int offset : code.smallOffsets) out << offset << "\n";
  return 0;
}

}  // namespace pendrix::cli

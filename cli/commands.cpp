#include "commands.h"

namespace pendrix::cli {

int runGrid(const Args& args, std::ostream& out, std::ostream& err);   // cmd_grid.cpp
int runTerms(const Args& args, std::ostream& out, std::ostream& err);  // cmd_grid.cpp

const std::vector<Command>& commands() {
  static const std::vector<Command> all = {
      {"grid", "[--settings FILE] KEYS   the three rows, their flags (hex), root degrees and the cursor", runGrid},
      {"terms", "[--settings FILE] KEYS  the slot mask, relations and term texts of the term extraction", runTerms},
  };
  return all;
}

}  // namespace pendrix::cli

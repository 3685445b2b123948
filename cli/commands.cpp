#include "commands.h"

namespace pendrix::cli {

int runGrid(const Args& args, std::ostream& out, std::ostream& err);   // cmd_grid.cpp
int runTerms(const Args& args, std::ostream& out, std::ostream& err);  // cmd_grid.cpp
int runPreview(const Args& args, std::ostream& out, std::ostream& err);  // cmd_preview.cpp
int runEval(const Args& args, std::ostream& out, std::ostream& err);   // cmd_solve.cpp
int runSolve(const Args& args, std::ostream& out, std::ostream& err);  // cmd_solve.cpp
int runRead(const Args& args, std::ostream& out, std::ostream& err);   // cmd_read.cpp
int runExercise(const Args& args, std::ostream& out, std::ostream& err);  // cmd_exercise.cpp
int runWorksheet(const Args& args, std::ostream& out, std::ostream& err);  // cmd_worksheet.cpp
int runEq(const Args& args, std::ostream& out, std::ostream& err);       // cmd_eq.cpp
int runOffsets(const Args& args, std::ostream& out, std::ostream& err);  // cmd_eq.cpp

const std::vector<Command>& commands() {
  static const std::vector<Command> all = {
      {"eq", "[--settings FILE] KEYS  the EQ field code", runEq},
      {"offsets", "[--settings FILE] KEYS  small=0|1, count=N, then the small-character offsets one per line", runOffsets},
      {"grid", "[--settings FILE] KEYS   the three rows, their flags (hex), root degrees and the cursor", runGrid},
      {"preview",
       "[--settings FILE] KEYS --svg FILE [--click X,Y]  the typeset preview as SVG; fixed metrics: formula font "
       "18 px high, descent 4, characters 9 px wide (blank 5), small font characters 6 (blank 3), signs 15 and 16 px; "
       "dialog 470 x 120 px, preview control at (8,24) 438 x 72; a click is in dialog window pixels",
       runPreview},
      {"terms", "[--settings FILE] KEYS  the slot mask, relations and term texts of the term extraction", runTerms},
      {"eval", "[--x V] [--t V] TEXT  value, error code, the four indicators and the stop position of a term", runEval},
      {"solve", "[--settings FILE] KEYS  the solve command: display 1009, display 1031 and any message", runSolve},
      {"exercise", "FILE N [--seed S] [--settings FILE] [--again]  exercise N of an exercise file: rows, statement, displays, messages", runExercise},
      {"worksheet",
       "[--settings FILE] FILE [--count N] [--mode all|one|mixed] [--exercise N] [--seed S]  a worksheet of the "
       "file's exercises: heading, each text line and EQ code, then the key",
       runWorksheet},
      {"read", "[--settings FILE] CODE  loads an EQ field code: the code written back, then the grid", runRead},
  };
  return all;
}

}  // namespace pendrix::cli

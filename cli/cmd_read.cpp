// pendrix-cli read: loads an EQ field code as a double click on the field would,
// then prints the code generated back from the grid, the grid (one item a line:
// length=, cursor=, rowN=, flagsN=, degree=) and any message as "message: TEXT"
// with line feeds written as \n.

#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "cli_common.h"
#include "commands.h"
#include "formula/eq_reader.h"
#include "formula/eq_writer.h"
#include "session/text_codec.h"

namespace pendrix::cli {

namespace {

class MessageLog : public Notifier {
 public:
  void showInfo(const std::u16string&, const std::u16string& text) override { messages.push_back(text); }
  bool askYesNo(const std::u16string&, const std::u16string& text) override {
    messages.push_back(text);
    return true;
  }
  std::vector<std::u16string> messages;
};

void dumpGrid(const FormulaGrid& grid, std::ostream& out) {
  out << "length=" << grid.length() << "\ncursor=" << grid.cursorRow() << " " << grid.cursorColumn() << "\n";
  for (int row = 0; row < FormulaGrid::kRows; ++row) {
    std::string flags;
    for (int column = 0; column < grid.length(); ++column) {
      if (column > 0) flags += ' ';
      char hex[4];
      std::snprintf(hex, sizeof hex, "%02x", grid.flags(row, column) & kCellFlagBits);
      flags += hex;
    }
    out << "row" << row << "=" << rowCells(grid, row) << "\nflags" << row << "=" << flags << "\n";
  }
  for (int row = 0; row < FormulaGrid::kRows; ++row) {
    for (int column = 0; column < grid.length(); ++column) {
      if (const char16_t d = grid.degree(row, column)) {
        out << "degree=" << row << " " << column << " " << cellToken(d) << "\n";
      }
    }
  }
}

}  // namespace

int runRead(const Args& args, std::ostream& out, std::ostream& err) {
  FormulaArgs parsed;  // its keys carry the field code
  if (!parseFormulaArgs(args, parsed, err)) return 2;
  FormulaGrid grid;
  MessageLog log;
  loadWordField(fromUtf8(parsed.keys), grid, parsed.settings, log);
  out << printable(generateEqCode(grid, parsed.settings.record()).text) << "\n";
  dumpGrid(grid, out);
  for (const std::u16string& message : log.messages) out << "message: " << messageLine(message) << "\n";
  return 0;
}

}  // namespace pendrix::cli

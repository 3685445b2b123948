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

std::string cellToken(char16_t c) {
  const bool shownAsCode = c <= 0x20 || (c >= 0x7F && c <= 0xA0) || (c >= ROOT_OPEN && c <= TALL_ROOT_CLOSE) ||
                           (c >= 0xD800 && c <= 0xDFFF);
  if (!shownAsCode) return toUtf8(std::u16string(1, c));
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "U+%04X", static_cast<unsigned>(c));
  return buffer;
}

void dumpGrid(const FormulaGrid& grid, std::ostream& out) {
  out << "length=" << grid.length() << "\ncursor=" << grid.cursorRow() << " " << grid.cursorColumn() << "\n";
  for (int row = 0; row < FormulaGrid::kRows; ++row) {
    std::string cells, flags;
    for (int column = 0; column < grid.length(); ++column) {
      if (column > 0) cells += ' ', flags += ' ';
      cells += cellToken(grid.at(row, column));
      char hex[4];
      std::snprintf(hex, sizeof hex, "%02x", grid.flags(row, column) & 0xFF);
      flags += hex;
    }
    out << "row" << row << "=" << cells << "\nflags" << row << "=" << flags << "\n";
  }
  for (int row = 0; row < FormulaGrid::kRows; ++row) {
    for (int column = 0; column < grid.length(); ++column) {
      if (const char16_t d = grid.degree(row, column)) {
        out << "degree=" << row << " " << column << " " << cellToken(d) << "\n";
      }
    }
  }
}

std::string oneLine(const std::u16string& text) {
  std::string line;
  for (char c : toUtf8(text)) line += c == '\n' ? std::string("\\n") : std::string(1, c);
  return line;
}

}  // namespace

int runRead(const Args& args, std::ostream& out, std::ostream& err) {
  FormulaArgs parsed;  // its keys carry the field code
  if (!parseFormulaArgs(args, parsed, err)) return 2;
  FormulaGrid grid;
  MessageLog log;
  loadWordField(fromUtf8(parsed.keys), grid, parsed.settings, log);
  out << toUtf8(generateEqCode(grid, parsed.settings.record()).text) << "\n";
  dumpGrid(grid, out);
  for (const std::u16string& message : log.messages) out << "message: " << oneLine(message) << "\n";
  return 0;
}

}  // namespace pendrix::cli

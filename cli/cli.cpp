#include "commands.h"

#include <ostream>

#include "cli_common.h"

namespace pendrix::cli {

namespace {
void printHelp(std::ostream& out) {
  out << "pendrix-cli: the formula core of Pendrix on the console.\n\nCommands:\n";
  for (const Command& command : commands()) out << "  " << command.name << " " << command.usage << "\n";
}
}  // namespace

int runCli(const Args& args, std::ostream& out, std::ostream& err) {
  if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    printHelp(args.empty() ? err : out);
    return args.empty() ? 2 : 0;
  }
  for (const Command& command : commands()) {
    if (args[0] == command.name) return command.run(Args(args.begin() + 1, args.end()), out, err);
  }
  err << "pendrix-cli: unknown command '" << shownArgument(args[0]) << "' (see --help)\n";
  return 2;
}

}  // namespace pendrix::cli

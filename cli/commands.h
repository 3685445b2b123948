#pragma once
// The commands of pendrix-cli. Each takes the arguments after its name and writes
// UTF-8 lines to `out`, errors to `err`; the result is the process exit code.

#include <iosfwd>
#include <string>
#include <vector>

namespace pendrix::cli {

using Args = std::vector<std::string>;

struct Command {
  const char* name;
  const char* usage;
  int (*run)(const Args& args, std::ostream& out, std::ostream& err);
};

// All commands, in the order --help lists them.
const std::vector<Command>& commands();

int runCli(const Args& args, std::ostream& out, std::ostream& err);

}  // namespace pendrix::cli

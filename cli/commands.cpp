#include "commands.h"

namespace pendrix::cli {

const std::vector<Command>& commands() {
  static const std::vector<Command> all = {
  };
  return all;
}

}  // namespace pendrix::cli

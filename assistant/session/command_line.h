#pragma once
// The assistant's command line: COM starts it with "-Embedding", a client that
// wants it as an automation server may pass "/Automation".

#include <string_view>

namespace pendrix {

// True when a word of the command line is "Embedding" or "Automation" behind "-"
// or "/", in any case. Quoted words (the program path) are never switches.
bool hasAutomationSwitch(std::u16string_view commandLine);

}  // namespace pendrix

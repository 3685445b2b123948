// The switches that make the assistant an automation server.
#include <gtest/gtest.h>

#include "session/command_line.h"

namespace pendrix {
namespace {

TEST(CommandLine, AutomationSwitches) {
  const struct {
    const char16_t* line;
    bool automation;
  } rows[] = {
      {u"", false},
      {u"-Embedding", true},
      {u"/Embedding", true},
      {u"/Automation", true},
      {u"-automation", true},
      {u"  \t-EMBEDDING  ", true},
      {u"C:\\PROGRA~1\\Pendrix\\Pendrix.exe -Embedding", true},
      {u"\"C:\\Program Files\\Pendrix\\Pendrix.exe\" /Automation", true},
      {u"\"C:\\x\\ -Embedding\\Pendrix.exe\"", false},  // inside the quoted path
      {u"Embedding", false},                            // no "-" or "/"
      {u"-Embeddings", false},
      {u"--Embedding", false},
      {u"/", false},
      {u"\"unclosed -Embedding", false},
      {u"file.txt -x /Automation", true},
  };
  for (size_t i = 0; i < std::size(rows); ++i) {
    SCOPED_TRACE(testing::Message() << "row " << i);
    EXPECT_EQ(hasAutomationSwitch(rows[i].line), rows[i].automation);
  }
}

}  // namespace
}  // namespace pendrix

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "commands.h"

namespace pendrix::cli {
namespace {

std::string read(const std::string& code) {
  std::ostringstream out, err;
  EXPECT_EQ(runCli({"read", code}, out, err), 0) << err.str();
  return out.str();
}

TEST(CliReadTest, LoadsAndWritesBack) {
  EXPECT_EQ(read("EQ \\r(x)").substr(0, 10), "EQ \\r(;x)\n");
  EXPECT_EQ(read("EQ \\r(2;\\r(2;99))").substr(0, 18), "EQ \\r(2;\\r(2;99))\n");
  EXPECT_NE(read("EQ x\\s\\up5(2)").find("flags1=22 62"), std::string::npos);
}

TEST(CliReadTest, RefusedCodesPrintTheMessage) {
  const std::string third = read("EQ \\r(2;\\r(2;\\r(2;9)))");
  EXPECT_EQ(third.substr(0, 4), "EQ \n");
  EXPECT_NE(third.find("message: Formel zu komplex: \\n\\nKeine Dreifachwurzel"), std::string::npos);
  const std::string integral = read("EQ \\i(0;1;x)");
  EXPECT_EQ(integral.find("message:"), std::string::npos);
  EXPECT_NE(integral.find("length=0"), std::string::npos);
}

}  // namespace
}  // namespace pendrix::cli

// pendrix-cli eq and offsets on formulas typed as the dialog's keys.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "commands.h"

namespace pendrix::cli {
namespace {

namespace fs = std::filesystem;

struct CliRun {
  int code;
  std::string out, err;
};

CliRun cli(const Args& args) {
  std::ostringstream out, err;
  const int code = runCli(args, out, err);
  return {code, out.str(), err.str()};
}

class CliEq : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = fs::temp_directory_path() /
            ("pendrix-cli-eq-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + ".ini");
    std::ofstream(path_, std::ios::binary) << "[EINSTELLUNGEN]\r\nStrichpunkt=;\r\nMinusZeichen=1\r\n";
  }
  void TearDown() override { fs::remove(path_); }
  std::string eq(const std::string& keys) {
    const CliRun run = cli({"eq", "--settings", path_.string(), keys});
    EXPECT_EQ(run.code, 0) << run.err;
    return run.out;
  }

  fs::path path_;
};

TEST_F(CliEq, WorkedResultsTypedAsKeys) {
  EXPECT_EQ(eq("x^2 + 1"), "EQ x\\s\\up5(2) + 1\n");
  EXPECT_EQ(eq("{Up}1{Down}{Down}2"), "EQ \\f(1;2)\n");
  EXPECT_EQ(eq("{Up}{InnerFraction}1{Right}3{Down}{Down}2"), "EQ \\f(\\f(1;3);2)\n");
  EXPECT_EQ(eq("x°1"), "EQ x\\s\\do5(1)\n");
  EXPECT_EQ(eq("{Root}3{Left}{Left}{Degree=7}"), "EQ \\r(7;3)\n");
  EXPECT_EQ(eq("{Root}{Root}99{Home}{Degree=2}{Right}{Degree=2}"), "EQ \\r(2;\\r(2;99))\n");
  EXPECT_EQ(eq("(x-100)(x+1000) = 0"), "EQ (x-100)(x+1000) = 0\n");
  EXPECT_EQ(eq("5 * 8x = "), "EQ 5 * 8x = \n");
}

TEST_F(CliEq, DefaultsWriteTheTypographicMinus) {
  const CliRun run = cli({"eq", "a-b"});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out, "EQ a\xE2\x88\x92" "b\n");
}

TEST_F(CliEq, OffsetsListPresenceCountAndSteps) {
  CliRun run = cli({"offsets", "--settings", path_.string(), "x^2 + 1"});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out, "small=1\ncount=2\n12\n1\n");

  run = cli({"offsets", "{CubeRoot}8"});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out, "small=1\ncount=1\n7\n");

  run = cli({"offsets", "{Root}x"});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out, "small=0\ncount=0\n");
}

TEST_F(CliEq, UnknownKeyIsAnError) {
  const CliRun run = cli({"eq", "{Nonsense}"});
  EXPECT_EQ(run.code, 2);
  EXPECT_TRUE(run.out.empty());
  EXPECT_FALSE(run.err.empty());
}

}  // namespace
}  // namespace pendrix::cli

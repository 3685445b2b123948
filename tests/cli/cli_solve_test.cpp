#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <tuple>

#include "commands.h"

namespace pendrix::cli {
namespace {

std::string run(const Args& args, int expectedCode = 0) {
  std::ostringstream out;
  std::ostringstream err;
  EXPECT_EQ(runCli(args, out, err), expectedCode) << err.str();
  return out.str();
}

std::map<std::string, std::string> evalFields(const std::string& x, const std::string& text) {
  std::istringstream lines(run({"eval", "--x", x, "--", text}));
  std::map<std::string, std::string> fields;
  for (std::string line; std::getline(lines, line);) {
    const size_t equals = line.find('=');
    fields[line.substr(0, equals)] = line.substr(equals + 1);
  }
  return fields;
}

TEST(CliEval, PrintsValueErrorIndicatorsAndStop) {
  struct Row {
    const char* text;
    const char* x;
    const char* value;
    const char* error;
    const char* divisionByZero;
    const char* fractional;
    const char* negative;
  };
  const Row rows[] = {
      {"", "1", "0", "0", "0", "0", "0"},          {"3x", "2", "6", "0", "0", "0", "0"},
      {"-x+1", "3", "-2", "0", "0", "0", "1"},     {"1,5+x", "1", "2.5", "0", "0", "0", "0"},
      {"(1:0)+2", "0", "10000002", "1000", "1", "0", "0"}, {"7:2", "0", "3.5", "0", "0", "1", "0"},
      {"8:2", "0", "4", "0", "0", "0", "0"},        {"ln(0)", "0", "0", "1001", "0", "0", "0"},
      {"wur(-4)", "0", "1", "1002", "0", "0", "1"}, {"x<5", "7", "-11111111", "0", "0", "0", "1"},
      {"x>5", "3", "11111111", "0", "0", "0", "0"}, {"2*-3", "0", "-6", "0", "0", "0", "1"},
  };
  for (const Row& row : rows) {
    auto fields = evalFields(row.x, row.text);
    EXPECT_EQ(fields["value"], row.value) << row.text;
    EXPECT_EQ(fields["error"], row.error) << row.text;
    EXPECT_EQ(fields["DivisionByZeroCount"], row.divisionByZero) << row.text;
    EXPECT_EQ(fields["FractionalQuotientCount"], row.fractional) << row.text;
    EXPECT_EQ(fields["NegativeValueFlag"], row.negative) << row.text;
    EXPECT_EQ(fields["GapFlag"], "1") << row.text;
    EXPECT_EQ(fields["stop"], "-1") << row.text;
  }
  EXPECT_EQ(evalFields("0", std::string(200, '1'))["error"], "1");
  EXPECT_EQ(evalFields("0", "tan(x)")["stop"], "1");
  EXPECT_EQ(evalFields("0", "_")["GapFlag"], "0");
  EXPECT_EQ(evalFields("0.1", "x")["value"], "0.10000000000000001");
}

TEST(CliEval, RejectsBadArguments) {
  run({"eval"}, 2);
  run({"eval", "--x", "abc", "1"}, 2);
  run({"eval", "1", "2"}, 2);
}

TEST(CliSolve, ShowsBothDisplaysAndMessages) {
  EXPECT_EQ(run({"solve", "2x+1=7"}), "3.000\n\n");
  EXPECT_EQ(run({"solve", "x^2=4"}), "-2.000\n{ 2.000 }\n");
  EXPECT_EQ(run({"solve", "(x-2)^2=0"}), "2.000\n\n");
  EXPECT_EQ(run({"solve", "x=x+1"}), "----\n\n");
  EXPECT_EQ(run({"solve", "x=5000000"}), "5000000.000\n\n");
  EXPECT_EQ(run({"solve", "7:2"}), "3.500\n\n");
  EXPECT_EQ(run({"solve", "2x"}),
            "----\n\nmessage: Eine Lösung wird nur für Terme und Gleichungen mit einer Unbekannten berechnet\n");
  EXPECT_EQ(run({"solve", "1:0"}), "----\n\n");
  EXPECT_EQ(run({"solve", "{CubeRoot}8"}), "----\n\n");
  EXPECT_EQ(run({"solve", "{Root}9"}), "3.000\n\n");
}

TEST(CliSolve, FunctionsIdentitiesAndTheDecimalSymbol) {
  EXPECT_EQ(run({"solve", "--", "cos(0)"}), "1.000\n\n");
  EXPECT_EQ(run({"solve", "--", "exp(1)"}), "2.718\n\n");
  EXPECT_EQ(run({"solve", "--", "pot(2;3)"}), "8.000\n\n");
  EXPECT_EQ(run({"solve", "--", "7(x+9)=7x+63"}), "alle x\n\n");
  EXPECT_EQ(run({"solve", "--", "x=x+1"}), "----\n\n");
  // The settings file chooses the decimal symbol; without the key, and without a
  // file, the console prints a point.
  const std::filesystem::path file = std::filesystem::temp_directory_path() / "pendrix-cli-decimal.ini";
  for (const auto& [key, first, second] : {std::tuple{"DezimalZeichen=,\n", "-2,000", "{ 2,000 }"},
                                           std::tuple{"DezimalZeichen=.\n", "-2.000", "{ 2.000 }"},
                                           std::tuple{"", "-2.000", "{ 2.000 }"}}) {
    std::ofstream(file) << "[EINSTELLUNGEN]\nStrichpunkt=;\n" << key;
    EXPECT_EQ(run({"solve", "--settings", file.string(), "x^2=4"}), std::string(first) + "\n" + second + "\n") << key;
  }
  std::filesystem::remove(file);
}

TEST(CliSolve, DistinctRootsAreNotMerged) {
  EXPECT_EQ(run({"solve", "--", "x^2=0.000001"}), "-0.001\n{ 0.001 }\n");
  EXPECT_EQ(run({"solve", "--", "(x-1)(x-2)(x-3)=0"}), "1.000\n{ 3.000 }\n");
  EXPECT_EQ(run({"solve", "--", "(x-2)^2=0"}), "2.000\n\n");
}

}  // namespace
}  // namespace pendrix::cli

// pendrix-cli preview: KEYS typed, laid out with the fixed metrics and written as SVG.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "commands.h"

namespace pendrix::cli {
namespace {

struct PreviewRun {
  int code;
  std::string out, err, svg;
};

PreviewRun preview(Args args) {
  const std::filesystem::path file = std::filesystem::temp_directory_path() / "pendrix_cli_preview_test.svg";
  std::filesystem::remove(file);
  args.insert(args.begin(), "preview");
  args.insert(args.end(), {"--svg", file.string()});
  std::ostringstream out, err;
  PreviewRun run{runCli(args, out, err), out.str(), err.str(), ""};
  std::ifstream in(file);
  std::stringstream content;
  content << in.rdbuf();
  run.svg = content.str();
  return run;
}

TEST(CliPreview, WritesTheFormulaAsSvg) {
  const PreviewRun run = preview({"{Root}x{Right}+1"});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.svg.rfind("<svg", 0), 0u);
  EXPECT_NE(run.svg.find(">x</text>"), std::string::npos);
  EXPECT_NE(run.svg.find(">1</text>"), std::string::npos);
  EXPECT_NE(run.svg.find("stroke=\"#c0c0c0\""), std::string::npos);
  // Caret behind the last column: x0 13 + root 11 + x 9 + close 3 + plus 16 + 1 9.
  EXPECT_NE(run.out.find("cursor=1 5\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("caret=61 "), std::string::npos) << run.out;
}

TEST(CliPreview, ClickMovesTheCursor) {
  // Columns a, b, c at 13, 22, 31; a click at 25 reaches b (right edge 29).
  const PreviewRun run = preview({"abc", "--click", "25,60"});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_NE(run.out.find("cursor=1 1\n"), std::string::npos) << run.out;
  const PreviewRun upper = preview({"abc", "--click", "25,30"});
  EXPECT_NE(upper.out.find("cursor=0 1\n"), std::string::npos) << upper.out;
}

TEST(CliPreview, RejectsMissingSvgAndBadClick) {
  std::ostringstream out, err;
  EXPECT_EQ(runCli({"preview", "abc"}, out, err), 2);
  EXPECT_NE(err.str().find("--svg"), std::string::npos);
  EXPECT_EQ(preview({"abc", "--click", "3"}).code, 2);
  EXPECT_EQ(preview({"abc", "--click", "3,x"}).code, 2);
  EXPECT_EQ(preview({"{Nonsense}"}).code, 2);
}

}  // namespace
}  // namespace pendrix::cli

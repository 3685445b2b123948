// The symbol tool's geometry, command line and call log, apart from Windows.

#include "symbol_tool_core.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace pendrix::wordhost::symbols {
namespace {

TEST(SymbolLayout, EveryCellLiesInsideTheClientAreaAndMapsBackToItsSymbol) {
  std::set<size_t> seen;
  for (size_t index = 0; index < kSymbols.size(); ++index) {
    const CellRect cell = cellRect(index);
    EXPECT_GE(cell.left, 0);
    EXPECT_GE(cell.top, 0);
    EXPECT_LE(cell.right, clientWidth());
    EXPECT_LE(cell.bottom, clientHeight());
    EXPECT_EQ(symbolAt(cell.left, cell.top), index);
    EXPECT_EQ(symbolAt(cell.right - 1, cell.bottom - 1), index);
    EXPECT_EQ(symbolAt((cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2), index);
    seen.insert(index);
  }
  EXPECT_EQ(seen.size(), kSymbols.size());
}

TEST(SymbolLayout, MarginsGapsAndOutsidePointsHitNothing) {
  const CellRect first = cellRect(0);
  const CellRect second = cellRect(1);
  const CellRect below = cellRect(kColumns);
  EXPECT_FALSE(symbolAt(first.left - 1, first.top));
  EXPECT_FALSE(symbolAt(first.right, first.top)) << "the gap between two cells";
  EXPECT_FALSE(symbolAt(second.left - 1, first.top));
  EXPECT_FALSE(symbolAt(first.left, first.bottom)) << "the gap between two rows";
  EXPECT_EQ(symbolAt(below.left, below.top), kColumns);
  EXPECT_FALSE(symbolAt(-5, -5));
  EXPECT_FALSE(symbolAt(clientWidth() + 10, 10));
  EXPECT_FALSE(symbolAt(10, clientHeight() + 10));
}

TEST(SymbolLayout, OffersTheSchoolSymbolsEachOnce) {
  std::set<std::u16string_view> distinct(kSymbols.begin(), kSymbols.end());
  EXPECT_EQ(distinct.size(), kSymbols.size());
  EXPECT_EQ(kSymbols[0], u"\u221A");
  for (std::u16string_view symbol : {u"\u03C0", u"\u221E", u"\u2264", u"\u2265", u"\u2260", u"\u00B1", u"\u00B0"})
    EXPECT_TRUE(distinct.count(symbol)) << std::string(symbol.begin(), symbol.end());
}

TEST(LaunchMode, SwitchesWithSlashOrDashAndAnyCase) {
  EXPECT_EQ(parseLaunchMode({}), LaunchMode::Standalone);
  EXPECT_EQ(parseLaunchMode({u"-Embedding"}), LaunchMode::Embedding);
  EXPECT_EQ(parseLaunchMode({u"/embedding"}), LaunchMode::Embedding);
  EXPECT_EQ(parseLaunchMode({u"/RegServer"}), LaunchMode::Register);
  EXPECT_EQ(parseLaunchMode({u"-unregserver"}), LaunchMode::Unregister);
  EXPECT_EQ(parseLaunchMode({u"-Embedding", u"/regserver"}), LaunchMode::Register);
  EXPECT_EQ(parseLaunchMode({u"Embedding"}), LaunchMode::Standalone) << "a switch needs its sign";
  EXPECT_EQ(parseLaunchMode({u"/regservers", u"-", u""}), LaunchMode::Standalone);
}

TEST(CallLog, KeepsTheNewestLinesWithinItsBound) {
  CallLog log;
  EXPECT_EQ(log.text(), u"");
  log.add(u"SetWordApplication");
  log.add(u"TypeText \u221A");
  EXPECT_EQ(log.text(), u"SetWordApplication\nTypeText \u221A\n");
  for (size_t i = 0; i < CallLog::kMaxLines + 5; ++i) log.add(u"ClickSymbol " + std::u16string(1, u'a' + i % 26));
  EXPECT_EQ(log.size(), CallLog::kMaxLines);
  EXPECT_EQ(log.text().find(u"SetWordApplication"), std::u16string::npos);
  EXPECT_TRUE(log.text().ends_with(u"ClickSymbol " + std::u16string(1, u'a' + (CallLog::kMaxLines + 4) % 26) + u"\n"));
}

}  // namespace
}  // namespace pendrix::wordhost::symbols

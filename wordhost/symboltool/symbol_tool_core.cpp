#include "symbol_tool_core.h"

#include <algorithm>
#include <utility>

namespace pendrix::wordhost::symbols {
namespace {

constexpr int kPitch = kCellSize + kGap;
constexpr int kRows = static_cast<int>((kSymbols.size() + kColumns - 1) / kColumns);

char16_t lower(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c; }

bool sameSwitch(std::u16string_view argument, std::u16string_view name) {
  if (argument.size() != name.size() + 1 || (argument[0] != u'/' && argument[0] != u'-')) return false;
  return std::equal(name.begin(), name.end(), argument.begin() + 1,
                    [](char16_t a, char16_t b) { return lower(a) == lower(b); });
}

// The cell a coordinate falls in along one axis, or -1 in a margin or gap.
int cellAlong(int coordinate, int count) {
  const int offset = coordinate - kMargin;
  if (offset < 0) return -1;
  const int cell = offset / kPitch;
  if (cell >= count || offset % kPitch >= kCellSize) return -1;
  return cell;
}

}  // namespace

CellRect cellRect(size_t index) {
  const int column = static_cast<int>(index % kColumns);
  const int row = static_cast<int>(index / kColumns);
  CellRect rect;
  rect.left = kMargin + column * kPitch;
  rect.top = kMargin + row * kPitch;
  rect.right = rect.left + kCellSize;
  rect.bottom = rect.top + kCellSize;
  return rect;
}

std::optional<size_t> symbolAt(int x, int y) {
  const int column = cellAlong(x, kColumns);
  const int row = cellAlong(y, kRows);
  if (column < 0 || row < 0) return std::nullopt;
  const size_t index = static_cast<size_t>(row) * kColumns + static_cast<size_t>(column);
  if (index >= kSymbols.size()) return std::nullopt;
  return index;
}

int clientWidth() { return 2 * kMargin + kColumns * kPitch - kGap; }
int clientHeight() { return 2 * kMargin + kRows * kPitch - kGap; }

LaunchMode parseLaunchMode(const std::vector<std::u16string>& arguments) {
  LaunchMode mode = LaunchMode::Standalone;
  for (const std::u16string& argument : arguments) {
    if (sameSwitch(argument, u"regserver")) return LaunchMode::Register;
    if (sameSwitch(argument, u"unregserver")) return LaunchMode::Unregister;
    if (sameSwitch(argument, u"embedding")) mode = LaunchMode::Embedding;
  }
  return mode;
}

void CallLog::add(std::u16string line) {
  if (lines_.size() == kMaxLines) lines_.pop_front();
  lines_.push_back(std::move(line));
}

std::u16string CallLog::text() const {
  std::u16string all;
  for (const std::u16string& line : lines_) {
    all += line;
    all += u'\n';
  }
  return all;
}

}  // namespace pendrix::wordhost::symbols

#pragma once
// What the stand-in symbol tool is, apart from its windows and COM: the symbols it
// offers, where each sits in its window, how its command line is read, and the
// bounded log of the calls it got.

#include <array>
#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pendrix::wordhost::symbols {

inline constexpr std::array<std::u16string_view, 20> kSymbols = {
    u"√", u"π", u"∞", u"≤", u"≥", u"≠", u"±", u"·", u"÷", u"°",
    u"∠", u"α", u"β", u"γ", u"Δ", u"∈", u"⊂", u"∪", u"∩", u"≈"};

// Client-area geometry in pixels: square cells in rows of kColumns, kGap apart.
inline constexpr int kColumns = 10;
inline constexpr int kCellSize = 32;
inline constexpr int kGap = 2;
inline constexpr int kMargin = 4;

struct CellRect {
  int left = 0;
  int top = 0;
  int right = 0;  // exclusive
  int bottom = 0;
};

CellRect cellRect(size_t index);
// The symbol under a client point; none in the margins and gaps.
std::optional<size_t> symbolAt(int x, int y);
int clientWidth();
int clientHeight();

enum class LaunchMode { Standalone, Embedding, Register, Unregister };

// The arguments after the program name; switches begin with "/" or "-" and compare
// without case. Registering wins over being started by COM.
LaunchMode parseLaunchMode(const std::vector<std::u16string>& arguments);

class CallLog {
 public:
  static constexpr size_t kMaxLines = 200;  // the oldest lines go first

  void add(std::u16string line);
  // The lines, each ended by "\n".
  std::u16string text() const;
  size_t size() const { return lines_.size(); }

 private:
  std::deque<std::u16string> lines_;
};

}  // namespace pendrix::wordhost::symbols

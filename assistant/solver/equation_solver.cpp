#include "solver/equation_solver.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string_view>

namespace pendrix {

namespace {

constexpr double kScanStart = -1000.51;
constexpr double kScanStep = 0.5;
constexpr int kScanLength = 5000;
constexpr double kRestartPoint = 1000.1;
constexpr int kSecantLimit = 20;
constexpr double kStepTolerance = 0.0001;
constexpr double kResidualTolerance = 0.00001;
constexpr int kStartPoints = 50;
constexpr int kFirstFixedEntry = 31;  // entries 31 to 42 (counted from 1)
constexpr std::array<double, 12> kFixedPoints = {-1000000, 1000000, -10000000, 10000000, -100000, 100000,
                                                 -10000,   10000,   -5000,     5000,     100000000, -100000000};
constexpr int kNewtonLimit = 150;
constexpr double kSlopeDistance = 0.1;
constexpr double kMinSlopeDistance = 0.0000001;
constexpr double kNewtonBound = 100000000000;
constexpr double kFallbackResidual = 0.0000001;
constexpr int kFallbackLimit = 20;
constexpr int kShrinkLimit = 20;
constexpr int kMinimumLimit = 50;
constexpr double kTouchResidual = 0.000001;
constexpr double kTouchFailedValue = 10000000;
constexpr double kFailedSample = std::numeric_limits<double>::max();
// Two sides that differ by no more than this share of their size are equal but for
// the rounding of their different ways of computing: 7(x+9) and 7x+63.
constexpr double kAgreement = 1e-10;
// The letters the solve command takes for unknowns in a term.
constexpr std::u16string_view kUnknownLetters = u"xtyabc";

std::u16string format(const char* pattern, double value) {
  const int size = std::snprintf(nullptr, 0, pattern, 0, 3, value);
  std::string text(static_cast<size_t>(std::max(size, 0)) + 1, '\0');
  std::snprintf(text.data(), text.size(), pattern, 0, 3, value);
  text.resize(static_cast<size_t>(std::max(size, 0)));
  return std::u16string(text.begin(), text.end());
}

}  // namespace

std::u16string formatSolution(double value) { return format("%*.*f", value); }
std::u16string formatSecondSolution(double value) { return format("{ %*.*f }", value); }

namespace {

// Two accepted points are one solution when they lie within the step tolerance, or
// when the display cannot tell them apart: Newton's rule converges only linearly at a
// multiple zero, so (x-2)^2=0 is reached from both sides at points further apart than
// the tolerance that would otherwise show 2.000 twice. Points with different texts
// are different solutions, however close (x^2=0.000001 has -0.001 and 0.001).
bool sameSolution(double s, double first) {
  return std::fabs(s - first) <= kStepTolerance || formatSolution(s) == formatSolution(first);
}

}  // namespace

EquationSolver::Difference EquationSolver::difference(double x) {
  ++evaluations_;
  left_.SetUnknown(x);
  right_.SetUnknown(x);
  const int leftError = left_.Evaluate();
  const int rightError = right_.Evaluate();
  const double l = left_.Result(), r = right_.Result();
  const bool ok = leftError == kNoError && rightError == kNoError;
  const double size = std::max({1.0, std::fabs(l), std::fabs(r)});
  return {l - r, ok, ok && std::fabs(l - r) <= kAgreement * size};
}

namespace {

// A letter that stands for an unknown in one row of the formula; the letters of the
// evaluator's function names ("cos(", "exp(", "pot(") are none.
bool rowHoldsUnknown(const FormulaGrid& grid, int row) {
  std::u16string text;
  for (int column = 0; column < grid.length(); ++column)
    text += (grid.flags(row, column) & CELL_TEXT) ? grid.at(row, column) : u' ';
  const std::u16string_view rest(text);
  for (size_t i = 0; i < rest.size();) {
    if (const size_t name = functionNameLength(rest.substr(i))) {
      i += name;
    } else if (kUnknownLetters.find(rest[i]) != std::u16string_view::npos) {
      return true;
    } else {
      ++i;
    }
  }
  return false;
}

bool holdsUnknown(const FormulaGrid& grid) {
  for (int row = 0; row < FormulaGrid::kRows; ++row) {
    if (rowHoldsUnknown(grid, row)) return true;
  }
  return false;
}

}  // namespace

void EquationSolver::solve(FormulaGrid& grid, Notifier& notifier, SolutionDisplay& display) {
  GapFlag = true;
  display.setValueText(kNoSolutionText);
  display.setStatusText(u"");
  grid.extractTerms();
  if (grid.degreeSeen()) return;
  if (grid.slotMask() == 2) solveTerm(grid, notifier, display);
  if (grid.slotMask() == 4) solveEquation(grid.term(0), grid.term(1), display);
}

void EquationSolver::solveTerm(FormulaGrid& grid, Notifier& notifier, SolutionDisplay& display) {
  left_.SetText(grid.term(0));
  left_.Parse();
  if (holdsUnknown(grid) || !GapFlag) {
    notifier.showInfo(kOneUnknownCaption, kOneUnknownMessage);
    return;
  }
  if (left_.Evaluate() != kNoError) return;
  display.setValueText(formatSolution(left_.Result()));
}

void EquationSolver::solveEquation(std::u16string_view left, std::u16string_view right, SolutionDisplay& display) {
  display_ = &display;
  left_.SetText(left);
  left_.Parse();
  right_.SetText(right);
  right_.Parse();
  samples_.clear();
  samples_.reserve(kScanLength);
  count_ = 0;
  done_ = false;
  evaluations_ = 0;
  scanWithSecant();
  if (done_ || showEveryNumber()) return;
  std::sort(samples_.begin(), samples_.end(),
            [](const Sample& a, const Sample& b) { return std::fabs(a.d) < std::fabs(b.d); });
  newton();
  if (done_ || count_ > 1) return;
  touchingZeros();
}

bool EquationSolver::accept(double s) {
  ++count_;
  if (count_ == 1) {
    first_ = s;
    display_->setValueText(formatSolution(s));
    return false;
  }
  if (!sameSolution(s, first_)) {
    display_->setStatusText(formatSecondSolution(s));
    done_ = true;
    return true;
  }
  count_ = 1;
  return false;
}

bool sidesAgreeEverywhere(TermEvaluator& left, TermEvaluator& right) {
  EquationSolver probe(left, right);
  for (int step = 0; step <= kScanLength; ++step) {
    if (!probe.sidesAgreeAt(kScanStart + step * kScanStep)) return false;
  }
  return true;
}

bool EquationSolver::showEveryNumber() {
  if (!everyNumberSolves()) return false;
  display_->setValueText(kEveryNumberText);
  return true;
}

void EquationSolver::scanWithSecant() {
  double g = kScanStart;
  Difference previous = difference(g);
  agreedEverywhere_ = previous.sidesAgree;
  for (int step = 0; step < kScanLength && !done_; ++step) {
    const bool upwards = count_ == 0;
    g += upwards ? kScanStep : -kScanStep;
    const Difference current = difference(g);
    samples_.push_back({g, current.ok ? current.d : kFailedSample});
    agreedEverywhere_ = agreedEverywhere_ && current.sidesAgree;
    // Sides that agree at both ends differ only by rounding noise, whose signs say
    // nothing about a zero between them.
    const bool noise = previous.sidesAgree && current.sidesAgree;
    const bool signChange = previous.ok && current.ok && !noise && previous.d * current.d < 0;
    const double lower = upwards ? g - kScanStep : g;
    previous = current;
    if (!signChange || !secant(lower, lower + kScanStep)) continue;
    if (upwards && count_ == 1) {
      g = kRestartPoint;
      previous = difference(g);
    }
  }
}

// True when a solution was accepted.
bool EquationSolver::secant(double a, double b) {
  for (int step = 0; step < kSecantLimit; ++step) {
    const Difference da = difference(a);
    const Difference db = difference(b);
    if (!da.ok || !db.ok || db.d == da.d) return false;
    const double c = b - (b - a) * db.d / (db.d - da.d);
    a = b;
    b = c;
    if (std::fabs(c - a) >= kStepTolerance) continue;
    const Difference dc = difference(c);
    const Difference dPrevious = difference(a);
    const bool good = (dc.ok && std::fabs(dc.d) < kResidualTolerance) ||
                      (dPrevious.ok && std::fabs(dPrevious.d) < kResidualTolerance);
    if (!good) return false;
    accept(c);
    return true;
  }
  return false;
}

void EquationSolver::newton() {
  const int entries = std::min<int>(kStartPoints, static_cast<int>(samples_.size()));
  for (int k = 1; k <= entries && !done_; ++k) {
    const int fixed = k - kFirstFixedEntry;
    const bool useFixed = fixed >= 0 && fixed < static_cast<int>(kFixedPoints.size());
    newtonFrom(useFixed ? kFixedPoints[fixed] : samples_[k - 1].x);
  }
}

// Runs Newton's rule from one start point; true when it ended in an accepted point.
// After a fallback the iteration goes on from the fallback midpoint, with the point it
// left as the previous point: the midpoint is the only new point there is.
bool EquationSolver::newtonFrom(double start) {
  double x = start;
  double p = start + 0.001;
  double h = kSlopeDistance;
  double l = x - h;
  double r = x + h;
  for (int step = 0; step < kNewtonLimit; ++step) {
    const Difference dl = difference(l);
    const Difference dr = difference(r);
    const Difference dx = difference(x);
    h = kSlopeDistance;
    const double s = (dr.d - dl.d) / (r - l);
    if (std::fabs(x) > kNewtonBound || !std::isfinite(x)) return false;
    if (s == 0 || !dl.ok || !dr.ok || !dx.ok) {
      bool recovered = false;
      for (int pass = 0; pass < kFallbackLimit && !recovered; ++pass) {
        const double midpoint = (p + x) / 2;
        p = x;
        x = midpoint;
        const Difference dm = difference(x);
        if (h > kMinSlopeDistance) h /= 2;
        l = x - h;
        r = x + h;
        const Difference fl = difference(l);
        const Difference fr = difference(r);
        recovered = dm.ok && fl.ok && fr.ok;
        if (recovered && std::fabs(dm.d) < kFallbackResidual) {
          accept(x);
          return true;
        }
      }
      if (!recovered) return false;
      continue;
    }
    const double next = x - dx.d / s;
    if (std::fabs(next - x) < kStepTolerance) {
      const Difference dn = difference(next);
      if ((dn.ok && std::fabs(dn.d) < kResidualTolerance) || std::fabs(dx.d) < kResidualTolerance) {
        accept(next);
        return true;
      }
    }
    p = x;
    x = next;
    l = next - h;
    r = next + h;
  }
  return false;
}

void EquationSolver::touchingZeros() {
  const int entries = std::min<int>(kStartPoints, static_cast<int>(samples_.size()));
  for (int k = 0; k < entries; ++k) touchingZeroNear(samples_[k].x);
}

void EquationSolver::touchingZeroNear(double c) {
  double d = 0.5;
  double leftEnd = c - d;
  double rightEnd = c + d;
  bool leftSmaller = false;
  for (int step = 0; step < kShrinkLimit; ++step) {
    const Difference dl = difference(leftEnd);
    const Difference dc = difference(c);
    const Difference dr = difference(rightEnd);
    if (dl.ok && dc.ok && dr.ok && (dl.d < dc.d || dr.d < dc.d)) {
      leftSmaller = dl.d < dc.d;
      break;
    }
    d /= 2;
    leftEnd += d;
    rightEnd -= d;
  }
  if (!leftSmaller) return;
  double lo = leftEnd - d;
  double hi = c;
  double m = leftEnd;
  for (int step = 0; step < kMinimumLimit; ++step) {
    const Difference dm = difference(m);
    const Difference dh = difference(hi);
    const double vm = dm.ok ? dm.d : kTouchFailedValue;
    const double vh = dh.ok ? dh.d : kTouchFailedValue;
    if (dm.ok && std::fabs(hi - lo) < kStepTolerance && std::fabs(dm.d) < kTouchResidual) {
      if (++count_ == 1) {
        first_ = lo;
        display_->setValueText(formatSolution(lo));
      }
      return;
    }
    if (vm < vh) {
      hi = m;
      m = (lo + m) / 2;
    } else {
      lo = m;
      m = (hi + m) / 2;
    }
  }
}

}  // namespace pendrix

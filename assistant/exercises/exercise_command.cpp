#include "exercises/exercise_command.h"

#include <cmath>
#include <limits>

#include "solver/equation_solver.h"
#include "solver/evaluation_indicators.h"

namespace pendrix {

namespace {

constexpr int kLetterTries = 100;
constexpr int kRepairSteps = 300;
constexpr int kEquationTries = 200;
constexpr int kHalvings = 20;
constexpr double kTolerance = 0.000001;

bool sameSign(double a, double b) { return (a < 0) == (b < 0); }

}  // namespace

void ExerciseCommand::setExerciseSet(ExerciseSet* set, ExerciseKind kind) {
  set_ = set;
  kind_ = kind;
}

void ExerciseCommand::run(int number) {
  if (number >= 1) {
    lastNumber_ = number;
    c_.view.rememberExerciseNumber(number);
  }
  if (set_ == nullptr || lastNumber_ < 1) {
    c_.notifier.showInfo(kProgramCaption, kChooseExerciseFirst);
    return;
  }
  generator_.resetMarks();
  resetEvaluationIndicators();
  c_.grid.clear();
  set_->Select(lastNumber_);
  if (set_->current() != lastNumber_) {
    // A remembered number that the file no longer has.
    c_.notifier.showInfo(kProgramCaption, kChooseExerciseFirst);
    return;
  }
  xKind_ = set_->xKind(lastNumber_ - 1);
  tKind_ = set_->tKind(lastNumber_ - 1);
  zExercise_ = false;
  generate();
  c_.view.showStatement(set_->Text());

  bool accepted = false;
  for (int n = 0; n < kAttempts && !accepted; ++n) {
    accepted = attempt(n == 0);
    if (!accepted) {
      resetEvaluationIndicators();
      generate();
    }
  }
  showResult(accepted);
  c_.view.refresh();
}

void ExerciseCommand::generate() {
  generator_.GenerateRows({set_->Template(0), set_->Template(1), set_->Template(2)},
                          {set_->Flags(0), set_->Flags(1), set_->Flags(2)});
  for (int row = 0; row < 3; ++row) set_->Rows(row) = generator_.rows()[row];
}

// The grid gets the rows as shown, without the blanks of numbers narrower than their
// tokens. The main row goes in last: loading a row sets the grid's length to that row's.
void ExerciseCommand::loadGrid() {
  const ShownRows shown = generator_.shown();
  c_.grid.clear();
  for (int row : {ROW_UPPER, ROW_LOWER, ROW_MAIN}) c_.grid.setRowText(shown.rows[row], row);
  for (int row = 0; row < 3; ++row) c_.grid.setRowFlags(shown.flags[row], row);
  c_.grid.extractTerms();
}

void ExerciseCommand::loadSides() {
  loadGrid();
  c_.left.SetText(c_.grid.term(0));
  c_.left.Parse();
  c_.right.SetText(c_.grid.term(1));
  c_.right.Parse();
  setValues();
}

void ExerciseCommand::drawValues() {
  unknown_ = DrawValue(c_.random, xKind_);
  parameter_ = DrawValue(c_.random, tKind_);
}

void ExerciseCommand::setValues() {
  for (TermEvaluator* side : {&c_.left, &c_.right}) {
    side->SetUnknown(unknown_.value);
    side->SetParameter(parameter_.value);
  }
}

double ExerciseCommand::difference() {
  const int leftError = c_.left.Evaluate();
  const int rightError = c_.right.Evaluate();
  if (leftError != kNoError || rightError != kNoError) return std::numeric_limits<double>::max();
  return c_.left.Result() - c_.right.Result();
}

bool ExerciseCommand::rowsContain(char16_t ch) const {
  for (const std::u16string& row : generator_.rows())
    if (row.find(ch) != std::u16string::npos) return true;
  return false;
}

bool ExerciseCommand::attempt(bool first) {
  loadGrid();
  if (first) {
    hasLetters_ = c_.grid.findFirstLetter().has_value();
    hasParameter_ = hasLetters_ && c_.grid.findNextLetter().has_value();
    drawValues();
  }
  if (c_.grid.containsZ()) {
    c_.left.setUnknownLetter(u'z');
    c_.right.setUnknownLetter(u'z');
    kind_ = ExerciseKind::Equation;
    zExercise_ = true;
    hasLetters_ = true;  // z is the hidden unknown of a fill-in exercise
  }
  return kind_ == ExerciseKind::Term ? tryTerm() : tryEquation();
}

bool ExerciseCommand::evaluateTermOnce() {
  DivisionByZeroCount = 0;
  FractionalQuotientCount = 0;
  c_.left.Evaluate();
  return DivisionByZeroCount == 0;
}

bool ExerciseCommand::tryTerm() {
  c_.left.SetText(c_.grid.term(0));
  c_.left.Parse();
  if (hasLetters_) {
    for (int n = 0; n < kLetterTries; ++n) {
      drawValues();
      setValues();
      if (evaluateTermOnce()) return true;
    }
    return false;
  }
  bool clean = evaluateTermOnce();
  const std::u16string& main = set_->Template(ROW_MAIN);
  for (char16_t letter : {u'T', u'U'}) {
    if (main.find(letter) == std::u16string::npos) continue;
    for (int n = 0; n < kRepairSteps && FractionalQuotientCount > 0; ++n) {
      if (!generator_.incrementNumber(letter)) break;
      loadGrid();
      c_.left.SetText(c_.grid.term(0));
      c_.left.Parse();
      clean = evaluateTermOnce();
    }
  }
  return clean;
}

bool ExerciseCommand::tryEquation() {
  const int tries = hasLetters_ ? kEquationTries : 1;
  loadSides();
  for (int n = 0; n < tries; ++n) {
    if (hasLetters_) {
      drawValues();
      setValues();
    }
    if (generator_.mark(u'L').present()) {
      if (fitL()) return true;
    } else if (generator_.mark(u'G').present()) {
      if (searchG()) return true;
    } else {
      DivisionByZeroCount = 0;
      const double d = difference();
      if (DivisionByZeroCount == 0 && d != std::numeric_limits<double>::max()) {
        const bool holds = xKind_ == kLargeInteger ? c_.left.Result() > c_.right.Result() : std::fabs(d) < kTolerance;
        if (holds) return true;
      }
    }
  }
  return false;
}

// The number at L takes the difference of the sides; subtracting it again undoes a
// successful addition or, when the addition was refused, tries the other direction.
bool ExerciseCommand::fitL() {
  const double n = difference();
  if (generator_.addToL(n)) loadSides();
  if (difference() == 0) return true;
  if (generator_.addToL(-n)) loadSides();
  return difference() == 0;
}

bool ExerciseCommand::setG(int64_t value) {
  const NumberMark& g = generator_.mark(u'G');
  if (value <= 0 || value >= g.limit || !generator_.setNumber(u'G', value, 1)) return false;
  loadSides();
  return true;
}

// An integer bisection over the number at G for a root of the difference.
bool ExerciseCommand::searchG() {
  const int64_t top = generator_.mark(u'G').limit - 1;
  if (difference() == 0) return true;
  int64_t low = 0;
  int64_t high = top;
  setG(high);
  double s = difference();
  if (s == 0) return true;
  int64_t current = top / 2;
  setG(current);
  double x = difference();
  if (x == 0) return true;
  for (int n = 0; n < kHalvings; ++n) {
    bool lowMoved = false;
    if (sameSign(x, s)) {
      s = x;
      high = current;
    } else {
      low = current;
      lowMoved = true;
    }
    int64_t next = low + (high - low) / 2;
    if (lowMoved && high - low == 1) next = high;
    if (next != current && setG(next)) current = next;
    x = difference();
    if (x == 0) return true;
  }
  return false;
}

bool ExerciseCommand::gridHasDegree() const {
  for (int row = 0; row < 3; ++row)
    for (int column = 0; column < c_.grid.length(); ++column)
      if (c_.grid.degree(row, column) != 0) return true;
  return false;
}

void ExerciseCommand::showResult(bool accepted) {
  c_.grid.clear();
  if (accepted) {
    loadGrid();
    if (zExercise_) c_.grid.blankOutZ();
  } else {
    c_.notifier.showInfo(kProgramCaption, kTryAgain);
    c_.grid.clear();
  }
  resetSolutionDisplay(c_.display);
  c_.left.setUnknownLetter(u'x');
  c_.right.setUnknownLetter(u'x');
  if (!accepted || gridHasDegree()) return;
  const bool gap = rowsContain(GAP);
  if (kind_ == ExerciseKind::Term && !hasLetters_) {
    c_.display.setValueText(gap ? u"" : formatSolution(c_.left.Result()));
  } else if (kind_ == ExerciseKind::Equation && hasLetters_) {
    if (gap) {
      c_.display.setValueText(u"");
    } else if (sidesAgreeEverywhere(c_.left, c_.right)) {
      c_.display.setValueText(kEveryNumberText);  // the drawn value is one of all
    } else {
      c_.display.setValueText(unknown_.fractionText.empty() ? formatSolution(unknown_.value) : unknown_.fractionText);
    }
  } else if (kind_ == ExerciseKind::Equation2 && hasLetters_) {
    c_.view.solve();
  }
}

}  // namespace pendrix

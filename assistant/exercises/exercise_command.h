#pragma once
// The exercise command: draws a fresh instance of the chosen exercise into the
// formula grid, checks it with the evaluator until it is usable, and shows its
// value or solution.

#include <string>

#include "exercises/exercise_generator.h"
#include "exercises/exercise_set.h"
#include "formula/formula_grid.h"
#include "formula/solution_display.h"
#include "session/notifier.h"
#include "solver/term_evaluator.h"

namespace pendrix {

inline constexpr char16_t kChooseExerciseFirst[] = u"Bitte zuerst eine Aufgabe auswählen.";
inline constexpr char16_t kTryAgain[] = u"Versuch es nocheinmal oder wähle eine andere Aufgabe";
inline constexpr char16_t kProgramCaption[] = u"Pendrix";

// What of the dialog the command touches besides the grid and the solution display.
class ExerciseView {
 public:
  virtual ~ExerciseView() = default;
  virtual void showStatement(const std::u16string& text) = 0;  // line 1025
  virtual void rememberExerciseNumber(int number) = 0;          // AufgabeNummer
  virtual void solve() = 0;                                     // the solve command
  virtual void refresh() {}                                     // preview, focus, cursor
};

struct ExerciseContext {
  FormulaGrid& grid;
  TermEvaluator& left;
  TermEvaluator& right;
  SolutionDisplay& display;
  Notifier& notifier;
  ExerciseView& view;
  ExerciseRandom& random;
};

class ExerciseCommand {
 public:
  static constexpr int kAttempts = 100;

  explicit ExerciseCommand(const ExerciseContext& context) : c_(context), generator_(context.random) {}

  // The menus open a file and say its kind; a z exercise switches it to "Gleichung".
  void setExerciseSet(ExerciseSet* set, ExerciseKind kind);
  // 1 or more: that exercise; -1: the last one again with new numbers.
  void run(int number);
  // The exercise chosen in an earlier session (-1: none), without drawing it.
  void restoreNumber(int number) { lastNumber_ = number; }

  ExerciseKind kind() const { return kind_; }
  int lastNumber() const { return lastNumber_; }
  const ExerciseGenerator& generator() const { return generator_; }
  double unknownValue() const { return unknown_.value; }
  double parameterValue() const { return parameter_.value; }

 private:
  void generate();
  void loadGrid();
  void loadSides();
  void drawValues();
  void setValues();
  double difference();
  bool attempt(bool first);
  bool tryTerm();
  bool evaluateTermOnce();
  void repairQuotients(char16_t letter);
  bool tryEquation();
  bool fitL();
  bool searchG();
  bool setG(int64_t value);
  bool gridHasDegree() const;
  bool rowsContain(char16_t ch) const;
  void showResult(bool accepted);

  ExerciseContext c_;
  ExerciseGenerator generator_;
  ExerciseSet* set_ = nullptr;
  ExerciseKind kind_ = ExerciseKind::Term;
  int lastNumber_ = -1;
  bool hasLetters_ = false;
  bool hasParameter_ = false;
  bool zExercise_ = false;
  DrawnValue unknown_;
  DrawnValue parameter_;
  int xKind_ = kUnsetKind;
  int tKind_ = kUnsetKind;
};

}  // namespace pendrix

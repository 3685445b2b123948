#pragma once
// A worksheet: fresh instances of one area's exercises, drawn by the same exercise
// command as the dialog's, each with its field code as "Einfügen" writes it and the
// line of its answer key as the solution display shows it. No field code stands twice
// on one sheet; a slot that cannot get a new one is left out and named afterwards.

#include <string>
#include <vector>

#include "exercises/exercise_generator.h"
#include "exercises/exercise_set.h"
#include "formula/eq_writer.h"
#include "session/settings.h"

namespace pendrix {

enum class WorksheetMode {
  InOrder = 0,         // "alle Aufgaben des Bereichs der Reihe nach"
  ChosenExercise = 1,  // "nur die gewählte Aufgabe"
  Mixed = 2,           // "gemischt"
};

inline constexpr int kMinWorksheetCount = 1;
inline constexpr int kMaxWorksheetCount = 40;
inline constexpr int kDefaultWorksheetCount = 10;
inline constexpr int kMaxEmptyLines = 10;
inline constexpr int kDefaultEmptyLines = 2;
// Draws one place on the sheet may take, counting those the exercise command gave up
// on (after its own hundred attempts) and those that repeated a formula already on
// the sheet. An exercise that used them all gets no further place on this sheet.
inline constexpr int kDrawsPerPlace = 10;

inline constexpr char16_t kWorksheetHeading[] = u"Arbeitsblatt: ";
inline constexpr char16_t kSolutionsHeading[] = u"Lösungen";
// The key of an exercise whose answer the assistant does not compute: a term with
// letters to simplify, a gap to fill in, a formula with a root degree.
inline constexpr char16_t kKeyNotComputed[] = u"(Lösung nicht berechnet)";
// The solution set of an equation in which the solver found no solution.
inline constexpr char16_t kEmptySolutionSet[] = u"L = { }";
inline constexpr char16_t kNothingDrawn[] =
    u"Für das Arbeitsblatt ließ sich keine Aufgabe ziehen. Es wurde nichts geschrieben.";

struct WorksheetRequest {
  WorksheetMode mode = WorksheetMode::InOrder;
  int count = kDefaultWorksheetCount;  // 1 to 40
  int chosenExercise = -1;             // the exercise of ChosenExercise, from 1
};

struct WorksheetEntry {
  int exercise = 0;          // its number in the area, from 1
  std::u16string statement;  // the exercise's text line
  EqCode code;               // the field code, in the settings' notation
  std::u16string key;        // "L = { 3.000 }", "= 12.000", kEmptySolutionSet or kKeyNotComputed
  // The rows as drawn (the hidden unknown z of a fill-in exercise still in place) and
  // the kind they were solved as, so that the key can be checked against them.
  ShownRows rows;
  ExerciseKind kind = ExerciseKind::Term;
};

struct Worksheet {
  std::u16string title;  // the area's title
  int requested = 0;
  std::vector<WorksheetEntry> entries;
  std::vector<int> leftOut;  // the exercise of every place left out, in sheet order
};

// Draws the sheet from the open exercise set (whose current exercise it changes).
// Without exercises, or with an invalid chosen exercise for ChosenExercise, the sheet
// has no entries and every place counts as left out.
Worksheet drawWorksheet(ExerciseSet& set, const std::u16string& title, const WorksheetRequest& request,
                        const SettingsRecord& notation, ExerciseRandom& random);

// "3) " + text.
std::u16string numberedLine(int number, const std::u16string& text);
// What the user is told about the places left out; empty when there are none.
std::u16string leftOutMessage(const Worksheet& sheet, const ExerciseSet& set);

}  // namespace pendrix

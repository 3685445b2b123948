#pragma once
// The worksheet command of the exercise popup's item "Arbeitsblatt …": the small modal
// dialog "Arbeitsblatt" asks which exercises, how many, whether the answer key follows
// on a new page and how many empty lines each exercise gets; OK draws the sheet from
// the open area and writes it into Word.

#include <windows.h>

#include "exercises/exercise_menus.h"
#include "exercises/worksheet_choices.h"
#include "session/notifier.h"
#include "session/profile_store.h"
#include "session/settings.h"
#include "word/word_output_win32.h"

namespace pendrix {

inline constexpr char16_t kWorksheetItem[] = u"Arbeitsblatt \u2026";
inline constexpr char16_t kWorksheetCaption[] = u"Arbeitsblatt";
inline constexpr char16_t kWorksheetCountRange[] = u"Bitte geben Sie eine Anzahl von 1 bis 40 ein.";
inline constexpr char16_t kWorksheetEmptyLinesRange[] = u"Bitte geben Sie 0 bis 10 Leerzeilen ein.";

// Shows the dialog with `choices` filled in; on OK they hold what the user chose.
// "nur die gewählte Aufgabe" can only be chosen when `chosenAvailable`.
bool askWorksheetChoices(HINSTANCE instance, HWND owner, WorksheetChoices& choices, bool chosenAvailable);

struct WorksheetSession {
  HINSTANCE instance;
  HWND owner;
  const Settings& settings;
  ProfileStore& store;  // the settings file's, for the choices
  const ExerciseMenus& menus;
  ExerciseRandom& random;
  WordOutput& word;
  Notifier& notifier;
};

// Without an area: "Bitte zuerst einen Bereich auswählen.". Asks, remembers the choices,
// draws and writes under the wait cursor, then names the places left out. A failed
// Word call comes back for the dialog to report as its other writing commands do.
WordOutcome runWorksheetCommand(const WorksheetSession& session);

}  // namespace pendrix

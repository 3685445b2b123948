#pragma once
// What the "Arbeitsblatt" dialog asks, remembered in the settings file beside the other
// keys of section EINSTELLUNGEN:
//
//   key                    values                         default
//   ArbeitsblattAuswahl    0 alle Aufgaben des Bereichs der Reihe nach,
//                          1 nur die gewählte Aufgabe, 2 gemischt      0
//   ArbeitsblattAnzahl     1 to 40 exercises                         10
//   ArbeitsblattLoesungen  1 answer key on a new page, 0 none          1
//   ArbeitsblattLeerzeilen 0 to 10 empty lines after each exercise     2
//
// A value outside its range reads as the default.

#include <string>

#include "exercises/worksheet.h"
#include "session/profile_store.h"

namespace pendrix {

struct WorksheetChoices {
  WorksheetMode mode = WorksheetMode::InOrder;
  int count = kDefaultWorksheetCount;
  bool solutions = true;
  int emptyLines = kDefaultEmptyLines;
};

WorksheetChoices loadWorksheetChoices(ProfileStore& store, const std::u16string& settingsFile);
// Writes all four keys; false when one could not be written (no settings file, a
// read-only one), the choices then hold for this session only.
bool saveWorksheetChoices(ProfileStore& store, const std::u16string& settingsFile, const WorksheetChoices& choices);

}  // namespace pendrix

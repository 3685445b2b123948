#pragma once
// The main dialog's buttons and combo boxes as data: which picture and tooltip each
// button gets, and each combo box's tooltip and items. The dialog loops over these
// tables when it initialises.

#include <span>
#include <string_view>

#include "resources/resource.h"

namespace pendrix {

struct ButtonControl {
  int id;
  int bitmapId;  // 0: a plain push button that shows its caption
  std::u16string_view tooltip;
};

// All 23 buttons, in the dialog's tab order.
inline constexpr ButtonControl kButtonControls[] = {
    {IDC_CANCEL, 0, u"Abbrechen, zurück zu Word"},
    {IDC_OK, 0, u"Übernehmen, zurück zu Word"},
    {IDC_ROOT, IDB_ROOT, u"Wurzel (Alt+W)"},
    {IDC_SUPERSCRIPT, IDB_SUPERSCRIPT, u"hochgestellt (Alt+H), das folgende Zeichen"},
    {IDC_SQUARE, IDB_SQUARE, u"hoch 2 (Alt+2, usw.)"},
    {IDC_CUBE, IDB_CUBE, u"hoch 3 (Alt+3, usw.)"},
    {IDC_EXERCISE_FILE, IDB_EXERCISE_FILE, u"Aufgabenbereich wählen (Alt+U)"},
    {IDC_NEW_EXERCISE, IDB_NEW_EXERCISE, u"neue Aufgabe (Alt+N)"},
    {IDC_SUBSCRIPT, IDB_SUBSCRIPT, u"tiefergestellt (Alt+T), das folgende Zeichen"},
    {IDC_INDEX1, IDB_INDEX1, u"Index 1 (Alt+i)"},
    {IDC_INDEX2, IDB_INDEX2, u"Index 2 (Alt+j)"},
    {IDC_CUBE_ROOT, IDB_CUBE_ROOT, u"dritte Wurzel (Alt+D)"},
    {IDC_LESS_EQUAL, IDB_LESS_EQUAL, u"kleiner gleich (Alt+K)"},
    {IDC_GREATER_EQUAL, IDB_GREATER_EQUAL, u"größer gleich (Alt+G)"},
    {IDC_X12, IDB_X12, u"X 1/2 (Alt+X)"},
    {IDC_PLUS_MINUS, IDB_PLUS_MINUS, u"plus minus (Alt+P)"},
    {IDC_INSERT, 0, u"in das Worddokument einfügen (Alt+E)"},
    {IDC_EXERCISE_TYPE, IDB_EXERCISE_TYPE, u"Aufgabe wählen (Alt+A)"},
    {IDC_VARY_DIGITS, IDB_VARY_DIGITS, u"Ähnliche Aufgabe mit veränderten Zahlen, Null bleibt erhalten"},
    {IDC_INNER_FRACTION, IDB_INNER_FRACTION, u"Bruch im Nenner oder Zähler einfügen (Alt+B)"},
    {IDC_INSERT_TEXT, IDB_INSERT_TEXT, u"Text in Word einfügen"},
    {IDC_INSERT_SOLUTION, IDB_INSERT_TEXT, u"Lösung in Word einfügen"},
    {IDC_SOLVE, 0, u"Berechne die Lösung (bis 100000000)"},
};

// Items from index 0, in the order the settings' choices count them. The signs stand
// between two spaces; the brackets are written as the user sees them in Word.
inline constexpr std::u16string_view kFractionBracketItems[] = {u" [ ]", u" { } ", u" <>"};
inline constexpr std::u16string_view kMultiplicationSignItems[] = {u" * ", u" \u00B7 ", u" \u2022 ", u" \u2219 "};
inline constexpr std::u16string_view kPlusSignItems[] = {u" + "};
inline constexpr std::u16string_view kMinusSignItems[] = {u" \u2212 ", u" - "};

struct ComboControl {
  int id;
  std::u16string_view tooltip;
  std::span<const std::u16string_view> items;
};

// The four combo boxes in tab order. The fraction brackets are filled from here too: the
// resource compiler has no dialog initialisation data to carry them.
inline constexpr ComboControl kComboControls[] = {
    {IDC_FRACTION_BRACKET, u"Klammer für Doppelbruch (Alt+B), Beispiel: Zähler[1/3], Nenner[2/7]",
     kFractionBracketItems},
    {IDC_MULTIPLICATION_SIGN, u"Malpunkt für Word (Darstellung testen)", kMultiplicationSignItems},
    {IDC_PLUS_SIGN, u"Pluszeichen für Word (Darstellung testen)", kPlusSignItems},
    {IDC_MINUS_SIGN, u"Minuszeichen für Word (Darstellung testen)", kMinusSignItems},
};

}  // namespace pendrix

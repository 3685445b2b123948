#pragma once
// What the formula commands of pendrix-cli share: the "[--settings FILE] KEYS"
// arguments and the KEYS language that types a formula as the dialog's input.
//
// KEYS: every character is typed as on the keyboard ("^2" is a superscript 2, "°a" a
// subscript a). Braces name keys and buttons: {Left} {Right} {Up} {Down} {Home} {End}
// {Delete} {Backspace}; {Alt+c} (Alt with one character c; Alt+l answers the clear
// question with whatever the notifier answers); the formula buttons {Root} {CubeRoot}
// {Superscript} {Square} {Cube} {Subscript} {Index1} {Index2} {LessEqual}
// {GreaterEqual} {X12} {PlusMinus} {InnerFraction}; {Degree=c}, a double click on the
// root sign at the cursor answered with c (a blank or nothing gives no degree). "{{"
// and "}}" type literal braces. Names are case-sensitive.

#include <iosfwd>
#include <string>
#include <string_view>

#include "commands.h"
#include "formula/formula_grid.h"
#include "formula/solution_display.h"
#include "session/notifier.h"
#include "session/settings.h"

namespace pendrix::cli {

struct FormulaArgs {
  Settings settings;
  std::string keys;
};

// "[--settings FILE] KEYS" ("--" may stand before KEYS). The settings file is read,
// never written: the portable profile store natively, the Win32 private-profile
// functions on Windows; an undecided list separator counts as ";" without a message.
// Without --settings the defaults of Settings apply. On error: a message to `err`, false.
bool parseFormulaArgs(const Args& args, FormulaArgs& out, std::ostream& err);

// The decimal symbol of the values printed: the settings file's DezimalZeichen, else
// a point (the console has no locale of the user to follow).
char16_t shownDecimalSymbol(const Settings& settings);

// The value of --settings in `args`, or "" when there is none.
std::string settingsPathFromArgs(const Args& args);

// Types `keysUtf8` into `grid` through a FormulaEditor. On an unknown or malformed
// brace name, or an Alt key that presses a button outside the formula editor, a
// message to `err` and false (the caller exits with 2); the keys before it stay typed.
bool typeKeys(const std::string& keysUtf8, FormulaGrid& grid, const Settings& settings, Notifier& notifier,
              SolutionDisplay& display, std::ostream& err);

// Every line the commands print is UTF-8 text without control characters, so that
// scripts can read it line by line.
//
// One cell of the grid: its character in UTF-8, or U+XXXX for an empty cell (U+0000),
// a blank, a control character, the root codes and surrogates, so that every token
// stands for exactly one cell.
std::string cellToken(char16_t c);
// The used columns of one grid row as cell tokens separated by single blanks.
std::string rowCells(const FormulaGrid& grid, int row);
// A text field on one line: UTF-8 with each control character written as U+XXXX.
std::string printable(std::u16string_view text);
// A UTF-8 argument echoed in a message, as printable shows it.
std::string shownArgument(const std::string& utf8);
// Like printable, but a message's line feeds are written as \n.
std::string messageLine(std::u16string_view text);

}  // namespace pendrix::cli

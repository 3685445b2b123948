#pragma once
// Starting the programs whose windows Word then owns: the assistant (from the term
// button or a double click on an equation field) and the symbol tool. The module
// keeps Word's application object and one reference to each program's object;
// each start replaces that program's reference. A held reference counts in the
// module's lock count, so the DLL is not unloaded under it.

#include <windows.h>
#include <oaidl.h>

#include <string_view>

namespace pendrix::addin {

// Word's application object as the add-in's connection handed it over; null
// lets go of it.
void keepWordApplication(IDispatch* application);
// Lets go of Word and of both programs' objects (a released assistant ends).
void releaseCompanions();

// Each returns the first failing step's HRESULT; callers in event handlers ignore it.
HRESULT startAssistant(IDispatch* field);  // field: the equation field to edit, or null
HRESULT startSymbolTool();

// Whether a field code is an equation field's: "EQ" or "eq", after nothing but
// blanks, at one of the positions 0 to 6 that also lies below the code's length
// minus 2.
bool isEquationFieldCode(std::wstring_view code);

// A double click in a document: with exactly one equation field in Word's
// selection, sets *cancel and starts the assistant with that field.
HRESULT openEquationFieldOfSelection(VARIANT_BOOL* cancel);

// The assistant's and symbol tool's objects, for tests: whether one is held.
bool holdsAssistant();
bool holdsSymbolTool();

}  // namespace pendrix::addin

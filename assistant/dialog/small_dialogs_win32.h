#pragma once
// The two small dialogs of the assistant: the root-degree question and the about box.

#include <windows.h>

#include <optional>
#include <string>

namespace pendrix {

// Asks for a root's degree. The edit takes one character; the answer is it when the
// user confirmed with Enter (a blank or empty answer stands for no degree), nothing
// on cancel. A character that would break the field code written with `separator`
// is refused with a hint in place of the question, and the prompt stays open.
std::optional<std::u16string> askRootDegree(HINSTANCE instance, HWND owner, char16_t separator);

// "Info über Pendrix", modal.
void showAboutBox(HINSTANCE instance, HWND owner);

}  // namespace pendrix

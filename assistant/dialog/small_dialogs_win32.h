#pragma once
// The two small dialogs of the assistant: the root-degree question and the about box.

#include <windows.h>

#include <optional>
#include <string>

namespace pendrix {

// Asks for a root's degree. The answer is the edit's text when the user confirmed
// with Enter (a blank or empty answer stands for no degree); nothing on cancel.
std::optional<std::u16string> askRootDegree(HINSTANCE instance, HWND owner);

// "Info über Pendrix", modal.
void showAboutBox(HINSTANCE instance, HWND owner);

}  // namespace pendrix

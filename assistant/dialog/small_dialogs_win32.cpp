#include "dialog/small_dialogs_win32.h"

#include <vector>

#include "formula/formula_editor.h"
#include "resources/resource.h"
#include "win32/handles.h"

namespace pendrix {
namespace {

struct RootDegreeAnswer {
  char16_t separator;
  std::u16string text;
};

std::u16string windowText(HWND window) {
  std::vector<wchar_t> text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  const int length = GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
  return fromWide(text.data(), static_cast<size_t>(length));
}

// Enter with a degree the field code cannot hold: the hint replaces the question
// and the character stays selected, so that the next key replaces it.
bool refuseDegree(HWND dialog, const std::u16string& text, char16_t separator) {
  if (text.empty() || isRootDegreeAllowed(text[0], separator)) return false;
  SetDlgItemTextW(dialog, IDC_ROOT_DEGREE_PROMPT, wide(rootDegreeHint(text[0])));
  const HWND edit = GetDlgItem(dialog, IDC_ROOT_DEGREE);
  SendMessageW(edit, EM_SETSEL, 0, -1);
  SetFocus(edit);
  MessageBeep(MB_ICONEXCLAMATION);
  return true;
}

INT_PTR CALLBACK rootDegreeProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      // The grid keeps one character: a longer answer would lose its rest unseen.
      SendDlgItemMessageW(dialog, IDC_ROOT_DEGREE, EM_LIMITTEXT, 1, 0);
      return TRUE;  // the focus goes to the edit, the first control
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        auto* answer = reinterpret_cast<RootDegreeAnswer*>(GetWindowLongPtrW(dialog, DWLP_USER));
        const std::u16string text = windowText(GetDlgItem(dialog, IDC_ROOT_DEGREE));
        if (answer && refuseDegree(dialog, text, answer->separator)) return TRUE;
        if (answer) answer->text = text;
        EndDialog(dialog, IDOK);
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

INT_PTR CALLBACK aboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) return TRUE;
  if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
    EndDialog(dialog, LOWORD(wParam));
    return TRUE;
  }
  return FALSE;
}

}  // namespace

std::optional<std::u16string> askRootDegree(HINSTANCE instance, HWND owner, char16_t separator) {
  RootDegreeAnswer answer{separator, {}};
  const INT_PTR result = DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_ROOT_DEGREE), owner, rootDegreeProc,
                                         reinterpret_cast<LPARAM>(&answer));
  if (result != IDOK) return std::nullopt;
  return answer.text;
}

void showAboutBox(HINSTANCE instance, HWND owner) {
  DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_ABOUTBOX), owner, aboutProc, 0);
}

}  // namespace pendrix

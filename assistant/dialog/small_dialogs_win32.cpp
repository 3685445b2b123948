#include "dialog/small_dialogs_win32.h"

#include <vector>

#include "resources/resource.h"
#include "win32/handles.h"

namespace pendrix {
namespace {

struct RootDegreeAnswer {
  std::u16string text;
};

std::u16string windowText(HWND window) {
  std::vector<wchar_t> text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  const int length = GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
  return fromWide(text.data(), static_cast<size_t>(length));
}

INT_PTR CALLBACK rootDegreeProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      return TRUE;  // the focus goes to the edit, the first control
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        auto* answer = reinterpret_cast<RootDegreeAnswer*>(GetWindowLongPtrW(dialog, DWLP_USER));
        if (answer) answer->text = windowText(GetDlgItem(dialog, IDC_ROOT_DEGREE));
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

std::optional<std::u16string> askRootDegree(HINSTANCE instance, HWND owner) {
  RootDegreeAnswer answer;
  const INT_PTR result = DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_ROOT_DEGREE), owner, rootDegreeProc,
                                         reinterpret_cast<LPARAM>(&answer));
  if (result != IDOK) return std::nullopt;
  return answer.text;
}

void showAboutBox(HINSTANCE instance, HWND owner) {
  DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_ABOUTBOX), owner, aboutProc, 0);
}

}  // namespace pendrix

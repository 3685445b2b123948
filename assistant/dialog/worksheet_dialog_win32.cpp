#include "dialog/worksheet_dialog_win32.h"

#include <commctrl.h>

#include <optional>

#include "dialog/wait_cursor_win32.h"
#include "exercises/exercise_command.h"
#include "resources/resource.h"
#include "win32/handles.h"
#include "word/worksheet_output_win32.h"

namespace pendrix {
namespace {

struct ModeButton {
  WorksheetMode mode;
  int id;
};
constexpr ModeButton kModeButtons[] = {
    {WorksheetMode::InOrder, IDC_WORKSHEET_IN_ORDER},
    {WorksheetMode::ChosenExercise, IDC_WORKSHEET_CHOSEN},
    {WorksheetMode::Mixed, IDC_WORKSHEET_MIXED},
};

struct NumberBox {
  int edit;
  int spin;
  int low;
  int high;
  const char16_t* outOfRange;
};
constexpr NumberBox kCountBox{IDC_WORKSHEET_COUNT, IDC_WORKSHEET_COUNT_SPIN, kMinWorksheetCount, kMaxWorksheetCount,
                              kWorksheetCountRange};
constexpr NumberBox kEmptyLinesBox{IDC_WORKSHEET_EMPTY_LINES, IDC_WORKSHEET_EMPTY_LINES_SPIN, 0, kMaxEmptyLines,
                                   kWorksheetEmptyLinesRange};

struct DialogData {
  WorksheetChoices& choices;
  bool chosenAvailable;
};

void setNumber(HWND dialog, const NumberBox& box, int value) {
  SendDlgItemMessageW(dialog, box.spin, UDM_SETRANGE32, static_cast<WPARAM>(box.low), box.high);
  SendDlgItemMessageW(dialog, box.spin, UDM_SETPOS32, 0, value);
  SetDlgItemInt(dialog, box.edit, static_cast<UINT>(value), FALSE);
}

// The number typed into the box, or nothing after telling the user its range; the
// box then has the focus with its text selected, ready to be typed over.
std::optional<int> readNumber(HWND dialog, const NumberBox& box) {
  BOOL read = FALSE;
  const UINT value = GetDlgItemInt(dialog, box.edit, &read, FALSE);
  if (read && value >= static_cast<UINT>(box.low) && value <= static_cast<UINT>(box.high)) return static_cast<int>(value);
  MessageBoxW(dialog, wide(box.outOfRange), wide(kWorksheetCaption), MB_OK | MB_ICONEXCLAMATION);
  SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, box.edit)), TRUE);
  return std::nullopt;
}

BOOL initDialog(HWND dialog, const DialogData& data) {
  WorksheetMode mode = data.choices.mode;
  if (mode == WorksheetMode::ChosenExercise && !data.chosenAvailable) mode = WorksheetMode::InOrder;
  EnableWindow(GetDlgItem(dialog, IDC_WORKSHEET_CHOSEN), data.chosenAvailable);
  int checked = IDC_WORKSHEET_IN_ORDER;
  for (const ModeButton& button : kModeButtons)
    if (button.mode == mode) checked = button.id;
  CheckRadioButton(dialog, IDC_WORKSHEET_IN_ORDER, IDC_WORKSHEET_MIXED, checked);
  setNumber(dialog, kCountBox, data.choices.count);
  setNumber(dialog, kEmptyLinesBox, data.choices.emptyLines);
  CheckDlgButton(dialog, IDC_WORKSHEET_SOLUTIONS, data.choices.solutions ? BST_CHECKED : BST_UNCHECKED);
  // The keys start on the choice of exercises, as it stands.
  SetFocus(GetDlgItem(dialog, checked));
  return FALSE;
}

bool readChoices(HWND dialog, WorksheetChoices& out) {
  const std::optional<int> count = readNumber(dialog, kCountBox);
  if (!count) return false;
  const std::optional<int> emptyLines = readNumber(dialog, kEmptyLinesBox);
  if (!emptyLines) return false;
  for (const ModeButton& button : kModeButtons)
    if (IsDlgButtonChecked(dialog, button.id) == BST_CHECKED) out.mode = button.mode;
  out.count = *count;
  out.emptyLines = *emptyLines;
  out.solutions = IsDlgButtonChecked(dialog, IDC_WORKSHEET_SOLUTIONS) == BST_CHECKED;
  return true;
}

INT_PTR CALLBACK worksheetProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    return initDialog(dialog, *reinterpret_cast<const DialogData*>(lParam));
  }
  auto* data = reinterpret_cast<DialogData*>(GetWindowLongPtrW(dialog, DWLP_USER));
  if (message != WM_COMMAND || !data) return FALSE;
  switch (LOWORD(wParam)) {
    case IDOK:
      if (readChoices(dialog, data->choices)) EndDialog(dialog, IDOK);
      return TRUE;
    case IDCANCEL:
      EndDialog(dialog, IDCANCEL);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

bool askWorksheetChoices(HINSTANCE instance, HWND owner, WorksheetChoices& choices, bool chosenAvailable) {
  WorksheetChoices asked = choices;
  DialogData data{asked, chosenAvailable};
  const INT_PTR result = DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_WORKSHEET), owner, worksheetProc,
                                         reinterpret_cast<LPARAM>(&data));
  if (result != IDOK) return false;
  choices = asked;
  return true;
}

WordOutcome runWorksheetCommand(const WorksheetSession& session) {
  const ExerciseSet* area = session.menus.openSet();
  const int fileIndex = session.menus.currentFileIndex();
  const auto& files = session.menus.files();
  if (!area || fileIndex < 0 || static_cast<size_t>(fileIndex) >= files.size()) {
    session.notifier.showInfo(kProgramCaption, kChooseAreaFirst);
    return {};
  }
  const std::u16string& settingsFile = session.settings->filePath;
  WorksheetChoices choices = loadWorksheetChoices(session.store, settingsFile);
  const int chosen = session.menus.currentExerciseNumber();
  if (!askWorksheetChoices(session.instance, session.owner, choices, chosen >= 1 && chosen <= area->count())) return {};
  saveWorksheetChoices(session.store, settingsFile, choices);
  // Without a document the writing commands write nothing and say nothing.
  if (!session.word.hasDocument()) return {};

  // A copy of the open area for the sheet: the dialog's exercise and its rows stay as
  // they are, and the file is not read and completed a second time.
  ExerciseSet set(*area);
  Worksheet sheet;
  WordOutcome written;
  {
    ScopedWaitCursor wait;
    sheet = drawWorksheet(set, files[static_cast<size_t>(fileIndex)].title, {choices.mode, choices.count, chosen},
                          session.settings.record(), session.random);
    if (!sheet.entries.empty())
      written = writeWorksheet(session.word, sheet, {choices.solutions, choices.emptyLines}, session.settings->raiseSize);
  }
  if (sheet.entries.empty()) {
    session.notifier.showInfo(kProgramCaption, kNothingDrawn);
  } else if (written.ok()) {
    const std::u16string leftOut = leftOutMessage(sheet, set);
    if (!leftOut.empty()) session.notifier.showInfo(kProgramCaption, leftOut);
  }
  return written;
}

}  // namespace pendrix

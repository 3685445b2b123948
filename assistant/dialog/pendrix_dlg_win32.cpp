#include "dialog/pendrix_dlg_win32.h"

#include <commctrl.h>

#include <ctime>
#include <optional>
#include <utility>
#include <vector>

#include "dialog/dialog_controls.h"
#include "dialog/small_dialogs_win32.h"
#include "dialog/worksheet_dialog_win32.h"
#include "exercises/vary_digits.h"
#include "formula/eq_reader.h"
#include "formula/eq_writer.h"
#include "resources/resource.h"
#include "session/exercise_folders_win32.h"
#include "session/return_click_win32.h"
#include "session/system_win32.h"
#include "solver/equation_solver.h"

namespace pendrix {
namespace {

constexpr wchar_t kProgramName[] = L"Pendrix";
constexpr UINT kWmReportDeferredFailure = WM_APP + 1;
// Posted during the set-up, so it comes once the window shows.
constexpr UINT kWmComeToFront = WM_APP + 2;
// Posted when a combo box's list closes: the combo box selects its text after
// telling, and a focus taken away before that would leave the selection drawn.
constexpr UINT kWmFocusKeyInput = WM_APP + 3;
// The tooltips and the exercise menus are made once the dialog has painted: two
// dozen tooltip windows, the exercise folders and files and the menus' pictures
// would keep the window from showing for tens of milliseconds, and nobody points at
// a button or opens a menu in the first instant. A command that needs the menus
// earlier makes them first.
constexpr UINT_PTR kDeferredSetUpTimer = 1;

// Keys that the key-input edit forwards and the formula editor understands.
bool editorKeyOf(WPARAM key, EditorKey& out) {
  static constexpr struct {
    WPARAM key;
    EditorKey editorKey;
  } kKeys[] = {{VK_LEFT, EditorKey::Left}, {VK_RIGHT, EditorKey::Right},   {VK_UP, EditorKey::Up},
               {VK_DOWN, EditorKey::Down}, {VK_HOME, EditorKey::Home},     {VK_END, EditorKey::End},
               {VK_DELETE, EditorKey::Delete}, {VK_BACK, EditorKey::Backspace}};
  for (const auto& entry : kKeys) {
    if (entry.key != key) continue;
    out = entry.editorKey;
    return true;
  }
  return false;
}

bool isFormulaButton(int id) {
  static constexpr int kFormulaButtons[] = {IDC_ROOT,       IDC_SUPERSCRIPT,   IDC_SQUARE,      IDC_CUBE,
                                            IDC_SUBSCRIPT,  IDC_INDEX1,        IDC_INDEX2,      IDC_CUBE_ROOT,
                                            IDC_LESS_EQUAL, IDC_GREATER_EQUAL, IDC_X12,         IDC_PLUS_MINUS,
                                            IDC_INNER_FRACTION};
  for (const int button : kFormulaButtons)
    if (button == id) return true;
  return false;
}

// The decimal symbol of the user's locale ("," on a German system).
char16_t localeDecimalSymbol() {
  wchar_t symbol[4] = {};
  if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, symbol, 4) <= 1) return u'.';
  return static_cast<char16_t>(symbol[0]);
}

// Restores the previous cursor when a long command is done.
class WaitCursor {
 public:
  WaitCursor() : previous_(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}
  ~WaitCursor() { SetCursor(previous_); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  HCURSOR previous_;
};

HICON loadIcon(HINSTANCE instance, int widthMetric, int heightMetric) {
  return static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_PENDRIX), IMAGE_ICON,
                                       GetSystemMetrics(widthMetric), GetSystemMetrics(heightMetric), 0));
}

HWND createTooltip(HWND owner) {
  return CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                         CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr, nullptr, nullptr);
}

void addTool(HWND tooltip, HWND owner, HWND control, std::u16string_view text) {
  std::u16string copy(text);
  TOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = owner;
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  tool.lpszText = const_cast<wchar_t*>(wide(copy));
  SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

}  // namespace

const CPendrixDlg::Command CPendrixDlg::kCommands[] = {
    {IDC_OK, &CPendrixDlg::onOk},
    {IDCANCEL, &CPendrixDlg::onCancel},
    {IDOK, &CPendrixDlg::loadField},  // no control carries IDOK: SetWordField is its caller
    {IDC_SOLVE, &CPendrixDlg::onSolve},
    {IDC_VARY_DIGITS, &CPendrixDlg::onVaryDigits},
    {IDC_NEW_EXERCISE, &CPendrixDlg::onNewExercise},
    {IDC_INSERT, &CPendrixDlg::onInsertFormula},
    {IDC_INSERT_TEXT, &CPendrixDlg::onInsertTextLine},
    {IDC_INSERT_SOLUTION, &CPendrixDlg::onInsertSolution},
    {IDC_EXERCISE_FILE, &CPendrixDlg::onExerciseFileMenu},
    {IDC_EXERCISE_TYPE, &CPendrixDlg::onExerciseType},
    {IDM_WORKSHEET, &CPendrixDlg::onWorksheet},
};

CPendrixDlg::CPendrixDlg(HINSTANCE instance, Settings& settings, std::u16string installDirectory)
    : instance_(instance),
      settings_(settings),
      installDirectory_(std::move(installDirectory)),
      randomSource_(static_cast<uint32_t>(std::time(nullptr))),
      exercise_({grid_, left_, right_, display_, notifier_, *this, random_}),
      exerciseStore_(makeWin32ProfileStore()),
      menus_(*exerciseStore_, settings_, exercise_, notifier_) {
  signs_ = loadPreviewSigns(instance_);
}

CPendrixDlg::~CPendrixDlg() {
  wordWindowHandle_ = 0;
  if (autoProxy_) autoProxy_->detachDialog();
}

INT_PTR CPendrixDlg::runModal() {
  return DialogBoxParamW(instance_, MAKEINTRESOURCEW(IDD_PENDRIX_DIALOG), nullptr, dialogProc,
                         reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK CPendrixDlg::dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(window, DWLP_USER, lParam);
    reinterpret_cast<CPendrixDlg*>(lParam)->hwnd_ = window;
  }
  auto* self = reinterpret_cast<CPendrixDlg*>(GetWindowLongPtrW(window, DWLP_USER));
  if (!self) return FALSE;
  try {
    return self->handleMessage(message, wParam, lParam);
  } catch (...) {
    // Out of memory in a command: the formula stays as it was and the dialog goes on.
    return FALSE;
  }
}

INT_PTR CPendrixDlg::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: return onInitDialog();
    case WM_COMMAND: onCommand(LOWORD(wParam), HIWORD(wParam)); return TRUE;
    case WM_SYSCOMMAND: return onSystemCommand(wParam, lParam);
    case WM_PAINT: onPaint(); return TRUE;
    case WM_QUERYDRAGICON: return reinterpret_cast<INT_PTR>(smallIcon_.get());
    case WM_CLOSE: onClose(); return TRUE;
    case kWmReportDeferredFailure:
      report(std::exchange(deferredFailure_, WordOutcome{}));
      focusKeyInput();
      return TRUE;
    case kWmComeToFront: comeToFront(); return TRUE;
    case kWmFocusKeyInput: focusKeyInput(); return TRUE;
    case WM_TIMER: onTimer(wParam); return TRUE;
    case WM_LBUTTONDOWN: return onPreviewClick(lParam, false);
    case WM_LBUTTONDBLCLK: return onPreviewClick(lParam, true);
    case WM_KEYDOWN: onKeyDown(wParam); return FALSE;
    case WM_MEASUREITEM: {
      auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
      if (item->CtlType != ODT_MENU || !activeMenu_) return FALSE;
      activeMenu_->measure(*item);
      return TRUE;
    }
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (item->CtlType == ODT_MENU) {
        if (activeMenu_) activeMenu_->draw(*item);
        return TRUE;
      }
      for (const CBitmapToolButton& button : buttons_) {
        if (button.window() != item->hwndItem) continue;
        button.draw(*item);
        return TRUE;
      }
      return FALSE;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORMSGBOX:
      return onControlColor(reinterpret_cast<HDC>(wParam));
    default: return FALSE;
  }
}

BOOL CPendrixDlg::onInitDialog() {
  backgroundBrush_.reset(CreateSolidBrush(GetSysColor(COLOR_BTNFACE)));
  display_.setDecimalSymbol(settings_->decimalSymbol ? settings_->decimalSymbol : localeDecimalSymbol());
  addAboutItem();
  largeIcon_.reset(loadIcon(instance_, SM_CXICON, SM_CYICON));
  smallIcon_.reset(loadIcon(instance_, SM_CXSMICON, SM_CYSMICON));
  SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(largeIcon_.get()));
  SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.get()));

  keyInput_.attach(GetDlgItem(hwnd_, IDC_KEY_INPUT));
  preview_.attach(GetDlgItem(hwnd_, IDC_PREVIEW), [](void* self) { static_cast<CPendrixDlg*>(self)->redrawPreview(); },
                  this);
  loadWordField(u"", grid_, settings_, notifier_);  // an empty formula
  SetFocus(keyInput_.window());

  SetMenu(hwnd_, nullptr);
  exerciseMenu_.reset(LoadMenuW(instance_, MAKEINTRESOURCEW(IDM_EXERCISE_MENU)));
  setUpButtons();
  setUpComboBoxes();
  // A timer message comes after the first paint.
  if (!SetTimer(hwnd_, kDeferredSetUpTimer, USER_TIMER_MINIMUM, nullptr)) finishSetUp();
  resetSolutionDisplay(display_);
  SetFocus(keyInput_.window());
  PostMessageW(hwnd_, kWmComeToFront, 0, 0);
  CPendrixApp::instance().showMessagesForLater(hwnd_);  // the first start's question
  return TRUE;
}

// The program is started by COM, not by Word, so its window would open behind Word
// and Word would keep the keyboard. Word allows it the front when it starts it.
void CPendrixDlg::comeToFront() {
  if (!IsWindowVisible(hwnd_)) return;
  SetForegroundWindow(hwnd_);
  SetFocus(keyInput_.window());
}

void CPendrixDlg::addAboutItem() {
  wchar_t text[100] = {};
  if (LoadStringW(instance_, IDS_ABOUTBOX, text, 100) <= 0) return;
  HMENU systemMenu = GetSystemMenu(hwnd_, FALSE);
  if (!systemMenu) return;
  AppendMenuW(systemMenu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(systemMenu, MF_STRING, IDM_ABOUTBOX, text);
}

void CPendrixDlg::setUpButtons() {
  size_t next = 0;
  for (const ButtonControl& control : kButtonControls) {
    if (next >= buttons_.size()) break;
    const HWND window = GetDlgItem(hwnd_, control.id);
    if (!window) continue;
    CBitmapToolButton& button = buttons_[next++];
    button.attach(window);
    button.setBitmap(instance_, control.bitmapId);
  }
}

void CPendrixDlg::setUpComboBoxes() {
  const SettingsRecord& record = settings_.record();
  const int selected[] = {record.bracketChoice, record.timesChoice, record.plusChoice, record.minusChoice};
  for (size_t i = 0; i < std::size(kComboControls); ++i) {
    const ComboControl& control = kComboControls[i];
    const HWND combo = GetDlgItem(hwnd_, control.id);
    if (!combo) continue;
    if (SendMessageW(combo, CB_GETCOUNT, 0, 0) <= 0) {
      for (const std::u16string_view item : control.items) {
        const std::u16string text(item);
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide(text)));
      }
    }
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(selected[i]), 0);
  }
}

// Each button has a tip of its own; the combo boxes share one.
void CPendrixDlg::setUpTooltips() {
  for (CBitmapToolButton& button : buttons_) {
    const int id = GetDlgCtrlID(button.window());
    for (const ButtonControl& control : kButtonControls)
      if (button.window() && control.id == id) button.setTooltip(std::u16string(control.tooltip), true);
  }
  const HWND tooltip = createTooltip(hwnd_);
  for (const ComboControl& control : kComboControls) {
    const HWND combo = GetDlgItem(hwnd_, control.id);
    if (!combo) continue;
    // The tip shows over the combo box and over its edit part alike.
    addTool(tooltip, hwnd_, combo, control.tooltip);
    if (HWND edit = GetWindow(combo, GW_CHILD)) addTool(tooltip, hwnd_, edit, control.tooltip);
  }
  SendMessageW(tooltip, TTM_ACTIVATE, TRUE, 0);
}

void CPendrixDlg::onTimer(UINT_PTR id) {
  if (id != kDeferredSetUpTimer) return;
  KillTimer(hwnd_, kDeferredSetUpTimer);
  finishSetUp();
}

void CPendrixDlg::finishSetUp() {
  setUpTooltips();
  ensureExerciseMenus();
}

void CPendrixDlg::ensureExerciseMenus() {
  if (exerciseMenusBuilt_) return;
  exerciseMenusBuilt_ = true;
  for (int id = IDB_MENU_FILE; id <= IDB_MENU_EXERCISE_MORE; ++id)
    menuPictures_.emplace_back(static_cast<HBITMAP>(LoadImageW(instance_, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, 0)));
  buildExerciseFileMenu();
}

void CPendrixDlg::onCommand(int id, int code) {
  if (id == IDC_KEY_INPUT) {
    if (code == EN_CHANGE) onTypedCharacter();
    return;
  }
  for (const ComboControl& combo : kComboControls) {
    if (combo.id != id) continue;
    if (code == CBN_SELCHANGE) onComboSelection(id);
    if (code == CBN_CLOSEUP) PostMessageW(hwnd_, kWmFocusKeyInput, 0, 0);  // closed with or without a choice
    return;
  }
  // An owner-drawn button reports the second of two quick clicks as a double click
  // and sends no click for it; each click is one press.
  if (code != BN_CLICKED && code != BN_DOUBLECLICKED) return;
  runCommand(id);
  // Whatever the command showed (a popup closed without a choice, a message box),
  // typing goes on without a click. A dialog that ended or hid takes no focus.
  if (id != IDC_OK && id != IDCANCEL && id != IDOK) focusKeyInput();
}

void CPendrixDlg::runCommand(int id) {
  if (isFormulaButton(id)) return onFormulaButton(id);
  if (id >= IDM_FILE_FIRST && id <= IDM_FILE_LAST) return onChooseFile(id - IDM_FILE_FIRST);
  if (id >= IDM_EXERCISE_FIRST && id <= IDM_EXERCISE_LAST) return onChooseExercise(id - IDM_EXERCISE_FIRST + 1);
  for (const Command& command : kCommands) {
    if (command.id == id) return (this->*command.handler)();
  }
}

void CPendrixDlg::focusKeyInput() {
  if (hwnd_ && IsWindowVisible(hwnd_)) keyInput_.clearAndFocus();
}

bool CPendrixDlg::onSystemCommand(WPARAM command, LPARAM character) {
  if ((command & 0xFFF0) == IDM_ABOUTBOX) {
    showAboutBox(instance_, hwnd_);
    focusKeyInput();
    return true;
  }
  DefWindowProcW(hwnd_, WM_SYSCOMMAND, command, character);
  // An Alt key that no control took: 'l' clears, a digit goes in as superscript.
  if ((command & 0xFFF0) == SC_KEYMENU && character > 0) {
    const AltKeyResult result = editor_.altCharacter(static_cast<char16_t>(character));
    if (result.button && !result.handled) {
      onCommand(result.button, BN_CLICKED);
      return true;
    }
    redrawPreview();
    focusKeyInput();
  }
  return true;
}

void CPendrixDlg::onPaint() {
  PAINTSTRUCT paint;
  const HDC dc = BeginPaint(hwnd_, &paint);
  if (IsIconic(hwnd_)) {
    RECT client{};
    GetClientRect(hwnd_, &client);
    const int x = (client.right - GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(dc, x, y, largeIcon_.get());
  }
  EndPaint(hwnd_, &paint);
  if (!IsIconic(hwnd_)) redrawPreview();
}

void CPendrixDlg::onKeyDown(WPARAM key) {
  EditorKey editorKey;
  if (editorKeyOf(key, editorKey)) editor_.keyDown(editorKey);
  redrawPreview();
}

bool CPendrixDlg::onPreviewClick(LPARAM point, bool doubleClick) {
  const POINT client{static_cast<short>(LOWORD(point)), static_cast<short>(HIWORD(point))};
  RECT previewRect{};
  GetWindowRect(preview_.window(), &previewRect);
  MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&previewRect), 2);
  if (!PtInRect(&previewRect, client)) {
    SetFocus(keyInput_.window());
    return false;
  }
  // The layout works in the dialog's window coordinates; the exact mapping places a
  // click on the cell under the mouse whatever the frame and caption metrics.
  const POINT at = dialogWindowPoint(hwnd_, client);
  layout_.setClick(grid_, at.x, at.y);
  redrawPreview();  // resolves the click into the cursor column
  if (doubleClick && isRootOpen(grid_.characterAtCursor())) {
    if (const auto degree = askRootDegree(instance_, hwnd_, settings_->listSeparator))
      editor_.setRootDegreeAtCursor(*degree);
    redrawPreview();
  }
  focusKeyInput();
  return true;
}

INT_PTR CPendrixDlg::onControlColor(HDC dc) {
  SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
  return reinterpret_cast<INT_PTR>(backgroundBrush_.get());
}

void CPendrixDlg::onComboSelection(int id) {
  const int index = static_cast<int>(SendDlgItemMessageW(hwnd_, id, CB_GETCURSEL, 0, 0));
  if (index >= 0) {
    switch (id) {
      case IDC_FRACTION_BRACKET: settings_.setBracketChoice(index); break;
      case IDC_MULTIPLICATION_SIGN: settings_.setTimesChoice(index); break;
      case IDC_PLUS_SIGN: settings_.setPlusChoice(index); break;
      case IDC_MINUS_SIGN: settings_.setMinusChoice(index); break;
      default: break;
    }
  }
  // Moving through the open list changes the selection too; the focus comes back
  // when the list closes.
  if (!SendDlgItemMessageW(hwnd_, id, CB_GETDROPPEDSTATE, 0, 0)) focusKeyInput();
}

HRESULT CPendrixDlg::setWordApplication(IDispatch* application) { return word_.setApplication(application); }

HRESULT CPendrixDlg::setWordField(IDispatch* field) {
  const HRESULT hr = word_.setField(field);
  loadField();
  return hr;
}

void CPendrixDlg::loadField() {
  std::u16string code;
  const WordOutcome read = word_.readFieldCode(code);
  if (!read.ok()) {
    // The formula stays as it was. The message waits until the client's call has
    // returned, so that Word is not kept waiting on the user.
    deferredFailure_ = read;
    PostMessageW(hwnd_, kWmReportDeferredFailure, 0, 0);
    return;
  }
  // Its messages ("Formel zu komplex") wait until Word's calls have returned.
  loadWordField(code, grid_, settings_, CPendrixApp::instance().messagesForLater());
  CPendrixApp::instance().showMessagesForLater(hwnd_);
  redrawPreview();
}

void CPendrixDlg::closeSession() {
  if (hwnd_) EndDialog(hwnd_, IDCANCEL);
}

// A Word that fails keeps the session: the formula stays, the user reads Word's
// reason and can press OK again or cancel. A Word that is gone leaves nothing to try
// again with, and OK ends the session as before.
void CPendrixDlg::onOk() {
  const WordOutcome written = word_.insertFormulaAndClose(generateEqCode(grid_, settings_.record()), settings_->raiseSize);
  if (!written.ok() && !wordIsGone()) {
    report(written);
    focusKeyInput();
    return;
  }
  word_.releaseDocumentAndApplication();
  returnToWord();
  EndDialog(hwnd_, IDOK);
}

void CPendrixDlg::onCancel() {
  word_.releaseAll();
  returnToWord();
  if (heldByLiveClient()) {
    ShowWindow(hwnd_, SW_HIDE);  // the process waits, invisible, for the client to let go
  } else {
    EndDialog(hwnd_, IDCANCEL);
  }
}

// The client is the add-in inside Word: once Word's window is gone, so is the
// client, and no release will ever come to end a hidden assistant.
bool CPendrixDlg::heldByLiveClient() const {
  if (!autoProxy_) return false;
  return !wordIsGone();
}

bool CPendrixDlg::wordIsGone() const { return wordWindowHandle_ != 0 && !IsWindow(windowFromI4(wordWindowHandle_)); }

void CPendrixDlg::onClose() {
  if (heldByLiveClient()) {
    ShowWindow(hwnd_, SW_HIDE);
  } else {
    onCancel();
  }
}

void CPendrixDlg::onTypedCharacter() {
  wchar_t text[2] = {};
  GetWindowTextW(keyInput_.window(), text, 2);
  const char16_t c = static_cast<char16_t>(text[0]);
  if (c == u'\0') return;  // the dialog's own emptying
  editor_.typeCharacter(c);
  if (c != u'^' && c != u'\u00B0') redrawPreview();
  keyInput_.clearAndFocus();
}

void CPendrixDlg::onFormulaButton(int id) {
  editor_.pressButton(id);
  // The pending-mode buttons only arm the next character.
  if (id != IDC_SUPERSCRIPT && id != IDC_SUBSCRIPT) redrawPreview();
  keyInput_.clearAndFocus();
}

void CPendrixDlg::onSolve() {
  WaitCursor wait;
  runSolver();
  redrawPreview();
  SetFocus(keyInput_.window());
}

void CPendrixDlg::runSolver() { EquationSolver(left_, right_).solve(grid_, notifier_, display_); }

void CPendrixDlg::onVaryDigits() {
  varyDigits(grid_, random_);
  redrawPreview();
  resetSolutionDisplay(display_);
  SetFocus(keyInput_.window());
}

void CPendrixDlg::onNewExercise() {
  ensureExerciseMenus();
  // Without an exercise chosen before, the command only says so.
  std::optional<WaitCursor> wait;
  if (exercise_.lastNumber() > 0) wait.emplace();
  exercise_.run(-1);
  keyInput_.clearAndFocus();
}

void CPendrixDlg::buildExerciseFileMenu() {
  menus_.build(listExerciseFiles(installDirectory_));
  const HMENU popup = GetSubMenu(exerciseMenu_.get(), IDM_POPUP_FILES);
  if (!popup) return;
  const auto& files = menus_.files();
  for (size_t i = 0; i < files.size(); ++i) {
    const UINT id = IDM_FILE_FIRST + static_cast<UINT>(i);
    InsertMenuW(popup, IDM_FILE_PLACEHOLDER, MF_BYCOMMAND | MF_STRING, id, wide(files[i].title));
    SetMenuItemBitmaps(popup, id, MF_BYCOMMAND, exercisePicture(0), nullptr);
  }
  DeleteMenu(popup, IDM_FILE_PLACEHOLDER, MF_BYCOMMAND);
}

void CPendrixDlg::onExerciseFileMenu() {
  ensureExerciseMenus();
  const HMENU popup = GetSubMenu(exerciseMenu_.get(), IDM_POPUP_FILES);
  if (!popup) return;
  CExerciseMenu menu(popup);
  const auto& files = menus_.files();
  for (size_t i = 0; i < files.size(); ++i)
    menu.addItem(IDM_FILE_FIRST + static_cast<UINT>(i), files[i].title, exercisePicture(0));
  activeMenu_ = &menu;
  menu.show(hwnd_, GetDlgItem(hwnd_, IDC_EXERCISE_FILE));
  activeMenu_ = nullptr;
}

// A file from the file menu, or the current one for "ATyp" (-1): its exercises
// become the exercise menu, which opens at once.
void CPendrixDlg::onChooseFile(int index) {
  ensureExerciseMenus();
  if (!menus_.chooseFile(index)) return;
  const HMENU popup = GetSubMenu(exerciseMenu_.get(), IDM_POPUP_EXERCISES);
  if (!popup) return;
  WaitCursor wait;
  for (size_t j = 0; j < exerciseItems_; ++j) DeleteMenu(popup, IDM_EXERCISE_FIRST + static_cast<UINT>(j), MF_BYCOMMAND);
  const std::vector<std::u16string> titles = menus_.exerciseTitles();
  exerciseItems_ = std::min<size_t>(titles.size(), IDM_EXERCISE_LAST - IDM_EXERCISE_FIRST + 1);
  CExerciseMenu menu(popup);
  for (size_t j = 0; j < exerciseItems_; ++j) {
    const UINT id = IDM_EXERCISE_FIRST + static_cast<UINT>(j);
    InsertMenuW(popup, IDM_EXERCISE_PLACEHOLDER, MF_BYCOMMAND | MF_STRING, id, wide(titles[j]));
    SetMenuItemBitmaps(popup, id, MF_BYCOMMAND, exercisePicture(0), nullptr);
    menu.addItem(id, titles[j], exercisePicture(1 + std::min<size_t>(j, IDB_MENU_EXERCISE_MORE - IDB_MENU_EXERCISE_FIRST)));
  }
  menu.addItem(IDM_WORKSHEET, kWorksheetItem, nullptr);
  activeMenu_ = &menu;
  menu.show(hwnd_, GetDlgItem(hwnd_, IDC_EXERCISE_FILE));
  activeMenu_ = nullptr;
}

void CPendrixDlg::onChooseExercise(int number) {
  ensureExerciseMenus();
  const WaitCursor wait;  // the exercise is drawn and checked
  menus_.chooseExercise(number);
  keyInput_.clearAndFocus();
}

void CPendrixDlg::onWorksheet() {
  ensureExerciseMenus();
  report(runWorksheetCommand({instance_, hwnd_, settings_, *exerciseStore_, menus_, random_, word_, notifier_}));
  SetFocus(keyInput_.window());
}

HBITMAP CPendrixDlg::exercisePicture(size_t index) const {
  return index < menuPictures_.size() ? menuPictures_[index].get() : nullptr;
}

void CPendrixDlg::onInsertFormula() {
  report(word_.insertFormula(generateEqCode(grid_, settings_.record()), settings_->raiseSize));
  SetFocus(keyInput_.window());
}

void CPendrixDlg::onInsertTextLine() {
  report(word_.insertTextLine(controlText(IDC_EXERCISE_TEXT)));
  SetFocus(keyInput_.window());
}

void CPendrixDlg::onInsertSolution() {
  report(word_.insertSolution(controlText(IDC_SOLUTION), controlText(IDC_SOLUTION_STATUS)));
  SetFocus(keyInput_.window());
}

void CPendrixDlg::report(const WordOutcome& outcome) {
  if (outcome.ok()) return;
  MessageBoxW(hwnd_, wide(outcome.message), kProgramName, MB_OK | MB_ICONEXCLAMATION);
}

void CPendrixDlg::showStatement(const std::u16string& text) { SetDlgItemTextW(hwnd_, IDC_EXERCISE_TEXT, wide(text)); }

void CPendrixDlg::rememberExerciseNumber(int number) { settings_.setExerciseNumber(number); }

void CPendrixDlg::solve() { runSolver(); }

void CPendrixDlg::refresh() {
  redrawPreview();
  SetFocus(keyInput_.window());
}

void CPendrixDlg::redrawPreview() {
  if (!hwnd_ || !preview_.window()) return;
  redrawPreviewWindow(hwnd_, preview_.window(), grid_, layout_, signs_, GetSysColor(COLOR_BTNFACE));
}

void CPendrixDlg::returnToWord() {
  postReturnClick(windowFromI4(wordWindowHandle_), POINT{cursorXPos_, cursorYPos_});
}

std::u16string CPendrixDlg::controlText(int id) const {
  const HWND control = GetDlgItem(hwnd_, id);
  std::vector<wchar_t> text(static_cast<size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
  const int length = GetWindowTextW(control, text.data(), static_cast<int>(text.size()));
  return fromWide(text.data(), static_cast<size_t>(length));
}

// Most keys reset the displays to what they already show; a control's text is set
// only when it changes, as every setting costs a repaint.
void CPendrixDlg::ControlDisplay::setValueText(const std::u16string& text) {
  show(IDC_SOLUTION, withDecimalSymbol(text, decimalSymbol_), value_);
}

void CPendrixDlg::ControlDisplay::setStatusText(const std::u16string& text) {
  show(IDC_SOLUTION_STATUS, withDecimalSymbol(text, decimalSymbol_), status_);
}

void CPendrixDlg::ControlDisplay::show(int id, const std::u16string& text, std::optional<std::u16string>& shown) {
  if (shown == text) return;
  if (SetDlgItemTextW(dialog_, id, wide(text))) shown = text;
}

void CPendrixDlg::DialogNotifier::showInfo(const std::u16string& caption, const std::u16string& text) {
  MessageBoxW(dialog_, wide(text), wide(caption), MB_OK);
}

bool CPendrixDlg::DialogNotifier::askYesNo(const std::u16string& caption, const std::u16string& text) {
  return MessageBoxW(dialog_, wide(text), wide(caption), MB_YESNO) == IDYES;
}

}  // namespace pendrix

// The resources as the program will load them: the main dialog's controls with their
// ids, classes, styles, captions, positions and tab order; the pictures against their
// text sources; the menu, the strings, the icon, the root-degree dialog and the about box.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cwctype>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "test_dialog.h"

namespace pendrix::testing {
namespace {

std::wstring textOf(HWND window) {
  wchar_t text[256]{};
  GetWindowTextW(window, text, 256);
  return text;
}

std::wstring classOf(HWND window) {
  wchar_t name[64]{};
  GetClassNameW(window, name, 64);
  return name;
}

RECT rectInDialog(HWND dialog, HWND control) {
  RECT rect{};
  GetWindowRect(control, &rect);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

std::string describe(const RECT& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "-" + std::to_string(r.right) + "," +
         std::to_string(r.bottom);
}

struct ControlRow {
  int id;
  const wchar_t* className;
  DWORD style;  // the kind bits and the tab stop, border and scroll bits that must be set
  const wchar_t* caption;
  int x, y, width, height;
};

constexpr DWORD kOwnerDraw = BS_OWNERDRAW | WS_TABSTOP;
constexpr DWORD kPush = BS_PUSHBUTTON | WS_TABSTOP;
constexpr DWORD kCombo = CBS_DROPDOWN | WS_TABSTOP;

// The dialog's controls in creation (and tab) order, as the program's layout lays them out.
const ControlRow kMainDialog[] = {
    {1001, L"Edit", ES_RIGHT | ES_AUTOHSCROLL | WS_TABSTOP, L"", 222, 152, 6, 12},
    {1000, L"Static", SS_LEFT | WS_BORDER, L"", 5, 71, 219, 32},
    {2, L"Button", kPush, L"Abbrechen", 133, 148, 40, 13},
    {1003, L"Button", kPush, L"OK", 91, 148, 40, 13},
    {1004, L"Button", kOwnerDraw, L"&W", 9, 24, 15, 14},
    {1005, L"Button", kOwnerDraw, L"&h", 43, 24, 15, 14},
    {1006, L"Button", kOwnerDraw, L"&2 ^2", 60, 24, 15, 14},
    {1007, L"Button", kOwnerDraw, L"&3 ^3", 77, 24, 15, 14},
    {1008, L"Button", kOwnerDraw, L"A&ufgabe", 79, 112, 40, 13},
    {1009, L"Static", SS_CENTER, L"       ", 151, 114, 54, 10},
    {1012, L"Button", kOwnerDraw, L"&Neu", 11, 112, 23, 13},
    {1013, L"Button", kOwnerDraw, L"&t", 43, 8, 15, 14},
    {1014, L"Button", kOwnerDraw, L"&i t1", 60, 8, 15, 14},
    {1015, L"Button", kOwnerDraw, L"&j t2", 77, 8, 15, 14},
    {-1, L"Static", SS_LEFTNOWORDWRAP, L"= { ", 139, 114, 12, 8},
    {1016, L"Button", kOwnerDraw, L"&d", 26, 24, 15, 14},
    {-1, L"Static", SS_LEFTNOWORDWRAP, L"}", 206, 114, 5, 8},
    {1017, L"ComboBox", kCombo | WS_VSCROLL, L"", 198, 10, 21, 43},
    {1018, L"ComboBox", kCombo, L"", 172, 10, 21, 45},
    {-1, L"Button", BS_GROUPBOX, L"", 5, 0, 219, 43},
    {-1, L"Button", BS_GROUPBOX, L"", 5, 105, 219, 35},
    {1019, L"Button", kOwnerDraw, L"&k", 9, 8, 15, 14},
    {1020, L"Button", kOwnerDraw, L"&g", 26, 8, 15, 14},
    {1021, L"Button", kOwnerDraw, L"&x12", 94, 8, 15, 14},
    {1022, L"Button", kOwnerDraw, L"&p", 94, 24, 15, 14},
    {1023, L"ComboBox", kCombo, L"", 172, 26, 21, 45},
    {1024, L"ComboBox", kCombo, L"", 198, 26, 21, 45},
    {1010, L"Button", kPush, L"&Einfügen", 49, 148, 40, 13},
    {1011, L"Button", kOwnerDraw, L"&ATyp", 37, 112, 40, 13},
    {1025, L"Edit", ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, L"", 5, 54, 209, 12},
    {1028, L"Button", kOwnerDraw, L"&ä", 111, 8, 15, 14},
    {1029, L"Button", kOwnerDraw, L"&b", 111, 24, 15, 14},
    {1026, L"Button", kOwnerDraw, L"t", 214, 55, 9, 10},
    {1027, L"Button", kOwnerDraw, L"t", 212, 114, 9, 9},
    {1030, L"Button", BS_DEFPUSHBUTTON | WS_TABSTOP, L"L", 127, 113, 11, 11},
    {1031, L"Static", SS_CENTER, L"", 148, 126, 58, 10},
};

// The style bits a row speaks about, per class.
DWORD checkedBits(const std::wstring& className) {
  if (className == L"Button") return BS_TYPEMASK | WS_TABSTOP;
  if (className == L"Edit") return ES_RIGHT | ES_CENTER | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;
  if (className == L"Static") return SS_TYPEMASK | WS_BORDER | WS_TABSTOP;
  return 0x3 | WS_TABSTOP;  // combo box kind; the scroll bar goes to its list (below)
}

// The style as the template gave it. The dialog manager draws a bordered control with a
// sunken client edge instead.
DWORD effectiveStyle(HWND control) {
  DWORD style = GetWindowLongW(control, GWL_STYLE);
  if (GetWindowLongW(control, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) style |= WS_BORDER;
  return style;
}

std::vector<HWND> childrenInOrder(HWND dialog) {
  std::vector<HWND> children;
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    children.push_back(child);
  return children;
}

TEST(MainDialog, WindowHasItsCaptionStyleFontAndSize) {
  TestDialog dialog(IDD_PENDRIX_DIALOG);
  ASSERT_TRUE(dialog.get());
  EXPECT_EQ(textOf(dialog.get()), L" Calvora");
  const DWORD style = GetWindowLongW(dialog.get(), GWL_STYLE);
  for (DWORD bit : {DWORD(WS_POPUP), DWORD(WS_CAPTION), DWORD(WS_SYSMENU), DWORD(DS_MODALFRAME), DWORD(DS_CENTER)}) {
    SCOPED_TRACE(bit);
    EXPECT_EQ(style & bit, bit);
  }
  RECT client{};
  GetClientRect(dialog.get(), &client);
  EXPECT_EQ(describe(client), describe(dialogRect(dialog.get(), 0, 0, 228, 165)));
  LOGFONTW font{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(dialog.get(), WM_GETFONT, 0, 0)), sizeof font, &font);
  EXPECT_STREQ(font.lfFaceName, L"Arial");
  const HDC screen = GetDC(nullptr);
  EXPECT_EQ(font.lfHeight, -MulDiv(12, GetDeviceCaps(screen, LOGPIXELSY), 72));
  ReleaseDC(nullptr, screen);
}

TEST(MainDialog, EveryControlHasItsIdClassStyleCaptionAndPlace) {
  TestDialog dialog(IDD_PENDRIX_DIALOG);
  ASSERT_TRUE(dialog.get());
  const std::vector<HWND> children = childrenInOrder(dialog.get());
  ASSERT_EQ(children.size(), std::size(kMainDialog));
  for (size_t i = 0; i < children.size(); ++i) {
    const ControlRow& row = kMainDialog[i];
    const HWND control = children[i];
    SCOPED_TRACE("row " + std::to_string(i) + ", id " + std::to_string(row.id));
    EXPECT_EQ(GetDlgCtrlID(control), row.id);
    const std::wstring className = classOf(control);
    EXPECT_EQ(_wcsicmp(className.c_str(), row.className), 0) << "class";
    const DWORD bits = checkedBits(row.className);
    EXPECT_EQ(effectiveStyle(control) & bits, row.style & bits) << std::hex << "style " << effectiveStyle(control);
    if (std::wstring(row.className) != L"ComboBox") {
      EXPECT_EQ(textOf(control), row.caption);
    }
    const RECT expected = dialogRect(dialog.get(), row.x, row.y, row.width, row.height);
    const RECT actual = rectInDialog(dialog.get(), control);
    if (std::wstring(row.className) == L"ComboBox") {
      // The window is the closed box; the template's height is that of the opened list.
      EXPECT_EQ(actual.left, expected.left);
      EXPECT_EQ(actual.top, expected.top);
      EXPECT_EQ(actual.right, expected.right);
      RECT dropped{};
      SendMessageW(control, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped));
      // The opened box is as tall as the layout says; Wine leaves the closed part out.
      const LONG closed = actual.bottom - actual.top;
      EXPECT_LE(dropped.bottom - dropped.top, expected.bottom - expected.top);
      EXPECT_GE(dropped.bottom - dropped.top, expected.bottom - expected.top - closed);
    } else {
      EXPECT_EQ(describe(actual), describe(expected));
    }
  }
}

// A combo box passes its scroll-bar style on to its list, which shows the bar only
// when the items overflow it.
TEST(MainDialog, OnlyTheBracketListScrolls) {
  TestDialog dialog(IDD_PENDRIX_DIALOG);
  ASSERT_TRUE(dialog.get());
  for (const auto& [id, scrolls] : {std::pair{IDC_FRACTION_BRACKET, true}, std::pair{IDC_MULTIPLICATION_SIGN, false}}) {
    SCOPED_TRACE(id);
    const HWND combo = dialog.item(id);
    for (int i = 0; i < 30; ++i) SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L" x "));
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetComboBoxInfo(combo, &info));
    EXPECT_EQ((GetWindowLongW(info.hwndList, GWL_STYLE) & WS_VSCROLL) != 0, scrolls);
  }
}

TEST(MainDialog, TabOrderFollowsTheLayoutAndStartsAtTheKeyInput) {
  TestDialog dialog(IDD_PENDRIX_DIALOG);
  ASSERT_TRUE(dialog.get());
  std::vector<int> expected;
  for (const ControlRow& row : kMainDialog)
    if (row.style & WS_TABSTOP) expected.push_back(row.id);
  std::vector<int> actual;
  const HWND first = GetNextDlgTabItem(dialog.get(), nullptr, FALSE);
  HWND control = first;
  do {
    actual.push_back(GetDlgCtrlID(control));
    control = GetNextDlgTabItem(dialog.get(), control, FALSE);
  } while (control && control != first && actual.size() <= expected.size());
  EXPECT_EQ(actual, expected);
  EXPECT_EQ(GetDlgCtrlID(first), IDC_KEY_INPUT);
}

TEST(MainDialog, KeyInputTakesCharactersWiderThanItself) {
  TestDialog dialog(IDD_PENDRIX_DIALOG);
  ASSERT_TRUE(dialog.get());
  for (wchar_t c : {L'W', L'm', L'\u00C4'}) {
    SCOPED_TRACE(static_cast<int>(c));
    SetDlgItemTextW(dialog.get(), IDC_KEY_INPUT, L"");
    SendDlgItemMessageW(dialog.get(), IDC_KEY_INPUT, WM_CHAR, c, 1);
    EXPECT_EQ(textOf(dialog.item(IDC_KEY_INPUT)), std::wstring(1, c));
  }
}

TEST(MainDialog, CombosHoldTheirItemsAndButtonsTheirPicturesAndTooltips) {
  TestDialog dialog(IDD_PENDRIX_DIALOG);
  ASSERT_TRUE(dialog.get());
  const std::vector<std::vector<std::wstring>> expectedItems = {
      {L" [ ]", L" { } ", L" <>"}, {L" * ", L" \u00B7 ", L" \u2022 ", L" \u2219 "}, {L" + "}, {L" \u2212 ", L" - "}};
  ASSERT_EQ(std::size(kComboControls), expectedItems.size());
  for (size_t i = 0; i < expectedItems.size(); ++i) {
    const HWND combo = dialog.item(kComboControls[i].id);
    SCOPED_TRACE(kComboControls[i].id);
    std::vector<std::wstring> items;
    const int count = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
    for (int k = 0; k < count; ++k) {
      wchar_t text[32]{};
      SendMessageW(combo, CB_GETLBTEXT, k, reinterpret_cast<LPARAM>(text));
      items.push_back(text);
    }
    EXPECT_EQ(items, expectedItems[i]);
  }
  int pictures = 0;
  for (const ButtonControl& control : kButtonControls) {
    SCOPED_TRACE(control.id);
    const CBitmapToolButton* button = dialog.button(control.id);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->bitmapId(), control.bitmapId);
    const bool ownerDrawn = (GetWindowLongW(button->window(), GWL_STYLE) & BS_TYPEMASK) == BS_OWNERDRAW;
    EXPECT_EQ(ownerDrawn, control.bitmapId != 0) << "only the picture buttons are owner-drawn";
    pictures += control.bitmapId != 0;
    ASSERT_TRUE(button->tooltip());
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    wchar_t text[128]{};
    tool.hwnd = button->window();
    tool.uId = 1;
    tool.lpszText = text;
    SendMessageW(button->tooltip(), TTM_GETTEXTW, 128, reinterpret_cast<LPARAM>(&tool));
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(text)), control.tooltip);
  }
  EXPECT_EQ(pictures, 19);
}

// --- pictures ---------------------------------------------------------------------

struct PictureRow {
  int id;
  const char* source;
};

const PictureRow kPictures[] = {
    {129, "button_superscript"}, {131, "button_square"},       {134, "button_root"},
    {135, "button_cube"},        {136, "button_subscript"},    {137, "button_index1"},
    {138, "button_index2"},      {139, "button_cube_root"},    {168, "button_less_equal"},
    {169, "button_greater_equal"}, {170, "button_plus_minus"}, {171, "button_x12"},
    {172, "button_new_exercise"}, {173, "button_exercise_file"}, {174, "button_exercise_type"},
    {175, "button_text"},        {176, "button_vary_digits"},  {177, "button_inner_fraction"},
    {130, "sign_plus"},          {132, "sign_minus"},          {133, "sign_dot"},
    {140, "menu_file"},          {167, "menu_exercise_more"},
};

// The loaded resource, pixel by pixel against its text source.
void expectPictureMatchesSource(int id, const std::string& source) {
  SCOPED_TRACE(source);
  const std::vector<std::string> rows = sourceRows(source);
  ASSERT_FALSE(rows.empty());
  UniqueBitmap bitmap(static_cast<HBITMAP>(
      LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  ASSERT_TRUE(bitmap) << "resource " << id;
  BITMAP info{};
  GetObjectW(bitmap.get(), sizeof info, &info);
  ASSERT_EQ(info.bmWidth, static_cast<LONG>(rows[0].size()));
  ASSERT_EQ(info.bmHeight, static_cast<LONG>(rows.size()));
  UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
  const HGDIOBJ old = SelectObject(dc.get(), bitmap.get());
  int wrong = 0;
  for (int y = 0; y < info.bmHeight; ++y)
    for (int x = 0; x < info.bmWidth; ++x)
      if (GetPixel(dc.get(), x, y) != colourOf(rows[y][x]) && wrong++ < 3)
        ADD_FAILURE() << "pixel " << x << "," << y;
  SelectObject(dc.get(), old);
  EXPECT_EQ(wrong, 0);
}

TEST(Pictures, EveryResourceMatchesItsTextSource) {
  for (const PictureRow& row : kPictures) expectPictureMatchesSource(row.id, row.source);
  for (int j = 0; j < 26; ++j) {
    char name[32];
    snprintf(name, sizeof name, "menu_exercise_%02d", j + 1);
    expectPictureMatchesSource(IDB_MENU_EXERCISE_FIRST + j, name);
  }
}

// The AND blit keeps the face only where the picture is white: a dark edge pixel would
// draw a line along the button, and a picture larger than the face would be cut.
TEST(Pictures, ButtonPicturesHaveWhiteBordersAndFitTheirButtons) {
  TestDialog dialog(IDD_PENDRIX_DIALOG);
  ASSERT_TRUE(dialog.get());
  for (const ButtonControl& control : kButtonControls) {
    if (!control.bitmapId) continue;
    SCOPED_TRACE(control.id);
    const auto it = std::find_if(std::begin(kPictures), std::end(kPictures),
                                 [&](const PictureRow& row) { return row.id == control.bitmapId; });
    ASSERT_NE(it, std::end(kPictures));
    const std::vector<std::string> rows = sourceRows(it->source);
    ASSERT_FALSE(rows.empty());
    bool whiteBorder = rows.front().find_first_not_of('.') == std::string::npos &&
                       rows.back().find_first_not_of('.') == std::string::npos;
    for (const std::string& row : rows) whiteBorder = whiteBorder && row.front() == '.' && row.back() == '.';
    EXPECT_TRUE(whiteBorder);
    RECT client{};
    GetClientRect(dialog.item(control.id), &client);
    const int frame = 2 * GetSystemMetrics(SM_CXEDGE);
    EXPECT_LE(static_cast<LONG>(rows[0].size()), client.right - frame);
    EXPECT_LE(static_cast<LONG>(rows.size()), client.bottom - frame);
  }
}

TEST(Pictures, IconHasBothSizes) {
  for (int size : {16, 32}) {
    SCOPED_TRACE(size);
    const auto icon = static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_PENDRIX), IMAGE_ICON, size, size, 0));
    ASSERT_TRUE(icon);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    BITMAP colour{};
    GetObjectW(info.hbmColor, sizeof colour, &colour);
    EXPECT_EQ(colour.bmWidth, size);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyIcon(icon);
  }
}

// --- menu, strings, small dialogs -------------------------------------------------

std::wstring menuText(HMENU menu, UINT item, UINT flags) {
  wchar_t text[64]{};
  GetMenuStringW(menu, item, text, 64, flags);
  return text;
}

TEST(ExerciseMenu, HasTheTwoUsedPopupsWithTheirPlaceholdersTheWorksheetItemAndTheUnusedOnes) {
  const HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDM_EXERCISE_MENU));
  ASSERT_TRUE(menu);
  ASSERT_EQ(GetMenuItemCount(menu), 5);
  EXPECT_EQ(menuText(menu, IDM_POPUP_FILES, MF_BYPOSITION), L"Aufgabe");
  EXPECT_EQ(menuText(menu, IDM_POPUP_EXERCISES, MF_BYPOSITION), L"Aufgabe2");
  EXPECT_EQ(menuText(menu, 2, MF_BYPOSITION), L"Aufgabe3");
  const struct {
    int position;
    UINT placeholder;
  } used[] = {{IDM_POPUP_FILES, IDM_FILE_PLACEHOLDER}, {IDM_POPUP_EXERCISES, IDM_EXERCISE_PLACEHOLDER}};
  for (const auto& popup : used) {
    SCOPED_TRACE(popup.position);
    const HMENU sub = GetSubMenu(menu, popup.position);
    ASSERT_TRUE(sub);
    // The exercises go in before the placeholder; after it come a separator and the
    // worksheet's item.
    const bool exercises = popup.position == IDM_POPUP_EXERCISES;
    ASSERT_EQ(GetMenuItemCount(sub), exercises ? 3 : 1);
    EXPECT_EQ(GetMenuItemID(sub, 0), popup.placeholder);
    EXPECT_EQ(menuText(sub, 0, MF_BYPOSITION), L"");
    if (!exercises) continue;
    MENUITEMINFOW separator{sizeof separator, MIIM_FTYPE};
    ASSERT_TRUE(GetMenuItemInfoW(sub, 1, TRUE, &separator));
    EXPECT_TRUE(separator.fType & MFT_SEPARATOR);
    EXPECT_EQ(GetMenuItemID(sub, 2), static_cast<UINT>(IDM_WORKSHEET));
    EXPECT_EQ(menuText(sub, 2, MF_BYPOSITION), L"Arbeitsblatt \u2026");
    EXPECT_FALSE(IDM_WORKSHEET >= IDM_EXERCISE_FIRST && IDM_WORKSHEET <= IDM_EXERCISE_LAST);
  }
  // The unused popups' commands must not fall into the handled ranges.
  for (int position = 2; position < 5; ++position) {
    const HMENU sub = GetSubMenu(menu, position);
    ASSERT_TRUE(sub);
    for (int k = 0; k < GetMenuItemCount(sub); ++k) {
      const UINT id = GetMenuItemID(sub, k);
      EXPECT_FALSE(id >= IDM_FILE_FIRST && id <= IDM_FILE_LAST) << id;
      EXPECT_FALSE(id >= IDM_EXERCISE_FIRST && id <= IDM_EXERCISE_LAST) << id;
    }
  }
  DestroyMenu(menu);
}

TEST(Strings, OleFailureAndAboutItem) {
  const struct {
    UINT id;
    const wchar_t* text;
  } rows[] = {
      {IDS_OLE_INIT_FAILED,
       L"Fehler bei der OLE-Initialisierung. Überprüfen Sie, ob die OLE-Bibliotheken in der richtigen Version "
       L"vorliegen."},
      {IDS_ABOUTBOX, L"Inf&o über Pendrix..."},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.id);
    wchar_t text[256]{};
    LoadStringW(GetModuleHandleW(nullptr), row.id, text, 256);
    EXPECT_STREQ(text, row.text);
  }
}

struct SmallDialogRow {
  int id;
  const wchar_t* className;
  const wchar_t* caption;
  int x, y, width, height;
};

void expectControls(HWND dialog, const std::vector<SmallDialogRow>& rows) {
  const std::vector<HWND> children = childrenInOrder(dialog);
  ASSERT_EQ(children.size(), rows.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(GetDlgCtrlID(children[i]), rows[i].id);
    EXPECT_EQ(_wcsicmp(classOf(children[i]).c_str(), rows[i].className), 0);
    if (rows[i].caption) {
      EXPECT_EQ(textOf(children[i]), rows[i].caption);
    }
    const RECT expected = dialogRect(dialog, rows[i].x, rows[i].y, rows[i].width, rows[i].height);
    const RECT actual = rectInDialog(dialog, children[i]);
    EXPECT_EQ(actual.left, expected.left);
    EXPECT_EQ(actual.top, expected.top);
    if (rows[i].width) {
      EXPECT_EQ(describe(actual), describe(expected));
    }
  }
}

TEST(SmallDialogs, RootDegreePromptHasNoCaptionAndItsThreeControls) {
  TestDialog dialog(IDD_ROOT_DEGREE);
  ASSERT_TRUE(dialog.get());
  EXPECT_EQ(GetWindowLongW(dialog.get(), GWL_STYLE) & WS_CAPTION, 0u);
  RECT client{};
  GetClientRect(dialog.get(), &client);
  EXPECT_EQ(client.right, dialogRect(dialog.get(), 0, 0, 112, 81).right);
  expectControls(dialog.get(), {{IDC_ROOT_DEGREE, L"Edit", L"", 46, 38, 18, 14},
                                {IDCANCEL, L"Button", L"Abbrechen", 33, 57, 46, 14},
                                {IDC_ROOT_DEGREE_PROMPT, L"Static", L"Geben Sie den Wurzelexponent \noder ein Leerzeichen ein.", 5, 10, 103, 24}});
  EXPECT_EQ(GetDlgCtrlID(GetNextDlgTabItem(dialog.get(), nullptr, FALSE)), IDC_ROOT_DEGREE);
}

// "Arbeitsblatt": which exercises, how many, the key, the empty lines; every control
// reached by Tab or by its own Alt key.
TEST(SmallDialogs, WorksheetDialogAsksItsFourChoicesAndEveryControlHasAKey) {
  const INITCOMMONCONTROLSEX classes{sizeof classes, ICC_UPDOWN_CLASS};
  InitCommonControlsEx(&classes);
  TestDialog dialog(IDD_WORKSHEET);
  ASSERT_TRUE(dialog.get());
  EXPECT_EQ(textOf(dialog.get()), L"Arbeitsblatt");
  EXPECT_NE(GetWindowLongW(dialog.get(), GWL_STYLE) & WS_SYSMENU, 0u);
  const struct {
    int id;
    const wchar_t* className;
    const wchar_t* caption;
  } rows[] = {
      {-1, L"Button", L"Welche Aufgaben"},
      {IDC_WORKSHEET_IN_ORDER, L"Button", L"&alle Aufgaben des Bereichs der Reihe nach"},
      {IDC_WORKSHEET_CHOSEN, L"Button", L"nur die &gewählte Aufgabe"},
      {IDC_WORKSHEET_MIXED, L"Button", L"ge&mischt"},
      {-1, L"Static", L"A&nzahl der Aufgaben (1 bis 40):"},
      {IDC_WORKSHEET_COUNT, L"Edit", nullptr},
      {IDC_WORKSHEET_COUNT_SPIN, UPDOWN_CLASSW, nullptr},
      {-1, L"Static", L"Leer&zeilen zum Rechnen (0 bis 10):"},
      {IDC_WORKSHEET_EMPTY_LINES, L"Edit", nullptr},
      {IDC_WORKSHEET_EMPTY_LINES_SPIN, UPDOWN_CLASSW, nullptr},
      {IDC_WORKSHEET_SOLUTIONS, L"Button", L"&Lösungen auf einer neuen Seite"},
      {IDOK, L"Button", L"OK"},
      {IDCANCEL, L"Button", L"Abbrechen"},
  };
  const std::vector<HWND> children = childrenInOrder(dialog.get());
  ASSERT_EQ(children.size(), std::size(rows));
  std::wstring mnemonics;
  for (size_t i = 0; i < std::size(rows); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(GetDlgCtrlID(children[i]), rows[i].id);
    EXPECT_EQ(_wcsicmp(classOf(children[i]).c_str(), rows[i].className), 0) << classOf(children[i]);
    if (!rows[i].caption) continue;
    EXPECT_EQ(textOf(children[i]), rows[i].caption);
    const std::wstring caption = rows[i].caption;
    if (const size_t amp = caption.find(L'&'); amp != std::wstring::npos) mnemonics += towlower(caption[amp + 1]);
  }
  std::wstring unique = mnemonics;
  std::sort(unique.begin(), unique.end());
  EXPECT_EQ(std::unique(unique.begin(), unique.end()), unique.end()) << "an Alt key for two controls: " << mnemonics;
  // The buddies keep their up-down arrows; Tab goes round the choices and the buttons.
  EXPECT_EQ(reinterpret_cast<HWND>(SendMessageW(dialog.item(IDC_WORKSHEET_COUNT_SPIN), UDM_GETBUDDY, 0, 0)),
            dialog.item(IDC_WORKSHEET_COUNT));
  EXPECT_EQ(reinterpret_cast<HWND>(SendMessageW(dialog.item(IDC_WORKSHEET_EMPTY_LINES_SPIN), UDM_GETBUDDY, 0, 0)),
            dialog.item(IDC_WORKSHEET_EMPTY_LINES));
  std::vector<int> tabOrder;
  HWND at = nullptr;
  for (int n = 0; n < 8; ++n) {
    at = GetNextDlgTabItem(dialog.get(), at, FALSE);
    tabOrder.push_back(GetDlgCtrlID(at));
  }
  EXPECT_EQ(tabOrder, (std::vector<int>{IDC_WORKSHEET_IN_ORDER, IDC_WORKSHEET_COUNT, IDC_WORKSHEET_EMPTY_LINES,
                                        IDC_WORKSHEET_SOLUTIONS, IDOK, IDCANCEL, IDC_WORKSHEET_IN_ORDER,
                                        IDC_WORKSHEET_COUNT}));
  EXPECT_NE(GetWindowLongW(dialog.item(IDOK), GWL_STYLE) & BS_DEFPUSHBUTTON, 0u);
  EXPECT_NE(GetWindowLongW(dialog.item(IDC_WORKSHEET_COUNT), GWL_STYLE) & ES_NUMBER, 0u);
}

TEST(SmallDialogs, AboutBoxShowsTheIconVersionAndOk) {
  TestDialog dialog(IDD_ABOUTBOX);
  ASSERT_TRUE(dialog.get());
  EXPECT_EQ(textOf(dialog.get()), L"Info über Pendrix");
  RECT client{};
  GetClientRect(dialog.get(), &client);
  EXPECT_EQ(describe(client), describe(dialogRect(dialog.get(), 0, 0, 235, 55)));
  // The icon control sizes itself to the icon, so only its corner is the layout's.
  expectControls(dialog.get(), {{-1, L"Static", nullptr, 11, 17, 0, 0},
                                {-1, L"Static", L"Pendrix Version 1.0", 40, 10, 0, 0},
                                {IDOK, L"Button", L"OK", 178, 7, 50, 14}});
  EXPECT_TRUE(SendMessageW(GetWindow(dialog.get(), GW_CHILD), STM_GETICON, 0, 0));
}

}  // namespace
}  // namespace pendrix::testing

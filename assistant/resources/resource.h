// Resource ids of the assistant: dialogs, controls, bitmaps, icon, menu and strings.
// Plain #defines, so that both the resource compiler and the platform-free core (which
// includes no Windows header) can take them from here.
#pragma once

// Dialogs
#define IDD_ABOUTBOX 100
#define IDD_PENDRIX_DIALOG 102
#define IDD_ROOT_DEGREE 131
#define IDD_WORKSHEET 104

// Controls of the main dialog
#define IDC_CANCEL 2  // the system's IDCANCEL: Escape and the close box arrive as it
#define IDC_PREVIEW 1000
#define IDC_KEY_INPUT 1001
#define IDC_OK 1003
#define IDC_ROOT 1004
#define IDC_SUPERSCRIPT 1005
#define IDC_SQUARE 1006
#define IDC_CUBE 1007
#define IDC_EXERCISE_FILE 1008
#define IDC_SOLUTION 1009
#define IDC_INSERT 1010
#define IDC_EXERCISE_TYPE 1011
#define IDC_NEW_EXERCISE 1012
#define IDC_SUBSCRIPT 1013
#define IDC_INDEX1 1014
#define IDC_INDEX2 1015
#define IDC_CUBE_ROOT 1016
#define IDC_FRACTION_BRACKET 1017
#define IDC_MULTIPLICATION_SIGN 1018
#define IDC_LESS_EQUAL 1019
#define IDC_GREATER_EQUAL 1020
#define IDC_X12 1021
#define IDC_PLUS_MINUS 1022
#define IDC_PLUS_SIGN 1023
#define IDC_MINUS_SIGN 1024
#define IDC_EXERCISE_TEXT 1025
#define IDC_INSERT_TEXT 1026
#define IDC_INSERT_SOLUTION 1027
#define IDC_VARY_DIGITS 1028
#define IDC_INNER_FRACTION 1029
#define IDC_SOLVE 1030
#define IDC_SOLUTION_STATUS 1031

// Controls of the root-degree dialog
#define IDC_ROOT_DEGREE 1001
#define IDC_ROOT_DEGREE_PROMPT 1002  // the question, or the hint for a refused degree

// Controls of the worksheet dialog
#define IDC_WORKSHEET_IN_ORDER 1101
#define IDC_WORKSHEET_CHOSEN 1102
#define IDC_WORKSHEET_MIXED 1103
#define IDC_WORKSHEET_COUNT 1104
#define IDC_WORKSHEET_COUNT_SPIN 1105
#define IDC_WORKSHEET_EMPTY_LINES 1106
#define IDC_WORKSHEET_EMPTY_LINES_SPIN 1107
#define IDC_WORKSHEET_SOLUTIONS 1108

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// Icon
#define IDI_PENDRIX 128

// Bitmaps: formula buttons
#define IDB_SUPERSCRIPT 129
#define IDB_SQUARE 131
#define IDB_ROOT 134
#define IDB_CUBE 135
#define IDB_SUBSCRIPT 136
#define IDB_INDEX1 137
#define IDB_INDEX2 138
#define IDB_CUBE_ROOT 139
#define IDB_LESS_EQUAL 168
#define IDB_GREATER_EQUAL 169
#define IDB_PLUS_MINUS 170
#define IDB_X12 171
#define IDB_NEW_EXERCISE 172
#define IDB_EXERCISE_FILE 173
#define IDB_EXERCISE_TYPE 174
#define IDB_INSERT_TEXT 175
#define IDB_VARY_DIGITS 176
#define IDB_INNER_FRACTION 177

// Bitmaps: the preview's signs
#define IDB_SIGN_PLUS 130
#define IDB_SIGN_MINUS 132
#define IDB_SIGN_DOT 133

// Bitmaps: the exercise menus. Exercise j (from 0) shows IDB_MENU_EXERCISE_FIRST + j up
// to IDB_MENU_EXERCISE_LAST, every later one IDB_MENU_EXERCISE_MORE.
#define IDB_MENU_FILE 140
#define IDB_MENU_EXERCISE_FIRST 141
#define IDB_MENU_EXERCISE_LAST 166
#define IDB_MENU_EXERCISE_MORE 167

// Menu 130 and its items
#define IDM_EXERCISE_MENU 130
#define IDM_FILE_FIRST 40002
#define IDM_FILE_LAST 40041
#define IDM_FILE_PLACEHOLDER 40042
#define IDM_EXERCISE_FIRST 40051
#define IDM_EXERCISE_LAST 40090
#define IDM_EXERCISE_PLACEHOLDER 40091
#define IDM_UNUSED_PLACEHOLDER 40092
#define IDM_WORKSHEET 40093  // "Arbeitsblatt …", the last item of the exercise popup
#define IDM_AREA_NAME_FIRST 40101
#define IDM_EXERCISE_NAME_FIRST 40121
// Popup positions in menu 130
#define IDM_POPUP_FILES 0
#define IDM_POPUP_EXERCISES 1

// The about box's item in the system menu (the low four bits of system commands are
// the system's own, so the id keeps them clear)
#define IDM_ABOUTBOX 0x0010

// Strings
#define IDS_OLE_INIT_FAILED 100
#define IDS_ABOUTBOX 101

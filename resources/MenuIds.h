#pragma once

// Menus
#define IDR_MAIN_MENU 102   // the main window's menu bar
#define IDR_ROW_MENU 114    // context menu of a list row
#define IDR_HELP_POPUP 120  // the help-only context menu

// Commands of the menus
#define IDM_CLOSE 2          // same value as IDCANCEL
#define IDM_CONTEXT_HELP 9   // same value as IDHELP
#define IDM_SHOW_LOG_INFO 40001
#define IDM_REFRESH 40002
#define IDM_CLEAR_ALL 40003
#define IDM_SETTINGS 40004
#define IDM_HELP_CONTENTS 40005
#define IDM_ABOUT 40006
#define IDM_EXPORT_CSV 40007
#define IDM_TOTALS 40008
#define IDM_FIND 40009
#define IDM_FIND_AGAIN 40010  // F3 in the list; in no menu

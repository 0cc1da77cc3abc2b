// Resource numbers shared by the resource scripts and the code. Plain macros: the resource
// compiler reads this file too.
#pragma once

// The application icon, in 16, 32, 48 and 256 pixels (mirtel_icon.py draws it).
#define IDI_MIRTEL 101

// The main window's menu bar.
#define IDR_MAINMENU 102

// The toolbar's images, added to the image lists in this order, so they become images 0-3.
#define IDB_TOOLBAR_OPEN 105
#define IDB_TOOLBAR_SAVE 106
#define IDB_TOOLBAR_QUIT 107
#define IDB_TOOLBAR_SETTINGS 108

// Ctrl+Insert, Ctrl+O, Ctrl+S and Ctrl+Delete, translated against the main window.
#define IDR_ACCELERATORS 109

// The tooltips of the about box's links.
#define IDS_ABOUT_EMAIL_TIP 20001
#define IDS_ABOUT_WEB_TIP 20002

// The main window's commands: menu items, accelerators and toolbar buttons alike. The string with
// a command's id is its status-bar help and its tooltip.
#define IDM_QUIT 40001
#define IDM_OPEN 40002
#define IDM_TAG_DUMP 40003
#define IDM_SAVE 40004
#define IDM_PREFERENCES 40005
#define IDM_REMOVE 40006
#define IDM_EDIT 40007
#define IDM_ADD 40008
#define IDM_CLOSE 40009
#define IDM_ABOUT 40010
#define IDM_WEB_PAGE 40011
#define IDM_BATCH 40012

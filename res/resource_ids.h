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

// Dialog templates and their controls.
#define IDD_TEXT_INPUT 103
#define IDD_TAG_DUMP 104
#define IDD_NEW_TAG 110
#define IDD_PREFERENCES 111
#define IDD_ABOUT 112
#define IDC_TEXT_PROMPT 1002
#define IDC_TEXT_EDIT 1003
#define IDC_DUMP_ID 1004
#define IDC_DUMP_SHOW 1005
#define IDC_DUMP_GROUP 1006
#define IDC_DUMP_HEX 1007
#define IDC_DUMP_LENGTH 1008
#define IDC_DUMP_TYPE 1009
#define IDC_NEW_TAG_COMBO 1015
#define IDC_SAVE_AT_ONCE 1016
#define IDC_ABOUT_NAME 1017
#define IDC_ABOUT_COPYRIGHT 1018
#define IDC_ABOUT_VERSION 1019
#define IDC_ABOUT_ICON 1020
#define IDC_ABOUT_WEB 1021
#define IDC_ABOUT_EMAIL 1022

// The batch writing dialog: the only-selected box, the file list, the six fields in the order
// their tags are written, and the buttons.
#define IDD_BATCH 113
#define IDC_BATCH_SELECTED_ONLY 1023
#define IDC_BATCH_FILES 1024
#define IDC_BATCH_TITLE 1025
#define IDC_BATCH_DESCRIPTION 1026
#define IDC_BATCH_AUTHOR 1027
#define IDC_BATCH_MAKER 1028
#define IDC_BATCH_MODEL 1029
#define IDC_BATCH_SOFTWARE 1030
#define IDC_BATCH_WRITE 1031
#define IDC_BATCH_ADD 1032
#define IDC_BATCH_REMOVE 1033

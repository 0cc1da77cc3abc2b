// Resource numbers of the toolkit tests' resource script. Plain macros: the resource compiler
// reads this file too.
#pragma once

#define IDD_TEST_CONTROLS 201
#define IDD_TEST_MISSING 299 // deliberately absent

#define IDC_TEST_BUTTON 1001
#define IDC_TEST_STATIC 1002
#define IDC_TEST_DRAWN_STATIC 1003
#define IDC_TEST_EDIT 1004
#define IDC_TEST_SECOND_EDIT 1005
#define IDC_TEST_LIST 1006

// Four 16 x 16 images, each of one colour: black, white, (128, 128, 128) and (r, g, b) =
// (0, 0, 1).
#define IDB_TEST_GREY_STRIP 301

#define IDS_TEST_TIP 401
